// The Sorcerer keys that host keys can be assigned to, by name per board.
//
// The 48 keys that type a visible character: the letters, the digits and
// the punctuation keys of the keyboard matrix (key_layout_table.h), in the
// order a user looks for them (a-z, 1-0, then punctuation). Each row names
// its matrix position and what the key is on each of the three boards an
// assignment can choose: the key alone ("a"), with SHIFT ("A", "! (Shift
// 1)") and with CTRL ("Ctrl A"). An assignment value's low six bits are an
// index into this table.
//
// Shown by the Configure Keyboard dialog; read by the sensible keyboard
// (sensible_keys.h) to press an assigned key.
#pragma once

#include <array>
#include <cstdint>

namespace vantorel {

inline constexpr int kEmulatedKeyCount = 48;
inline constexpr int kBoardCount = 3;  // normal, SHIFT, CTRL

struct EmulatedKeyName {
    std::uint8_t position;                       // matrix position, row * 5 + column
    std::array<const char*, kBoardCount> names;  // on the normal, SHIFT and CTRL boards
};

using EmulatedKeyNameTable = std::array<EmulatedKeyName, kEmulatedKeyCount>;

extern const EmulatedKeyNameTable kEmulatedKeyNameTable;

}  // namespace vantorel
