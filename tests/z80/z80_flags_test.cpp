// Flag computation: the flag tables, the DAA table (every entry) and the
// flag results of the instruction families.
#include <gtest/gtest.h>

#include "z80_test_support.h"

namespace vantorel::test {

namespace {

bool evenParity(unsigned v) {
    unsigned ones = 0;
    for (; v != 0; v >>= 1) ones += v & 1;
    return ones % 2 == 0;
}

// DAA written out step by step from the rule: correction, new carry, then
// result and half carry by the direction of the last operation.
std::uint16_t expectedDaa(unsigned a, bool c, bool h, bool n) {
    unsigned correction = 0x00;
    bool newC = c;
    if (c || a > 0x99) {
        correction += 0x60;
        newC = true;
    }
    if (h || (a & 0x0F) > 9) correction += 0x06;
    unsigned result;
    bool newH;
    if (!n) {
        result = (a + correction) % 256;
        newH = (a & 0x0F) > 9;
    } else {
        result = (a + 256 - correction) % 256;
        newH = h && (a & 0x0F) < 6;
    }
    unsigned f = 0;
    if (result & 0x80) f |= 0x80;
    if (result == 0) f |= 0x40;
    f |= result & 0x28;
    if (newH) f |= 0x10;
    if (evenParity(result)) f |= 0x04;
    if (n) f |= 0x02;
    if (newC) f |= 0x01;
    return static_cast<std::uint16_t>(result * 256 + f);
}

}  // namespace

TEST(Z80Flags, SignZeroTables) {
    for (unsigned v = 0; v < 256; ++v) {
        const unsigned sz = (v & 0x80) | (v == 0 ? 0x40 : 0);
        EXPECT_EQ(signZeroFlags[v], sz) << v;
        EXPECT_EQ(signZeroParityFlags[v], sz | (evenParity(v) ? 0x04 : 0)) << v;
        EXPECT_EQ(signZeroParityFlags[v] & 0x28, 0) << v;
    }
}

TEST(Z80Flags, EveryDaaEntryFollowsTheRule) {
    ASSERT_EQ(daaResults.size(), 2048u);
    for (unsigned index = 0; index < 2048; ++index) {
        const unsigned a = index % 256;
        const bool c = (index / 256) % 2 != 0;
        const bool h = (index / 512) % 2 != 0;
        const bool n = (index / 1024) % 2 != 0;
        ASSERT_EQ(daaResults[index], expectedDaa(a, c, h, n)) << "index " << index;
    }
}

TEST(Z80Flags, DaaInstructionLoadsAAndFFromTheTable) {
    Z80Rig rig;
    rig.s().AF = 0x9A00;
    rig.step({0x27});
    EXPECT_EQ(rig.s().AF, 0x0055u);
    rig.s().AF = 0x0F00 | kFlagN | kFlagH;  // after a subtraction with half borrow
    rig.step({0x27});
    EXPECT_EQ(rig.s().AF, daaResults[0x0F + 512 + 1024]);
    EXPECT_EQ(rig.a(), 0x09u);
}

TEST(Z80Flags, LogicalOperations) {
    Z80Rig rig;
    rig.s().AF = 0x12FF;
    rig.step({0xAF});  // XOR A
    EXPECT_EQ(rig.s().AF, 0x0044u);
    rig.s().AF = 0x80FF;
    rig.step({0xB7});  // OR A
    EXPECT_EQ(rig.s().AF, 0x8080u);
    rig.s().AF = 0x00FF;
    rig.step({0xA7});  // AND A
    EXPECT_EQ(rig.s().AF, 0x0054u);
}

TEST(Z80Flags, BitTest) {
    Z80Rig rig;
    rig.s().AF = 0x8001;
    rig.step({0xCB, 0x7F});  // BIT 7,A
    EXPECT_EQ(rig.f(), 0x91u);
    rig.s().AF = 0x80FE;
    rig.step({0xCB, 0x7F});
    EXPECT_EQ(rig.f(), 0x90u);
    rig.s().AF = 0x0001;
    rig.step({0xCB, 0x47});  // BIT 0,A
    EXPECT_EQ(rig.f(), 0x51u);
    rig.s().AF = 0x0000;
    rig.step({0xCB, 0x47});
    EXPECT_EQ(rig.f(), 0x50u);
    rig.s().AF = 0xFF00;
    rig.step({0xCB, 0x77});  // BIT 6,A set: S stays 0 below bit 7, P/V 0
    EXPECT_EQ(rig.f(), 0x10u);
}

TEST(Z80Flags, CompareAndSubtract) {
    Z80Rig rig;
    rig.s().AF = 0x05FF;
    rig.step({0xFE, 0x05});  // CP 05
    EXPECT_EQ(rig.s().AF, 0x0542u);
    rig.s().AF = 0x4201;
    rig.step({0x9F});  // SBC A,A with C
    EXPECT_EQ(rig.s().AF, 0xFF93u);
    rig.s().AF = 0x77FF;
    rig.step({0x97});  // SUB A
    EXPECT_EQ(rig.s().AF, 0x0042u);
    rig.s().AF = 0x8000;
    rig.step({0xD6, 0x01});  // 80 - 1: overflow, half borrow
    EXPECT_EQ(rig.s().AF, 0x7F16u);
    rig.s().AF = 0x0000;
    rig.step({0xFE, 0x01});  // CP 01 from 0: borrow, S
    EXPECT_EQ(rig.s().AF, 0x0093u);
}

TEST(Z80Flags, Addition) {
    Z80Rig rig;
    rig.s().AF = 0x7F00;
    rig.step({0xC6, 0x01});  // 7F + 1: S, H, overflow
    EXPECT_EQ(rig.s().AF, 0x8094u);
    rig.s().AF = 0xFF00;
    rig.step({0xC6, 0x01});  // FF + 1: Z, H, C
    EXPECT_EQ(rig.s().AF, 0x0051u);
    rig.s().AF = 0x0E01;
    rig.step({0xCE, 0x01});  // ADC 0E + 1 + C = 10: H
    EXPECT_EQ(rig.s().AF, 0x1010u);
    rig.s().AF = 0x2800;
    rig.step({0xC6, 0x00});  // bits 3 and 5 of the result never reach F
    EXPECT_EQ(rig.f(), 0u);
}

TEST(Z80Flags, IncrementAndDecrementKeepCarry) {
    Z80Rig rig;
    rig.s().AF = 0x0001;
    rig.s().BC = 0x7F00;
    rig.step({0x04});  // INC B to 80
    EXPECT_EQ(rig.s().BC, 0x8000u);
    EXPECT_EQ(rig.f(), 0x95u);
    rig.step({0x05});  // DEC B from 80
    EXPECT_EQ(rig.f(), 0x17u);
    rig.s().AF = 0x0000;
    rig.s().HL = 0x5000;
    rig.bus.memory[0x5000] = 0x01;
    rig.step({0x35});  // DEC (HL) to 0
    EXPECT_EQ(rig.bus.memory[0x5000], 0);
    EXPECT_EQ(rig.f(), 0x42u);
    rig.step({0x34});  // INC (HL) from 0
    EXPECT_EQ(rig.f(), 0x00u);
}

TEST(Z80Flags, SixteenBitArithmetic) {
    Z80Rig rig;
    rig.s().AF = 0x00C4 | 0x28;  // S, Z, P/V and bits 3, 5 set before
    rig.s().HL = 0x0FFF;
    rig.s().DE = 0x0001;
    rig.step({0x19});  // ADD HL,DE
    EXPECT_EQ(rig.s().HL, 0x1000u);
    EXPECT_EQ(rig.f(), 0xD4u);
    rig.s().HL = 0xFFFF;
    rig.step({0x23});  // INC HL wraps, flags alone
    EXPECT_EQ(rig.s().HL, 0u);
    EXPECT_EQ(rig.f(), 0xD4u);
    rig.s().AF = 0x0001;
    rig.s().HL = 0x8000;
    rig.s().BC = 0x0000;
    rig.step({0xED, 0x42});  // SBC HL,BC: 8000 - 0 - 1 = 7FFF, overflow
    EXPECT_EQ(rig.s().HL, 0x7FFFu);
    EXPECT_EQ(rig.f(), 0x16u);
    rig.s().AF = 0x0001;
    rig.s().HL = 0xFFFF;
    rig.step({0xED, 0x4A});  // ADC HL,BC: FFFF + 0 + 1 = 0, Z, H, C
    EXPECT_EQ(rig.s().HL, 0u);
    EXPECT_EQ(rig.f(), 0x51u);
    rig.s().AF = 0;
    rig.s().HL = 0x7FFF;
    rig.s().DE = 0x0001;
    rig.step({0xED, 0x5A});  // ADC HL,DE: 8000, S, H, overflow
    EXPECT_EQ(rig.f(), 0x94u);
}

TEST(Z80Flags, AccumulatorOperationsKeepBitsThreeAndFive) {
    Z80Rig rig;
    rig.s().AF = 0x0028;
    rig.step({0x37});  // SCF
    EXPECT_EQ(rig.f(), 0x29u);
    rig.step({0x3F});  // CCF: H takes the old C
    EXPECT_EQ(rig.f(), 0x38u);
    rig.s().AF = 0x81EE;  // everything but C and H... set
    rig.step({0x07});     // RLCA: 81 -> 03, C 1, H and N 0
    EXPECT_EQ(rig.s().AF, 0x03EDu);
    rig.s().AF = 0x0100;
    rig.step({0x1F});  // RRA: 01 -> 00, C 1
    EXPECT_EQ(rig.s().AF, 0x0001u);
    rig.step({0x17});  // RLA: carry in
    EXPECT_EQ(rig.s().AF, 0x0100u);
    rig.s().AF = 0x5A00;
    rig.step({0x2F});  // CPL
    EXPECT_EQ(rig.s().AF, 0xA512u);
}

TEST(Z80Flags, NegAndItsCopies) {
    for (std::uint8_t op :
         std::initializer_list<std::uint8_t>{0x44, 0x4C, 0x54, 0x5C, 0x64, 0x6C, 0x74, 0x7C}) {
        Z80Rig rig;
        rig.s().AF = 0x8000;
        EXPECT_EQ(rig.step({0xED, op}), 8);
        EXPECT_EQ(rig.s().AF, 0x8087u) << int(op);  // S, P/V, N, C
        rig.s().AF = 0x0000;
        rig.step({0xED, op});
        EXPECT_EQ(rig.s().AF, 0x0042u);
        rig.s().AF = 0x0100;
        rig.step({0xED, op});
        EXPECT_EQ(rig.s().AF, 0xFF93u);
    }
}

TEST(Z80Flags, RotatesAndShiftsOfThePageCb) {
    Z80Rig rig;
    struct Case {
        std::uint8_t op;
        std::uint8_t in;
        std::uint8_t carryIn;
        std::uint8_t out;
        std::uint8_t flags;
    };
    const Case cases[] = {
        {0x00, 0x81, 0, 0x03, 0x05},  // RLC B
        {0x08, 0x01, 0, 0x80, 0x81},  // RRC B
        {0x10, 0x80, 0, 0x00, 0x45},  // RL B
        {0x18, 0x01, 1, 0x80, 0x81},  // RR B
        {0x20, 0x81, 0, 0x02, 0x01},  // SLA B
        {0x28, 0x81, 0, 0xC0, 0x85},  // SRA B
        {0x30, 0x81, 0, 0x03, 0x05},  // SLL B: bit 0 becomes 1
        {0x38, 0x81, 0, 0x40, 0x01},  // SRL B
    };
    for (const Case& c : cases) {
        rig.s().BC = static_cast<std::uint32_t>(c.in) << 8;
        rig.s().AF = 0x00FE | c.carryIn;
        rig.step({0xCB, c.op});
        EXPECT_EQ(rig.s().BC >> 8, c.out) << int(c.op);
        EXPECT_EQ(rig.f(), c.flags) << int(c.op);
    }
}

TEST(Z80Flags, RldRrdAndLoadsOfIAndR) {
    Z80Rig rig;
    rig.s().HL = 0x5000;
    rig.bus.memory[0x5000] = 0x34;
    rig.s().AF = 0x1201;
    rig.step({0xED, 0x6F});  // RLD
    EXPECT_EQ(rig.a(), 0x13u);
    EXPECT_EQ(rig.bus.memory[0x5000], 0x42);
    EXPECT_EQ(rig.f(), 0x01u);
    rig.step({0xED, 0x67});  // RRD undoes it
    EXPECT_EQ(rig.a(), 0x12u);
    EXPECT_EQ(rig.bus.memory[0x5000], 0x34);
    EXPECT_EQ(rig.f(), 0x05u);
    rig.s().I = 0x80;
    rig.s().IFF2 = 1;
    rig.s().AF = 0x00FF;
    rig.step({0xED, 0x57});  // LD A,I: P/V from IFF2, C kept
    EXPECT_EQ(rig.s().AF, 0x8085u);
    rig.s().IFF2 = 0;
    rig.step({0xED, 0x47});  // LD I,A
    EXPECT_EQ(rig.s().I, 0x80u);
    rig.step({0xED, 0x57});
    EXPECT_EQ(rig.f(), 0x81u);
}

TEST(Z80Flags, InputThroughC) {
    Z80Rig rig;
    rig.bus.portValues[0x10] = 0x00;
    rig.s().BC = 0x0510;
    rig.s().AF = 0x00FF;
    rig.step({0xED, 0x58});  // IN E,(C)
    EXPECT_EQ(rig.s().DE & 0xFF, 0u);
    EXPECT_EQ(rig.f(), 0x45u);
    rig.bus.portValues[0x10] = 0x81;
    rig.step({0xED, 0x70});  // IN F,(C): flags only
    EXPECT_EQ(rig.f(), 0x85u);
    EXPECT_EQ(rig.s().HL, 0u);
    EXPECT_EQ(rig.a(), 0u);
    rig.s().AF = 0x7700;
    rig.step({0xDB, 0x10});  // IN A,(n): port A*256+n, no flags
    EXPECT_EQ(rig.s().AF, 0x8100u);
}

}  // namespace vantorel::test
