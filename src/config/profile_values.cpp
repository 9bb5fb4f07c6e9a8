#include "config/profile_values.h"

#include "config/profile_text.h"

namespace vantorel {

namespace {

bool inQuotes(std::string_view value) {
    return value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
           value.back() == value.front();
}

std::string_view withoutQuotes(std::string_view value) {
    return inQuotes(value) ? value.substr(1, value.size() - 2) : value;
}

std::string_view withoutTrailingBlanks(std::string_view text) {
    while (!text.empty() && isProfileBlank(text.back())) text.remove_suffix(1);
    return text;
}

struct Escape {
    std::string_view text;
    char character;
};

constexpr Escape kEscapes[] = {
    {kEscapedLineFeed, '\n'}, {kEscapedCarriageReturn, '\r'}, {kEscapedBackslash, '\\'}};

// The escape `text` starts with, if any.
const Escape* escapeAt(std::string_view text) {
    for (const Escape& escape : kEscapes) {
        if (text.starts_with(escape.text)) return &escape;
    }
    return nullptr;
}

std::string unescaped(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    while (!text.empty()) {
        if (const Escape* escape = escapeAt(text)) {
            result.push_back(escape->character);
            text.remove_prefix(escape->text.size());
        } else {
            result.push_back(text.front());
            text.remove_prefix(1);
        }
    }
    return result;
}

// A line break becomes its escape, and so does a backslash that would read
// as the start of one.
std::string escaped(std::string_view text) {
    std::string result;
    result.reserve(text.size() + 8);
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '\n') {
            result.append(kEscapedLineFeed);
        } else if (c == '\r') {
            result.append(kEscapedCarriageReturn);
        } else if (c == '\\' && escapeAt(text.substr(at)) != nullptr) {
            result.append(kEscapedBackslash);
        } else {
            result.push_back(c);
        }
    }
    return result;
}

// A value as written: double quotes carry escapes, single quotes only quote.
std::string valueText(std::string_view value) {
    if (!inQuotes(value)) return std::string(value);
    const std::string_view inside = withoutQuotes(value);
    return value.front() == '"' ? unescaped(inside) : std::string(inside);
}

}  // namespace

std::string readProfileString(const ProfileDocument& document, std::string_view section,
                              std::string_view key, std::string_view defaultValue,
                              std::size_t maxChars) {
    const auto value = document.findValue(section, key);
    std::string text = value ? valueText(*value) : std::string(withoutTrailingBlanks(defaultValue));
    if (text.size() > maxChars) text.resize(maxChars);
    return text;
}

std::string profileStringValue(std::string_view text) {
    const bool blankAtEnds =
        !text.empty() && (isProfileBlank(text.front()) || isProfileBlank(text.back()));
    const bool lineBreak = text.find_first_of("\r\n") != std::string_view::npos;
    if (!blankAtEnds && !inQuotes(text) && !lineBreak) return std::string(text);
    std::string value(1, '"');
    value.append(escaped(text));
    value.push_back('"');
    return value;
}

std::int64_t readProfileInt(const ProfileDocument& document, std::string_view section,
                            std::string_view key, std::int64_t defaultValue) {
    const std::string text = readProfileString(document, section, key, "", std::string_view::npos);
    if (text.empty()) return defaultValue;
    return parseProfileInt(text);
}

std::int64_t parseProfileInt(std::string_view text) {
    while (!text.empty() && isProfileBlank(text.front())) text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::int64_t magnitude = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') break;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude >= kProfileIntLimit) {
            magnitude = kProfileIntLimit;
            break;
        }
    }
    return negative ? -magnitude : magnitude;
}

}  // namespace vantorel
