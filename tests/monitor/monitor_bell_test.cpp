// The monitor's bell, heard: a line the monitor cannot carry out, typed on
// the emulated keyboard, gives " ?" and about 0.1 s of a 1 kHz click train
// on the audio device, three frames after the frames that played it.
#include <gtest/gtest.h>

#include <vector>

#include "machine/builtin_images.h"
#include "sound/sound_output.h"
#include "support/fake_audio_device.h"
#include "support/test_machine.h"
#include "support/tone_analysis.h"

namespace vantorel {
namespace {

using testing::FakeAudioDevice;
using testing::TestMachine;

// Every frame the device plays one frame of audio, as its clock would.
class ListeningMachine : public SpeakerSink {
  public:
    ListeningMachine() {
        installBuiltinImages(test_.machine.roms(), builtinRomImages());
        MachineHost host = test_.machine.host();
        host.speaker = this;
        test_.machine.attachHost(host);
        EXPECT_TRUE(sound_.initSound());
        test_.machine.hardReset();
    }
    void beginFrameSound(std::uint32_t start) override { sound_.beginFrameSound(start); }
    void recordSpeakerEdge(std::uint32_t tstates, std::uint8_t level) override {
        sound_.recordSpeakerEdge(tstates, level);
    }
    void endFrameSound() override {
        sound_.endFrameSound();
        const auto frame = device_.pullSamples(static_cast<std::size_t>(sound_.frameSamples()));
        heard.insert(heard.end(), frame.begin(), frame.end());
    }

    void runFrames(int frames) {
        for (int i = 0; i < frames; ++i) test_.machine.runFrame();
    }
    void press(std::uint8_t hostKey) {
        test_.keys.press(hostKey);
        runFrames(3);
        test_.keys.release(hostKey);
        runFrames(2);
    }

    std::vector<std::int16_t> heard;

  private:
    TestMachine test_;
    FakeAudioDevice device_;
    SoundOutput sound_{test_.machine.config(), test_.machine.timing(), &device_};
};

TEST(MonitorBell, ARejectedLineRingsTheBell) {
    ListeningMachine sorcerer;
    sorcerer.runFrames(30);  // the banner and the prompt
    EXPECT_EQ(testing::findTone(sorcerer.heard).first, -1);
    const std::size_t before = sorcerer.heard.size();
    sorcerer.press('X');
    sorcerer.press('X');
    EXPECT_EQ(testing::findTone(sorcerer.heard).first, -1);  // typing is silent
    sorcerer.press(0x0D);                                    // RETURN
    sorcerer.runFrames(30);
    const testing::ToneSpan tone = testing::findTone(sorcerer.heard);
    ASSERT_GE(tone.first, 0);
    EXPECT_GT(tone.first, static_cast<std::int64_t>(before));
    EXPECT_NEAR(tone.seconds(), 0.1 + 83 / 22050.0, 0.01);
    EXPECT_NEAR(tone.frequency, 999.0, 10.0);
    EXPECT_EQ(tone.signChanges, 199);  // 200 edges
}

}  // namespace
}  // namespace vantorel
