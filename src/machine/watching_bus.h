// The machine's bus with a debugger watching.
//
// The same bus as MachineBus (it adds no data: the machine's bus is one, and
// the plain processor sees it as a MachineBus), with every memory and port
// access also looked up in the watch set's maps (watch_set.h): a match is
// noted in the set, and at the end of the instruction the debugger
// (WatchListener) is asked whether to stop. The processor over it
// (Z80<WatchingBus>) stops after any instruction the debugger says, keeping
// the rest of its budget. It also keeps the machine time (WatchSet::clock)
// and, when asked, the last access times of every byte and the PC of its
// last writer. The machine runs it only while WatchSet::active is set
// (Machine::runFrame); the plain processor never pays for it.
#pragma once

#include <cstdint>

#include "machine/machine_bus.h"
#include "machine/watch_set.h"
#include "z80/z80_state.h"

namespace vantorel {

// The hot accesses are forced inline (flattened with the memory map they
// wrap), the rare work kept out of line, so that the watching processor's
// handlers stay as small as the plain one's.
struct WatchingBus : MachineBus {
    [[gnu::always_inline]] std::uint8_t fetchOpcode(std::uint16_t address) {
        return MachineBus::fetchOpcode(address);
    }
    [[gnu::always_inline]] std::uint8_t readMemory(std::uint16_t address) {
        const std::uint8_t value = MachineBus::readMemory(address);
        if (watch->watched(address, kWatchRead | kWatchMarks)) [[unlikely]] {
            readSeen(address, value);
        }
        return value;
    }
    [[gnu::always_inline]] void writeMemory(std::uint16_t address, std::uint8_t value) {
        MachineBus::writeMemory(address, value);
        if (watch->watched(address, kWatchWrite | kWatchMarks)) [[unlikely]] {
            writeSeen(address, value);
        }
    }
    std::uint8_t readPort(std::uint16_t port) {
        const std::uint8_t value = MachineBus::readPort(port);
        const auto low = static_cast<std::uint8_t>(port);
        if ((watch->ports[low] & kWatchPortIn) != 0) [[unlikely]] {
            note(WatchEventKind::portIn, port, value);
        }
        if (watch->watchTape && low == kTapeDataPort) [[unlikely]] {
            note(WatchEventKind::uartReceive, port, value);
        }
        return value;
    }
    void writePort(std::uint16_t port, std::uint8_t value) {
        const auto low = static_cast<std::uint8_t>(port);
        const bool motorBefore = state.tape.motorOn();
        MachineBus::writePort(port, value);
        if ((watch->ports[low] & kWatchPortOut) != 0) [[unlikely]] {
            note(WatchEventKind::portOut, port, value);
        }
        if (watch->watchTape) [[unlikely]] {
            if (low == kTapeDataPort) note(WatchEventKind::uartSend, port, value);
            if (state.tape.motorOn() != motorBefore) {
                note(WatchEventKind::tapeMotor, port, state.tape.motorOn() ? 1 : 0);
            }
        }
    }
    [[gnu::always_inline]] void advanceTStates(std::uint32_t count) {
        MachineBus::advanceTStates(count);
    }

    void interruptAccepted(std::uint16_t pc) {
        watch->step.interrupted = true;
        watch->step.interruptPc = pc;
        note(WatchEventKind::interrupt, pc, 0);
    }

    struct StepWatch;
    // What the processor's loop holds through a run (below).
    StepWatch stepWatch();

    // After a step whose PC page was marked in `look`: asks the listener when
    // something may stop it; true ends the processor's run there. A run that
    // was started with `startWork` ends when that changes, and a run outside
    // the every-step mode ends after any ask, so that the machine can set its
    // end at the new wake time.
    [[gnu::noinline]] bool afterStep(const Z80State& registers, std::uint32_t tstates,
                                     bool startedWithWork) {
        const WatchSet& w = *watch;
        const bool needed = w.noted ||
                            (w.memory[static_cast<std::uint16_t>(registers.PC)] & kWatchExecute) != 0 ||
                            w.due(state.tstateCounter.tstates);
        if (!needed) return false;
        if (askListener(registers, tstates)) return true;
        return w.startWork != startedWithWork || !(w.everyStep || w.pause);
    }
    // Asks the listener about the step just run (the machine calls it when a
    // run ended at the wake time); true: stop.
    [[gnu::noinline]] bool askListener(const Z80State& registers, std::uint32_t tstates) {
        WatchSet& w = *watch;
        const std::uint32_t counter = state.tstateCounter.tstates;
        w.clock = w.clockAt(counter);
        w.step.tstates = tstates;
        w.step.endClock = w.clock;
        if (!w.startWork) w.step.pc = 0;  // not known: only steps asked for are told whole
        const bool stop =
            w.listener != nullptr &&
            w.listener->stepEnded(w.step, registers, w.events.data(), w.eventCount, w.eventsLost);
        w.eventCount = 0;
        w.eventsLost = false;
        w.step.interrupted = false;
        w.noted = false;
        w.asked = true;
        w.aim(counter);
        if (stop) w.stopped = true;
        return stop;
    }
    [[gnu::noinline]] void startStep(const Z80State& registers) {
        WatchSet& w = *watch;
        const auto pc = static_cast<std::uint16_t>(registers.PC);
        w.step.pc = pc;
        w.step.sp = static_cast<std::uint16_t>(registers.SP);
        w.stepStart = w.clockAt(state.tstateCounter.tstates);
        if (w.marks != nullptr) w.marks->execute[pc] = w.stepStart;
        if (w.everyStep) {
            for (std::uint16_t i = 0; i < 4; ++i) {
                w.step.opcode[i] = peek(static_cast<std::uint16_t>(pc + i));
            }
            w.listener->stepStarting(registers);
        }
    }

  private:
    [[gnu::noinline]] void note(WatchEventKind kind, std::uint16_t address, std::uint8_t value) {
        WatchSet& w = *watch;
        w.noted = true;  // ask at the end of this step, wherever PC is
        if (!w.lookEverywhere) w.fillLook(true);
        if (w.eventCount < w.events.size()) {
            w.events[w.eventCount++] = {kind, address, value};
        } else {
            w.eventsLost = true;
        }
    }
    [[gnu::noinline]] void readSeen(std::uint16_t address, std::uint8_t value) {
        if (watch->marks != nullptr) watch->marks->read[address] = watch->stepStart;
        if ((watch->memory[address] & kWatchRead) != 0) note(WatchEventKind::read, address, value);
    }
    [[gnu::noinline]] void writeSeen(std::uint16_t address, std::uint8_t value) {
        if (watch->marks != nullptr) {
            watch->marks->write[address] = watch->stepStart;
            watch->marks->writerPc[address] = watch->step.pc;
        }
        if ((watch->memory[address] & kWatchWrite) != 0)
            note(WatchEventKind::write, address, value);
    }
};

// Kept in registers by the processor's loop through one run: a step costs a
// look at its PC's page, and the start of a step a test of a flag.
struct WatchingBus::StepWatch {
    WatchingBus* bus;
    const std::uint8_t* look;  // WatchSet::look
    bool startWork;            // WatchSet::startWork as the run began

    [[gnu::always_inline]] void starting(const Z80State& registers) const {
        if (startWork) [[unlikely]]
            bus->startStep(registers);
    }
    [[gnu::always_inline]] bool ended(const Z80State& registers, std::uint32_t tstates) const {
        if (look[static_cast<std::uint16_t>(registers.PC) >> 8] == 0) [[likely]]
            return false;
        return bus->afterStep(registers, tstates, startWork);
    }
};

inline WatchingBus::StepWatch WatchingBus::stepWatch() {
    return {this, watch->look.data(), watch->startWork};
}

}  // namespace vantorel
