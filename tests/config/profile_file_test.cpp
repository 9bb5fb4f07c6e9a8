#include "config/profile_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "config/temp_directory.h"

namespace vantorel {
namespace {

namespace fs = std::filesystem;
using testing::countEntries;
using testing::readFile;
using testing::TempDirectory;
using testing::writeFile;

TEST(ProfileFile, MissingFileIsEmptyAndCreatedOnFirstCommit) {
    TempDirectory folder;
    ProfileFile file = openProfileFile(folder / "new.ini");
    EXPECT_EQ(file.state, ProfileFileState::missing);
    EXPECT_FALSE(file.document.findValue("SOUND", "ayflag"));
    file.document.setValue("SOUND", "ayflag", "1");
    ASSERT_TRUE(commitProfileFile(file));
    EXPECT_EQ(readFile(folder / "new.ini"), "[SOUND]\nayflag=1\n");
    EXPECT_EQ(countEntries(folder.path()), 1);  // no temporary file left behind
}

TEST(ProfileFile, CommitKeepsOtherSectionsByteForByte) {
    TempDirectory folder;
    const std::string before =
        "\xEF\xBB\xBF; settings\r\n[VIDEO]\r\nwindowscalingX = 2\r\n\r\n"
        "[SOUND]\r\nayflag=0\r\n\r\n[MINE]\r\nodd = line\r\n# note\r\n";
    writeFile(folder / "s.ini", before);
    ProfileFile file = openProfileFile(folder / "s.ini");
    ASSERT_EQ(file.state, ProfileFileState::loaded);
    file.document.setValue("sound", "AYFLAG", "1");
    ASSERT_TRUE(commitProfileFile(file));
    std::string expected = before;
    expected.replace(expected.find("ayflag=0"), 8, "ayflag=1");
    EXPECT_EQ(readFile(folder / "s.ini"), expected);
}

TEST(ProfileFile, CommitFollowsSymbolicLinksAndKeepsPermissions) {
    TempDirectory folder;
    writeFile(folder / "real.ini", "[A]\nx=1\n");
    fs::permissions(folder / "real.ini", fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink("real.ini", folder / "link.ini");
    ProfileFile file = openProfileFile(folder / "link.ini");
    file.document.setValue("A", "x", "2");
    ASSERT_TRUE(commitProfileFile(file));
    EXPECT_TRUE(fs::is_symlink(folder / "link.ini"));
    EXPECT_EQ(readFile(folder / "real.ini"), "[A]\nx=2\n");
    EXPECT_EQ(fs::status(folder / "real.ini").permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
}

// Too large, or not a file at all: read as missing, and never overwritten.
TEST(ProfileFile, UnusableFilesReadAsMissingAndAreLeftAlone) {
    TempDirectory folder;
    const std::string huge = "[SOUND]\nayflag=0\n" + std::string(kMaxProfileFileBytes, ';');
    writeFile(folder / "huge.ini", huge);
    fs::create_directory(folder / "dir.ini");
    for (const char* name : {"huge.ini", "dir.ini"}) {
        ProfileFile file = openProfileFile(folder / name);
        EXPECT_EQ(file.state, ProfileFileState::unusable) << name;
        EXPECT_FALSE(file.document.findValue("SOUND", "ayflag"));
        file.document.setValue("SOUND", "ayflag", "1");
        EXPECT_FALSE(commitProfileFile(file));
    }
    EXPECT_EQ(fs::file_size(folder / "huge.ini"), huge.size());
    EXPECT_TRUE(fs::is_directory(folder / "dir.ini"));
    EXPECT_EQ(countEntries(folder.path()), 2);
}

TEST(ProfileFile, FailedWritesLeaveTheOldFileIntact) {
    TempDirectory folder;
    writeFile(folder / "s.ini", "[A]\nx=1\n");
    // The new file cannot be created: its folder does not exist, or the name is taken.
    fs::create_directory(folder / "taken.tmp");
    EXPECT_FALSE(replaceFileAtomically(folder / "s.ini", "new", folder / "no" / "t.tmp"));
    EXPECT_FALSE(replaceFileAtomically(folder / "s.ini", "new", folder / "taken.tmp"));
    EXPECT_EQ(readFile(folder / "s.ini"), "[A]\nx=1\n");
    EXPECT_TRUE(fs::is_directory(folder / "taken.tmp"));
    // The rename fails (a folder holding a file stands where the file would go).
    fs::create_directories(folder / "busy.ini" / "inside");
    EXPECT_FALSE(replaceFileAtomically(folder / "busy.ini", "new", folder / "t.tmp"));
    EXPECT_TRUE(fs::is_directory(folder / "busy.ini" / "inside"));
    EXPECT_FALSE(fs::exists(folder / "t.tmp"));
    // No folder at all for the settings file.
    ProfileFile orphan = openProfileFile(folder / "absent" / "s.ini");
    orphan.document.setValue("A", "x", "2");
    EXPECT_FALSE(commitProfileFile(orphan));
}

TEST(ProfileFile, ReadOnlyFolderLeavesTheOldFileIntact) {
    TempDirectory folder;
    writeFile(folder / "s.ini", "[A]\nx=1\n");
    ProfileFile file = openProfileFile(folder / "s.ini");
    fs::permissions(folder.path(), fs::perms::owner_read | fs::perms::owner_exec);
    std::error_code error;
    writeFile(folder / "probe", "x");
    if (fs::exists(folder / "probe", error)) GTEST_SKIP() << "permissions do not bind this user";
    file.document.setValue("A", "x", "2");
    EXPECT_FALSE(commitProfileFile(file));
    EXPECT_EQ(readFile(folder / "s.ini"), "[A]\nx=1\n");
}

}  // namespace
}  // namespace vantorel
