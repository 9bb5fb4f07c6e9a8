// The main window's sound on SDL's dummy driver: the speaker is connected,
// frames reach the device, a menu stops it and the next frame starts it
// again, a restart and the shutdown release it.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>

#include "host/sdl_audio_device.h"
#include "shell_harness.h"
#include "sound/sound_output.h"

namespace vantorel::testing {
namespace {

TEST(SdlSound, TheWindowPlaysTheSpeakerAndStopsItForAMenu) {
    ShellHarness shell({1, 2}, ClockKind::steady);
    const SoundOutput* sound = shell.window->devices().sound();
    ASSERT_NE(sound, nullptr);
    ASSERT_TRUE(sound->deviceOpen());
    EXPECT_EQ(shell.machine->host().speaker, sound);
    for (int voice = 0; voice < kVoiceCount; ++voice) EXPECT_TRUE(sound->voicePresent(voice));
    ASSERT_TRUE(shell.showActive());
    SdlAudioDevice& device = shell.audio;
    QElapsedTimer timer;
    timer.start();
    while (sound->framesWritten() < 20 && timer.elapsed() < 5000) QTest::qWait(5);
    EXPECT_GE(sound->framesWritten(), 20);
    EXPECT_TRUE(device.status(0).playing);

    QMenu* file = shell.window->menuBar()->actions().first()->menu();
    emit file->aboutToShow();
    for (int voice = 0; voice < kVoiceCount; ++voice) EXPECT_FALSE(device.status(voice).playing);
    EXPECT_EQ(sound->writeSlot(), 3);
    emit file->aboutToHide();
    const std::int64_t before = sound->framesWritten();
    timer.restart();
    while (sound->framesWritten() < before + 10 && timer.elapsed() < 5000) QTest::qWait(5);
    EXPECT_TRUE(device.status(0).playing);  // the next frame started it again

    EXPECT_TRUE(shell.window->devices().restartSound());
    EXPECT_EQ(shell.scheduler->pacing().framePeriodTicks(),
              736 * shell.scheduler->pacing().counterFrequency() / 44100);
    shell.window->close();
    EXPECT_EQ(shell.window->devices().sound(), nullptr);
    EXPECT_EQ(shell.machine->host().speaker, nullptr);
}

}  // namespace
}  // namespace vantorel::testing
