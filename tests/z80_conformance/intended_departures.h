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
#include "interrupt_case.h"

namespace vantorel::conformance {

struct ReferenceOutcome {
    CpuSnapshot registers;  // libz80ex's registers after the run
    BusActivity activity;   // its writes and port accesses
    int tstates = 0;        // the T-states its steps returned
};

struct Expectation {
    CpuSnapshot registers;               // what our core must end with
    std::uint8_t flagMask = 0xFF;        // the bits of F that are compared
    BusActivity activity;                // what our core must do on the bus, in order
    int tstates = 0;                     // what runZ80 must return
    int traps = 0;                       // ED FE executions (trapHook calls)
    std::int32_t lastOpcodeAddress = 0;  // opcode the last step started at; -1: interrupted
    std::uint32_t irqVector = kNoInterruptRequest;  // the maskable request left pending
    std::uint32_t nmiPending = 0;                   // the NMI left pending
};

// `memory` is libz80ex's address space after the instructions ran (the
// rules read only bytes that the instructions did not write).
Expectation expectationFor(const ConformanceCase& testCase, const ReferenceOutcome& reference,
                           const std::array<std::uint8_t, 65536>& memory);

// Adds an accepted interrupt to the expectation of the instructions that
// ran with it: before them (`acceptedFirst`) or after an EI and the
// instruction that follows it. `acceptance` is what libz80ex did on the bus
// while accepting; `after` its registers once it had accepted (R taken back
// already, see the runner).
void addAcceptance(Expectation& expected, const InterruptCase& interruptCase,
                   const BusActivity& acceptance, bool acceptedFirst, const CpuSnapshot& after);

}  // namespace vantorel::conformance
