// The AY-3-8910 model driven through its registers: reset silence, the
// volume table, periods of 0, fixed amplitudes, the envelope shapes, the
// port warnings and the tone frequency.
#include "sound/ay_chip.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "support/fake_host.h"

namespace vantorel {
namespace {

constexpr int kFrame = 368;

struct AyRig {
    AyGenerator ay;
    std::vector<std::int16_t> a = std::vector<std::int16_t>(kFrame * 8);
    std::vector<std::int16_t> b = std::vector<std::int16_t>(kFrame * 8);
    std::vector<std::int16_t> c = std::vector<std::int16_t>(kFrame * 8);

    explicit AyRig(int percent = 50) { ay.ayStart(percent); }
    void write(int reg, int value) { ay.ayWriteRegister(0, reg, value); }
    void generate(int count = kFrame) { ay.ayGenerate(0, a, b, c, count); }
};

bool allEqual(const std::vector<std::int16_t>& samples, int count, std::int16_t value) {
    return std::all_of(samples.begin(), samples.begin() + count,
                       [value](std::int16_t s) { return s == value; });
}

TEST(AyChip, AfterResetEveryChannelIsSilent) {
    AyRig rig;
    EXPECT_EQ(AyGenerator::updateStepFor(22050), 3229);
    EXPECT_EQ(rig.ay.chip().updateStep, 3229);
    EXPECT_EQ(rig.ay.chip().noiseShift, 1);
    EXPECT_EQ(rig.ay.chip().outputNoise, 0xFF);
    EXPECT_EQ(rig.ay.chip().volumeEnvelope, 0u);  // loaded before the table was built
    for (int frame = 0; frame < 4; ++frame) {
        rig.generate();
        EXPECT_TRUE(allEqual(rig.a, kFrame, 0) && allEqual(rig.b, kFrame, 0) &&
                    allEqual(rig.c, kFrame, 0));
    }
    AyGenerator notStarted;  // generating before a start does nothing
    notStarted.ayGenerate(0, rig.a, rig.b, rig.c, kFrame);
}

TEST(AyChip, VolumeTableAtFiftyAndZeroPercent) {
    const std::array<std::uint32_t, 32> expected = {
        0,    92,   109,  130,  155,  184,  218,  260,   309,   367,  436,
        518,  616,  732,  870,  1034, 1229, 1460, 1735,  2062,  2451, 2913,
        3463, 4115, 4891, 5813, 6909, 8211, 9759, 11598, 13785, 16383};
    EXPECT_EQ(AyRig(50).ay.volumeTable(), expected);
    const auto silent = AyRig(0).ay.volumeTable();
    EXPECT_TRUE(std::all_of(silent.begin(), silent.end(), [](auto v) { return v == 0; }));
    EXPECT_EQ(AyRig(100).ay.volumeTable()[31], 32767u);
}

TEST(AyChip, WritesAreMaskedAndFixedAmplitudesPickTheTable) {
    AyRig rig;
    rig.write(1, 0xFF);
    rig.write(6, 0xFF);
    rig.write(8, 0xFF);
    rig.write(13, 0xFF);
    rig.write(16, 0x55);  // no such register
    const AyChip& chip = rig.ay.chip();
    EXPECT_EQ(chip.registers[1], 0x0F);
    EXPECT_EQ(chip.registers[6], 0x1F);
    EXPECT_EQ(chip.registers[8], 0x1F);
    EXPECT_EQ(chip.registers[13], 0x0F);
    EXPECT_EQ(chip.envelopeA, 0x10);
    rig.write(8, 15);
    EXPECT_EQ(chip.volumeA, rig.ay.volumeTable()[31]);
    rig.write(9, 1);
    EXPECT_EQ(chip.volumeB, rig.ay.volumeTable()[3]);
    rig.write(10, 0);
    EXPECT_EQ(chip.volumeC, 0u);
}

TEST(AyChip, PeriodZeroCountsAsOneAndEnvelopeZeroAsHalf) {
    AyRig rig;
    const AyChip& chip = rig.ay.chip();
    EXPECT_EQ(chip.periodA, 3229);  // reset wrote 0
    rig.write(0, 1);
    EXPECT_EQ(chip.periodA, 3229);
    rig.write(2, 0x34);
    rig.write(3, 0x12);
    EXPECT_EQ(chip.periodB, 0x234 * 3229);
    EXPECT_EQ(chip.periodNoise, 3229);
    EXPECT_EQ(chip.periodEnvelope, 3229 / 2);
    rig.write(11, 1);
    EXPECT_EQ(chip.periodEnvelope, 3229);
    // Shortening a period never leaves its counter at 0 or below.
    rig.write(3, 0);
    EXPECT_GE(chip.countB, 1);
}

TEST(AyChip, AChannelWithToneAndNoiseOffOutputsItsVolume) {
    AyRig rig;
    rig.write(7, 0x3F);  // every tone and noise off
    rig.write(8, 15);
    rig.write(9, 8);
    rig.generate();
    EXPECT_TRUE(allEqual(rig.a, kFrame, 16383));
    EXPECT_TRUE(allEqual(rig.b, kFrame, static_cast<std::int16_t>(rig.ay.volumeTable()[17])));
    EXPECT_TRUE(allEqual(rig.c, kFrame, 0));
}

// Chip clock / (16 x period): a period of 112 is 998.8 Hz.
TEST(AyChip, ATonesFrequencyFollowsItsPeriod) {
    AyRig rig;
    rig.write(7, 0x3E);  // tone A on, noise off
    rig.write(0, 112);
    rig.write(8, 15);
    const int samples = 22050;  // one second, frame by frame
    int rises = 0;
    std::int16_t last = 0;
    for (int done = 0; done < samples; done += kFrame) {
        rig.generate();
        for (int i = 0; i < kFrame; ++i) {
            if (rig.a[i] > 8000 && last <= 8000) ++rises;
            last = rig.a[i];
            EXPECT_GE(rig.a[i], 0);
            EXPECT_LE(rig.a[i], 16383);
        }
    }
    EXPECT_NEAR(rises * 22050.0 / (samples / kFrame * kFrame + kFrame), 998.8, 12.0);
}

// The level over time for an envelope shape, one value per envelope step
// (period 1 = 8 chip cycles per step, about 2.0 samples).
std::vector<std::uint32_t> envelopeCourse(int shape, int steps) {
    AyRig rig;
    rig.write(11, 10);  // 80 chip cycles a step: 0.99 samples
    rig.write(13, shape);
    std::vector<std::uint32_t> levels;
    for (int i = 0; i < steps; ++i) {
        rig.generate(1);
        levels.push_back(rig.ay.chip().volumeEnvelope);
    }
    return levels;
}

TEST(AyChip, EnvelopeShapes) {
    const std::uint32_t top = AyRig().ay.volumeTable()[31];
    struct Shape {
        int r13;
        std::uint32_t early;  // after a quarter of the first ramp
        std::uint32_t late;   // long after it
    };
    for (int shape : {0, 1, 2, 3, 9}) {  // one fall, then 0
        const auto levels = envelopeCourse(shape, 200);
        EXPECT_LT(levels[8], top) << shape;
        EXPECT_GT(levels[8], 0u) << shape;
        EXPECT_EQ(levels[199], 0u) << shape;
    }
    for (int shape : {4, 5, 6, 7, 15}) {  // one rise, then 0
        const auto levels = envelopeCourse(shape, 200);
        EXPECT_GT(levels[20], levels[5]) << shape;
        EXPECT_EQ(levels[199], 0u) << shape;
    }
    const auto fallThenTop = envelopeCourse(11, 200);
    EXPECT_LT(fallThenTop[20], fallThenTop[5]);
    EXPECT_EQ(fallThenTop[199], top);
    const auto riseThenTop = envelopeCourse(13, 200);
    EXPECT_GT(riseThenTop[20], riseThenTop[5]);
    EXPECT_EQ(riseThenTop[199], top);
    // Sawtooths repeat; triangles turn back. Over 128 samples (4 ramps of
    // about 32) a sawtooth jumps 3 times, a triangle never jumps.
    auto jumps = [](const std::vector<std::uint32_t>& levels) {
        int count = 0;
        for (std::size_t i = 1; i < levels.size(); ++i) {
            const auto step = static_cast<std::int64_t>(levels[i]) - levels[i - 1];
            if (step > 8000 || step < -8000) ++count;
        }
        return count;
    };
    EXPECT_GE(jumps(envelopeCourse(8, 128)), 3);
    EXPECT_GE(jumps(envelopeCourse(12, 128)), 3);
    EXPECT_EQ(jumps(envelopeCourse(10, 128)), 0);
    EXPECT_EQ(jumps(envelopeCourse(14, 128)), 0);
    const auto falling = envelopeCourse(8, 20);
    EXPECT_LT(falling[15], falling[2]);
    const auto triangle = envelopeCourse(14, 70);
    EXPECT_LT(triangle[2], triangle[25]);   // rises first
    EXPECT_GT(triangle[35], triangle[55]);  // then falls
}

TEST(AyChip, PortWritesWarnWhenThePortIsAnInputAndStillReachTheHandler) {
    AyRig rig;
    testing::RecordingDebugOutput log;
    rig.ay.setDebugLog(&log);
    std::vector<int> portA;
    rig.ay.portAHandler = [&portA](int offset, int value) {
        EXPECT_EQ(offset, 0);
        portA.push_back(value);
    };
    rig.write(14, 0x42);
    EXPECT_EQ(log.text, "warning: write to 8910 #0 Port A set as input\n");
    EXPECT_EQ(portA, std::vector<int>{0x42});
    log.text.clear();
    rig.write(7, 0x40);  // port A is an output now
    rig.write(14, 0x43);
    rig.write(15, 0x44);  // port B is still an input, and has no handler
    EXPECT_EQ(log.text, "warning: write to 8910 #0 Port B set as input\n");
    EXPECT_EQ(portA, (std::vector<int>{0x42, 0x43}));
}

}  // namespace
}  // namespace vantorel
