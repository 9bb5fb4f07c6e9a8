// The host keyboard in sensible mode (`emulatedflag` false): host keys
// press the Sorcerer keys that type what the host key shows, or the keys
// the user assigned to them, rather than following physical positions.
//
// Sampled once per frame in place of the emulated layout's scan. For every
// host key held down (Shift, Ctrl and Caps Lock themselves aside):
//   1. a key with an assignment in the table of the held modifier (shift
//      table when Shift is down, else ctrl table when Ctrl is, else normal;
//      keyboard_assignment.h) presses its Sorcerer key, with SHIFT held for
//      the SHIFT board and CTRL for the CTRL board;
//   2. any other key that types a character on the host's US layout (Shift
//      and Caps Lock counted) presses the Sorcerer key that types that
//      character, with SHIFT where that key needs it, as quick type does:
//      Shift+2 is @, which is the Sorcerer's own @ key without SHIFT;
//   3. a key that types no character the Sorcerer has (Esc, F1, Home,
//      Backspace, Enter, the keypad...) presses the positions it drives in
//      the emulated layout, with SHIFT while Shift is held.
// In 2 and 3 CTRL is held while Ctrl is, so Ctrl+C still gives code 03.
// Keys pressed together share one matrix, so SHIFT held for one of them is
// seen with all of them.
//
// Owned by the Machine: init once the layout is resolved, then
// scanHostKeyboard at the end of every frame.
#pragma once

#include <array>
#include <cstdint>

#include "config/machine_config.h"
#include "input/keyboard_matrix.h"
#include "input/quick_type_keys.h"
#include "hostapi/host_interfaces.h"

namespace vantorel {

class SensibleKeyboard {
  public:
    // Learns which character each host key types, alone and with Shift,
    // from the host's character-to-key lookup, and which Sorcerer key types
    // each character from the resolved `layout`.
    void init(const KeyLayoutTable& layout, KeyStateSource& keys);

    // Samples the host keys and sets `keyboard`'s key states to the Sorcerer
    // keys they press, for the next frame's row reads.
    void scanHostKeyboard(KeyboardMatrix& keyboard, KeyStateSource& keys,
                          const MachineConfig& config);

  private:
    struct Press {
        KeyboardMatrix& keyboard;
        bool shift = false;  // hold SHIFT
        bool ctrl = false;   // hold CTRL
    };

    void pressAssigned(Press& press, std::uint8_t value) const;
    void pressUnassigned(Press& press, std::uint8_t code, bool shift, bool ctrl,
                         bool capsLock) const;

    std::array<std::uint8_t, kVirtualKeyCount> host_{};  // this frame's host key states
    // Character each host key types: [code][0] alone, [code][1] with Shift; 0 none.
    std::array<std::array<std::uint8_t, 2>, kVirtualKeyCount> characters_{};
    QuickTypeKeyMap typing_;  // the Sorcerer key for each character
};

}  // namespace vantorel
