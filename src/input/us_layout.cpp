#include "input/us_layout.h"

#include <array>
#include <cstdint>

namespace vantorel {

namespace {

struct PunctuationKey {
    char plain;    // typed by the key alone
    char shifted;  // typed with Shift
    std::uint8_t virtualKey;
};

// The punctuation keys of the US layout (VK_OEM_1 ... VK_OEM_7).
constexpr std::array<PunctuationKey, 11> kPunctuationKeys = {{
    {';', ':', 0xBA},
    {'=', '+', 0xBB},
    {',', '<', 0xBC},
    {'-', '_', 0xBD},
    {'.', '>', 0xBE},
    {'/', '?', 0xBF},
    {'`', '~', 0xC0},
    {'[', '{', 0xDB},
    {'\\', '|', 0xDC},
    {']', '}', 0xDD},
    {'\'', '"', 0xDE},
}};

// Shifted digits, from ')' on Shift+0 to '(' on Shift+9.
constexpr std::array<char, 10> kShiftedDigits = {')', '!', '@', '#', '$', '%', '^', '&', '*', '('};

constexpr std::int16_t keyWith(std::uint16_t shiftState, unsigned virtualKey) {
    return static_cast<std::int16_t>(shiftState | virtualKey);
}

std::int16_t controlCharacterKey(unsigned code) {
    switch (code) {
        case 0x08:
            return keyWith(0, 0x08);  // Backspace
        case 0x09:
            return keyWith(0, 0x09);  // Tab
        case 0x0A:
            return keyWith(kShiftStateCtrl, 0x0D);  // Ctrl+Enter
        case 0x0D:
            return keyWith(0, 0x0D);  // Enter
        case 0x1B:
            return keyWith(0, 0x1B);  // Esc
        default:
            break;
    }
    if (code >= 0x01 && code <= 0x1A) return keyWith(kShiftStateCtrl, 'A' + code - 1);
    return kNoKeyForCharacter;
}

}  // namespace

std::int16_t usLayoutKeyForCharacter(char character) {
    const auto code = static_cast<unsigned char>(character);
    if (code >= 'a' && code <= 'z') return keyWith(0, code - 'a' + 'A');
    if (code >= 'A' && code <= 'Z') return keyWith(kShiftStateShift, code);
    if (code >= '0' && code <= '9') return keyWith(0, code);
    if (code == ' ') return keyWith(0, 0x20);
    for (unsigned digit = 0; digit < kShiftedDigits.size(); ++digit) {
        if (kShiftedDigits[digit] == character) return keyWith(kShiftStateShift, '0' + digit);
    }
    for (const PunctuationKey& key : kPunctuationKeys) {
        if (key.plain == character) return keyWith(0, key.virtualKey);
        if (key.shifted == character) return keyWith(kShiftStateShift, key.virtualKey);
    }
    if (code == 0x7F) return keyWith(kShiftStateCtrl, 0x08);  // Ctrl+Backspace
    if (code < 0x20) return controlCharacterKey(code);
    return kNoKeyForCharacter;
}

}  // namespace vantorel
