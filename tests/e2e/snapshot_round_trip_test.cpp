// --save-snapshot: a snapshot taken headless in the middle of a monitor
// listing, loaded by another run, carries on to the same RAM and screen as a
// run that never stopped.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "e2e/run_program.h"
#include "support/temp_folder.h"

namespace vantorel {
namespace {

using testing::fileText;
using testing::ProgramRun;
using testing::runVantorel;
using testing::TempFolder;

// A long listing: about three lines a frame scroll by for several seconds.
const std::string kListing = "DU 100 1FFF\\r";

TEST(HeadlessSnapshot, SavedMidListingLoadsAndRunsOnLikeTheUnbrokenRun) {
    TempFolder folder;
    const std::string snapshot = (folder / "mid.snp").string();
    const ProgramRun saving = runVantorel({"--headless", "--type", kListing, "--frames", "20",
                                           "--save-snapshot", snapshot, "--print-screen"},
                                          folder);
    ASSERT_EQ(saving.exitStatus, 0) << saving.err;
    ASSERT_EQ(std::filesystem::file_size(snapshot), 65564u);

    const ProgramRun resumed =
        runVantorel({"--headless", "--snapshot", snapshot, "--frames", "200", "--save-ram",
                     (folder / "resumed.bin").string(), "--print-screen"},
                    folder);
    const ProgramRun unbroken =
        runVantorel({"--headless", "--type", kListing, "--frames", "220", "--save-ram",
                     (folder / "unbroken.bin").string(), "--print-screen"},
                    folder);
    ASSERT_EQ(resumed.exitStatus, 0) << resumed.err;
    ASSERT_EQ(unbroken.exitStatus, 0) << unbroken.err;
    EXPECT_NE(resumed.out, saving.out) << "the listing went on after the snapshot";
    EXPECT_EQ(resumed.out, unbroken.out);
    // The RAM (32K fitted, screen and programmable characters) is the same;
    // the image under the ROMs is not, as the snapshot holds the ROMs there.
    const std::string resumedRam = fileText(folder / "resumed.bin");
    const std::string unbrokenRam = fileText(folder / "unbroken.bin");
    ASSERT_EQ(resumedRam.size(), 65536u);
    ASSERT_EQ(unbrokenRam.size(), 65536u);
    EXPECT_TRUE(resumedRam.substr(0, 0x8000) == unbrokenRam.substr(0, 0x8000));
    EXPECT_TRUE(resumedRam.substr(0xF000, 0x800) == unbrokenRam.substr(0xF000, 0x800));
    EXPECT_TRUE(resumedRam.substr(0xFC00) == unbrokenRam.substr(0xFC00));

    // Saving at the end of the resumed run gives the unbroken run's snapshot.
    runVantorel({"--headless", "--snapshot", snapshot, "--frames", "50", "--save-snapshot",
                 (folder / "a.snp").string()},
                folder);
    runVantorel({"--headless", "--type", kListing, "--frames", "70", "--save-snapshot",
                 (folder / "b.snp").string()},
                folder);
    EXPECT_TRUE(fileText(folder / "a.snp") == fileText(folder / "b.snp"));

    const ProgramRun failed = runVantorel({"--headless", "--frames", "1", "--save-snapshot",
                                           (folder / "no-folder" / "x.snp").string()},
                                          folder);
    EXPECT_EQ(failed.exitStatus, 2);
    EXPECT_NE(failed.err.find("x.snp"), std::string::npos) << failed.err;

    // The window saves through its Util menu, not from the command line.
    const ProgramRun windowed = runVantorel({"--save-snapshot", snapshot}, folder);
    EXPECT_EQ(windowed.exitStatus, 2);
    EXPECT_NE(windowed.err.find("--headless"), std::string::npos) << windowed.err;
}

}  // namespace
}  // namespace vantorel
