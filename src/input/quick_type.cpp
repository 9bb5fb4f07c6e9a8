#include "input/quick_type.h"

#include <algorithm>

namespace vantorel {

namespace {

void releaseAllKeys(KeyboardMatrix& keyboard) {
    std::fill(keyboard.hostKeyState.begin(), keyboard.hostKeyState.end(), std::uint8_t{0});
}

}  // namespace

std::int64_t quickTypeFrameLimit(std::size_t textBytes, std::int64_t frameTStates) {
    const std::int64_t tstates = std::max<std::int64_t>(frameTStates, 1);
    const std::int64_t perCharacter = (kKeyHoldTStates + kReturnReleaseTStates) / tstates + 2;
    const std::int64_t beginning = kKeyReleaseTStates / tstates + 2;
    return beginning + static_cast<std::int64_t>(textBytes) * perCharacter;
}

QuickTypeResult QuickType::start(std::size_t textBytes) {
    if (active_) return QuickTypeResult::alreadyActive;
    if (textBytes == 0) return QuickTypeResult::emptyFile;
    if (textBytes > kQuickTypeMaxBytes) return QuickTypeResult::tooBig;
    textBytes_ = textBytes;
    readPosition_ = 0;
    currentCharacter_ = -1;
    phase_ = Phase::beginning;
    remainingTStates_ = 0;
    active_ = true;
    return QuickTypeResult::ok;
}

// The key states for the next frame: hold the current key, release it, or
// move on to the next character once its time is up. A frame that ran no
// T-states still counts as one, so typing always moves on.
void QuickType::typeFrame(KeyboardMatrix& keyboard, std::span<const std::uint8_t> text,
                          std::int64_t frameTStates) {
    if (!active_) return;
    if (phase_ == Phase::beginning) {
        begin(keyboard);
        return;
    }
    remainingTStates_ -= std::max<std::int64_t>(frameTStates, 1);
    if (remainingTStates_ > 0) return;
    if (phase_ == Phase::pressing) {
        releaseAllKeys(keyboard);
        phase_ = Phase::releasing;
        remainingTStates_ =
            currentCharacter_ == kCarriageReturn ? kReturnReleaseTStates : kKeyReleaseTStates;
        return;
    }
    if (!pressNextCharacter(keyboard, text)) finish(keyboard);
}

// Typing begins with every key up, whatever the host held at the last scan
// (Caps Lock's latch included), so that the first key is seen as new.
void QuickType::begin(KeyboardMatrix& keyboard) {
    keyMap_ = buildQuickTypeKeyMap(keyboard.layout);
    releaseAllKeys(keyboard);
    phase_ = Phase::releasing;
    remainingTStates_ = kKeyReleaseTStates;
}

// Presses the key of the next character that a key types; false when the
// text is used up.
bool QuickType::pressNextCharacter(KeyboardMatrix& keyboard, std::span<const std::uint8_t> text) {
    const std::uint64_t end = std::min<std::uint64_t>(textBytes_, text.size());
    while (readPosition_ < end) {
        std::uint8_t character = text[readPosition_++];
        if (character == kLineFeed) character = kCarriageReturn;
        if (character == kCarriageReturn && readPosition_ < end &&
            text[readPosition_] == kLineFeed) {
            ++readPosition_;  // CR LF is one line end
        }
        const QuickTypeKey& key = keyMap_.keys[character];
        if (!key.typeable) continue;
        releaseAllKeys(keyboard);
        keyboard.hostKeyState[key.hostKeyCode] = kKeyDownBit;
        if (key.shift) keyboard.hostKeyState[keyMap_.shiftHostKeyCode] = kKeyDownBit;
        currentCharacter_ = character;
        phase_ = Phase::pressing;
        remainingTStates_ = kKeyHoldTStates;
        return true;
    }
    return false;
}

void QuickType::finish(KeyboardMatrix& keyboard) {
    releaseAllKeys(keyboard);
    textBytes_ = 0;
    readPosition_ = 0;
    currentCharacter_ = -1;
    phase_ = Phase::beginning;
    remainingTStates_ = 0;
    active_ = false;
}

}  // namespace vantorel
