// Why a debugger run stopped, as every run, step and step back reports it.
// Used by debug/debugger.h, the window and the remote port.
#pragma once

#include <cstdint>
#include <string>

#include "debug/breakpoint.h"

namespace vantorel {

enum class StopKind : std::uint8_t {
    none,          // the run has not stopped (a frame limit came first)
    breakpoint,    // a breakpoint or watchpoint hit: breakpointId, breakKind, address, value
    step,          // a step (into, over, out, back) finished
    runToCursor,   // PC reached the address asked for
    frame,         // a frame boundary was reached (run one frame, step back one frame)
    paused,        // pause() was asked for
    historyStart,  // going back found nothing before the start of what the timeline keeps
    notRunning,    // the machine has not been reset yet: nothing runs
    failed,        // the request could not be carried out (message says why)
};

struct StopReason {
    StopKind kind = StopKind::none;
    int breakpointId = 0;                      // for breakpoint stops
    BreakKind breakKind = BreakKind::execute;  // for breakpoint stops
    std::uint16_t address = 0;  // the breakpoint's address, port, or the access's address
    std::uint8_t value = 0;     // the byte read or written, for data and port stops
    std::uint16_t pc = 0;       // PC where the machine stands now
    std::int64_t tstate = 0;    // T-states since the timeline's start, where it stands
    std::string message;        // for failed, and a short text for the window
    bool stopped() const { return kind != StopKind::none; }
};

}  // namespace vantorel
