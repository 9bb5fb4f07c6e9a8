// Movie, headless: a run recorded with --record-movie plays back in step
// with --play-movie (status 0, the same screen); a damaged movie or one
// for another game ROM is refused with status 2.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "e2e/run_program.h"
#include "support/temp_folder.h"

namespace vantorel {
namespace {

using testing::ProgramRun;
using testing::runVantorel;
using testing::TempFolder;

TEST(Movie, HeadlessRecordThenPlayIsInStepAndDamagedMoviesAreRefused) {
    TempFolder folder;
    const ProgramRun recorded = runVantorel({"--headless", "--type", "DU 0 40\\r", "--frames",
                                             "200", "--record-movie", "run.vmv", "--print-screen"},
                                            folder);
    ASSERT_EQ(recorded.exitStatus, 0) << recorded.err;
    const ProgramRun played =
        runVantorel({"--headless", "--play-movie", "run.vmv", "--print-screen"}, folder);
    EXPECT_EQ(played.exitStatus, 0) << played.err;
    EXPECT_NE(played.err.find("movie in step: 0:0"), std::string::npos) << played.err;
    EXPECT_EQ(played.out, recorded.out) << "the same screen at the end";

    std::vector<char> bytes;
    {
        std::ifstream in(folder / "run.vmv", std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    ASSERT_GT(bytes.size(), 100u);
    bytes[bytes.size() / 2] ^= 0x04;
    std::ofstream(folder / "bad.vmv", std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    const ProgramRun damaged = runVantorel({"--headless", "--play-movie", "bad.vmv"}, folder);
    EXPECT_EQ(damaged.exitStatus, 2);
    EXPECT_NE(damaged.err.find("damaged"), std::string::npos) << damaged.err;

    std::ofstream(folder / "game.rom", std::ios::binary) << std::string(2048, '\xC9');
    const ProgramRun otherRom =
        runVantorel({"--headless", "--rom", "game.rom", "--play-movie", "run.vmv"}, folder);
    EXPECT_EQ(otherRom.exitStatus, 2);
    EXPECT_NE(otherRom.err.find("another game ROM"), std::string::npos) << otherRom.err;
}

}  // namespace
}  // namespace vantorel
