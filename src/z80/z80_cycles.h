// T-state tables of the Z80 core.
//
// One table of 256 counts per opcode page. Each entry is the whole T-state
// count of the instruction that ends in that page (prefix entries are 0, so a
// prefixed instruction is charged once, by the page of its last opcode byte).
// Conditional instructions hold the count for the condition not met, and a
// few unconditional ones are held short; their handlers subtract the extra
// cycles below when they take the branch or repeat. Read by the execution
// loop and the prefix dispatchers of Z80<Bus>; the tables are constant data.
#pragma once

#include <array>
#include <cstdint>

namespace vantorel {

using CycleTable = std::array<std::int32_t, 256>;

extern const CycleTable baseCycles;      // unprefixed opcodes
extern const CycleTable cbCycles;        // the byte after CB
extern const CycleTable edCycles;        // the byte after ED
extern const CycleTable indexCycles;     // the byte after DD or FD
extern const CycleTable indexBitCycles;  // the fourth byte of DD CB d op / FD CB d op

inline constexpr std::int32_t kJumpTakenCycles = 5;    // JR, JR cc and DJNZ taken (T-states)
inline constexpr std::int32_t kCallTakenCycles = 7;    // CALL nn, CALL cc taken (T-states)
inline constexpr std::int32_t kReturnTakenCycles = 6;  // RET, RET cc taken, RETN, RETI
inline constexpr std::int32_t kBlockRepeatCycles = 5;  // LDIR and friends, per repetition

}  // namespace vantorel
