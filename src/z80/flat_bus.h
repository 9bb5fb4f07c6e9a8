// A flat 64K RAM bus for the Z80 core.
//
// Every address is RAM, ports read FF unless a test sets them, and the
// T-state count is kept here. Used by the core's unit tests, the conformance
// test, the CP/M runner and the core benchmark; the Sorcerer itself plugs in
// its own memory map instead.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

#include "z80/z80_state.h"

namespace vantorel {

struct FlatBus {
    std::array<std::uint8_t, 65536> memory{};    // the whole address space, RAM
    std::array<std::uint8_t, 256> portValues{};  // what IN reads, by low port byte
    std::uint64_t tstates = 0;                   // sum of every advanceTStates
    std::uint32_t trapCount = 0;                 // ED FE executions
    std::uint32_t retiCount = 0;                 // RETI executions
    std::string debugText;                       // everything sent to the debug sink
    std::uint16_t lastPortWritten = 0;
    std::uint8_t lastPortValue = 0;

    FlatBus() { portValues.fill(0xFF); }

    std::uint8_t fetchOpcode(std::uint16_t address) { return memory[address]; }
    std::uint8_t readMemory(std::uint16_t address) { return memory[address]; }
    void writeMemory(std::uint16_t address, std::uint8_t value) { memory[address] = value; }
    std::uint8_t readPort(std::uint16_t port) { return portValues[port & 0xFF]; }
    void writePort(std::uint16_t port, std::uint8_t value) {
        lastPortWritten = port;
        lastPortValue = value;
    }
    void advanceTStates(std::uint32_t count) { tstates += count; }
    void trapHook(Z80State&) { ++trapCount; }
    void retiHook() { ++retiCount; }
    void debugOutput(const char* text) { debugText += text; }
};

}  // namespace vantorel
