// The vantorel program run headless from its command line.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/run_program.h"
#include "support/snapshot_builder.h"
#include "support/temp_folder.h"

namespace vantorel {
namespace {

using testing::ProgramRun;
using testing::runVantorel;
using testing::SnapshotBuilder;
using testing::TempFolder;

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) result.push_back(line);
    return result;
}

// A snapshot whose program copies a zero-terminated message to the screen,
// two rows down, then spins. Screen RAM is otherwise zero, shown as '.'.
SnapshotBuilder messageSnapshot(const std::string& message) {
    SnapshotBuilder snapshot;
    snapshot.put(0x1000, {
                             0x21, 0x00, 0x11,  // LD HL,1100 (message)
                             0x11, 0x00, 0xF1,  // LD DE,F100 (row 2, column 0)
                             0x7E,              // loop: LD A,(HL)
                             0xB7,              // OR A
                             0x28, 0x05,        // JR Z,done
                             0x12,              // LD (DE),A
                             0x23,              // INC HL
                             0x13,              // INC DE
                             0x18, 0xF7,        // JR loop
                             0xC3, 0x0F, 0x10,  // done: JP done
                         });
    std::vector<std::uint8_t> text(message.begin(), message.end());
    text.push_back(0);
    snapshot.put(0x1100, text);
    snapshot.pc(0x1000).sp(0x0F00);
    return snapshot;
}

class Headless : public ::testing::Test {
  protected:
    TempFolder folder;
};

TEST_F(Headless, SnapshotProgramWritesTextThatPrintScreenShows) {
    messageSnapshot("HELLO, SORCERER!").write(folder / "hello.snp");
    const ProgramRun run = runVantorel({"--headless", "--snapshot", (folder / "hello.snp").string(),
                                        "--frames", "3", "--print-screen"},
                                       folder);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const auto screen = lines(run.out);
    ASSERT_EQ(screen.size(), 30u) << run.out;
    for (const std::string& line : screen) EXPECT_EQ(line.size(), 64u);
    EXPECT_EQ(screen[0], std::string(64, '.'));
    EXPECT_EQ(screen[2], "HELLO, SORCERER!" + std::string(48, '.'));
    EXPECT_EQ(screen[29], std::string(64, '.'));
}

TEST_F(Headless, SaveRamWritesTheImageAfterTheFrames) {
    messageSnapshot("RAM").write(folder / "ram.snp");
    const auto ramPath = folder / "out.bin";
    const ProgramRun run = runVantorel({"--headless", "--snapshot=" + (folder / "ram.snp").string(),
                                        "--frames=1", "--save-ram", ramPath.string()},
                                       folder);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(run.out.empty()) << "nothing printed without --print-screen";
    const std::string ram = testing::fileText(ramPath);
    ASSERT_EQ(ram.size(), 65536u);
    EXPECT_EQ(ram.substr(0xF100, 3), "RAM");
    EXPECT_EQ(ram[0x1000], '\x21');
}

TEST_F(Headless, ZeroFramesShowsTheScreenAsLoaded) {
    SnapshotBuilder snapshot;
    snapshot.put(0xF080, {'A', 0x7E, 0x7F, 0x1F, 0x80, 0xFF, ' '});
    snapshot.write(folder / "s.snp");
    const ProgramRun run = runVantorel({"--headless", "--frames", "0", "--snapshot",
                                        (folder / "s.snp").string(), "--print-screen"},
                                       folder);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(lines(run.out).at(0).substr(0, 8), "A~.... .");
}

TEST_F(Headless, MissingOrWrongSizedFilesExitWithTwoNamingTheFile) {
    const std::string missing = (folder / "missing.snp").string();
    ProgramRun run = runVantorel({"--headless", "--snapshot", missing}, folder);
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_NE(run.err.find(missing), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("cannot open"), std::string::npos) << run.err;

    SnapshotBuilder::writeFile(folder / "short.snp", std::vector<std::uint8_t>(65563, 0));
    run = runVantorel({"--headless", "--snapshot", (folder / "short.snp").string()}, folder);
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_NE(run.err.find("short.snp"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("65563"), std::string::npos) << run.err;

    SnapshotBuilder::writeFile(folder / "big.rom", std::vector<std::uint8_t>(16385, 0));
    run = runVantorel({"--headless", "--rom", (folder / "big.rom").string()}, folder);
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_NE(run.err.find("big.rom"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("wrong size"), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << "one line";

    run = runVantorel({"--headless", "--settings", (folder / "none.ini").string()}, folder);
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_NE(run.err.find("none.ini"), std::string::npos) << run.err;

    run = runVantorel(
        {"--headless", "--frames", "1", "--save-ram", (folder / "no-folder" / "ram.bin").string()},
        folder);
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_NE(run.err.find("ram.bin"), std::string::npos) << run.err;
}

TEST_F(Headless, UsageErrorsExitWithTwo) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--headless", "--frames"},
          std::vector<std::string>{"--headless", "--frames", "many"},
          std::vector<std::string>{"--headless", "--frames", "-1"},
          std::vector<std::string>{"--headless", "--bogus"},
          std::vector<std::string>{"--headless=yes"}, std::vector<std::string>{"stray"}}) {
        const ProgramRun run = runVantorel(arguments, folder);
        EXPECT_EQ(run.exitStatus, 2) << arguments.back();
        EXPECT_FALSE(run.err.empty()) << arguments.back();
    }
}

TEST_F(Headless, VersionAndHelp) {
    ProgramRun run = runVantorel({"--version"}, folder);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, "Vantorel 0.01\n");
    run = runVantorel({"--help"}, folder);
    EXPECT_EQ(run.exitStatus, 0);
    for (const char* option : {"--headless", "--frames", "--settings", "--rom", "--snapshot",
                               "--save-ram", "--save-snapshot", "--print-screen", "--version"}) {
        EXPECT_NE(run.out.find(option), std::string::npos) << option;
    }
}

}  // namespace
}  // namespace vantorel
