// Block instructions: one iteration per step, repeats by stepping PC back.
#include <gtest/gtest.h>

#include <vector>

#include "z80_test_support.h"

namespace vantorel::test {

namespace {

// Runs steps until PC leaves the two-byte instruction at 0; returns the
// cycles of each step.
std::vector<std::int32_t> runBlock(Z80Rig& rig) {
    std::vector<std::int32_t> steps;
    do {
        steps.push_back(rig.cpu.runZ80(0));
    } while (rig.s().PC == 0 && steps.size() < 1000);
    return steps;
}

}  // namespace

TEST(Z80Block, LdirRunsOneStepPerByte) {
    Z80Rig rig;
    rig.load(0, {0xED, 0xB0});
    rig.load(0x4000, {1, 2, 3});
    rig.s().HL = 0x4000;
    rig.s().DE = 0x5000;
    rig.s().BC = 0x0003;
    rig.s().AF = 0x00FF;
    EXPECT_EQ(runBlock(rig), (std::vector<std::int32_t>{21, 21, 16}));
    EXPECT_EQ(rig.bus.memory[0x5000], 1);
    EXPECT_EQ(rig.bus.memory[0x5002], 3);
    EXPECT_EQ(rig.s().HL, 0x4003u);
    EXPECT_EQ(rig.s().DE, 0x5003u);
    EXPECT_EQ(rig.s().BC, 0u);
    EXPECT_EQ(rig.f(), 0xE9u);  // H, N and P/V 0; S, Z, 5, 3, C kept
    EXPECT_EQ(rig.s().R, 6u);
    EXPECT_EQ(rig.bus.tstates, 58u);
}

TEST(Z80Block, LdirCanBeCutByTheBudgetAndResumes) {
    Z80Rig rig;
    rig.load(0, {0xED, 0xB0});
    rig.s().HL = 0x4000;
    rig.s().DE = 0x5000;
    rig.s().BC = 0x0010;
    EXPECT_EQ(rig.cpu.runZ80(30), 42);
    EXPECT_EQ(rig.s().BC, 0x000Eu);
    EXPECT_EQ(rig.s().PC, 0u);
    EXPECT_EQ(rig.cpu.runZ80(13 * 21 + 16), 13 * 21 + 16);  // exactly the rest
    EXPECT_EQ(rig.s().BC, 0u);
    EXPECT_EQ(rig.s().PC, 2u);
}

TEST(Z80Block, LddAndLdiSingle) {
    Z80Rig rig;
    rig.s().HL = 0x4000;
    rig.s().DE = 0x5000;
    rig.s().BC = 0x0002;
    rig.bus.memory[0x4000] = 0xAB;
    EXPECT_EQ(rig.step({0xED, 0xA8}), 16);  // LDD
    EXPECT_EQ(rig.bus.memory[0x5000], 0xAB);
    EXPECT_EQ(rig.s().HL, 0x3FFFu);
    EXPECT_EQ(rig.s().DE, 0x4FFFu);
    EXPECT_EQ(rig.f() & kFlagPV, kFlagPV);  // BC still 1
    EXPECT_EQ(rig.s().PC, 2u);
}

TEST(Z80Block, CpirStopsOnAMatch) {
    Z80Rig rig;
    rig.load(0, {0xED, 0xB1});
    rig.load(0x4000, {9, 8, 7, 6});
    rig.s().HL = 0x4000;
    rig.s().BC = 0x0010;
    rig.s().AF = 0x0701;
    EXPECT_EQ(runBlock(rig), (std::vector<std::int32_t>{21, 21, 16}));
    EXPECT_EQ(rig.s().HL, 0x4003u);
    EXPECT_EQ(rig.s().BC, 0x000Du);
    EXPECT_EQ(rig.f(), 0x47u);  // Z, P/V (BC not 0), N, C kept
}

TEST(Z80Block, CpdrStopsWhenBcRunsOut) {
    Z80Rig rig;
    rig.load(0, {0xED, 0xB9});
    rig.s().HL = 0x4001;
    rig.s().BC = 0x0002;
    rig.s().AF = 0x0100;  // compared with 0 bytes: 1 - 0, never equal
    EXPECT_EQ(runBlock(rig), (std::vector<std::int32_t>{21, 16}));
    EXPECT_EQ(rig.s().HL, 0x3FFFu);
    EXPECT_EQ(rig.f(), 0x02u);
}

TEST(Z80Block, InirReadsPortBcAndEndsWithZ) {
    Z80Rig rig;
    rig.load(0, {0xED, 0xB2});
    rig.bus.portValues[0x20] = 0x5A;
    rig.s().BC = 0x0120;
    rig.s().HL = 0x6000;
    rig.s().AF = 0x00FF;
    EXPECT_EQ(runBlock(rig), (std::vector<std::int32_t>{16}));
    EXPECT_EQ(rig.bus.memory[0x6000], 0x5A);
    EXPECT_EQ(rig.s().BC, 0x0020u);
    EXPECT_EQ(rig.s().HL, 0x6001u);
    EXPECT_EQ(rig.f(), 0x42u);
}

TEST(Z80Block, OtirWritesWithBBeforeItsDecrement) {
    Z80Rig rig;
    rig.load(0, {0xED, 0xB3});
    rig.load(0x6000, {0x11, 0x22});
    rig.s().BC = 0x0230;
    rig.s().HL = 0x6000;
    EXPECT_EQ(rig.cpu.runZ80(0), 21);
    EXPECT_EQ(rig.bus.lastPortWritten, 0x0230);
    EXPECT_EQ(rig.bus.lastPortValue, 0x11);
    EXPECT_EQ(rig.f(), 0x02u);
    EXPECT_EQ(rig.cpu.runZ80(0), 16);
    EXPECT_EQ(rig.bus.lastPortWritten, 0x0130);
    EXPECT_EQ(rig.bus.lastPortValue, 0x22);
    EXPECT_EQ(rig.f(), 0x42u);
    EXPECT_EQ(rig.s().HL, 0x6002u);
}

TEST(Z80Block, IndrAndOtdrCountDown) {
    Z80Rig rig;
    rig.bus.portValues[0x40] = 0x77;
    rig.s().BC = 0x0240;
    rig.s().HL = 0x6001;
    rig.load(0, {0xED, 0xBA});
    EXPECT_EQ(runBlock(rig), (std::vector<std::int32_t>{21, 16}));
    EXPECT_EQ(rig.bus.memory[0x6000], 0x77);
    EXPECT_EQ(rig.bus.memory[0x6001], 0x77);
    EXPECT_EQ(rig.s().HL, 0x5FFFu);
    rig.s().PC = 0;
    rig.s().BC = 0x0140;
    rig.load(0, {0xED, 0xAB});  // OUTD
    rig.cpu.runZ80(0);
    EXPECT_EQ(rig.s().HL, 0x5FFEu);
    EXPECT_EQ(rig.bus.lastPortWritten, 0x0140);
}

TEST(Z80Block, InterruptIsAcceptedBetweenRepetitions) {
    Z80Rig rig;
    rig.load(0, {0xED, 0xB0});
    rig.s().HL = 0x4000;
    rig.s().DE = 0x5000;
    rig.s().BC = 0x0005;
    rig.s().SP = 0x8000;
    rig.s().IFF1 = rig.s().IFF2 = 1;
    rig.s().IM = 1;
    rig.cpu.runZ80(0);
    rig.s().irqVector = 0xFF;
    EXPECT_EQ(rig.cpu.runZ80(0), 11 + 4);     // RST 38, then the NOP there
    EXPECT_EQ(rig.bus.memory[0x7FFE], 0x00);  // returns to the LDIR at 0000
    EXPECT_EQ(rig.s().BC, 4u);
}

}  // namespace vantorel::test
