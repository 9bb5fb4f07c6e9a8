#include "app/key_latch.h"

#include "app/modifier_keys.h"
#include "input/key_layout_table.h"

namespace vantorel {

namespace {

// Shift, Ctrl, Alt (either side) and Caps Lock change what other keys type
// and type nothing themselves.
bool isModifier(std::uint8_t key) {
    return key == kVirtualKeyCapsLock || (key >= 0x10 && key <= 0x12) ||
           (key >= 0xA0 && key <= 0xA5);
}

std::uint8_t sidedKey(std::uint8_t key) {
    for (const ModifierPair& pair : kModifierPairs) {
        if (key == pair.generic) return pair.left;
    }
    return key;
}

void countUp(std::uint8_t& count) {
    if (count < 0xFF) ++count;
}

}  // namespace

KeyLatch::KeyLatch() {
    texts_.fill(kNoKeyText);
}

void KeyLatch::push(HostKeyEvent event) {
    event.key = sidedKey(event.key);
    KeyAge& age = ages_[event.key];
    if (event.down) {
        if (queue_.size() >= kKeyQueueLimit) return;
        ++age.queuedPresses;
    } else if (!isDown(event.key) && age.queuedPresses == 0) {
        return;  // nothing to let go
    }
    queue_.push_back(event);
}

void KeyLatch::advance(bool machineRunsFast) {
    ageKeys();
    ScanPlay play;
    play.keyLetGo = machineRunsFast && endFastPresses();
    while (!queue_.empty() && playFront(machineRunsFast, play)) {
        const HostKeyEvent& played = queue_.front();
        if (played.down) --ages_[played.key].queuedPresses;
        queue_.pop_front();
    }
    updateGenericModifiers();
}

// The scan just made saw every key as it stands.
void KeyLatch::ageKeys() {
    for (int key = 0; key < kVirtualKeyCount; ++key) {
        KeyAge& age = ages_[static_cast<std::size_t>(key)];
        countUp(isDown(static_cast<std::uint8_t>(key)) ? age.scansDown : age.scansUp);
    }
}

// True when a press ended.
bool KeyLatch::endFastPresses() {
    bool ended = false;
    for (int index = 0; index < kVirtualKeyCount; ++index) {
        const auto key = static_cast<std::uint8_t>(index);
        if (isDown(key) && !isModifier(key) && ages_[key].scansDown >= kFastPressScans) {
            release(key);
            ended = true;
        }
    }
    return ended;
}

bool KeyLatch::playFront(bool machineRunsFast, ScanPlay& play) {
    const HostKeyEvent& event = queue_.front();
    const KeyAge& age = ages_[event.key];
    const bool modifier = isModifier(event.key);
    if (!event.down) {
        if (!isDown(event.key)) return true;  // already let go (a fast press ended)
        if (age.scansDown < kShortestPressScans) return false;
        release(event.key);
        if (!modifier) play.keyLetGo = true;
        return true;
    }
    if (play.freshKeyDown) return false;  // one fresh key per scan; later modifiers wait too
    if (isDown(event.key)) return true;   // still down: nothing new
    if (event.autoRepeat && !machineRunsFast) return true;  // the held key is still down
    if (age.scansUp < 1) return false;                      // seen up once first
    // A key let go in this scan leaves one scan with neither key down: two
    // host keys may press the same Sorcerer key (= and - in sensible mode).
    if (!modifier && play.keyLetGo) return false;
    press(event.key, event.text);
    if (!modifier) play.freshKeyDown = true;
    return true;
}

void KeyLatch::press(std::uint8_t key, char32_t text) {
    states_[key] |= kKeyDownBit;
    texts_[key] = text;
    ages_[key].scansDown = 0;
}

void KeyLatch::release(std::uint8_t key) {
    states_[key] &= static_cast<std::uint8_t>(~kKeyDownBit);
    texts_[key] = kNoKeyText;
    ages_[key].scansUp = 0;
}

void KeyLatch::updateGenericModifiers() {
    for (const ModifierPair& pair : kModifierPairs) {
        const bool down = isDown(pair.left) || isDown(pair.right);
        states_[pair.generic] = down ? kKeyDownBit : 0;
    }
}

void KeyLatch::releaseAll() {
    queue_.clear();
    for (int key = 0; key < kVirtualKeyCount; ++key) {
        if (isDown(static_cast<std::uint8_t>(key))) release(static_cast<std::uint8_t>(key));
        ages_[static_cast<std::size_t>(key)].queuedPresses = 0;
    }
}

}  // namespace vantorel
