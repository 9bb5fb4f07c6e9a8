// The emulated keyboard matrix, fed from the host keyboard once per frame.
//
// The Z80 program writes a row number (0-15) to port FE and reads the row's
// five keys back from port FE, bit c low while column c's key is down. Each
// matrix position follows one host key (key_layout_table.h); the host's key
// states are copied into hostKeyState at the end of every frame, so all row
// reads of a frame answer from the same snapshot.
//
//   1. initKeyLayout(keys) once at start-up: resolves the character keys
//      through the host's layout.
//   2. scanHostKeyboard(keys, ...) at the end of every frame.
//   3. readKeyboardRow(row) from the port FE input.
// Quick type (quick_type.h) writes hostKeyState itself while it types, and
// so does the sensible keyboard (sensible_keys.h) when `emulatedflag` is off.
// Plain data: the matrix (with the layout resolved at start-up) is part of
// the machine's state record.
#pragma once

#include <array>
#include <cstdint>

#include "input/key_layout_table.h"
#include "hostapi/host_interfaces.h"

namespace vantorel {

class KeyboardMatrix {
  public:
    // Host key states by virtual-key code: bit 7 down, bit 0 toggled.
    std::array<std::uint8_t, kVirtualKeyCount> hostKeyState{};
    // The layout with every character key resolved to a host key code.
    KeyLayoutTable layout = kKeyLayoutTable;

    // Gives every position still without a host key code the key that types
    // its character on the host's layout (the shift state is dropped; a
    // character without a key gets code FF, which is never down).
    void initKeyLayout(KeyStateSource& keys);

    // Copies the host's key states unless quick type is typing or the
    // keyboard is in "sensible" mode (`emulatedflag` false); then the last
    // snapshot stays. Caps Lock toggled on reads as held down.
    void scanHostKeyboard(KeyStateSource& keys, bool quickTypeActive, bool emulatedflag);

    // The byte a port FE input gives for `row` (0-15): bits 5-7 always 1,
    // bit c 0 while column c's host key is down.
    std::uint8_t readKeyboardRow(int row) const {
        std::uint8_t result = 0xFF;
        const int first = (row & 0x0F) * kKeyboardColumns;
        for (int column = 0; column < kKeyboardColumns; ++column) {
            const std::uint8_t key = layout[first + column].hostKeyCode;
            if (hostKeyState[key] & kKeyDownBit) result &= kColumnMasks[column];
        }
        return result;
    }
};

}  // namespace vantorel
