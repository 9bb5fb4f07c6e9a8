// The machine's bus with a debugger watching.
//
// The same bus as MachineBus (the machine's bus is one: the plain processor
// sees it as a MachineBus, and the little this adds is the watching
// processor's scratch), with every memory and port access also looked up in
// the watch set's maps (watch_set.h). A memory access in a page with
// something watched is only written down, inline, and looked at when the
// instruction ends, so the handlers stay as small as the plain ones; a match
// is noted in the set, and at the end of the instruction the debugger
// (WatchListener) is asked whether to stop. The processor over it
// (Z80<WatchingBus>) stops after any instruction the debugger says, keeping
// the rest of its budget. It also keeps the machine time (WatchSet::clock)
// and, when asked, the last access times of every byte and the PC of its
// last writer. The machine runs it only while WatchSet::active is set
// (Machine::runFrame); the plain processor never pays for it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "machine/machine_bus.h"
#include "machine/watch_set.h"
#include "z80/z80_state.h"

namespace vantorel {

// The hot accesses are forced inline (flattened with the memory map they
// wrap), the rare work kept out of line, so that the watching processor's
// handlers stay as small as the plain one's.
struct WatchingBus : MachineBus {
    // Per 256-byte page, made from the watch set's pages and the memory map
    // as each run starts (makePages), so that an access in plain RAM with
    // nothing watched costs one table look, without going through `watch`.
    // Non-zero in readPages: read through the memory map (ROM, slots, no
    // RAM, the boot reads) or watched. In writePages: the ROM drops the
    // write, or it is watched.
    static constexpr std::uint8_t kReadMapped = 1;
    static constexpr std::uint8_t kWriteDropped = 1;
    static constexpr std::uint8_t kAccessWatched = 2;
    std::array<std::uint8_t, 0x100> readPages{};
    std::array<std::uint8_t, 0x100> writePages{};
    // What the tables were made from.
    struct PagesMadeFrom {
        const WatchSet* watch = nullptr;
        std::uint32_t pagesVersion = 0;
        std::uint32_t ramEnd = 0;
        std::uint8_t filledSlots = 0;
        bool bootReadsOver = false;
        bool operator==(const PagesMadeFrom&) const = default;
    };
    PagesMadeFrom pagesMadeFrom;
    // The counter value at which the processor's current run ends (its
    // budget less what the machine held back for the wake time).
    std::uint32_t runEndCounter = 0;
    // Memory accesses of the step in progress that fell in such a page.
    struct PendingAccess {
        std::uint16_t address;
        std::uint8_t value;
        bool write;
    };
    static constexpr std::uint32_t kPendingSlots = 16;  // an instruction makes at most 6
    std::array<PendingAccess, kPendingSlots> pending{};
    std::uint32_t pendingCount = 0;

    [[gnu::always_inline]] std::uint8_t fetchOpcode(std::uint16_t address) {
        return MachineBus::fetchOpcode(address);
    }
    [[gnu::always_inline]] std::uint8_t readMemory(std::uint16_t address) {
        const std::uint8_t kind = readPages[address >> 8];
        if (kind == 0) [[likely]]
            return state.memory.image[address];
        const std::uint8_t value = MachineBus::readMemory(address);
        if ((kind & kAccessWatched) != 0) pending[pendingCount++ % kPendingSlots] = {address, value, false};
        return value;
    }
    [[gnu::always_inline]] void writeMemory(std::uint16_t address, std::uint8_t value) {
        const std::uint8_t kind = writePages[address >> 8];
        if (kind == 0) [[likely]] {
            state.memory.image[address] = value;
            return;
        }
        if ((kind & kWriteDropped) == 0) state.memory.image[address] = value;
        if ((kind & kAccessWatched) != 0) pending[pendingCount++ % kPendingSlots] = {address, value, true};
    }
    // Makes readPages and writePages, when the watch set's pages or the
    // memory map changed since they were made.
    void makePages() {
        const MachineMemory& memory = state.memory;
        const PagesMadeFrom now{watch, watch->pagesVersion, memory.ramEnd(state.ramexpanders),
                                memory.filledSlots, memory.bootReadCounter >= kBootReads};
        if (now == pagesMadeFrom) return;
        pagesMadeFrom = now;
        for (std::uint32_t page = 0; page < 0x100; ++page) {
            const std::uint8_t bits = watch->pages[page];
            const bool read = (bits & (kWatchRead | kWatchMarks)) != 0;
            const bool written = (bits & (kWatchWrite | kWatchMarks)) != 0;
            const bool mapped = !pageReadsRam(page) || (page == 0 && !now.bootReadsOver);
            readPages[page] = static_cast<std::uint8_t>((mapped ? kReadMapped : 0) |
                                                        (read ? kAccessWatched : 0));
            writePages[page] = static_cast<std::uint8_t>((MachineMemory::isRom(page << 8) ? kWriteDropped : 0) |
                                                         (written ? kAccessWatched : 0));
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

    template <bool kStartWork>
    struct StepWatch;
    // What the processor's loop holds through a run (below); stepWork says
    // which of the two kinds.
    template <bool kStartWork>
    StepWatch<kStartWork> stepWatch();
    bool stepWork() const { return watch->startWork; }

    // After a step whose PC page was marked in `look` or that made accesses
    // in watched pages: asks the listener when something may stop it; true
    // ends the processor's run there. A run also ends when startWork changed
    // (the loop holds the other kind of step watch), or outside the
    // every-step mode when the wake time moved before the run's end, so that
    // the machine can end the next run there.
    [[gnu::noinline]] bool afterStep(const Z80State& registers, std::uint32_t tstates,
                                     bool startedWithWork) {
        if (pendingCount != 0) sortPending();
        const WatchSet& w = *watch;
        const bool needed = w.noted ||
                            (w.memory[static_cast<std::uint16_t>(registers.PC)] & kWatchExecute) != 0 ||
                            w.due(state.tstateCounter.tstates);
        if (!needed) return false;
        if (askListener(registers, tstates)) return true;
        if (w.startWork != startedWithWork) return true;
        return !(w.everyStep || w.pause) &&
               static_cast<std::int32_t>(w.wakeCounter - runEndCounter) < 0;
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
        w.askedCounter = counter;
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
    // The step's accesses in watched pages: the access marks, and an event
    // for each watched byte.
    void sortPending() {
        WatchSet& w = *watch;
        if (pendingCount > kPendingSlots) w.eventsLost = true;
        const std::uint32_t count = pendingCount < kPendingSlots ? pendingCount : kPendingSlots;
        pendingCount = 0;
        for (std::uint32_t i = 0; i < count; ++i) {
            const PendingAccess& access = pending[i];
            if (access.write) {
                writeSeen(access.address, access.value);
            } else {
                readSeen(access.address, access.value);
            }
        }
    }
    void readSeen(std::uint16_t address, std::uint8_t value) {
        if (watch->marks != nullptr) watch->marks->read[address] = watch->stepStart;
        if ((watch->memory[address] & kWatchRead) != 0) note(WatchEventKind::read, address, value);
    }
    void writeSeen(std::uint16_t address, std::uint8_t value) {
        if (watch->marks != nullptr) {
            watch->marks->write[address] = watch->stepStart;
            watch->marks->writerPc[address] = watch->step.pc;
        }
        if ((watch->memory[address] & kWatchWrite) != 0)
            note(WatchEventKind::write, address, value);
    }
};

// Kept in registers by the processor's loop through one run: a step costs a
// look at its PC's page and at the count of accesses written down; with
// kStartWork (WatchSet::startWork as the run began) the bus also works
// before each step.
template <bool kStartWork>
struct WatchingBus::StepWatch {
    WatchingBus* bus;
    const std::uint8_t* look;  // WatchSet::look

    [[gnu::always_inline]] void starting(const Z80State& registers) const {
        if constexpr (kStartWork) bus->startStep(registers);
    }
    [[gnu::always_inline]] bool ended(const Z80State& registers, std::uint32_t tstates) const {
        if ((look[registers.PC >> 8] | bus->pendingCount) == 0) [[likely]]
            return false;
        return bus->afterStep(registers, tstates, kStartWork);
    }
};

template <bool kStartWork>
WatchingBus::StepWatch<kStartWork> WatchingBus::stepWatch() {
    return {this, watch->look.data()};
}

}  // namespace vantorel
