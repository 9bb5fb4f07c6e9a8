// Register trace of the Z80 core (see z80_trace.h).
#include "z80/z80_trace.h"

namespace vantorel {

void formatFlagsString(char* out, std::uint32_t f) {
    static constexpr char kLetters[] = "SZ.H.VNC";
    for (unsigned position = 0; position < 8; ++position) {
        const bool set = ((f >> (7 - position)) & 1u) != 0;
        out[position] = set ? kLetters[position] : '.';
    }
    out[8] = '\0';
}

void writeTraceEntry(std::FILE* log, const Z80State& record, const char* text,
                     std::uint32_t stackTop, std::uint32_t stackNext) {
    if (log == nullptr) return;
    char flags[kFlagsStringSize];
    formatFlagsString(flags, record.AF & 0xFF);
    char line[160];
    std::snprintf(line, sizeof line, "%04X: %-*s  sp= %04x  Stack: %04X %04X  FLAGS: %s\n",
                  record.PC, static_cast<int>(kTraceTextWidth), text, record.SP, stackTop,
                  stackNext, flags);
    std::fprintf(log, "%s", line);
    std::snprintf(line, sizeof line, "%27sAF:%04X BC:%04X DE:%04X HL:%04X IX:%04X IY:%04X\n", "",
                  record.AF, record.BC, record.DE, record.HL, record.IX, record.IY);
    std::fprintf(log, "%s\n", line);
}

}  // namespace vantorel
