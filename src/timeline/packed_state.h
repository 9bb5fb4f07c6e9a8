// A machine state record packed small: the bytes that differ from a base
// record (XOR), compressed with LZ4. Two records a second apart differ in
// a few hundred bytes, which pack into a few hundred bytes more or less; a
// record packed without a base is compressed whole.
//
// Used by the timeline for its keyframes and by save-state files.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "machine/machine_state.h"

namespace vantorel {

using PackedState = std::vector<std::uint8_t>;

// `base` null: the record alone.
PackedState packState(const MachineState& state, const MachineState* base);

// Unpacks into `out`; with a base, `out` may be the base itself. False (and
// `out` left as it was) when the bytes are not a packed record.
bool unpackState(std::span<const std::uint8_t> packed, const MachineState* base, MachineState& out);

}  // namespace vantorel
