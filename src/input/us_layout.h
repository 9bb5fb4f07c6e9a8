// Which key types a character on a US keyboard.
//
// The character-to-key lookup of the Windows US layout: the low byte is the
// virtual-key code (0x41 A, 0x31 1, 0xBA ;, 0xDE ' ...), the high byte the
// shift state needed (1 Shift, 2 Ctrl); -1 for a character no key types.
// The headless runner and the desktop shell both answer the keyboard
// matrix's lookups with it, since host keys are mapped to the US physical
// layout.
#pragma once

#include <cstdint>

namespace vantorel {

inline constexpr std::int16_t kNoKeyForCharacter = -1;
inline constexpr std::uint16_t kShiftStateShift = 0x0100;
inline constexpr std::uint16_t kShiftStateCtrl = 0x0200;

std::int16_t usLayoutKeyForCharacter(char character);

}  // namespace vantorel
