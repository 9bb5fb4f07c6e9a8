// A settings file that names the owner's own monitor ROM boots it headless;
// a file that cannot be taken boots the built-in monitor and says so.
#include <gtest/gtest.h>

#include <fstream>
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

// A 4K monitor of our own: JP to its code, which copies a message to the
// top-left of the screen and spins.
std::vector<std::uint8_t> messageMonitor(const std::string& message) {
    std::vector<std::uint8_t> rom(4096, 0xFF);
    const std::vector<std::uint8_t> code = {
        0xC3, 0x03, 0xE0,  // JP E003 (the reset reads 0000-0002 from here)
        0x21, 0x20, 0xE0,  // LD HL,E020 (message)
        0x11, 0x80, 0xF0,  // LD DE,F080 (row 0, column 0)
        0x7E,              // loop: LD A,(HL)
        0xB7,              // OR A
        0x28, 0x05,        // JR Z,done
        0x12,              // LD (DE),A
        0x23,              // INC HL
        0x13,              // INC DE
        0x18, 0xF7,        // JR loop
        0xC3, 0x12, 0xE0,  // done: JP done
    };
    std::copy(code.begin(), code.end(), rom.begin());
    std::copy(message.begin(), message.end(), rom.begin() + 0x20);
    rom[0x20 + message.size()] = 0;
    return rom;
}

void writeSettings(const std::filesystem::path& path, const std::string& romName) {
    std::ofstream file(path);
    file << "[MEMORY]\nusebuiltinromflag=0\nROMfilename=" << romName << "\n";
}

std::string firstScreenRow(const std::string& screen) {
    return screen.substr(0, screen.find('\n'));
}

class RomFileBoot : public ::testing::Test {
  protected:
    TempFolder folder;

    // A portable folder: the start-up folder is the one the program runs in.
    void SetUp() override { std::ofstream(folder / "default.ini"); }

    ProgramRun boot() {
        return runVantorel({"--headless", "--settings", (folder / "own.ini").string(), "--frames",
                            "10", "--print-screen"},
                           folder);
    }
};

TEST_F(RomFileBoot, SettingsNamingOurOwnMonitorRomBootIt) {
    std::filesystem::create_directories(folder / "rom");
    SnapshotBuilder::writeFile(folder / "rom" / "own.bin", messageMonitor("OWN MONITOR"));
    writeSettings(folder / "own.ini", "rom\\own.bin");  // relative to the start-up folder
    const ProgramRun run = boot();
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(firstScreenRow(run.out).substr(0, 11), "OWN MONITOR");
}

TEST_F(RomFileBoot, MissingOrWrongSizedRomFileBootsTheBuiltInMonitorAndSaysSo) {
    writeSettings(folder / "own.ini", "rom/missing.bin");
    ProgramRun run = boot();
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(firstScreenRow(run.out).substr(0, 20), "VANTOREL MONITOR 1.0");
    EXPECT_NE(run.err.find((folder / "rom/missing.bin").string()), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("cannot be opened"), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << "one line";

    std::vector<std::uint8_t> shortRom = messageMonitor("OWN MONITOR");
    shortRom.pop_back();
    SnapshotBuilder::writeFile(folder / "short.bin", shortRom);
    writeSettings(folder / "own.ini", "short.bin");
    run = boot();
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(firstScreenRow(run.out).substr(0, 20), "VANTOREL MONITOR 1.0");
    EXPECT_NE(run.err.find("short.bin holds 4095 bytes, not 4096 bytes"), std::string::npos)
        << run.err;
}

}  // namespace
}  // namespace vantorel
