// Reading values the way GetPrivateProfileStringA and GetPrivateProfileIntA do,
// and writing texts so that they read back.
//
// The settings readers (settings_values.h) read every key through these two
// functions, with the field's current value as the default, so that a missing
// file, section or key leaves the field as it is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "config/profile_document.h"

namespace vantorel {

// Numbers beyond this magnitude read as this magnitude (see parseProfileInt).
inline constexpr std::int64_t kProfileIntLimit = 1'000'000'000'000;  // far beyond 32 bits

// The text of `key` in `section`: the value with the blanks around it removed
// and one pair of matching quotes ('...' or "...") around it removed; inside
// double quotes the escapes below stand for their characters. When the
// section or key is missing, `defaultValue` with its trailing blanks removed.
// Either is cut to at most `maxChars` characters. A key that is present with
// an empty value reads as empty, not as the default.
std::string readProfileString(const ProfileDocument& document, std::string_view section,
                              std::string_view key, std::string_view defaultValue,
                              std::size_t maxChars);

// The escapes of a double-quoted value: a line feed, a carriage return and
// a backslash that would otherwise start one of these three. Nothing else
// after a backslash is an escape, so a quoted Windows path ("C:\roms\new")
// reads as it always did.
inline constexpr std::string_view kEscapedLineFeed = "\\x0A";
inline constexpr std::string_view kEscapedCarriageReturn = "\\x0D";
inline constexpr std::string_view kEscapedBackslash = "\\x5C";

// The value to write for `text` so that readProfileString gives `text` back
// and the value stays on its own line: the text itself, or, when it has
// blanks at an end, a pair of quotes around it (which reading would drop) or
// a line break, the text inside double quotes with its line breaks escaped.
// No value written so can end its line early, so none can start a section
// or a key of its own.
std::string profileStringValue(std::string_view text);

// The integer of `key` in `section`: `defaultValue` when the section or key is
// missing or the value is empty, else parseProfileInt of its text.
std::int64_t readProfileInt(const ProfileDocument& document, std::string_view section,
                            std::string_view key, std::int64_t defaultValue);

// Leading blanks, an optional '+' or '-', then decimal digits up to the first
// other character: "42A9" is 42, "B42" and "on" are 0. Windows wraps such
// numbers around 2^32 ("4294967297" would be 1); here they stop at
// +/-kProfileIntLimit instead, so that a bound applied afterwards gives the
// nearest bound rather than an arbitrary value.
std::int64_t parseProfileInt(std::string_view text);

}  // namespace vantorel
