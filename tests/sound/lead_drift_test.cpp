// Ten emulated minutes of a whole machine against a fake audio device whose
// clock runs 0.3% fast or slow: the frame period follows the device, so the
// writer stays three slots ahead with no underrun and no overwrite; a stall
// loses the distance, and playback starts again as after a stop.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

#include "sound/sound_output.h"
#include "support/fake_audio_device.h"
#include "support/test_machine.h"

namespace vantorel {
namespace {

using testing::FakeAudioDevice;
using testing::TestMachine;

constexpr std::int64_t kTicksPerSecond = 1'000'000'000;  // the fake counter counts ns
constexpr int kCallbackSamples = 441;                    // a 20 ms device buffer

struct DriftRun {
    AudioCounters counters;
    std::array<std::int64_t, kRingSlots> leadsAfterSettling{};  // frames by lead, after 10 s
    std::int64_t resyncs = 0;
    std::int64_t frames = 0;
    std::int32_t finalRatePpm = 0;
    int leadSlots = 0;
    std::int64_t leadGrowths = 0;
};

// Until when a frame due at a time (in seconds) is held back; the time
// itself when it is not.
using HostStarving = std::function<double(double)>;

// Runs frames when the scheduler's pacing says they are due (a little late,
// as an idle loop is) and plays the device in bursts of `callbackSamples`
// at its own rate, until `seconds` of host time have passed. Frames due
// while `starving` says so are held back.
DriftRun runAgainstDevice(double deviceClockOffset, double seconds, const HostStarving& starving,
                          int callbackSamples = kCallbackSamples) {
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
    std::vector<std::int16_t> burst(static_cast<std::size_t>(callbackSamples));
    std::array<std::int64_t, kRingSlots> leadsAtTen{};
    bool settled = false;
    DriftRun run;
    while (true) {
        const std::int64_t lateness = (run.frames * 7919 % 20) * 1000;  // 0-19 us
        std::int64_t frameAt = test.scheduler.pacing().nextFrameTicks() + lateness;
        const double frameSeconds = static_cast<double>(frameAt) / kTicksPerSecond;
        const double heldUntil = starving(frameSeconds);
        if (heldUntil > frameSeconds) {
            frameAt = static_cast<std::int64_t>(heldUntil * kTicksPerSecond);
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
                               static_cast<double>(callbacks * callbackSamples) / samplesPerTick);
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
    run.leadSlots = sound.leadControl().leadSlots();
    run.leadGrowths = sound.leadControl().leadGrowths();
    for (std::size_t lead = 0; lead < kRingSlots; ++lead) {
        run.leadsAfterSettling[lead] = sound.leadControl().leadHistogram()[lead] - leadsAtTen[lead];
    }
    return run;
}

DriftRun runAgainstDevice(double deviceClockOffset, double seconds, double stallFrom = -1,
                          double stallTo = -1, int callbackSamples = kCallbackSamples) {
    return runAgainstDevice(
        deviceClockOffset, seconds,
        [=](double at) { return at >= stallFrom && at < stallTo ? stallTo : at; }, callbackSamples);
}

void expectInStep(const DriftRun& run, std::int64_t framesAfterSettling = 35000) {
    EXPECT_EQ(run.counters.underruns, 0);
    EXPECT_EQ(run.counters.overwrites, 0);
    EXPECT_EQ(run.resyncs, 0);
    std::int64_t withinOne = 0;
    std::int64_t total = 0;
    for (std::size_t lead = 0; lead < kRingSlots; ++lead) {
        total += run.leadsAfterSettling[lead];
        if (lead >= 2 && lead <= 4) withinOne += run.leadsAfterSettling[lead];
    }
    EXPECT_GT(total, framesAfterSettling);
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

// SDL's dummy driver sleeps 23 ms for each 512-sample buffer: it plays
// 22,261 samples a second, 0.955% fast.
TEST(SoundLead, ADeviceClockOnePercentOffIsFollowed) {
    const DriftRun fast = runAgainstDevice(512.0 / 0.023 / 22050.0 - 1.0, 300.0, -1, -1, 512);
    expectInStep(fast, 17000);
    EXPECT_LT(fast.finalRatePpm, -9000);
    const DriftRun slow = runAgainstDevice(-0.01, 300.0, -1, -1, 512);
    expectInStep(slow, 17000);
    EXPECT_GT(slow.finalRatePpm, 9000);
    EXPECT_EQ(fast.leadSlots + slow.leadSlots, 2 * kLeadSlots);
}

// For two minutes the host takes the processor away for 50 ms every ten
// seconds (frames then catch up); then it leaves the program alone.
TEST(SoundLead, TheLeadGrowsWhileTheHostStarvesTheProgramAndComesBackAfterAMinute) {
    const HostStarving starving = [](double at) {
        if (at < 5.0 || at >= 125.0) return at;
        const double intoTen = std::fmod(at - 5.0, 10.0);
        return intoTen < 0.05 ? at - intoTen + 0.05 : at;
    };
    const DriftRun starved = runAgainstDevice(0.0, 125.0, starving);
    EXPECT_GE(starved.leadGrowths, 1);
    EXPECT_LE(starved.leadGrowths, 3) << "one slot at a time";
    EXPECT_GT(starved.leadSlots, kLeadSlots);
    EXPECT_LE(starved.leadSlots, kMaxLeadSlots);
    // Of the twelve starvations only the first few are heard (each a restart,
    // an underrun of the four voices, or both).
    EXPECT_LE(starved.resyncs + starved.counters.underruns / kVoiceCount, 4)
        << starved.resyncs << " restarts, " << starved.counters.underruns << " underruns";

    const DriftRun after =
        runAgainstDevice(0.0, 125.0 + 60.0 * (kMaxLeadSlots - kLeadSlots) + 5.0, starving);
    EXPECT_EQ(after.leadSlots, kLeadSlots) << "a slot less after every minute without an underrun";
    EXPECT_EQ(after.counters.overwrites, 0);
}

TEST(SoundLead, AStallStartsThePlaybackAgainOneSlotFurtherAhead) {
    const DriftRun run = runAgainstDevice(0.0, 40.0, 20.0, 20.5);
    EXPECT_EQ(run.resyncs, 1);
    EXPECT_GT(run.counters.underruns, 0);  // the device ran dry during the stall
    EXPECT_EQ(run.counters.overwrites, 0);
    EXPECT_EQ(run.leadGrowths, 1) << "the device ran dry: the lead grows by one slot";
    EXPECT_EQ(run.leadSlots, 4);
    // In step again afterwards: every lead since 10 s except the frame that
    // found the distance lost is within one slot of 3, then of 4.
    std::int64_t outside = 0;
    for (std::size_t lead = 0; lead < kRingSlots; ++lead) {
        if (lead < 2 || lead > 5) outside += run.leadsAfterSettling[lead];
    }
    EXPECT_EQ(outside, 1);
}

}  // namespace
}  // namespace vantorel
