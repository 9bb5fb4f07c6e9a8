// Register access for the Z80 core.
//
// The register record (Z80State) keeps every pair in a 32-bit field with the
// value in the low 16 bits. These accessors read and write the pairs and their
// 8-bit halves by the numbers that the opcodes encode, so that an instruction
// family is written once as a template and instantiated per register. Used by
// the instruction handlers only.
#pragma once

#include <cstdint>

#include "z80/z80_state.h"

namespace vantorel {

// The 16-bit registers an instruction can name. HL, IX and IY are
// interchangeable in the index pages: DD and FD replace HL by IX or IY.
enum class Pair { BC, DE, HL, IX, IY, SP, AF };

// 8-bit register numbers as the opcodes encode them (bits 0-2 or 3-5).
inline constexpr unsigned kRegB = 0;
inline constexpr unsigned kRegC = 1;
inline constexpr unsigned kRegD = 2;
inline constexpr unsigned kRegE = 3;
inline constexpr unsigned kRegH = 4;    // or IXh / IYh in the index pages
inline constexpr unsigned kRegL = 5;    // or IXl / IYl in the index pages
inline constexpr unsigned kRegMem = 6;  // (HL) or (IX+d): not a register
inline constexpr unsigned kRegA = 7;

// The field of the record that holds pair P, const or not.
template <Pair P, class State>
constexpr auto& pairMember(State& s) {
    if constexpr (P == Pair::BC) return s.BC;
    if constexpr (P == Pair::DE) return s.DE;
    if constexpr (P == Pair::HL) return s.HL;
    if constexpr (P == Pair::IX) return s.IX;
    if constexpr (P == Pair::IY) return s.IY;
    if constexpr (P == Pair::SP) return s.SP;
    if constexpr (P == Pair::AF) return s.AF;
}

template <Pair P>
constexpr std::uint32_t& pairRef(Z80State& s) {
    return pairMember<P>(s);
}

template <Pair P>
constexpr std::uint32_t pairValue(const Z80State& s) {
    return pairMember<P>(s);
}

// Stores an 8-bit value in the high or the low half of a register pair.
inline void setHigh(std::uint32_t& pair, std::uint32_t value) {
    pair = (value << 8) | (pair & 0xFF);
}
inline void setLow(std::uint32_t& pair, std::uint32_t value) {
    pair = (pair & 0xFF00) | value;
}

// The pair that the opcodes' two-bit pair field names (BC, DE, HL, SP), with
// HL replaced by the index register H of the page.
template <unsigned Field, Pair H>
constexpr Pair pairField() {
    static_assert(Field < 4);
    if constexpr (Field == 0) return Pair::BC;
    if constexpr (Field == 1) return Pair::DE;
    if constexpr (Field == 2) return H;
    if constexpr (Field == 3) return Pair::SP;
}

// The same for PUSH and POP, where field 3 is AF.
template <unsigned Field, Pair H>
constexpr Pair stackPairField() {
    if constexpr (Field == 3) {
        return Pair::AF;
    } else {
        return pairField<Field, H>();
    }
}

inline std::uint32_t regA(const Z80State& s) {
    return s.AF >> 8;
}
inline std::uint32_t regF(const Z80State& s) {
    return s.AF & 0xFF;
}
inline void setA(Z80State& s, std::uint32_t value) {
    setHigh(s.AF, value);
}
inline void setF(Z80State& s, std::uint32_t value) {
    setLow(s.AF, value);
}
inline std::uint32_t regB(const Z80State& s) {
    return s.BC >> 8;
}
inline void setB(Z80State& s, std::uint32_t value) {
    setHigh(s.BC, value);
}

// 8-bit register R (0-5 and 7); registers 4 and 5 are the halves of H, which
// is HL on the unprefixed page and IX or IY on the index pages.
template <unsigned R, Pair H = Pair::HL>
inline std::uint32_t get8(const Z80State& s) {
    static_assert(R < 8 && R != kRegMem, "memory operand is not a register");
    if constexpr (R == kRegB) return s.BC >> 8;
    if constexpr (R == kRegC) return s.BC & 0xFF;
    if constexpr (R == kRegD) return s.DE >> 8;
    if constexpr (R == kRegE) return s.DE & 0xFF;
    if constexpr (R == kRegH) return pairValue<H>(s) >> 8;
    if constexpr (R == kRegL) return pairValue<H>(s) & 0xFF;
    if constexpr (R == kRegA) return s.AF >> 8;
}

// Stores an 8-bit value (0-255) in register R.
template <unsigned R, Pair H = Pair::HL>
inline void set8(Z80State& s, std::uint32_t value) {
    static_assert(R < 8 && R != kRegMem, "memory operand is not a register");
    if constexpr (R == kRegB) setHigh(s.BC, value);
    if constexpr (R == kRegC) setLow(s.BC, value);
    if constexpr (R == kRegD) setHigh(s.DE, value);
    if constexpr (R == kRegE) setLow(s.DE, value);
    if constexpr (R == kRegH) setHigh(pairRef<H>(s), value);
    if constexpr (R == kRegL) setLow(pairRef<H>(s), value);
    if constexpr (R == kRegA) setHigh(s.AF, value);
}

// A displacement or relative offset byte as a signed value, in 32-bit
// two's complement so that adding it to an address and masking wraps.
inline std::uint32_t signExtend(std::uint32_t byte) {
    return (byte ^ 0x80u) - 0x80u;
}

}  // namespace vantorel
