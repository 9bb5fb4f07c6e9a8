// Ten emulated minutes of a whole machine against a fake audio device whose
// clock runs 0.3% fast or slow: the frame period follows the device, so the
// writer stays three slots ahead with no underrun and no overwrite; a stall
// loses the distance, and playback starts again as after a stop.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "sound/sound_output.h"
#include "support/fake_audio_device.h"
#include "support/test_machine.h"

namespace vantorel {
namespace {

using testing::FakeAudioDevice;
using testing::TestMachine;

constexpr std::int64_t kTicksPerSecond = 1'000'000'000;  // the fake counter counts ns
constexpr int kCallbackSamples = 441;                    // the SDL device's 20 ms

struct DriftRun {
    AudioCounters counters;
    std::array<std::int64_t, kRingSlots> leadsAfterSettling{};  // frames by lead, after 10 s
    std::int64_t resyncs = 0;
    std::int64_t frames = 0;
    std::int32_t finalRatePpm = 0;
};

// Runs frames when the scheduler's pacing says they are due (a little late,
// as an idle loop is) and plays the device in 441-sample bursts at its own
// rate, until `seconds` of host time have passed. Each late start also
// delays the later frames (the schedule restarts from it): 10 us on average
// lengthens the frames by 0.06%, which the control takes up as well. Frames due between
// `stallFrom` and `stallTo` seconds are held back.
DriftRun runAgainstDevice(double deviceClockOffset, double seconds, double stallFrom = -1,
                          double stallTo = -1) {
    TestMachine test;
    FakeAudioDevice device;
    SoundOutput sound{test.machine.config(), test.machine.timing(), &device};
    MachineHost host = test.machine.host();
    host.speaker = &sound;
    test.machine.attachHost(host);
    test.clock.frequency = kTicksPerSecond;
    test.scheduler.setUpPacing();
    EXPECT_TRUE(sound.initSound());
    test.scheduler.followSound(&sound);

    const double samplesPerTick = 22050.0 * (1.0 + deviceClockOffset) / kTicksPerSecond;
    const auto end = static_cast<std::int64_t>(seconds * kTicksPerSecond);
    const std::int64_t firstCallback = 5'000'000;  // the device's phase: 5 ms in
    std::int64_t callbacks = 0;
    std::int64_t nextCallback = firstCallback;
    std::array<std::int16_t, kCallbackSamples> burst{};
    std::array<std::int64_t, kRingSlots> leadsAtTen{};
    bool settled = false;
    DriftRun run;
    while (true) {
        const std::int64_t lateness = (run.frames * 7919 % 20) * 1000;  // 0-19 us
        std::int64_t frameAt = test.scheduler.pacing().nextFrameTicks() + lateness;
        const double frameSeconds = static_cast<double>(frameAt) / kTicksPerSecond;
        if (frameSeconds >= stallFrom && frameSeconds < stallTo) {
            frameAt = static_cast<std::int64_t>(stallTo * kTicksPerSecond);
        }
        const std::int64_t now = std::min(frameAt, nextCallback);
        if (now >= end) break;
        test.clock.ticks = now;
        test.clock.ms = static_cast<std::uint32_t>(now / 1'000'000);
        if (nextCallback <= frameAt) {
            device.pull(burst);
            ++callbacks;
            nextCallback = firstCallback +
                           static_cast<std::int64_t>(
                               static_cast<double>(callbacks * kCallbackSamples) / samplesPerTick);
        } else {
            EXPECT_TRUE(test.scheduler.runPass().frameRan);
            ++run.frames;
        }
        if (!settled && now >= 10 * kTicksPerSecond) {
            settled = true;
            leadsAtTen = sound.leadControl().leadHistogram();
        }
    }
    run.counters = device.counters();
    run.resyncs = sound.leadControl().resyncs();
    run.finalRatePpm = sound.leadControl().ratePpm();
    for (std::size_t lead = 0; lead < kRingSlots; ++lead) {
        run.leadsAfterSettling[lead] = sound.leadControl().leadHistogram()[lead] - leadsAtTen[lead];
    }
    return run;
}

void expectInStep(const DriftRun& run) {
    EXPECT_EQ(run.counters.underruns, 0);
    EXPECT_EQ(run.counters.overwrites, 0);
    EXPECT_EQ(run.resyncs, 0);
    std::int64_t withinOne = 0;
    std::int64_t total = 0;
    for (std::size_t lead = 0; lead < kRingSlots; ++lead) {
        total += run.leadsAfterSettling[lead];
        if (lead >= 2 && lead <= 4) withinOne += run.leadsAfterSettling[lead];
    }
    EXPECT_GT(total, 35000);
    EXPECT_EQ(withinOne, total);
}

TEST(SoundLead, ADeviceClockThreeTenthsOfAPercentFastIsFollowed) {
    const DriftRun run = runAgainstDevice(+0.003, 600.0);
    expectInStep(run);
    EXPECT_LT(run.finalRatePpm, -2000);  // frames come faster
}

TEST(SoundLead, ADeviceClockThreeTenthsOfAPercentSlowIsFollowed) {
    const DriftRun run = runAgainstDevice(-0.003, 600.0);
    expectInStep(run);
    EXPECT_GT(run.finalRatePpm, 2000);
}

TEST(SoundLead, AStallStartsThePlaybackAgain) {
    const DriftRun run = runAgainstDevice(0.0, 40.0, 20.0, 20.5);
    EXPECT_EQ(run.resyncs, 1);
    EXPECT_GT(run.counters.underruns, 0);  // the device ran dry during the stall
    EXPECT_EQ(run.counters.overwrites, 0);
    // In step again afterwards: every lead since 10 s except the frame that
    // found the distance lost is within one slot of 3.
    std::int64_t outside = 0;
    for (std::size_t lead = 0; lead < kRingSlots; ++lead) {
        if (lead < 2 || lead > 4) outside += run.leadsAfterSettling[lead];
    }
    EXPECT_EQ(outside, 1);
}

}  // namespace
}  // namespace vantorel
