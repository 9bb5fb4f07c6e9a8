// Disassembler of the Z80 core: turns the bytes of one instruction into
// lower-case Zilog assembler text, for the register trace and for debugging.
//
// Each opcode page has a table of 256 templates. Expanding a template copies
// its characters, except for these placeholders:
//   space  pads the mnemonic to 5 characters (or adds 1 space)
//   B      the next operand byte as $nn
//   W      the next operand word (low byte first) as $nnnn
//   R      a relative target: instruction address + 2 + the signed byte
//   X      (ix+$dd) / (iy-$dd) with the next operand byte as displacement
//   Y      the same with the displacement of a DD CB / FD CB instruction
//   I      the index register name, ix or iy
//   !      the whole instruction is shown as "db     $ed,$nn" (2 bytes)
//   @      the whole instruction is shown as "db     $nn" (1 byte)
// Called by Z80<Bus>::disassembleInstruction and the trace.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "z80/z80.h"

namespace vantorel {

using TemplateTable = std::array<const char*, 256>;

extern const TemplateTable baseTemplates;      // unprefixed opcodes
extern const TemplateTable cbTemplates;        // CB xx
extern const TemplateTable edTemplates;        // ED xx
extern const TemplateTable indexTemplates;     // DD xx and FD xx
extern const TemplateTable indexBitTemplates;  // DD CB d xx and FD CB d xx

// Reads one instruction byte; context is the caller's bus.
using InstructionByteReader = std::uint8_t (*)(void* context, std::uint16_t address);

// Writes the text of the instruction at address into text (capacity
// characters including the terminating zero; the text is cut to fit) and
// returns the instruction's length in bytes, 1 to 4. Reads each byte it needs
// once, in address order.
int disassembleZ80(char* text, std::size_t capacity, std::uint16_t address,
                   InstructionByteReader readByte, void* context);

template <Z80Bus Bus>
int Z80<Bus>::disassembleInstruction(char* text, std::uint16_t address) {
    const InstructionByteReader reader = [](void* context, std::uint16_t at) -> std::uint8_t {
        return static_cast<Bus*>(context)->fetchOpcode(at);
    };
    return disassembleZ80(text, kDisassemblyTextSize, address, reader, bus_);
}

}  // namespace vantorel
