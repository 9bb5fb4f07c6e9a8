// The host devices between the machine, the frame scheduler and the
// devices handed in: the frame period follows the sound's pace from its
// start and after every frame, falls back to the frame rate's own without
// sound, and the joysticks are started, held and released through the
// source's own calls.
#include "app/host_devices.h"

#include <gtest/gtest.h>

#include <string>

#include "sound/sound_sizes.h"
#include "support/fake_audio_device.h"
#include "support/test_machine.h"

namespace vantorel {
namespace {

using testing::FakeAudioDevice;
using testing::TestMachine;

// The device names itself, as SDL's does.
class NamedAudioDevice : public FakeAudioDevice {
  public:
    AudioDeviceInfo info() const override { return {"fake", 512, {}}; }
};

class CountedJoysticks : public JoystickSource {
  public:
    int inits = 0;
    int releases = 0;
    bool acquired = false;
    bool initJoysticks() override {
        ++inits;
        return true;
    }
    void setJoysticksAcquired(bool held) override { acquired = held; }
    void releaseJoysticks() override { ++releases; }
    std::optional<JoystickReading> readJoystickDevice(int) override { return std::nullopt; }
};

// The period a pace asks for on the fake 1 MHz counter.
std::int64_t periodFor(const FramePace& pace) {
    if (!pace.followsAudio) return 1000000 / 60;
    FramePacing pacing;
    testing::FakeClock clock;
    pacing.setUp(&clock, 60);
    pacing.useAudioFramePeriod(pace.frameBytes, pace.ratePpm);
    return pacing.framePeriodTicks();
}

TEST(HostDevices, TheFramePeriodFollowsTheSoundsPaceAfterEveryFrame) {
    TestMachine test;
    NamedAudioDevice device;
    HostDevices devices{test.machine, &test.scheduler, &device, nullptr};
    ASSERT_TRUE(devices.initSound());
    EXPECT_EQ(test.machine.host().speaker, devices.sound());
    EXPECT_EQ(test.scheduler.pacing().framePeriodTicks(), 736 * 1000000 / 44100);

    // The device plays 3% faster than the frames come: the lead control
    // shortens the period, frame by frame.
    const auto burst = static_cast<std::size_t>(frameSamplesFor(60) * 103 / 100);
    bool corrected = false;
    for (int frame = 0; frame < 300; ++frame) {
        test.clock.ticks = test.scheduler.pacing().nextFrameTicks();
        ASSERT_TRUE(test.scheduler.runPass().frameRan);
        device.pullSamples(burst);
        const FramePace pace = devices.sound()->framePace();
        corrected = corrected || pace.ratePpm != 0;
        ASSERT_EQ(test.scheduler.pacing().framePeriodTicks(), periodFor(pace)) << frame;
    }
    EXPECT_TRUE(corrected);

    device.openFails = true;  // no device after a restart: the frame rate's own period
    EXPECT_FALSE(devices.restartSound());
    EXPECT_EQ(test.scheduler.pacing().framePeriodTicks(), 1000000 / 60);
    EXPECT_EQ(devices.restartSoundCalls(), 1);

    device.openFails = false;
    ASSERT_TRUE(devices.restartSound());
    devices.stopSound();
    EXPECT_EQ(devices.stopSoundCalls(), 1);
    const std::string report = devices.soundReport();
    EXPECT_EQ(
        report.rfind(
            "Sound: fake, buffer 512 samples, normal-priority thread, 300 frames; underruns 0", 0),
        0u)
        << report;
    const std::int64_t period = test.scheduler.pacing().framePeriodTicks();
    devices.releaseSound();
    EXPECT_EQ(devices.sound(), nullptr);
    EXPECT_EQ(test.machine.host().speaker, nullptr);
    EXPECT_EQ(test.debug.text, report + "\n") << "the report goes to the debug output";
    EXPECT_EQ(test.scheduler.pacing().framePeriodTicks(), period) << "kept after release";
    test.clock.ticks += 20000;
    EXPECT_TRUE(test.scheduler.runPass().frameRan) << "frames run on without the sound";
}

TEST(HostDevices, JoysticksAreStartedHeldAndReleasedThroughTheirSource) {
    TestMachine test;
    CountedJoysticks joysticks;
    HostDevices devices{test.machine, nullptr, nullptr, &joysticks};
    EXPECT_TRUE(devices.initJoysticks());
    EXPECT_EQ(joysticks.inits, 1);
    EXPECT_EQ(test.machine.host().joysticks, &joysticks);
    devices.setJoysticksAcquired(true);
    EXPECT_TRUE(joysticks.acquired);
    devices.setJoysticksAcquired(false);
    EXPECT_FALSE(joysticks.acquired);
    devices.releaseJoysticks();
    EXPECT_EQ(joysticks.releases, 1);
    EXPECT_EQ(test.machine.host().joysticks, nullptr);

    HostDevices none{test.machine, nullptr, nullptr, nullptr};
    EXPECT_FALSE(none.initJoysticks());
    none.setJoysticksAcquired(true);
    none.releaseJoysticks();
    EXPECT_FALSE(none.initSound()) << "no audio device: silent";
    EXPECT_EQ(none.soundReport(), "");
}

}  // namespace
}  // namespace vantorel
