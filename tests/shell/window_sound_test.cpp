// The window's sound commands as a user meets them: File > Record Sound...
// asks for a file, says it records, becomes the item that stops it and
// writes a whole WAV file (at exit too); a file that cannot be made is
// told at once. Configure > Mute silences the output, ticks, and is kept in
// the settings file for the next start.
#include <gtest/gtest.h>

#include <QAction>
#include <cstring>
#include <fstream>
#include <iterator>

#include "app/start_folders.h"
#include "config/settings_file.h"
#include "shell_harness.h"
#include "sound/sound_output.h"

namespace vantorel::testing {
namespace {

constexpr std::int64_t kFrameSamples = 368;

// The number of samples of a well-formed 22050 Hz mono 16-bit WAV file, or
// -1 when the file is missing or its header is wrong.
std::int64_t wavSampleCount(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (bytes.size() < 44 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 8) != "WAVEfmt ") {
        return -1;
    }
    std::uint32_t rate = 0;
    std::uint32_t dataBytes = 0;
    std::memcpy(&rate, bytes.data() + 24, 4);
    std::memcpy(&dataBytes, bytes.data() + 40, 4);
    if (rate != 22050 || dataBytes != bytes.size() - 44) return -1;
    return static_cast<std::int64_t>(dataBytes / 2);
}

QString recordItemText(const ShellHarness& shell) {
    return shell.window->action(kCommandRecordSound)->text();
}

TEST(WindowSound, RecordSoundWritesAWavFileAndTheSameItemStopsIt) {
    ShellHarness shell;
    shell.window->setStartFolders(makeStartFolders(shell.folder.path()));
    ASSERT_TRUE(shell.showActive());
    const SoundOutput* sound = shell.window->devices().sound();
    ASSERT_NE(sound, nullptr);

    // A folder that cannot hold the file: told at once, nothing recorded.
    std::ofstream(shell.folder / "plain.txt") << "a file, not a folder";
    const std::string blocked = (shell.folder / "plain.txt" / "sound.wav").string();
    shell.chooser.saveAnswers.push_back(blocked);
    shell.window->runCommand(kCommandRecordSound);
    ASSERT_EQ(shell.messages.warnings.size(), 1);
    EXPECT_EQ(shell.messages.warnings[0],
              QString::fromStdString(blocked) + QStringLiteral(": cannot write the WAV file."));
    EXPECT_FALSE(shell.window->devices().soundRecording());
    EXPECT_EQ(recordItemText(shell), QStringLiteral("Record Sound..."));
    const FileDialogRequest& asked = shell.chooser.saveRequests.back();
    EXPECT_EQ(asked.caption, "Record Sound");
    EXPECT_EQ(asked.defaultSuffix, "wav");
    EXPECT_EQ(asked.fileName, "sound.wav");
    EXPECT_EQ(asked.startFolder, shell.folder.path().generic_string());

    const auto path = shell.folder / "out" / "window.wav";
    std::filesystem::create_directories(path.parent_path());
    shell.chooser.saveAnswers.push_back(path.string());
    shell.window->runCommand(kCommandRecordSound);
    ASSERT_TRUE(shell.window->devices().soundRecording());
    EXPECT_EQ(recordItemText(shell), QStringLiteral("Stop Sound Recording"));
    EXPECT_EQ(shell.window->display().notice().text(), QStringLiteral("Recording sound"));
    const std::int64_t first = sound->framesWritten();
    for (int pass = 0; pass < 20; ++pass) shell.runFrame();
    const std::int64_t frames = sound->framesWritten() - first;
    EXPECT_GE(frames, 15);

    shell.window->runCommand(kCommandRecordSound);
    EXPECT_FALSE(shell.window->devices().soundRecording());
    EXPECT_EQ(recordItemText(shell), QStringLiteral("Record Sound..."));
    EXPECT_EQ(shell.window->display().notice().text(), QStringLiteral("Sound recorded"));
    EXPECT_EQ(wavSampleCount(path), (frames + 3) * kFrameSamples);
    EXPECT_EQ(shell.machine->host().speaker, sound) << "the speaker is the sound output again";

    // The next dialog opens where the last file went; exit writes the file.
    const auto atExit = shell.folder / "out" / "exit.wav";
    shell.chooser.saveAnswers.push_back(atExit.string());
    shell.window->runCommand(kCommandRecordSound);
    EXPECT_EQ(shell.chooser.saveRequests.back().startFolder,
              (shell.folder / "out").generic_string() + "/");
    for (int pass = 0; pass < 3; ++pass) shell.runFrame();
    shell.window->close();
    EXPECT_GT(wavSampleCount(atExit), 3 * kFrameSamples);
    EXPECT_EQ(shell.messages.warnings.size(), 1);
}

TEST(WindowSound, MuteSilencesTheOutputAndIsKeptForTheNextStart) {
    TempFolder folder;
    const auto settings = folder / "default.ini";
    {
        ShellHarness shell({1, 2}, ClockKind::fake, settings);
        QAction* mute = shell.window->action(kCommandMute);
        EXPECT_FALSE(mute->isChecked());
        EXPECT_EQ(mute->shortcut(), QKeySequence(Qt::ALT | Qt::Key_M));
        shell.window->runCommand(kCommandMute);
        EXPECT_TRUE(mute->isChecked());
        EXPECT_TRUE(shell.window->devices().sound()->muted());
        EXPECT_EQ(shell.window->display().notice().text(), QStringLiteral("Sound muted"));
        MachineConfig reread;
        loadSettings(settings, reread, nullptr);
        EXPECT_TRUE(reread.muteflag);
        EXPECT_TRUE(reread.clickerflag) << "the sound section is written whole";
    }
    ShellHarness again({1, 2}, ClockKind::fake, settings, SettingsUse::readAtStart);
    EXPECT_TRUE(again.window->action(kCommandMute)->isChecked());
    EXPECT_TRUE(again.window->devices().sound()->muted());
    again.window->runCommand(kCommandMute);
    EXPECT_FALSE(again.window->devices().sound()->muted());
    EXPECT_EQ(again.window->display().notice().text(), QStringLiteral("Sound on"));
    EXPECT_TRUE(again.messages.warnings.isEmpty());
}

}  // namespace
}  // namespace vantorel::testing
