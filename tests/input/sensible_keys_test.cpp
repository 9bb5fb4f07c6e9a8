// Sensible mode on a whole machine: host keys held on the fake keyboard,
// one frame run, and the matrix positions that the row reads then show
// pressed.
#include "input/sensible_keys.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <set>

#include "input/keyboard_assignment.h"
#include "support/test_machine.h"

namespace vantorel {
namespace {

using testing::TestMachine;
using Positions = std::set<int>;

constexpr int kShift = 4;  // row 0, column 4
constexpr int kCtrl = 2;   // row 0, column 2
constexpr int kGraphic = 1;
constexpr int kEscape = 9;       // RUN/STOP, row 1 column 4
constexpr int kUnderscore = 55;  // row 11 column 0, driven by Backspace
constexpr int kAtSign = 51;      // row 10 column 1
constexpr std::uint8_t kHostShift = 0x10;
constexpr std::uint8_t kHostCtrl = 0x11;
constexpr std::uint8_t kHostApostrophe = 0xDE;
constexpr int kKeyIndexC = 2;  // in kEmulatedKeyNameTable
constexpr int kKeyIndexOne = 26;

constexpr int position(int row, int column) {
    return row * kKeyboardColumns + column;
}

class SensibleKeysTest : public ::testing::Test {
  protected:
    TestMachine test;

    void SetUp() override { test.machine.config().emulatedflag = false; }

    // The positions pressed after a frame with exactly `keys` held.
    Positions held(std::initializer_list<std::uint8_t> keys) {
        for (std::uint8_t code = 0; code != 0xFF; ++code) test.keys.release(code);
        for (std::uint8_t key : keys) test.keys.press(key);
        test.nextFrameTime();
        test.machine.runFrame();
        Positions pressed;
        for (int row = 0; row < kKeyboardRows; ++row) {
            const std::uint8_t bits = test.machine.keyboard().readKeyboardRow(row);
            for (int column = 0; column < kKeyboardColumns; ++column) {
                if ((bits & (1 << column)) == 0) pressed.insert(position(row, column));
            }
        }
        return pressed;
    }
};

TEST_F(SensibleKeysTest, UnassignedKeysTypeWhatTheHostKeyShows) {
    EXPECT_EQ(held({'A'}), (Positions{position(2, 2)}));
    EXPECT_EQ(held({kHostShift, 'A'}), (Positions{kShift, position(2, 2)}));
    // Shift+2 is @: the Sorcerer's own @ key, without SHIFT.
    EXPECT_EQ(held({kHostShift, '2'}), (Positions{kAtSign}));
    // The apostrophe key types ', which the Sorcerer types with SHIFT and 7.
    EXPECT_EQ(held({kHostApostrophe}), (Positions{kShift, position(7, 4)}));
    // Shift+- is _, on the key the emulated layout gives to Backspace.
    EXPECT_EQ(held({kHostShift, 0xBD}), (Positions{kUnderscore}));
    EXPECT_EQ(held({' '}), (Positions{position(1, 2)}));
    EXPECT_EQ(held({}), Positions{});
}

TEST_F(SensibleKeysTest, CapsLockCapitalisesLettersAndCtrlIsHeldThrough) {
    test.keys.toggle(kVirtualKeyCapsLock);
    EXPECT_EQ(held({'A'}), (Positions{kShift, position(2, 2)}));
    EXPECT_EQ(held({kHostShift, 'A'}), (Positions{position(2, 2)}));
    EXPECT_EQ(held({'1'}), (Positions{position(2, 4)}));  // no SHIFT LOCK latched
    test.keys.toggle(kVirtualKeyCapsLock);
    EXPECT_EQ(held({kHostCtrl, 'C'}), (Positions{kCtrl, position(3, 0)}));
}

TEST_F(SensibleKeysTest, KeysWithoutACharacterPressTheirLayoutPositions) {
    EXPECT_EQ(held({0x1B}), (Positions{kEscape}));
    EXPECT_EQ(held({0x70, 'A'}), (Positions{kGraphic, position(2, 2)}));
    EXPECT_EQ(held({kHostShift, 0x08}), (Positions{kShift, kUnderscore}));  // RUBOUT
    EXPECT_EQ(held({0x0D}), (Positions{position(11, 1)}));
    EXPECT_EQ(held({0x7B}),  // F12 holds its four positions
              (Positions{position(12, 4), position(15, 0), position(15, 1), position(15, 2)}));
    EXPECT_EQ(held({0x61}), (Positions{position(13, 1)}));  // keypad 1
}

TEST_F(SensibleKeysTest, AssignedKeysPressTheirSorcererKeyOnItsBoard) {
    MachineConfig& config = test.machine.config();
    config.normalKeys[0x70] = kBoardCtrl | kKeyIndexC;   // F1: CTRL C, not GRAPHIC
    config.shiftKeys['A'] = kBoardShift | kKeyIndexOne;  // Shift+A: SHIFT 1 (!)
    config.ctrlKeys['A'] = kBoardNormal | kKeyIndexOne;  // Ctrl+A: 1 alone
    EXPECT_EQ(held({0x70}), (Positions{kCtrl, position(3, 0)}));
    EXPECT_EQ(held({kHostShift, 'A'}), (Positions{kShift, position(2, 4)}));
    EXPECT_EQ(held({kHostCtrl, 'A'}), (Positions{position(2, 4)}));
    // Shift wins over Ctrl, as in the dialog's capture.
    EXPECT_EQ(held({kHostCtrl, kHostShift, 'A'}), (Positions{kShift, position(2, 4)}));
    EXPECT_EQ(held({'A'}), (Positions{position(2, 2)}));  // the normal table has no A
}

TEST_F(SensibleKeysTest, ValuesNoSorcererKeyHasCountAsUnassigned) {
    MachineConfig& config = test.machine.config();
    config.normalKeys['A'] = 0xC5;  // board bits 11
    config.normalKeys['B'] = 0x3F;  // index 63
    EXPECT_EQ(held({'A'}), (Positions{position(2, 2)}));
    EXPECT_EQ(held({'B'}), (Positions{position(5, 0)}));
}

TEST_F(SensibleKeysTest, EmulatedModeStillFollowsThePhysicalKeys) {
    test.machine.config().emulatedflag = true;
    EXPECT_EQ(held({kHostShift, '2'}), (Positions{kShift, position(3, 4)}));
    test.keys.toggle(kVirtualKeyCapsLock);
    EXPECT_EQ(held({}), (Positions{position(0, 3)}));
}

TEST_F(SensibleKeysTest, QuickTypeTakesTheKeyboardInSensibleModeToo) {
    const std::uint8_t text[] = {'z'};
    ASSERT_EQ(test.machine.startQuickTypeText(text), QuickTypeResult::ok);
    Positions seen;  // every key up at first, then quick type's z, never the host's a
    for (int frame = 0; frame < 4 && seen.empty(); ++frame) seen = held({'A'});
    EXPECT_EQ(seen, (Positions{position(2, 1)}));
}

}  // namespace
}  // namespace vantorel
