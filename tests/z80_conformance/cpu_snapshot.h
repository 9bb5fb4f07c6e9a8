// The visible register set of a Z80, in one form for both processors of the
// differential test (our core and libz80ex), with a readable dump for
// failure messages.
#pragma once

#include <cstdint>
#include <string>

#include "z80/z80_state.h"

namespace vantorel::conformance {

struct CpuSnapshot {
    std::uint16_t af = 0;     // A bits 8-15, F bits 0-7
    std::uint16_t bc = 0;     // B, C
    std::uint16_t de = 0;     // D, E
    std::uint16_t hl = 0;     // H, L
    std::uint16_t ix = 0;     // IX
    std::uint16_t iy = 0;     // IY
    std::uint16_t pc = 0;     // program counter
    std::uint16_t sp = 0;     // stack pointer
    std::uint16_t af2 = 0;    // AF'
    std::uint16_t bc2 = 0;    // BC'
    std::uint16_t de2 = 0;    // DE'
    std::uint16_t hl2 = 0;    // HL'
    std::uint8_t iff1 = 0;    // 0 or 1
    std::uint8_t iff2 = 0;    // 0 or 1
    std::uint8_t im = 0;      // interrupt mode 0-2
    std::uint8_t i = 0;       // interrupt vector register
    std::uint8_t r = 0;       // R as LD A,R reads it: bits 0-6 counted, bit 7 stored
    std::uint8_t halted = 0;  // 1 in the HALT state

    bool operator==(const CpuSnapshot&) const = default;
};

// Our core's record as the snapshot (R folded with rBit7 as LD A,R sees it).
CpuSnapshot snapshotOf(const Z80State& state);

// Our core's record set from a snapshot, nothing pending.
Z80State stateOf(const CpuSnapshot& snapshot);

// "AF=1234 BC=... R=7F halted=0" on one line.
std::string describe(const CpuSnapshot& snapshot);

}  // namespace vantorel::conformance
