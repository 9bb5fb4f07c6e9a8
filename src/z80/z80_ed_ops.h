// The ED instruction page of the Z80 core: 16-bit arithmetic with carry,
// 16-bit loads through memory, I/O through (C), NEG, LD with I and R, RRD,
// RLD, the block instructions and the ED FE trap. RETN, RETI and IM are in
// z80_interrupts.h. Entries that name no instruction do nothing (their cycle
// count is 0). Included by z80.h; run from the ED prefix dispatcher.
#pragma once

#include <cstddef>
#include <utility>

#include "z80/z80.h"
#include "z80/z80_alu.h"
#include "z80/z80_base_ops.h"

namespace vantorel {

template <Z80Bus Bus>
struct Z80EdOps {
    using Cpu = Z80<Bus>;
    using Handler = typename Cpu::Handler;
    using HandlerTable = typename Cpu::HandlerTable;

    static void nothing(Cpu&) {}

    static void trap(Cpu& c) { c.bus_->trapHook(c.state_); }

    // Opcodes 40-7F.
    template <unsigned Op>
    static void op(Cpu& c) {
        Z80State& s = c.state_;
        constexpr unsigned y = (Op >> 3) & 7;
        constexpr unsigned z = Op & 7;
        constexpr unsigned p = y >> 1;
        constexpr bool q = (y & 1) != 0;
        if constexpr (z == 0) {  // IN r,(C); IN F,(C) only sets the flags
            const std::uint32_t value = c.bus_->readPort(Cpu::address16(s.BC));
            alu::inFlags(s, value);
            if constexpr (y != kRegMem) set8<y>(s, value);
        } else if constexpr (z == 1) {  // OUT (C),r; OUT (C),0
            std::uint32_t value = 0;
            if constexpr (y != kRegMem) value = get8<y>(s);
            c.bus_->writePort(Cpu::address16(s.BC), static_cast<std::uint8_t>(value));
        } else if constexpr (z == 2) {
            constexpr Pair rp = pairField<p, Pair::HL>();
            if constexpr (!q) {
                s.HL = alu::sbc16(s, s.HL, pairValue<rp>(s));
            } else {
                s.HL = alu::adc16(s, s.HL, pairValue<rp>(s));
            }
        } else if constexpr (z == 3) {
            constexpr Pair rp = pairField<p, Pair::HL>();
            if constexpr (!q) {  // LD (nn),rr
                c.writeWord(c.fetchWord(), pairValue<rp>(s));
            } else {  // LD rr,(nn)
                pairRef<rp>(s) = c.readWord(c.fetchWord());
            }
        } else if constexpr (z == 4) {
            alu::neg(s);
        } else if constexpr (z == 7) {
            if constexpr (y == 0) s.I = regA(s);  // LD I,A
            if constexpr (y == 1) {               // LD R,A
                s.R = regA(s);
                s.rBit7 = regA(s);
            }
            if constexpr (y == 2) loadAFromSpecial(s, s.I & 0xFF);
            if constexpr (y == 3) loadAFromSpecial(s, (s.R & 0x7F) | (s.rBit7 & 0x80));
            if constexpr (y == 4) c.writeByte(s.HL, alu::rrd(s, c.readByte(s.HL)));
            if constexpr (y == 5) c.writeByte(s.HL, alu::rld(s, c.readByte(s.HL)));
        }
    }

    // LD A,I and LD A,R: S and Z from the value, P/V from IFF2, C kept.
    static void loadAFromSpecial(Z80State& s, std::uint32_t value) {
        s.AF = (value << 8) | alu::carryOf(s) | signZeroFlags[value] | (s.IFF2 != 0 ? kFlagPV : 0);
    }

    // One iteration of a block instruction; Op A0-A3, A8-AB, B0-B3, B8-BB.
    // The repeating forms step PC back onto the ED prefix while their
    // condition holds, so each repetition is a separate step of the loop.
    template <unsigned Op>
    static void block(Cpu& c) {
        Z80State& s = c.state_;
        constexpr bool decrement = (Op & 0x08) != 0;
        constexpr bool repeat = (Op & 0x10) != 0;
        constexpr unsigned kind = Op & 3;  // LD, CP, IN, OUT
        constexpr std::uint32_t step = decrement ? 0xFFFFu : 1u;
        bool again = false;
        if constexpr (kind == 0) {
            c.writeByte(s.DE, c.readByte(s.HL));
            s.DE = (s.DE + step) & 0xFFFF;
            s.HL = (s.HL + step) & 0xFFFF;
            s.BC = (s.BC - 1) & 0xFFFF;
            setF(s, (regF(s) & (kFlagS | kFlagZ | kFlag5 | kFlag3 | kFlagC)) |
                        (s.BC != 0 ? kFlagPV : 0));
            again = s.BC != 0;
        } else if constexpr (kind == 1) {
            const std::uint32_t a = regA(s);
            const std::uint32_t value = c.readByte(s.HL);
            const std::uint32_t result = a - value;
            s.HL = (s.HL + step) & 0xFFFF;
            s.BC = (s.BC - 1) & 0xFFFF;
            setF(s, alu::carryOf(s) | signZeroFlags[result & 0xFF] |
                        ((a ^ value ^ result) & kFlagH) | (s.BC != 0 ? kFlagPV : 0) | kFlagN);
            again = s.BC != 0 && (result & 0xFF) != 0;
        } else if constexpr (kind == 2) {
            c.writeByte(s.HL, c.bus_->readPort(Cpu::address16(s.BC)));
            setB(s, (regB(s) - 1) & 0xFF);
            s.HL = (s.HL + step) & 0xFFFF;
            ioBlockFlags(s);
            again = regB(s) != 0;
        } else {
            const std::uint32_t value = c.readByte(s.HL);
            c.bus_->writePort(Cpu::address16(s.BC), static_cast<std::uint8_t>(value));
            setB(s, (regB(s) - 1) & 0xFF);
            s.HL = (s.HL + step) & 0xFFFF;
            ioBlockFlags(s);
            again = regB(s) != 0;
        }
        if constexpr (repeat) {
            if (again) {
                c.cyclesLeft_ -= kBlockRepeatCycles;
                s.PC = (s.PC - 2) & 0xFFFF;
            }
        }
    }

    // INI, IND, OUTI, OUTD and repeats: only Z and N, Z when B reached 0.
    static void ioBlockFlags(Z80State& s) { setF(s, regB(s) == 0 ? kFlagZ | kFlagN : kFlagN); }

    template <unsigned Op>
    static constexpr Handler edHandler() {
        if constexpr (Op == 0x63) {
            return &Z80MainOps<Bus>::template op<0x22, Pair::HL>;  // LD (nn),HL
        } else if constexpr (Op == 0x6B) {
            return &Z80MainOps<Bus>::template op<0x2A, Pair::HL>;  // LD HL,(nn)
        } else if constexpr (Op >= 0x40 && Op < 0x80 && ((Op & 7) == 5 || (Op & 7) == 6)) {
            return Z80InterruptOps<Bus>::template edHandler<Op>();  // RETN, RETI, IM
        } else if constexpr (Op == 0x77 || Op == 0x7F) {
            return &nothing;
        } else if constexpr (Op >= 0x40 && Op < 0x80) {
            return &op<Op>;
        } else if constexpr (Op >= 0xA0 && Op < 0xC0 && (Op & 4) == 0) {
            return &block<Op>;
        } else if constexpr (Op == 0xFE) {
            return &trap;
        } else {
            return &nothing;
        }
    }

    template <std::size_t... Op>
    static constexpr HandlerTable makeTable(std::index_sequence<Op...>) {
        return HandlerTable{edHandler<Op>()...};
    }
};

template <Z80Bus Bus>
const typename Z80<Bus>::HandlerTable Z80<Bus>::edHandlers =
    Z80EdOps<Bus>::makeTable(std::make_index_sequence<256>{});

}  // namespace vantorel
