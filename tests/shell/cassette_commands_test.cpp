// The cassette commands of the real main window with a fake file dialog:
// the dialogs they ask for, the type chosen by the filter entry, the folder
// rule, the WAV messages, the states that refuse them, recording through
// Stop Cassette and exit, and the tape's place in the title.
#include "app/cassette_commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "app/command_line.h"
#include "app/headless_runner.h"
#include "app/start_folders.h"
#include "cassette/wav_encoder.h"
#include "cassette/wav_reader.h"
#include "files/write_faults.h"
#include "shell/menu_table.h"
#include "shell_harness.h"
#include "support/temp_folder.h"

namespace vantorel::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

void writeBytes(const std::filesystem::path& path, const Bytes& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

Bytes readBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string folderOf(const std::filesystem::path& path) {
    return path.parent_path().generic_string() + "/";
}

struct CassetteCommandFixture : ::testing::Test {
    TempFolder temp;
    ShellHarness shell;

    CassetteCommandFixture() { shell.window->setStartFolders(makeStartFolders(temp.path())); }
    const StartFolders& folders() const { return shell.window->startFolders(); }
    void choose(const std::filesystem::path& path, std::size_t filter) {
        shell.chooser.answers.push_back(path.string());
        shell.chooser.filterAnswers.push_back(filter);
    }
};

TEST_F(CassetteCommandFixture, PlayAsksForTapesInTheCassetteFolderAndTheFilterChoosesTheType) {
    const auto wav = temp / "tapes/game.wav";
    writeBytes(wav, wavFileBytes(Bytes(4410, 128), 22050));
    choose(wav, 2);  // "WAV Cassette Files"
    shell.window->runCommand(kCommandPlayCassette);
    ASSERT_EQ(shell.chooser.requests.size(), 1u);
    const FileDialogRequest& asked = shell.chooser.requests[0];
    EXPECT_FALSE(shell.chooser.requestsToWrite[0]);
    EXPECT_EQ(asked.startFolder, (temp.path() / "cassette").generic_string() + "/");
    ASSERT_EQ(asked.filters.size(), 4u);
    EXPECT_EQ(asked.filters[0].patterns,
              (std::vector<std::string>{"*.wav", "*.cvz", "*.WAV", "*.CVZ"}));
    EXPECT_EQ(asked.filters[1].patterns.front(), "*.cvz");
    EXPECT_EQ(asked.filters[2].patterns.front(), "*.wav");
    EXPECT_EQ(asked.filters[3].label, "All Files (*.*)");
    EXPECT_EQ(asked.defaultSuffix, "cvz");
    EXPECT_TRUE(shell.machine->tapePlaying());
    EXPECT_NEAR(shell.machine->tape().lengthSeconds(), 0.2, 1e-9) << "played as WAV";
    EXPECT_EQ(folders().cassette, folderOf(wav));
    EXPECT_TRUE(shell.messages.warnings.isEmpty());

    // A second play while one plays shows no dialog; after a soft reset it does.
    shell.window->runCommand(kCommandPlayCassette);
    EXPECT_EQ(shell.chooser.requests.size(), 1u);
    shell.window->runCommand(kCommandSoftReset);
    choose(wav, 1);  // "Raw Cassette Files": a file with a WAV header is WAV all the same
    shell.window->runCommand(kCommandPlayCassette);
    EXPECT_EQ(shell.chooser.requests.size(), 2u);
    EXPECT_TRUE(shell.machine->tapePlaying());
    EXPECT_NEAR(shell.machine->tape().lengthSeconds(), 0.2, 1e-9) << "played as WAV";

    // Any other file is raw under the shared entry, the raw one and All Files.
    const auto raw = temp / "tapes/game.cvz";
    writeBytes(raw, Bytes(4410, 128));
    for (const std::size_t filter : {0u, 1u, 3u}) {
        SCOPED_TRACE(filter);
        shell.window->runCommand(kCommandSoftReset);
        choose(raw, filter);
        shell.window->runCommand(kCommandPlayCassette);
        EXPECT_TRUE(shell.machine->tapePlaying());
        shell.machine->writePort(0xFE, 0x00);  // 300 baud
        EXPECT_NEAR(shell.machine->tape().lengthSeconds(), 4410.0 * 11 / 300, 1e-6);
    }
    EXPECT_TRUE(shell.messages.warnings.isEmpty());
}

TEST_F(CassetteCommandFixture, PlayedTapesJoinRecentFilesAndReopenByTheirName) {
    const auto wav = temp / "tapes/song.WAV";
    writeBytes(wav, wavFileBytes(Bytes(4410, 128), 22050));
    choose(wav, 3);  // "All Files": the header makes it WAV
    shell.window->runCommand(kCommandPlayCassette);
    ASSERT_TRUE(shell.machine->tapePlaying());
    ASSERT_FALSE(shell.window->recentFiles().entries().empty());
    EXPECT_EQ(shell.window->recentFiles().entries()[0],
              (RecentFile{RecentKind::tape, wav.generic_string()}));

    shell.window->runCommand(kCommandRecentFirst);  // refused: a tape plays
    EXPECT_EQ(shell.window->recentFiles().entries().size(), 1u);
    shell.window->runCommand(kCommandSoftReset);
    shell.window->runCommand(kCommandRecentFirst);  // by its name: WAV
    EXPECT_TRUE(shell.machine->tapePlaying());
    EXPECT_NEAR(shell.machine->tape().lengthSeconds(), 0.2, 1e-9);
    EXPECT_EQ(shell.window->recentFiles().entries().size(), 1u);
}

TEST_F(CassetteCommandFixture, RefusedWavFilesShowTheirMessageAndStillMoveTheFolder) {
    const auto text = temp / "notes/readme.txt";
    writeBytes(text, Bytes(20, 'x'));
    choose(text, 2);  // "WAV Cassette Files": a file that is not one is refused
    shell.window->runCommand(kCommandPlayCassette);
    ASSERT_EQ(shell.messages.warnings.size(), 1);
    EXPECT_EQ(shell.messages.warnings[0],
              QString::fromStdString(text.string()) +
                  QStringLiteral(": Input file must be an 8-bit Mono WAV file."));
    EXPECT_FALSE(shell.machine->tapePlaying());
    EXPECT_EQ(folders().cassette, folderOf(text));

    Bytes stereo = wavFileBytes(Bytes(10, 128), 44100);
    stereo[22] = 2;  // channels
    writeBytes(temp / "stereo.wav", stereo);
    choose(temp / "stereo.wav", 0);  // refused under every entry
    shell.window->runCommand(kCommandPlayCassette);
    EXPECT_EQ(shell.messages.warnings.size(), 2);

    writeBytes(temp / "empty.cvz", {});
    choose(temp / "empty.cvz", 1);
    shell.window->runCommand(kCommandPlayCassette);
    ASSERT_EQ(shell.messages.warnings.size(), 3) << "an empty raw tape is told too";
    EXPECT_TRUE(shell.messages.warnings[2].endsWith(
        QStringLiteral("empty.cvz: empty or unreadable tape.")));
    EXPECT_FALSE(shell.machine->tapePlaying());
}

TEST_F(CassetteCommandFixture, CancelOrAMissingFileChangesNoFolder) {
    const std::string before = folders().cassette;
    shell.window->runCommand(kCommandPlayCassette);  // no answer: cancelled
    choose(temp / "gone/missing.cvz", 0);
    shell.window->runCommand(kCommandPlayCassette);
    EXPECT_EQ(folders().cassette, before);
    EXPECT_FALSE(shell.machine->tapePlaying());

    const std::uint8_t text[] = {'a', 'b'};
    ASSERT_EQ(shell.machine->startQuickTypeText(text), QuickTypeResult::ok);
    const std::size_t asked = shell.chooser.requests.size();
    shell.window->runCommand(kCommandPlayCassette);
    shell.window->runCommand(kCommandRecordCassette);
    EXPECT_EQ(shell.chooser.requests.size(), asked) << "quick type refuses both";
}

TEST_F(CassetteCommandFixture, RecordWritesTheFileAtStopAndAtExit) {
    const auto wav = temp / "out/saved.wav";
    std::filesystem::create_directories(wav.parent_path());
    choose(wav, 0);  // both kinds: the name says WAV
    shell.window->runCommand(kCommandRecordCassette);
    ASSERT_TRUE(shell.chooser.requestsToWrite.back());
    EXPECT_EQ(shell.chooser.requests.back().defaultSuffix, "wav");
    EXPECT_TRUE(shell.machine->tapeRecording());
    EXPECT_EQ(folders().cassette, folderOf(wav));
    shell.window->runCommand(kCommandRecordCassette);
    EXPECT_EQ(shell.chooser.requests.size(), 1u) << "one recording at a time";

    shell.machine->writePort(0xFE, 0x10);  // motor on
    for (int frame = 0; frame < 30; ++frame) shell.runFrame();
    EXPECT_TRUE(shell.window->windowTitle().endsWith(QStringLiteral("Recording 0:00")))
        << shell.window->windowTitle().toStdString();
    shell.window->runCommand(kCommandStopCassette);
    EXPECT_FALSE(shell.machine->tapeRecording());
    const WavReadResult written = parseWav(readBytes(wav));
    ASSERT_EQ(written.error, WavError::none);
    EXPECT_NEAR(static_cast<double>(written.tape.samples.size()) / 44100.0, 0.5, 0.05);

    const auto raw = temp / "out/saved.cvz";
    choose(raw, 1);  // raw
    shell.window->runCommand(kCommandRecordCassette);
    shell.machine->writePort(0xFC, 0x5A);
    for (int frame = 0; frame < 5; ++frame) shell.runFrame();
    shell.window->runCommand(kCommandExit);
    EXPECT_EQ(readBytes(raw), Bytes{0x5A}) << "exit completes the recording";

    shell.window->runCommand(kCommandStopCassette);  // nothing left to stop
    EXPECT_TRUE(shell.messages.warnings.isEmpty());
}

// Whatever ends a recording whose file cannot be written (here the rename
// over the old file fails): a reset, Memory's OK (a posted hard reset), a
// new tape, exit. It is told as Stop Cassette tells it, and offered under
// another name; saved there it is the whole recording; cancelled, it goes.
TEST_F(CassetteCommandFixture, ARecordingThatCannotBeWrittenIsOfferedElsewhereHoweverItEnds) {
    writeBytes(temp / "play.cvz", Bytes{1, 2, 3});
    const auto target = temp / "out" / "rec.wav";
    std::filesystem::create_directories(target.parent_path());
    const int endings[] = {kCommandHardReset, kCommandSoftReset, kCommandPlayCassette,
                           kCommandStopCassette, kCommandExit};
    int kept = 0;
    for (const int end : endings) {
        SCOPED_TRACE(kept);
        shell.chooser.requests.clear();
        shell.chooser.requestsToWrite.clear();
        shell.messages.warnings.clear();
        shell.machine->stopCassette();  // the tape the last round played
        choose(target, 0);
        shell.window->runCommand(kCommandRecordCassette);
        ASSERT_TRUE(shell.machine->tapeRecording());
        shell.machine->writePort(0xFE, 0x10);
        for (int frame = 0; frame < 20; ++frame) shell.runFrame();

        const auto other = temp / ("kept" + std::to_string(kept++) + ".wav");
        if (end == kCommandPlayCassette) choose(temp / "play.cvz", 0);  // the new tape
        choose(other, 0);
        {
            FailingStep fault{WriteStep::rename};
            ScopedWriteFaults installed{fault};
            shell.window->runCommand(end);
        }
        ASSERT_EQ(shell.messages.warnings.size(), 1);
        EXPECT_TRUE(shell.messages.warnings[0].startsWith(
            QStringLiteral("Cannot write the recorded cassette file ") +
            QString::fromStdString(target.string())))
            << shell.messages.warnings[0].toStdString();
        ASSERT_FALSE(shell.chooser.requests.empty());
        const FileDialogRequest& asked = shell.chooser.requests.back();
        EXPECT_TRUE(shell.chooser.requestsToWrite.back());
        EXPECT_EQ(asked.caption, "Save Recording As");
        EXPECT_EQ(asked.fileName, "rec.wav");
        EXPECT_EQ(asked.defaultSuffix, "wav");
        const WavReadResult saved = parseWav(readBytes(other));
        ASSERT_EQ(saved.error, WavError::none);
        EXPECT_NEAR(static_cast<double>(saved.tape.samples.size()) / 44100.0, 20 / 60.0, 0.05);
        EXPECT_FALSE(std::filesystem::exists(target));
        EXPECT_FALSE(shell.machine->hasUnsavedRecording());
    }

    // Cancelled: the recording is given up, and nothing is left in its folder.
    ShellHarness again;
    again.window->setStartFolders(makeStartFolders(temp.path()));
    again.chooser.answers.push_back(target.string());
    again.window->runCommand(kCommandRecordCassette);
    again.machine->writePort(0xFE, 0x10);
    for (int frame = 0; frame < 5; ++frame) again.runFrame();
    {
        FailingStep fault{WriteStep::rename};
        ScopedWriteFaults installed{fault};
        again.window->runCommand(kCommandHardReset);
    }
    EXPECT_EQ(again.messages.warnings.size(), 1);
    EXPECT_FALSE(again.machine->hasUnsavedRecording());
    EXPECT_TRUE(std::filesystem::is_empty(target.parent_path()));

    // A file that cannot be made is refused at once.
    again.chooser.answers.push_back((temp / "no-folder" / "x.wav").string());
    again.window->runCommand(kCommandRecordCassette);
    EXPECT_FALSE(again.machine->tapeRecording());
    ASSERT_EQ(again.messages.warnings.size(), 2);
    EXPECT_EQ(again.messages.warnings[1],
              QString::fromStdString((temp / "no-folder" / "x.wav").string() +
                                     ": cannot write the recording."));
}

TEST_F(CassetteCommandFixture, TheTitleShowsThePositionWhileTheTapeMoves) {
    writeBytes(temp / "long.cvz", Bytes(600, 0x00));  // 22 seconds at 300 baud
    choose(temp / "long.cvz", 0);
    shell.window->runCommand(kCommandPlayCassette);
    shell.machine->writePort(0xFE, 0x00);
    EXPECT_EQ(tapeTitleText(*shell.machine), "") << "at rest";
    shell.machine->writePort(0xFE, 0x10);
    for (int frame = 0; frame < 130; ++frame) shell.runFrame();
    EXPECT_EQ(tapeTitleText(*shell.machine), "Tape 0:02 / 0:22");
    EXPECT_TRUE(shell.window->windowTitle().startsWith(QStringLiteral("Vantorel ")));
    EXPECT_TRUE(shell.window->windowTitle().endsWith(QStringLiteral("Tape 0:02 / 0:22")))
        << shell.window->windowTitle().toStdString();
}

TEST(HeadlessTape, RecordsAndPlaysWithTheNameRule) {
    TempFolder temp;
    const auto recorded = temp / "empty.wav";
    const char* recordArgs[] = {"vantorel", "--headless",    "--frames",
                                "30",       "--record-tape", recorded.c_str()};
    CommandLineResult parsed = parseCommandLine(6, recordArgs);
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runHeadless(parsed.options, out, err), 0) << err.str();
    EXPECT_EQ(parseWav(readBytes(recorded)).error, WavError::none) << "a .wav name records WAV";

    const char* badArgs[] = {"vantorel", "--headless", "--tape", recorded.c_str()};
    writeBytes(recorded, Bytes(30, 'x'));
    parsed = parseCommandLine(4, badArgs);
    ASSERT_TRUE(parsed.ok());
    EXPECT_EQ(runHeadless(parsed.options, out, err), 2);
    EXPECT_NE(err.str().find("Input file must be an 8-bit Mono WAV file"), std::string::npos);

    const auto raw = temp / "tape.bin";
    writeBytes(raw, Bytes(30, 'x'));
    const char* rawArgs[] = {"vantorel", "--headless", "--frames", "1", "--tape", raw.c_str()};
    parsed = parseCommandLine(6, rawArgs);
    EXPECT_EQ(runHeadless(parsed.options, out, err), 0) << "any other name plays raw";
}

}  // namespace
}  // namespace vantorel::testing
