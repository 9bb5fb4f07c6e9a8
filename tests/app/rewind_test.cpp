// Rewind: held, the rewind key steps the machine back through its timeline
// at once and then two frames every due pass (twice real speed), making no
// sound; let go, frames go on from there and what came after is dropped.
// Rewind 10 Seconds jumps back, to the start at most. The title says how
// far back the timeline reaches.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "app/rewind_text.h"
#include "support/test_machine.h"

namespace vantorel {
namespace {

using testing::TestMachine;

std::uint64_t hashOf(const MachineState& state) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&state);
    std::uint64_t hash = 1469598103934665603ull;
    for (std::size_t i = 0; i < sizeof state; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
    return hash;
}

// 300 paced frames, a key held on the host now and then; the state at every
// frame boundary by its position on the timeline.
std::map<std::int64_t, std::uint64_t> runPaced(TestMachine& test, int frames) {
    std::map<std::int64_t, std::uint64_t> states;
    FrameScheduler& scheduler = test.scheduler;
    for (int i = 0; i < frames; ++i) {
        test.keys.states.fill(0);
        if (i % 40 < 4) test.keys.press('Q');
        states[scheduler.timeline().position()] = hashOf(test.machine.state());
        test.nextFrameTime();
        EXPECT_TRUE(scheduler.runPass().frameRan);
    }
    states[scheduler.timeline().position()] = hashOf(test.machine.state());
    return states;
}

TEST(Rewind, HeldStepsBackAtOnceThenTwoFramesEveryDuePassWithoutSound) {
    TestMachine test;
    FrameScheduler& scheduler = test.scheduler;
    const auto states = runPaced(test, 300);
    const Timeline& timeline = scheduler.timeline();
    ASSERT_EQ(timeline.position(), 300);
    const std::size_t framesEnded = static_cast<std::size_t>(test.speaker.framesEnded);

    EXPECT_TRUE(scheduler.setRewinding(true));  // the first frame back comes at once
    EXPECT_EQ(timeline.position(), 298);
    EXPECT_EQ(hashOf(test.machine.state()), states.at(298));
    EXPECT_FALSE(scheduler.runPass().frameRan) << "nothing due yet";
    EXPECT_EQ(timeline.position(), 298);
    for (int pass = 0; pass < 100; ++pass) {  // past the two seconds the store holds
        test.nextFrameTime();
        const FramePass done = scheduler.runPass();
        EXPECT_FALSE(done.frameRan);
        EXPECT_TRUE(done.screenDue);
        ASSERT_EQ(timeline.position(), 296 - 2 * pass);
        ASSERT_EQ(hashOf(test.machine.state()), states.at(timeline.position())) << pass;
    }
    EXPECT_EQ(static_cast<std::size_t>(test.speaker.framesEnded), framesEnded) << "no sound";
    EXPECT_EQ(rewindTitleText(timeline, 60), "Rewind 0:01 / 0:05");

    // Let go: the machine goes on from frame 98, the way it went the first
    // time with the same keys, and the frames after it are dropped.
    scheduler.setRewinding(false);
    test.keys.states.fill(0);
    test.nextFrameTime();
    EXPECT_TRUE(scheduler.runPass().frameRan);
    EXPECT_EQ(timeline.position(), 99);
    EXPECT_EQ(timeline.end(), 99);
    EXPECT_EQ(hashOf(test.machine.state()), states.at(99));
}

TEST(Rewind, TenSecondsBackStopsAtTheStartAndNothingToGoBackToIsSaid) {
    TestMachine test;
    FrameScheduler& scheduler = test.scheduler;
    EXPECT_FALSE(scheduler.rewindSeconds(10)) << "no timeline yet";
    EXPECT_FALSE(scheduler.setRewinding(true));
    scheduler.setRewinding(false);
    const auto states = runPaced(test, 900);
    EXPECT_TRUE(scheduler.rewindSeconds(10));
    EXPECT_EQ(scheduler.timeline().position(), 300);
    EXPECT_EQ(hashOf(test.machine.state()), states.at(300));
    EXPECT_TRUE(scheduler.rewindSeconds(10));
    EXPECT_EQ(scheduler.timeline().position(), 0);
    EXPECT_EQ(hashOf(test.machine.state()), states.at(0));
    EXPECT_FALSE(scheduler.rewindSeconds(10));
}

TEST(Rewind, TimeTextsCountMinutesAndHours) {
    EXPECT_EQ(emulatedTimeText(0, 60), "0:00");
    EXPECT_EQ(emulatedTimeText(65 * 50, 50), "1:05");
    EXPECT_EQ(emulatedTimeText(std::int64_t{3723} * 60, 60), "1:02:03");
}

}  // namespace
}  // namespace vantorel
