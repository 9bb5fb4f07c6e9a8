// Tape recordings that go to a file: written as they are made (the deck
// keeps nothing between slices), byte for byte what the same recording held
// in memory would give; a WAV recording stopped whole at its size limit; an
// empty one an empty file; and one whose file fails at any step kept, to be
// written whole under another name.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "cassette/wav_encoder.h"
#include "cassette/wav_reader.h"
#include "files/write_faults.h"
#include "support/snapshot_builder.h"
#include "support/temp_folder.h"
#include "support/test_machine.h"

namespace vantorel {
namespace {

namespace fs = std::filesystem;
using testing::SnapshotBuilder;
using testing::TempFolder;
using testing::TestMachine;
using Bytes = std::vector<std::uint8_t>;

Bytes readFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::uint32_t little32(const Bytes& bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
                                      bytes[at + 3] << 24);
}

std::vector<std::string> entriesOf(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A machine whose program sends `count` bytes from 3000 with the motor on
// (port FE `control`), then spins with the motor still on.
struct Sender {
    std::unique_ptr<TestMachine> test = std::make_unique<TestMachine>();
    Machine& machine = test->machine;

    Sender(std::uint8_t control, std::uint8_t count) {
        for (int i = 0; i < count; ++i) {
            machine.memory().image[0x3000 + i] = static_cast<std::uint8_t>(i * 29 + 5);
        }
        test->runFrom(0x1000, {0x3E, control, 0xD3, 0xFE, 0x21, 0x00, 0x30, 0x06, count, 0xDB,
                               0xFD, 0xE6,    0x01, 0x28, 0xFA, 0x7E, 0xD3, 0xFC, 0x23,  0x10,
                               0xF4, 0xDB,    0xFD, 0xE6, 0x01, 0x28, 0xFA, 0x18, 0xFE});
    }

    void runFrames(int frames) {
        for (int frame = 0; frame < frames; ++frame) {
            test->nextFrameTime();
            machine.runFrame();
        }
    }
};

constexpr std::uint8_t k300Baud = 0x10;   // motor 1 on, 300 baud
constexpr std::uint8_t k1200Baud = 0x50;  // motor 1 on, 1200 baud

// The file the same recording makes when it is kept in memory to the end.
Bytes recordedInMemory(TapeFormat format, std::uint8_t control, std::uint8_t count, int frames) {
    Sender sender(control, count);
    EXPECT_TRUE(sender.machine.recordTape(format));
    sender.runFrames(frames);
    sender.machine.stopCassette();
    const TapeRecording& recording = sender.machine.recordedTape();
    if (format == TapeFormat::raw) return recording.bytes;
    return wavFileBytes(encodeTapeSignal(recording.cells), kRecordingSampleRate);
}

TEST(TapeRecordingFile, StreamsAsItIsMadeAndEndsAsTheWholeRecordingWould) {
    for (const TapeFormat format : {TapeFormat::wav, TapeFormat::raw}) {
        TempFolder folder;
        const fs::path path = folder / (format == TapeFormat::wav ? "t.wav" : "t.cvz");
        SnapshotBuilder::writeFile(path, Bytes(100, 0xEE));
        Sender sender(k300Baud, 12);
        ASSERT_TRUE(sender.machine.recordTape(format, path, {kMaxWavDataBytes, 1024}));
        std::uintmax_t spooled = 0;
        for (int second = 0; second < 3; ++second) {
            sender.runFrames(60);
            const TapeRecording& held = sender.machine.recordedTape();
            EXPECT_TRUE(held.bytes.empty() && held.cells.empty()) << "nothing piles up in memory";
            EXPECT_EQ(readFile(path), Bytes(100, 0xEE)) << "the old file stands until the end";
            std::uintmax_t now = 0;
            for (const auto& entry : fs::directory_iterator(folder.path())) {
                if (entry.path() != path) now = entry.file_size();
            }
            if (format == TapeFormat::wav) {
                EXPECT_GT(now, spooled) << "the new file grows";
            }
            spooled = now;
        }
        ASSERT_TRUE(sender.machine.stopCassette());
        EXPECT_EQ(readFile(path), recordedInMemory(format, k300Baud, 12, 180));
        EXPECT_EQ(sender.machine.lastRecordingFile()->bytesSent(), 12u);
        const auto end = sender.machine.takeRecordingEnd();
        ASSERT_TRUE(end);
        EXPECT_TRUE(end->written && !end->stoppedAtLimit);
        EXPECT_EQ(end->path, path);
        EXPECT_FALSE(sender.machine.takeRecordingEnd()) << "an end is told once";
        EXPECT_EQ(entriesOf(folder.path()).size(), 1u);
    }
}

// The file is the original machine's: a copy taken while it records goes
// on recording in memory, and never writes, finishes or removes the file.
TEST(TapeRecordingFile, ACopiedMachineRecordsInMemoryAndLeavesTheFileAlone) {
    TempFolder folder;
    const fs::path path = folder / "t.cvz";
    Sender sender(k1200Baud, 6);
    ASSERT_TRUE(sender.machine.recordTape(TapeFormat::raw, path));
    {
        Machine copy = sender.machine;
        copy.attachHost(MachineHost{});
        for (int frame = 0; frame < 20; ++frame) copy.runFrame();
        EXPECT_EQ(copy.recordedTape().bytes.size(), 6u);
        EXPECT_EQ(copy.lastRecordingFile(), nullptr);
        EXPECT_TRUE(copy.stopCassette());
        EXPECT_FALSE(copy.takeRecordingEnd());
    }
    sender.runFrames(20);
    ASSERT_TRUE(sender.machine.stopCassette());
    EXPECT_EQ(readFile(path), recordedInMemory(TapeFormat::raw, k1200Baud, 6, 20));
}

TEST(TapeRecordingFile, AnEmptyRawRecordingIsAnEmptyFile) {
    TempFolder folder;
    TestMachine test;
    SnapshotBuilder::writeFile(folder / "empty.cvz", Bytes(10, 1));
    ASSERT_TRUE(test.machine.recordTape(TapeFormat::raw, folder / "empty.cvz"));
    ASSERT_TRUE(test.machine.stopCassette());
    EXPECT_TRUE(fs::exists(folder / "empty.cvz"));
    EXPECT_EQ(fs::file_size(folder / "empty.cvz"), 0u);
}

// At the limit (4 GiB in use, a few thousand samples here) the recording
// stops by itself: the file is complete, its header right, an odd count of
// samples padded, and its samples the start of the whole signal.
TEST(TapeRecordingFile, AWavRecordingStopsWholeAtItsSizeLimit) {
    TempFolder folder;
    const fs::path path = folder / "limit.wav";
    constexpr std::uint64_t kLimit = 20001;
    Sender sender(k1200Baud, 200);
    ASSERT_TRUE(sender.machine.recordTape(TapeFormat::wav, path, {kLimit, 4096}));
    sender.runFrames(60);
    EXPECT_FALSE(sender.machine.tapeRecording()) << "the full recording ended itself";
    const auto end = sender.machine.takeRecordingEnd();
    ASSERT_TRUE(end);
    EXPECT_TRUE(end->written);
    EXPECT_TRUE(end->stoppedAtLimit);

    const Bytes file = readFile(path);
    ASSERT_EQ(file.size(), kWavHeaderBytes + kLimit + 1);
    EXPECT_EQ(little32(file, 4), 36 + kLimit + 1) << "RIFF size, pad byte included";
    EXPECT_EQ(little32(file, 40), kLimit) << "data size";
    EXPECT_EQ(file.back(), 128) << "the pad byte is silence";
    const WavReadResult wav = parseWav(file);
    ASSERT_EQ(wav.error, WavError::none);
    ASSERT_EQ(wav.tape.samples.size(), kLimit);
    const Bytes whole = recordedInMemory(TapeFormat::wav, k1200Baud, 200, 60);
    EXPECT_TRUE(std::equal(wav.tape.samples.begin(), wav.tape.samples.end(),
                           whole.begin() + kWavHeaderBytes));
    EXPECT_EQ(entriesOf(folder.path()), std::vector<std::string>{"limit.wav"});

    // The header of the largest file: sizes just inside 32 bits.
    const auto top = wavHeader(static_cast<std::uint32_t>(kMaxWavDataBytes), kRecordingSampleRate);
    EXPECT_EQ(little32(Bytes(top.begin(), top.end()), 4), 0xFFFFFFFEu);
}

struct Fault {
    WriteStep step;
    int occurrence;
    TapeFormat format;
};

// Whichever step of the file fails, the reset that ends the recording
// keeps it; written under another name it is the whole recording, and the
// file it was to replace is as it was. Given up, nothing is left behind.
TEST(TapeRecordingFile, ARecordingWhoseFileFailsIsKeptToBeSavedElsewhere) {
    const Fault faults[] = {{WriteStep::write, 3, TapeFormat::wav},
                            {WriteStep::flush, 2, TapeFormat::wav},
                            {WriteStep::rename, 1, TapeFormat::wav},
                            {WriteStep::write, 1, TapeFormat::raw},
                            {WriteStep::rename, 1, TapeFormat::raw}};
    for (const Fault& fault : faults) {
        for (const bool saved : {true, false}) {
            SCOPED_TRACE(std::string(writeStepName(fault.step)) + " " +
                         std::to_string(fault.occurrence) + (saved ? " saved" : " dropped"));
            TempFolder folder;
            const fs::path path = folder / "tape.bin";
            SnapshotBuilder::writeFile(path, Bytes(100, 0xEE));
            Sender sender(k300Baud, 20);
            {
                FailingStep failing(fault.step, fault.occurrence);
                ScopedWriteFaults installed(failing);
                ASSERT_TRUE(
                    sender.machine.recordTape(fault.format, path, {kMaxWavDataBytes, 2048}));
                sender.runFrames(120);
                sender.machine.softReset();
                EXPECT_TRUE(failing.fired());
            }
            const auto end = sender.machine.takeRecordingEnd();
            ASSERT_TRUE(end);
            EXPECT_FALSE(end->written);
            EXPECT_EQ(readFile(path), Bytes(100, 0xEE));
            ASSERT_TRUE(sender.machine.hasUnsavedRecording());
            if (!saved) {
                sender.machine.dropUnsavedRecording();
                EXPECT_EQ(entriesOf(folder.path()), std::vector<std::string>{"tape.bin"});
                continue;
            }
            fs::create_directory(folder / "elsewhere");
            const fs::path other = folder / "elsewhere" / "kept.bin";
            ASSERT_TRUE(sender.machine.saveUnsavedRecording(other));
            EXPECT_FALSE(sender.machine.hasUnsavedRecording());
            EXPECT_EQ(readFile(other), recordedInMemory(fault.format, k300Baud, 20, 120));
            EXPECT_EQ(entriesOf(folder.path()), (std::vector<std::string>{"elsewhere", "tape.bin"}))
                << "the new file beside the old one is gone";
        }
    }
}

}  // namespace
}  // namespace vantorel
