#include "debug/expression.h"

#include <array>
#include <cctype>
#include <cstdio>

#include "machine/machine.h"

namespace vantorel {

namespace {

// Register and flag names, and how the program reads them.
enum class Reg : std::uint8_t {
    A,
    F,
    B,
    C,
    D,
    E,
    H,
    L,
    I,
    R,
    AF,
    BC,
    DE,
    HL,
    IX,
    IY,
    SP,
    PC,
    AF2,
    BC2,
    DE2,
    HL2,
    IXH,
    IXL,
    IYH,
    IYL,
};

struct RegName {
    const char* name;
    Reg reg;
    int width;
};

constexpr std::array<RegName, 26> kRegisters{{
    {"A", Reg::A, 8},      {"F", Reg::F, 8},      {"B", Reg::B, 8},      {"C", Reg::C, 8},
    {"D", Reg::D, 8},      {"E", Reg::E, 8},      {"H", Reg::H, 8},      {"L", Reg::L, 8},
    {"I", Reg::I, 8},      {"R", Reg::R, 8},      {"AF", Reg::AF, 16},   {"BC", Reg::BC, 16},
    {"DE", Reg::DE, 16},   {"HL", Reg::HL, 16},   {"IX", Reg::IX, 16},   {"IY", Reg::IY, 16},
    {"SP", Reg::SP, 16},   {"PC", Reg::PC, 16},   {"AF'", Reg::AF2, 16}, {"BC'", Reg::BC2, 16},
    {"DE'", Reg::DE2, 16}, {"HL'", Reg::HL2, 16}, {"IXH", Reg::IXH, 8},  {"IXL", Reg::IXL, 8},
    {"IYH", Reg::IYH, 8},  {"IYL", Reg::IYL, 8},
}};

// A flag condition: the F bit and whether it must be set.
struct FlagName {
    const char* name;
    std::uint8_t bit;
    bool set;
};

constexpr std::array<FlagName, 12> kFlags{{
    {"S", 0x80, true},
    {"Z", 0x40, true},
    {"V", 0x04, true},
    {"N", 0x02, true},
    {"NZ", 0x40, false},
    {"NC", 0x01, false},
    {"PE", 0x04, true},
    {"PO", 0x04, false},
    {"M", 0x80, true},
    {"P", 0x80, false},
    {"C", 0x01, true},
    {"H", 0x10, true},
}};

std::int64_t readRegister(const Z80State& r, Reg reg) {
    switch (reg) {
        case Reg::A:
            return r.AF >> 8;
        case Reg::F:
            return r.AF & 0xFF;
        case Reg::B:
            return r.BC >> 8;
        case Reg::C:
            return r.BC & 0xFF;
        case Reg::D:
            return r.DE >> 8;
        case Reg::E:
            return r.DE & 0xFF;
        case Reg::H:
            return r.HL >> 8;
        case Reg::L:
            return r.HL & 0xFF;
        case Reg::I:
            return r.I & 0xFF;
        case Reg::R:
            return (r.R & 0x7F) | (r.rBit7 & 0x80);
        case Reg::AF:
            return r.AF;
        case Reg::BC:
            return r.BC;
        case Reg::DE:
            return r.DE;
        case Reg::HL:
            return r.HL;
        case Reg::IX:
            return r.IX;
        case Reg::IY:
            return r.IY;
        case Reg::SP:
            return r.SP;
        case Reg::PC:
            return r.PC;
        case Reg::AF2:
            return r.altAF;
        case Reg::BC2:
            return r.altBC;
        case Reg::DE2:
            return r.altDE;
        case Reg::HL2:
            return r.altHL;
        case Reg::IXH:
            return r.IX >> 8;
        case Reg::IXL:
            return r.IX & 0xFF;
        case Reg::IYH:
            return r.IY >> 8;
        case Reg::IYL:
            return r.IY & 0xFF;
    }
    return 0;
}

// The program's operations.
enum Code : std::uint8_t {
    kPushNumber,
    kPushRegister,
    kPushFlag,
    kPushFlagClear,
    kReadByte,
    kUnary,
    kBinary,
};

enum class Tok : std::uint8_t { end, number, name, op, open, close };

struct Token {
    Tok kind = Tok::end;
    std::string text;
    std::int64_t value = 0;
    std::size_t column = 0;  // 1-based
};

bool isNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '\'';
}

bool allHex(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (std::isxdigit(static_cast<unsigned char>(c)) == 0) return false;
    }
    return true;
}

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// Splits the text into tokens; false with `error` on a character that
// starts none.
bool tokenize(std::string_view text, std::vector<Token>& tokens, std::string& error) {
    static constexpr std::array<std::string_view, 19> kOperators{
        "||", "&&", "==", "!=", "<=", ">=", "<<", ">>", "|", "^",
        "&",  "<",  ">",  "+",  "-",  "!",  "~",  "=",  "*"};
    std::size_t at = 0;
    while (at < text.size()) {
        const char c = text[at];
        const std::size_t column = at + 1;
        if (std::isspace(static_cast<unsigned char>(c)) != 0) {
            ++at;
            continue;
        }
        if (c == '(' || c == ')') {
            tokens.push_back({c == '(' ? Tok::open : Tok::close, std::string(1, c), 0, column});
            ++at;
            continue;
        }
        if (c == '$' || std::isdigit(static_cast<unsigned char>(c)) != 0 || isNameChar(c)) {
            std::size_t end = at + 1;
            while (end < text.size() && isNameChar(text[end])) ++end;
            std::string word = upper(text.substr(at, end - at));
            at = end;
            Token token{Tok::name, word, 0, column};
            std::string digits;
            int base = 10;
            if (word[0] == '$') {
                digits = word.substr(1);
                base = 16;
            } else if (word.size() > 2 && word[0] == '0' && word[1] == 'X') {
                digits = word.substr(2);
                base = 16;
            } else if (std::isdigit(static_cast<unsigned char>(word[0])) != 0) {
                if (word.back() == 'H') {
                    digits = word.substr(0, word.size() - 1);
                    base = 16;
                } else {
                    digits = word;
                }
            } else if (word.size() > 1 && word.back() == 'H' &&
                       allHex(std::string_view(word).substr(0, word.size() - 1)) && word != "IXH" &&
                       word != "IYH") {
                digits = word.substr(0, word.size() - 1);  // FFh
                base = 16;
            }
            if (base == 16 || !digits.empty()) {
                const bool valid =
                    base == 16 ? allHex(digits)
                               : digits.find_first_not_of("0123456789") == std::string::npos;
                if (!valid || digits.empty() || digits.size() > 8) {
                    error = "bad number '" + word + "' at column " + std::to_string(column);
                    return false;
                }
                token.kind = Tok::number;
                token.value = static_cast<std::int64_t>(std::stoull(digits, nullptr, base));
            }
            tokens.push_back(std::move(token));
            continue;
        }
        bool matched = false;
        for (std::string_view op : kOperators) {
            if (text.substr(at, op.size()) == op) {
                if (op == "=" || op == "*") break;
                tokens.push_back({Tok::op, std::string(op), 0, column});
                at += op.size();
                matched = true;
                break;
            }
        }
        if (!matched) {
            error = std::string("unexpected '") + c + "' at column " + std::to_string(column);
            if (c == '=') error += " (compare with ==)";
            return false;
        }
    }
    tokens.push_back({Tok::end, "", 0, text.size() + 1});
    return true;
}

// The tree the parser builds before it is compiled.
struct Node {
    enum Kind : std::uint8_t { number, reg, flag, ambiguous, memory, unary, binary } kind = number;
    std::int64_t value = 0;   // number; flag bit; for ambiguous: the flag bit
    Reg registerId = Reg::A;  // reg, ambiguous
    bool flagSet = true;      // flag
    std::string op;           // unary, binary
    int a = -1;
    int b = -1;
};

const std::array<std::vector<std::string_view>, 9> kLevels{{
    {"||"},
    {"&&"},
    {"|"},
    {"^"},
    {"&"},
    {"==", "!="},
    {"<", "<=", ">", ">="},
    {"<<", ">>"},
    {"+", "-"},
}};

class Parser {
  public:
    Parser(std::vector<Token> tokens, std::string& error)
        : tokens_(std::move(tokens)), error_(error) {}

    int parseAll() {
        const int root = parseLevel(0);
        if (root >= 0 && peek().kind != Tok::end) return fail("unexpected '" + peek().text + "'");
        return root;
    }
    std::vector<Node> nodes;

    bool isTruth(int index) const {
        const Node& node = nodes[static_cast<std::size_t>(index)];
        if (node.kind == Node::flag) return true;
        if (node.kind == Node::unary) return node.op == "!";
        if (node.kind != Node::binary) return false;
        static constexpr std::array<std::string_view, 8> kTruth{
            "||", "&&", "==", "!=", "<", "<=", ">", ">="};
        for (std::string_view op : kTruth) {
            if (node.op == op) return true;
        }
        return false;
    }

  private:
    const Token& peek() const { return tokens_[at_]; }
    int fail(const std::string& what) {
        if (error_.empty()) error_ = what + " at column " + std::to_string(peek().column);
        return -1;
    }
    int add(Node node) {
        nodes.push_back(std::move(node));
        return static_cast<int>(nodes.size()) - 1;
    }

    int parseLevel(std::size_t level) {
        if (level == kLevels.size()) return parseUnary();
        int left = parseLevel(level + 1);
        while (left >= 0 && peek().kind == Tok::op) {
            const std::string op = peek().text;
            bool here = false;
            for (std::string_view candidate : kLevels[level]) here = here || candidate == op;
            if (!here) break;
            ++at_;
            const int right = parseLevel(level + 1);
            if (right < 0) return -1;
            Node node;
            node.kind = Node::binary;
            node.op = op;
            node.a = left;
            node.b = right;
            left = add(std::move(node));
        }
        return left;
    }

    int parseUnary() {
        if (peek().kind == Tok::op &&
            (peek().text == "!" || peek().text == "-" || peek().text == "~")) {
            Node node;
            node.kind = Node::unary;
            node.op = peek().text;
            ++at_;
            node.a = parseUnary();
            if (node.a < 0) return -1;
            return add(std::move(node));
        }
        return parsePrimary();
    }

    int parsePrimary() {
        const Token token = peek();
        if (token.kind == Tok::number) {
            ++at_;
            Node node;
            node.value = token.value;
            return add(std::move(node));
        }
        if (token.kind == Tok::name) {
            ++at_;
            return nameNode(token);
        }
        if (token.kind == Tok::open) {
            ++at_;
            const int inner = parseLevel(0);
            if (inner < 0) return -1;
            if (peek().kind != Tok::close) return fail("expected ')'");
            ++at_;
            if (isTruth(inner)) return inner;
            Node node;
            node.kind = Node::memory;
            node.a = inner;
            return add(std::move(node));
        }
        if (token.kind == Tok::end) return fail("expression ends too soon");
        return fail("unexpected '" + token.text + "'");
    }

    int nameNode(const Token& token) {
        const RegName* reg = nullptr;
        for (const RegName& candidate : kRegisters) {
            if (token.text == candidate.name) reg = &candidate;
        }
        const FlagName* flag = nullptr;
        for (const FlagName& candidate : kFlags) {
            if (token.text == candidate.name) flag = &candidate;
        }
        Node node;
        if (reg != nullptr && flag != nullptr) {
            node.kind = Node::ambiguous;
            node.registerId = reg->reg;
            node.value = flag->bit;
        } else if (reg != nullptr) {
            node.kind = Node::reg;
            node.registerId = reg->reg;
        } else if (flag != nullptr) {
            node.kind = Node::flag;
            node.value = flag->bit;
            node.flagSet = flag->set;
        } else {
            --at_;
            return fail("unknown name '" + token.text + "'");
        }
        return add(std::move(node));
    }

    std::vector<Token> tokens_;
    std::size_t at_ = 0;
    std::string& error_;
};

constexpr std::array<std::string_view, 15> kBinaryOps{"||", "&&", "|",  "^",  "&",  "==", "!=", "<",
                                                      "<=", ">",  ">=", "<<", ">>", "+",  "-"};

std::uint8_t binaryIndex(const std::string& op) {
    for (std::size_t i = 0; i < kBinaryOps.size(); ++i) {
        if (kBinaryOps[i] == op) return static_cast<std::uint8_t>(i);
    }
    return 0;
}

// Emits the postfix program of node `index`; `truth` says whether a truth
// value stands there (C and H are then flags).
void compile(const Parser& parser, int index, bool truth, std::vector<Expression::Op>& out,
             int& depth, int& most) {
    const Node& node = parser.nodes[static_cast<std::size_t>(index)];
    const auto push = [&](Expression::Op op) {
        out.push_back(op);
        ++depth;
        if (depth > most) most = depth;
    };
    switch (node.kind) {
        case Node::number:
            push({kPushNumber, 0, node.value});
            return;
        case Node::reg:
            push({kPushRegister, static_cast<std::uint8_t>(node.registerId), 0});
            return;
        case Node::flag:
            push({node.flagSet ? kPushFlag : kPushFlagClear, 0, node.value});
            return;
        case Node::ambiguous:
            if (truth) {
                push({kPushFlag, 0, node.value});
            } else {
                push({kPushRegister, static_cast<std::uint8_t>(node.registerId), 0});
            }
            return;
        case Node::memory:
            compile(parser, node.a, false, out, depth, most);
            out.push_back({kReadByte, 0, 0});
            return;
        case Node::unary:
            compile(parser, node.a, node.op == "!", out, depth, most);
            out.push_back({kUnary, static_cast<std::uint8_t>(node.op[0]), 0});
            return;
        case Node::binary: {
            const bool logical = node.op == "&&" || node.op == "||";
            compile(parser, node.a, logical, out, depth, most);
            compile(parser, node.b, logical, out, depth, most);
            out.push_back({kBinary, binaryIndex(node.op), 0});
            --depth;
            return;
        }
    }
}

int widthOf(const Parser& parser, int root, Expression::Use use) {
    const Node& node = parser.nodes[static_cast<std::size_t>(root)];
    if (node.kind == Node::memory) return 8;
    if (node.kind == Node::reg || (node.kind == Node::ambiguous && use == Expression::Use::value)) {
        for (const RegName& name : kRegisters) {
            if (name.reg == node.registerId) return name.width;
        }
    }
    return 0;
}

constexpr int kMostDepth = 32;

std::int64_t applyBinary(std::uint8_t index, std::int64_t a, std::int64_t b) {
    switch (index) {
        case 0:
            return (a != 0 || b != 0) ? 1 : 0;
        case 1:
            return (a != 0 && b != 0) ? 1 : 0;
        case 2:
            return a | b;
        case 3:
            return a ^ b;
        case 4:
            return a & b;
        case 5:
            return a == b ? 1 : 0;
        case 6:
            return a != b ? 1 : 0;
        case 7:
            return a < b ? 1 : 0;
        case 8:
            return a <= b ? 1 : 0;
        case 9:
            return a > b ? 1 : 0;
        case 10:
            return a >= b ? 1 : 0;
        case 11:
            return (b < 0 || b > 62)
                       ? 0
                       : static_cast<std::int64_t>(static_cast<std::uint64_t>(a) << b);
        case 12:
            return (b < 0 || b > 62) ? 0 : a >> b;
        case 13:
            return a + b;
        default:
            return a - b;
    }
}

}  // namespace

std::optional<Expression> Expression::parse(std::string_view text, Use use, std::string& error) {
    error.clear();
    std::vector<Token> tokens;
    if (!tokenize(text, tokens, error)) return std::nullopt;
    Parser parser{std::move(tokens), error};
    const int root = parser.parseAll();
    if (root < 0) return std::nullopt;
    Expression expression;
    int depth = 0;
    int most = 0;
    compile(parser, root, use == Use::condition, expression.program_, depth, most);
    if (most > kMostDepth) {
        error = "expression nests too deeply";
        return std::nullopt;
    }
    expression.width_ = widthOf(parser, root, use);
    return expression;
}

std::int64_t Expression::evaluate(const Z80State& registers, const Machine& machine) const {
    std::array<std::int64_t, kMostDepth> stack{};
    std::size_t top = 0;
    for (const Op& op : program_) {
        switch (op.code) {
            case kPushNumber:
                stack[top++] = op.value;
                break;
            case kPushRegister:
                stack[top++] = readRegister(registers, static_cast<Reg>(op.operand));
                break;
            case kPushFlag:
                stack[top++] = (registers.AF & static_cast<std::uint32_t>(op.value)) != 0 ? 1 : 0;
                break;
            case kPushFlagClear:
                stack[top++] = (registers.AF & static_cast<std::uint32_t>(op.value)) == 0 ? 1 : 0;
                break;
            case kReadByte:
                stack[top - 1] = machine.peek(static_cast<std::uint16_t>(stack[top - 1]));
                break;
            case kUnary: {
                std::int64_t& value = stack[top - 1];
                if (op.operand == '!') value = value == 0 ? 1 : 0;
                if (op.operand == '-') value = -value;
                if (op.operand == '~') value = ~value;
                break;
            }
            default:
                --top;
                stack[top - 1] = applyBinary(op.operand, stack[top - 1], stack[top]);
                break;
        }
    }
    return top == 0 ? 0 : stack[0];
}

std::optional<LogFormat> LogFormat::parse(std::string_view text, std::string& error) {
    LogFormat format;
    std::string literal;
    std::size_t at = 0;
    while (at < text.size()) {
        if (text[at] != '{') {
            literal += text[at++];
            continue;
        }
        const std::size_t close = text.find('}', at);
        if (close == std::string_view::npos) {
            error = "log line: '{' at column " + std::to_string(at + 1) + " has no '}'";
            return std::nullopt;
        }
        if (!literal.empty()) format.pieces_.push_back({std::move(literal), std::nullopt});
        literal.clear();
        std::string fieldError;
        auto expression = Expression::parse(text.substr(at + 1, close - at - 1),
                                            Expression::Use::value, fieldError);
        if (!expression) {
            error = "log line field at column " + std::to_string(at + 1) + ": " + fieldError;
            return std::nullopt;
        }
        format.pieces_.push_back({{}, std::move(expression)});
        at = close + 1;
    }
    if (!literal.empty()) format.pieces_.push_back({std::move(literal), std::nullopt});
    return format;
}

std::string LogFormat::format(const Z80State& registers, const Machine& machine) const {
    std::string line;
    for (const Piece& piece : pieces_) {
        if (!piece.expression) {
            line += piece.text;
            continue;
        }
        const std::int64_t value = piece.expression->evaluate(registers, machine);
        char text[24];
        const int width = piece.expression->width();
        if (width == 16) {
            std::snprintf(text, sizeof text, "%04llX",
                          static_cast<unsigned long long>(value & 0xFFFF));
        } else if (width == 8) {
            std::snprintf(text, sizeof text, "%02llX",
                          static_cast<unsigned long long>(value & 0xFF));
        } else {
            std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
        }
        line += text;
    }
    return line;
}

}  // namespace vantorel
