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

// A German host keyboard: the window passes each key with the character
// the host's layout gave it. Keys are US positions (virtual keys).
struct HostPress {
    std::uint8_t key;
    char32_t text;
};

class HostLayoutTest : public SensibleKeysTest {
  protected:
    Positions typed(std::initializer_list<HostPress> presses) {
        test.keys.texts.fill(kNoKeyText);
        for (std::uint8_t code = 0; code != 0xFF; ++code) test.keys.release(code);
        for (const HostPress& press : presses) test.keys.typeHost(press.key, press.text);
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

constexpr std::uint8_t kHostAltRight = 0xA5;   // AltGr
constexpr std::uint8_t kHostSemicolon = 0xBA;  // the key right of L: o-umlaut on a German host
constexpr std::uint8_t kHostMinus = 0xBD;      // sharp s on a German host

TEST_F(HostLayoutTest, UnassignedKeysTypeWhatTheHostsOwnLayoutGives) {
    // Shift+7 is / on a German host: the Sorcerer's / key, without SHIFT.
    EXPECT_EQ(typed({{kHostShift, kNoKeyText}, {'7', U'/'}}), (Positions{position(9, 0)}));
    // Z and Y trade places: the key at the US Y position types z.
    EXPECT_EQ(typed({{'Y', U'z'}}), (Positions{position(2, 1)}));
    EXPECT_EQ(typed({{kHostShift, kNoKeyText}, {'Y', U'Z'}}), (Positions{kShift, position(2, 1)}));
    // AltGr characters the Sorcerer has: AltGr+Q is @, AltGr+8 is [.
    EXPECT_EQ(typed({{kHostAltRight, kNoKeyText}, {'Q', U'@'}}), (Positions{kAtSign}));
    EXPECT_EQ(typed({{kHostAltRight, kNoKeyText}, {'8', U'['}}), (Positions{position(10, 3)}));
    // A dead key types its own mark (the window gives ^ for dead circumflex).
    EXPECT_EQ(typed({{0xC0, U'^'}}), (Positions{position(11, 3)}));
    // Characters no Sorcerer key types give nothing: o-umlaut, sharp s, euro.
    EXPECT_EQ(typed({{kHostSemicolon, U'\u00F6'}}), Positions{});
    EXPECT_EQ(typed({{kHostMinus, U'\u00DF'}}), Positions{});
    EXPECT_EQ(typed({{kHostAltRight, kNoKeyText}, {'E', U'\u20AC'}}), Positions{});
}

TEST_F(HostLayoutTest, KeysWithoutACharacterAndTheKeypadKeepTheirPositions) {
    EXPECT_EQ(typed({{0x0D, U'\r'}}), (Positions{position(11, 1)}));  // Enter
    EXPECT_EQ(typed({{0x1B, U'\x1b'}}), (Positions{kEscape}));
    EXPECT_EQ(typed({{0x70, kNoKeyText}}), (Positions{position(0, 1)}));  // F1: GRAPHIC
    EXPECT_EQ(typed({{0x61, U'1'}}), (Positions{position(13, 1)}));       // keypad 1
    // Ctrl+C: the host gives code 3, typed as C with CTRL.
    EXPECT_EQ(typed({{kHostCtrl, kNoKeyText}, {'C', U'\x03'}}), (Positions{kCtrl, position(3, 0)}));
    // An assignment still wins over the host's character.
    test.machine.config().normalKeys['Y'] = kBoardNormal | kKeyIndexOne;
    EXPECT_EQ(typed({{'Y', U'z'}}), (Positions{position(2, 4)}));
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
