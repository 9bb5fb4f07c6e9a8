// The 28-byte register header of a .SNP snapshot file.
//
// Fields in file order (16-bit values low byte first): I, HL', DE', BC', AF',
// HL, DE, BC, IX, IY, interrupt flip-flops (bit 1 IFF1, bit 2 IFF2), R, AF,
// SP, interrupt mode (0, 1, anything else 2), PC. Used by loadSnapshot.
#pragma once

#include <cstdint>
#include <span>

#include "z80/z80_state.h"

namespace vantorel {

// Overwrites the registers the header holds; every other field of `state`
// (halted, rBit7, the pending interrupt requests) keeps its value.
void applySnapshotHeader(std::span<const std::uint8_t, 28> header, Z80State& state);

}  // namespace vantorel
