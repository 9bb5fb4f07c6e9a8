#include "intended_departures.h"

#include <utility>

namespace vantorel::conformance {

namespace {

constexpr std::uint8_t kFlagZ = 0x40;
constexpr std::uint8_t kFlagPV = 0x04;
constexpr std::uint8_t kFlagN = 0x02;
constexpr std::uint8_t kUndocumentedBits = 0x28;  // F bits 5 and 3

bool isIndexPage(Page page) {
    return page == Page::DD || page == Page::FD;
}
bool isIndexBitPage(Page page) {
    return page == Page::DDCB || page == Page::FDCB;
}

bool is(const DecodedInstruction& instruction, Page page, std::uint8_t opcode) {
    return instruction.page == page && instruction.opcode == opcode;
}

bool isBitTest(const DecodedInstruction& instruction) {
    const bool bitRow = instruction.opcode >= 0x40 && instruction.opcode <= 0x7F;
    return bitRow && (instruction.page == Page::CB || isIndexBitPage(instruction.page));
}

bool isBlockIo(const DecodedInstruction& instruction) {
    const std::uint8_t op = instruction.opcode;
    return instruction.page == Page::ED && op >= 0xA0 && op <= 0xBB && (op & 0x06) == 0x02;
}

bool isBlockOutput(const DecodedInstruction& instruction) {
    return isBlockIo(instruction) && (instruction.opcode & 0x01);
}

bool isRetiCopy(const DecodedInstruction& instruction) {
    return instruction.page == Page::ED && (instruction.opcode & 0xCF) == 0x4D;
}

// The DD/FD forms that work on IXh/IXl (IYh/IYl).
constexpr std::array<std::uint8_t, 46> kIndexHalfOpcodes = {
    0x24, 0x25, 0x26, 0x2C, 0x2D, 0x2E, 0x44, 0x45, 0x4C, 0x4D, 0x54, 0x55, 0x5C, 0x5D, 0x60, 0x61,
    0x62, 0x63, 0x64, 0x65, 0x67, 0x68, 0x69, 0x6A, 0x6B, 0x6C, 0x6D, 0x6F, 0x7C, 0x7D, 0x84, 0x85,
    0x8C, 0x8D, 0x94, 0x95, 0x9C, 0x9D, 0xA4, 0xA5, 0xAC, 0xAD, 0xB4, 0xB5, 0xBC, 0xBD};

bool isIndexHalfForm(const DecodedInstruction& instruction) {
    if (!isIndexPage(instruction.page)) return false;
    for (std::uint8_t opcode : kIndexHalfOpcodes) {
        if (opcode == instruction.opcode) return true;
    }
    return false;
}

bool pushesAWord(const DecodedInstruction& instruction) {
    const std::uint8_t op = instruction.opcode;
    if (isIndexPage(instruction.page)) return op == 0xE5;
    if (instruction.page != Page::Base) return false;
    const bool push = (op & 0xCF) == 0xC5;
    const bool call = op == 0xCD || (op & 0xC7) == 0xC4;
    const bool restart = (op & 0xC7) == 0xC7;
    return push || call || restart;
}

// F is compared whole only where both processors define bits 5 and 3 alike:
// DAA (from its table), POP AF and EX AF,AF' (loaded whole), and opcodes
// that leave F alone.
bool definesUndocumentedBitsAlike(const DecodedInstruction& instruction) {
    return is(instruction, Page::Base, 0x27) || is(instruction, Page::Base, 0xF1) ||
           is(instruction, Page::Base, 0x08) || is(instruction, Page::Base, 0x00) ||
           isZeroCostEd(instruction);
}

void setRegister8(CpuSnapshot& registers, int field, std::uint8_t value) {
    auto high = [value](std::uint16_t& pair) {
        pair = static_cast<std::uint16_t>((pair & 0x00FF) | (value << 8));
    };
    auto low = [value](std::uint16_t& pair) {
        pair = static_cast<std::uint16_t>((pair & 0xFF00) | value);
    };
    switch (field) {
        case 0:
            high(registers.bc);
            break;
        case 1:
            low(registers.bc);
            break;
        case 2:
            high(registers.de);
            break;
        case 3:
            low(registers.de);
            break;
        case 4:
            high(registers.hl);
            break;
        case 5:
            low(registers.hl);
            break;
        case 7:
            high(registers.af);
            break;
        default:
            break;
    }
}

void setFlags(CpuSnapshot& registers, std::uint8_t flags) {
    registers.af = static_cast<std::uint16_t>((registers.af & 0xFF00) | flags);
}

std::uint8_t flagsOf(const CpuSnapshot& registers) {
    return static_cast<std::uint8_t>(registers.af & 0xFF);
}

// Adds `count` to the 7 counted bits of R.
std::uint8_t addToRefresh(std::uint8_t r, int count) {
    return static_cast<std::uint8_t>((r & 0x80) | ((r + count) & 0x7F));
}

// LD A,R read a refresh count `count` higher: A moves with it, and Z with A
// (S is bit 7, which the count does not reach).
void addToRefreshInA(CpuSnapshot& registers, int count) {
    const std::uint8_t a = addToRefresh(static_cast<std::uint8_t>(registers.af >> 8), count);
    std::uint8_t flags = static_cast<std::uint8_t>(flagsOf(registers) & ~kFlagZ);
    if (a == 0) flags |= kFlagZ;
    registers.af = static_cast<std::uint16_t>((a << 8) | flags);
}

// One instruction's departures. `before` holds the registers it started
// with (only EI can run ahead of it, and EI changes nothing but the IFFs).
void applyDepartures(const DecodedInstruction& instruction, const CpuSnapshot& before,
                     const std::array<std::uint8_t, 65536>& memory, int& extraR,
                     Expectation& expected) {
    // A dropped DD/FD is a step of its own that costs 0 cycles and counts R
    // once more when the loop fetches the following byte again (libz80ex
    // charges 4 cycles and counts R once). LD A,R sees the extra counts made
    // so far; LD R,A overwrites them.
    expected.tstates -= 4 * instruction.droppedPrefixes;
    extraR += instruction.droppedPrefixes;
    if (is(instruction, Page::ED, 0x4F)) extraR = 0;
    if (is(instruction, Page::ED, 0x5F)) addToRefreshInA(expected.registers, extraR);

    // Undefined ED opcodes, ED 77/7F and the ED FE trap cost 0 cycles
    // (libz80ex runs them as 8-cycle NOPs).
    if (isZeroCostEd(instruction)) expected.tstates -= 8;
    if (is(instruction, Page::ED, 0xFE)) ++expected.traps;

    // Every IXh/IXl/IYh/IYl form costs 9 cycles in our tables (8 on the
    // silicon, 11 for LD IXh,n and LD IXl,n).
    if (isIndexHalfForm(instruction)) {
        const bool loadsImmediate = instruction.opcode == 0x26 || instruction.opcode == 0x2E;
        expected.tstates += 9 - (loadsImmediate ? 11 : 8);
    }

    // Bits 5 and 3 of F are not modelled (libz80ex copies them from results
    // and from its internal MEMPTR register).
    if (!definesUndocumentedBitsAlike(instruction)) {
        expected.flagMask = static_cast<std::uint8_t>(expected.flagMask & ~kUndocumentedBits);
    }

    // BIT leaves P/V 0 (the silicon copies Z into it).
    if (isBitTest(instruction)) {
        setFlags(expected.registers,
                 static_cast<std::uint8_t>(flagsOf(expected.registers) & ~kFlagPV));
    }

    // INI/IND/OUTI/OUTD and repeats set F to 42 or 02 by B alone (the
    // silicon derives N, H, C and P/V from the byte moved and from C or L).
    if (isBlockIo(instruction)) {
        setFlags(expected.registers,
                 static_cast<std::uint8_t>((flagsOf(expected.registers) & kFlagZ) | kFlagN));
        expected.flagMask = 0xFF;
    }

    // OUTI/OUTD and repeats put B before its decrement on the high address
    // lines (the silicon decrements B first); only the low byte is decoded
    // by the Sorcerer.
    if (isBlockOutput(instruction)) {
        for (int index = 0; index < expected.activity.count; ++index) {
            BusAccess& access = expected.activity.accesses[static_cast<std::size_t>(index)];
            if (access.kind == AccessKind::PortWrite) {
                access.address =
                    static_cast<std::uint16_t>((before.bc & 0xFF00) | (access.address & 0xFF));
            }
        }
    }

    // RETI and its ED copies leave IFF1 alone (the silicon copies IFF2 into
    // IFF1 as RETN does).
    if (isRetiCopy(instruction)) expected.registers.iff1 = before.iff1;

    // DD CB / FD CB BIT with a register field other than 6 also loads the
    // byte read from (IX+d) into that register (the silicon only tests it).
    if (isIndexBitPage(instruction.page) && isBitTest(instruction) &&
        (instruction.opcode & 7) != 6) {
        const std::uint16_t index = instruction.page == Page::DDCB ? before.ix : before.iy;
        const auto offset = static_cast<std::int8_t>(instruction.displacement);
        const auto address = static_cast<std::uint16_t>(index + offset);
        setRegister8(expected.registers, instruction.opcode & 7, memory[address]);
    }

    // A push writes the low byte first, at the new SP, then the high byte
    // (the silicon writes the high byte first, at SP-1).
    if (pushesAWord(instruction) && expected.activity.count == 2) {
        std::swap(expected.activity.accesses[0], expected.activity.accesses[1]);
    }
}

// The T-states our core charges for accepting the request: nothing for an
// NMI, mode 2 and the mode 0 CALL and JP forms, and the RST's own 11 for
// mode 1 and a mode 0 RST (libz80ex charges the acknowledge cycle and the
// push as the silicon does: 11 for an NMI, 13 for an RST, 19 for mode 2).
int ourAcceptanceTstates(const InterruptCase& c) {
    if (c.nonMaskable) return 0;
    if (c.start.im == 1) return 11;
    if (c.start.im == 0 && c.busByteCount == 1) return 11;
    return 0;
}

}  // namespace

Expectation expectationFor(const ConformanceCase& testCase, const ReferenceOutcome& reference,
                           const std::array<std::uint8_t, 65536>& memory) {
    Expectation expected;
    expected.registers = reference.registers;
    expected.activity = reference.activity;
    expected.tstates = reference.tstates;

    const RunShape shape = testCase.shape();
    CpuSnapshot before = testCase.start;
    int extraR = 0;
    for (int index = 0; index < shape.count; ++index) {
        const DecodedInstruction& instruction = shape.instructions[static_cast<std::size_t>(index)];
        applyDepartures(instruction, before, memory, extraR, expected);
        if (isEi(instruction)) before.iff1 = before.iff2 = 1;
    }
    expected.registers.r = addToRefresh(expected.registers.r, extraR);
    const DecodedInstruction& last = shape.instructions[static_cast<std::size_t>(shape.count - 1)];
    expected.lastOpcodeAddress = static_cast<std::uint16_t>(testCase.start.pc + last.offset);
    return expected;
}

void addAcceptance(Expectation& expected, const InterruptCase& interruptCase,
                   const BusActivity& acceptance, bool acceptedFirst, const CpuSnapshot& after) {
    // The return address is pushed low byte first, as every push of the
    // core (the silicon writes the high byte first).
    BusActivity accepted = acceptance;
    if (accepted.count == 2) std::swap(accepted.accesses[0], accepted.accesses[1]);

    BusActivity combined = acceptedFirst ? accepted : expected.activity;
    const BusActivity& rest = acceptedFirst ? expected.activity : accepted;
    for (int index = 0; index < rest.count; ++index) {
        const BusAccess& access = rest.accesses[static_cast<std::size_t>(index)];
        combined.add(access.kind, access.address, access.value);
    }
    expected.activity = combined;
    expected.tstates += ourAcceptanceTstates(interruptCase);
    if (!acceptedFirst) {
        // Acceptance after EI changes only these registers, and marks the
        // step as interrupted.
        expected.registers.pc = after.pc;
        expected.registers.sp = after.sp;
        expected.registers.iff1 = after.iff1;
        expected.registers.iff2 = after.iff2;
        expected.registers.halted = after.halted;
        expected.lastOpcodeAddress = -1;
    }
}

}  // namespace vantorel::conformance
