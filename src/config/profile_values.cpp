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

}  // namespace

std::string readProfileString(const ProfileDocument& document, std::string_view section,
                              std::string_view key, std::string_view defaultValue,
                              std::size_t maxChars) {
    const auto value = document.findValue(section, key);
    const std::string_view text =
        value ? withoutQuotes(*value) : withoutTrailingBlanks(defaultValue);
    return std::string(text.substr(0, maxChars));
}

std::string profileStringValue(std::string_view text) {
    const bool blankAtEnds =
        !text.empty() && (isProfileBlank(text.front()) || isProfileBlank(text.back()));
    if (!blankAtEnds && !inQuotes(text)) return std::string(text);
    std::string value(1, '"');
    value.append(text);
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
