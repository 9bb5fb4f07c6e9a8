// Reading label files into a SymbolTable.
//
// The formats of the assemblers and compilers Debian packages for the Z80:
//   equList  pasmo's symbol file ("main EQU 08000H"), z80asm's label file
//            ("main: equ $8000") and any hand-written list of
//            "label EQU value", "label: equ $1234" or "label = 0x1234"
//   sdccNoi  SDCC's NoICE file ("DEF _main 0x8000")
//   sdccMap  SDCC's linker map (a value column, then the name)
// The format is told by the file's extension (.noi, .map) or its contents.
// A line that should hold a symbol and does not (a bad name, a value beyond
// 16 bits) is skipped and counted; a file that cannot be read gets a
// message. Called by the debugger's "symbols FILE" command and the window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "debug/symbol_table.h"

namespace vantorel {

enum class SymbolFormat { equList, sdccNoi, sdccMap };

// A larger file is refused before it is read (a label file of a 64K
// machine is far smaller).
inline constexpr std::uintmax_t kLargestSymbolFile = 32u * 1024 * 1024;
// Longer names are counted as bad lines.
inline constexpr std::size_t kLongestSymbolName = 255;

struct SymbolRead {
    SymbolTable table;
    SymbolFormat format = SymbolFormat::equList;
    std::size_t badLines = 0;      // lines skipped as not a symbol
    std::size_t firstBadLine = 0;  // 1-based; 0 when none
    std::string problem;           // why the file could not be read; empty when it was

    bool ok() const { return problem.empty(); }
};

// The format of a file called `fileName` holding `text`.
SymbolFormat detectSymbolFormat(std::string_view fileName, std::string_view text);

// The symbols in `text`, read as `format`.
SymbolRead readSymbols(std::string_view text, SymbolFormat format);

// The file read whole and parsed in the format it is detected as.
SymbolRead loadSymbolFile(const std::filesystem::path& path);

// One line for the user: "prog.sym: 120 symbols" with the skipped lines, or
// the problem.
std::string symbolReadText(const std::filesystem::path& path, const SymbolRead& read);

// A number as assemblers write it: 1234 (decimal), $1234, #1234, 0x1234,
// 1234H, 0b1010, %1010, 1010B; nothing for anything else or beyond 16 bits.
std::optional<std::uint16_t> parseSymbolValue(std::string_view text);

}  // namespace vantorel
