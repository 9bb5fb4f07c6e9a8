// A GdbTarget over a toy processor, for testing the server on its own.
//
// Its instructions: 00 NOP; 32 lo hi stores A at the address; 3A lo hi loads
// A from it; C3 lo hi jumps; 3C increments A. Every other byte is a NOP.
// Each instruction keeps the whole state before it, so that stepping back
// is exact; an execute breakpoint stops before the instruction at its
// address, a watchpoint after the access.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "debug/gdb_target.h"

namespace vantorel::testing {

class FakeGdbTarget : public GdbTarget {
  public:
    struct State {
        GdbRegisters registers{};
        std::array<std::uint8_t, 0x10000> memory{};
        bool operator==(const State&) const = default;
    };
    State state;
    std::vector<State> history;
    std::set<std::pair<int, std::uint16_t>> points;  // (kind, address)
    std::vector<std::string> monitorCommands;
    int slices = 0;
    bool killed = false;
    bool detached = false;
    int sliceInstructions = 100;
    std::size_t historyLimit = 1 << 20;  // states kept for stepping back

    void load(std::uint16_t address, std::initializer_list<std::uint8_t> bytes) {
        for (const std::uint8_t byte : bytes) state.memory[address++] = byte;
    }

    GdbRegisters readRegisters() override { return state.registers; }
    void writeRegisters(const GdbRegisters& registers) override { state.registers = registers; }
    std::uint8_t peek(std::uint16_t address) override { return state.memory[address]; }
    void poke(std::uint16_t address, std::uint8_t value) override { state.memory[address] = value; }

    bool insertBreakpoint(GdbBreakKind kind, std::uint16_t address, std::uint16_t) override {
        return points.insert({static_cast<int>(kind), address}).second;
    }
    bool removeBreakpoint(GdbBreakKind kind, std::uint16_t address, std::uint16_t) override {
        return points.erase({static_cast<int>(kind), address}) == 1;
    }

    void resume(GdbResume how) override {
        how_ = how;
        first_ = true;
    }

    std::optional<GdbStop> runSlice() override {
        ++slices;
        switch (how_) {
            case GdbResume::step:
                if (auto stop = execute()) return stop;
                return GdbStop{};
            case GdbResume::reverseStep:
                if (history.empty()) return GdbStop{GdbStop::Reason::historyStart};
                state = history.back();
                history.pop_back();
                return GdbStop{};
            case GdbResume::reverseContinue:
                while (!history.empty()) {
                    state = history.back();
                    history.pop_back();
                    if (hasPoint(GdbBreakKind::execute, pc()))
                        return GdbStop{GdbStop::Reason::breakpoint};
                }
                return GdbStop{GdbStop::Reason::historyStart};
            case GdbResume::forward:
                break;
        }
        for (int i = 0; i < sliceInstructions; ++i) {
            // The instruction a run starts on is never its own breakpoint.
            if (!first_ && hasPoint(GdbBreakKind::execute, pc()))
                return GdbStop{GdbStop::Reason::breakpoint};
            first_ = false;
            if (auto stop = execute()) return stop;
        }
        return std::nullopt;
    }

    GdbStop interrupt() override { return GdbStop{GdbStop::Reason::signal, kGdbSignalInterrupt}; }

    std::string monitorCommand(std::string_view command) override {
        monitorCommands.emplace_back(command);
        return command == "frame" ? "frame 12\n" : "";
    }
    void kill() override { killed = true; }
    void detach() override { detached = true; }

  private:
    std::uint16_t pc() const { return state.registers[gdbPC]; }
    bool hasPoint(GdbBreakKind kind, std::uint16_t address) const {
        return points.count({static_cast<int>(kind), address}) != 0;
    }
    std::uint8_t fetch() { return state.memory[state.registers[gdbPC]++]; }

    // One instruction; a watchpoint's stop when it touched a watched byte.
    std::optional<GdbStop> execute() {
        if (history.size() >= historyLimit) history.erase(history.begin());
        history.push_back(state);
        const std::uint8_t opcode = fetch();
        if (opcode != 0x32 && opcode != 0x3A && opcode != 0xC3) {
            if (opcode == 0x3C)
                state.registers[gdbAF] = static_cast<std::uint16_t>(state.registers[gdbAF] + 0x100);
            return std::nullopt;
        }
        const std::uint8_t low = fetch();
        const auto address = static_cast<std::uint16_t>(low | fetch() << 8);
        const std::uint8_t a = static_cast<std::uint8_t>(state.registers[gdbAF] >> 8);
        if (opcode == 0xC3) {
            state.registers[gdbPC] = address;
            return std::nullopt;
        }
        const bool write = opcode == 0x32;
        if (write) {
            state.memory[address] = a;
        } else {
            state.registers[gdbAF] = static_cast<std::uint16_t>(state.memory[address] << 8 |
                                                                (state.registers[gdbAF] & 0xFF));
        }
        for (const GdbBreakKind kind :
             {write ? GdbBreakKind::write : GdbBreakKind::read, GdbBreakKind::access}) {
            if (hasPoint(kind, address))
                return GdbStop{GdbStop::Reason::watchpoint, kGdbSignalTrap, kind, address};
        }
        return std::nullopt;
    }

    GdbResume how_ = GdbResume::forward;
    bool first_ = true;
};

}  // namespace vantorel::testing
