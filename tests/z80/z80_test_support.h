// Shared helpers of the Z80 core tests: a FlatBus with a CPU on it, program
// loading and single-step helpers.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "z80/flat_bus.h"
#include "z80/z80.h"

namespace vantorel::test {

struct Z80Rig {
    FlatBus bus;
    Z80<FlatBus> cpu{bus};

    Z80Rig() { cpu.resetZ80(); }

    Z80State& s() { return cpu.state(); }

    void load(std::uint16_t address, std::initializer_list<std::uint8_t> bytes) {
        for (std::uint8_t byte : bytes) bus.memory[address++] = byte;
    }

    // Loads the bytes at PC and runs one step (budget 0: exactly one step).
    std::int32_t step(std::initializer_list<std::uint8_t> bytes) {
        load(static_cast<std::uint16_t>(s().PC), bytes);
        return cpu.runZ80(0);
    }

    std::uint32_t a() const { return cpu.state().AF >> 8; }
    std::uint32_t f() const { return cpu.state().AF & 0xFF; }
    void setA(std::uint32_t value) { s().AF = (value << 8) | (s().AF & 0xFF); }
    void setF(std::uint32_t value) { s().AF = (s().AF & 0xFF00) | value; }
};

}  // namespace vantorel::test
