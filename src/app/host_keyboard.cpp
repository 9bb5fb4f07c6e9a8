#include "app/host_keyboard.h"

#include <algorithm>

#include "input/key_layout_table.h"
#include "input/us_layout.h"

namespace vantorel {

namespace {

struct ModifierPair {
    std::uint8_t generic;  // down while either side is
    std::uint8_t left;
    std::uint8_t right;
};

constexpr std::array<ModifierPair, 3> kModifierPairs = {{
    {0x10, 0xA0, 0xA1},  // Shift
    {0x11, 0xA2, 0xA3},  // Ctrl
    {0x12, 0xA4, 0xA5},  // Alt
}};

}  // namespace

void HostKeyboard::keyDown(std::uint8_t virtualKey) {
    setDown(virtualKey, true);
}

void HostKeyboard::keyUp(std::uint8_t virtualKey) {
    setDown(virtualKey, false);
}

void HostKeyboard::setDown(std::uint8_t virtualKey, bool down) {
    if (down) {
        states_[virtualKey] |= kKeyDownBit;
    } else {
        states_[virtualKey] &= static_cast<std::uint8_t>(~kKeyDownBit);
    }
    updateGenericModifiers();
}

// A generic modifier pressed without a side (no scan code) counts as the left one.
void HostKeyboard::updateGenericModifiers() {
    for (const ModifierPair& pair : kModifierPairs) {
        const bool down = isDown(pair.left) || isDown(pair.right);
        states_[pair.generic] = static_cast<std::uint8_t>((states_[pair.generic] & ~kKeyDownBit) |
                                                          (down ? kKeyDownBit : 0));
    }
}

void HostKeyboard::releaseAll() {
    for (std::uint8_t& state : states_) state &= static_cast<std::uint8_t>(~kKeyDownBit);
}

void HostKeyboard::setCapsLockToggle(bool on) {
    std::uint8_t& state = states_[kVirtualKeyCapsLock];
    state = static_cast<std::uint8_t>((state & ~kKeyToggleBit) | (on ? kKeyToggleBit : 0));
}

void HostKeyboard::flipCapsLockToggle() {
    states_[kVirtualKeyCapsLock] ^= kKeyToggleBit;
}

bool HostKeyboard::capsLockToggle() const {
    return (states_[kVirtualKeyCapsLock] & kKeyToggleBit) != 0;
}

void HostKeyboard::copyKeyStates(std::span<std::uint8_t, kVirtualKeyCount> destination) {
    std::copy(states_.begin(), states_.end(), destination.begin());
}

std::int16_t HostKeyboard::keyForCharacter(char character) {
    return usLayoutKeyForCharacter(character);
}

}  // namespace vantorel
