// One joystick as the Sorcerer's parallel port sees it: four active-low bits.
//
// The host reads each joystick as two axes scaled to -720..720 and its
// buttons (JoystickReading, host_interfaces.h). A position strictly beyond
// 648 counts (90 per cent of the range; 648 itself is centre), giving one of
// eight directions or the centre; any of the first six buttons makes up and
// down active at once, the fire button of the Sorcerer's joysticks. The
// result is inverted, so a bit is 0 while active:
//   bit 0 left, bit 1 right, bit 2 up, bit 3 down; FF: centred, or no joystick.
//
// The machine's joystick poll (machine.cpp) calls readJoystick for slot 0
// and slot 1 twice per frame; port FF input assembles the two results.
#pragma once

#include <array>
#include <cstdint>

#include "hostapi/host_interfaces.h"

namespace vantorel {

inline constexpr std::int32_t kJoystickThreshold = 648;    // counts; strictly beyond is a direction
inline constexpr int kJoystickButtonCount = 6;             // buttons 0-5 count as fire
inline constexpr std::uint8_t kJoystickButtonCode = 0x0C;  // up and down at once
inline constexpr std::uint8_t kJoystickAbsent = 0xFF;      // nothing pressed, or no joystick

// Direction codes before inversion: bit 0 left, 1 right, 2 up, 3 down.
enum class JoystickDirection : std::uint8_t {
    up,
    upRight,
    right,
    downRight,
    down,
    downLeft,
    left,
    upLeft,
    centre,
};

inline constexpr std::array<std::uint8_t, 9> kJoystickDirectionCodes = {
    0x04, 0x06, 0x02, 0x0A, 0x08, 0x09, 0x01, 0x05, 0x00,
};

// The direction of a stick at (x, y); y negative is up.
JoystickDirection joystickDirection(std::int32_t x, std::int32_t y);

// The active-low state of one reading: direction code, OR 0C when any of
// buttons 0-5 is held, inverted.
std::uint8_t decodeJoystick(const JoystickReading& reading);

// The state of one slot read from `source`: FF when there is no source, the
// slot is not 0 or 1, or the source has nothing for it.
std::uint8_t readJoystick(JoystickSource* source, int slot);

}  // namespace vantorel
