// The execution loop: budgets, fetch order, R counting, undefined opcodes,
// reset and the idle-loop shortcut.
#include <gtest/gtest.h>

#include <cstring>

#include "z80_test_support.h"

namespace vantorel::test {

using Kind = RecordingBus::Kind;
using Access = RecordingBus::Access;

TEST(Z80Loop, BudgetZeroOrNegativeRunsExactlyOneInstruction) {
    Z80Rig rig;
    EXPECT_EQ(rig.cpu.runZ80(0), 4);
    EXPECT_EQ(rig.cpu.cyclesLeft(), -4);
    EXPECT_EQ(rig.s().PC, 1u);
    EXPECT_EQ(rig.cpu.runZ80(-5), 4);
    EXPECT_EQ(rig.cpu.cyclesLeft(), -9);
    EXPECT_EQ(rig.s().PC, 2u);
    EXPECT_EQ(rig.bus.tstates, 8u);
}

TEST(Z80Loop, LastInstructionOvershootsAndNothingCarriesOver) {
    Z80Rig rig;
    rig.load(0, {0x00, 0xDD, 0xCB, 0x05, 0x06});  // NOP; RLC (IX+5): 23 cycles
    EXPECT_EQ(rig.cpu.runZ80(5), 27);             // NOP leaves 1, DD CB overshoots by 22
    EXPECT_EQ(rig.cpu.cyclesLeft(), -22);
    EXPECT_EQ(rig.bus.tstates, 27u);
    EXPECT_EQ(rig.cpu.runZ80(8), 8);  // two NOPs from its own budget
    EXPECT_EQ(rig.s().PC, 7u);
}

TEST(Z80Loop, StopsAsSoonAsTheBudgetIsSpent) {
    Z80Rig rig;  // memory is all NOPs
    EXPECT_EQ(rig.cpu.runZ80(400), 400);
    EXPECT_EQ(rig.s().PC, 100u);
    EXPECT_EQ(rig.s().R, 100u);
    EXPECT_EQ(rig.cpu.lastOpcodeAddress(), 99);
}

TEST(Z80Loop, HugeBudgetsCannotOverflowTheArithmetic) {
    Z80Rig rig;
    rig.load(0, {0xC3, 0x00, 0x00});  // JP 0000: gives the budget up
    EXPECT_EQ(rig.cpu.runZ80(INT32_MAX), Z80<FlatBus>::kMaxBudget);
    rig.s().PC = 0x100;
    EXPECT_EQ(rig.cpu.runZ80(INT32_MIN), 4);
}

TEST(Z80Loop, PcWrapsFromFFFFToZero) {
    Z80Rig rig;
    rig.s().PC = 0xFFFF;
    rig.load(0xFFFF, {0x3E});  // LD A,n with n at 0000
    rig.load(0x0000, {0x5A});
    rig.cpu.runZ80(0);
    EXPECT_EQ(rig.a(), 0x5Au);
    EXPECT_EQ(rig.s().PC, 1u);
}

TEST(Z80Loop, PushWithStackPointerZeroWritesAtTheTopOfMemory) {
    Z80Rig rig;
    rig.s().SP = 0x0000;
    rig.s().BC = 0x1234;
    rig.step({0xC5});  // PUSH BC
    EXPECT_EQ(rig.s().SP, 0xFFFEu);
    EXPECT_EQ(rig.bus.memory[0xFFFE], 0x34);
    EXPECT_EQ(rig.bus.memory[0xFFFF], 0x12);
    rig.step({0xD1});  // POP DE wraps back to 0000
    EXPECT_EQ(rig.s().DE, 0x1234u);
    EXPECT_EQ(rig.s().SP, 0x0000u);
}

TEST(Z80Loop, ResetState) {
    Z80Rig rig;
    Z80State& s = rig.s();
    s.AF = 0x1234;
    s.IFF1 = s.IFF2 = 1;
    s.IM = 2;
    s.halted = 1;
    s.irqVector = 0x38;
    s.nmiPending = 1;
    s.R = 77;
    rig.cpu.runZ80(0);
    const std::int32_t lastOpcode = rig.cpu.lastOpcodeAddress();
    rig.cpu.resetZ80();
    Z80State expected{};
    expected.SP = 0xF000;
    expected.irqVector = kNoInterruptRequest;
    Z80State actual{};
    rig.cpu.getZ80Registers(actual);
    EXPECT_EQ(std::memcmp(&actual, &expected, sizeof actual), 0);
    EXPECT_EQ(rig.cpu.lastOpcodeAddress(), lastOpcode);
}

TEST(Z80Loop, SetRegistersCopiesTheRecordAndKeepsPairsSixteenBits) {
    Z80Rig rig;
    Z80State in{};
    in.AF = 0x1FF00;
    in.PC = 0x12345;
    in.I = 0x1AB;
    in.R = 0x12345678;
    in.irqVector = 0x38;
    in.nmiPending = 5;
    rig.cpu.setZ80Registers(in);
    Z80State out{};
    rig.cpu.getZ80Registers(out);
    EXPECT_EQ(out.AF, 0xFF00u);
    EXPECT_EQ(out.PC, 0x2345u);
    EXPECT_EQ(out.I, 0xABu);
    EXPECT_EQ(out.R, 0x12345678u);
    EXPECT_EQ(out.irqVector, 0x38u);
    EXPECT_EQ(out.nmiPending, 5u);
    EXPECT_EQ(rig.cpu.cyclesLeft(), 0);
}

TEST(Z80Loop, JpReadsTheHighByteFirst) {
    RecordingRig rig;
    rig.load(0, {0xC3, 0x34, 0x12});
    rig.cpu.runZ80(0);
    const std::vector<Access> expected = {{Kind::Fetch, 0}, {Kind::Fetch, 2}, {Kind::Fetch, 1}};
    EXPECT_EQ(rig.bus.accesses, expected);
    EXPECT_EQ(rig.s().PC, 0x1234u);
}

TEST(Z80Loop, ConditionsNotMetReadNoOperand) {
    RecordingRig rig;
    rig.setF(kFlagZ);
    rig.load(0, {0xC2, 0x34, 0x12,  // JP NZ,1234
                 0xC4, 0x34, 0x12,  // CALL NZ,1234
                 0x20, 0x10,        // JR NZ,+10
                 0x06, 0x01,        // LD B,1
                 0x10, 0x10});      // DJNZ +10
    EXPECT_EQ(rig.cpu.runZ80(0), 10);
    EXPECT_EQ(rig.cpu.runZ80(0), 10);
    EXPECT_EQ(rig.cpu.runZ80(0), 7);
    rig.cpu.runZ80(0);
    rig.bus.accesses.clear();
    EXPECT_EQ(rig.cpu.runZ80(0), 8);
    const std::vector<Access> djnz = {{Kind::Fetch, 10}};
    EXPECT_EQ(rig.bus.accesses, djnz);
    EXPECT_EQ(rig.s().PC, 12u);
    EXPECT_EQ(rig.s().R, 5u);
}

TEST(Z80Loop, CallFetchesTheTargetThenPushesTheReturnAddress) {
    RecordingRig rig;
    rig.s().SP = 0x8000;
    rig.load(0x0100, {0xCD, 0x00, 0x20});
    rig.s().PC = 0x0100;
    EXPECT_EQ(rig.cpu.runZ80(0), 17);
    const std::vector<Access> expected = {{Kind::Fetch, 0x100},
                                          {Kind::Fetch, 0x101},
                                          {Kind::Fetch, 0x102},
                                          {Kind::Write, 0x7FFE},
                                          {Kind::Write, 0x7FFF}};
    EXPECT_EQ(rig.bus.accesses, expected);
    EXPECT_EQ(rig.bus.memory[0x7FFE], 0x03);
    EXPECT_EQ(rig.bus.memory[0x7FFF], 0x01);
    rig.bus.accesses.clear();
    rig.load(0x2000, {0xC9});  // RET pops the high byte first
    EXPECT_EQ(rig.cpu.runZ80(0), 10);
    const std::vector<Access> pop = {
        {Kind::Fetch, 0x2000}, {Kind::Read, 0x7FFF}, {Kind::Read, 0x7FFE}};
    EXPECT_EQ(rig.bus.accesses, pop);
    EXPECT_EQ(rig.s().PC, 0x0103u);
}

TEST(Z80Loop, ExSpHlReadsTheWordThenWritesHl) {
    RecordingRig rig;
    rig.s().SP = 0x4000;
    rig.s().HL = 0xBEEF;
    rig.load(0x4000, {0x34, 0x12});
    rig.step({0xE3});
    const std::vector<Access> expected = {{Kind::Fetch, 0},
                                          {Kind::Read, 0x4000},
                                          {Kind::Read, 0x4001},
                                          {Kind::Write, 0x4000},
                                          {Kind::Write, 0x4001}};
    EXPECT_EQ(rig.bus.accesses, expected);
    EXPECT_EQ(rig.s().HL, 0x1234u);
    EXPECT_EQ(rig.bus.memory[0x4000], 0xEF);
}

TEST(Z80Loop, DroppedIndexPrefixCostsNothingAndCountsR) {
    Z80Rig rig;
    EXPECT_EQ(rig.step({0xDD, 0x00}), 0);  // the prefix alone is a step of 0 cycles
    EXPECT_EQ(rig.s().PC, 1u);
    EXPECT_EQ(rig.s().R, 2u);
    EXPECT_EQ(rig.cpu.runZ80(0), 4);  // then NOP as its own step
    EXPECT_EQ(rig.s().PC, 2u);
    EXPECT_EQ(rig.s().R, 3u);
}

TEST(Z80Loop, DroppedPrefixLeavesTheNextPrefixToRun) {
    Z80Rig rig;
    rig.s().IY = 0x1000;
    rig.load(0, {0xDD, 0xFD, 0x21, 0x34, 0x12});  // DD dropped, then LD IY,1234
    EXPECT_EQ(rig.cpu.runZ80(1), 14);
    EXPECT_EQ(rig.s().IY, 0x1234u);
    EXPECT_EQ(rig.s().IX, 0u);
    EXPECT_EQ(rig.s().R, 4u);
    rig.s().PC = 0x10;
    rig.s().HL = 0;
    rig.load(0x10, {0xDD, 0x76});  // DD HALT: HALT runs unprefixed
    rig.cpu.runZ80(100);
    EXPECT_EQ(rig.s().halted, 1u);
    EXPECT_EQ(rig.s().PC, 0x11u);
}

TEST(Z80Loop, IndexBitInstructionAdvancesPcByFourAndRByTwo) {
    Z80Rig rig;
    rig.s().IX = 0x3000;
    rig.bus.memory[0x3005] = 0x80;
    EXPECT_EQ(rig.step({0xDD, 0xCB, 0x05, 0x06}), 23);  // RLC (IX+5)
    EXPECT_EQ(rig.s().PC, 4u);
    EXPECT_EQ(rig.s().R, 2u);
    EXPECT_EQ(rig.bus.memory[0x3005], 0x01);
    EXPECT_EQ(rig.cpu.lastOpcodeAddress(), 0);
}

TEST(Z80Loop, IndexBitInstructionReadsOpBeforeDisplacement) {
    RecordingRig rig;
    rig.s().IY = 0x3000;
    rig.step({0xFD, 0xCB, 0xFE, 0xC6});  // SET 0,(IY-2)
    const std::vector<Access> expected = {{Kind::Fetch, 0},     {Kind::Fetch, 1},
                                          {Kind::Fetch, 3},     {Kind::Fetch, 2},
                                          {Kind::Read, 0x2FFE}, {Kind::Write, 0x2FFE}};
    EXPECT_EQ(rig.bus.accesses, expected);
    EXPECT_EQ(rig.bus.memory[0x2FFE], 0x01);
}

TEST(Z80Loop, RCountsOpcodeFetchesAndLdRaSetsBitSeven) {
    Z80Rig rig;
    rig.load(0, {0xCB, 0x00, 0xED, 0x44, 0xFD, 0x23, 0x00});
    rig.cpu.runZ80(40);  // RLC B, NEG, INC IY, NOP...
    EXPECT_GE(rig.s().R, 7u);
    rig.cpu.resetZ80();
    rig.setA(0x85);
    rig.load(0, {0xED, 0x4F, 0x00, 0x00, 0xED, 0x5F});  // LD R,A; NOP; NOP; LD A,R
    rig.cpu.runZ80(1);
    EXPECT_EQ(rig.s().R, 0x85u);
    EXPECT_EQ(rig.s().rBit7, 0x85u);
    rig.setA(0);
    rig.cpu.runZ80(8);
    rig.cpu.runZ80(0);
    EXPECT_EQ(rig.a(), 0x89u);  // 85 + 2 NOPs + 2 for LD A,R, bit 7 from the LD R,A
    rig.s().R = 0xFF;           // R's bit 7 stays the stored one as bits 0-6 wrap
    rig.s().PC = 4;
    rig.cpu.runZ80(0);
    EXPECT_EQ(rig.a(), 0x81u);
}

TEST(Z80Loop, JumpToItselfGivesUpTheBudget) {
    Z80Rig rig;
    rig.s().PC = 0x200;
    rig.load(0x200, {0xC3, 0x00, 0x02});
    EXPECT_EQ(rig.cpu.runZ80(30000), 30000);
    EXPECT_EQ(rig.cpu.cyclesLeft(), 0);
    EXPECT_EQ(rig.bus.tstates, 30000u);  // the counter sees the full amount
    EXPECT_EQ(rig.s().PC, 0x200u);
    rig.load(0x300, {0x18, 0xFE});  // JR to itself
    rig.s().PC = 0x300;
    EXPECT_EQ(rig.cpu.runZ80(500), 500);
    EXPECT_EQ(rig.s().R, 2u);
}

TEST(Z80Loop, IdleLoopShortcutRecognisesItsPatterns) {
    Z80Rig rig;
    rig.load(0x100, {0x00, 0xC3, 0x00, 0x01});  // NOP; JP 0100
    rig.s().PC = 0x101;
    EXPECT_EQ(rig.cpu.runZ80(1000), 1000);
    EXPECT_EQ(rig.s().R, 1u);

    rig.load(0x200, {0x31, 0x00, 0x80, 0xC3, 0x00, 0x02});  // LD SP,8000; JP 0200
    rig.s().PC = 0x203;
    rig.s().R = 0;
    EXPECT_EQ(rig.cpu.runZ80(1000), 1000);  // JP leaves 10, LD SP runs, done
    EXPECT_EQ(rig.s().R, 2u);
    EXPECT_EQ(rig.s().PC, 0x203u);

    rig.load(0x300, {0xFB, 0xC3, 0x00, 0x03});  // EI; JP 0300
    rig.s().PC = 0x301;
    EXPECT_EQ(rig.cpu.runZ80(1000), 1000 - 4 + 14);  // 4 left, then EI runs JP too
    EXPECT_EQ(rig.s().PC, 0x300u);

    rig.load(0x400, {0xFB, 0x18, 0xFD});  // EI; JR 0400
    rig.s().PC = 0x401;
    rig.s().IFF1 = 0;
    EXPECT_EQ(rig.cpu.runZ80(1000), 1000 - 4 + 16);
}

TEST(Z80Loop, IdleShortcutIgnoresOtherJumps) {
    Z80Rig rig;
    rig.load(0x100, {0x01, 0xC3, 0x00, 0x01});  // LD BC,n is not a NOP
    rig.s().PC = 0x101;
    EXPECT_EQ(rig.cpu.runZ80(20), 20);  // JP 10, LD BC,xx01 10
    EXPECT_EQ(rig.s().PC, 0x103u);
    // EI; JP 0200 while a request is pending: no shortcut. The request (a NOP
    // on the bus in mode 0) is taken after EI's JP; then the shortcut applies.
    rig.load(0x200, {0xFB, 0xC3, 0x00, 0x02});
    rig.s().PC = 0x201;
    rig.s().irqVector = 0x00;
    EXPECT_EQ(rig.cpu.runZ80(40), 42);  // JP 10, EI+JP+NOP 18, EI+JP 14
    EXPECT_EQ(rig.s().irqVector, kNoInterruptRequest);
    rig.load(0x300, {0xCA, 0x00, 0x03});  // JP Z to itself: no shortcut
    rig.s().PC = 0x300;
    rig.setF(kFlagZ);
    rig.s().irqVector = kNoInterruptRequest;
    EXPECT_EQ(rig.cpu.runZ80(25), 30);
}

// A processor put away (runState) and made again over the same bus goes on
// exactly as one that ran the whole time: registers, pending interrupts,
// the run fields and the T-state count.
TEST(Z80Loop, AProcessorMadeAgainFromItsRunStateGoesOnAsIfItHadRunThrough) {
    Z80Rig whole;
    Z80Rig split;
    for (Z80Rig* rig : {&whole, &split}) {
        // EI; IM 1; then a loop that counts in B and C through the stack.
        rig->load(0, {0xFB, 0xED, 0x56, 0x04, 0xC5, 0xC1, 0x0C, 0xC3, 0x03, 0x00});
        rig->load(0x38, {0xED, 0x4D});  // RETI
        rig->s().SP = 0x8000;
    }
    whole.cpu.runZ80(500);
    whole.cpu.state().irqVector = 0xFF;
    whole.cpu.runZ80(700);

    split.cpu.runZ80(500);
    const Z80RunState putAway = split.cpu.runState();
    EXPECT_EQ(putAway.cyclesLeft, split.cpu.cyclesLeft());
    EXPECT_EQ(putAway.lastOpcodeAddress, split.cpu.lastOpcodeAddress());
    Z80<FlatBus> again{split.bus, putAway};
    again.state().irqVector = 0xFF;
    again.runZ80(700);

    const Z80RunState a = whole.cpu.runState();
    const Z80RunState b = again.runState();
    EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);
    EXPECT_EQ(whole.bus.tstates, split.bus.tstates);
    EXPECT_EQ(whole.bus.retiCount, 1u);
    EXPECT_EQ(split.bus.retiCount, 1u);
}

}  // namespace vantorel::test
