// Arithmetic, logic and flag computation of the Z80 core.
//
// Pure functions on the register record: each computes a result and the new
// F from the flag tables and a few bit operations on a result held in a wider
// integer (bit 8 or bit 16 is the carry). Bits 3 and 5 of F are never taken
// from an operand or a result: instructions that build F afresh leave them 0,
// the few that keep them (SCF, CCF, CPL, the rotates of A) keep them. Called
// by the instruction handlers of every opcode page.
#pragma once

#include <cstdint>

#include "z80/z80_flags.h"
#include "z80/z80_registers.h"
#include "z80/z80_state.h"

namespace vantorel::alu {

// Flags that SCF, CCF and the rotates of A keep: S, Z, P/V and bits 5 and 3.
inline constexpr std::uint32_t kKeptByAccumulatorOps = kFlagS | kFlagZ | kFlag5 | kFlag3 | kFlagPV;

inline std::uint32_t carryOf(const Z80State& s) {
    return s.AF & kFlagC;
}

// Stores a result in A together with F in one write; result may hold the
// carry in bit 8.
inline void storeAF(Z80State& s, std::uint32_t result, std::uint32_t f) {
    s.AF = ((result & 0xFF) << 8) | f;
}

inline std::uint32_t addFlags(std::uint32_t a, std::uint32_t v, std::uint32_t r) {
    return signZeroFlags[r & 0xFF] | ((a ^ v ^ r) & kFlagH) | (((a ^ r) & (v ^ r) & 0x80) >> 5) |
           ((r >> 8) & kFlagC);
}

inline std::uint32_t subFlags(std::uint32_t a, std::uint32_t v, std::uint32_t r) {
    return signZeroFlags[r & 0xFF] | ((a ^ v ^ r) & kFlagH) | (((a ^ v) & (a ^ r) & 0x80) >> 5) |
           ((r >> 8) & kFlagC) | kFlagN;
}

inline void add8(Z80State& s, std::uint32_t v) {
    const std::uint32_t a = regA(s);
    const std::uint32_t r = a + v;
    storeAF(s, r, addFlags(a, v, r));
}

inline void adc8(Z80State& s, std::uint32_t v) {
    const std::uint32_t a = regA(s);
    const std::uint32_t r = a + v + carryOf(s);
    storeAF(s, r, addFlags(a, v, r));
}

inline void sub8(Z80State& s, std::uint32_t v) {
    const std::uint32_t a = regA(s);
    const std::uint32_t r = a - v;
    storeAF(s, r, subFlags(a, v, r));
}

inline void sbc8(Z80State& s, std::uint32_t v) {
    const std::uint32_t a = regA(s);
    const std::uint32_t r = a - v - carryOf(s);
    storeAF(s, r, subFlags(a, v, r));
}

inline void cp8(Z80State& s, std::uint32_t v) {
    const std::uint32_t a = regA(s);
    setF(s, subFlags(a, v, a - v));
}

inline void and8(Z80State& s, std::uint32_t v) {
    const std::uint32_t r = regA(s) & v;
    storeAF(s, r, signZeroParityFlags[r] | kFlagH);
}

inline void xor8(Z80State& s, std::uint32_t v) {
    const std::uint32_t r = regA(s) ^ v;
    storeAF(s, r, signZeroParityFlags[r]);
}

inline void or8(Z80State& s, std::uint32_t v) {
    const std::uint32_t r = regA(s) | v;
    storeAF(s, r, signZeroParityFlags[r]);
}

// The eight operations of the arithmetic/logic group, by opcode bits 3-5.
template <unsigned Operation>
inline void arithmetic8(Z80State& s, std::uint32_t v) {
    if constexpr (Operation == 0) add8(s, v);
    if constexpr (Operation == 1) adc8(s, v);
    if constexpr (Operation == 2) sub8(s, v);
    if constexpr (Operation == 3) sbc8(s, v);
    if constexpr (Operation == 4) and8(s, v);
    if constexpr (Operation == 5) xor8(s, v);
    if constexpr (Operation == 6) or8(s, v);
    if constexpr (Operation == 7) cp8(s, v);
}

inline std::uint32_t inc8(Z80State& s, std::uint32_t v) {
    const std::uint32_t r = (v + 1) & 0xFF;
    setF(s, carryOf(s) | signZeroFlags[r] | ((r & 0x0F) == 0 ? kFlagH : 0) |
                (r == 0x80 ? kFlagPV : 0));
    return r;
}

inline std::uint32_t dec8(Z80State& s, std::uint32_t v) {
    const std::uint32_t r = (v - 1) & 0xFF;
    setF(s, carryOf(s) | signZeroFlags[r] | ((v & 0x0F) == 0 ? kFlagH : 0) |
                (v == 0x80 ? kFlagPV : 0) | kFlagN);
    return r;
}

// ADD HL/IX/IY,rr: S, Z and P/V kept; H from bit 11, C from bit 15.
inline std::uint32_t add16(Z80State& s, std::uint32_t a, std::uint32_t v) {
    const std::uint32_t r = a + v;
    setF(s, (regF(s) & (kFlagS | kFlagZ | kFlagPV)) | (((a ^ v ^ r) >> 8) & kFlagH) |
                ((r >> 16) & kFlagC));
    return r & 0xFFFF;
}

inline std::uint32_t adc16(Z80State& s, std::uint32_t a, std::uint32_t v) {
    const std::uint32_t r = a + v + carryOf(s);
    setF(s, ((r >> 8) & kFlagS) | ((r & 0xFFFF) == 0 ? kFlagZ : 0) | (((a ^ v ^ r) >> 8) & kFlagH) |
                (((a ^ r) & (v ^ r) & 0x8000) >> 13) | ((r >> 16) & kFlagC));
    return r & 0xFFFF;
}

inline std::uint32_t sbc16(Z80State& s, std::uint32_t a, std::uint32_t v) {
    const std::uint32_t r = a - v - carryOf(s);
    setF(s, ((r >> 8) & kFlagS) | ((r & 0xFFFF) == 0 ? kFlagZ : 0) | (((a ^ v ^ r) >> 8) & kFlagH) |
                (((a ^ v) & (a ^ r) & 0x8000) >> 13) | ((r >> 16) & kFlagC) | kFlagN);
    return r & 0xFFFF;
}

inline void neg(Z80State& s) {
    const std::uint32_t v = regA(s);
    const std::uint32_t r = 0u - v;
    storeAF(s, r, subFlags(0, v, r));
}

inline void daa(Z80State& s) {
    s.AF = daaResults[daaIndex(regA(s), regF(s))];
}

inline void cpl(Z80State& s) {
    s.AF = (s.AF ^ 0xFF00) | kFlagH | kFlagN;
}

inline void scf(Z80State& s) {
    setF(s, (regF(s) & kKeptByAccumulatorOps) | kFlagC);
}

inline void ccf(Z80State& s) {
    const std::uint32_t f = regF(s);
    setF(s, (f & kKeptByAccumulatorOps) | ((f & kFlagC) << 4) | ((f & kFlagC) ^ kFlagC));
}

// RLCA, RRCA, RLA, RRA by opcode bits 3-5 (0-3).
template <unsigned Operation>
inline void rotateA(Z80State& s) {
    const std::uint32_t a = regA(s);
    std::uint32_t r = 0;
    std::uint32_t carry = 0;
    if constexpr (Operation == 0) {
        carry = a >> 7;
        r = (a << 1) | carry;
    } else if constexpr (Operation == 1) {
        carry = a & 1;
        r = (a >> 1) | (carry << 7);
    } else if constexpr (Operation == 2) {
        carry = a >> 7;
        r = (a << 1) | carryOf(s);
    } else {
        carry = a & 1;
        r = (a >> 1) | (carryOf(s) << 7);
    }
    storeAF(s, r, (regF(s) & kKeptByAccumulatorOps) | carry);
}

// The CB-page rotates and shifts by opcode bits 3-5: RLC RRC RL RR SLA SRA
// SLL SRL. F is the S, Z, parity entry of the result with the bit shifted
// out as C.
template <unsigned Operation>
inline std::uint32_t rotateShift(Z80State& s, std::uint32_t v) {
    std::uint32_t r = 0;
    std::uint32_t carry = 0;
    if constexpr (Operation == 0) {
        carry = v >> 7;
        r = ((v << 1) | carry) & 0xFF;
    } else if constexpr (Operation == 1) {
        carry = v & 1;
        r = (v >> 1) | (carry << 7);
    } else if constexpr (Operation == 2) {
        carry = v >> 7;
        r = ((v << 1) | carryOf(s)) & 0xFF;
    } else if constexpr (Operation == 3) {
        carry = v & 1;
        r = (v >> 1) | (carryOf(s) << 7);
    } else if constexpr (Operation == 4) {
        carry = v >> 7;
        r = (v << 1) & 0xFF;
    } else if constexpr (Operation == 5) {
        carry = v & 1;
        r = (v >> 1) | (v & 0x80);
    } else if constexpr (Operation == 6) {
        carry = v >> 7;
        r = ((v << 1) | 1) & 0xFF;
    } else {
        carry = v & 1;
        r = v >> 1;
    }
    setF(s, signZeroParityFlags[r] | carry);
    return r;
}

// BIT b: Z when the bit is 0, H set, N and P/V 0, C kept, S only for a set
// bit 7.
template <unsigned Bit>
inline void bitTest(Z80State& s, std::uint32_t v) {
    const std::uint32_t tested = v & (1u << Bit);
    setF(s, carryOf(s) | kFlagH | (tested == 0 ? kFlagZ : 0) | (tested & kFlagS));
}

// The result of a CB-page operation that writes back (rotate, shift, RES,
// SET), by the whole opcode byte.
template <unsigned Op>
inline std::uint32_t bitOperation(Z80State& s, std::uint32_t v) {
    constexpr unsigned group = Op >> 6;
    constexpr unsigned field = (Op >> 3) & 7;
    static_assert(group != 1, "BIT does not write back");
    if constexpr (group == 0) return rotateShift<field>(s, v);
    if constexpr (group == 2) return v & ~(1u << field);
    if constexpr (group == 3) return v | (1u << field);
}

// RLD and RRD: rotate a BCD digit between A and the byte at (HL); returns
// the new byte.
inline std::uint32_t rld(Z80State& s, std::uint32_t v) {
    const std::uint32_t a = regA(s);
    const std::uint32_t newA = (a & 0xF0) | (v >> 4);
    storeAF(s, newA, carryOf(s) | signZeroParityFlags[newA]);
    return ((v << 4) | (a & 0x0F)) & 0xFF;
}

inline std::uint32_t rrd(Z80State& s, std::uint32_t v) {
    const std::uint32_t a = regA(s);
    const std::uint32_t newA = (a & 0xF0) | (v & 0x0F);
    storeAF(s, newA, carryOf(s) | signZeroParityFlags[newA]);
    return ((a << 4) | (v >> 4)) & 0xFF;
}

// Flags of IN r,(C) and IN F,(C).
inline void inFlags(Z80State& s, std::uint32_t v) {
    setF(s, carryOf(s) | signZeroParityFlags[v]);
}

}  // namespace vantorel::alu
