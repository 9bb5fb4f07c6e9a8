// The host's modifier keys as virtual keys: Shift, Ctrl and Alt each have a
// generic key that is down while either of its left and right keys is.
// Shared by the host keyboard (which keeps the generic keys) and the key
// latch (which plays modifiers out together with the key they change).
#pragma once

#include <array>
#include <cstdint>

namespace vantorel {

struct ModifierPair {
    std::uint8_t generic;  // down while either side is
    std::uint8_t left;
    std::uint8_t right;
};

inline constexpr std::array<ModifierPair, 3> kModifierPairs = {{
    {0x10, 0xA0, 0xA1},  // Shift
    {0x11, 0xA2, 0xA3},  // Ctrl
    {0x12, 0xA4, 0xA5},  // Alt
}};

}  // namespace vantorel
