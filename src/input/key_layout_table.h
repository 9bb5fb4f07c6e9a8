// The Sorcerer's keyboard matrix as declared data: which host key drives
// each of its 16 rows x 5 columns.
//
// Row r, column c is entry r * 5 + c. Each entry names its host key either
// by a fixed virtual-key code (F1 0x70, Shift 0x10, the numeric keypad...) or,
// with a code of 0, by a character whose key on the host's layout is looked
// up once at start-up (initKeyLayout). The characters the emulated key types
// and its two graphic codes document the emulated keyboard; the row read
// does not use them (quick type does).
//
// Read by KeyboardMatrix (keyboard_matrix.h), quick type and the keyboard
// dialog.
#pragma once

#include <array>
#include <cstdint>

namespace vantorel {

inline constexpr int kKeyboardRows = 16;
inline constexpr int kKeyboardColumns = 5;
inline constexpr int kKeyLayoutEntries = kKeyboardRows * kKeyboardColumns;

struct KeyLayoutEntry {
    std::uint8_t hostCharacter;       // character whose host key drives this position (code 0 only)
    std::uint8_t hostKeyCode;         // host virtual-key code; 0 = look up hostCharacter
    std::uint8_t typedCharacter;      // what the emulated key types, 0 = nothing
    std::uint8_t shiftedCharacter;    // what it types with SHIFT, 0 = nothing
    std::uint8_t graphicCode;         // code with GRAPHIC, 80-BF; 20 Space, 0D Enter, 0 none
    std::uint8_t graphicShiftedCode;  // code with GRAPHIC and SHIFT, C0-FF (same rule)
};

using KeyLayoutTable = std::array<KeyLayoutEntry, kKeyLayoutEntries>;

// The layout as declared, before any host key is looked up.
extern const KeyLayoutTable kKeyLayoutTable;

// Bit that column c clears in a row read (column 0 bit 0 ... column 4 bit 4).
inline constexpr std::array<std::uint8_t, kKeyboardColumns> kColumnMasks = {0xFE, 0xFD, 0xFB, 0xF7,
                                                                            0xEF};

// Fixed host keys of the layout (Windows virtual-key numbers).
inline constexpr std::uint8_t kVirtualKeyCapsLock = 0x14;
inline constexpr std::uint8_t kVirtualKeyShift = 0x10;
inline constexpr std::uint8_t kVirtualKeyControl = 0x11;
inline constexpr std::uint8_t kVirtualKeyF12 = 0x7B;

}  // namespace vantorel
