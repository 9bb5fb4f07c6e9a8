// Timing modes: how many T-states each slice of a frame gets.
#include <gtest/gtest.h>

#include <memory>

#include "support/test_machine.h"

namespace vantorel {
namespace {

using testing::TestMachine;

// The test monitor spins on a JP-to-self, so each slice executes exactly its
// budget and lastFrame() shows the budgets.
class Timing : public ::testing::Test {
  protected:
    std::unique_ptr<TestMachine> test = std::make_unique<TestMachine>();
    Machine& machine = test->machine;

    FrameTStates runOneFrame() {
        machine.computeTiming();
        const FrameResult frame = machine.runFrame();
        EXPECT_TRUE(frame.ran);
        EXPECT_EQ(frame.tstates.total(), machine.lastFrame().total());
        return frame.tstates;
    }
};

TEST_F(Timing, NtscAtFullSpeedRuns32097Then3009) {
    const FrameTStates frame = runOneFrame();
    EXPECT_EQ(frame.activeScan, 32097);
    EXPECT_EQ(frame.verticalBlank, 3009);
    EXPECT_EQ(machine.timing().framesPerSecond, 60);
    EXPECT_EQ(machine.tstateCounter(), 35106u);
}

TEST_F(Timing, MultiplierScalesBothSlicesTruncating) {
    machine.config().ntscmultiplierpct = 150;
    FrameTStates frame = runOneFrame();
    EXPECT_EQ(frame.activeScan, 48145);
    EXPECT_EQ(frame.verticalBlank, 4513);

    machine.config().cpuspeedopt = kTimingPal;
    machine.config().palmultiplierpct = 33;
    frame = runOneFrame();
    EXPECT_EQ(frame.activeScan, 10676);  // 32354 x 33 / 100 = 10676.82
    EXPECT_EQ(frame.verticalBlank, 3225);
}

TEST_F(Timing, PalRuns50FramesOf32354And9773) {
    machine.config().cpuspeedopt = kTimingPal;
    const FrameTStates frame = runOneFrame();
    EXPECT_EQ(frame.activeScan, 32354);
    EXPECT_EQ(frame.verticalBlank, 9773);
    EXPECT_EQ(machine.timing().framesPerSecond, 50);
}

TEST_F(Timing, CustomTakesItsOwnValuesAndFastIgnoresTheMultiplier) {
    machine.config().cpuspeedopt = kTimingCustom;
    machine.config().activescancust = 1000;
    machine.config().vblankcust = 24;
    machine.config().fpscust = 123;
    FrameTStates frame = runOneFrame();
    EXPECT_EQ(frame.activeScan, 1000);
    EXPECT_EQ(frame.verticalBlank, 24);
    EXPECT_EQ(machine.timing().framesPerSecond, 123);

    machine.config().cpuspeedopt = kTimingFast;
    machine.config().ntscmultiplierpct = 500;
    frame = runOneFrame();
    EXPECT_EQ(frame.activeScan, 32097);
    EXPECT_EQ(frame.verticalBlank, 3009);
    EXPECT_EQ(machine.timing().framesPerSecond, 60);
}

TEST_F(Timing, UnknownModeFallsBackToNtscInTheSettings) {
    machine.config().cpuspeedopt = 5;
    machine.config().ntscmultiplierpct = 200;
    const FrameTStates frame = runOneFrame();
    EXPECT_EQ(machine.config().cpuspeedopt, kTimingNtsc);
    EXPECT_EQ(frame.activeScan, 64194);
    machine.config().cpuspeedopt = -1;
    machine.computeTiming();
    EXPECT_EQ(machine.config().cpuspeedopt, kTimingNtsc);
}

TEST_F(Timing, ValuesNoSettingsFileHoldsStayInBounds) {
    MachineConfig config;
    config.cpuspeedopt = kTimingCustom;
    config.activescancust = 0xFFFFFFFFu;
    config.fpscust = 0;
    FrameTiming timing = computeTiming(config);
    EXPECT_EQ(timing.activeScanTStates, 0x7FFFFFFF);
    EXPECT_EQ(timing.framesPerSecond, 1);

    config.cpuspeedopt = kTimingNtsc;
    config.ntscmultiplierpct = 0x7FFFFFFF;
    timing = computeTiming(config);
    EXPECT_EQ(timing.activeScanTStates, 0x7FFFFFFF);
}

TEST_F(Timing, OvershootOfOneSliceIsNotCarriedIntoTheNext) {
    // LD A,(1234) takes 13 T-states: 32097 and 3009 are not multiples of it.
    test->runFrom(0x1000, {0x3A, 0x34, 0x12, 0x18, 0xFB});  // LD A,(nn); JR -5
    machine.computeTiming();
    machine.runFrame();
    const FrameTStates frame = machine.lastFrame();
    EXPECT_GE(frame.activeScan, 32097);
    EXPECT_LT(frame.activeScan, 32097 + 13);
    EXPECT_GE(frame.verticalBlank, 3009);
    EXPECT_LT(frame.verticalBlank, 3009 + 13);
    EXPECT_EQ(machine.tstateCounter(), static_cast<std::uint32_t>(frame.total()));
}

TEST_F(Timing, FrameRunsSoundJoysticksSlicesKeyboardInOrder) {
    // A program that stores the keyboard row each pass, so a key's arrival
    // shows which frame first saw it.
    test->runFrom(0x1000, {
                              0x3E, 0x02,        // LD A,2 (row 2: x z a q 1)
                              0xD3, 0xFE,        // OUT (FE),A
                              0xDB, 0xFE,        // IN A,(FE)
                              0x32, 0x00, 0x30,  // LD (3000),A
                              0x18, 0xF5,        // JR 1000
                          });
    machine.runFrame();
    EXPECT_EQ(test->speaker.frameStarts, (std::vector<std::uint32_t>{0}));
    EXPECT_EQ(test->speaker.framesEnded, 1);
    EXPECT_EQ(machine.memory().image[0x3000], 0xFF);
    const std::uint32_t firstFrameEnd = machine.tstateCounter();

    test->keys.press('A');
    test->nextFrameTime();
    machine.runFrame();
    EXPECT_EQ(machine.memory().image[0x3000], 0xFF)
        << "frame N sees the keys sampled at the end of frame N-1";
    EXPECT_EQ(test->speaker.frameStarts.back(), firstFrameEnd);

    test->nextFrameTime();
    machine.runFrame();
    EXPECT_EQ(machine.memory().image[0x3000], 0xFB);
}

}  // namespace
}  // namespace vantorel
