// The machine's debugger as a GDB remote target.
//
// Carries each request of the GDB server (gdb_server.h) to the Debugger:
// the 12 registers to and from the processor's state, memory through the
// side-effect-free peek, Z0/Z1 as execute breakpoints and Z2/Z3/Z4 as write,
// read and read-or-write watchpoints over the watched length, continue as
// the debugger's resume one frame per slice (so that Ctrl-C is seen between
// frames), step as step into, and bs/bc as step back and reverse-continue.
// The monitor commands ("monitor help" in GDB) reset the machine, tell the
// frame, load symbols and disassemble with labels. Owned by the remote
// debug port (app/remote_debug_port.h); the tests drive it through the
// server.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "debug/debugger.h"
#include "debug/gdb_target.h"
#include "debug/symbol_table.h"

namespace vantorel {

class DebuggerGdbTarget : public GdbTarget {
  public:
    // `symbols` labels the disassembly; "symbols FILE" adds to it.
    DebuggerGdbTarget(Debugger& debugger, SymbolTable& symbols)
        : debugger_(debugger), symbols_(symbols) {}

    GdbRegisters readRegisters() override;
    void writeRegisters(const GdbRegisters& registers) override;
    std::uint8_t peek(std::uint16_t address) override;
    void poke(std::uint16_t address, std::uint8_t value) override;
    bool insertBreakpoint(GdbBreakKind kind, std::uint16_t address, std::uint16_t length) override;
    bool removeBreakpoint(GdbBreakKind kind, std::uint16_t address, std::uint16_t length) override;
    void resume(GdbResume how) override;
    std::optional<GdbStop> runSlice() override;
    GdbStop interrupt() override;
    std::string monitorCommand(std::string_view command) override;
    void kill() override;
    void detach() override;

    bool killed() const { return killed_; }
    // Removes every breakpoint the client set.
    void removeClientBreakpoints();

  private:
    using PointKey = std::tuple<GdbBreakKind, std::uint16_t, std::uint16_t>;
    GdbStop stopFor(const StopReason& reason) const;
    std::string disassemble(std::string_view args) const;
    std::string loadSymbols(std::string_view path);

    Debugger& debugger_;
    SymbolTable& symbols_;
    // Each point the client set: the debugger's breakpoint ids (two for a
    // read-or-write watchpoint).
    std::map<PointKey, std::vector<int>> points_;
    GdbResume how_ = GdbResume::forward;
    bool killed_ = false;
};

}  // namespace vantorel
