// The DD, FD, DD CB and FD CB pages: IX/IY forms, their 8-bit halves, the
// register forms of DD CB and the (IX+d) forms that keep H and L.
#include <gtest/gtest.h>

#include "z80_test_support.h"

namespace vantorel::test {

TEST(Z80Index, BitWithRegisterFieldCopiesTheByteRead) {
    Z80Rig rig;
    rig.s().IX = 0x3000;
    rig.bus.memory[0x3002] = 0x5B;
    rig.s().AF = 0x0001;
    EXPECT_EQ(rig.step({0xDD, 0xCB, 0x02, 0x40}), 20);  // BIT 0,(IX+2) with field B
    EXPECT_EQ(rig.s().BC >> 8, 0x5Bu);
    EXPECT_EQ(rig.f() & kFlagZ, 0u);
    EXPECT_EQ(rig.f(), 0x11u);
    rig.s().BC = 0;
    EXPECT_EQ(rig.step({0xDD, 0xCB, 0x02, 0x46}), 20);  // BIT 0,(IX+2)
    EXPECT_EQ(rig.s().BC, 0u);
    rig.step({0xDD, 0xCB, 0x02, 0x56});  // BIT 2,(IX+2): bit 2 of 5B is 0
    EXPECT_EQ(rig.f(), 0x51u);
}

TEST(Z80Index, RotateWithRegisterFieldWritesMemoryAndRegister) {
    Z80Rig rig;
    rig.s().IX = 0x3000;
    rig.bus.memory[0x3001] = 0x81;
    EXPECT_EQ(rig.step({0xDD, 0xCB, 0x01, 0x00}), 23);  // RLC (IX+1),B
    EXPECT_EQ(rig.bus.memory[0x3001], 0x03);
    EXPECT_EQ(rig.s().BC >> 8, 0x03u);
    EXPECT_EQ(rig.f() & kFlagC, kFlagC);
}

TEST(Z80Index, RegisterFieldsNameTheMainRegistersNeverTheIndexHalves) {
    Z80Rig rig;
    rig.s().IY = 0x3000;
    rig.bus.memory[0x2FFF] = 0x00;
    rig.step({0xFD, 0xCB, 0xFF, 0xC4});  // SET 0,(IY-1),H
    EXPECT_EQ(rig.bus.memory[0x2FFF], 0x01);
    EXPECT_EQ(rig.s().HL, 0x0100u);
    EXPECT_EQ(rig.s().IY, 0x3000u);
    rig.step({0xFD, 0xCB, 0xFF, 0x8F});  // RES 1,(IY-1),A
    EXPECT_EQ(rig.a(), 0x01u);
    rig.step({0xFD, 0xCB, 0xFF, 0x3D});  // SRL (IY-1),L
    EXPECT_EQ(rig.s().HL, 0x0100u);
    EXPECT_EQ(rig.bus.memory[0x2FFF], 0x00);
    EXPECT_EQ(rig.f(), 0x45u);
}

TEST(Z80Index, IndexedFormsKeepHAndL) {
    Z80Rig rig;
    rig.s().IX = 0x4000;
    rig.s().HL = 0x1122;
    rig.bus.memory[0x4003] = 0x99;
    EXPECT_EQ(rig.step({0xDD, 0x66, 0x03}), 19);  // LD H,(IX+3)
    EXPECT_EQ(rig.s().HL, 0x9922u);
    EXPECT_EQ(rig.s().IX, 0x4000u);
    EXPECT_EQ(rig.step({0xDD, 0x75, 0xFE}), 19);  // LD (IX-2),L
    EXPECT_EQ(rig.bus.memory[0x3FFE], 0x22);
    EXPECT_EQ(rig.step({0xDD, 0x36, 0x05, 0xAB}), 19);  // LD (IX+5),n: d, then n
    EXPECT_EQ(rig.bus.memory[0x4005], 0xAB);
    EXPECT_EQ(rig.s().PC, 10u);
}

TEST(Z80Index, HalvesOfIxAndIyAsRegisters) {
    Z80Rig rig;
    rig.s().IX = 0x1234;
    rig.s().IY = 0x5678;
    EXPECT_EQ(rig.step({0xDD, 0x65}), 9);  // LD IXh,IXl
    EXPECT_EQ(rig.s().IX, 0x3434u);
    rig.step({0xFD, 0x6C});  // LD IYl,IYh
    EXPECT_EQ(rig.s().IY, 0x5656u);
    rig.step({0xDD, 0x26, 0x80});  // LD IXh,n
    EXPECT_EQ(rig.s().IX, 0x8034u);
    rig.s().AF = 0;
    rig.step({0xDD, 0x25});  // DEC IXh: from 80, overflow
    EXPECT_EQ(rig.s().IX, 0x7F34u);
    EXPECT_EQ(rig.f(), 0x16u);
    rig.step({0xFD, 0x7D});  // LD A,IYl
    EXPECT_EQ(rig.a(), 0x56u);
    rig.step({0xDD, 0x84});  // ADD A,IXh
    EXPECT_EQ(rig.a(), 0xD5u);
    rig.s().BC = 0x0700;
    rig.step({0xDD, 0x68});  // LD IXl,B
    EXPECT_EQ(rig.s().IX, 0x7F07u);
    EXPECT_EQ(rig.s().HL, 0u);
    EXPECT_EQ(rig.step({0xDD, 0x64}), 9);  // LD IXh,IXh: no change
    EXPECT_EQ(rig.s().IX, 0x7F07u);
}

TEST(Z80Index, SixteenBitIndexInstructions) {
    Z80Rig rig;
    rig.s().SP = 0x8000;
    EXPECT_EQ(rig.step({0xDD, 0x21, 0x00, 0x90}), 14);  // LD IX,9000
    EXPECT_EQ(rig.step({0xDD, 0x29}), 15);              // ADD IX,IX
    EXPECT_EQ(rig.s().IX, 0x2000u);
    EXPECT_EQ(rig.f() & kFlagC, kFlagC);
    EXPECT_EQ(rig.step({0xDD, 0x22, 0x00, 0x50}), 20);  // LD (5000),IX
    EXPECT_EQ(rig.bus.memory[0x5001], 0x20);
    EXPECT_EQ(rig.step({0xFD, 0x2A, 0x00, 0x50}), 20);  // LD IY,(5000)
    EXPECT_EQ(rig.s().IY, 0x2000u);
    EXPECT_EQ(rig.step({0xFD, 0x2B}), 10);  // DEC IY
    EXPECT_EQ(rig.step({0xFD, 0xE5}), 15);  // PUSH IY
    EXPECT_EQ(rig.step({0xDD, 0xE1}), 14);  // POP IX
    EXPECT_EQ(rig.s().IX, 0x1FFFu);
    rig.s().HL = 0x1111;
    EXPECT_EQ(rig.step({0xDD, 0xE3}), 23);  // EX (SP),IX
    EXPECT_EQ(rig.s().HL, 0x1111u);
    EXPECT_EQ(rig.step({0xDD, 0xF9}), 10);  // LD SP,IX
    EXPECT_EQ(rig.s().SP, rig.s().IX);
    rig.s().IY = 0x6000;
    EXPECT_EQ(rig.step({0xFD, 0xE9}), 8);  // JP (IY)
    EXPECT_EQ(rig.s().PC, 0x6000u);
}

TEST(Z80Index, IndexedArithmeticAndIncrement) {
    Z80Rig rig;
    rig.s().IY = 0x4000;
    rig.bus.memory[0x3F80] = 0x7F;
    EXPECT_EQ(rig.step({0xFD, 0x34, 0x80}), 23);  // INC (IY-128)
    EXPECT_EQ(rig.bus.memory[0x3F80], 0x80);
    EXPECT_EQ(rig.f(), 0x94u);
    rig.s().AF = 0x0100;
    EXPECT_EQ(rig.step({0xFD, 0x96, 0x80}), 19);  // SUB (IY-128)
    EXPECT_EQ(rig.s().AF, 0x8187u);
    rig.s().IX = 0xFFFF;
    rig.bus.memory[0x0000] = 0x42;
    rig.step({0xDD, 0x7E, 0x01});  // (IX+d) wraps at 16 bits
    EXPECT_EQ(rig.a(), 0x42u);
}

TEST(Z80Index, EveryUnnamedEntryDropsThePrefix) {
    for (unsigned op = 0; op < 256; ++op) {
        Z80Rig rig;
        const bool named = isIndexInstruction(op);
        rig.load(0, {0xDD, static_cast<std::uint8_t>(op)});
        const std::int32_t cycles = rig.cpu.runZ80(0);
        if (!named) {
            EXPECT_EQ(cycles, 0) << op;
            EXPECT_EQ(rig.s().PC, 1u) << op;
        } else {
            EXPECT_GT(cycles, 0) << op;
        }
    }
}

}  // namespace vantorel::test
