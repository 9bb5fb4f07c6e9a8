// Small expressions over the processor's registers, flags and memory, for
// breakpoint conditions, watch expressions and log points.
//
//   A==0x0D && (HL)==0     BC!=0     (0xF000)>=3     Z     !C
//
// Numbers: decimal, hex as 0x1F, $1F or 1Fh. Names (any case): the registers
// A F B C D E H L I R, the pairs AF BC DE HL IX IY SP PC, the second set
// AF' BC' DE' HL', the halves IXH IXL IYH IYL; the flags S Z H V N C and the
// condition names NZ NC PO PE P M. C and H are the carry and half-carry
// flags where a truth value stands (alone, under ! && ||), the registers
// elsewhere (C==0x10). (x) is the byte at address x, as in Z80 assembly,
// unless x is itself a comparison or a logical expression, which it then
// only groups. Operators, loosest first: || && | ^ & == != < <= > >= << >>
// + - and the unary ! - ~. A truth value is 1 or 0.
//
// parse() compiles to a short postfix program; evaluate() runs it with no
// allocation. Used by debug/debugger.h for conditions and log points.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "z80/z80_state.h"

namespace vantorel {

class Machine;

class Expression {
  public:
    // Where the expression stands: a condition (a truth value is wanted at
    // the top) or a value (a watch expression, a log point's field).
    enum class Use : std::uint8_t { condition, value };

    // The compiled expression, or nothing with `error` saying what is wrong
    // and where ("unknown name 'XY' at column 3").
    static std::optional<Expression> parse(std::string_view text, Use use, std::string& error);

    std::int64_t evaluate(const Z80State& registers, const Machine& machine) const;
    // 16 for a pair alone, 8 for a register or a memory byte alone, 0 for
    // anything else: how a log point prints it (4 or 2 hex digits, else
    // decimal).
    int width() const { return width_; }

    struct Op {
        std::uint8_t code = 0;
        std::uint8_t operand = 0;
        std::int64_t value = 0;
    };

  private:
    std::vector<Op> program_;
    int width_ = 0;
};

// A log point's line: literal text with {expression} fields ("HL={HL}").
class LogFormat {
  public:
    static std::optional<LogFormat> parse(std::string_view text, std::string& error);
    std::string format(const Z80State& registers, const Machine& machine) const;

  private:
    struct Piece {
        std::string text;  // literal text, when expression is empty
        std::optional<Expression> expression;
    };
    std::vector<Piece> pieces_;
};

}  // namespace vantorel
