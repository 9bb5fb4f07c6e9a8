#include "debug/debugger_gdb_target.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "debug/symbol_files.h"

namespace vantorel {

namespace {

constexpr const char* kMonitorHelp =
    "Vantorel monitor commands:\n"
    "  reset [hard]          soft reset (the RESET keys), or hard reset (power on)\n"
    "  frame                 the frame, and the T-state within it\n"
    "  symbols FILE          load labels (pasmo, z80asm, SDCC .noi/.map, EQU lists)\n"
    "  symbols               how many labels are loaded\n"
    "  disassemble [ADDR [N]] N instructions from ADDR (PC), with labels\n";

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\n')) {
        text.remove_suffix(1);
    }
    return text;
}

std::string_view firstWord(std::string_view& text) {
    text = trimmed(text);
    const std::size_t end = std::min(text.find(' '), text.size());
    const std::string_view word = text.substr(0, end);
    text = trimmed(text.substr(end));
    return word;
}

std::uint16_t low16(std::uint32_t value) {
    return static_cast<std::uint16_t>(value & 0xFFFF);
}

// The debugger's kinds for a GDB point: a read-or-write watchpoint is a
// read one and a write one over the same bytes.
std::vector<BreakKind> breakKindsFor(GdbBreakKind kind) {
    switch (kind) {
        case GdbBreakKind::execute:
            return {BreakKind::execute};
        case GdbBreakKind::write:
            return {BreakKind::write};
        case GdbBreakKind::read:
            return {BreakKind::read};
        case GdbBreakKind::access:
            break;
    }
    return {BreakKind::read, BreakKind::write};
}

}  // namespace

GdbRegisters DebuggerGdbTarget::readRegisters() {
    const Z80State r = debugger_.registers();
    return {low16(r.AF),    low16(r.BC),    low16(r.DE),    low16(r.HL),
            low16(r.altAF), low16(r.altBC), low16(r.altDE), low16(r.altHL),
            low16(r.IX),    low16(r.IY),    low16(r.SP),    low16(r.PC)};
}

void DebuggerGdbTarget::writeRegisters(const GdbRegisters& registers) {
    Z80State r = debugger_.registers();
    r.AF = registers[gdbAF];
    r.BC = registers[gdbBC];
    r.DE = registers[gdbDE];
    r.HL = registers[gdbHL];
    r.altAF = registers[gdbAltAF];
    r.altBC = registers[gdbAltBC];
    r.altDE = registers[gdbAltDE];
    r.altHL = registers[gdbAltHL];
    r.IX = registers[gdbIX];
    r.IY = registers[gdbIY];
    r.SP = registers[gdbSP];
    r.PC = registers[gdbPC];
    if (r.PC != debugger_.registers().PC) r.halted = 0;  // moved off a HALT
    debugger_.setRegisters(r);
}

std::uint8_t DebuggerGdbTarget::peek(std::uint16_t address) {
    return debugger_.peek(address);
}

void DebuggerGdbTarget::poke(std::uint16_t address, std::uint8_t value) {
    debugger_.writeMemory(address, {&value, 1});
}

bool DebuggerGdbTarget::insertBreakpoint(GdbBreakKind kind, std::uint16_t address,
                                         std::uint16_t length) {
    const PointKey key{kind, address, length};
    if (points_.count(key) != 0) return false;
    std::vector<int> ids;
    for (const BreakKind breakKind : breakKindsFor(kind)) {
        BreakpointSettings settings;
        settings.kind = breakKind;
        settings.first = address;
        // An execute breakpoint covers its one instruction start.
        settings.last = kind == GdbBreakKind::execute ? address : address + length - 1u;
        const BreakpointResult added = debugger_.addBreakpoint(settings);
        if (!added.ok()) {
            for (const int id : ids) debugger_.removeBreakpoint(id);
            return false;
        }
        ids.push_back(added.id);
    }
    points_.emplace(key, std::move(ids));
    return true;
}

bool DebuggerGdbTarget::removeBreakpoint(GdbBreakKind kind, std::uint16_t address,
                                         std::uint16_t length) {
    const auto found = points_.find({kind, address, length});
    if (found == points_.end()) return false;
    for (const int id : found->second) debugger_.removeBreakpoint(id);
    points_.erase(found);
    return true;
}

void DebuggerGdbTarget::removeClientBreakpoints() {
    for (const auto& [key, ids] : points_) {
        for (const int id : ids) debugger_.removeBreakpoint(id);
    }
    points_.clear();
}

void DebuggerGdbTarget::resume(GdbResume how) {
    how_ = how;
}

std::optional<GdbStop> DebuggerGdbTarget::runSlice() {
    switch (how_) {
        case GdbResume::step:
            return stopFor(debugger_.stepInto());
        case GdbResume::reverseStep:
            return stopFor(debugger_.stepBack());
        case GdbResume::reverseContinue:
            return stopFor(debugger_.reverseContinue());
        case GdbResume::forward:
            break;
    }
    // One frame at most, so that the server sees Ctrl-C between frames.
    const StopReason reason = debugger_.resume(1);
    if (!reason.stopped()) return std::nullopt;
    return stopFor(reason);
}

GdbStop DebuggerGdbTarget::interrupt() {
    // Runs end between slices: the machine stands at a frame boundary.
    return GdbStop{GdbStop::Reason::signal, kGdbSignalInterrupt};
}

GdbStop DebuggerGdbTarget::stopFor(const StopReason& reason) const {
    GdbStop stop;
    if (reason.kind == StopKind::historyStart) {
        stop.reason = GdbStop::Reason::historyStart;
        return stop;
    }
    if (reason.kind != StopKind::breakpoint) return stop;
    // Which of the client's points it was: the kind GDB set decides whether
    // it is told as watch, rwatch or awatch.
    for (const auto& [key, ids] : points_) {
        if (std::find(ids.begin(), ids.end(), reason.breakpointId) == ids.end()) continue;
        const GdbBreakKind kind = std::get<0>(key);
        if (kind == GdbBreakKind::execute) {
            stop.reason = GdbStop::Reason::breakpoint;
        } else {
            stop.reason = GdbStop::Reason::watchpoint;
            stop.watchKind = kind;
            stop.address = reason.address;
        }
        return stop;
    }
    return stop;  // one set in the window or by a monitor command: a plain trap
}

std::string DebuggerGdbTarget::monitorCommand(std::string_view command) {
    std::string_view rest = command;
    const std::string_view word = firstWord(rest);
    if (word.empty() || word == "help") return kMonitorHelp;
    if (word == "reset") {
        Machine& machine = debugger_.machine();
        if (rest == "hard") {
            machine.hardReset();
            return "hard reset\n";
        }
        if (!rest.empty()) return "reset takes 'hard' or nothing\n";
        machine.softReset();
        return "soft reset\n";
    }
    if (word == "frame") {
        char text[160];
        std::snprintf(text, sizeof text, "frame %lld, T-state %lld in it (%lld since the start)\n",
                      static_cast<long long>(debugger_.timeline().position()),
                      static_cast<long long>(debugger_.frameTState()),
                      static_cast<long long>(debugger_.now()));
        return text;
    }
    if (word == "symbols") {
        if (rest.empty()) return std::to_string(symbols_.size()) + " symbols\n";
        return loadSymbols(rest);
    }
    if (word == "disassemble") return disassemble(rest);
    return "unknown command '" + std::string(word) + "' (monitor help lists them)\n";
}

std::string DebuggerGdbTarget::loadSymbols(std::string_view path) {
    const SymbolRead read = loadSymbolFile(std::filesystem::path(path));
    if (read.ok()) symbols_.merge(read.table);
    return symbolReadText(std::filesystem::path(path), read) + "\n";
}

std::string DebuggerGdbTarget::disassemble(std::string_view args) const {
    std::uint16_t address = low16(debugger_.registers().PC);
    int count = 8;
    const std::string_view addressText = firstWord(args);
    if (!addressText.empty()) {
        unsigned value = 0;
        const auto [end, error] =
            std::from_chars(addressText.data(), addressText.data() + addressText.size(), value, 16);
        if (error != std::errc() || end != addressText.data() + addressText.size() ||
            value > 0xFFFF) {
            if (const auto label = symbols_.valueOf(addressText)) {
                value = *label;
            } else {
                return "no address or label '" + std::string(addressText) + "'\n";
            }
        }
        address = static_cast<std::uint16_t>(value);
    }
    const std::string_view countText = firstWord(args);
    if (!countText.empty()) {
        const auto [end, error] =
            std::from_chars(countText.data(), countText.data() + countText.size(), count);
        if (error != std::errc() || count < 1 || count > 256) return "the count is 1 to 256\n";
    }
    std::string text;
    for (const DisassemblyLine& line : debugger_.disassembly(address, 0, count)) {
        if (const auto at = symbols_.nearest(line.address); at && at->offset == 0) {
            text += std::string(at->name) + ":\n";
        }
        char row[96];
        std::snprintf(row, sizeof row, "%c %04X  %s\n", line.pc ? '>' : ' ', line.address,
                      line.text.c_str());
        text += row;
    }
    return text;
}

void DebuggerGdbTarget::kill() {
    removeClientBreakpoints();
    killed_ = true;
}

void DebuggerGdbTarget::detach() {
    removeClientBreakpoints();
}

}  // namespace vantorel
