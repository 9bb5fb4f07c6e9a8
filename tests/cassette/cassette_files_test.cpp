// Play Cassette File and recordings in a whole machine: the type comes from
// the caller (the dialog's filter), not the extension; WAV refusals leave the
// machine idle; recordings made by a Z80 program are valid files after
// stopCassette or a reset and play back byte for byte.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "app/fed_files.h"
#include "cassette/wav_encoder.h"
#include "cassette/wav_reader.h"
#include "support/snapshot_builder.h"
#include "support/temp_folder.h"
#include "support/test_machine.h"

namespace vantorel {
namespace {

using testing::SnapshotBuilder;
using testing::TempFolder;
using testing::TestMachine;
using Bytes = std::vector<std::uint8_t>;

Bytes readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Motor on with `control`; sends B bytes from 3000, waits for the last to
// leave, spins.
void runSender(TestMachine& test, std::uint8_t control, std::uint8_t count) {
    test.runFrom(0x1000, {0x3E, control, 0xD3, 0xFE, 0x21, 0x00, 0x30, 0x06, count, 0xDB,
                          0xFD, 0xE6,    0x01, 0x28, 0xFA, 0x7E, 0xD3, 0xFC, 0x23,  0x10,
                          0xF4, 0xDB,    0xFD, 0xE6, 0x01, 0x28, 0xFA, 0x18, 0xFE});
}

// Motor on with `control`; stores every byte received from 2000 on.
void runReceiver(TestMachine& test, std::uint8_t control) {
    test.runFrom(0x1000, {0x3E, control, 0xD3, 0xFE, 0x21, 0x00, 0x20, 0xDB, 0xFD, 0xE6, 0x02, 0x28,
                          0xFA, 0xDB, 0xFC, 0x77, 0x23, 0x18, 0xF4});
}

class CassetteFiles : public ::testing::Test {
  protected:
    std::unique_ptr<TestMachine> test = std::make_unique<TestMachine>();
    Machine& machine = test->machine;
    TempFolder folder;

    void runFrames(int frames) {
        for (int frame = 0; frame < frames; ++frame) {
            test->nextFrameTime();
            machine.runFrame();
        }
    }
    Bytes received(std::size_t count) {
        const auto& image = machine.memory().image;
        return Bytes(image.begin() + 0x2000,
                     image.begin() + 0x2000 + static_cast<std::ptrdiff_t>(count));
    }
};

TEST_F(CassetteFiles, TheFilterChoosesTheType) {
    machine.writePort(0xFE, 0x00);  // 300 baud
    const Bytes raw = {0x55, 0x01, 0x02};
    SnapshotBuilder::writeFile(folder / "tape.cvz", raw);
    TapePlayResult result = playCassetteFile(machine, folder / "tape.cvz", TapeFormat::raw);
    EXPECT_TRUE(result.opened && result.playing);
    EXPECT_TRUE(machine.tapePlaying());
    EXPECT_NEAR(machine.tape().lengthSeconds(), 3 * 11 / 300.0, 1e-9);

    // A WAV file chosen under "All Files" plays raw: its bytes are the tape.
    const Bytes wav = wavFileBytes(Bytes(100, 128), 44100);
    SnapshotBuilder::writeFile(folder / "tape.wav", wav);
    result = playCassetteFile(machine, folder / "tape.wav", TapeFormat::raw);
    EXPECT_TRUE(result.playing);
    EXPECT_NEAR(machine.tape().lengthSeconds(), static_cast<double>(wav.size()) * 11 / 300.0, 1e-9);

    result = playCassetteFile(machine, folder / "tape.wav", TapeFormat::wav);
    EXPECT_TRUE(result.playing);
    EXPECT_NEAR(machine.tape().lengthSeconds(), 100 / 44100.0, 1e-9);
}

TEST_F(CassetteFiles, RefusedAndEmptyFilesLeaveTheMachineIdle) {
    SnapshotBuilder::writeFile(folder / "notes.txt",
                               Bytes{'a', 't', 'e', 'x', 't', 'f', 'i', 'l', 'e'});
    TapePlayResult result = playCassetteFile(machine, folder / "notes.txt", TapeFormat::wav);
    EXPECT_TRUE(result.opened);
    EXPECT_FALSE(result.playing);
    EXPECT_EQ(result.error, WavError::notEightBitMono);
    EXPECT_FALSE(machine.tapePlaying());

    SnapshotBuilder::writeFile(folder / "empty.cvz", Bytes{});
    result = playCassetteFile(machine, folder / "empty.cvz", TapeFormat::raw);
    EXPECT_TRUE(result.opened);
    EXPECT_FALSE(result.playing || machine.tapePlaying());
    EXPECT_EQ(result.error, WavError::none) << "no message for raw tapes";

    result = playCassetteFile(machine, folder / "missing.cvz", TapeFormat::raw);
    EXPECT_FALSE(result.opened) << "a file that does not open does nothing, not even its folder";
    result = playCassetteFile(machine, folder.path(), TapeFormat::wav);
    EXPECT_FALSE(result.opened) << "a folder is not a file";
    EXPECT_EQ(result.error, WavError::none);
}

TEST_F(CassetteFiles, RecordingsPlayBackAtBothBaudRatesInBothFormats) {
    Bytes sent;
    for (int i = 0; i < 40; ++i) sent.push_back(static_cast<std::uint8_t>(i * 37 + 3));
    std::copy(sent.begin(), sent.end(), machine.memory().image.begin() + 0x3000);
    struct Case {
        TapeFormat format;
        std::uint8_t control;
        int frames;
        const char* name;
    };
    const Case cases[] = {{TapeFormat::wav, 0x10, 100, "wav300.wav"},
                          {TapeFormat::wav, 0x50, 30, "wav1200.wav"},
                          {TapeFormat::raw, 0x20, 100, "raw300.cvz"},
                          {TapeFormat::raw, 0x60, 30, "raw1200.cvz"}};
    for (const Case& c : cases) {
        const auto path = folder / c.name;
        ASSERT_TRUE(machine.recordTape(c.format, path));
        EXPECT_TRUE(machine.tapeRecording());
        runSender(*test, c.control, static_cast<std::uint8_t>(sent.size()));
        runFrames(c.frames);
        EXPECT_TRUE(machine.tapeMoving());
        ASSERT_TRUE(machine.stopCassette()) << c.name;
        EXPECT_FALSE(machine.tapeRecording());

        const Bytes file = readFile(path);
        if (c.format == TapeFormat::wav) {
            const WavReadResult wav = parseWav(file);
            ASSERT_EQ(wav.error, WavError::none) << c.name;
            EXPECT_EQ(wav.tape.sampleRate, 44100u);
            EXPECT_NEAR(static_cast<double>(wav.tape.samples.size()) / 44100, c.frames / 60.0,
                        0.02);
        } else {
            EXPECT_EQ(file, sent) << c.name;
        }

        std::fill(machine.memory().image.begin() + 0x2000, machine.memory().image.begin() + 0x2100,
                  0);
        ASSERT_TRUE(playCassetteFile(machine, path, c.format).playing) << c.name;
        runReceiver(*test, c.control);
        runFrames(c.frames + 5);
        EXPECT_EQ(received(sent.size()), sent) << c.name;
        EXPECT_FALSE(machine.tapePlaying()) << "the tape played to its end";
    }
}

TEST_F(CassetteFiles, AResetCompletesTheRecordingAndReplacesTheOldFileWhole) {
    const auto path = folder / "tape.wav";
    SnapshotBuilder::writeFile(path, Bytes(100000, 0xEE));  // an older, longer file
    machine.memory().image[0x3000] = 0x42;
    ASSERT_TRUE(machine.recordTape(TapeFormat::wav, path));
    runSender(*test, 0x10, 1);
    runFrames(10);
    EXPECT_EQ(readFile(path), Bytes(100000, 0xEE)) << "nothing is written before the end";
    machine.softReset();
    const WavReadResult wav = parseWav(readFile(path));
    ASSERT_EQ(wav.error, WavError::none);
    EXPECT_LT(wav.tape.samples.size(), 10 * 44100 / 60 + 100);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator{}),
              1)
        << "no temporary file is left";

    EXPECT_TRUE(machine.recordTape(TapeFormat::raw, folder / "no-such-folder" / "tape.cvz"));
    EXPECT_FALSE(machine.stopCassette()) << "a recording that cannot be written says so";
    EXPECT_FALSE(std::filesystem::exists(folder / "no-such-folder"));
}

TEST_F(CassetteFiles, SpeedUpOnlyWhileTheTapeMoves) {
    machine.config().speedupfilesflag = true;
    machine.writePort(0xFE, 0x00);
    ASSERT_TRUE(machine.playTapeBytes({1, 2, 3}));
    FrameScheduler& scheduler = test->scheduler;
    scheduler.runPass();  // the first frame is due at once
    const std::uint32_t before = machine.tstateCounter();
    EXPECT_FALSE(scheduler.runsBackToBack());
    scheduler.runPass();  // the clock has not moved: no frame is due
    EXPECT_EQ(machine.tstateCounter(), before) << "a tape at rest keeps the prompt's pace";
    machine.writePort(0xFE, 0x10);
    EXPECT_TRUE(scheduler.runsBackToBack());
    scheduler.runPass();
    EXPECT_GT(machine.tstateCounter(), before) << "a moving tape runs frames at once";
}

}  // namespace
}  // namespace vantorel
