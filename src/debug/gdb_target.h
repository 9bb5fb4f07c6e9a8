// What the GDB server needs of the machine it debugs.
//
// The server (gdb_server.h) speaks the protocol; a target does what each
// request asks of the machine: the registers GDB knows, a side-effect-free
// view of memory, breakpoints and watchpoints, running forwards and
// backwards, and the monitor commands. The program's target drives the
// debugger (debugger_gdb_target.h); the tests pass a small fake.
//
//   1. target.resume(how) starts a run (continue, step, or the same in
//      reverse);
//   2. the server calls target.runSlice() until it returns the stop, so
//      that a Ctrl-C from the client is seen between slices;
//   3. target.interrupt() stops a run at once.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantorel {

// The registers in the order of the target description and of the "g"
// packet: af bc de hl af' bc' de' hl' ix iy sp pc, 16 bits each.
enum GdbRegister : std::size_t {
    gdbAF,
    gdbBC,
    gdbDE,
    gdbHL,
    gdbAltAF,
    gdbAltBC,
    gdbAltDE,
    gdbAltHL,
    gdbIX,
    gdbIY,
    gdbSP,
    gdbPC
};
inline constexpr std::size_t kGdbRegisterCount = 12;
using GdbRegisters = std::array<std::uint16_t, kGdbRegisterCount>;

// Z0 and Z1 are both execute breakpoints here; Z2, Z3, Z4 watch writes,
// reads and both.
enum class GdbBreakKind { execute, write, read, access };

enum class GdbResume { forward, step, reverseStep, reverseContinue };

struct GdbStop {
    enum class Reason {
        signal,        // stopped with `signal` (a step done, Ctrl-C)
        breakpoint,    // an execute breakpoint at PC
        watchpoint,    // `watchKind` at `address`
        historyStart,  // a reverse run reached the oldest recorded moment
    };
    Reason reason = Reason::signal;
    int signal = 5;  // SIGTRAP; 2 (SIGINT) after Ctrl-C
    GdbBreakKind watchKind = GdbBreakKind::write;
    std::uint16_t address = 0;  // the watched address
};

inline constexpr int kGdbSignalTrap = 5;
inline constexpr int kGdbSignalInterrupt = 2;

class GdbTarget {
  public:
    virtual ~GdbTarget() = default;

    virtual GdbRegisters readRegisters() = 0;
    virtual void writeRegisters(const GdbRegisters& registers) = 0;
    // Memory as the processor would read it, with no side effects.
    virtual std::uint8_t peek(std::uint16_t address) = 0;
    // A byte written into RAM (ROM too: the debugger may patch it).
    virtual void poke(std::uint16_t address, std::uint8_t value) = 0;

    // False when the point cannot be set (or was not there to remove).
    virtual bool insertBreakpoint(GdbBreakKind kind, std::uint16_t address,
                                  std::uint16_t length) = 0;
    virtual bool removeBreakpoint(GdbBreakKind kind, std::uint16_t address,
                                  std::uint16_t length) = 0;

    virtual void resume(GdbResume how) = 0;
    // Runs the resumed machine a little (about a frame at most); the stop
    // when it stopped, nothing while it still runs.
    virtual std::optional<GdbStop> runSlice() = 0;
    // Stops a run now.
    virtual GdbStop interrupt() = 0;

    // A monitor command ("monitor reset" in GDB); returns its output text.
    virtual std::string monitorCommand(std::string_view command) = 0;
    // The client ends the session: kill stops the machine's run for good,
    // detach lets it run on without the debugger.
    virtual void kill() = 0;
    virtual void detach() = 0;
};

}  // namespace vantorel
