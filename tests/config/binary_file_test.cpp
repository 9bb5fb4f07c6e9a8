#include "files/binary_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "config/temp_directory.h"

namespace vantorel {
namespace {

using testing::TempDirectory;
using testing::writeFile;

// A whole file comes back byte for byte (every value, line ends untouched,
// an empty file as no bytes); a file over the limit, a folder, a pipe and
// a missing file give nothing.
TEST(BinaryFile, ReadsAWholeFileUpToItsLimitAndNothingElse) {
    TempDirectory folder;
    std::string every;
    for (int value = 0; value < 256; ++value) every += static_cast<char>(value);
    every += "\r\n\x1A";
    writeFile(folder / "every.bin", every);
    const auto bytes = readWholeFile(folder / "every.bin", every.size());
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()), every);
    EXPECT_FALSE(readWholeFile(folder / "every.bin", every.size() - 1).has_value());

    writeFile(folder / "empty.bin", "");
    const auto empty = readWholeFile(folder / "empty.bin", 10);
    ASSERT_TRUE(empty.has_value());
    EXPECT_TRUE(empty->empty());

    EXPECT_FALSE(readWholeFile(folder.path(), 1 << 20).has_value());
    EXPECT_FALSE(readWholeFile(folder / "missing.bin", 1 << 20).has_value());
    ASSERT_EQ(mkfifo((folder / "pipe").c_str(), 0600), 0);
    EXPECT_FALSE(readWholeFile(folder / "pipe", 1 << 20).has_value()) << "never waits for a writer";
}

}  // namespace
}  // namespace vantorel
