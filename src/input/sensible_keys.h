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
//   2. any other key that typed a character on the host's own layout (the
//      host applies Shift, AltGr, Caps Lock and dead keys; the window passes
//      the character with the key) presses the Sorcerer key that types that
//      character, with SHIFT where that key needs it, as quick type does:
//      Shift+2 on a US host is @, which is the Sorcerer's own @ key without
//      SHIFT; Shift+7 on a German host is /. A character no Sorcerer key
//      types (a German o-umlaut, the euro sign) types nothing. A source that
//      does not say what its keys type (kKeyTextUnknown) is read by the US
//      layout, Shift and Caps Lock counted;
//   3. a key that types no character (Esc, F1, Home, Backspace, Enter...)
//      and every key of the keypad presses the positions it drives in the
//      emulated layout, with SHIFT while Shift is held.
// In 2 and 3 CTRL is held while Ctrl is, so Ctrl+C still gives code 03 (the
// host's control code is typed as the letter it comes from, with CTRL).
// Keys pressed together share one matrix, so SHIFT held for one of them is
// seen with all of them.
//
// Owned by the Machine: init once the layout is resolved, then
// scanHostKeyboard at the end of every frame.
#pragma once

#include <array>
#include <cstdint>

#include "config/machine_config.h"
#include "hostapi/host_interfaces.h"
#include "input/keyboard_matrix.h"
#include "input/quick_type_keys.h"

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
    // The character a host key typed: none (the key presses its own
    // positions), one the Sorcerer may type, or one it lacks (nothing typed).
    struct HostCharacter {
        enum class Kind { none, character, lacking };
        Kind kind = Kind::none;
        std::uint8_t character = 0;
    };

    void pressUnassigned(Press& press, std::uint8_t code, bool shift, bool ctrl,
                         bool capsLock) const;
    HostCharacter usCharacter(std::uint8_t code, bool shift, bool capsLock) const;
    HostCharacter hostCharacter(char32_t text, bool ctrl) const;

    std::array<std::uint8_t, kVirtualKeyCount> host_{};  // this frame's host key states
    std::array<char32_t, kVirtualKeyCount> texts_{};     // and what they typed on the host
    // Character each host key types: [code][0] alone, [code][1] with Shift; 0 none.
    std::array<std::array<std::uint8_t, 2>, kVirtualKeyCount> characters_{};
    QuickTypeKeyMap typing_;  // the Sorcerer key for each character
};

}  // namespace vantorel
