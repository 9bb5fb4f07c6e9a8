// Mute and the sound recording of the host devices, with a program that
// plays a 1 kHz square wave on the speaker: muted, the device is given only
// silence while the machine, its AY chip and the sound's pacing run exactly
// as they do unmuted; a recording hears the tone, muted or not, leaves the
// machine as it would have been, keeps its frames' length through a new
// frame rate, and is written whole when stopped or when the sound is
// released; a file that cannot be made is refused at once.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/host_devices.h"
#include "support/fake_audio_device.h"
#include "support/temp_folder.h"
#include "support/test_machine.h"
#include "support/tone_analysis.h"
#include "timeline/movie.h"

namespace vantorel {
namespace {

using testing::FakeAudioDevice;
using testing::TempFolder;
using testing::TestMachine;

constexpr std::size_t kFrameSamples = 368;  // at 60 frames per second

// A machine with its sound on a fake device, playing a tone from the start.
struct SoundingMachine {
    TestMachine test;
    FakeAudioDevice device;
    HostDevices devices{test.machine, &test.scheduler, &device, nullptr};

    explicit SoundingMachine(bool muted) {
        test.machine.config().muteflag = muted;
        EXPECT_TRUE(devices.initSound());
        // edge: OUT (FF),A / CPL / 64 turns of DEC C, JR NZ / JR edge
        test.runFrom(0x1000,
                     {0x3E, 0xFF, 0xD3, 0xFF, 0x2F, 0x0E, 0x40, 0x0D, 0x20, 0xFD, 0x18, 0xF6});
    }

    // Runs frames, playing one frame of the device after each.
    std::vector<std::int16_t> run(int frames) {
        std::vector<std::int16_t> heard;
        for (int frame = 0; frame < frames; ++frame) {
            test.machine.runFrame();
            const auto samples = device.pullSamples(kFrameSamples);
            heard.insert(heard.end(), samples.begin(), samples.end());
        }
        return heard;
    }

    std::uint64_t hash() const { return stateHash(test.machine.state()); }
};

std::string fileBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The samples of a WAV file as the recorder writes it; empty when the
// header does not say 22050 Hz mono 16-bit or miscounts the data.
std::vector<std::int16_t> wavSamples(const std::string& bytes) {
    const auto little32 = [&](std::size_t at) {
        std::uint32_t value = 0;
        for (int i = 3; i >= 0; --i) {
            value = value << 8 | static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(i)]);
        }
        return value;
    };
    if (bytes.size() < 44 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 8) != "WAVEfmt " ||
        little32(24) != 22050 || little32(20) != 0x00010001 || little32(40) != bytes.size() - 44 ||
        little32(4) != bytes.size() - 8) {
        return {};
    }
    std::vector<std::int16_t> samples((bytes.size() - 44) / 2);
    std::memcpy(samples.data(), bytes.data() + 44, samples.size() * 2);
    return samples;
}

TEST(SoundMute, TheDeviceHearsSilenceWhileTheMachineRunsAsItWould) {
    SoundingMachine loud(false);
    SoundingMachine quiet(true);
    ASSERT_TRUE(quiet.devices.sound()->muted());
    const auto loudSamples = loud.run(60);
    const auto quietSamples = quiet.run(60);
    const testing::ToneSpan tone = testing::findTone(loudSamples);
    ASSERT_GE(tone.first, 0);
    EXPECT_NEAR(tone.frequency, 1000.0, 30.0);
    EXPECT_EQ(testing::findTone(quietSamples).first, -1) << "muted: nothing reaches the device";
    EXPECT_EQ(quiet.hash(), loud.hash()) << "the machine and its AY chip are as unmuted";
    EXPECT_EQ(quiet.devices.sound()->framePace(), loud.devices.sound()->framePace());
    EXPECT_EQ(quiet.devices.sound()->framesWritten(), loud.devices.sound()->framesWritten());
    EXPECT_EQ(quiet.devices.sound()->writeSlot(), loud.devices.sound()->writeSlot());

    // The choice is the settings record's, and outlasts a restart.
    ASSERT_TRUE(quiet.devices.restartSound());
    EXPECT_TRUE(quiet.devices.sound()->muted());
    EXPECT_EQ(testing::findTone(quiet.run(10)).first, -1);
    quiet.devices.setMuted(false);
    EXPECT_FALSE(quiet.test.machine.config().muteflag);
    EXPECT_GE(testing::findTone(quiet.run(10)).first, 0) << "heard again";
}

TEST(SoundRecording, RecordsTheToneHeardOrMutedAndIsWrittenWholeAtTheStop) {
    TempFolder folder;
    SoundingMachine recorded(true);  // muted: the recording still hears the tone
    SoundingMachine alone(true);
    const SpeakerSink* output = recorded.devices.sound();

    // A file that cannot be made is refused before anything is recorded.
    std::ofstream(folder / "plain.txt") << "a file, not a folder";
    EXPECT_FALSE(recorded.devices.startSoundRecording(folder / "plain.txt" / "sound.wav"));
    EXPECT_FALSE(recorded.devices.soundRecording());
    EXPECT_EQ(recorded.test.machine.host().speaker, output);

    ASSERT_TRUE(recorded.devices.startSoundRecording(folder / "tone.wav"));
    EXPECT_TRUE(recorded.devices.soundRecording());
    EXPECT_FALSE(recorded.devices.startSoundRecording(folder / "second.wav")) << "one at a time";
    EXPECT_FALSE(std::filesystem::exists(folder / "tone.wav")) << "named only when whole";
    EXPECT_EQ(testing::findTone(recorded.run(30)).first, -1) << "still muted";
    alone.run(30);
    EXPECT_EQ(recorded.hash(), alone.hash()) << "the AY chip advanced once a frame";
    EXPECT_EQ(recorded.devices.sound()->framesWritten(), 30);

    ASSERT_TRUE(recorded.devices.stopSoundRecording());
    EXPECT_FALSE(recorded.devices.soundRecording());
    EXPECT_EQ(recorded.test.machine.host().speaker, output) << "the sound output is back";
    const auto samples = wavSamples(fileBytes(folder / "tone.wav"));
    EXPECT_EQ(samples.size(), (30u + 3) * kFrameSamples);  // and the three still in the ring
    const testing::ToneSpan tone = testing::findTone(samples);
    ASSERT_GE(tone.first, 0);
    EXPECT_NEAR(tone.frequency, 1000.0, 30.0);

    // A new frame rate (PAL, 50 a second) gives the frames after it their
    // new length; a recording still running when the sound is released is
    // written too.
    ASSERT_TRUE(recorded.devices.startSoundRecording(folder / "last.wav"));
    recorded.run(5);
    recorded.test.machine.config().cpuspeedopt = 1;
    recorded.test.machine.computeTiming();
    ASSERT_TRUE(recorded.devices.restartSound());
    for (int frame = 0; frame < 5; ++frame) recorded.test.machine.runFrame();
    recorded.devices.releaseSound();
    EXPECT_FALSE(recorded.devices.soundRecording());
    EXPECT_EQ(recorded.test.machine.host().speaker, nullptr);
    constexpr std::size_t kPalFrameSamples = 441;
    EXPECT_EQ(wavSamples(fileBytes(folder / "last.wav")).size(),
              (5u + 3) * kFrameSamples + (5u + 3) * kPalFrameSamples);
}

}  // namespace
}  // namespace vantorel
