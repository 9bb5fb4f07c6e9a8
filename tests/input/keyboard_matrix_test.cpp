// The keyboard matrix: host key states to row reads.
#include "input/keyboard_matrix.h"

#include <gtest/gtest.h>

#include <set>

#include "input/us_layout.h"
#include "support/fake_host.h"

namespace vantorel {
namespace {

using testing::FakeKeys;

class KeyboardMatrixTest : public ::testing::Test {
  protected:
    FakeKeys keys;
    KeyboardMatrix matrix;

    void SetUp() override { matrix.initKeyLayout(keys); }
    void scan(bool quickTypeActive = false, bool emulatedflag = true) {
        matrix.scanHostKeyboard(keys, quickTypeActive, emulatedflag);
    }
};

TEST_F(KeyboardMatrixTest, NoKeyDownReadsFFInEveryRow) {
    scan();
    for (int row = 0; row < kKeyboardRows; ++row) EXPECT_EQ(matrix.readKeyboardRow(row), 0xFF);
}

TEST_F(KeyboardMatrixTest, EachKeyClearsItsOwnColumnBit) {
    keys.press('A');
    scan();
    EXPECT_EQ(matrix.readKeyboardRow(2), 0xFB);
    keys.press(0x10);  // Shift
    scan();
    EXPECT_EQ(matrix.readKeyboardRow(0), 0xEF);
    EXPECT_EQ(matrix.readKeyboardRow(2), 0xFB);
    keys.press('X');
    keys.press('1');
    scan();
    EXPECT_EQ(matrix.readKeyboardRow(2), 0xEA);
}

TEST_F(KeyboardMatrixTest, F12DrivesFourPositions) {
    keys.press(0x7B);
    scan();
    EXPECT_EQ(matrix.readKeyboardRow(12), 0xEF);
    EXPECT_EQ(matrix.readKeyboardRow(15), 0xF8);
}

TEST_F(KeyboardMatrixTest, CapsLockLatchesWhileItsToggleIsOn) {
    keys.press(0x14);
    keys.toggle(0x14);
    scan();
    EXPECT_EQ(matrix.readKeyboardRow(0), 0xF7);
    keys.release(0x14);  // released, toggle still on
    for (int frame = 0; frame < 3; ++frame) {
        scan();
        EXPECT_EQ(matrix.readKeyboardRow(0), 0xF7);
    }
    keys.toggle(0x14);
    scan();
    EXPECT_EQ(matrix.readKeyboardRow(0), 0xFF);
}

TEST_F(KeyboardMatrixTest, RowNumberUsesOnlyItsLowFourBits) {
    keys.press(0xDE);  // the apostrophe key: row 10, column 1
    scan();
    EXPECT_EQ(matrix.readKeyboardRow(0x1A), 0xFD);
    EXPECT_EQ(matrix.readKeyboardRow(10), 0xFD);
}

TEST_F(KeyboardMatrixTest, KeysBetweenTwoScansAreNeverSeen) {
    scan();
    keys.press('Q');
    keys.release('Q');
    scan();
    EXPECT_EQ(matrix.readKeyboardRow(2), 0xFF);
    keys.press('Q');
    EXPECT_EQ(matrix.readKeyboardRow(2), 0xFF) << "only a scan brings the key in";
}

TEST_F(KeyboardMatrixTest, SuspendedScanningKeepsTheLastSnapshot) {
    keys.press('W');
    scan();
    keys.release('W');
    keys.press('S');
    scan(/*quickTypeActive=*/true);
    EXPECT_EQ(matrix.readKeyboardRow(3), 0xF7) << "W stays down while quick type types";
    scan(false, /*emulatedflag=*/false);
    EXPECT_EQ(matrix.readKeyboardRow(3), 0xF7) << "sensible mode samples nothing";
    EXPECT_EQ(keys.copies, 1);
    scan();
    EXPECT_EQ(matrix.readKeyboardRow(3), 0xFB);
}

TEST_F(KeyboardMatrixTest, LayoutResolvesCharacterKeysThroughTheHost) {
    const auto codeAt = [&](int row, int column) {
        return matrix.layout[row * kKeyboardColumns + column].hostKeyCode;
    };
    EXPECT_EQ(codeAt(2, 2), 0x41);   // a
    EXPECT_EQ(codeAt(10, 0), 0xDC);  // backslash
    EXPECT_EQ(codeAt(10, 1), 0xDE);  // apostrophe
    EXPECT_EQ(codeAt(11, 3), 0xC0);  // backquote
    EXPECT_EQ(codeAt(11, 4), 0xBB);  // equals
    EXPECT_EQ(codeAt(9, 2), 0xBA);   // semicolon
    EXPECT_EQ(codeAt(0, 4), 0x10) << "fixed keys keep their codes";
    EXPECT_EQ(codeAt(13, 0), 0x60);
}

// A host layout that has no key for some characters and needs Shift for others.
class SparseLayoutKeys : public FakeKeys {
  public:
    std::int16_t keyForCharacter(char character) override {
        if (character == 'q') return -1;
        if (character == '1') return 0x0131;  // as if 1 needed Shift
        return FakeKeys::keyForCharacter(character);
    }
};

TEST(KeyLayout, CharacterWithoutAHostKeyFollowsAKeyThatIsNeverDown) {
    SparseLayoutKeys keys;
    KeyboardMatrix matrix;
    matrix.initKeyLayout(keys);
    EXPECT_EQ(matrix.layout[2 * kKeyboardColumns + 3].hostKeyCode, 0xFF);
    EXPECT_EQ(matrix.layout[2 * kKeyboardColumns + 4].hostKeyCode, 0x31) << "shift state dropped";
    keys.press('1');
    matrix.scanHostKeyboard(keys, false, true);
    EXPECT_EQ(matrix.readKeyboardRow(2), 0xEF);
}

TEST(KeyLayout, GraphicCodesCoverEightyToBFOnceEach) {
    std::set<int> codes;
    for (const KeyLayoutEntry& entry : kKeyLayoutTable) {
        if (entry.graphicCode < 0x80) continue;
        EXPECT_TRUE(codes.insert(entry.graphicCode).second) << std::hex << int{entry.graphicCode};
        EXPECT_LE(entry.graphicCode, 0xBF);
        EXPECT_EQ(entry.graphicShiftedCode, entry.graphicCode + 0x40);
    }
    EXPECT_EQ(codes.size(), 64u);
}

TEST(KeyLayout, DeclaredEntriesMatchTheMachinesKeys) {
    const auto at = [](int row, int column) -> const KeyLayoutEntry& {
        return kKeyLayoutTable[row * kKeyboardColumns + column];
    };
    EXPECT_EQ(at(1, 3).graphicCode, 0x8D);  // F8
    EXPECT_EQ(at(1, 3).graphicShiftedCode, 0xCD);
    EXPECT_EQ(at(15, 3).graphicCode, 0xBF);  // F11
    EXPECT_EQ(at(15, 3).graphicShiftedCode, 0xFF);
    EXPECT_EQ(at(1, 2).graphicCode, 0x20);          // Space
    EXPECT_EQ(at(11, 1).graphicShiftedCode, 0x0D);  // Enter
    for (const auto& [row, column] : {std::pair{0, 0},
                                      {0, 1},
                                      {0, 2},
                                      {0, 3},
                                      {0, 4},
                                      {1, 0},
                                      {1, 1},
                                      {1, 4},
                                      {11, 2},
                                      {14, 2},
                                      {12, 4},
                                      {15, 0},
                                      {15, 1},
                                      {15, 2}}) {
        EXPECT_EQ(at(row, column).graphicCode, 0) << row << "," << column;
        EXPECT_EQ(at(row, column).graphicShiftedCode, 0) << row << "," << column;
    }
    // The emulated keys that differ from the host keys driving them.
    EXPECT_EQ(at(10, 1).typedCharacter, '@');
    EXPECT_EQ(at(10, 1).shiftedCharacter, '`');
    EXPECT_EQ(at(10, 4).typedCharacter, ':');
    EXPECT_EQ(at(11, 3).typedCharacter, '^');
    EXPECT_EQ(at(11, 4).typedCharacter, '-');
    EXPECT_EQ(at(11, 4).shiftedCharacter, '=');
    EXPECT_EQ(at(9, 4).shiftedCharacter, '0');
    EXPECT_EQ(at(11, 0).shiftedCharacter, 0x7F);
    EXPECT_EQ(at(10, 0).hostCharacter, '\\');
}

}  // namespace
}  // namespace vantorel
