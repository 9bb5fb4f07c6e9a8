// The 28-byte register header of a .SNP snapshot file.
//
// Fields in file order (16-bit values low byte first): I, HL', DE', BC', AF',
// HL, DE, BC, IX, IY, interrupt flip-flops (bit 1 IFF1, bit 2 IFF2), R, AF,
// SP, interrupt mode (0, 1, anything else 2), PC. Read by loadSnapshot,
// written by saveSnapshot.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "z80/z80_state.h"

namespace vantorel {

// Overwrites the registers the header holds; every other field of `state`
// (halted, rBit7, the pending interrupt requests) keeps its value.
void applySnapshotHeader(std::span<const std::uint8_t, 28> header, Z80State& state);

// The header for `state`. R is stored as a program reads it with LD A,R: the
// refresh count's low 7 bits and bit 7 of the last LD R,A. The HALT state is
// not stored; the PC of a halted processor is its HALT opcode, so a loaded
// snapshot halts again at once.
std::array<std::uint8_t, 28> makeSnapshotHeader(const Z80State& state);

}  // namespace vantorel
