// Interrupts, HALT and the special returns of the Z80 core.
//
// acceptInterrupt takes a pending NMI (always) or a pending maskable request
// (when IFF1 is set) in interrupt mode 0, 1 or 2; the handlers here are DI,
// EI (which runs the next instruction at once and only then lets an interrupt
// in), HALT (which also ends the run), IM, RETN and RETI. A machine posts a
// request by storing its data-bus value in Z80State::irqVector, or a non-zero
// value in nmiPending. Included by z80.h.
#pragma once

#include "z80/z80.h"
#include "z80/z80_base_ops.h"

namespace vantorel {

// Written to the bus's debug output by every RETN.
inline constexpr const char* kRetnDebugText = "TO DO: FIX ME for Z80 - z80_retn\n";

inline constexpr std::uint32_t kNmiAddress = 0x0066;
inline constexpr std::uint32_t kMode0JumpOpcode = 0xC3;  // JP nn put on the bus
inline constexpr std::uint32_t kMode0CallOpcode = 0xCD;  // CALL nn put on the bus
inline constexpr std::uint32_t kMode1Opcode = 0xFF;      // RST 38

template <Z80Bus Bus>
void Z80<Bus>::acceptInterrupt() {
    Z80State& s = state_;
    if (s.nmiPending == 0 && (s.irqVector == kNoInterruptRequest || s.IFF1 == 0)) return;
    lastOpcodeAddress_ = -1;
    if constexpr (kWatchingBus) bus_->interruptAccepted(static_cast<std::uint16_t>(s.PC));
    s.IFF1 = 0;
    if (s.halted != 0) {  // continue after the HALT opcode
        s.PC = (s.PC + 1) & 0xFFFF;
        s.halted = 0;
    }
    if (s.nmiPending != 0) {  // IFF2 keeps the state from before the NMI
        s.nmiPending = 0;
        push(s.PC);
        s.PC = kNmiAddress;
        return;
    }
    s.IFF2 = 0;
    const std::uint32_t request = s.irqVector;
    s.irqVector = kNoInterruptRequest;
    if (s.IM == 2) {  // vector table at I*256 + the bus byte, used whole
        push(s.PC);
        s.PC = readWord(((s.I & 0xFF) << 8) | (request & 0xFF));
    } else if (s.IM == 1) {
        runBaseOpcode(kMode1Opcode);
    } else {  // mode 0: the device puts an instruction on the bus
        const std::uint32_t busOpcode = (request >> 16) & 0xFF;
        if (busOpcode == kMode0JumpOpcode) {
            s.PC = request & 0xFFFF;
        } else if (busOpcode == kMode0CallOpcode) {
            push(s.PC);
            s.PC = request & 0xFFFF;
        } else {
            runBaseOpcode(request & 0xFF);
        }
    }
}

template <Z80Bus Bus>
struct Z80InterruptOps {
    using Cpu = Z80<Bus>;
    using Handler = typename Cpu::Handler;

    static void di(Cpu& c) {
        c.state_.IFF1 = 0;
        c.state_.IFF2 = 0;
    }

    // EI: the instruction after it runs within the same step, before any
    // interrupt can be accepted, even when the budget is already spent.
    static void ei(Cpu& c) {
        Z80State& s = c.state_;
        if (s.IFF1 != 0) {
            s.IFF2 = 1;
            return;
        }
        c.traceIfDue();
        ++s.R;
        s.IFF1 = 1;
        s.IFF2 = 1;
        const std::uint32_t opcode = c.bus_->fetchOpcode(Cpu::address16(s.PC));
        c.lastOpcodeAddress_ = static_cast<std::int32_t>(s.PC);
        s.PC = (s.PC + 1) & 0xFFFF;
        c.runBaseOpcode(opcode);
        c.acceptInterrupt();
    }

    // HALT: PC stays on the HALT opcode and the run ends; every later step
    // fetches the HALT again until an interrupt is accepted.
    static void halt(Cpu& c) {
        c.state_.PC = (c.state_.PC - 1) & 0xFFFF;
        c.state_.halted = 1;
        c.limitCyclesLeft(0);
    }

    static void retn(Cpu& c) {
        c.state_.IFF1 = c.state_.IFF2;
        c.bus_->debugOutput(kRetnDebugText);
        c.state_.PC = c.pop();
        c.cyclesLeft_ -= kReturnTakenCycles;
    }

    static void reti(Cpu& c) {
        c.bus_->retiHook();
        c.state_.PC = c.pop();
        c.cyclesLeft_ -= kReturnTakenCycles;
    }

    template <std::uint32_t Mode>
    static void interruptMode(Cpu& c) {
        c.state_.IM = Mode;
    }

    template <unsigned Op>
    static constexpr Handler baseHandler() {
        if constexpr (Op == 0x76) return &halt;
        if constexpr (Op == 0xF3) return &di;
        if constexpr (Op == 0xFB) return &ei;
    }

    // ED 45/55/65/75 RETN, ED 4D/5D/6D/7D RETI, ED 46/4E/66/6E IM 0,
    // ED 56/76 IM 1, ED 5E/7E IM 2.
    template <unsigned Op>
    static constexpr Handler edHandler() {
        constexpr unsigned y = (Op >> 3) & 7;
        if constexpr ((Op & 7) == 5) {
            if constexpr ((y & 1) == 0) {
                return &retn;
            } else {
                return &reti;
            }
        } else {
            constexpr std::uint32_t modes[8] = {0, 0, 1, 2, 0, 0, 1, 2};
            return &interruptMode<modes[y]>;
        }
    }
};

}  // namespace vantorel
