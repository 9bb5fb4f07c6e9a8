// Shared helpers of the Z80 core tests: a FlatBus with a CPU on it, a bus
// that records every access in order, program loading and single steps.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "z80/flat_bus.h"
#include "z80/z80.h"

namespace vantorel::test {

// A FlatBus that also records each memory access in order.
struct RecordingBus : FlatBus {
    enum class Kind { Fetch, Read, Write };
    struct Access {
        Kind kind;
        std::uint16_t address;
        bool operator==(const Access&) const = default;
    };
    std::vector<Access> accesses;

    std::uint8_t fetchOpcode(std::uint16_t address) {
        accesses.push_back({Kind::Fetch, address});
        return memory[address];
    }
    std::uint8_t readMemory(std::uint16_t address) {
        accesses.push_back({Kind::Read, address});
        return memory[address];
    }
    void writeMemory(std::uint16_t address, std::uint8_t value) {
        accesses.push_back({Kind::Write, address});
        memory[address] = value;
    }
};

template <class Bus>
struct BasicRig {
    Bus bus;
    Z80<Bus> cpu{bus};

    BasicRig() { cpu.resetZ80(); }

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

using Z80Rig = BasicRig<FlatBus>;
using RecordingRig = BasicRig<RecordingBus>;

}  // namespace vantorel::test
