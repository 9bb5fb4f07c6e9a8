// The monitor's keyboard: what each key types through the matrix, the
// shift-type keys, repeat, and the line editor's keys.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "monitor/monitor_machine.h"

namespace vantorel::testing {
namespace {

constexpr std::uint8_t kVirtualKeyCapsLock = 0x14;
constexpr std::uint8_t kVirtualKeyF7 = 0x76;        // BREAK
constexpr std::uint8_t kVirtualKeyF8 = 0x77;        // SKIP
constexpr std::uint8_t kVirtualKeyPageDown = 0x22;  // LINE FEED
constexpr std::uint8_t kVirtualKeyNumpad5 = 0x65;
constexpr std::uint8_t kVirtualKeyNumpadPlus = 0x6B;

// Runs a program that waits for `count` keys through E018 and stores their
// codes from 1100 on; returns them once the keys are given.
class KeyRecorder {
  public:
    KeyRecorder(MonitorMachine& sorcerer, std::uint8_t count) : sorcerer_(sorcerer), count_(count) {
        sorcerer.poke(0x1000, {0x06, count,       // LD B,count
                               0x21, 0x00, 0x11,  // LD HL,1100
                               0xCD, 0x18, 0xE0,  // CALL E018
                               0x77,              // LD (HL),A
                               0x23,              // INC HL
                               0x10, 0xF9,        // DJNZ 1005
                               0xC9});            // RET
        sorcerer.type("GO 1000\n");
    }
    std::vector<std::uint8_t> codes() {
        std::vector<std::uint8_t> result;
        for (std::uint16_t i = 0; i < count_; ++i) result.push_back(sorcerer_.peek(0x1100 + i));
        return result;
    }

  private:
    MonitorMachine& sorcerer_;
    std::uint8_t count_;
};

using Codes = std::vector<std::uint8_t>;

TEST(MonitorKeyboard, TypewriterKeysTypeWithAndWithoutShift) {
    MonitorMachine sorcerer;
    sorcerer.type("az09 AZ!\"#$%&'() :*-=@`[]{}^~,<.>/?;+\\|");
    EXPECT_EQ(sorcerer.lines()[3], ">az09 AZ!\"#$%&'() :*-=@`[]{}^~,<.>/?;+\\|_");
}

TEST(MonitorKeyboard, ShiftLockGivesCapitalLettersOnly) {
    MonitorMachine sorcerer;
    sorcerer.keys().toggle(kVirtualKeyCapsLock);
    sorcerer.type("ab1;");
    EXPECT_EQ(sorcerer.lines()[3], ">AB1;_");
}

TEST(MonitorKeyboard, ControlAndSpecialKeysGiveTheirCodes) {
    MonitorMachine sorcerer;
    KeyRecorder recorder(sorcerer, 10);
    sorcerer.hold({kVirtualKeyControl, 'A'});
    sorcerer.hold({kVirtualKeyControl, 'Z'});
    sorcerer.hold({kVirtualKeyControl, '1'});  // CTRL means nothing to a digit
    sorcerer.hold({kVirtualKeyEscape});
    sorcerer.hold({kVirtualKeyF7});
    sorcerer.hold({kVirtualKeyF8});
    sorcerer.hold({kVirtualKeyPageDown});
    sorcerer.hold({kVirtualKeyEnter});
    sorcerer.hold({kVirtualKeyNumpad5});
    sorcerer.hold({kVirtualKeyNumpadPlus});
    sorcerer.runFrames(5);
    EXPECT_EQ(recorder.codes(), (Codes{0x01, 0x1A, '1', 0x1B, 0x03, 0x09, 0x0A, 0x0D, '5', '+'}));
}

TEST(MonitorKeyboard, GraphicKeyTypesTheStandardGraphics) {
    MonitorMachine sorcerer;
    KeyRecorder recorder(sorcerer, 6);
    sorcerer.hold({kVirtualKeyF1, 'X'});
    sorcerer.hold({kVirtualKeyF1, kVirtualKeyShift, 'X'});
    sorcerer.hold({kVirtualKeyF1, kVirtualKeyF8});
    sorcerer.hold({kVirtualKeyF1, 'E'});
    sorcerer.hold({kVirtualKeyF1, ' '});                 // space stays a space
    sorcerer.hold({kVirtualKeyF1, kVirtualKeyNumpad5});  // nothing; the next key counts
    sorcerer.hold({kVirtualKeyF1, 0x63});                // keypad 3
    sorcerer.runFrames(5);
    EXPECT_EQ(recorder.codes(), (Codes{0x80, 0xC0, 0x8D, 0x8C, ' ', 0xBE}));
}

TEST(MonitorKeyboard, GraphicsCanBeTypedIntoTheCommandLine) {
    MonitorMachine sorcerer;
    sorcerer.hold({kVirtualKeyF1, 'Q'});
    EXPECT_EQ(sorcerer.cell(3, 1), 0x83);
    EXPECT_EQ(sorcerer.cell(3, 2), '_');
}

TEST(MonitorKeyboard, AKeyRepeatsAfterHalfASecondThenTenTimesASecond) {
    MonitorMachine sorcerer;
    sorcerer.hold({'X'}, 24);  // 0.4 s: once
    EXPECT_EQ(sorcerer.lines()[3], ">x_");
    sorcerer.hold({'Y'}, 90);  // 1.5 s: once, then about 10 more
    const std::string line = sorcerer.lines()[3];
    const auto repeats = line.size() - std::string(">x_").size();
    EXPECT_GE(repeats, 9u) << line;
    EXPECT_LE(repeats, 13u) << line;
}

TEST(MonitorKeyboard, RepeatKeyRepeatsAtOnce) {
    MonitorMachine sorcerer;
    sorcerer.hold({kVirtualKeyF6, 'X'}, 24);  // 0.4 s with REPEAT
    const std::string line = sorcerer.lines()[3];
    EXPECT_GE(line.size(), std::string(">xxx_").size()) << line;
}

TEST(MonitorKeyboard, UnderscoreAndRuboutKeysDeleteToTheLeft) {
    MonitorMachine sorcerer;
    sorcerer.type("abcd");
    sorcerer.hold({kVirtualKeyBackspace});                    // '_'
    sorcerer.hold({kVirtualKeyShift, kVirtualKeyBackspace});  // RUBOUT
    EXPECT_EQ(sorcerer.lines()[3], ">ab_");
    for (int i = 0; i < 4; ++i) sorcerer.hold({kVirtualKeyBackspace});
    EXPECT_EQ(sorcerer.lines()[3], ">_");  // the prompt stays
    sorcerer.type("du 0\n");
    EXPECT_EQ(sorcerer.lines()[4].substr(0, 4), "0000");
}

TEST(MonitorKeyboard, ClearKeyClearsTheScreenAndTheLine) {
    MonitorMachine sorcerer;
    sorcerer.type("du");
    sorcerer.hold({kVirtualKeyHome});
    sorcerer.runFrames(5);
    EXPECT_EQ(sorcerer.lines()[0], ">_");
    EXPECT_EQ(sorcerer.lines()[1], "");
}

TEST(MonitorKeyboard, CtrlCAbandonsTheLine) {
    MonitorMachine sorcerer;
    sorcerer.type("du 0");
    sorcerer.hold({kVirtualKeyControl, 'C'});
    sorcerer.runFrames(5);
    EXPECT_EQ(sorcerer.lines()[3], ">du 0");
    EXPECT_EQ(sorcerer.lines()[4], ">_");
    EXPECT_EQ(sorcerer.lines()[5], "");
}

TEST(MonitorKeyboard, LineStopsAtTheEndOfTheRowWithABell) {
    MonitorMachine sorcerer;
    sorcerer.type(std::string(62, 'a'));
    sorcerer.speaker().edges.clear();
    sorcerer.type("bc");
    EXPECT_EQ(sorcerer.lines()[3], ">" + std::string(62, 'a') + "_");
    EXPECT_EQ(sorcerer.speaker().edges.size(), 400u);  // two bells
}

}  // namespace
}  // namespace vantorel::testing
