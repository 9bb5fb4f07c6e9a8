#include "shell/qt_key_mapping.h"

#include <QGuiApplication>
#include <array>

#include "input/us_layout.h"

namespace vantorel {

namespace {

constexpr quint32 kEvdevOffset = 8;  // X11 key codes are evdev codes + 8

// Virtual keys by evdev key code (linux/input-event-codes.h), US layout;
// 0 where there is no key.
constexpr std::array<std::uint8_t, 128> kEvdevToVirtualKey = [] {
    std::array<std::uint8_t, 128> table{};
    table[1] = 0x1B;  // Esc
    const char digits[] = "1234567890";
    for (int i = 0; i < 10; ++i) table[2 + i] = static_cast<std::uint8_t>(digits[i]);
    table[12] = 0xBD;  // - _
    table[13] = 0xBB;  // = +
    table[14] = 0x08;  // Backspace
    table[15] = 0x09;  // Tab
    const char top[] = "QWERTYUIOP";
    for (int i = 0; i < 10; ++i) table[16 + i] = static_cast<std::uint8_t>(top[i]);
    table[26] = 0xDB;  // [ {
    table[27] = 0xDD;  // ] }
    table[28] = 0x0D;  // Enter
    table[29] = 0xA2;  // left Ctrl
    const char middle[] = "ASDFGHJKL";
    for (int i = 0; i < 9; ++i) table[30 + i] = static_cast<std::uint8_t>(middle[i]);
    table[39] = 0xBA;  // ; :
    table[40] = 0xDE;  // ' "
    table[41] = 0xC0;  // ` ~
    table[42] = 0xA0;  // left Shift
    table[43] = 0xDC;  // backslash |
    const char bottom[] = "ZXCVBNM";
    for (int i = 0; i < 7; ++i) table[44 + i] = static_cast<std::uint8_t>(bottom[i]);
    table[51] = 0xBC;  // , <
    table[52] = 0xBE;  // . >
    table[53] = 0xBF;  // / ?
    table[54] = 0xA1;  // right Shift
    table[55] = 0x6A;  // Num *
    table[56] = 0xA4;  // left Alt
    table[57] = 0x20;  // Space
    table[58] = 0x14;  // Caps Lock
    for (int i = 0; i < 10; ++i) table[59 + i] = static_cast<std::uint8_t>(0x70 + i);  // F1-F10
    table[69] = 0x90;                                                                  // Num Lock
    table[70] = 0x91;   // Scroll Lock
    table[71] = 0x67;   // Num 7
    table[72] = 0x68;   // Num 8
    table[73] = 0x69;   // Num 9
    table[74] = 0x6D;   // Num -
    table[75] = 0x64;   // Num 4
    table[76] = 0x65;   // Num 5
    table[77] = 0x66;   // Num 6
    table[78] = 0x6B;   // Num +
    table[79] = 0x61;   // Num 1
    table[80] = 0x62;   // Num 2
    table[81] = 0x63;   // Num 3
    table[82] = 0x60;   // Num 0
    table[83] = 0x6E;   // Num .
    table[86] = 0xE2;   // the extra key of 102-key keyboards
    table[87] = 0x7A;   // F11
    table[88] = 0x7B;   // F12
    table[96] = 0x0D;   // Num Enter
    table[97] = 0xA3;   // right Ctrl
    table[98] = 0x6F;   // Num /
    table[99] = 0x2C;   // Print Screen
    table[100] = 0xA5;  // right Alt
    table[102] = 0x24;  // Home
    table[103] = 0x26;  // Up
    table[104] = 0x21;  // Page Up
    table[105] = 0x25;  // Left
    table[106] = 0x27;  // Right
    table[107] = 0x23;  // End
    table[108] = 0x28;  // Down
    table[109] = 0x22;  // Page Down
    table[110] = 0x2D;  // Insert
    table[111] = 0x2E;  // Delete
    table[119] = 0x13;  // Pause
    table[125] = 0x5B;  // left Windows key
    table[126] = 0x5C;  // right Windows key
    table[127] = 0x5D;  // Menu key
    return table;
}();

struct QtKeyToVirtualKey {
    int key;
    std::uint8_t virtualKey;
};

// Keys that are not characters.
constexpr std::array<QtKeyToVirtualKey, 27> kSpecialKeys = {{
    {Qt::Key_Backspace, 0x08}, {Qt::Key_Tab, 0x09},      {Qt::Key_Backtab, 0x09},
    {Qt::Key_Return, 0x0D},    {Qt::Key_Enter, 0x0D},    {Qt::Key_Shift, 0xA0},
    {Qt::Key_Control, 0xA2},   {Qt::Key_Alt, 0xA4},      {Qt::Key_AltGr, 0xA5},
    {Qt::Key_Pause, 0x13},     {Qt::Key_CapsLock, 0x14}, {Qt::Key_Escape, 0x1B},
    {Qt::Key_Space, 0x20},     {Qt::Key_PageUp, 0x21},   {Qt::Key_PageDown, 0x22},
    {Qt::Key_End, 0x23},       {Qt::Key_Home, 0x24},     {Qt::Key_Left, 0x25},
    {Qt::Key_Up, 0x26},        {Qt::Key_Right, 0x27},    {Qt::Key_Down, 0x28},
    {Qt::Key_Print, 0x2C},     {Qt::Key_Insert, 0x2D},   {Qt::Key_Delete, 0x2E},
    {Qt::Key_Meta, 0x5B},      {Qt::Key_NumLock, 0x90},  {Qt::Key_ScrollLock, 0x91},
}};

// Keypad keys, with Num Lock on (digits and operators) or off (the
// navigation keys the same keys then send).
constexpr std::array<QtKeyToVirtualKey, 25> kKeypadKeys = {{
    {Qt::Key_0, 0x60},        {Qt::Key_1, 0x61},        {Qt::Key_2, 0x62},
    {Qt::Key_3, 0x63},        {Qt::Key_4, 0x64},        {Qt::Key_5, 0x65},
    {Qt::Key_6, 0x66},        {Qt::Key_7, 0x67},        {Qt::Key_8, 0x68},
    {Qt::Key_9, 0x69},        {Qt::Key_Asterisk, 0x6A}, {Qt::Key_Plus, 0x6B},
    {Qt::Key_Minus, 0x6D},    {Qt::Key_Period, 0x6E},   {Qt::Key_Slash, 0x6F},
    {Qt::Key_Insert, 0x60},   {Qt::Key_End, 0x61},      {Qt::Key_Down, 0x62},
    {Qt::Key_PageDown, 0x63}, {Qt::Key_Left, 0x64},     {Qt::Key_Clear, 0x65},
    {Qt::Key_Right, 0x66},    {Qt::Key_Home, 0x67},     {Qt::Key_Up, 0x68},
    {Qt::Key_PageUp, 0x69},
}};

std::optional<std::uint8_t> lookUp(const auto& table, int key) {
    for (const QtKeyToVirtualKey& entry : table) {
        if (entry.key == key) return entry.virtualKey;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::uint8_t> virtualKeyForScanCode(quint32 nativeScanCode) {
    if (nativeScanCode < kEvdevOffset) return std::nullopt;
    const quint32 evdev = nativeScanCode - kEvdevOffset;
    if (evdev >= kEvdevToVirtualKey.size() || kEvdevToVirtualKey[evdev] == 0) return std::nullopt;
    return kEvdevToVirtualKey[evdev];
}

std::optional<std::uint8_t> virtualKeyForQtKey(int key, Qt::KeyboardModifiers modifiers) {
    if (modifiers.testFlag(Qt::KeypadModifier)) {
        if (const auto keypad = lookUp(kKeypadKeys, key)) return keypad;
        if (key == Qt::Key_Enter || key == Qt::Key_Return) return 0x0D;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return static_cast<std::uint8_t>(0x70 + key - Qt::Key_F1);
    if (const auto special = lookUp(kSpecialKeys, key)) return special;
    // Printable keys: Qt numbers them by their (upper-case) character.
    if (key >= 0x21 && key <= 0x7E) {
        const std::int16_t code = usLayoutKeyForCharacter(static_cast<char>(key));
        if (code != kNoKeyForCharacter) return static_cast<std::uint8_t>(code & 0xFF);
    }
    return std::nullopt;
}

std::optional<std::uint8_t> virtualKeyForEvent(const QKeyEvent& event, bool useScanCodes) {
    if (useScanCodes) {
        if (const auto key = virtualKeyForScanCode(event.nativeScanCode())) return key;
    }
    return virtualKeyForQtKey(event.key(), event.modifiers());
}

// A dead key types nothing by itself on the host; the Sorcerer has no
// accents to put on the next letter, so the dead key types its own mark.
char32_t hostTextForEvent(const QKeyEvent& event) {
    const QList<uint> text = event.text().toUcs4();
    if (!text.isEmpty()) return static_cast<char32_t>(text.first());
    switch (event.key()) {
        case Qt::Key_Dead_Grave:
            return U'`';
        case Qt::Key_Dead_Acute:
            return U'\'';
        case Qt::Key_Dead_Circumflex:
            return U'^';
        case Qt::Key_Dead_Tilde:
            return U'~';
        case Qt::Key_Dead_Diaeresis:
            return U'"';
        default:
            return 0;
    }
}

std::optional<std::uint8_t> PressedKeyCodes::press(const QKeyEvent& event, bool useScanCodes) {
    const auto key = virtualKeyForEvent(event, useScanCodes);
    const quint32 code = event.nativeScanCode();
    if (code != 0 && code < pressedAs_.size()) pressedAs_[code] = key ? *key : kNone;
    return key;
}

std::optional<std::uint8_t> PressedKeyCodes::release(const QKeyEvent& event, bool useScanCodes) {
    const quint32 code = event.nativeScanCode();
    if (code != 0 && code < pressedAs_.size() && pressedAs_[code] != kNone) {
        const auto key = static_cast<std::uint8_t>(pressedAs_[code]);
        pressedAs_[code] = kNone;
        return key;
    }
    return virtualKeyForEvent(event, useScanCodes);
}

bool platformHasEvdevScanCodes() {
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland"));
}

}  // namespace vantorel
