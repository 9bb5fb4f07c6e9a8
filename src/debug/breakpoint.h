// The debugger's breakpoints, watchpoints and log points, as the window and
// the remote port set them.
//
// A breakpoint names what it watches (an address range for execute, read
// and write; a port range, by the low byte the Sorcerer decodes, for input
// and output; a T-state within the frame; interrupts; the tape motors; the
// UART), an optional condition (condition.h: `A==0x0D && (HL)==0`), the hit
// on which it stops (the Nth time its condition holds) and, for a log point,
// a line to write instead of stopping ("HL={HL} A={A}"). Used by
// debug/debugger.h.
#pragma once

#include <cstdint>
#include <string>

namespace vantorel {

enum class BreakKind : std::uint8_t {
    execute,      // PC reaches an address in [first, last]
    read,         // a data read in [first, last]
    write,        // a write in [first, last]
    portIn,       // IN from a port whose low byte is in [first, last]
    portOut,      // OUT to such a port
    interrupt,    // an interrupt is accepted
    frameTState,  // the frame's T-state count passes `first` (0 is the frame's start)
    tapeMotor,    // the tape motors are switched on or off
    uart,         // the UART takes in or sends out a byte
};

// What the caller gives to add one.
struct BreakpointSettings {
    BreakKind kind = BreakKind::execute;
    std::uint32_t first = 0;
    std::uint32_t last = 0;       // below first: the same as first
    std::string condition;        // empty: always
    std::uint32_t stopOnHit = 1;  // stop on the Nth time it matches (0 counts as 1)
    std::string logFormat;        // not empty: a log point, writes this and goes on
    bool enabled = true;
};

// A breakpoint as the debugger holds it.
struct Breakpoint {
    int id = 0;  // from 1, never reused while the debugger lives
    BreakpointSettings settings;
    std::uint32_t hits = 0;  // times it matched with its condition true
};

// The answer to adding one: an id, or why its settings were refused.
struct BreakpointResult {
    int id = 0;         // 0 on error
    std::string error;  // e.g. "condition: expected ')' at column 7"
    bool ok() const { return id != 0; }
};

}  // namespace vantorel
