// A machine with a timeline and a debugger over it, and small programs put
// into its RAM, for the debugger's tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "debug/debugger.h"
#include "support/test_machine.h"
#include "timeline/timeline.h"

namespace vantorel::testing {

struct DebugRig {
    TestMachine test;
    Timeline timeline;
    Debugger debugger{test.machine, timeline};

    Machine& machine() { return test.machine; }

    // Bytes into RAM at `address`, without moving the processor.
    void poke(std::uint16_t address, std::initializer_list<std::uint8_t> bytes) {
        for (std::uint8_t byte : bytes) machine().memory().image[address++] = byte;
    }
    // Bytes into RAM at `address`, and the processor there.
    void runFrom(std::uint16_t address, std::initializer_list<std::uint8_t> bytes) {
        test.runFrom(address, bytes);
    }
    std::uint16_t pc() const { return static_cast<std::uint16_t>(test.machine.registers().PC); }
    std::uint8_t a() const { return static_cast<std::uint8_t>(test.machine.registers().AF >> 8); }
};

// A digest of the whole state record, to compare machines cheaply.
inline std::uint64_t stateDigest(const Machine& machine) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&machine.state());
    std::uint64_t hash = 1469598103934665603ull;
    for (std::size_t i = 0; i < sizeof(MachineState); ++i) {
        hash = (hash ^ bytes[i]) * 1099511628211ull;
    }
    return hash;
}

// The program the stepping tests walk through:
//   2000 CALL 2100 / 2003 RST 38 / 2004 LD BC,0010 / 2007 LD HL,3000 /
//   200A LD DE,3100 / 200D LDIR / 200F NOP / 2010 JR 2010
//   2100 LD A,5 / 2102 CALL 2200 / 2105 RET;  2200 INC A / 2201 RET;  0038 RET
// with SP at 8000 and 3000-300F holding A0-AF.
inline void loadSteppingProgram(DebugRig& rig) {
    rig.poke(0x2100, {0x3E, 0x05, 0xCD, 0x00, 0x22, 0xC9});
    rig.poke(0x2200, {0x3C, 0xC9});
    rig.poke(0x0038, {0xC9});
    rig.runFrom(0x2000, {0xCD, 0x00, 0x21, 0xFF, 0x01, 0x10, 0x00, 0x21, 0x00, 0x30, 0x11, 0x00,
                         0x31, 0xED, 0xB0, 0x00, 0x18, 0xFE});
    for (std::uint16_t i = 0; i < 0x10; ++i) {
        rig.machine().memory().image[0x3000 + i] = static_cast<std::uint8_t>(0xA0 + i);
    }
    Z80State registers = rig.machine().registers();
    registers.SP = 0x8000;  // in RAM (the stack of a reset is under the monitor ROM)
    rig.machine().setRegisters(registers);
}

}  // namespace vantorel::testing
