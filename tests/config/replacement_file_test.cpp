#include "files/replacement_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
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

// A file the user made read-only is left alone, although renaming over it
// needs only the folder's permission; so is a file beside it that only
// looks like a leftover.
TEST(ReplacementFile, ReadOnlyFilesAreLeftAlone) {
    TempDirectory folder;
    writeFile(folder / "kept.snp", "old");
    fs::permissions(folder / "kept.snp", fs::perms::owner_read | fs::perms::group_read);
    EXPECT_TRUE(isReadOnlyFile(folder / "kept.snp"));
    ReplacementFile file;
    EXPECT_EQ(file.createAs(folder / "kept.snp", folder / "t.tmp"),
              ReplacementFile::Created::readOnly);
    EXPECT_FALSE(file.create(folder / "kept.snp"));
    EXPECT_EQ(readFile(folder / "kept.snp"), "old");
    EXPECT_EQ(countEntries(folder.path()), 1);
    EXPECT_FALSE(isReadOnlyFile(folder / "absent"));
}

// What a killed program left: its new files, named as create() names them.
// The next save into the folder removes those older than a minute, and
// nothing else: a fresh one may be another program's save in progress.
TEST(ReplacementFile, AnotherSaveRemovesStaleTemporariesOfOurOwnNaming) {
    TempDirectory folder;
    const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(5);
    const char* stale[] = {"~vantorel-0123abcd.tmp", "~vantorel-ffffffff.tmp"};
    const char* kept[] = {"~vantorel-0123ABCD.tmp", "~vantorel-0123abc.tmp",
                          "~vantorel-0123abcd.tmp.bak", "vantorel-0123abcd.tmp", "notes.txt"};
    for (const char* name : stale) writeFile(folder / name, "left over");
    for (const char* name : kept) writeFile(folder / name, "someone's");
    for (const auto& entry : fs::directory_iterator(folder.path())) {
        fs::last_write_time(entry.path(), old);
    }
    writeFile(folder / "~vantorel-00000001.tmp", "a save going on now");

    ReplacementFile file;
    ASSERT_TRUE(file.create(folder / "out.bin"));
    ASSERT_TRUE(file.write("new"));
    ASSERT_TRUE(file.commit());
    for (const char* name : stale) EXPECT_FALSE(fs::exists(folder / name)) << name;
    for (const char* name : kept) EXPECT_TRUE(fs::exists(folder / name)) << name;
    EXPECT_TRUE(fs::exists(folder / "~vantorel-00000001.tmp"));
    EXPECT_EQ(readFile(folder / "out.bin"), "new");
}

// Nothing to write is no write at all: an empty file results, and no null
// buffer ever reaches the C library (the sanitizer build checks).
TEST(ReplacementFile, AnEmptyFileIsWrittenWhole) {
    TempDirectory folder;
    writeFile(folder / "empty.cvz", "old");
    ReplacementFile file;
    ASSERT_TRUE(file.create(folder / "empty.cvz"));
    EXPECT_TRUE(file.write({}));
    EXPECT_TRUE(file.flush());
    ASSERT_TRUE(file.commit());
    EXPECT_EQ(fs::file_size(folder / "empty.cvz"), 0u);
}

}  // namespace
}  // namespace vantorel
