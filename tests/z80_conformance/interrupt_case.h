// Random interrupt cases for the differential test: a non-maskable or a
// maskable request (in the processor's mode 0, 1 or 2) posted before a run,
// sometimes while the processor is halted, sometimes while interrupts are
// off, and then one instruction: the one the request leads to, or, when the
// request has to wait, the instruction at PC (an EI there lets it in right
// after the instruction that follows).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "case_generator.h"

namespace vantorel::conformance {

struct InterruptCase {
    CpuSnapshot start;            // registers when the request is posted (halted 0)
    ConformanceCase code;         // the instruction that runs; code.start.pc is where it sits
    bool haltedFirst = false;     // a HALT at start.pc runs before the request
    bool nonMaskable = false;     // NMI instead of a maskable request
    std::uint32_t irqVector = 0;  // our core's request value (maskable)
    std::array<std::uint8_t, 3> busBytes{};  // what the reference reads on acknowledge
    int busByteCount = 0;                    // 0 to 3
    bool writesVector = false;        // mode 2: the table entry at vectorAddress points at the code
    std::uint16_t vectorAddress = 0;  // I*256 + the request's low byte
    bool waits = false;               // interrupts off at first: the code at PC runs first
};

InterruptCase makeInterruptCase(CaseGenerator& generator);

// "NMI", "IM 2 vector 34", "IM 0 CALL 1234" ...
std::string describeRequest(const InterruptCase& interruptCase);

}  // namespace vantorel::conformance
