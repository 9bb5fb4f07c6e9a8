// The real SDL2 audio device on SDL's dummy driver: it opens, plays the
// rings from its own thread, stops, restarts and closes without a leak or
// a race (the sanitizer builds, ThreadSanitizer too, run this); with no
// driver the machine runs silently and says so once.
#include "host/sdl_audio_device.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "sound/sound_output.h"
#include "support/fake_host.h"
#include "support/test_machine.h"

namespace vantorel::testing {
namespace {

constexpr std::int32_t kFrameBytes = 736;

// SDL's dummy driver unless the environment chose one.
void useDummyDriverByDefault() {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
}

// Waits (up to two seconds) until the voice's play position has moved on.
bool positionMoves(SdlAudioDevice& device, int voice) {
    const std::int32_t start = device.status(voice).playPositionBytes;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < deadline) {
        if (device.status(voice).playPositionBytes != start) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

TEST(SdlSound, TheDeviceOpensPlaysStopsAndReopens) {
    useDummyDriverByDefault();
    RecordingDebugOutput debug;
    SdlAudioDevice device(&debug);
    ASSERT_TRUE(device.open()) << debug.text;
    EXPECT_EQ(device.driverName(), "dummy");
    EXPECT_EQ(device.bufferSamples(), kDeviceBufferSamples);
    for (int voice = 0; voice < kVoiceCount; ++voice) {
        ASSERT_TRUE(device.createVoice(voice, kFrameBytes));
    }
    const std::vector<std::int16_t> frame(kFrameBytes / 2, 1000);
    for (int slot = 0; slot < kRingSlots; ++slot) EXPECT_TRUE(device.writeSlot(0, slot, frame));
    EXPECT_TRUE(device.playLooping(0));
    EXPECT_TRUE(device.status(0).playing);
    EXPECT_TRUE(positionMoves(device, 0));
    EXPECT_FALSE(device.status(1).playing);
    EXPECT_EQ(device.status(1).playPositionBytes, 0);

    device.stop(0);
    device.clearVoice(0);
    device.setPosition(0, 0);
    EXPECT_FALSE(device.status(0).playing);
    EXPECT_EQ(device.status(0).playPositionBytes, 0);
    EXPECT_TRUE(device.playLooping(0));
    EXPECT_TRUE(positionMoves(device, 0));
    EXPECT_GT(device.handOffDelay().count, 0);  // slots written before were taken

    device.close();
    EXPECT_FALSE(device.status(0).present);
    EXPECT_FALSE(device.createVoice(0, kFrameBytes));
    ASSERT_TRUE(device.open());
    EXPECT_TRUE(device.createVoice(0, kFrameBytes));
    EXPECT_TRUE(debug.text.empty()) << debug.text;
}

TEST(SdlSound, WithoutADriverTheMachineRunsSilentlyAndSaysSoOnce) {
    useDummyDriverByDefault();
    const char* before = std::getenv("SDL_AUDIODRIVER");
    const std::string saved = before != nullptr ? before : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    RecordingDebugOutput debug;
    {
        TestMachine test;
        SdlAudioDevice device(&debug);
        SoundOutput sound(test.machine.config(), test.machine.timing(), &device);
        EXPECT_FALSE(sound.initSound());
        EXPECT_FALSE(sound.restartSound());
        sound.beginFrameSound(0);
        sound.recordSpeakerEdge(10, 1);
        sound.endFrameSound();
        sound.stopSound();
        sound.releaseSound();
    }
    setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
    EXPECT_EQ(debug.text.find("Sound: no audio output"), 0u) << debug.text;
    EXPECT_EQ(debug.text.find("Sound:", 1), std::string::npos) << debug.text;
}

// Frames written in real time while SDL's thread plays them, with a stop
// and a restart between: the hand-off the sanitizers watch.
TEST(SdlSound, FramesAreWrittenWhileTheCallbackPlays) {
    useDummyDriverByDefault();
    TestMachine test;
    SdlAudioDevice device;
    SoundOutput sound(test.machine.config(), test.machine.timing(), &device);
    ASSERT_TRUE(sound.initSound());
    std::uint32_t tstates = 0;
    for (int frame = 0; frame < 60; ++frame) {
        if (frame == 30) sound.stopSound();
        sound.beginFrameSound(tstates);
        for (std::uint32_t edge = 0; edge < 35106; edge += 1054) {
            sound.recordSpeakerEdge(tstates + edge, static_cast<std::uint8_t>(edge / 1054 & 1));
        }
        sound.endFrameSound();
        tstates += 35106;
        std::this_thread::sleep_for(std::chrono::microseconds(16689));
    }
    EXPECT_EQ(sound.framesWritten(), 60);
    EXPECT_TRUE(device.status(0).playing);
    EXPECT_EQ(device.counters().overwrites, 0);
    EXPECT_GT(device.handOffDelay().count, 0);
    sound.releaseSound();
}

}  // namespace
}  // namespace vantorel::testing
