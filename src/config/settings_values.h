// Reading and writing one setting in the settings file's encodings.
//
// Each reader takes the loaded document, a section, a key and the field, and
// leaves the field as it is when the key is missing (the field's current
// value is the default). Each writer sets one key in the document. The
// settings table (settings_table.h) picks the reader and writer of each key
// by its field's type; the save operations of settings_file.h commit the
// document afterwards. None of them reports success: a value that cannot be
// used leaves the field unchanged.
//
// Encodings:
//   flag        "1" / "0"; read as 1, on, true, yes, y or 0, off, false, no,
//               n in any case (at most 15 characters)
//   integer     signed decimal
//   text        as is; read up to 255 characters
//   colour      value "%03d%03d%03d" of red, green and blue; a read value must
//               be exactly nine digits, and each group's low 8 bits are stored
//   key table   key: the table's letter and the entry index in two lower-case
//               hex digits (00-ff); value the entry in decimal; the low 8 bits
//               of a read value are stored
#pragma once

#include <algorithm>
#include <concepts>
#include <cstdint>
#include <limits>
#include <string_view>

#include "config/machine_config.h"
#include "config/profile_document.h"

namespace vantorel {

inline constexpr std::size_t kMaxFlagChars = 15;    // characters read for a flag
inline constexpr std::size_t kMaxTextChars = 255;   // characters read for a text
inline constexpr std::size_t kMaxColourChars = 14;  // characters read for a colour

// The integer types of the record's fields.
template <typename T>
concept SettingInteger = std::integral<T> && !std::same_as<T, bool> && sizeof(T) <= 4;

// The values an integer setting may take when read (both included).
struct IntRange {
    std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
    std::int64_t highest = std::numeric_limits<std::int64_t>::max();
    friend constexpr bool operator==(const IntRange&, const IntRange&) = default;
};

void readFlagSetting(const ProfileDocument& document, std::string_view section,
                     std::string_view key, bool& field);
// The integer of `key`, `current` when it is missing, brought to the nearest
// of range.lowest..range.highest.
std::int64_t readBoundedInt(const ProfileDocument& document, std::string_view section,
                            std::string_view key, std::int64_t current, IntRange range);
// A number outside `range`, or beyond what the field can hold, reads as the
// nearest value within both: it never wraps, and "-1" read into an unsigned
// field gives 0, not four thousand million.
template <SettingInteger Integer>
void readIntSetting(const ProfileDocument& document, std::string_view section, std::string_view key,
                    Integer& field, IntRange range = {}) {
    using Limits = std::numeric_limits<Integer>;
    const IntRange held = {std::max<std::int64_t>(range.lowest, Limits::min()),
                           std::min<std::int64_t>(range.highest, Limits::max())};
    field = static_cast<Integer>(readBoundedInt(document, section, key, field, held));
}
void readStringSetting(const ProfileDocument& document, std::string_view section,
                       std::string_view key, SettingsText& field);
void readColourSetting(const ProfileDocument& document, std::string_view section,
                       std::string_view key, RgbColour& colour);
// All 256 entries, index 0 to 255, keys `letter` followed by two hex digits.
void readKeyTableSetting(const ProfileDocument& document, std::string_view section,
                         std::string_view letter, KeyAssignmentTable& table);

void writeFlagSetting(ProfileDocument& document, std::string_view section, std::string_view key,
                      bool value);
void writeIntSetting(ProfileDocument& document, std::string_view section, std::string_view key,
                     std::int64_t value);
// Written up to the field's terminator (the whole field if it has none).
void writeStringSetting(ProfileDocument& document, std::string_view section, std::string_view key,
                        const SettingsText& value);
void writeColourSetting(ProfileDocument& document, std::string_view section, std::string_view key,
                        const RgbColour& colour);
void writeKeyTableSetting(ProfileDocument& document, std::string_view section,
                          std::string_view letter, const KeyAssignmentTable& table);

}  // namespace vantorel
