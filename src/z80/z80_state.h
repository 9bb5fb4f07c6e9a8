// The Z80's register record.
//
// Twenty-one unsigned 32-bit fields in a fixed order. The order is an
// interface: snapshots are loaded by copying the record out of the core,
// overwriting fields and copying it back. Z80RunState adds the execution
// loop's two run fields: with it a processor can be put away and made again. Register pairs hold
// their value in the low 16 bits (the first-named register of the pair in bits 8-15); the upper 16
// bits of the pairs are always zero.
#pragma once

#include <cstdint>

namespace vantorel {

struct Z80State {
    std::uint32_t AF = 0;          // A bits 8-15, F bits 0-7
    std::uint32_t BC = 0;          // B bits 8-15, C bits 0-7
    std::uint32_t DE = 0;          // D bits 8-15, E bits 0-7
    std::uint32_t HL = 0;          // H bits 8-15, L bits 0-7
    std::uint32_t IX = 0;          // IXh bits 8-15, IXl bits 0-7
    std::uint32_t IY = 0;          // IYh bits 8-15, IYl bits 0-7
    std::uint32_t PC = 0;          // program counter, 0000-FFFF
    std::uint32_t SP = 0;          // stack pointer, 0000-FFFF
    std::uint32_t altAF = 0;       // AF'
    std::uint32_t altBC = 0;       // BC'
    std::uint32_t altDE = 0;       // DE'
    std::uint32_t altHL = 0;       // HL'
    std::uint32_t IFF1 = 0;        // interrupt enable flip-flop 1, 0 or 1
    std::uint32_t IFF2 = 0;        // interrupt enable flip-flop 2, 0 or 1
    std::uint32_t halted = 0;      // 1 while in the HALT state
    std::uint32_t IM = 0;          // interrupt mode 0, 1 or 2
    std::uint32_t I = 0;           // interrupt vector register, 00-FF
    std::uint32_t R = 0;           // free-running refresh count; bits 0-6 visible
    std::uint32_t rBit7 = 0;       // last value stored by LD R,A (its bit 7 is R's bit 7)
    std::uint32_t irqVector = 0;   // pending maskable request's bus value; FFFFFFFF = none
    std::uint32_t nmiPending = 0;  // non-zero while an NMI is pending
};

static_assert(sizeof(Z80State) == 21 * sizeof(std::uint32_t), "Z80State has 21 packed fields");

inline constexpr std::uint32_t kNoInterruptRequest = 0xFFFFFFFFu;

// The processor as a state record holds it between runs: the registers and
// the two fields the execution loop keeps beside them.
struct Z80RunState {
    Z80State registers{};
    std::int32_t cyclesLeft = 0;  // T-states of the last budget not spent (0 or less)
    std::int32_t lastOpcodeAddress =
        0;  // where the last instruction started; -1 after an interrupt
};

}  // namespace vantorel
