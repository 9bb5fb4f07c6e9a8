#include "debug/symbol_files.h"

#include <algorithm>
#include <cctype>
#include <utility>
#include <vector>

#include "files/binary_file.h"

namespace vantorel {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

// The next whitespace-separated word of `text`, taken off its front.
std::string_view takeWord(std::string_view& text) {
    text = trim(text);
    std::size_t end = 0;
    while (end < text.size() && !isBlank(text[end])) ++end;
    const std::string_view word = text.substr(0, end);
    text.remove_prefix(end);
    return word;
}

char lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return lower(x) == lower(y); });
}

bool endsWithNoCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           equalsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

bool isNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '.' || c == '$' ||
           c == '?' || c == '@' || c == '\'';
}

// Assemblers' label names: letters, digits and _ . $ ? @ ', not starting
// with a digit.
bool isSymbolName(std::string_view name) {
    if (name.empty() || name.size() > kLongestSymbolName) return false;
    if (std::isdigit(static_cast<unsigned char>(name.front())) != 0) return false;
    return std::all_of(name.begin(), name.end(), isNameChar);
}

std::optional<std::uint32_t> digitsValue(std::string_view digits, unsigned base) {
    if (digits.empty()) return std::nullopt;
    std::uint32_t value = 0;
    for (const char c : digits) {
        unsigned digit = base;
        if (c >= '0' && c <= '9') digit = static_cast<unsigned>(c - '0');
        if (c >= 'a' && c <= 'f') digit = static_cast<unsigned>(c - 'a' + 10);
        if (c >= 'A' && c <= 'F') digit = static_cast<unsigned>(c - 'A' + 10);
        if (digit >= base) return std::nullopt;
        value = value * base + digit;
        if (value > 0xFFFFFFu / 16) return std::nullopt;  // far beyond 16 bits
    }
    return value;
}

std::optional<std::uint32_t> numberValue(std::string_view text) {
    if (text.empty()) return std::nullopt;
    if (text.front() == '$' || text.front() == '#') return digitsValue(text.substr(1), 16);
    if (text.front() == '%') return digitsValue(text.substr(1), 2);
    if (text.size() > 2 && text[0] == '0' && lower(text[1]) == 'x')
        return digitsValue(text.substr(2), 16);
    if (text.size() > 2 && text[0] == '0' && lower(text[1]) == 'b')
        return digitsValue(text.substr(2), 2);
    const char last = lower(text.back());
    const std::string_view body = text.substr(0, text.size() - 1);
    if (last == 'h') return digitsValue(body, 16);
    if (last == 'b' && !body.empty() && body.find_first_not_of("01") == std::string_view::npos) {
        return digitsValue(body, 2);
    }
    return digitsValue(text, 10);
}

// What one line gave: a symbol, nothing to take (blank, comment, a
// heading), or a line that should have been a symbol and was not.
enum class LineKind { symbol, nothing, bad };

struct LineRead {
    LineKind kind = LineKind::nothing;
    Symbol symbol;
};

LineRead badLine() {
    return {LineKind::bad, {}};
}

LineRead symbolLine(std::string_view name, std::string_view valueText) {
    const std::optional<std::uint16_t> value = parseSymbolValue(valueText);
    if (!isSymbolName(name) || !value) return badLine();
    return {LineKind::symbol, {std::string(name), *value}};
}

std::string_view withoutComment(std::string_view line) {
    const std::size_t semicolon = line.find(';');
    return trim(line.substr(0, semicolon));
}

// "name EQU value", "name: equ value", "name = value", "name .equ value",
// "name DEFL value"; ';' starts a comment.
LineRead readEquLine(std::string_view line) {
    line = withoutComment(line);
    if (line.empty() || line.starts_with("//") || line.front() == '*') return {};
    std::size_t nameEnd = 0;
    while (nameEnd < line.size() && !isBlank(line[nameEnd]) && line[nameEnd] != ':' &&
           line[nameEnd] != '=') {
        ++nameEnd;
    }
    const std::string_view name = line.substr(0, nameEnd);
    std::string_view rest = line.substr(nameEnd);
    while (!rest.empty() && rest.front() == ':') rest.remove_prefix(1);
    rest = trim(rest);
    if (rest.starts_with('=')) {
        rest.remove_prefix(1);
    } else {
        const std::string_view keyword = takeWord(rest);
        if (!equalsNoCase(keyword, "equ") && !equalsNoCase(keyword, ".equ") &&
            !equalsNoCase(keyword, "defl") && !equalsNoCase(keyword, "set")) {
            return badLine();
        }
    }
    rest = trim(rest);
    const std::string_view value = takeWord(rest);
    if (!trim(rest).empty()) return badLine();
    return symbolLine(name, value);
}

// "DEF name value"; "LOAD file" and the like name no symbol.
LineRead readNoiLine(std::string_view line) {
    std::string_view rest = line;
    const std::string_view command = takeWord(rest);
    if (command.empty()) return {};
    if (!equalsNoCase(command, "DEF")) {
        return equalsNoCase(command, "LOAD") || equalsNoCase(command, "FILE") ? LineRead{}
                                                                              : badLine();
    }
    const std::string_view name = takeWord(rest);
    const std::string_view value = takeWord(rest);
    if (!trim(rest).empty()) return badLine();
    return symbolLine(name, value);
}

bool isHexWord(std::string_view word) {
    return word.size() >= 4 && word.size() <= 8 &&
           std::all_of(word.begin(), word.end(),
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

// A map's symbol rows: "     00008000  _main     module" (after an optional
// area letter such as "C:"); the headings and the area rows are no symbols.
LineRead readMapLine(std::string_view line) {
    std::string_view rest = line;
    std::string_view value = takeWord(rest);
    if (value.size() == 2 && value.back() == ':') value = takeWord(rest);
    if (!isHexWord(value)) return {};
    const std::string_view name = takeWord(rest);
    if (name.empty()) return {};
    const std::optional<std::uint32_t> number = digitsValue(value, 16);
    if (!number || *number > 0xFFFF || !isSymbolName(name)) return badLine();
    return {LineKind::symbol, {std::string(name), static_cast<std::uint16_t>(*number)}};
}

LineRead readLine(std::string_view line, SymbolFormat format) {
    switch (format) {
        case SymbolFormat::sdccNoi:
            return readNoiLine(line);
        case SymbolFormat::sdccMap:
            return readMapLine(line);
        case SymbolFormat::equList:
            break;
    }
    return readEquLine(line);
}

std::string_view firstWordOfText(std::string_view text) {
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        const std::string_view word = takeWord(line);
        if (!word.empty()) return word;
        start = end + 1;
    }
    return {};
}

}  // namespace

std::optional<std::uint16_t> parseSymbolValue(std::string_view text) {
    const std::optional<std::uint32_t> value = numberValue(text);
    if (!value || *value > 0xFFFF) return std::nullopt;
    return static_cast<std::uint16_t>(*value);
}

SymbolFormat detectSymbolFormat(std::string_view fileName, std::string_view text) {
    if (endsWithNoCase(fileName, ".noi")) return SymbolFormat::sdccNoi;
    if (endsWithNoCase(fileName, ".map")) return SymbolFormat::sdccMap;
    const std::string_view head = text.substr(0, 4096);
    if (equalsNoCase(firstWordOfText(head), "DEF")) return SymbolFormat::sdccNoi;
    if (head.find("ASxxxx Linker") != std::string_view::npos ||
        head.find("Hexadecimal  [") != std::string_view::npos) {
        return SymbolFormat::sdccMap;
    }
    return SymbolFormat::equList;
}

SymbolRead readSymbols(std::string_view text, SymbolFormat format) {
    SymbolRead read;
    read.format = format;
    std::vector<Symbol> symbols;
    std::size_t lineNumber = 0;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        ++lineNumber;
        LineRead line = readLine(text.substr(start, end - start), format);
        if (line.kind == LineKind::symbol) {
            symbols.push_back(std::move(line.symbol));
        } else if (line.kind == LineKind::bad) {
            if (read.badLines++ == 0) read.firstBadLine = lineNumber;
        }
        start = end + 1;
    }
    read.table = SymbolTable(std::move(symbols));
    return read;
}

SymbolRead loadSymbolFile(const std::filesystem::path& path) {
    SymbolRead read;
    std::optional<std::ifstream> file = openBinaryFile(path);
    if (!file) {
        read.problem = "cannot open the symbol file";
        return read;
    }
    const std::optional<std::uintmax_t> size = fileSizeBySeeking(*file);
    if (!size) {
        read.problem = "cannot read the symbol file";
        return read;
    }
    if (*size > kLargestSymbolFile) {
        read.problem = "too large for a symbol file (" + std::to_string(*size) +
                       " bytes; at most " + std::to_string(kLargestSymbolFile) + ")";
        return read;
    }
    std::string text(static_cast<std::size_t>(*size), '\0');
    if (!readExactly(*file, reinterpret_cast<std::uint8_t*>(text.data()), text.size())) {
        read.problem = "cannot read the symbol file";
        return read;
    }
    read = readSymbols(text, detectSymbolFormat(path.filename().string(), text));
    if (read.table.empty()) read.problem = "holds no symbols";
    return read;
}

std::string symbolReadText(const std::filesystem::path& path, const SymbolRead& read) {
    std::string text = path.filename().string() + ": ";
    if (!read.ok()) {
        text += read.problem;
        if (read.badLines != 0)
            text += " (" + std::to_string(read.badLines) + " lines not understood)";
        return text;
    }
    text += std::to_string(read.table.size()) + (read.table.size() == 1 ? " symbol" : " symbols");
    if (read.badLines != 0) {
        text += " (" + std::to_string(read.badLines) + (read.badLines == 1 ? " line" : " lines") +
                " skipped, the first at line " + std::to_string(read.firstBadLine) + ")";
    }
    return text;
}

}  // namespace vantorel
