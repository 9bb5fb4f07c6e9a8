// The tape's clock: bit cells of the serial line in emulated T-states.
//
// The tape and its UART run on emulated time, the T-states the processor
// executes, never on host time: 2,106,360 T-states make one emulated second
// (the Sorcerer's 100% clock). Port FE bit 6 picks 1200 baud (set) or 300
// baud (clear). One character frame is 11 bit cells: a start bit (0), eight
// data bits least significant first, and two stop bits (1).
//
// Used by the UART, the tape signals and the recorder.
#pragma once

#include <cstdint>

namespace vantorel {

inline constexpr double kTapeTStatesPerSecond = 2106360.0;  // emulated T-states per second
inline constexpr int kFrameCells = 11;                      // bit cells per character frame
inline constexpr std::uint8_t kMark = 1;                    // line level of a 1 (idle, stop bits)
inline constexpr std::uint8_t kSpace = 0;                   // line level of a 0 (start bit)

// Port FE output bits that concern the tape.
inline constexpr std::uint8_t kMotorOneBit = 0x10;  // tape unit 1 motor on
inline constexpr std::uint8_t kMotorTwoBit = 0x20;  // tape unit 2 motor on
inline constexpr std::uint8_t kFastBaudBit = 0x40;  // 1200 baud when set, 300 when clear

enum class TapeBaud : std::uint8_t { baud300, baud1200 };

inline constexpr double baudRate(TapeBaud baud) {
    return baud == TapeBaud::baud1200 ? 1200.0 : 300.0;
}

// Length of one bit cell in T-states (7021.2 at 300 baud, 1755.3 at 1200).
inline constexpr double bitTStates(TapeBaud baud) {
    return kTapeTStatesPerSecond / baudRate(baud);
}

// The level of cell `cell` (0-10) of the frame that carries `value`.
inline constexpr std::uint8_t frameCellLevel(std::uint8_t value, int cell) {
    if (cell == 0) return kSpace;
    if (cell >= 9) return kMark;
    return static_cast<std::uint8_t>((value >> (cell - 1)) & 1);
}

}  // namespace vantorel
