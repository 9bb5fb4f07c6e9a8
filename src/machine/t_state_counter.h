// TStateCounter: the running count of emulated T-states.
//
// Unsigned 32 bits, wrapping modulo 2^32 (about 34 minutes at 100% speed).
// The processor advances it after every step through the bus's
// advanceTStates; every reset clears it; the speaker stamps its edges with it
// and the frame scheduler hands its value at the start of each frame to the
// sound output.
#pragma once

#include <cstdint>

namespace vantorel {

struct TStateCounter {
    std::uint32_t tstates = 0;  // T-states since the last reset, modulo 2^32

    // Adds the whole count of a step. A HALT or an idle loop that gives up the
    // rest of a budget consumes more than 255 T-states in one step; adding all
    // of it keeps the counter equal to the emulated time that passed.
    void advance(std::uint32_t count) { tstates += count; }
    void clear() { tstates = 0; }
};

}  // namespace vantorel
