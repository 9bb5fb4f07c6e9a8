// Where our Z80 core deliberately behaves differently from libz80ex (and
// from the silicon libz80ex models), as rules that turn libz80ex's outcome of
// a run into the outcome expected of our core. Every rule states its reason
// beside it in intended_departures.cpp; anything not covered here must match
// exactly.
#pragma once

#include <array>
#include <cstdint>

#include "bus_activity.h"
#include "case_generator.h"
#include "cpu_snapshot.h"

namespace vantorel::conformance {

struct ReferenceOutcome {
    CpuSnapshot registers;  // libz80ex's registers after the run
    BusActivity activity;   // its writes and port accesses
    int tstates = 0;        // the T-states its steps returned
};

struct Expectation {
    CpuSnapshot registers;                // what our core must end with
    std::uint8_t flagMask = 0xFF;         // the bits of F that are compared
    BusActivity activity;                 // what our core must do on the bus, in order
    int tstates = 0;                      // what runZ80 must return
    int traps = 0;                        // ED FE executions (trapHook calls)
    std::uint16_t lastOpcodeAddress = 0;  // the opcode that the last step started at
};

// `baseline` is the address space before the case's bytes were placed at PC.
Expectation expectationFor(const ConformanceCase& testCase, const ReferenceOutcome& reference,
                           const std::array<std::uint8_t, 65536>& baseline);

}  // namespace vantorel::conformance
