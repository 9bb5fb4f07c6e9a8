#include "reference_z80.h"

#include <z80ex.h>

#include <cstdlib>

namespace vantorel::conformance {

struct ReferenceZ80::Context {
    Z80EX_CONTEXT* cpu = nullptr;
};

namespace {

ReferenceZ80& owner(void* userData) {
    return *static_cast<ReferenceZ80*>(userData);
}

Z80EX_BYTE readMemory(Z80EX_CONTEXT*, Z80EX_WORD address, int, void* userData) {
    return owner(userData).memory[address];
}

void writeMemory(Z80EX_CONTEXT*, Z80EX_WORD address, Z80EX_BYTE value, void* userData) {
    ReferenceZ80& reference = owner(userData);
    reference.memory[address] = value;
    reference.activity.add(AccessKind::MemoryWrite, address, value);
}

Z80EX_BYTE readPort(Z80EX_CONTEXT*, Z80EX_WORD port, void* userData) {
    ReferenceZ80& reference = owner(userData);
    std::uint8_t value = portValueFor(reference.portSalt, port);
    reference.activity.add(AccessKind::PortRead, port, value);
    return value;
}

void writePort(Z80EX_CONTEXT*, Z80EX_WORD port, Z80EX_BYTE value, void* userData) {
    owner(userData).activity.add(AccessKind::PortWrite, port, value);
}

// The bytes of the interrupting device in turn; then the bus floats high.
Z80EX_BYTE readInterruptVector(Z80EX_CONTEXT*, void* userData) {
    ReferenceZ80& reference = owner(userData);
    if (reference.busBytesRead >= reference.busByteCount) return 0xFF;
    return reference.busBytes[static_cast<std::size_t>(reference.busBytesRead++)];
}

}  // namespace

ReferenceZ80::ReferenceZ80() : context_(new Context) {
    context_->cpu = z80ex_create(readMemory, this, writeMemory, this, readPort, this, writePort,
                                 this, readInterruptVector, this);
    if (context_->cpu == nullptr) std::abort();
}

ReferenceZ80::~ReferenceZ80() {
    z80ex_destroy(context_->cpu);
    delete context_;
}

void ReferenceZ80::setRegisters(const CpuSnapshot& s) {
    Z80EX_CONTEXT* cpu = context_->cpu;
    z80ex_reset(cpu);
    z80ex_set_reg(cpu, regAF, s.af);
    z80ex_set_reg(cpu, regBC, s.bc);
    z80ex_set_reg(cpu, regDE, s.de);
    z80ex_set_reg(cpu, regHL, s.hl);
    z80ex_set_reg(cpu, regIX, s.ix);
    z80ex_set_reg(cpu, regIY, s.iy);
    z80ex_set_reg(cpu, regPC, s.pc);
    z80ex_set_reg(cpu, regSP, s.sp);
    z80ex_set_reg(cpu, regAF_, s.af2);
    z80ex_set_reg(cpu, regBC_, s.bc2);
    z80ex_set_reg(cpu, regDE_, s.de2);
    z80ex_set_reg(cpu, regHL_, s.hl2);
    z80ex_set_reg(cpu, regIFF1, s.iff1);
    z80ex_set_reg(cpu, regIFF2, s.iff2);
    z80ex_set_reg(cpu, regIM, s.im);
    z80ex_set_reg(cpu, regI, s.i);
    z80ex_set_reg(cpu, regR, s.r);
    z80ex_set_reg(cpu, regR7, s.r & 0x80);
}

CpuSnapshot ReferenceZ80::registers() const {
    Z80EX_CONTEXT* cpu = context_->cpu;
    auto reg = [cpu](Z80_REG_T which) { return z80ex_get_reg(cpu, which); };
    auto byte = [&reg](Z80_REG_T which) { return static_cast<std::uint8_t>(reg(which) & 0xFF); };
    CpuSnapshot s;
    s.af = reg(regAF);
    s.bc = reg(regBC);
    s.de = reg(regDE);
    s.hl = reg(regHL);
    s.ix = reg(regIX);
    s.iy = reg(regIY);
    s.pc = reg(regPC);
    s.sp = reg(regSP);
    s.af2 = reg(regAF_);
    s.bc2 = reg(regBC_);
    s.de2 = reg(regDE_);
    s.hl2 = reg(regHL_);
    s.iff1 = byte(regIFF1);
    s.iff2 = byte(regIFF2);
    s.im = byte(regIM);
    s.i = byte(regI);
    s.r = static_cast<std::uint8_t>((reg(regR) & 0x7F) | (reg(regR7) & 0x80));
    s.halted = static_cast<std::uint8_t>(z80ex_doing_halt(cpu) ? 1 : 0);
    return s;
}

int ReferenceZ80::raiseInterrupt(bool nonMaskable, const std::uint8_t* bytes, int count) {
    busByteCount = count;
    busBytesRead = 0;
    for (int index = 0; index < count && index < 3; ++index) {
        busBytes[static_cast<std::size_t>(index)] = bytes[index];
    }
    return nonMaskable ? z80ex_nmi(context_->cpu) : z80ex_int(context_->cpu);
}

void ReferenceZ80::setRefresh(std::uint8_t r) {
    const std::uint8_t stored = static_cast<std::uint8_t>(z80ex_get_reg(context_->cpu, regR7));
    z80ex_set_reg(context_->cpu, regR, r & 0x7F);
    z80ex_set_reg(context_->cpu, regR7, stored & 0x80);
}

int ReferenceZ80::runInstructions(int count) {
    int tstates = 0;
    while (count > 0) {
        tstates += z80ex_step(context_->cpu);
        if (z80ex_last_op_type(context_->cpu) == 0) --count;
    }
    return tstates;
}

}  // namespace vantorel::conformance
