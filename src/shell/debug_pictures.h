// Pictures of the machine's video memory for the debugger window: the
// screen RAM drawn with the character patterns it names, and a character
// set (the ROM's at F800 or the programmable one at FC00) as a grid.
// Read through a side-effect-free peek. Used by debugger_panes.cpp.
#pragma once

#include <QImage>
#include <cstdint>
#include <functional>

namespace vantorel {

using PeekFunction = std::function<std::uint8_t(std::uint16_t)>;

struct CharacterSet {
    std::uint16_t base;  // the first character's first row
    int characters;      // 8 bytes each
};

inline constexpr CharacterSet kRomCharacters{0xF800, 128};
inline constexpr CharacterSet kProgrammableCharacters{0xFC00, 128};

// 64 x 30 cells of F080-F7FF, 8 x 8 pixels each (512 x 240): codes below
// 128 from the ROM's patterns, the others from FC00 on.
QImage screenRamPicture(const PeekFunction& peek);

// The set's characters 16 to a row, 8 x 8 pixels each.
QImage characterSetPicture(const PeekFunction& peek, CharacterSet set);

}  // namespace vantorel
