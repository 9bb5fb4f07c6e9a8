// Register trace of the Z80 core, for debugging the core.
//
// Before an instruction runs, the trace writes two lines to the debug log:
// the address, the disassembled instruction, SP with the two words on top of
// the stack and the flags; then AF, BC, DE, HL, IX and IY; and an empty line.
// The loop (and EI) switch it on when PC equals traceStartAddress; it stays
// on from then. Nothing is written while the log (debugLogFile) is closed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "z80/z80.h"
#include "z80/z80_disassembler.h"

namespace vantorel {

inline constexpr std::size_t kTraceTextWidth = 19;  // disassembly column, characters
inline constexpr std::size_t kFlagsStringSize = 9;  // 8 flag characters and a zero

// The flags as 8 characters for bits 7 to 0 of f: the letter of "SZ.H.VNC"
// for a set bit, "." for a clear one.
void formatFlagsString(char* out, std::uint32_t f);

// Writes one trace entry (both lines and the empty line) to log, if it is
// open. text is the disassembly; stackTop and stackNext the words at SP and
// SP+2.
void writeTraceEntry(std::FILE* log, const Z80State& record, const char* text,
                     std::uint32_t stackTop, std::uint32_t stackNext);

template <Z80Bus Bus>
void Z80<Bus>::traceInstruction(const Z80State& record) {
    char text[kDisassemblyTextSize];
    disassembleInstruction(text, address16(record.PC));
    // Four reads in address order: SP, SP+1, SP+2, SP+3.
    std::uint32_t stackBytes[4];
    for (std::uint32_t i = 0; i < 4; ++i) stackBytes[i] = readByte(record.SP + i);
    const std::uint32_t stackTop = stackBytes[0] + 256 * stackBytes[1];
    const std::uint32_t stackNext = stackBytes[2] + 256 * stackBytes[3];
    writeTraceEntry(debugLogFile, record, text, stackTop, stackNext);
}

}  // namespace vantorel
