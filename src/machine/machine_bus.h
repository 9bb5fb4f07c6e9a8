// The machine as the Z80 core sees it.
//
// Holds everything the processor reaches during a frame (memory, ports,
// keyboard matrix, the tape deck and its UART, settings, TStateCounter, the
// quick-type flag and the speaker and debug sinks) and satisfies the core's Z80Bus concept with
// inline calls, so no access costs a virtual call. Owned by Machine, which
// hands it to its Z80<MachineBus>.
#pragma once

#include <cstdint>

#include "cassette/tape_deck.h"
#include "config/machine_config.h"
#include "hostapi/host_interfaces.h"
#include "input/keyboard_matrix.h"
#include "machine/machine_memory.h"
#include "machine/machine_ports.h"
#include "machine/t_state_counter.h"
#include "z80/z80_state.h"

namespace vantorel {

struct MachineBus {
    MachineMemory memory;
    MachinePorts ports;
    TapeDeck tape;  // ports FC and FD, and the tape bits of port FE
    KeyboardMatrix keyboard;
    MachineConfig config;
    TStateCounter tstateCounter;
    bool quickTypeActive = false;          // quick type is typing: speaker edges not recorded
    SpeakerSink* speaker = nullptr;        // receives speaker edges; may be null
    DebugOutputSink* debugSink = nullptr;  // receives diagnostic text; may be null
    PrinterSink* printer = nullptr;        // the printer on the parallel port; may be null

    std::uint8_t fetchOpcode(std::uint16_t address) {
        return memory.read(address, config.ramexpanders);
    }
    std::uint8_t readMemory(std::uint16_t address) {
        return memory.read(address, config.ramexpanders);
    }
    void writeMemory(std::uint16_t address, std::uint8_t value) { memory.write(address, value); }
    std::uint8_t readPort(std::uint16_t port) {
        switch (static_cast<std::uint8_t>(port)) {
            case kTapeDataPort:
                return tape.readData(tstateCounter.tstates);
            case kTapeStatusPort:
                return tape.readStatus(tstateCounter.tstates);
            default:
                return ports.read(port, keyboard);
        }
    }
    // Port FE also drives the tape motors and the baud rate; the latch keeps
    // all eight bits for the keyboard as before.
    void writePort(std::uint16_t port, std::uint8_t value) {
        const auto low = static_cast<std::uint8_t>(port);
        if (low == kTapeDataPort) {
            tape.writeData(value, tstateCounter.tstates);
            return;
        }
        if (low == kKeyboardPort) {
            tape.writeControl(value, tstateCounter.tstates);
            if (printer != nullptr && printerStrobed(ports.keyboardLatch, value)) {
                printer->printByte(ports.lastParallelValue);
            }
        }
        ports.write(port, value, tstateCounter.tstates, quickTypeActive, speaker);
    }
    void advanceTStates(std::uint32_t count) { tstateCounter.advance(count); }
    void trapHook(Z80State&) {}  // ED FE does nothing on this machine
    void retiHook() {}           // nothing listens for RETI on this machine
    void debugOutput(const char* text) {
        if (debugSink != nullptr) debugSink->debugOutput(text);
    }
};

}  // namespace vantorel
