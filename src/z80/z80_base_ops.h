// The unprefixed instruction page of the Z80 core, and the instruction
// families it shares with the DD and FD pages.
//
// op<Op, H> is the handler of opcode Op with H standing for HL: on the
// unprefixed page H is HL; the DD and FD pages (z80_index_ops.h) instantiate
// the same families with IX or IY, where H and L become IXh and IXl and (HL)
// becomes (IX+d) while the other register of an (IX+d) form keeps its plain
// meaning. Included by z80.h; the handlers run from Z80<Bus>'s loop.
#pragma once

#include <cstddef>
#include <utility>

#include "z80/z80.h"
#include "z80/z80_alu.h"

namespace vantorel {

template <Z80Bus Bus>
struct Z80MainOps {
    using Cpu = Z80<Bus>;
    using Handler = typename Cpu::Handler;
    using HandlerTable = typename Cpu::HandlerTable;

    static void nop(Cpu&) {}

    // Condition cc of JP cc, JR cc, CALL cc and RET cc: NZ Z NC C PO PE P M.
    template <unsigned Cc>
    static bool condition(const Z80State& s) {
        constexpr std::uint32_t masks[4] = {kFlagZ, kFlagC, kFlagPV, kFlagS};
        return ((s.AF & masks[Cc >> 1]) != 0) == ((Cc & 1) != 0);
    }

    // The address of the memory operand: (HL), or (IX+d) with d fetched.
    template <Pair H>
    static std::uint32_t memoryOperandAddress(Cpu& c) {
        if constexpr (H == Pair::HL) {
            return c.state_.HL;
        } else {
            return c.template indexedAddress<H>();
        }
    }

    // The source operand of an 8-bit operation: register z, or memory.
    template <unsigned Z, Pair H>
    static std::uint32_t operand8(Cpu& c) {
        if constexpr (Z == kRegMem) {
            return c.readByte(memoryOperandAddress<H>(c));
        } else {
            return get8<Z, H>(c.state_);
        }
    }

    // JP nn and JR d recognise a program spinning on itself (origin is the
    // address of their opcode, target the new PC; compared without wrap) and
    // give up the rest of the budget.
    static void idleCheckJump(Cpu& c, std::uint32_t origin, std::uint32_t target) {
        if (target == origin) {
            c.limitCyclesLeft(0);
        } else if (target + 1 == origin) {
            const std::uint32_t byte = c.bus_->fetchOpcode(Cpu::address16(target));
            if (byte == 0x00) {
                c.limitCyclesLeft(0);  // JP to a NOP just before it
            } else if (byte == 0xFB && c.state_.irqVector == kNoInterruptRequest) {
                c.limitCyclesLeft(4);  // EI; JP back to it, nothing to wait for
            }
        } else if (target + 3 == origin) {
            if (c.bus_->fetchOpcode(Cpu::address16(target)) == 0x31) {
                c.limitCyclesLeft(10);  // LD SP,nn; JP back to it
            }
        }
    }

    static void idleCheckRelative(Cpu& c, std::uint32_t origin, std::uint32_t target) {
        if (target == origin) {
            c.limitCyclesLeft(0);
        } else if (target + 1 == origin && c.state_.irqVector == kNoInterruptRequest &&
                   c.bus_->fetchOpcode(Cpu::address16(target)) == 0xFB) {
            c.limitCyclesLeft(4);
        }
    }

    // JP nn and a taken JP cc,nn read the high byte at PC+1 first, then the
    // low byte at PC.
    static std::uint32_t jumpTarget(Cpu& c) {
        const std::uint32_t high = c.bus_->fetchOpcode(Cpu::address16(c.state_.PC + 1));
        const std::uint32_t low = c.bus_->fetchOpcode(Cpu::address16(c.state_.PC));
        return (high << 8) | low;
    }

    static void jumpRelative(Cpu& c) {
        const std::uint32_t offset = c.fetchByte();
        c.state_.PC = (c.state_.PC + signExtend(offset)) & 0xFFFF;
        c.cyclesLeft_ -= kJumpTakenCycles;
    }

    static void skipOperand(Cpu& c, std::uint32_t bytes) {
        c.state_.PC = (c.state_.PC + bytes) & 0xFFFF;
    }

    static void call(Cpu& c) {
        const std::uint32_t target = c.fetchWord();
        c.push(c.state_.PC);
        c.state_.PC = target;
        c.cyclesLeft_ -= kCallTakenCycles;
    }

    static void ret(Cpu& c) {
        c.state_.PC = c.pop();
        c.cyclesLeft_ -= kReturnTakenCycles;
    }

    static void exchange(std::uint32_t& a, std::uint32_t& b) { std::swap(a, b); }

    // Opcodes 00-3F.
    template <unsigned Op, Pair H>
    static void opLowQuarter(Cpu& c) {
        Z80State& s = c.state_;
        constexpr unsigned y = (Op >> 3) & 7;
        constexpr unsigned z = Op & 7;
        constexpr unsigned p = y >> 1;
        constexpr bool q = (y & 1) != 0;
        if constexpr (z == 0) {
            if constexpr (y == 1) {  // EX AF,AF'
                exchange(s.AF, s.altAF);
            } else if constexpr (y == 2) {  // DJNZ d
                setB(s, (regB(s) - 1) & 0xFF);
                if (regB(s) != 0) {
                    jumpRelative(c);
                } else {
                    skipOperand(c, 1);
                }
            } else if constexpr (y == 3) {  // JR d
                const std::uint32_t origin = (s.PC - 1) & 0xFFFF;
                jumpRelative(c);
                idleCheckRelative(c, origin, s.PC);
            } else if constexpr (y >= 4) {  // JR cc,d
                if (condition<y - 4>(s)) {
                    jumpRelative(c);
                } else {
                    skipOperand(c, 1);
                }
            }
        } else if constexpr (z == 1) {
            constexpr Pair rp = pairField<p, H>();
            if constexpr (!q) {  // LD rr,nn
                pairRef<rp>(s) = c.fetchWord();
            } else {  // ADD HL,rr
                pairRef<H>(s) = alu::add16(s, pairValue<H>(s), pairValue<rp>(s));
            }
        } else if constexpr (z == 2) {
            if constexpr (Op == 0x02) c.writeByte(s.BC, regA(s));
            if constexpr (Op == 0x12) c.writeByte(s.DE, regA(s));
            if constexpr (Op == 0x22) c.writeWord(c.fetchWord(), pairValue<H>(s));
            if constexpr (Op == 0x32) c.writeByte(c.fetchWord(), regA(s));
            if constexpr (Op == 0x0A) setA(s, c.readByte(s.BC));
            if constexpr (Op == 0x1A) setA(s, c.readByte(s.DE));
            if constexpr (Op == 0x2A) pairRef<H>(s) = c.readWord(c.fetchWord());
            if constexpr (Op == 0x3A) setA(s, c.readByte(c.fetchWord()));
        } else if constexpr (z == 3) {
            constexpr Pair rp = pairField<p, H>();
            pairRef<rp>(s) = (pairValue<rp>(s) + (q ? 0xFFFFu : 1u)) & 0xFFFF;
        } else if constexpr (z == 4 || z == 5) {  // INC r, DEC r
            if constexpr (y == kRegMem) {
                const std::uint32_t address = memoryOperandAddress<H>(c);
                const std::uint32_t value = c.readByte(address);
                c.writeByte(address, z == 4 ? alu::inc8(s, value) : alu::dec8(s, value));
            } else {
                const std::uint32_t value = get8<y, H>(s);
                set8<y, H>(s, z == 4 ? alu::inc8(s, value) : alu::dec8(s, value));
            }
        } else if constexpr (z == 6) {  // LD r,n (LD (IX+d),n: d first, then n)
            if constexpr (y == kRegMem) {
                const std::uint32_t address = memoryOperandAddress<H>(c);
                c.writeByte(address, c.fetchByte());
            } else {
                set8<y, H>(s, c.fetchByte());
            }
        } else {
            if constexpr (y <= 3) alu::rotateA<y>(s);
            if constexpr (y == 4) alu::daa(s);
            if constexpr (y == 5) alu::cpl(s);
            if constexpr (y == 6) alu::scf(s);
            if constexpr (y == 7) alu::ccf(s);
        }
    }

    // Opcodes 40-7F: LD r,r' (76 is HALT, in z80_interrupts.h).
    template <unsigned Op, Pair H>
    static void opLoad(Cpu& c) {
        Z80State& s = c.state_;
        constexpr unsigned y = (Op >> 3) & 7;
        constexpr unsigned z = Op & 7;
        if constexpr (z == kRegMem) {
            set8<y, Pair::HL>(s, c.readByte(memoryOperandAddress<H>(c)));
        } else if constexpr (y == kRegMem) {
            c.writeByte(memoryOperandAddress<H>(c), get8<z, Pair::HL>(s));
        } else {
            set8<y, H>(s, get8<z, H>(s));
        }
    }

    // Opcodes C0-FF.
    template <unsigned Op, Pair H>
    static void opHighQuarter(Cpu& c) {
        Z80State& s = c.state_;
        constexpr unsigned y = (Op >> 3) & 7;
        constexpr unsigned z = Op & 7;
        constexpr unsigned p = y >> 1;
        constexpr bool q = (y & 1) != 0;
        if constexpr (z == 0) {  // RET cc
            if (condition<y>(s)) ret(c);
        } else if constexpr (z == 1) {
            if constexpr (!q) {  // POP rr
                pairRef<stackPairField<p, H>()>(s) = c.pop();
            } else if constexpr (p == 0) {
                ret(c);
            } else if constexpr (p == 1) {  // EXX
                exchange(s.BC, s.altBC);
                exchange(s.DE, s.altDE);
                exchange(s.HL, s.altHL);
            } else if constexpr (p == 2) {  // JP (HL)
                s.PC = pairValue<H>(s);
            } else {  // LD SP,HL
                s.SP = pairValue<H>(s);
            }
        } else if constexpr (z == 2) {  // JP cc,nn
            if (condition<y>(s)) {
                s.PC = jumpTarget(c);
            } else {
                skipOperand(c, 2);
            }
        } else if constexpr (z == 3) {
            if constexpr (y == 0) {  // JP nn
                const std::uint32_t origin = (s.PC - 1) & 0xFFFF;
                s.PC = jumpTarget(c);
                idleCheckJump(c, origin, s.PC);
            } else if constexpr (y == 2) {  // OUT (n),A
                const std::uint32_t port = c.fetchByte() | (regA(s) << 8);
                c.bus_->writePort(Cpu::address16(port), static_cast<std::uint8_t>(regA(s)));
            } else if constexpr (y == 3) {  // IN A,(n)
                const std::uint32_t port = c.fetchByte() | (regA(s) << 8);
                setA(s, c.bus_->readPort(Cpu::address16(port)));
            } else if constexpr (y == 4) {  // EX (SP),HL
                const std::uint32_t value = c.readWord(s.SP);
                c.writeWord(s.SP, pairValue<H>(s));
                pairRef<H>(s) = value;
            } else if constexpr (y == 5) {  // EX DE,HL
                exchange(s.DE, s.HL);
            }
        } else if constexpr (z == 4) {  // CALL cc,nn
            if (condition<y>(s)) {
                call(c);
            } else {
                skipOperand(c, 2);
            }
        } else if constexpr (z == 5) {
            if constexpr (!q) {  // PUSH rr
                c.push(pairValue<stackPairField<p, H>()>(s));
            } else if constexpr (p == 0) {
                call(c);
            }
        } else if constexpr (z == 6) {  // arithmetic/logic with n
            alu::arithmetic8<y>(s, c.fetchByte());
        } else {  // RST
            c.push(s.PC);
            s.PC = y * 8;
        }
    }

    template <unsigned Op, Pair H>
    static void op(Cpu& c) {
        if constexpr (Op < 0x40) {
            opLowQuarter<Op, H>(c);
        } else if constexpr (Op < 0x80) {
            opLoad<Op, H>(c);
        } else if constexpr (Op < 0xC0) {
            alu::arithmetic8<(Op >> 3) & 7>(c.state_, operand8<Op & 7, H>(c));
        } else {
            opHighQuarter<Op, H>(c);
        }
    }

    // SUB A: A and F are known without computing.
    static void subA(Cpu& c) { c.state_.AF = 0x0042; }

    // The prefixes: charge the next byte's page entry and run it.
    template <const HandlerTable& Page, const CycleTable& Cycles>
    static void prefix(Cpu& c) {
        ++c.state_.R;
        const std::uint32_t opcode = c.fetchByte();
        c.cyclesLeft_ -= Cycles[opcode];
        Page[opcode](c);
    }

    template <unsigned Op>
    static constexpr Handler baseHandler() {
        if constexpr (Op == 0x40 || Op == 0x49 || Op == 0x52 || Op == 0x5B || Op == 0x64 ||
                      Op == 0x6D || Op == 0x7F) {
            return &nop;  // LD r,r with the same register
        } else if constexpr (Op == 0x76 || Op == 0xF3 || Op == 0xFB) {
            return Z80InterruptOps<Bus>::template baseHandler<Op>();
        } else if constexpr (Op == 0x97) {
            return &subA;
        } else if constexpr (Op == 0xCB) {
            return &prefix<Cpu::cbHandlers, cbCycles>;
        } else if constexpr (Op == 0xDD) {
            return &prefix<Cpu::ddHandlers, indexCycles>;
        } else if constexpr (Op == 0xED) {
            return &prefix<Cpu::edHandlers, edCycles>;
        } else if constexpr (Op == 0xFD) {
            return &prefix<Cpu::fdHandlers, indexCycles>;
        } else {
            return &op<Op, Pair::HL>;
        }
    }

    template <std::size_t... Op>
    static constexpr HandlerTable makeTable(std::index_sequence<Op...>) {
        return HandlerTable{baseHandler<Op>()...};
    }
};

template <Z80Bus Bus>
const typename Z80<Bus>::HandlerTable Z80<Bus>::baseHandlers =
    Z80MainOps<Bus>::makeTable(std::make_index_sequence<256>{});

}  // namespace vantorel
