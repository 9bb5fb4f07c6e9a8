// What kind of instruction a few opcode bytes make, for stepping over and
// out and for the call stack: calls, restarts, returns and the repeating
// block instructions. Used by debug/debugger.cpp.
#pragma once

#include <cstdint>

namespace vantorel {

enum class InstructionKind : std::uint8_t { other, call, rst, ret, blockRepeat };

// The kind of the instruction whose first bytes are `bytes` (at least 2).
inline InstructionKind instructionKind(const std::uint8_t* bytes) {
    const std::uint8_t op = bytes[0];
    if (op == 0xCD || (op & 0xC7) == 0xC4) return InstructionKind::call;  // CALL nn, CALL cc,nn
    if ((op & 0xC7) == 0xC7) return InstructionKind::rst;
    if (op == 0xC9 || (op & 0xC7) == 0xC0) return InstructionKind::ret;  // RET, RET cc
    if (op == 0xED) {
        const std::uint8_t next = bytes[1];
        if ((next & 0xC7) == 0x45) return InstructionKind::ret;          // RETN, RETI
        if ((next & 0xF4) == 0xB0) return InstructionKind::blockRepeat;  // LDIR ... OTDR
    }
    return InstructionKind::other;
}

}  // namespace vantorel
