// What a debugger asks the machine to watch while it runs.
//
// One byte per address for execute, read and write breakpoints over the 64K
// the processor sees, one byte per port (the low byte of the port number,
// the part the Sorcerer decodes) for input and output, and one flag,
// `active`, that decides whether the machine runs its watching processor
// (Z80<WatchingBus>, watching_bus.h) at all: with it clear the machine runs
// the plain processor exactly as without a debugger. Looking a bit up costs
// the same for one breakpoint as for ten thousand.
//
// The watching bus notes what matched during an instruction here, with no
// allocation; at the end of the instruction it asks the listener (the
// debugger) whether to stop, and only then: when something matched, when PC
// landed on an execute mark, when the clock reached `wakeAt`, when a pause
// was asked for, or on every instruction while `everyStep` is set (stepping,
// the trace, the profile, the call stack). After a step the bus looks only
// at `look`, one byte per 256-byte page of PC; the clock is watched by
// ending the processor's run at the wake time (Machine::runWatchedSlice), so
// a step that needs nothing costs one table look.
//
// Owned by the debugger (debug/debugger.h); the machine keeps a pointer
// (Machine::setWatch) and reads it on every frame.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "z80/z80_state.h"

namespace vantorel {

// Bits of WatchSet::memory.
inline constexpr std::uint8_t kWatchExecute = 1;
inline constexpr std::uint8_t kWatchRead = 2;
inline constexpr std::uint8_t kWatchWrite = 4;
inline constexpr std::uint8_t kWatchMarks = 0x80;  // on every address while the marks are kept
// Bits of WatchSet::ports.
inline constexpr std::uint8_t kWatchPortIn = 1;
inline constexpr std::uint8_t kWatchPortOut = 2;

// What happened during an instruction that a watch may care about.
enum class WatchEventKind : std::uint8_t {
    read,         // a data read of `address` gave `value`
    write,        // `value` was written to `address`
    portIn,       // IN from port `address` gave `value`
    portOut,      // OUT of `value` to port `address`
    interrupt,    // an interrupt was accepted; `address` is where it went
    tapeMotor,    // an OUT to FE changed the motors; `value` is the new motor bits
    uartReceive,  // IN from the data port took a byte (`value`) from the receiver
    uartSend,     // OUT to the data port gave the transmitter `value`
};

struct WatchEvent {
    WatchEventKind kind = WatchEventKind::read;
    std::uint16_t address = 0;
    std::uint8_t value = 0;
};

// One instruction as the watching bus saw it (an interrupt accepted before
// it belongs to the same step).
struct WatchStep {
    std::uint16_t pc = 0;           // where the instruction started
    std::uint16_t sp = 0;           // SP before it
    std::uint32_t tstates = 0;      // T-states the step took
    std::int64_t endClock = 0;      // WatchSet::clock after it
    std::uint8_t opcode[4] = {};    // its first bytes as fetched before it ran
    bool interrupted = false;       // an interrupt was accepted at its start
    std::uint16_t interruptPc = 0;  // PC when it was
};

// The debugger's side: told about every step it asked for.
class WatchListener {
  public:
    virtual ~WatchListener() = default;
    // Before an instruction, only while everyStep is set (the registers as
    // they stand, PC at the instruction).
    virtual void stepStarting(const Z80State& registers) = 0;
    // After a step that needs a look; true stops the run there.
    virtual bool stepEnded(const WatchStep& step, const Z80State& registers,
                           const WatchEvent* events, std::size_t eventCount, bool eventsLost) = 0;
    // A frame begins at `clock`: the listener can set wakeAt for the frame.
    virtual void frameBegun(std::int64_t clock) = 0;
};

// The last access times (WatchSet::clock at the start of the accessing
// instruction; -1: none) of every byte, and the PC of its last writer.
struct AccessMarks {
    std::array<std::int64_t, 0x10000> read;
    std::array<std::int64_t, 0x10000> write;
    std::array<std::int64_t, 0x10000> execute;
    std::array<std::int32_t, 0x10000> writerPc;
    void clear() {
        read.fill(-1);
        write.fill(-1);
        execute.fill(-1);
        writerPc.fill(-1);
    }
};

struct WatchSet {
    static constexpr std::size_t kEventsPerStep = 16;

    bool active = false;     // the one flag: the watching processor runs
    bool everyStep = false;  // stepStarting/stepEnded on every instruction
    bool watchTape = false;  // note motor changes and UART bytes
    bool pause = false;      // stop after the next instruction (then cleared by the listener)
    bool startWork = false;  // everyStep or marks: the bus works before each step
    std::array<std::uint8_t, 0x10000> memory{};  // kWatchExecute | kWatchRead | kWatchWrite
    // Per 256-byte page, every bit of the page's bytes: the watching bus
    // makes its page tables from it (256 bytes stay in the nearest cache;
    // the 64K map would not).
    std::array<std::uint8_t, 0x100> pages{};
    // Per 256-byte page of PC after a step, non-zero: look closer (an
    // execute mark in the page). Every page while everyStep or pause is set
    // or an event waits (lookEverywhere). Kept by updatePages and aim.
    std::array<std::uint8_t, 0x100> look{};
    bool lookEverywhere = false;
    bool noted = false;  // an event of this step waits for the listener
    bool asked = false;  // the listener was asked since the machine cleared it,
    std::uint32_t askedCounter = 0;  // last with the counter at this
    std::array<std::uint8_t, 0x100> ports{};  // kWatchPortIn | kWatchPortOut
    // Machine time (T-states since the timeline's start) is told by the
    // machine's T-state counter: clockBase at counterBase (Machine::syncWatchClock).
    std::int64_t clock = 0;  // the time of the step the listener is told about
    std::int64_t clockBase = 0;
    std::uint32_t counterBase = 0;
    std::int64_t wakeAt = std::numeric_limits<std::int64_t>::max();  // ask once clock reaches it
    // The counter value at which the bus asks the listener: wakeAt, or the
    // next step while everyStep or pause is set or something matched. Kept
    // by aim(); the bus compares it with the counter after every step.
    std::uint32_t wakeCounter = 0;
    WatchListener* listener = nullptr;
    AccessMarks* marks = nullptr;  // kept while not null
    bool stopped = false;          // the listener stopped the run (the machine clears it per frame)
    std::int64_t stepStart = 0;    // clock at the start of the step in progress

    // The step in progress (the bus's scratch).
    WatchStep step;
    std::array<WatchEvent, kEventsPerStep> events{};
    std::size_t eventCount = 0;
    bool eventsLost = false;

    std::uint32_t pagesVersion = 0;  // counts updatePages calls (the bus copies pages when it moves)

    // Brings `pages` and `look` in line with `memory` after it was changed.
    void updatePages() {
        ++pagesVersion;
        for (std::size_t page = 0; page < pages.size(); ++page) {
            std::uint8_t bits = 0;
            for (std::size_t i = 0; i < 0x100; ++i) bits |= memory[page * 0x100 + i];
            pages[page] = bits;
        }
        fillLook(lookWanted());
    }
    bool lookWanted() const { return everyStep || pause || noted; }
    void fillLook(bool everywhere) {
        lookEverywhere = everywhere;
        for (std::size_t page = 0; page < look.size(); ++page) {
            look[page] = everywhere ? 1 : static_cast<std::uint8_t>(pages[page] & kWatchExecute);
        }
    }
    bool watched(std::uint16_t address, std::uint8_t bits) const {
        return (pages[address >> 8] & bits) != 0 && (memory[address] & bits) != 0;
    }

    std::int64_t clockAt(std::uint32_t counter) const {
        return clockBase + static_cast<std::uint32_t>(counter - counterBase);
    }
    // Sets wakeCounter from wakeAt (or the next step) with the counter at
    // `counter`, and `look` for the mode; a time further than 2^30 T-states ahead is looked at on the
    // way, harmlessly.
    void aim(std::uint32_t counter) {
        if (lookWanted() != lookEverywhere) fillLook(lookWanted());
        if (everyStep || pause) {
            wakeCounter = counter;
            return;
        }
        std::int64_t ahead = wakeAt - clockAt(counter);
        if (ahead < 0) ahead = 0;
        if (ahead > (std::int64_t{1} << 30)) ahead = std::int64_t{1} << 30;
        wakeCounter = counter + static_cast<std::uint32_t>(ahead);
    }
    // After a step that ended with the counter at `counter`: is it time?
    bool due(std::uint32_t counter) const {
        return static_cast<std::int32_t>(counter - wakeCounter) >= 0;
    }
};

}  // namespace vantorel
