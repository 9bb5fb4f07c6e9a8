// --wav: the sound of a headless run as a WAV file. A program that is
// silent for a while, plays 0.1 s of a 1 kHz tone on port FF as the
// monitor's bell does, then is silent again, gives exactly that in the file.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "e2e/run_program.h"
#include "support/snapshot_builder.h"
#include "support/temp_folder.h"
#include "support/tone_analysis.h"

namespace vantorel {
namespace {

using testing::fileText;
using testing::ProgramRun;
using testing::runVantorel;
using testing::SnapshotBuilder;
using testing::TempFolder;

// Waits about 10 frames (B x 256 turns of DEC C / JR NZ), then 200 speaker
// edges 1,054 T-states apart, then spins.
SnapshotBuilder toneSnapshot() {
    SnapshotBuilder snapshot;
    snapshot.put(0x1000, {
                             0x06, 0x5A,        // LD B,90        wait: 90 x 4,096 T-states
                             0x0E, 0x00,        // w1: LD C,0
                             0x0D,              // w2: DEC C
                             0x20, 0xFD,        // JR NZ,w2
                             0x10, 0xF9,        // DJNZ w1
                             0x06, 0xC8,        // LD B,200
                             0x3E, 0xFF,        // LD A,FF
                             0xD3, 0xFF,        // edge: OUT (FF),A   11
                             0x2F,              // CPL                 4
                             0x0E, 0x40,        // LD C,64             7
                             0x0D,              // w3: DEC C           4
                             0x20, 0xFD,        // JR NZ,w3           12/7
                             0x10, 0xF6,        // DJNZ edge          13
                             0xC3, 0x17, 0x10,  // done: JP done
                         });
    snapshot.pc(0x1000).sp(0x0F00);
    return snapshot;
}

std::vector<std::int16_t> wavSamples(const std::string& bytes) {
    std::vector<std::int16_t> samples((bytes.size() - 44) / 2);
    std::memcpy(samples.data(), bytes.data() + 44, samples.size() * 2);
    return samples;
}

std::uint32_t little32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
    return value;
}

TEST(HeadlessWav, RecordsAToneAndTheSilenceAroundIt) {
    TempFolder folder;
    toneSnapshot().write(folder / "tone.snp");
    const ProgramRun run = runVantorel({"--headless", "--snapshot", (folder / "tone.snp").string(),
                                        "--frames", "60", "--wav", (folder / "tone.wav").string()},
                                       folder);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const std::string bytes = fileText(folder / "tone.wav");
    ASSERT_GT(bytes.size(), 44u);
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(little32(bytes, 24), 22050u);             // samples per second
    EXPECT_EQ(little32(bytes, 20) & 0xFFFF, 1u);        // PCM
    EXPECT_EQ(little32(bytes, 20) >> 16, 1u);           // mono
    EXPECT_EQ(little32(bytes, 32) >> 16, 16u);          // bits per sample
    EXPECT_EQ(little32(bytes, 40), bytes.size() - 44);  // data size
    EXPECT_EQ(little32(bytes, 4), bytes.size() - 8);
    const auto samples = wavSamples(bytes);
    EXPECT_EQ(samples.size(), (60u + 3) * 368);  // the frames and the three still in the ring
    const testing::ToneSpan tone = testing::findTone(samples);
    ASSERT_GE(tone.first, 0);
    // Silence first: the wait (about 10 frames) and the ring's lead of 3.
    EXPECT_NEAR(static_cast<double>(tone.first) / 368, 13.5, 1.5);
    EXPECT_NEAR(tone.seconds(), 0.1 + 83 / 22050.0, 0.005);
    EXPECT_NEAR(tone.frequency, 999.0, 5.0);
    EXPECT_LT(tone.last, static_cast<std::int64_t>(samples.size()) - 368 * 40);  // silent after
}

TEST(HeadlessWav, AFileThatCannotBeWrittenIsReported) {
    TempFolder folder;
    const ProgramRun run = runVantorel(
        {"--headless", "--frames", "1", "--wav", (folder / "missing" / "out.wav").string()},
        folder);
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_NE(run.err.find("out.wav: cannot write the WAV file"), std::string::npos) << run.err;
}

TEST(HeadlessWav, WithoutEdgesTheFileIsSilent) {
    TempFolder folder;
    const ProgramRun run = runVantorel(
        {"--headless", "--frames", "30", "--wav", (folder / "quiet.wav").string()}, folder);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const auto samples = wavSamples(fileText(folder / "quiet.wav"));
    EXPECT_EQ(samples.size(), 33u * 368);
    EXPECT_EQ(testing::findTone(samples).first, -1);
}

}  // namespace
}  // namespace vantorel
