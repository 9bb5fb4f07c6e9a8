#include "input/keyboard_matrix.h"

namespace vantorel {

void KeyboardMatrix::initKeyLayout(KeyStateSource& keys) {
    for (KeyLayoutEntry& entry : layout) {
        if (entry.hostKeyCode != 0) continue;
        const std::int16_t key = keys.keyForCharacter(static_cast<char>(entry.hostCharacter));
        entry.hostKeyCode = static_cast<std::uint8_t>(key & 0xFF);
    }
}

void KeyboardMatrix::scanHostKeyboard(KeyStateSource& keys, bool quickTypeActive,
                                      bool emulatedflag) {
    if (quickTypeActive || !emulatedflag) return;
    keys.copyKeyStates(hostKeyState);
    if (hostKeyState[kVirtualKeyCapsLock] & kKeyToggleBit) {
        hostKeyState[kVirtualKeyCapsLock] |= kKeyDownBit;
    }
}

}  // namespace vantorel
