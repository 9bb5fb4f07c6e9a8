// The sound output on a whole test machine with a fake audio device: frame
// sizes, where clicks land, their carry into the next frame, volumes, the
// voices the settings ask for, stop and restart, and the failure cases.
#include "sound/sound_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "sound/sound_sizes.h"
#include "support/fake_audio_device.h"
#include "support/test_machine.h"

namespace vantorel {
namespace {

using testing::FakeAudioDevice;
using testing::TestMachine;

constexpr std::uint32_t kNtscFrameTStates = 35106;

// A test machine whose speaker is the sound output on a fake device.
struct SoundRig {
    TestMachine test;
    FakeAudioDevice device;
    SoundOutput sound{test.machine.config(), test.machine.timing(), &device};

    SoundRig() {
        MachineHost host = test.machine.host();
        host.speaker = &sound;
        test.machine.attachHost(host);
    }
    MachineConfig& config() { return test.machine.config(); }
    // The frame period once the scheduler has taken the sound's pace, as the
    // host devices have it do after every start.
    std::int64_t periodTicks() {
        test.scheduler.followSound(&sound);
        return test.scheduler.pacing().framePeriodTicks();
    }
    std::vector<std::int16_t> staging() const {
        return {sound.clickerStaging().begin(), sound.clickerStaging().end()};
    }
    // One frame of the machine, then the device plays one frame of audio.
    std::vector<std::int16_t> frameAndPull() {
        test.clock.advanceMicroseconds(17000);
        test.machine.runFrame();
        return device.pullSamples(static_cast<std::size_t>(sound.frameSamples()));
    }
};

TEST(SoundOutput, FrameSizesAndPeriodFollowTheFrameRate) {
    EXPECT_EQ(frameBytesFor(60), 736);
    EXPECT_EQ(frameSamplesFor(60), 368);
    EXPECT_EQ(ringBytesFor(60), 8832);
    EXPECT_EQ(frameBytesFor(50), 882);
    EXPECT_EQ(frameSamplesFor(50), 441);
    EXPECT_EQ(ringBytesFor(50), 10584);
    EXPECT_EQ(frameBytesFor(100000), 2);  // no settings dialog offers it, still whole samples

    SoundRig ntsc;
    EXPECT_EQ(ntsc.periodTicks(), 1000000 / 60);
    ASSERT_TRUE(ntsc.sound.initSound());
    EXPECT_EQ(ntsc.sound.frameBytes(), 736);
    EXPECT_EQ(ntsc.periodTicks(), 736LL * 1000000 / 44100);  // 16,689 us
    EXPECT_EQ(ntsc.sound.clickerStaging().size(), 2u * 368);

    SoundRig pal;
    pal.config().cpuspeedopt = 1;
    pal.test.machine.computeTiming();
    ASSERT_TRUE(pal.sound.restartSound());
    EXPECT_EQ(pal.sound.frameSamples(), 441);
    EXPECT_EQ(pal.periodTicks(), 882LL * 1000000 / 44100);  // 20 ms
    for (int voice = 0; voice < kVoiceCount; ++voice) EXPECT_TRUE(pal.sound.voicePresent(voice));
}

TEST(SoundOutput, ClicksLandByTheirTStateAndCutEachOtherOff) {
    SoundRig rig;
    ASSERT_TRUE(rig.sound.initSound());
    const ClickTables& clicks = rig.sound.clickTables();
    const std::uint32_t start = 0xFFFFF000u;  // the counter wraps within the frame
    rig.sound.beginFrameSound(start);
    rig.sound.recordSpeakerEdge(start, 1);
    rig.sound.recordSpeakerEdge(start + kNtscFrameTStates / 2, 0);         // sample 184
    rig.sound.recordSpeakerEdge(start + kNtscFrameTStates / 2 + 3816, 1);  // 40 samples on
    const auto staging = rig.staging();
    EXPECT_TRUE(std::equal(clicks.rising.begin(), clicks.rising.end(), staging.begin()));
    EXPECT_EQ(staging[83], 0);
    EXPECT_EQ(staging[183], 0);
    EXPECT_EQ(staging[184], clicks.falling[0]);
    EXPECT_EQ(staging[184 + 39], clicks.falling[39]);
    // The third click replaces the second one's tail.
    EXPECT_TRUE(std::equal(clicks.rising.begin(), clicks.rising.end(), staging.begin() + 224));
    EXPECT_EQ(staging[224 + 83], 0);
}

TEST(SoundOutput, AClickLateInAFrameRunsIntoTheNext) {
    SoundRig rig;
    ASSERT_TRUE(rig.sound.initSound());
    const ClickTables& clicks = rig.sound.clickTables();
    rig.sound.beginFrameSound(0);
    rig.sound.recordSpeakerEdge(kNtscFrameTStates - 953, 1);  // sample 358: 10 in this frame
    rig.sound.endFrameSound();
    rig.sound.beginFrameSound(kNtscFrameTStates);
    auto staging = rig.staging();
    EXPECT_TRUE(std::equal(clicks.rising.begin() + 10, clicks.rising.end(), staging.begin()));
    EXPECT_TRUE(std::all_of(staging.begin() + 73, staging.end(), [](auto s) { return s == 0; }));
    // A frame without a click clears the carried part.
    rig.sound.endFrameSound();
    rig.sound.beginFrameSound(2 * kNtscFrameTStates);
    staging = rig.staging();
    EXPECT_TRUE(std::all_of(staging.begin(), staging.end(), [](auto s) { return s == 0; }));
    // An edge past the frame's budget is held where the whole click fits.
    rig.sound.recordSpeakerEdge(2 * kNtscFrameTStates + 3 * kNtscFrameTStates, 0);
    staging = rig.staging();
    EXPECT_EQ(staging[staging.size() - kClickSamples], clicks.falling[0]);
}

TEST(SoundOutput, VolumeScalesTheClicks) {
    const ClickTables silent = buildClickTables(0);
    EXPECT_TRUE(
        std::all_of(silent.rising.begin(), silent.rising.end(), [](auto s) { return s == 0; }));
    EXPECT_EQ(buildClickTables(100).rising[5], 7680);
    EXPECT_EQ(buildClickTables(100).falling[5], -7680);
    EXPECT_EQ(buildClickTables(50).rising[5], 3840);
    EXPECT_EQ(buildClickTables(50).rising[0], 22 * 128 / 2);
    EXPECT_EQ(buildClickTables(33).rising[82], 42);    // 1 x 128 x 33 / 100, truncated
    EXPECT_EQ(buildClickTables(250).rising[5], 7680);  // a strange setting stays in range
    SoundRig rig;
    rig.config().clickervolpct = 100;
    rig.sound.initSound();
    EXPECT_EQ(*std::max_element(rig.sound.clickTables().rising.begin(),
                                rig.sound.clickTables().rising.end()),
              7680);
}

TEST(SoundOutput, SettingsChooseTheVoices) {
    SoundRig both;
    both.config().clickerflag = false;
    both.config().ayflag = false;
    EXPECT_TRUE(both.sound.initSound());
    for (int voice = 0; voice < kVoiceCount; ++voice) EXPECT_FALSE(both.sound.voicePresent(voice));
    EXPECT_EQ(both.periodTicks(), 736LL * 1000000 / 44100);
    both.frameAndPull();
    EXPECT_TRUE(both.device.writtenSlots.empty());

    SoundRig clickerOnly;
    clickerOnly.config().ayflag = false;
    EXPECT_TRUE(clickerOnly.sound.initSound());
    EXPECT_TRUE(clickerOnly.sound.voicePresent(0));
    EXPECT_FALSE(clickerOnly.sound.voicePresent(1));
    EXPECT_EQ(clickerOnly.sound.ay().chip().updateStep, 3229);  // started all the same
}

TEST(SoundOutput, WithoutADeviceTheMachineRunsSilentlyAtItsOwnPeriod) {
    SoundRig rig;
    rig.device.openFails = true;
    EXPECT_FALSE(rig.sound.initSound());
    EXPECT_FALSE(rig.sound.deviceOpen());
    EXPECT_EQ(rig.periodTicks(), 1000000 / 60);
    EXPECT_EQ(rig.sound.clickTables().rising[5], 3840);  // built all the same
    EXPECT_EQ(rig.sound.writeSlot(), 3);
    rig.test.runFrom(0x1000, {0x3E, 0xFF, 0xD3, 0xFF, 0x2F, 0x18, 0xFB});  // toggle port FF
    for (int frame = 0; frame < 3; ++frame) rig.frameAndPull();
    EXPECT_TRUE(rig.device.writtenSlots.empty());
    rig.sound.releaseSound();

    TestMachine test;
    SoundOutput none{test.machine.config(), test.machine.timing(), nullptr};
    EXPECT_FALSE(none.initSound());
    none.beginFrameSound(0);
    none.recordSpeakerEdge(100, 1);
    none.endFrameSound();
    none.stopSound();
}

TEST(SoundOutput, AVoiceThatCannotBeCreatedLeavesTheOthersPlaying) {
    SoundRig rig;
    rig.config().cpuspeedopt = 1;  // PAL: a period the failure must not change
    rig.test.machine.computeTiming();
    rig.test.scheduler.setUpPacing();
    rig.device.createFails[2] = true;
    EXPECT_FALSE(rig.sound.initSound());
    EXPECT_EQ(rig.periodTicks(), 1000000 / 50);
    EXPECT_EQ(rig.sound.ay().chip().updateStep, 0);  // the AY is not started
    EXPECT_TRUE(rig.sound.voicePresent(0));
    EXPECT_FALSE(rig.sound.voicePresent(2));
    rig.frameAndPull();
    EXPECT_EQ(rig.device.writtenSlots, std::vector<int>{3});
}

TEST(SoundOutput, StopSilencesAndRestartsAtSlotThree) {
    SoundRig rig;
    ASSERT_TRUE(rig.sound.initSound());
    for (int frame = 0; frame < 3; ++frame) rig.frameAndPull();
    EXPECT_EQ(rig.device.writtenSlots, (std::vector<int>{3, 4, 5}));
    rig.sound.stopSound();
    EXPECT_EQ(rig.sound.writeSlot(), 3);
    for (int voice = 0; voice < kVoiceCount; ++voice) {
        EXPECT_FALSE(rig.device.status(voice).playing);
        EXPECT_EQ(rig.device.status(voice).playPositionBytes, 0);
    }
    rig.sound.endFrameSound();  // the frame that was running when the menu opened
    EXPECT_EQ(rig.device.writtenSlots.size(), 3u);
    rig.frameAndPull();
    EXPECT_EQ(rig.device.writtenSlots, (std::vector<int>{3, 4, 5, 3}));
    EXPECT_TRUE(rig.device.status(0).playing);
    EXPECT_EQ(rig.device.plays[0], 2);
    EXPECT_EQ(rig.device.counters().underruns, 0);
    EXPECT_EQ(rig.device.counters().overwrites, 0);
}

// A port FF edge at the start of a frame is heard three frames later, at
// the start of that frame's audio; the AY adds nothing.
TEST(SoundOutput, AnEdgeReachesTheDeviceThreeFramesLater) {
    SoundRig rig;
    ASSERT_TRUE(rig.sound.initSound());
    // OUT (FF),A with A = FF as the first instruction of a frame, then spin.
    rig.test.runFrom(0x1000, {0x3E, 0xFF, 0xD3, 0xFF, 0xC3, 0x04, 0x10});
    std::vector<std::vector<std::int16_t>> heard;
    for (int frame = 0; frame < 6; ++frame) heard.push_back(rig.frameAndPull());
    for (int frame : {0, 1, 2, 4, 5}) {
        EXPECT_TRUE(std::all_of(heard[frame].begin(), heard[frame].end(), [](auto s) {
            return s == 0;
        })) << frame;
    }
    const ClickTables& clicks = rig.sound.clickTables();
    // LD A,FF takes 7 T-states: sample 0 all the same.
    EXPECT_TRUE(std::equal(clicks.rising.begin(), clicks.rising.end(), heard[3].begin()));
    EXPECT_TRUE(std::all_of(heard[3].begin() + kClickSamples, heard[3].end(),
                            [](auto s) { return s == 0; }));
}

TEST(SoundOutput, ReleaseFreesEverythingAndMayRepeat) {
    SoundRig rig;
    ASSERT_TRUE(rig.sound.initSound());
    rig.frameAndPull();
    rig.sound.releaseSound();
    EXPECT_FALSE(rig.device.isOpen());
    EXPECT_TRUE(rig.sound.clickerStaging().empty());
    EXPECT_FALSE(rig.device.status(0).present);
    rig.sound.releaseSound();
    EXPECT_EQ(rig.device.closes, 1);
    rig.frameAndPull();  // frames after release change nothing
    EXPECT_TRUE(rig.sound.restartSound());
    EXPECT_EQ(rig.device.opens, 2);
}

}  // namespace
}  // namespace vantorel
