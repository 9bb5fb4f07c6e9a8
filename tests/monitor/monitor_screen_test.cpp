// The monitor's screen output (E01B and the print routines): new lines,
// line feeds, tabs, rubout, clearing, wrapping, scrolling and the cursor.
#include <gtest/gtest.h>

#include <string>

#include "monitor/monitor_machine.h"

namespace vantorel::testing {
namespace {

// Prints the 0-terminated text at 1100 through E006, then returns.
void printThroughMonitor(MonitorMachine& sorcerer, const std::string& text) {
    sorcerer.poke(0x1000, {0x21, 0x00, 0x11,  // LD HL,1100
                           0xCD, 0x06, 0xE0,  // CALL E006
                           0xC9});            // RET
    std::uint16_t at = 0x1100;
    for (char c : text) sorcerer.poke(at++, {static_cast<std::uint8_t>(c)});
    sorcerer.poke(at, {0});
    sorcerer.type("GO 1000\n", 20);
}

TEST(MonitorScreen, NewLineLineFeedTabAndRubout) {
    MonitorMachine sorcerer;
    printThroughMonitor(sorcerer,
                        "AB\r\nCD\nEF\tG\bH\x7F"
                        "I");
    const auto rows = sorcerer.lines();
    EXPECT_EQ(rows[4], "AB");
    EXPECT_EQ(rows[5], "CD");  // CR LF is one new line
    EXPECT_EQ(rows[6], "  EF    I");
    EXPECT_EQ(rows[7], ">_");
}

TEST(MonitorScreen, ClearScreenStartsAtTheTopLeft) {
    MonitorMachine sorcerer;
    printThroughMonitor(sorcerer, "\x0CTOP");
    EXPECT_EQ(sorcerer.lines()[0], "TOP");
    EXPECT_EQ(sorcerer.lines()[1], ">_");
}

TEST(MonitorScreen, LongTextWrapsAtSixtyFourColumns) {
    MonitorMachine sorcerer;
    printThroughMonitor(sorcerer, std::string(64, 'W') + "XY");
    EXPECT_EQ(sorcerer.lines()[4], std::string(64, 'W'));
    EXPECT_EQ(sorcerer.lines()[5], "XY");
}

TEST(MonitorScreen, OtherControlCodesShowTheirSymbols) {
    MonitorMachine sorcerer;
    printThroughMonitor(sorcerer, "\x01\x1B");
    EXPECT_EQ(sorcerer.cell(4, 0), 0x01);
    EXPECT_EQ(sorcerer.cell(4, 1), 0x1B);
}

TEST(MonitorScreen, ScrollsUpWhenTheBottomIsReached) {
    MonitorMachine sorcerer;
    sorcerer.poke(0x1000, {0x06, 40,          // LD B,40
                           0x21, 0x00, 0x11,  // LD HL,1100
                           0xCD, 0x06, 0xE0,  // CALL E006
                           0x10, 0xF8,        // DJNZ 1002
                           0xC9});
    sorcerer.poke(0x1100, {'R', 'O', 'W', 0x0D, 0});
    sorcerer.type("GO 1000\n", 30);
    const auto rows = sorcerer.lines();
    EXPECT_EQ(rows[0], "ROW");
    EXPECT_EQ(rows[28], "ROW");
    EXPECT_EQ(rows[29], ">_");
    EXPECT_EQ(sorcerer.rowContaining("VANTOREL"), -1);
}

TEST(MonitorScreen, ScreenOutputKeepsEveryRegister) {
    MonitorMachine sorcerer;
    sorcerer.poke(0x1000, {0x01, 0x22, 0x11,        // LD BC,1122
                           0x11, 0x44, 0x33,        // LD DE,3344
                           0x21, 0x66, 0x55,        // LD HL,5566
                           0x3E, 0x0D,              // LD A,0D
                           0xCD, 0x1B, 0xE0,        // CALL E01B
                           0xED, 0x43, 0x00, 0x12,  // LD (1200),BC
                           0xED, 0x53, 0x02, 0x12,  // LD (1202),DE
                           0x22, 0x04, 0x12,        // LD (1204),HL
                           0x32, 0x06, 0x12,        // LD (1206),A
                           0xC9});
    sorcerer.type("GO 1000\n");
    const std::uint8_t expected[] = {0x22, 0x11, 0x44, 0x33, 0x66, 0x55, 0x0D};
    for (std::uint16_t i = 0; i < 7; ++i) EXPECT_EQ(sorcerer.peek(0x1200 + i), expected[i]) << i;
}

TEST(MonitorScreen, AStrayCursorIsBroughtBackToTheScreen) {
    MonitorMachine sorcerer;
    sorcerer.poke(0x0000, {0x99});
    sorcerer.poke(0x1000, {0xFD, 0x36, 0x40, 0x00,  // LD (IY+40),00: cursor
                           0xFD, 0x36, 0x41, 0x00,  // LD (IY+41),00  at 0000
                           0x3E, 'A',               // LD A,'A'
                           0xCD, 0x1B, 0xE0,        // CALL E01B
                           0xC9});
    sorcerer.type("GO 1000\n");
    EXPECT_EQ(sorcerer.peek(0x0000), 0x99);
    EXPECT_EQ(sorcerer.lines()[28], "A");
    EXPECT_EQ(sorcerer.lines()[29], ">_");
}

TEST(MonitorScreen, WarmStartFindsItsWorkAreaAgain) {
    MonitorMachine sorcerer;
    sorcerer.poke(0x1000, {0xFD, 0x21, 0x34, 0x12,  // LD IY,1234: lost
                           0x31, 0x00, 0x30,        // LD SP,3000
                           0xC3, 0x03, 0xE0});      // JP E003
    sorcerer.type("GO 1000\n");
    EXPECT_EQ(sorcerer.lines()[4], ">_");
    EXPECT_EQ(sorcerer.machine().registers().IY, 0x7FA0u);
    sorcerer.type("DU 0\n");
    EXPECT_EQ(sorcerer.lines()[5].substr(0, 4), "0000");
}

}  // namespace
}  // namespace vantorel::testing
