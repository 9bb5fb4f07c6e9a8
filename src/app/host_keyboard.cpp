#include "app/host_keyboard.h"

#include <algorithm>

#include "app/modifier_keys.h"
#include "input/key_layout_table.h"
#include "input/us_layout.h"

namespace vantorel {

// Caps Lock reaches the machine through its toggle alone, which the matrix
// reads as the key held down.
void HostKeyboard::keyDown(std::uint8_t virtualKey, char32_t text, bool autoRepeat) {
    setHeld(virtualKey, true);
    if (virtualKey != kVirtualKeyCapsLock) latch_.push({virtualKey, true, autoRepeat, text});
}

void HostKeyboard::keyUp(std::uint8_t virtualKey) {
    setHeld(virtualKey, false);
    if (virtualKey != kVirtualKeyCapsLock) latch_.push({virtualKey, false, false, kNoKeyText});
}

// A generic modifier pressed without a side (no scan code) counts as the left one.
void HostKeyboard::setHeld(std::uint8_t virtualKey, bool down) {
    for (const ModifierPair& pair : kModifierPairs) {
        if (virtualKey == pair.generic) virtualKey = pair.left;
    }
    held_[virtualKey] = down ? kKeyDownBit : 0;
    for (const ModifierPair& pair : kModifierPairs) {
        const bool either = isDown(pair.left) || isDown(pair.right);
        held_[pair.generic] = either ? kKeyDownBit : 0;
    }
}

void HostKeyboard::releaseAll() {
    held_.fill(0);
    latch_.releaseAll();
}

void HostKeyboard::setCapsLockToggle(bool on) {
    capsLockToggle_ = on;
}

void HostKeyboard::flipCapsLockToggle() {
    capsLockToggle_ = !capsLockToggle_;
}

bool HostKeyboard::capsLockToggle() const {
    return capsLockToggle_;
}

void HostKeyboard::copyHeldKeys(std::span<std::uint8_t, kVirtualKeyCount> destination) const {
    std::copy(held_.begin(), held_.end(), destination.begin());
    if (capsLockToggle_) destination[kVirtualKeyCapsLock] |= kKeyToggleBit;
}

void HostKeyboard::nextScan() {
    latch_.advance(runsFast_ && runsFast_());
}

void HostKeyboard::copyKeyStates(std::span<std::uint8_t, kVirtualKeyCount> destination) {
    std::copy(latch_.states().begin(), latch_.states().end(), destination.begin());
    if (capsLockToggle_) destination[kVirtualKeyCapsLock] |= kKeyToggleBit;
}

void HostKeyboard::copyKeyTexts(std::span<char32_t, kVirtualKeyCount> destination) {
    std::copy(latch_.texts().begin(), latch_.texts().end(), destination.begin());
}

std::int16_t HostKeyboard::keyForCharacter(char character) {
    return usLayoutKeyForCharacter(character);
}

}  // namespace vantorel
