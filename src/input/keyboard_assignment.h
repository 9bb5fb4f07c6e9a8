// Key assignments: which Sorcerer key a host key (alone, with Shift, with
// Ctrl) presses in sensible mode, and the edits the Configure Keyboard
// dialog makes to them.
//
// The settings record holds three tables indexed by virtual-key code, one
// per host modifier: normalKeys (none), shiftKeys (Shift), ctrlKeys (Ctrl).
// A value of 255 means unassigned; otherwise bits 6-7 are the board of the
// Sorcerer key (00 alone, 40 with SHIFT, 80 with CTRL) and bits 0-5 its
// index in kEmulatedKeyNameTable.
//
// The dialog (shell/keyboard_dialog.h) lists the host keys assigned to one
// Sorcerer key, deletes one of them, and captures the key combination held
// down while the user clicks its capture box. Only host keys with a name
// (pc_key_names.h) take part.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "config/machine_config.h"
#include "input/pc_key_names.h"

namespace vantorel {

inline constexpr std::uint8_t kUnassignedKey = 255;
inline constexpr std::uint8_t kBoardBits = 0xC0;
inline constexpr std::uint8_t kEmulatedKeyBits = 0x3F;
inline constexpr std::uint8_t kBoardNormal = 0x00;
inline constexpr std::uint8_t kBoardShift = 0x40;
inline constexpr std::uint8_t kBoardCtrl = 0x80;

// Which table: the host modifier held with the key.
enum class HostModifier : std::uint8_t { none, shift, ctrl };

KeyAssignmentTable& assignmentTable(MachineConfig& config, HostModifier modifier);
const KeyAssignmentTable& assignmentTable(const MachineConfig& config, HostModifier modifier);

// A host key combination: a named key and its modifier.
struct HostKeyCombination {
    HostModifier modifier = HostModifier::none;
    std::uint8_t code = 0;  // virtual-key code
    friend bool operator==(const HostKeyCombination&, const HostKeyCombination&) = default;
};

// "a", "Shift a" or "Ctrl a" (empty when the code has no name).
std::string combinationText(const HostKeyCombination& combination, const KeyNameByCode& names);

// The combinations assigned to Sorcerer key `index` on `board`: codes 0 to
// 255 in order, and for each the normal, shift and ctrl tables in order.
std::vector<HostKeyCombination> assignedCombinations(const MachineConfig& config,
                                                     const KeyNameByCode& names, std::uint8_t board,
                                                     int index);

// Unassigns line `line` of assignedCombinations(config, names, board, index);
// false (nothing changed) when there is no such line.
bool deleteAssignment(MachineConfig& config, const KeyNameByCode& names, std::uint8_t board,
                      int index, int line);

// The combination held in `states` (bit 7 down): the highest named key
// down, with Shift if Shift (10) is down, else Ctrl if Ctrl (11) is.
// Nothing when no named key is down.
std::optional<HostKeyCombination> heldCombination(
    std::span<const std::uint8_t, kVirtualKeyCount> states, const KeyNameByCode& names);

// Gives `combination` Sorcerer key `index` of `board`, replacing whatever
// it had.
void assignCombination(MachineConfig& config, const HostKeyCombination& combination,
                       std::uint8_t board, int index);

}  // namespace vantorel
