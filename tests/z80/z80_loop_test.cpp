// The execution loop: budgets, fetch order, R counting, undefined opcodes,
// reset and the idle-loop shortcut.
#include <gtest/gtest.h>

#include "z80_test_support.h"

namespace vantorel::test {

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

}  // namespace vantorel::test
