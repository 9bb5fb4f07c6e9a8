// The host keys that can be given a Sorcerer key in sensible mode, by name.
//
// PcKeyNameTable lists 91 keys of a PC keyboard in the order a user reads
// them (Esc, the digits, the letters, punctuation, the function keys, the
// editing and arrow keys, the keypad, Pause), each with its virtual-key
// code. The punctuation keys carry code 0 and are found by the character in
// their name through the host's character-to-key lookup (the US layout the
// shell uses), so "/" becomes BF. keyNameByCode turns the resolved table
// around: a name for each virtual-key code that can be assigned. Shift
// (10) and Ctrl (11) have no name: they are the modifiers of the tables.
//
// Used by the Configure Keyboard dialog (shell/keyboard_dialog.h) and by
// keyboard_assignment.h.
#pragma once

#include <array>
#include <cstdint>

#include "hostapi/host_interfaces.h"

namespace vantorel {

struct PcKeyName {
    const char* name;   // as the dialog shows it: "Esc", "a", "Num 1"
    std::uint8_t code;  // virtual-key code; 0 = look up the name's first character
};

inline constexpr int kPcKeyCount = 91;
using PcKeyNameTable = std::array<PcKeyName, kPcKeyCount>;

// The table as declared, before any code is looked up.
extern const PcKeyNameTable kPcKeyNameTable;

// The table with every zero code replaced by the low byte of the host's key
// for the name's first character (the shift state dropped; a character no
// key types gives FF).
PcKeyNameTable resolvePcKeyNames(const PcKeyNameTable& table, KeyStateSource& keys);

// Names by virtual-key code, null where a code has none; a later row of the
// table wins on a shared code, and rows still without a code are skipped.
using KeyNameByCode = std::array<const char*, kVirtualKeyCount>;
KeyNameByCode buildKeyNameByCode(const PcKeyNameTable& table);

}  // namespace vantorel
