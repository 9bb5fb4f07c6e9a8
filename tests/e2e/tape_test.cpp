// The vantorel program run headless with a tape: a program typed in with the
// monitor's EN is saved with SA by one run recording to a file, and a second
// run, started afresh, plays that file and loads it with LO or LOG.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e/run_program.h"
#include "support/temp_folder.h"

namespace vantorel {
namespace {

using testing::ProgramRun;
using testing::runVantorel;
using testing::TempFolder;

// At 0100: print "HI" through E01B and return to the monitor.
const std::vector<std::uint8_t> kProgram = {0x3E, 'H',  0xCD, 0x1B, 0xE0, 0x3E,
                                            'I',  0xCD, 0x1B, 0xE0, 0xC9};
const std::string kEnterProgram = "EN 100\r3E 48 CD 1B E0 3E 49 CD 1B E0 C9/\r";

struct TapeRun {
    const char* speed;  // the SE line that sets it
    const char* fileName;
};

class HeadlessTape : public ::testing::TestWithParam<TapeRun> {
  protected:
    TempFolder folder;
};

TEST_P(HeadlessTape, SavedProgramLoadsAndRunsInAFreshMachine) {
    const TapeRun tape = GetParam();
    const std::string path = (folder / tape.fileName).string();
    const std::string speed = std::string(tape.speed) + "\r";
    const ProgramRun save = runVantorel(
        {"--headless", "--record-tape", path, "--type", speed + kEnterProgram + "SA HI 100 10A\r",
         "--frames", "600", "--print-screen"},
        folder);
    ASSERT_EQ(save.exitStatus, 0) << save.err;
    EXPECT_NE(save.out.find("\nHI    00 000B 0100 0100"), std::string::npos) << save.out;

    const std::string ram = (folder / "ram.bin").string();
    const ProgramRun load = runVantorel({"--headless", "--tape", path, "--type", speed + "LOG\r",
                                         "--frames", "600", "--print-screen", "--save-ram", ram},
                                        folder);
    ASSERT_EQ(load.exitStatus, 0) << load.err;
    EXPECT_NE(load.out.find(">LOG"), std::string::npos) << load.out;
    EXPECT_NE(load.out.find("\nHI    00 000B 0100 0100"), std::string::npos) << load.out;
    EXPECT_NE(load.out.find("\nHI          "), std::string::npos) << load.out;  // it ran
    const std::string image = testing::fileText(ram);
    ASSERT_EQ(image.size(), 65536u);
    EXPECT_TRUE(
        std::equal(kProgram.begin(), kProgram.end(), image.begin() + 0x100,
                   [](std::uint8_t byte, char c) { return byte == static_cast<std::uint8_t>(c); }));
}

INSTANTIATE_TEST_SUITE_P(SpeedsAndFormats, HeadlessTape,
                         ::testing::Values(TapeRun{"SE T=1", "slow.wav"},
                                           TapeRun{"SE T=0", "fast.wav"},
                                           TapeRun{"SE T=1", "slow.cvz"},
                                           TapeRun{"SE T=0", "fast.cvz"}));

}  // namespace
}  // namespace vantorel
