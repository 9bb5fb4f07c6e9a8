// Text rules shared by the INI reader and the settings code.
//
// The Windows profile functions treat blanks around names and values as
// insignificant and compare names without regard to case; these helpers give
// the same rules (ASCII only: every name the program uses is ASCII).
#pragma once

#include <string>
#include <string_view>

namespace vantorel {

// Space, tab, the line-break characters and Ctrl-Z (the old end-of-file mark,
// which the Windows reader also skips).
constexpr bool isProfileBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\x1a';
}

constexpr std::string_view trimProfileBlanks(std::string_view text) {
    while (!text.empty() && isProfileBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isProfileBlank(text.back())) text.remove_suffix(1);
    return text;
}

constexpr char toLowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

inline std::string toLowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = toLowerAscii(c);
    return lower;
}

constexpr bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (toLowerAscii(a[i]) != toLowerAscii(b[i])) return false;
    }
    return true;
}

}  // namespace vantorel
