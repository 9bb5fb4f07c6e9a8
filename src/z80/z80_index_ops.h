// The DD and FD instruction pages of the Z80 core (IX and IY) and the DD CB
// and FD CB pages.
//
// The DD/FD pages hold an instruction at 86 entries; they reuse the
// instruction families of the unprefixed page (z80_base_ops.h) with IX or IY
// in place of HL. Every other entry drops the prefix: PC steps back onto the
// following byte, which the loop then runs as an unprefixed opcode. DD CB d op
// and FD CB d op operate on (IX+d); their forms with a register field other
// than 6 also copy the result (or, for BIT, the byte read) into that
// register. Included by z80.h; run from the DD and FD prefix dispatchers.
#pragma once

#include <cstddef>
#include <utility>

#include "z80/z80.h"
#include "z80/z80_alu.h"
#include "z80/z80_base_ops.h"

namespace vantorel {

// True for the 86 entries of the DD and FD pages that name an instruction.
constexpr bool isIndexInstruction(unsigned op) {
    const unsigned low = op & 7;
    if (op == 0x09 || op == 0x19 || op == 0x39 || op == 0xCB || op == 0xE1 || op == 0xE3 ||
        op == 0xE5 || op == 0xE9 || op == 0xF9 || op == 0x77) {
        return true;
    }
    if ((op >= 0x21 && op <= 0x26) || (op >= 0x29 && op <= 0x2E) || (op >= 0x34 && op <= 0x36)) {
        return true;
    }
    if (op >= 0x60 && op <= 0x75) return true;
    if (op >= 0x40 && op <= 0x7F) return low >= 4 && low <= 6 && op != 0x76;
    if (op >= 0x80 && op <= 0xBF) return low >= 4 && low <= 6;
    return false;
}

constexpr unsigned countIndexInstructions() {
    unsigned count = 0;
    for (unsigned op = 0; op < 256; ++op) count += isIndexInstruction(op) ? 1 : 0;
    return count;
}
static_assert(countIndexInstructions() == 86, "the DD/FD pages name 86 instructions");

template <Z80Bus Bus, Pair Index>
struct Z80IndexOps {
    using Cpu = Z80<Bus>;
    using Handler = typename Cpu::Handler;
    using HandlerTable = typename Cpu::HandlerTable;

    static constexpr bool kIsIX = Index == Pair::IX;

    // An entry that names no index instruction: step back so that the byte
    // after the prefix runs as an unprefixed opcode in the next step.
    static void dropPrefix(Cpu& c) { c.state_.PC = (c.state_.PC - 1) & 0xFFFF; }

    // DD CB d op: with PC at d, op is read at PC+1 (no R count, PC stays),
    // the handler fetches d, and PC then steps over op.
    static void bitPrefix(Cpu& c) {
        const std::uint32_t opcode = c.bus_->fetchOpcode(Cpu::address16(c.state_.PC + 1));
        c.cyclesLeft_ -= indexBitCycles[opcode];
        (kIsIX ? Cpu::ddcbHandlers : Cpu::fdcbHandlers)[opcode](c);
        c.state_.PC = (c.state_.PC + 1) & 0xFFFF;
    }

    template <unsigned Op>
    static void bitOp(Cpu& c) {
        Z80State& s = c.state_;
        constexpr unsigned group = Op >> 6;
        constexpr unsigned field = (Op >> 3) & 7;
        constexpr unsigned z = Op & 7;
        const std::uint32_t address = c.template indexedAddress<Index>();
        const std::uint32_t value = c.readByte(address);
        if constexpr (group == 1) {
            alu::bitTest<field>(s, value);
            if constexpr (z != kRegMem) set8<z>(s, value);
        } else {
            const std::uint32_t result = alu::bitOperation<Op>(s, value);
            c.writeByte(address, result);
            if constexpr (z != kRegMem) set8<z>(s, result);
        }
    }

    template <unsigned Op>
    static constexpr Handler indexHandler() {
        if constexpr (!isIndexInstruction(Op)) {
            return &dropPrefix;
        } else if constexpr (Op == 0xCB) {
            return &bitPrefix;
        } else if constexpr (Op == 0x64 || Op == 0x6D) {
            return &Z80MainOps<Bus>::nop;  // LD IXh,IXh and LD IXl,IXl
        } else {
            return &Z80MainOps<Bus>::template op<Op, Index>;
        }
    }

    template <std::size_t... Op>
    static constexpr HandlerTable makeTable(std::index_sequence<Op...>) {
        return HandlerTable{indexHandler<Op>()...};
    }

    template <std::size_t... Op>
    static constexpr HandlerTable makeBitTable(std::index_sequence<Op...>) {
        return HandlerTable{&bitOp<Op>...};
    }
};

template <Z80Bus Bus>
const typename Z80<Bus>::HandlerTable Z80<Bus>::ddHandlers =
    Z80IndexOps<Bus, Pair::IX>::makeTable(std::make_index_sequence<256>{});

template <Z80Bus Bus>
const typename Z80<Bus>::HandlerTable Z80<Bus>::fdHandlers =
    Z80IndexOps<Bus, Pair::IY>::makeTable(std::make_index_sequence<256>{});

template <Z80Bus Bus>
const typename Z80<Bus>::HandlerTable Z80<Bus>::ddcbHandlers =
    Z80IndexOps<Bus, Pair::IX>::makeBitTable(std::make_index_sequence<256>{});

template <Z80Bus Bus>
const typename Z80<Bus>::HandlerTable Z80<Bus>::fdcbHandlers =
    Z80IndexOps<Bus, Pair::IY>::makeBitTable(std::make_index_sequence<256>{});

}  // namespace vantorel
