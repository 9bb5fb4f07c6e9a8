// The machine's bus with a debugger watching.
//
// Wraps MachineBus (every access goes through it unchanged) and checks the
// watch set's maps (watch_set.h) on every memory and port access: a match
// is noted in the set, and at the end of the instruction the debugger
// (WatchListener) is asked whether to stop. The processor that runs over it
// (Z80<WatchingBus>) stops after any instruction the debugger says, keeping
// the rest of its budget. Also keeps the machine time (WatchSet::clock) and,
// when asked, the last access times of every byte and the PC of its last
// writer. The machine runs it only while WatchSet::active is set
// (Machine::runFrame); the plain bus never pays for it.
#pragma once

#include <cstdint>

#include "machine/machine_bus.h"
#include "machine/watch_set.h"
#include "z80/z80_state.h"

namespace vantorel {

struct WatchingBus {
    MachineBus& base;
    WatchSet& watch;

    std::uint8_t fetchOpcode(std::uint16_t address) { return base.fetchOpcode(address); }
    std::uint8_t readMemory(std::uint16_t address) {
        const std::uint8_t value = base.readMemory(address);
        if (watch.marks != nullptr) [[unlikely]]
            watch.marks->read[address] = watch.stepStart;
        if (watch.memory[address] & kWatchRead) [[unlikely]] {
            note(WatchEventKind::read, address, value);
        }
        return value;
    }
    void writeMemory(std::uint16_t address, std::uint8_t value) {
        base.writeMemory(address, value);
        if (watch.marks != nullptr) [[unlikely]] {
            watch.marks->write[address] = watch.stepStart;
            watch.marks->writerPc[address] = watch.step.pc;
        }
        if (watch.memory[address] & kWatchWrite) [[unlikely]] {
            note(WatchEventKind::write, address, value);
        }
    }
    std::uint8_t readPort(std::uint16_t port) {
        const std::uint8_t value = base.readPort(port);
        const auto low = static_cast<std::uint8_t>(port);
        if (watch.ports[low] & kWatchPortIn) [[unlikely]]
            note(WatchEventKind::portIn, port, value);
        if (watch.watchTape && low == kTapeDataPort) [[unlikely]] {
            note(WatchEventKind::uartReceive, port, value);
        }
        return value;
    }
    void writePort(std::uint16_t port, std::uint8_t value) {
        const auto low = static_cast<std::uint8_t>(port);
        const bool motorBefore = base.state.tape.motorOn();
        base.writePort(port, value);
        if (watch.ports[low] & kWatchPortOut) [[unlikely]]
            note(WatchEventKind::portOut, port, value);
        if (watch.watchTape) [[unlikely]] {
            if (low == kTapeDataPort) note(WatchEventKind::uartSend, port, value);
            if (base.state.tape.motorOn() != motorBefore) {
                note(WatchEventKind::tapeMotor, port, base.state.tape.motorOn() ? 1 : 0);
            }
        }
    }
    void advanceTStates(std::uint32_t count) {
        base.advanceTStates(count);
        watch.clock += count;
        watch.step.tstates = count;
    }
    void trapHook(Z80State& state) { base.trapHook(state); }
    void retiHook() { base.retiHook(); }
    void debugOutput(const char* text) { base.debugOutput(text); }

    void interruptAccepted(std::uint16_t pc) {
        watch.step.interrupted = true;
        watch.step.interruptPc = pc;
        note(WatchEventKind::interrupt, pc, 0);
    }
    void stepStarting(const Z80State& state) {
        const auto pc = static_cast<std::uint16_t>(state.PC);
        watch.step.pc = pc;
        watch.step.sp = static_cast<std::uint16_t>(state.SP);
        watch.stepStart = watch.clock;
        if (watch.marks != nullptr) [[unlikely]]
            watch.marks->execute[pc] = watch.clock;
        if (watch.everyStep) [[unlikely]] {
            for (std::uint16_t i = 0; i < 4; ++i) {
                watch.step.opcode[i] = base.peek(static_cast<std::uint16_t>(pc + i));
            }
            watch.listener->stepStarting(state);
        }
    }
    // After a step: asks the debugger only when something may stop it.
    bool stepEnded(const Z80State& state) {
        const bool look = (watch.eventCount != 0) | (watch.everyStep | watch.pause) |
                          ((watch.memory[state.PC & 0xFFFF] & kWatchExecute) != 0) |
                          (watch.clock >= watch.wakeAt);
        if (!look) [[likely]] {
            watch.step.interrupted = false;
            return false;
        }
        return askListener(state);
    }

  private:
    void note(WatchEventKind kind, std::uint16_t address, std::uint8_t value) {
        if (watch.eventCount < watch.events.size()) {
            watch.events[watch.eventCount++] = {kind, address, value};
        } else {
            watch.eventsLost = true;
        }
    }
    bool askListener(const Z80State& state) {
        watch.step.endClock = watch.clock;
        const bool stop = watch.listener != nullptr &&
                          watch.listener->stepEnded(watch.step, state, watch.events.data(),
                                                    watch.eventCount, watch.eventsLost);
        watch.eventCount = 0;
        watch.eventsLost = false;
        watch.step.interrupted = false;
        if (stop) watch.stopped = true;
        return stop;
    }
};

}  // namespace vantorel
