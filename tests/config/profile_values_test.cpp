#include "config/profile_values.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace vantorel {
namespace {

TEST(ProfileValues, StringsTakeTheDefaultOnlyWhenSectionOrKeyIsMissing) {
    const auto document = ProfileDocument::parse(
        "[T]\nempty=\nquoted=\"a b\"\nsingle='x'\nhalf=\"x\nlong=abcdefghij\n");
    EXPECT_EQ(readProfileString(document, "T", "empty", "dflt", 255), "");
    EXPECT_EQ(readProfileString(document, "T", "missing", "dflt  ", 255), "dflt");
    EXPECT_EQ(readProfileString(document, "U", "empty", "dflt", 255), "dflt");
    EXPECT_EQ(readProfileString(document, "T", "quoted", "", 255), "a b");
    EXPECT_EQ(readProfileString(document, "T", "single", "", 255), "x");
    EXPECT_EQ(readProfileString(document, "T", "half", "", 255), "\"x");
    EXPECT_EQ(readProfileString(document, "T", "long", "", 4), "abcd");
    EXPECT_EQ(readProfileString(document, "T", "missing", "0123456789", 3), "012");
}

// The cases Windows' own GetPrivateProfileIntA is known to give, except that
// numbers beyond 32 bits stop at the limit instead of wrapping.
TEST(ProfileValues, IntegersFollowGetPrivateProfileInt) {
    const struct {
        const char* text;
        std::int64_t expected;
    } cases[] = {
        {"1", 1},
        {"+1", 1},
        {"-1", -1},
        {"  42A94967297", 42},
        {"B4294967297", 0},
        {"on", 0},
        {"0x10", 0},
        {"007", 7},
        {"\"12\"", 12},
        {"- 5", 0},
        {"2147483648", 2147483648},
        {"4294967297", 4294967297},
        {"99999999999999999999999", kProfileIntLimit},
        {"-99999999999999999999999", -kProfileIntLimit},
    };
    for (const auto& c : cases) {
        const auto document = ProfileDocument::parse(std::string("[S]\nk=") + c.text + "\n");
        EXPECT_EQ(readProfileInt(document, "S", "k", 77), c.expected) << c.text;
    }
    const auto document = ProfileDocument::parse("[S]\nempty=\n");
    EXPECT_EQ(readProfileInt(document, "S", "empty", 77), 77);
    EXPECT_EQ(readProfileInt(document, "S", "missing", -3), -3);
    EXPECT_EQ(readProfileInt(document, "Nowhere", "k", 5), 5);
}

}  // namespace
}  // namespace vantorel
