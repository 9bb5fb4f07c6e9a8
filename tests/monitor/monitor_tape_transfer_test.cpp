// Files through the monitor and the cassette interface of a whole machine:
// a program entered with EN and saved with SA is recorded, the machine is
// hard reset, and LO, LOG and FI read the recording back; hand-made tapes
// check the format, the choice of file and the check bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/fed_files.h"
#include "monitor/monitor_machine.h"
#include "support/monitor_tape.h"
#include "support/temp_folder.h"

namespace vantorel::testing {
namespace {

// At 0100: print "HI" through E01B and return to the monitor.
const std::vector<std::uint8_t> kProgram = {0x3E, 'H',  0xCD, 0x1B, 0xE0, 0x3E,
                                            'I',  0xCD, 0x1B, 0xE0, 0xC9};
constexpr std::uint16_t kProgramAt = 0x0100;

std::vector<std::uint8_t> readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// Runs until a fresh prompt shows (a line holding only ">"), at most
// `maxFrames` frames; false if none came.
bool runUntilPrompt(MonitorMachine& sorcerer, int maxFrames) {
    for (int frame = 0; frame < maxFrames; frame += 10) {
        sorcerer.runFrames(10);
        const int row = sorcerer.promptRow();
        if (row >= 0 && sorcerer.lines()[static_cast<std::size_t>(row)] == ">_") return true;
    }
    return false;
}

std::string hexByte(std::uint8_t value) {
    const char* digits = "0123456789ABCDEF";
    return {digits[value >> 4], digits[value & 15]};
}

void enterProgram(MonitorMachine& sorcerer) {
    std::string line;
    for (std::uint8_t byte : kProgram) line += hexByte(byte) + " ";
    sorcerer.type("EN 100\n" + line + "/\n");
}

std::vector<std::uint8_t> memoryAt(MonitorMachine& sorcerer, std::uint16_t address,
                                   std::size_t count) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < count; ++i) {
        bytes.push_back(sorcerer.peek(static_cast<std::uint16_t>(address + i)));
    }
    return bytes;
}

// A multi-block payload with runs that look like a leader (00 ... 01).
std::vector<std::uint8_t> testData(std::size_t size) {
    std::vector<std::uint8_t> data(size);
    for (std::size_t i = 0; i < size; ++i) {
        data[i] = i % 64 < 20 ? (i % 64 == 19 ? 0x01 : 0x00) : static_cast<std::uint8_t>(i * 7);
    }
    return data;
}

// Records `command` (a SA line) onto a raw tape and returns the bytes.
std::vector<std::uint8_t> recordSave(MonitorMachine& sorcerer, const std::string& command) {
    sorcerer.machine().recordTape(TapeFormat::raw);
    sorcerer.type(command + "\n", 0);
    EXPECT_TRUE(runUntilPrompt(sorcerer, 60 * 60)) << sorcerer.screen();
    sorcerer.machine().stopCassette();
    return sorcerer.machine().recordedTape().bytes;
}

TEST(MonitorTapeTransfer, SaveWritesTheDocumentedFormat) {
    MonitorMachine sorcerer;
    enterProgram(sorcerer);
    const std::vector<std::uint8_t> tape = recordSave(sorcerer, "SA HELLO 100 10A");
    EXPECT_EQ(sorcerer.lines()[sorcerer.promptRow() - 1], "HELLO 00 000B 0100 0100");

    const auto expected = monitorTapeFile({"HELLO", 0x00, kProgramAt, kProgramAt}, kProgram, 80);
    ASSERT_EQ(tape.size(), expected.size() + 4);  // and the 00 bytes of the trailer
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), tape.begin()));
    for (std::size_t i = expected.size(); i < tape.size(); ++i) EXPECT_EQ(tape[i], 0) << i;
    EXPECT_EQ(sorcerer.machine().tape().control() & 0x30, 0);  // the motor stopped
}

TEST(MonitorTapeTransfer, GoAddressTypeAndFastSpeedAreWrittenForOneSave) {
    MonitorMachine sorcerer;
    sorcerer.poke(0x2000, {1, 2, 3});
    sorcerer.type("SE T=0 X=2001 F=D8\n");
    auto files = readMonitorTape(recordSave(sorcerer, "SA AB 2000 2002 2"));
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].header.name, "AB   ");
    EXPECT_EQ(files[0].header.type, 0xD8);
    EXPECT_EQ(files[0].header.load, 0x2000);
    EXPECT_EQ(files[0].header.go, 0x2001);
    EXPECT_EQ(files[0].data, std::vector<std::uint8_t>({1, 2, 3}));
    EXPECT_TRUE(files[0].checksGood);
    EXPECT_GT(sorcerer.machine().recordedTape().tstates, 0);

    files = readMonitorTape(recordSave(sorcerer, "SA AB 2000 2002"));  // back to the defaults
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].header.type, 0x00);
    EXPECT_EQ(files[0].header.go, 0x2000);
}

TEST(MonitorTapeTransfer, ManyBlocksRoundTripAfterAHardReset) {
    MonitorMachine sorcerer;
    const std::vector<std::uint8_t> data = testData(600);  // blocks of 256, 256 and 88
    for (std::size_t i = 0; i < data.size(); ++i) {
        sorcerer.poke(static_cast<std::uint16_t>(0x3000 + i), {data[i]});
    }
    sorcerer.type("SE T=0\n");
    const std::vector<std::uint8_t> tape = recordSave(sorcerer, "SA BIG 3000 3257");
    const auto files = readMonitorTape(tape);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].data, data);
    EXPECT_TRUE(files[0].checksGood);

    sorcerer.hardReset();
    EXPECT_NE(memoryAt(sorcerer, 0x3000, data.size()), data);
    ASSERT_TRUE(sorcerer.machine().playTapeBytes(tape));
    sorcerer.type("SE T=0\nLO\n", 0);
    ASSERT_TRUE(runUntilPrompt(sorcerer, 60 * 30)) << sorcerer.screen();
    EXPECT_EQ(memoryAt(sorcerer, 0x3000, data.size()), data);
    EXPECT_EQ(sorcerer.lines()[sorcerer.promptRow() - 1], "BIG   00 0258 3000 3000");
}

TEST(MonitorTapeTransfer, LoadOfANameSkipsTheOtherFiles) {
    MonitorMachine sorcerer;
    const std::vector<std::uint8_t> first = testData(300);
    std::vector<std::uint8_t> tape = monitorTapeFile({"FIRST", 0, 0x2000, 0x2000}, first);
    const std::vector<std::uint8_t> second = {0xAA, 0xBB, 0xCC};
    const auto more = monitorTapeFile({"TWO", 0, 0x2100, 0x2100}, second, 20);
    tape.insert(tape.end(), more.begin(), more.end());
    ASSERT_TRUE(sorcerer.machine().playTapeBytes(tape));

    sorcerer.type("SE T=0\nLO TWO\n", 0);
    ASSERT_TRUE(runUntilPrompt(sorcerer, 60 * 30)) << sorcerer.screen();
    const int prompt = sorcerer.promptRow();
    EXPECT_EQ(sorcerer.lines()[prompt - 2], "FIRST 00 012C 2000 2000");
    EXPECT_EQ(sorcerer.lines()[prompt - 1], "TWO   00 0003 2100 2100");
    EXPECT_EQ(memoryAt(sorcerer, 0x2000, 4), std::vector<std::uint8_t>(4, 0));  // skipped
    EXPECT_EQ(memoryAt(sorcerer, 0x2100, 3), second);
}

TEST(MonitorTapeTransfer, AWrongCheckByteEndsTheLoadWithTheBell) {
    MonitorMachine sorcerer;
    std::vector<std::uint8_t> tape = monitorTapeFile({"BAD", 0, 0x2000, 0x2000}, testData(400));
    tape[80 + 1 + 17 + 300] ^= 0x04;  // a data byte in the second block
    ASSERT_TRUE(sorcerer.machine().playTapeBytes(tape));
    sorcerer.speaker().edges.clear();
    sorcerer.type("SE T=0\nLOG\n", 0);
    ASSERT_TRUE(runUntilPrompt(sorcerer, 60 * 30)) << sorcerer.screen();
    EXPECT_EQ(sorcerer.lines()[sorcerer.promptRow() - 1], "TAPE ERROR");
    EXPECT_GE(sorcerer.speaker().edges.size(), 150u);
    EXPECT_EQ(sorcerer.machine().tape().control() & 0x30, 0);

    tape = monitorTapeFile({"BAD", 0, 0x2000, 0x2000}, kProgram);
    tape[80 + 1 + 9] ^= 0x10;  // the load address in the header
    ASSERT_TRUE(sorcerer.machine().playTapeBytes(tape));
    sorcerer.type("LO\n", 0);
    ASSERT_TRUE(runUntilPrompt(sorcerer, 60 * 30)) << sorcerer.screen();
    EXPECT_EQ(sorcerer.lines()[sorcerer.promptRow() - 1], "TAPE ERROR");
}

TEST(MonitorTapeTransfer, LogRunsTheFileUnlessItsTypeIsD8) {
    MonitorMachine sorcerer;
    std::vector<std::uint8_t> tape = monitorTapeFile({"RUN", 0, kProgramAt, kProgramAt}, kProgram);
    const auto data = monitorTapeFile({"DATA", 0xD8, kProgramAt, kProgramAt}, kProgram);
    tape.insert(tape.end(), data.begin(), data.end());
    ASSERT_TRUE(sorcerer.machine().playTapeBytes(tape));
    sorcerer.type("SE T=0\nLOG\n", 0);
    ASSERT_TRUE(runUntilPrompt(sorcerer, 60 * 30)) << sorcerer.screen();
    EXPECT_EQ(sorcerer.lines()[sorcerer.promptRow() - 1], "HI");

    sorcerer.type("LOG DATA\n", 0);  // the tape goes on from where it stopped
    ASSERT_TRUE(runUntilPrompt(sorcerer, 60 * 30)) << sorcerer.screen();
    EXPECT_EQ(sorcerer.lines()[sorcerer.promptRow() - 1], "DATA  D8 000B 0100 0100");
}

// FI lists every file as the tape passes, until RUN/STOP.
TEST(MonitorTapeTransfer, FilesListsEveryHeader) {
    MonitorMachine sorcerer;
    std::vector<std::uint8_t> tape;
    for (const char* name : {"ONE", "TWO", "THREE"}) {
        const auto file = monitorTapeFile({name, 0x01, 0x4000, 0x4003}, testData(260), 30);
        tape.insert(tape.end(), file.begin(), file.end());
    }
    ASSERT_TRUE(sorcerer.machine().playTapeBytes(tape));
    sorcerer.type("SE T=0\nFI\n", 0);
    sorcerer.runFrames(60 * 12);
    EXPECT_EQ(sorcerer.rowContaining("ONE   01 0104 4000 4003"), 5) << sorcerer.screen();
    EXPECT_EQ(sorcerer.rowContaining("TWO   01 0104 4000 4003"), 6);
    EXPECT_EQ(sorcerer.rowContaining("THREE 01 0104 4000 4003"), 7);
    EXPECT_EQ(sorcerer.peek(0x4000), 0);  // nothing loaded
    sorcerer.hold({kVirtualKeyEscape}, 8);
    ASSERT_TRUE(runUntilPrompt(sorcerer, 60));
    EXPECT_EQ(sorcerer.lines()[8], "BREAK");
}

// Plays the tape file at `path` (of `format`) from its start.
void playFile(MonitorMachine& sorcerer, const std::filesystem::path& path, TapeFormat format) {
    const TapePlayResult result = playCassetteFile(sorcerer.machine(), path, format);
    ASSERT_TRUE(result.playing) << path << " " << static_cast<int>(result.error);
}

struct RoundTrip {
    const char* speed;  // the SE line that sets it
    TapeFormat format;
    const char* fileName;
};

// A program typed in with EN, saved to a tape file, the machine hard reset:
// LO brings the same bytes back to the same addresses, FI lists the file,
// LOG runs it.
class EnteredProgramRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(EnteredProgramRoundTrip, LoadsListsAndRuns) {
    const RoundTrip trip = GetParam();
    const TempFolder folder;
    const std::filesystem::path path = folder / trip.fileName;
    MonitorMachine sorcerer;
    const std::string speed = trip.speed;
    sorcerer.type(speed + "\n");
    enterProgram(sorcerer);
    ASSERT_TRUE(sorcerer.machine().recordTape(trip.format, path));
    sorcerer.type("SA HI 100 10A\n", 0);
    ASSERT_TRUE(runUntilPrompt(sorcerer, 60 * 60)) << sorcerer.screen();
    ASSERT_TRUE(sorcerer.machine().stopCassette());
    // The motor ran for the file's frames at the chosen speed (and a little more).
    const TapeRecording& recorded = sorcerer.machine().recordedTape();
    const TapeRecordingFile& file = *sorcerer.machine().lastRecordingFile();
    const double baud = speed == "SE T=0" ? 1200.0 : 300.0;
    const double frames = static_cast<double>(file.bytesSent()) * 11.0 * 2106360.0 / baud;
    EXPECT_NEAR(recorded.tstates, frames, frames * 0.1);
    EXPECT_TRUE(recorded.bytes.empty()) << "the file took the bytes as they came";
    ASSERT_GE(std::filesystem::file_size(path), file.bytesSent());

    sorcerer.hardReset();
    EXPECT_NE(memoryAt(sorcerer, kProgramAt, kProgram.size()), kProgram);
    sorcerer.type(speed + "\n");
    playFile(sorcerer, path, trip.format);
    sorcerer.type("LO HI\n", 0);
    ASSERT_TRUE(runUntilPrompt(sorcerer, 60 * 60)) << sorcerer.screen();
    EXPECT_EQ(memoryAt(sorcerer, kProgramAt, kProgram.size()), kProgram);
    EXPECT_EQ(sorcerer.peek(static_cast<std::uint16_t>(kProgramAt + kProgram.size())), 0);
    EXPECT_EQ(sorcerer.lines()[sorcerer.promptRow() - 1], "HI    00 000B 0100 0100");

    playFile(sorcerer, path, trip.format);
    sorcerer.type("FI\n", 60 * 6);  // FI lists the file, then waits for more
    const int listed = sorcerer.rowContaining(">FI") + 1;
    EXPECT_EQ(sorcerer.lines()[static_cast<std::size_t>(listed)], "HI    00 000B 0100 0100");
    EXPECT_EQ(sorcerer.promptRow(), listed - 1);
    sorcerer.hold({kVirtualKeyEscape}, 8);
    ASSERT_TRUE(runUntilPrompt(sorcerer, 60));
    EXPECT_EQ(sorcerer.lines()[static_cast<std::size_t>(listed + 1)], "BREAK");

    sorcerer.hardReset();
    sorcerer.type(speed + "\n");
    playFile(sorcerer, path, trip.format);
    sorcerer.type("LOG\n", 0);
    ASSERT_TRUE(runUntilPrompt(sorcerer, 60 * 60)) << sorcerer.screen();
    EXPECT_EQ(sorcerer.lines()[sorcerer.promptRow() - 1], "HI");
}

INSTANTIATE_TEST_SUITE_P(SpeedsAndFormats, EnteredProgramRoundTrip,
                         ::testing::Values(RoundTrip{"SE T=1", TapeFormat::wav, "slow.wav"},
                                           RoundTrip{"SE T=0", TapeFormat::wav, "fast.wav"},
                                           RoundTrip{"SE T=1", TapeFormat::raw, "slow.cvz"},
                                           RoundTrip{"SE T=0", TapeFormat::raw, "fast.cvz"}),
                         [](const ::testing::TestParamInfo<RoundTrip>& trip) {
                             const std::string name = trip.param.fileName;
                             return name.substr(0, name.find('.')) + "_" +
                                    name.substr(name.find('.') + 1);
                         });

// A recording damaged in the middle of its data: a stretch of the signal
// that is flat (a drop-out) spoils a byte, and LO says so.
TEST(MonitorTapeTransfer, ADropOutInAWavRecordingFailsItsCheck) {
    const TempFolder folder;
    const std::filesystem::path path = folder / "damaged.wav";
    MonitorMachine sorcerer;
    const std::vector<std::uint8_t> data = testData(600);
    for (std::size_t i = 0; i < data.size(); ++i) {
        sorcerer.poke(static_cast<std::uint16_t>(0x3000 + i), {data[i]});
    }
    sorcerer.type("SE T=0\n");
    ASSERT_TRUE(sorcerer.machine().recordTape(TapeFormat::wav, path));
    sorcerer.type("SA DAMG 3000 3257\n", 0);
    ASSERT_TRUE(runUntilPrompt(sorcerer, 60 * 60)) << sorcerer.screen();
    ASSERT_TRUE(sorcerer.machine().stopCassette());

    std::vector<std::uint8_t> wav = readFile(path);
    ASSERT_GT(wav.size(), 44000u);
    // 70% of the way through lies the data; 150 samples are about 4 bits.
    const std::size_t at = wav.size() * 7 / 10;
    std::fill(wav.begin() + static_cast<std::ptrdiff_t>(at),
              wav.begin() + static_cast<std::ptrdiff_t>(at + 150), std::uint8_t{200});
    writeFile(path, wav);

    sorcerer.hardReset();
    sorcerer.type("SE T=0\n");
    ASSERT_TRUE(playCassetteFile(sorcerer.machine(), path, TapeFormat::wav).playing);
    sorcerer.type("LO\n", 0);
    ASSERT_TRUE(runUntilPrompt(sorcerer, 60 * 60)) << sorcerer.screen();
    EXPECT_EQ(sorcerer.lines()[sorcerer.promptRow() - 1], "TAPE ERROR") << sorcerer.screen();
}

// A program moves bytes itself through E021 and E01E.
TEST(MonitorTapeTransfer, ProgramsReadAndWriteTapeBytesThroughTheJumpTable) {
    MonitorMachine sorcerer;
    sorcerer.poke(0x1000, {0xCD, 0x21, 0xE0,  // CALL E021
                           0x32, 0x00, 0x11,  // LD (1100),A
                           0xCD, 0x21, 0xE0,  // CALL E021
                           0x32, 0x01, 0x11,  // LD (1101),A
                           0x3C,              // INC A
                           0xCD, 0x1E, 0xE0,  // CALL E01E
                           0xCD, 0x1E, 0xE0,  // CALL E01E (again, A kept)
                           0xC9});
    ASSERT_TRUE(sorcerer.machine().playTapeBytes({0x5A, 0x7E}));
    sorcerer.machine().recordTape(TapeFormat::raw);
    sorcerer.type("GO 1000\n", 0);
    ASSERT_TRUE(runUntilPrompt(sorcerer, 60 * 5)) << sorcerer.screen();
    sorcerer.machine().stopCassette();
    EXPECT_EQ(sorcerer.peek(0x1100), 0x5A);
    EXPECT_EQ(sorcerer.peek(0x1101), 0x7E);
    EXPECT_EQ(sorcerer.machine().recordedTape().bytes, std::vector<std::uint8_t>({0x7F, 0x7F}));
}

}  // namespace
}  // namespace vantorel::testing
