// The busy program the machine benchmarks run, and a machine running it.
//
// An ordinary instruction mix in RAM (loads, arithmetic, a call and return
// per byte, screen writes, indexed and CB forms, a block move, keyboard and
// speaker port access) that never jumps to itself, so no slice is cut short
// by the idle-loop shortcut. Used by machine_bench and debugger_bench.
#pragma once

#include <cstdint>
#include <memory>

#include "config/frame_timing.h"
#include "machine/machine.h"

namespace vantorel::bench {

inline constexpr std::uint16_t kProgramAddress = 0x0100;

inline constexpr std::uint8_t kProgram[] = {
    0x31, 0x00, 0x30,        // 0100 start: LD SP,3000
    0x21, 0x00, 0x40,        // 0103  LD HL,4000
    0x11, 0x80, 0xF0,        // 0106  LD DE,F080 (screen)
    0x06, 0x40,              // 0109  LD B,64
    0x7E,                    // 010B loop: LD A,(HL)
    0x80,                    // 010C  ADD A,B
    0xA9,                    // 010D  XOR C
    0x12,                    // 010E  LD (DE),A
    0x23,                    // 010F  INC HL
    0x13,                    // 0110  INC DE
    0xC5,                    // 0111  PUSH BC
    0xCD, 0x3F, 0x01,        // 0112  CALL calc
    0xC1,                    // 0115  POP BC
    0x10, 0xF3,              // 0116  DJNZ loop
    0xDD, 0x21, 0x00, 0x50,  // 0118  LD IX,5000
    0xDD, 0x7E, 0x03,        // 011C  LD A,(IX+3)
    0xDD, 0x34, 0x04,        // 011F  INC (IX+4)
    0xDD, 0xCB, 0x05, 0x06,  // 0122  RLC (IX+5)
    0xCB, 0x3F,              // 0126  SRL A
    0xCB, 0x5F,              // 0128  BIT 3,A
    0x20, 0x01,              // 012A  JR NZ,skip
    0x08,                    // 012C  EX AF,AF'
    0x21, 0x00, 0x40,        // 012D skip: LD HL,4000
    0x11, 0x00, 0x60,        // 0130  LD DE,6000
    0x01, 0x20, 0x00,        // 0133  LD BC,0020
    0xED, 0xB0,              // 0136  LDIR
    0xDB, 0xFE,              // 0138  IN A,(FE)
    0xD3, 0xFF,              // 013A  OUT (FF),A
    0xC3, 0x00, 0x01,        // 013C  JP start
    0x4F,                    // 013F calc: LD C,A
    0xE6, 0x0F,              // 0140  AND 0F
    0xF6, 0x30,              // 0142  OR 30
    0xC9,                    // 0144  RET
};
inline constexpr std::uint16_t kProgramEnd = kProgramAddress + sizeof(kProgram);

inline std::unique_ptr<Machine> benchMachine() {
    auto machine = std::make_unique<Machine>();  // runFrame runs one frame each time
    machine->config().cpuspeedopt = kTimingFast;
    machine->computeTiming();
    machine->hardReset();
    for (std::size_t i = 0; i < sizeof(kProgram); ++i) {
        machine->memory().image[kProgramAddress + i] = kProgram[i];
    }
    Z80State registers = machine->registers();
    registers.PC = kProgramAddress;
    machine->setRegisters(registers);
    return machine;
}

}  // namespace vantorel::bench
