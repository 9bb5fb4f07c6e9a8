// The Sorcerer's keyboard as the Keyboard Map shows it: where each key cap
// sits, what the Sorcerer prints on it, which host key gives it in the
// keyboard mode of the settings, and its GRAPHIC codes.
//
// The caps stand in five rows of a main block 16 key units wide and a
// keypad of four columns beside it; each names its matrix position
// (key_layout_table.h). SHIFT has a cap at both ends of its row. The four
// positions that F12 holds down type nothing and have no cap.
//
// The host key on a cap follows the mode:
//   emulated: the host key in the Sorcerer key's place (US positions): "'"
//             on the @ key, "Esc" on RUN/STOP, "Num 7" on the keypad's 7;
//   sensible: the host key combinations assigned to the key
//             (keyboard_assignment.h), then the characters that any host
//             key showing them types through it ("@ `" on the @ key);
//             keys that type no character keep their emulated host key.
//
// Standard C++; drawn by the Keyboard Map dialog (shell/keyboard_map_dialog.h).
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "config/machine_config.h"
#include "input/pc_key_names.h"

namespace vantorel {

inline constexpr int kKeyMapRows = 5;
inline constexpr double kKeyMapMainWidth = 16.0;  // key units
inline constexpr double kKeyMapKeypadLeft = 16.5;
inline constexpr double kKeyMapWidth = 20.5;

struct SorcererKeyCap {
    const char* legend;     // printed on the cap; empty: the characters it types
    std::uint8_t position;  // matrix position, row * 5 + column
    std::uint8_t row;       // 0 (top) to 4
    double x;               // left edge in key units
    double width;           // in key units
};

std::span<const SorcererKeyCap> sorcererKeyCaps();

// What the cap shows: its legend, a letter's capital, or the key's
// character with SHIFT and then without ("! 1"; one when both are the same).
std::string capLegend(const SorcererKeyCap& cap);

// The host key text for the Sorcerer key at `position`, lines separated by
// '\n'; empty when no host key gives it. `names` are the host key names by
// virtual-key code (buildKeyNameByCode of the resolved table).
std::string hostKeyLabel(std::uint8_t position, const MachineConfig& config,
                         const KeyNameByCode& names);

// GRAPHIC with the key gives this code (80-BF; with SHIFT add 40); 0 for a
// key that gives no graphic.
std::uint8_t graphicCodeOf(std::uint8_t position);

}  // namespace vantorel
