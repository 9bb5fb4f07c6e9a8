// Character-to-key lookup of the US layout.
#include "input/us_layout.h"

#include <gtest/gtest.h>

namespace vantorel {
namespace {

TEST(UsLayout, LettersDigitsAndSpace) {
    EXPECT_EQ(usLayoutKeyForCharacter('a'), 0x41);
    EXPECT_EQ(usLayoutKeyForCharacter('z'), 0x5A);
    EXPECT_EQ(usLayoutKeyForCharacter('A'), 0x141);
    EXPECT_EQ(usLayoutKeyForCharacter('0'), 0x30);
    EXPECT_EQ(usLayoutKeyForCharacter('9'), 0x39);
    EXPECT_EQ(usLayoutKeyForCharacter(' '), 0x20);
}

TEST(UsLayout, ShiftedDigitsAndPunctuation) {
    EXPECT_EQ(usLayoutKeyForCharacter('!'), 0x131);
    EXPECT_EQ(usLayoutKeyForCharacter('@'), 0x132);
    EXPECT_EQ(usLayoutKeyForCharacter(')'), 0x130);
    EXPECT_EQ(usLayoutKeyForCharacter(';'), 0xBA);
    EXPECT_EQ(usLayoutKeyForCharacter(':'), 0x1BA);
    EXPECT_EQ(usLayoutKeyForCharacter('='), 0xBB);
    EXPECT_EQ(usLayoutKeyForCharacter('+'), 0x1BB);
    EXPECT_EQ(usLayoutKeyForCharacter('-'), 0xBD);
    EXPECT_EQ(usLayoutKeyForCharacter('_'), 0x1BD);
    EXPECT_EQ(usLayoutKeyForCharacter('`'), 0xC0);
    EXPECT_EQ(usLayoutKeyForCharacter('~'), 0x1C0);
    EXPECT_EQ(usLayoutKeyForCharacter('\\'), 0xDC);
    EXPECT_EQ(usLayoutKeyForCharacter('|'), 0x1DC);
    EXPECT_EQ(usLayoutKeyForCharacter('\''), 0xDE);
    EXPECT_EQ(usLayoutKeyForCharacter('"'), 0x1DE);
    EXPECT_EQ(usLayoutKeyForCharacter('?'), 0x1BF);
}

TEST(UsLayout, ControlCharactersAndCharactersWithoutAKey) {
    EXPECT_EQ(usLayoutKeyForCharacter('\r'), 0x0D);
    EXPECT_EQ(usLayoutKeyForCharacter('\b'), 0x08);
    EXPECT_EQ(usLayoutKeyForCharacter('\x1B'), 0x1B);
    EXPECT_EQ(usLayoutKeyForCharacter('\x03'), 0x243) << "Ctrl+C";
    EXPECT_EQ(usLayoutKeyForCharacter('\x80'), -1);
    EXPECT_EQ(usLayoutKeyForCharacter('\xFF'), -1);
    EXPECT_EQ(usLayoutKeyForCharacter('\0'), -1);
}

}  // namespace
}  // namespace vantorel
