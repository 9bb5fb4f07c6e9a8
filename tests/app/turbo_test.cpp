// Turbo: frames run on every pass whatever the clock says, with their own
// T-states and no frame sound, and the clock paces them again once it ends.
#include <gtest/gtest.h>

#include "support/test_machine.h"

namespace vantorel {
namespace {

TEST(Turbo, FramesRunBackToBackWithoutSoundUntilItEnds) {
    testing::TestMachine test;
    Machine& machine = test.machine;
    FrameScheduler& scheduler = test.scheduler;
    test.nextFrameTime();
    scheduler.runPass();
    const std::size_t soundFrames = test.speaker.frameStarts.size();
    const std::uint32_t before = machine.tstateCounter();
    scheduler.setTurbo(true);
    EXPECT_TRUE(scheduler.runsBackToBack());
    for (int frame = 0; frame < 10; ++frame) scheduler.runPass();  // the clock stands still
    EXPECT_GE(machine.tstateCounter() - before, 10u * 35106u);
    EXPECT_EQ(test.speaker.frameStarts.size(), soundFrames);
    scheduler.setTurbo(false);
    const std::uint32_t after = machine.tstateCounter();
    scheduler.runPass();
    scheduler.runPass();
    EXPECT_EQ(machine.tstateCounter(), after);  // no frame is due yet
    test.nextFrameTime();
    scheduler.runPass();
    EXPECT_GT(machine.tstateCounter(), after);
    EXPECT_EQ(test.speaker.frameStarts.size(), soundFrames + 1);
}

}  // namespace
}  // namespace vantorel
