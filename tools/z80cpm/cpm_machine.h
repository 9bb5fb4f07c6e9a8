// A minimal CP/M 2.2 environment for running Z80 test programs on our core:
// 64K of RAM with the program loaded at 0100, the BDOS console calls
// (function 2, one character in E; function 9, the string at DE up to "$")
// and the end of the program (a jump to 0000 or BDOS function 0).
//
// Use:
//   1. CpmMachine machine; machine.loadProgram(bytes, count);
//   2. CpmRunResult result = machine.run(maxTstates, std::cout);
//
// Called by the z80cpm tool (cpm_command.h) and its tests.
//
// The page-zero layout is CP/M's: 0000 holds JP to the BIOS warm boot,
// 0005 JP to the BDOS at FE00 (so LD HL,(0006) finds the top of the TPA).
// The runner catches the processor fetching an opcode at 0000 or 0005: it
// hands the core a HALT there, which ends the run at once, then carries out
// the call between runs and returns to the caller as the BDOS's RET would.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <ostream>

#include "z80/z80.h"
#include "z80/z80_state.h"

namespace vantorel::cpm {

inline constexpr std::uint16_t kWarmBootAddress = 0x0000;  // JP to the BIOS warm boot
inline constexpr std::uint16_t kBdosCallAddress = 0x0005;  // CALL 5 enters the BDOS
inline constexpr std::uint16_t kProgramAddress = 0x0100;   // start of the TPA
inline constexpr std::uint16_t kBdosAddress = 0xFE00;      // top of the TPA
inline constexpr std::size_t kMaxProgramBytes = 0xFC00;    // 0100-FCFF; the stack sits above

// The memory and the trap detection seen by the core.
struct CpmBus {
    std::array<std::uint8_t, 65536> memory{};  // the whole address space, RAM
    std::uint64_t tstates = 0;                 // sum of every step's T-states
    bool trapped = false;                      // an opcode fetch at 0000 or 0005 was caught
    std::uint16_t trapAddress = 0;             // where (0000 or 0005)
    std::uint64_t tstatesAtTrap = 0;           // tstates when it was caught

    std::uint8_t fetchOpcode(std::uint16_t address) {
        if ((address == kWarmBootAddress || address == kBdosCallAddress) && !trapped) {
            trapped = true;
            trapAddress = address;
            tstatesAtTrap = tstates;
            return kHaltOpcode;
        }
        return memory[address];
    }
    std::uint8_t readMemory(std::uint16_t address) { return memory[address]; }
    void writeMemory(std::uint16_t address, std::uint8_t value) { memory[address] = value; }
    std::uint8_t readPort(std::uint16_t) { return 0xFF; }
    void writePort(std::uint16_t, std::uint8_t) {}
    void advanceTStates(std::uint32_t count) { tstates += count; }
    void trapHook(Z80State&) {}
    void retiHook() {}
    void debugOutput(const char*) {}

    static constexpr std::uint8_t kHaltOpcode = 0x76;
};

enum class CpmEnd {
    ProgramEnded,  // jumped to 0000 or called BDOS function 0
    LimitReached,  // the T-state limit was reached first
    Halted,        // a HALT with nothing to wake it (PC in haltAddress)
};

struct CpmRunResult {
    CpmEnd end = CpmEnd::ProgramEnded;
    std::uint64_t tstates = 0;      // emulated T-states the program ran
    std::uint16_t haltAddress = 0;  // of the HALT opcode, for CpmEnd::Halted
};

class CpmMachine {
  public:
    CpmMachine();

    // Clears memory, sets up page zero and the stack, and copies the program
    // to 0100. Returns false (and loads nothing) when it exceeds
    // kMaxProgramBytes.
    bool loadProgram(const std::uint8_t* bytes, std::size_t count);

    // Runs until the program ends or `maxTstates` have run (0: no limit).
    // Console output goes to `console`, flushed after every BDOS call.
    CpmRunResult run(std::uint64_t maxTstates, std::ostream& console);

    CpmBus& bus() { return *bus_; }
    Z80<CpmBus>& cpu() { return *cpu_; }

  private:
    // Carries out the BDOS call the processor is at; false for function 0.
    bool callBdos(std::ostream& console);
    void returnFromCall();

    std::unique_ptr<CpmBus> bus_;       // 64K; kept off the stack
    std::unique_ptr<Z80<CpmBus>> cpu_;  // the core under test
};

}  // namespace vantorel::cpm
