#include "input/sensible_keys.h"

#include <algorithm>

#include "input/emulated_key_names.h"
#include "input/keyboard_assignment.h"

namespace vantorel {

namespace {

constexpr int kCtrlKeyPosition = 0 * kKeyboardColumns + 2;  // row 0, column 2
constexpr char kFirstPrintable = 0x20;
constexpr char kLastPrintable = 0x7E;
constexpr char32_t kDeleteCharacter = 0x7F;
constexpr std::uint8_t kFirstKeypadKey = 0x60;  // Num 0
constexpr std::uint8_t kLastKeypadKey = 0x6F;   // Num /

bool isDown(const std::array<std::uint8_t, kVirtualKeyCount>& states, std::uint8_t code) {
    return (states[code] & kKeyDownBit) != 0;
}

// Shift, Ctrl (either side) and Caps Lock only change what other keys do.
bool isModifierKey(std::uint8_t code) {
    return code == kVirtualKeyShift || code == kVirtualKeyControl || code == kVirtualKeyCapsLock ||
           (code >= 0xA0 && code <= 0xA3);
}

// The keypad's keys press the keypad's own positions, whatever they type.
bool isKeypadKey(std::uint8_t code) {
    return code >= kFirstKeypadKey && code <= kLastKeypadKey;
}

bool isLetter(std::uint8_t character) {
    return (character >= 'a' && character <= 'z') || (character >= 'A' && character <= 'Z');
}

void pressPosition(KeyboardMatrix& keyboard, int position) {
    keyboard.hostKeyState[keyboard.layout[position].hostKeyCode] |= kKeyDownBit;
}

}  // namespace

void SensibleKeyboard::init(const KeyLayoutTable& layout, KeyStateSource& keys) {
    characters_ = {};
    for (char character = kFirstPrintable; character <= kLastPrintable; ++character) {
        const std::int16_t key = keys.keyForCharacter(character);
        if (key < 0) continue;
        const auto code = static_cast<std::uint8_t>(key & 0xFF);
        const int shiftState = (key >> 8) & 0xFF;
        if (shiftState > 1) continue;  // needs Ctrl or Alt
        std::uint8_t& slot = characters_[code][static_cast<std::size_t>(shiftState)];
        if (slot == 0) slot = static_cast<std::uint8_t>(character);
    }
    typing_ = buildQuickTypeKeyMap(layout);
}

void SensibleKeyboard::scanHostKeyboard(KeyboardMatrix& keyboard, KeyStateSource& keys,
                                        const MachineConfig& config) {
    keys.copyKeyStates(host_);
    keys.copyKeyTexts(texts_);
    const bool shift = isDown(host_, kVirtualKeyShift);
    const bool ctrl = isDown(host_, kVirtualKeyControl);
    const bool capsLock = (host_[kVirtualKeyCapsLock] & kKeyToggleBit) != 0;
    const HostModifier modifier =
        shift ? HostModifier::shift : (ctrl ? HostModifier::ctrl : HostModifier::none);
    const KeyAssignmentTable& table = assignmentTable(config, modifier);

    std::fill(keyboard.hostKeyState.begin(), keyboard.hostKeyState.end(), std::uint8_t{0});
    Press press{keyboard};
    for (int index = 0; index < kVirtualKeyCount; ++index) {
        const auto code = static_cast<std::uint8_t>(index);
        if (!isDown(host_, code) || isModifierKey(code)) continue;
        const std::uint8_t value = table[code];
        const bool assigned = value != kUnassignedKey && (value & kBoardBits) != kBoardBits &&
                              (value & kEmulatedKeyBits) < kEmulatedKeyCount;
        if (assigned) {
            pressAssigned(press, value);
        } else {
            pressUnassigned(press, code, shift, ctrl, capsLock);
        }
    }
    if (press.shift) pressPosition(keyboard, kShiftKeyPosition);
    if (press.ctrl) pressPosition(keyboard, kCtrlKeyPosition);
}

void SensibleKeyboard::pressAssigned(Press& press, std::uint8_t value) const {
    pressPosition(press.keyboard, kEmulatedKeyNameTable[value & kEmulatedKeyBits].position);
    const std::uint8_t board = value & kBoardBits;
    if (board == kBoardShift) press.shift = true;
    if (board == kBoardCtrl) press.ctrl = true;
}

void SensibleKeyboard::pressUnassigned(Press& press, std::uint8_t code, bool shift, bool ctrl,
                                       bool capsLock) const {
    const char32_t text = isKeypadKey(code) ? kKeyTextUnknown : texts_[code];
    const HostCharacter typed =
        text == kKeyTextUnknown ? usCharacter(code, shift, capsLock) : hostCharacter(text, ctrl);
    if (typed.kind == HostCharacter::Kind::lacking) return;
    const QuickTypeKey& key = typing_.keys[typed.character];
    if (typed.kind == HostCharacter::Kind::character && key.typeable) {
        press.keyboard.hostKeyState[key.hostKeyCode] |= kKeyDownBit;
        if (key.shift) press.shift = true;
    } else {
        press.keyboard.hostKeyState[code] |= kKeyDownBit;  // its own positions
        if (shift) press.shift = true;
    }
    if (ctrl) press.ctrl = true;
}

// What the key types on the US layout, from the host's character lookup.
SensibleKeyboard::HostCharacter SensibleKeyboard::usCharacter(std::uint8_t code, bool shift,
                                                              bool capsLock) const {
    std::uint8_t character = characters_[code][shift ? 1 : 0];
    if (capsLock && isLetter(character)) character = characters_[code][shift ? 0 : 1];
    if (character == 0) return {};
    return {HostCharacter::Kind::character, character};
}

// What the key typed on the host's own layout. With Ctrl held the host
// gives a control code; the letter (or [ \ ] ^ _) it comes from is typed,
// with CTRL. Other control codes (Enter, Tab, Esc, Backspace, Delete) count
// as no character, so those keys press their own positions.
SensibleKeyboard::HostCharacter SensibleKeyboard::hostCharacter(char32_t text, bool ctrl) const {
    constexpr char32_t kFirstControlLetter = 0x01;  // Ctrl+A
    constexpr char32_t kLastControlCode = 0x1F;     // Ctrl+_
    constexpr char32_t kLastControlLetter = 0x1A;   // Ctrl+Z
    if (ctrl && text >= kFirstControlLetter && text <= kLastControlCode) {
        const char32_t base = text <= kLastControlLetter ? 0x60 : 0x40;
        return {HostCharacter::Kind::character, static_cast<std::uint8_t>(text + base)};
    }
    if (text < static_cast<char32_t>(kFirstPrintable) || text == kDeleteCharacter) return {};
    const bool printable = text <= static_cast<char32_t>(kLastPrintable);
    if (printable && typing_.keys[text].typeable) {
        return {HostCharacter::Kind::character, static_cast<std::uint8_t>(text)};
    }
    return {HostCharacter::Kind::lacking, 0};  // no Sorcerer key types it
}

}  // namespace vantorel
