// The frame scheduler: when frames and screen updates are due, and the
// speed meter.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "app/boot.h"
#include "support/test_machine.h"

namespace vantorel {
namespace {

using testing::TestMachine;

// The fake counter runs at 1 MHz: at 60 frames per second a frame period is
// 16666 ticks.
class Pacing : public ::testing::Test {
  protected:
    std::unique_ptr<TestMachine> test = std::make_unique<TestMachine>();
    Machine& machine = test->machine;
    FrameScheduler& scheduler = test->scheduler;
    testing::FakeClock& clock = test->clock;

    std::size_t framesRun() const { return test->speaker.frameStarts.size(); }

    // One pass of the idle path; true when the screen is due.
    bool pass() { return scheduler.runPass().screenDue; }

    // Runs one pass at counter reading `ticks`; true when a frame ran.
    bool passAt(std::int64_t ticks) {
        clock.ticks = ticks;
        const std::size_t before = framesRun();
        const bool ran = scheduler.runPass().frameRan;
        EXPECT_EQ(ran, framesRun() > before) << "the pass says what it did";
        return ran;
    }
};

TEST_F(Pacing, FirstPassRunsAFrameAndTheNextWaitsOnePeriod) {
    EXPECT_EQ(scheduler.pacing().framePeriodTicks(), 16666);
    EXPECT_TRUE(passAt(0));
    EXPECT_FALSE(passAt(0));
    EXPECT_FALSE(passAt(16665));
    EXPECT_TRUE(passAt(16666));
}

TEST_F(Pacing, AStallLongerThanFourFramesRestartsTheScheduleWithoutABurst) {
    EXPECT_TRUE(passAt(0));
    EXPECT_TRUE(passAt(100000));  // six periods late
    EXPECT_FALSE(passAt(100001));
    EXPECT_FALSE(passAt(116665));
    EXPECT_TRUE(passAt(116666));

    // A 200 ms stall in the middle of steady frames: one frame, then the
    // schedule goes on from it.
    for (std::int64_t k = 2; k < 10; ++k) EXPECT_TRUE(passAt(116666 + (k - 1) * 16666));
    const std::int64_t resumed = 116666 + 8 * 16666 + 200'000;
    EXPECT_TRUE(passAt(resumed));
    EXPECT_FALSE(passAt(resumed));
    EXPECT_FALSE(passAt(resumed + 16665));
    EXPECT_TRUE(passAt(resumed + 16666));
    EXPECT_EQ(scheduler.timingStats().stalls(), 2);
}

TEST_F(Pacing, AShortLagIsCaughtUpAtOnceAndTheScheduleKept) {
    EXPECT_TRUE(passAt(0));
    // Woken 3.5 periods late: this frame and the three owed run at once.
    const std::int64_t late = 16666 + 3 * 16666 + 8000;
    int burst = 0;
    while (passAt(late)) ++burst;
    EXPECT_EQ(burst, 4);
    EXPECT_FALSE(passAt(5 * 16666 - 1));
    EXPECT_TRUE(passAt(5 * 16666)) << "still on the schedule started at 0";
    EXPECT_EQ(scheduler.timingStats().stalls(), 0);
}

TEST_F(Pacing, RandomLateWakeUpsKeepTheMeanPeriodExact) {
    std::mt19937 random(17);
    std::uniform_int_distribution<std::int64_t> lateness(0, 5000);  // 0-5 ms
    constexpr int kFrames = 6000;
    std::int64_t now = 0;
    int frames = 0;
    while (frames < kFrames) {
        // The host wakes some time after the frame is due and runs every
        // frame that is due then.
        now = std::max(now, scheduler.pacing().nextFrameTicks()) + lateness(random);
        while (passAt(now)) ++frames;
    }
    // 6000 frames took 6000 periods, give or take the last wake-up.
    EXPECT_GE(now, (kFrames - 1) * 16666);
    EXPECT_LE(now, kFrames * 16666 + 5000);
    EXPECT_NEAR(scheduler.timingStats().meanPeriodMicroseconds(), 16666.0, 1.0);
    EXPECT_NEAR(scheduler.timingStats().speedPercent(), 100.0, 0.05);
    EXPECT_EQ(scheduler.timingStats().stalls(), 0);
    EXPECT_LE(scheduler.timingStats().latenessPercentileMicroseconds(99), 5100);
    EXPECT_EQ(scheduler.speedPercent(), 100);
}

TEST_F(Pacing, AnAskedRestartStartsFromNowAndIsNoStall) {
    EXPECT_TRUE(passAt(0));
    EXPECT_TRUE(passAt(16666));
    scheduler.restartSchedule();  // a menu was open for 2 periods
    EXPECT_TRUE(passAt(16666 * 3 + 500));
    EXPECT_FALSE(passAt(16666 * 4)) << "the frames of the menu's time are not caught up";
    EXPECT_TRUE(passAt(16666 * 4 + 500));
    EXPECT_EQ(scheduler.timingStats().stalls(), 0);
    EXPECT_NEAR(scheduler.timingStats().meanPeriodMicroseconds(), 16666.0, 1.0)
        << "the menu's time is not a frame period";
}

TEST_F(Pacing, FastTurboAndTapeSpeedUpStillRunBackToBackAndResumeWithoutABurst) {
    EXPECT_TRUE(passAt(0));
    scheduler.setTurbo(true);
    EXPECT_TRUE(scheduler.runsBackToBack());
    for (int i = 0; i < 20; ++i) {  // turbo frames make no sound: counted by the scheduler
        clock.ticks = 1000 + i * 5000;
        const std::int64_t before = scheduler.framesRun();
        EXPECT_TRUE(scheduler.runPass().frameRan) << "turbo";
        EXPECT_EQ(scheduler.framesRun(), before + 1);
    }
    scheduler.setTurbo(false);
    machine.config().cpuspeedopt = kTimingFast;
    machine.computeTiming();
    for (int i = 0; i < 20; ++i) EXPECT_TRUE(passAt(100'000 + i * 5000)) << "Fast";
    machine.config().cpuspeedopt = kTimingNtsc;
    machine.computeTiming();
    ASSERT_TRUE(machine.playTapeBytes(std::vector<std::uint8_t>(1000, 0x55)));
    for (int i = 0; i < 20; ++i) EXPECT_TRUE(passAt(200'000 + i * 5000)) << "tape";
    machine.stopCassette();
    // Back on the clock: the schedule went on meanwhile, nothing is owed.
    int owed = 0;
    while (passAt(300'000)) ++owed;
    EXPECT_LE(owed, 1);
    EXPECT_EQ(scheduler.timingStats().stalls(), 0);
}

TEST_F(Pacing, ScreenFollowsTheFramesByDefault) {
    clock.ticks = 0;
    EXPECT_TRUE(pass());
    EXPECT_FALSE(pass());
}

TEST_F(Pacing, FailedCounterReadRunsNothing) {
    clock.counterReadFails = true;
    EXPECT_FALSE(pass());
    machine.config().usevideoupdatepsflag = true;
    EXPECT_FALSE(pass());
    EXPECT_EQ(framesRun(), 0u);
    clock.counterReadFails = false;
    EXPECT_TRUE(passAt(0));
}

TEST_F(Pacing, FastModeRunsAndRedrawsOnEveryPass) {
    machine.config().cpuspeedopt = kTimingFast;
    machine.computeTiming();
    EXPECT_TRUE(scheduler.runsBackToBack());
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(pass());
    EXPECT_EQ(framesRun(), 5u);
}

TEST_F(Pacing, ScreenKeepsItsOwnScheduleWhenAsked) {
    machine.config().usevideoupdatepsflag = true;
    machine.config().videoupdatesps = 10;
    const std::int64_t start = 10'000'000;  // well past the first two screen periods
    int frames = 0;
    int screens = 0;
    int screensWithoutFrame = 0;
    // Passes every 0.3 ms: frames keep their own schedule, the screen its own.
    for (std::int64_t us = 0; us < 1'000'000; us += 300) {
        const std::size_t before = framesRun();
        clock.ticks = start + us;
        const bool screen = pass();
        const bool frame = framesRun() > before;
        frames += frame;
        screens += screen;
        screensWithoutFrame += screen && !frame;
    }
    EXPECT_NEAR(frames, 60, 1);
    EXPECT_NEAR(screens, 10, 1);
    EXPECT_GT(screensWithoutFrame, 0);
}

TEST_F(Pacing, ScreenScheduleAppliesInFastModeToo) {
    machine.config().cpuspeedopt = kTimingFast;
    machine.config().usevideoupdatepsflag = true;
    machine.config().videoupdatesps = 10;
    machine.computeTiming();
    clock.ticks = 10'000'000;
    int screens = 0;
    for (int i = 0; i < 100; ++i) screens += pass();
    EXPECT_EQ(framesRun(), 100u);
    EXPECT_EQ(screens, 1);
}

TEST_F(Pacing, FilesBeingFedRunFramesOnEveryPassButNotTheScreen) {
    ASSERT_TRUE(machine.playTapeBytes(std::vector<std::uint8_t>(1000, 0x55)));  // the motors are on
    int screens = 0;
    for (int i = 0; i < 10; ++i) screens += pass();
    EXPECT_EQ(framesRun(), 10u);
    EXPECT_EQ(screens, 1);
    EXPECT_TRUE(machine.tapePlaying());

    machine.stopCassette();
    const std::uint8_t text[] = {'a', 'b', 'c'};
    ASSERT_EQ(machine.startQuickTypeText(text), QuickTypeResult::ok);
    EXPECT_TRUE(passAt(16666) && passAt(16666) && passAt(16666));
    ASSERT_TRUE(machine.quickTypeActive());

    machine.config().speedupfilesflag = false;
    EXPECT_FALSE(passAt(16666));
}

TEST_F(Pacing, SoundSetsTheFramePeriodFromTheAudioFrame) {
    scheduler.usePace({736, 0, true});  // 44100 / 60 rounded up to even
    EXPECT_EQ(scheduler.pacing().framePeriodTicks(), 16689);
    EXPECT_TRUE(passAt(0));
    EXPECT_FALSE(passAt(16688));
    EXPECT_TRUE(passAt(16689));
}

TEST_F(Pacing, WithoutACounterFramesFollowTheMillisecondClockAtTheirAverageRate) {
    clock.hasCounter = false;
    scheduler.setUpPacing();
    EXPECT_FALSE(scheduler.pacing().counterAvailable());
    scheduler.usePace({736, 0, true});  // changes nothing without a counter
    int frames = 0;
    for (std::uint32_t ms = 0; ms < 1000; ++ms) {
        clock.ms = ms;
        const std::size_t before = framesRun();
        pass();
        frames += framesRun() > before;
    }
    EXPECT_EQ(frames, 60);
    EXPECT_EQ(clock.counterReads, 0);
}

TEST_F(Pacing, MillisecondScheduleSurvivesTheClockWrapping) {
    clock.hasCounter = false;
    scheduler.setUpPacing();
    clock.ms = 0xFFFFFFF0u;
    EXPECT_TRUE(pass());
    clock.ms = 0xFFFFFFF8u;
    EXPECT_FALSE(pass());
    clock.ms = 0x00000001u;  // 17 ms later, past the wrap
    EXPECT_TRUE(pass());
}

TEST_F(Pacing, WithoutAClockEveryPassRunsAndRedraws) {
    testing::RecordingSpeaker speaker;
    Machine unpaced{MachineHost{nullptr, nullptr, &speaker, nullptr}};
    FrameScheduler unpacedScheduler{unpaced, nullptr};
    boot({unpaced, &unpacedScheduler}, SettingsFiles{{}, {}, test->roms.images()});
    for (int i = 0; i < 3; ++i) {
        const FramePass result = unpacedScheduler.runPass();
        EXPECT_TRUE(result.frameRan && result.screenDue);
    }
    EXPECT_EQ(speaker.frameStarts.size(), 3u);
}

TEST_F(Pacing, TheIdlePathIsToldHowLongToWaitForTheFrameOrTheScreen) {
    EXPECT_EQ(scheduler.nanosecondsUntilDue(), 0) << "the first frame is due at once";
    EXPECT_TRUE(passAt(0));
    clock.ticks = 6666;
    EXPECT_EQ(scheduler.nanosecondsUntilDue(), 10'000'000);  // due at 16666
    machine.config().usevideoupdatepsflag = true;
    machine.config().videoupdatesps = 100;  // the screen every 10000 ticks
    clock.ticks = 20000;
    EXPECT_TRUE(scheduler.runPass().screenDue);
    clock.ticks = 26666;
    EXPECT_EQ(scheduler.nanosecondsUntilDue(), 3'334'000) << "the screen comes first";
    clock.ticks = 40000;
    EXPECT_EQ(scheduler.nanosecondsUntilDue(), 0) << "overdue";
    clock.counterReadFails = true;
    EXPECT_EQ(scheduler.nanosecondsUntilDue(), 0);
}

TEST_F(Pacing, NoPassRunsAFrameBeforeTheFirstReset) {
    testing::RecordingSpeaker speaker;
    Machine stopped{MachineHost{&clock, nullptr, &speaker, nullptr}};
    FrameScheduler stoppedScheduler{stopped, &clock};
    stopped.computeTiming();
    stoppedScheduler.setUpPacing();
    const FramePass result = stoppedScheduler.runPass();
    EXPECT_FALSE(result.frameRan || result.screenDue);
    EXPECT_TRUE(speaker.frameStarts.empty());
    EXPECT_EQ(stoppedScheduler.framesRun(), 0);
}

// Frames of exactly 35106 T-states (the idle test monitor) at chosen times,
// in Fast mode so that every pass runs one.
class SpeedMeterTest : public Pacing {
  protected:
    void SetUp() override {
        machine.config().cpuspeedopt = kTimingFast;
        machine.computeTiming();
    }
    // Runs `count` frames, frame k of them starting at ms `firstMs + k * msPerFrame / 3`.
    void runFrames(int count, std::uint32_t firstMs, std::uint32_t thirdsOfMsPerFrame) {
        for (int k = 0; k < count; ++k) {
            const std::int64_t thirds =
                std::int64_t{firstMs} * 3 + std::int64_t{k} * thirdsOfMsPerFrame;
            clock.ms = static_cast<std::uint32_t>(thirds / 3);
            clock.ticks = thirds * 1000 / 3;
            pass();
        }
    }
};

TEST_F(SpeedMeterTest, FullSpeedShowsOneHundred) {
    runFrames(32, 0, 50);  // 16 2/3 ms per frame: 60 frames per second
    EXPECT_EQ(scheduler.speedPercent(), 100);
}

TEST_F(SpeedMeterTest, ChangesOnlyOnEverySixteenthFrame) {
    runFrames(15, 0, 25);  // twice as fast as real time
    EXPECT_EQ(scheduler.speedPercent(), 100) << "still the starting value";
    runFrames(1, 125, 25);
    EXPECT_EQ(scheduler.speedPercent(), 200);
    runFrames(15, 1000, 100);  // now at half speed
    EXPECT_EQ(scheduler.speedPercent(), 200);
    runFrames(1, 1000 + 500, 100);
    EXPECT_EQ(scheduler.speedPercent(), 50);
}

TEST_F(SpeedMeterTest, ShowsTheNearestPercentOfTheCounterTime) {
    // 0.13% slow, as frames paced by the sound's 736-byte audio frames are:
    // 100, not 99; the millisecond clock alone could not tell.
    runFrames(64, 0, 50);
    for (int k = 0; k < 16; ++k) {
        clock.ticks = 2'000'000 + k * 16689;
        pass();
    }
    EXPECT_EQ(scheduler.speedPercent(), 100);
    for (int k = 0; k < 16; ++k) {
        clock.ticks = 3'000'000 + k * 16860;  // 98.85%
        pass();
    }
    EXPECT_EQ(scheduler.speedPercent(), 99);
}

TEST_F(SpeedMeterTest, FramesWithinOneMillisecondKeepThePreviousValue) {
    runFrames(16, 0, 25);
    ASSERT_EQ(scheduler.speedPercent(), 200);
    runFrames(16, 5000, 0);  // sixteen frames all at the same millisecond
    EXPECT_EQ(scheduler.speedPercent(), 200);
}

}  // namespace
}  // namespace vantorel
