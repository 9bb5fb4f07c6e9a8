#include "cpu_snapshot.h"

#include <cstdio>

namespace vantorel::conformance {

namespace {

std::uint16_t low16(std::uint32_t value) {
    return static_cast<std::uint16_t>(value & 0xFFFFu);
}
std::uint8_t low8(std::uint32_t value) {
    return static_cast<std::uint8_t>(value & 0xFFu);
}

}  // namespace

CpuSnapshot snapshotOf(const Z80State& state) {
    CpuSnapshot s;
    s.af = low16(state.AF);
    s.bc = low16(state.BC);
    s.de = low16(state.DE);
    s.hl = low16(state.HL);
    s.ix = low16(state.IX);
    s.iy = low16(state.IY);
    s.pc = low16(state.PC);
    s.sp = low16(state.SP);
    s.af2 = low16(state.altAF);
    s.bc2 = low16(state.altBC);
    s.de2 = low16(state.altDE);
    s.hl2 = low16(state.altHL);
    s.iff1 = low8(state.IFF1);
    s.iff2 = low8(state.IFF2);
    s.im = low8(state.IM);
    s.i = low8(state.I);
    s.r = static_cast<std::uint8_t>((state.R & 0x7Fu) | (state.rBit7 & 0x80u));
    s.halted = low8(state.halted);
    return s;
}

Z80State stateOf(const CpuSnapshot& snapshot) {
    Z80State state;
    state.AF = snapshot.af;
    state.BC = snapshot.bc;
    state.DE = snapshot.de;
    state.HL = snapshot.hl;
    state.IX = snapshot.ix;
    state.IY = snapshot.iy;
    state.PC = snapshot.pc;
    state.SP = snapshot.sp;
    state.altAF = snapshot.af2;
    state.altBC = snapshot.bc2;
    state.altDE = snapshot.de2;
    state.altHL = snapshot.hl2;
    state.IFF1 = snapshot.iff1;
    state.IFF2 = snapshot.iff2;
    state.halted = snapshot.halted;
    state.IM = snapshot.im;
    state.I = snapshot.i;
    state.R = snapshot.r;
    state.rBit7 = snapshot.r;
    state.irqVector = kNoInterruptRequest;
    state.nmiPending = 0;
    return state;
}

std::string describe(const CpuSnapshot& s) {
    char text[200];
    std::snprintf(text, sizeof text,
                  "AF=%04X BC=%04X DE=%04X HL=%04X IX=%04X IY=%04X PC=%04X SP=%04X "
                  "AF'=%04X BC'=%04X DE'=%04X HL'=%04X IFF1=%u IFF2=%u IM=%u I=%02X R=%02X "
                  "halted=%u",
                  s.af, s.bc, s.de, s.hl, s.ix, s.iy, s.pc, s.sp, s.af2, s.bc2, s.de2, s.hl2,
                  s.iff1, s.iff2, s.im, s.i, s.r, s.halted);
    return text;
}

}  // namespace vantorel::conformance
