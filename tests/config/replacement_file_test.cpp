#include "files/replacement_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

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

// A file written in pieces, its first bytes patched last, as a recording's
// header is; the old file stays whole until the commit.
TEST(ReplacementFile, StreamsPatchesAndReplacesOnlyOnCommit) {
    TempDirectory folder;
    writeFile(folder / "out.bin", "old contents");
    ReplacementFile file;
    ASSERT_TRUE(file.create(folder / "out.bin"));
    EXPECT_TRUE(file.write("....body"));
    EXPECT_TRUE(file.write("+more"));
    EXPECT_TRUE(file.writeAt(0, "HEAD"));
    EXPECT_TRUE(file.write("|end"));
    EXPECT_EQ(readFile(folder / "out.bin"), "old contents");
    EXPECT_EQ(countEntries(folder.path()), 2);
    ASSERT_TRUE(file.commit());
    EXPECT_EQ(readFile(folder / "out.bin"), "HEADbody+more|end");
    EXPECT_EQ(countEntries(folder.path()), 1);
    EXPECT_FALSE(file.write("x")) << "a committed file takes no more bytes";
    EXPECT_FALSE(file.commit());

    {
        ReplacementFile unfinished;
        ASSERT_TRUE(unfinished.create(folder / "out.bin"));
        unfinished.write("never committed");
    }
    EXPECT_EQ(readFile(folder / "out.bin"), "HEADbody+more|end");
    EXPECT_EQ(countEntries(folder.path()), 1);
}

// A pipe under the name is not a file of the user's: it is not replaced.
TEST(ReplacementFile, OnlyRegularFilesAreReplaced) {
    TempDirectory folder;
    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
    ReplacementFile file;
    EXPECT_FALSE(file.create(folder / "pipe"));
    EXPECT_EQ(fs::status(folder / "pipe").type(), fs::file_type::fifo);
    EXPECT_EQ(countEntries(folder.path()), 1);
}

}  // namespace
}  // namespace vantorel
