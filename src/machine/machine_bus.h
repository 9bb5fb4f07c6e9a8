// The machine as the Z80 core sees it.
//
// Holds the machine's state record (machine_state.h) and the read-only
// inputs it names, the tape recording being made, and the speaker and debug
// sinks, and satisfies the core's Z80Bus concept with inline calls over
// them. The memory map (see machine_memory.h) reads the record's RAM at a
// fixed offset from the bus, so no access costs a virtual call or a
// pointer more than the map needs. Owned by Machine, which makes a Z80<MachineBus> over it for each
// processor slice.
#pragma once

#include <cstdint>

#include "cassette/tape_deck.h"
#include "cassette/tape_recording.h"
#include "hostapi/host_interfaces.h"
#include "input/keyboard_matrix.h"
#include "machine/machine_memory.h"
#include "machine/machine_state.h"
#include "machine/watch_set.h"
#include "z80/z80_state.h"

namespace vantorel {

struct MachineBus {
    MachineState state;                    // everything that makes the machine's future
    MachineInputs inputs;                  // ROMs, game ROMs, tape, typed text
    TapeRecording recording;               // what the recorder took down (output)
    SpeakerSink* speaker = nullptr;        // receives speaker edges; may be null
    DebugOutputSink* debugSink = nullptr;  // receives diagnostic text; may be null
    PrinterSink* printer = nullptr;        // the printer on the parallel port; may be null
    WatchSet* watch = nullptr;             // a debugger's, for the watching bus (watching_bus.h)

    std::uint8_t fetchOpcode(std::uint16_t address) { return readMemory(address); }
    // What the processor reads at `address` (opcode fetches and data reads
    // alike), counting a boot read: the first three reads of 0000-0002
    // after a reset come from the monitor ROM.
    std::uint8_t readMemory(std::uint16_t address) {
        MachineMemory& memory = state.memory;
        if (address < kBootReads && memory.bootReadCounter < kBootReads) {
            ++memory.bootReadCounter;
            return (*inputs.roms.monitor)[address];
        }
        return peek(address);
    }
    void writeMemory(std::uint16_t address, std::uint8_t value) {
        state.memory.write(address, value);
    }

    // What a read of `address` gives once the boot reads are over, without
    // counting as a read (the snapshot writer, disassembly, memory views).
    std::uint8_t peek(std::uint16_t address) const {
        const MachineMemory& memory = state.memory;
        if (address < 0x2000) return memory.image[address];  // 8K of RAM is always fitted
        if (address >= kMonitorStart) {
            if (address < kScreenRamStart) return (*inputs.roms.monitor)[address - kMonitorStart];
            if (address >= kCharacterRomStart && address < kProgrammableCharactersStart) {
                return (*inputs.roms.characters)[address - kCharacterRomStart];
            }
            return memory.image[address];  // screen RAM and programmable characters
        }
        if (address >= kSlotA000) return peekSlots(address);
        return address < memory.ramEnd(state.ramexpanders) ? memory.image[address] : 0xFF;
    }
    std::uint8_t readPort(std::uint16_t port) {
        switch (static_cast<std::uint8_t>(port)) {
            case kTapeDataPort:
                return state.tape.readData(state.tstateCounter.tstates, tapeIo());
            case kTapeStatusPort:
                return state.tape.readStatus(state.tstateCounter.tstates, tapeIo());
            default:
                return state.ports.read(port, state.keyboard);
        }
    }
    // Port FE also drives the tape motors and the baud rate; the latch keeps
    // all eight bits for the keyboard as before.
    void writePort(std::uint16_t port, std::uint8_t value) {
        const auto low = static_cast<std::uint8_t>(port);
        const std::uint32_t tstates = state.tstateCounter.tstates;
        if (low == kTapeDataPort) {
            state.tape.writeData(value, tstates, tapeIo());
            return;
        }
        if (low == kKeyboardPort) {
            state.tape.writeControl(value, tstates, tapeIo());
            if (printer != nullptr && printerStrobed(state.ports.keyboardLatch, value)) {
                printer->printByte(state.ports.lastParallelValue);
            }
        }
        state.ports.write(port, value, tstates, state.quickType.active(), speaker);
    }
    void advanceTStates(std::uint32_t count) { state.tstateCounter.advance(count); }
    void trapHook(Z80State&) {}  // ED FE does nothing on this machine
    void retiHook() {}           // nothing listens for RETI on this machine
    void debugOutput(const char* text) {
        if (debugSink != nullptr) debugSink->debugOutput(text);
    }

    // Whether peek gives memory.image for every address of the 256-byte
    // page `page` (RAM with nothing mapped over it), for the watching bus's
    // page tables.
    bool pageReadsRam(std::uint32_t page) const {
        const std::uint32_t first = page << 8;
        if (first < 0x2000) return true;
        if (first >= kMonitorStart) {
            return first >= kScreenRamStart &&
                   (first < kCharacterRomStart || first >= kProgrammableCharactersStart);
        }
        const std::uint32_t end = state.memory.ramEnd(state.ramexpanders);
        if (first >= kSlotA000 && state.memory.filledSlots != 0) return false;
        return first + 0x100 <= end;
    }

    // A000-DFFF: a game ROM takes precedence over RAM.
    std::uint8_t peekSlots(std::uint16_t address) const {
        const MachineMemory& memory = state.memory;
        const std::uint8_t filled = memory.filledSlots;
        if (filled & kSlotA000Filled) return (*inputs.gameRoms.a000)[address - kSlotA000];
        if (address >= kSlotC000) {
            if (filled & kSlotC000Filled) return (*inputs.gameRoms.c000)[address - kSlotC000];
            if ((filled & kSlotD000Filled) && address >= kSlotD000) {
                return (*inputs.gameRoms.d000)[address - kSlotD000];
            }
            return 0xFF;
        }
        return address < memory.ramEnd(state.ramexpanders) ? memory.image[address] : 0xFF;
    }

    // The tape in the deck and the recording, for the deck's calls.
    TapeIo tapeIo() { return {inputs.tape.get(), &recording}; }
};

}  // namespace vantorel
