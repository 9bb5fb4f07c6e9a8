#include "config/settings_values.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

#include "config/profile_text.h"
#include "config/profile_values.h"

namespace vantorel {

namespace {

struct FlagWord {
    std::string_view text;
    bool value;
};

// Compared in this order; the first match wins.
constexpr std::array<FlagWord, 10> kFlagWords = {{{"1", true},
                                                  {"0", false},
                                                  {"on", true},
                                                  {"off", false},
                                                  {"true", true},
                                                  {"false", false},
                                                  {"yes", true},
                                                  {"no", false},
                                                  {"y", true},
                                                  {"n", false}}};

std::string_view textOf(const SettingsText& field) {
    const auto end = std::find(field.begin(), field.end(), '\0');
    return std::string_view(field.data(), static_cast<std::size_t>(end - field.begin()));
}

std::string colourText(const RgbColour& colour) {
    char text[16];
    std::snprintf(text, sizeof text, "%03d%03d%03d", colour.red, colour.green, colour.blue);
    return text;
}

std::string keyTableKey(std::string_view letter, std::size_t index) {
    char digits[4];
    std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned>(index) & 0xFFu);
    return std::string(letter) + digits;
}

bool allDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Three decimal digits; only the low 8 bits are kept (300 gives 44).
std::uint8_t colourGroup(std::string_view digits) {
    const int value = (digits[0] - '0') * 100 + (digits[1] - '0') * 10 + (digits[2] - '0');
    return static_cast<std::uint8_t>(value & 0xFF);
}

}  // namespace

void readFlagSetting(const ProfileDocument& document, std::string_view section,
                     std::string_view key, bool& field) {
    const std::string text =
        readProfileString(document, section, key, field ? "1" : "0", kMaxFlagChars);
    for (const FlagWord& word : kFlagWords) {
        if (equalsIgnoringCase(text, word.text)) {
            field = word.value;
            return;
        }
    }
}

std::int64_t readBoundedInt(const ProfileDocument& document, std::string_view section,
                            std::string_view key, std::int64_t current, IntRange range) {
    const std::int64_t value = readProfileInt(document, section, key, current);
    return std::clamp(value, range.lowest, range.highest);
}

void readStringSetting(const ProfileDocument& document, std::string_view section,
                       std::string_view key, SettingsText& field) {
    const std::string text =
        readProfileString(document, section, key, textOf(field), kMaxTextChars);
    // The field holds a C string: a NUL byte in the file's value ends it, and
    // nothing after it is kept (it would never be saved back). So does a lone
    // carriage return, which no saved line can hold.
    const auto end =
        std::find_if(text.begin(), text.end(), [](char c) { return c == '\0' || c == '\r'; });
    field.fill('\0');
    std::copy(text.begin(), end, field.begin());
}

void readColourSetting(const ProfileDocument& document, std::string_view section,
                       std::string_view key, RgbColour& colour) {
    const std::string text =
        readProfileString(document, section, key, colourText(colour), kMaxColourChars);
    // Anything but nine digits ("1696", "16 96 016", "-16096016") is no colour.
    if (text.size() != 9 || !allDigits(text)) return;
    const std::string_view digits = text;
    colour.red = colourGroup(digits.substr(0, 3));
    colour.green = colourGroup(digits.substr(3, 3));
    colour.blue = colourGroup(digits.substr(6, 3));
}

void readKeyTableSetting(const ProfileDocument& document, std::string_view section,
                         std::string_view letter, KeyAssignmentTable& table) {
    for (std::size_t index = 0; index < table.size(); ++index) {
        const std::int64_t value =
            readProfileInt(document, section, keyTableKey(letter, index), table[index]);
        table[index] = static_cast<std::uint8_t>(value & 0xFF);  // 511 gives 255, -1 gives 255
    }
}

void writeFlagSetting(ProfileDocument& document, std::string_view section, std::string_view key,
                      bool value) {
    document.setValue(section, key, value ? "1" : "0");
}

void writeIntSetting(ProfileDocument& document, std::string_view section, std::string_view key,
                     std::int64_t value) {
    document.setValue(section, key, std::to_string(value));
}

void writeStringSetting(ProfileDocument& document, std::string_view section, std::string_view key,
                        const SettingsText& value) {
    document.setValue(section, key, profileStringValue(textOf(value)));
}

void writeColourSetting(ProfileDocument& document, std::string_view section, std::string_view key,
                        const RgbColour& colour) {
    document.setValue(section, key, colourText(colour));
}

void writeKeyTableSetting(ProfileDocument& document, std::string_view section,
                          std::string_view letter, const KeyAssignmentTable& table) {
    for (std::size_t index = 0; index < table.size(); ++index) {
        document.setValue(section, keyTableKey(letter, index), std::to_string(table[index]));
    }
}

}  // namespace vantorel
