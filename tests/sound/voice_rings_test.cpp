// The voice rings between a writer and a player: mixing with saturation,
// underruns and overwrites counted, stale slots heard as silence, and the
// hand-off between two threads (run under ThreadSanitizer as well).
#include "sound/voice_rings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace vantorel {
namespace {

constexpr std::int32_t kFrameBytes = 736;
constexpr std::size_t kFrameSamples = 368;

std::vector<std::int16_t> frameOf(std::int16_t value) {
    return std::vector<std::int16_t>(kFrameSamples, value);
}

std::vector<std::int16_t> play(VoiceRings& rings, std::size_t samples) {
    std::vector<std::int16_t> out(samples);
    rings.mix(out);
    return out;
}

TEST(VoiceRings, PlayingVoicesAreSummedAndSaturated) {
    VoiceRings rings;
    ASSERT_TRUE(rings.create(0, kFrameBytes));
    ASSERT_TRUE(rings.create(1, kFrameBytes));
    ASSERT_TRUE(rings.create(3, kFrameBytes));
    EXPECT_FALSE(rings.create(4, kFrameBytes));
    EXPECT_FALSE(rings.status(2).present);
    rings.write(0, 0, frameOf(30000));
    rings.write(1, 0, frameOf(10000));
    rings.write(3, 0, frameOf(-5));
    rings.write(0, 1, frameOf(-30000));
    rings.write(1, 1, frameOf(-10000));
    for (int voice : {0, 1, 3}) rings.play(voice);
    auto out = play(rings, kFrameSamples * 2);
    EXPECT_EQ(out[0], 32767);
    EXPECT_EQ(out[kFrameSamples], -32768);
    rings.stop(1);
    rings.write(0, 2, frameOf(100));
    rings.write(1, 2, frameOf(100));
    out = play(rings, kFrameSamples);
    EXPECT_EQ(out[5], 100);  // voice 1 stopped; voice 3 is silent (cleared) there
    EXPECT_EQ(rings.status(0).playPositionBytes, 3 * kFrameBytes);
    EXPECT_EQ(rings.status(1).playPositionBytes, 2 * kFrameBytes);
}

TEST(VoiceRings, UnwrittenSlotsAreUnderrunsAndPlaySilence) {
    VoiceRings rings;
    ASSERT_TRUE(rings.create(0, kFrameBytes));
    rings.play(0);
    for (int slot = 0; slot < kRingSlots; ++slot) rings.write(0, slot, frameOf(7));
    auto out = play(rings, kFrameSamples * kRingSlots);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](auto s) { return s == 7; }));
    EXPECT_EQ(rings.counters().underruns, 0);
    EXPECT_EQ(rings.status(0).playPositionBytes, 0);  // round the ring
    rings.write(0, 0, frameOf(9));
    out = play(rings, kFrameSamples * 2);  // slot 1 was not written again
    EXPECT_EQ(out[0], 9);
    EXPECT_EQ(out[kFrameSamples], 0);  // not the stale 7 of a ring ago
    EXPECT_EQ(rings.counters().underruns, 1);
    // Cleared slots play silence without counting.
    rings.clear(0);
    rings.setPosition(0, 0);
    play(rings, kFrameSamples * 3);
    EXPECT_EQ(rings.counters().underruns, 1);
}

TEST(VoiceRings, WritingAnUnplayedOrPlayingSlotIsAnOverwrite) {
    VoiceRings rings;
    ASSERT_TRUE(rings.create(0, kFrameBytes));
    rings.play(0);
    EXPECT_TRUE(rings.write(0, 4, frameOf(1)));
    EXPECT_TRUE(rings.write(0, 4, frameOf(2)));  // not played yet
    EXPECT_EQ(rings.counters().overwrites, 1);
    play(rings, 10);                              // inside slot 0 now
    EXPECT_FALSE(rings.write(0, 0, frameOf(3)));  // being played: refused
    EXPECT_EQ(rings.counters().overwrites, 2);
    EXPECT_FALSE(rings.write(0, 12, frameOf(3)));
    EXPECT_FALSE(rings.write(2, 0, frameOf(3)));
    // Rewinding leaves the slot; it may be written again.
    rings.stop(0);
    rings.setPosition(0, 0);
    EXPECT_TRUE(rings.write(0, 0, frameOf(3)));
    EXPECT_EQ(rings.counters().overwrites, 2);
    rings.setPosition(0, 1 << 30);  // out of range: held at the ring's end
    EXPECT_EQ(rings.status(0).playPositionBytes, kRingSlots * kFrameBytes - 2);
}

// A writer three slots ahead of a player on another thread, as the SDL
// device's callback plays: every slot holds one value, so a slot read while
// it was being written would show two within one slot.
TEST(VoiceRings, WriterAndPlayerOnTwoThreadsNeverTearASlot) {
    VoiceRings rings;
    ASSERT_TRUE(rings.create(0, kFrameBytes));
    rings.play(0);
    constexpr int kFrames = 1000;
    std::atomic<bool> done{false};
    std::atomic<int> tornSlots{0};
    std::atomic<std::int64_t> samplesHeard{0};
    std::thread player([&] {
        std::vector<std::int16_t> out(441);
        while (!done.load()) {
            const std::size_t before =
                static_cast<std::size_t>(rings.status(0).playPositionBytes) / 2;
            rings.mix(out);
            for (std::size_t i = 1; i < out.size(); ++i) {
                const bool slotStart = (before + i) % kFrameSamples == 0;
                if (!slotStart && out[i] != out[i - 1]) tornSlots.fetch_add(1);
                if (out[i] != 0) samplesHeard.fetch_add(1);
            }
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    });
    for (int frame = 0; frame < kFrames; ++frame) {
        rings.write(0, (frame + 3) % kRingSlots,
                    frameOf(static_cast<std::int16_t>(100 + frame % 300)));
        // Wait (a bounded while) for the player to move on a slot.
        for (int spin = 0; spin < 100000; ++spin) {
            if (rings.status(0).playPositionBytes / kFrameBytes != frame % kRingSlots) break;
            std::this_thread::yield();
        }
    }
    done.store(true);
    player.join();
    EXPECT_EQ(tornSlots.load(), 0);
    EXPECT_GT(samplesHeard.load(), 0);
}

}  // namespace
}  // namespace vantorel
