// Which matrix keys quick type holds down to type each character.
//
// The keyboard layout records, for every key that types a character, the
// character it types without and with SHIFT. A character is typed by the
// first position (in table order) that types it without SHIFT, else by the
// first that types it with SHIFT, SHIFT (row 0 column 4) then held as well.
// So 'a' is the A key alone, 'A' is SHIFT and A, ':' is the key the host's
// minus key drives, and '0' is the 0 key alone.
//
// Quick type presses a position by marking its host key down in
// hostKeyState, so the normal row read sees it. A position can be used only
// when its host key drives no other position (F12 drives four, and an
// unresolved layout leaves many on the same code); characters that need
// such a key count as untypeable.
//
// Built by QuickType (quick_type.h) from the keyboard's resolved layout when
// a text starts typing.
#pragma once

#include <array>
#include <cstdint>

#include "input/key_layout_table.h"

namespace vantorel {

inline constexpr int kShiftKeyPosition = 0 * kKeyboardColumns + 4;  // row 0, column 4
inline constexpr std::uint8_t kCarriageReturn = 0x0D;
inline constexpr std::uint8_t kLineFeed = 0x0A;

struct QuickTypeKey {
    bool typeable = false;         // some key types this character
    std::uint8_t hostKeyCode = 0;  // host key that drives the key's position, 0-255
    bool shift = false;            // SHIFT is held with it
};

struct QuickTypeKeyMap {
    std::array<QuickTypeKey, 256> keys{};  // indexed by character code 00-FF
    std::uint8_t shiftHostKeyCode = 0;     // host key that drives SHIFT, 0-255
};

QuickTypeKeyMap buildQuickTypeKeyMap(const KeyLayoutTable& layout);

}  // namespace vantorel
