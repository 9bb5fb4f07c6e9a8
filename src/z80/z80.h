// The Z80 processor core (public interface).
//
// Models the Zilog Z80 as the Sorcerer uses it: a register record
// (Z80State), table-driven dispatch over the seven opcode pages, cycle
// budgets, interrupts, HALT, and a trace/disassembler for debugging.
//
// Use:
//   1. Give it a bus (see z80_bus.h): Z80<MyBus> cpu{bus};
//   2. cpu.resetZ80();           // PC 0000, SP F000, nothing pending
//   3. cpu.runZ80(budget);       // runs whole instructions until the budget
//                                // is spent; returns the cycles executed
//
// Called by the machine's frame scheduler (twice per frame), by the snapshot
// loader (getZ80Registers / setZ80Registers) and by tests and tools.
//
// PUBLIC API CONTRACT (implementation in progress; keep these names):
//   explicit Z80(Bus& bus);
//   void resetZ80();
//   std::int32_t runZ80(std::int32_t budget);
//   void getZ80Registers(Z80State& destination) const;
//   void setZ80Registers(const Z80State& source);
//   std::int32_t lastOpcodeAddress() const;
//   std::int32_t cyclesLeft() const;
//   void clearInterruptRequests();
//   Z80State& state();                    // direct access, e.g. to post requests
//   int disassembleInstruction(char* text, std::uint16_t address);  // text >= 32 chars
//   std::FILE* debugLogFile = nullptr;    // trace output when open (not owned)
//   std::int32_t traceStartAddress = -1;  // trace switches on when PC equals it
#pragma once
