// Reading and writing one setting in the settings file's encodings.
//
// Each reader takes the loaded document, a section, a key and the field, and
// leaves the field as it is when the key is missing (the field's current
// value is the default). Each writer sets one key in the document; the save
// operations of settings_file.h commit the document afterwards. None of them
// reports success: a value that cannot be used leaves the field unchanged.
//
// Encodings:
//   flag        "1" / "0"; read as 1, on, true, yes, y or 0, off, false, no,
//               n in any case (at most 15 characters)
//   integer     signed decimal
//   text        as is; read up to 255 characters
//   colour      key "c%02x" (the entry number), value "%03d%03d%03d" of red,
//               green and blue; a read value must be exactly nine digits, and
//               each group's low 8 bits are stored
//   key table   key "%c%02x" (table letter, entry index 00-ff), value the entry
//               in decimal; the low 8 bits of a read value are stored
#pragma once

#include <cstdint>
#include <string_view>

#include "config/machine_config.h"
#include "config/profile_document.h"

namespace vantorel {

inline constexpr std::size_t kMaxFlagChars = 15;    // characters read for a flag
inline constexpr std::size_t kMaxTextChars = 255;   // characters read for a text
inline constexpr std::size_t kMaxColourChars = 14;  // characters read for a colour

void readFlagSetting(const ProfileDocument& document, std::string_view section,
                     std::string_view key, bool& field);
// Numbers beyond the field's range read as the nearest value it can hold.
void readIntSetting(const ProfileDocument& document, std::string_view section, std::string_view key,
                    std::int32_t& field);
// An unsigned field: a negative value reads as 0, so that "-1" cannot turn
// into four thousand million.
void readIntSetting(const ProfileDocument& document, std::string_view section, std::string_view key,
                    std::uint32_t& field);
// The result is brought to the nearest of lowest..highest.
void readClampedIntSetting(const ProfileDocument& document, std::string_view section,
                           std::string_view key, std::int32_t& field, std::int32_t lowest,
                           std::int32_t highest);
void readStringSetting(const ProfileDocument& document, std::string_view section,
                       std::string_view key, SettingsText& field);
void readColourSetting(const ProfileDocument& document, std::string_view section, int entry,
                       RgbColour& colour);
// All 256 entries, index 0 to 255, keys `letter` followed by two hex digits.
void readKeyTableSetting(const ProfileDocument& document, std::string_view section, char letter,
                         KeyAssignmentTable& table);

void writeFlagSetting(ProfileDocument& document, std::string_view section, std::string_view key,
                      bool value);
void writeIntSetting(ProfileDocument& document, std::string_view section, std::string_view key,
                     std::int64_t value);
// Written up to the field's terminator (the whole field if it has none).
void writeStringSetting(ProfileDocument& document, std::string_view section, std::string_view key,
                        const SettingsText& value);
void writeColourSetting(ProfileDocument& document, std::string_view section, int entry,
                        const RgbColour& colour);
void writeKeyTableSetting(ProfileDocument& document, std::string_view section, char letter,
                          const KeyAssignmentTable& table);

}  // namespace vantorel
