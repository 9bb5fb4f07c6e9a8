// The monitor's commands, typed on the emulated keyboard and read back from
// the screen and memory.
#include <gtest/gtest.h>

#include <string>

#include "monitor/monitor_machine.h"

namespace vantorel::testing {
namespace {

TEST(MonitorCommands, DumpShowsBytesAndCharacters) {
    MonitorMachine sorcerer;
    sorcerer.poke(0x1000, {'H', 'e', 'l', 'l', 'o', 0x00, 0x7F, 0xC3, 0x21, 0x0D});
    sorcerer.type("DU 1000 1009\n");
    const auto rows = sorcerer.lines();
    EXPECT_EQ(rows[3], ">DU 1000 1009");
    EXPECT_EQ(rows[4], "1000  48 65 6C 6C 6F 00 7F C3  Hello...");
    EXPECT_EQ(rows[5], "1008  21 0D                    !.");
    EXPECT_EQ(rows[6], ">_");
}

TEST(MonitorCommands, DumpOfOneByteAndLowerCaseCommand) {
    MonitorMachine sorcerer;
    sorcerer.poke(0x0123, {0xAB});
    sorcerer.type("du123\n");
    EXPECT_EQ(sorcerer.lines()[4], "0123  AB                       .");
}

TEST(MonitorCommands, DumpRunsToTheTopOfMemoryAndStops) {
    MonitorMachine sorcerer;
    sorcerer.type("DU FFF0 FFFF\n");
    const auto rows = sorcerer.lines();
    EXPECT_EQ(rows[4].substr(0, 4), "FFF0");
    EXPECT_EQ(rows[5].substr(0, 4), "FFF8");
    EXPECT_EQ(rows[6], ">_");
}

TEST(MonitorCommands, EnterStoresBytesLineByLineUntilSlash) {
    MonitorMachine sorcerer;
    sorcerer.type("EN 1200\n");
    EXPECT_EQ(sorcerer.lines()[4], "1200: _");
    sorcerer.type("1 22 ,33\n");
    EXPECT_EQ(sorcerer.lines()[5], "1203: _");
    sorcerer.type("ff/\n");
    EXPECT_EQ(sorcerer.lines()[6], ">_");
    EXPECT_EQ(sorcerer.peek(0x1200), 0x01);
    EXPECT_EQ(sorcerer.peek(0x1201), 0x22);
    EXPECT_EQ(sorcerer.peek(0x1202), 0x33);
    EXPECT_EQ(sorcerer.peek(0x1203), 0xFF);
    EXPECT_EQ(sorcerer.peek(0x1204), 0x00);
}

TEST(MonitorCommands, EnterMarksABadLineAndStoresNoneOfIt) {
    MonitorMachine sorcerer;
    sorcerer.type("EN 1300\n12 345 6\n");
    EXPECT_EQ(sorcerer.lines()[4], "1300: 12 345 6 ?");
    EXPECT_EQ(sorcerer.lines()[5], "1300: _");
    EXPECT_EQ(sorcerer.peek(0x1300), 0x00);
    sorcerer.type("12 G\n");
    EXPECT_EQ(sorcerer.lines()[5], "1300: 12 G ?");
    sorcerer.type("7/\n");
    EXPECT_EQ(sorcerer.peek(0x1300), 0x07);
    EXPECT_EQ(sorcerer.peek(0x1301), 0x00);
}

TEST(MonitorCommands, MoveCopiesOverlappingRangesWhole) {
    MonitorMachine sorcerer;
    sorcerer.poke(0x2000, {1, 2, 3, 4, 5, 6, 7, 8});
    sorcerer.type("MO 2000 2007 2002\n");  // up over itself
    for (std::uint16_t i = 0; i < 8; ++i) EXPECT_EQ(sorcerer.peek(0x2002 + i), i + 1) << i;
    sorcerer.type("MO 2002 2009 2000\n");  // and back down
    for (std::uint16_t i = 0; i < 8; ++i) EXPECT_EQ(sorcerer.peek(0x2000 + i), i + 1) << i;
    sorcerer.type("MO 2000 2003 3000\n");  // apart
    for (std::uint16_t i = 0; i < 4; ++i) EXPECT_EQ(sorcerer.peek(0x3000 + i), i + 1) << i;
    EXPECT_EQ(sorcerer.peek(0x3004), 0);
    EXPECT_EQ(sorcerer.promptRow(), 6);
}

TEST(MonitorCommands, TestPassesRamAndListsBadAddresses) {
    MonitorMachine sorcerer(0);  // 8K: RAM ends at 1FFF
    sorcerer.poke(0x1000, {0x12, 0x34});
    sorcerer.type("TE 1000 10FF\n", 30);
    EXPECT_EQ(sorcerer.lines()[4], "RAM OK");
    EXPECT_EQ(sorcerer.peek(0x1000), 0x12);  // the test gives every byte back
    EXPECT_EQ(sorcerer.peek(0x1001), 0x34);

    sorcerer.type("TE 1FFE 2001\n", 30);
    const auto rows = sorcerer.lines();
    EXPECT_EQ(rows[6], "BAD 2000");
    EXPECT_EQ(rows[7], "BAD 2001");
    EXPECT_EQ(rows[8], "BAD BYTES: 0002");
    EXPECT_EQ(rows[9], ">_");
}

TEST(MonitorCommands, GoCallsAProgramThatPrintsAndReturns) {
    MonitorMachine sorcerer;
    sorcerer.poke(0x1000, {0x3E, 'H',         // LD A,'H'
                           0xCD, 0x1B, 0xE0,  // CALL E01B
                           0x3E, 'I',         // LD A,'I'
                           0xCD, 0x1B, 0xE0,  // CALL E01B
                           0x21, 0x34, 0x12,  // LD HL,1234
                           0xCD, 0x0C, 0xE0,  // CALL E00C
                           0xC9});            // RET
    sorcerer.type("GO 1000\n");
    EXPECT_EQ(sorcerer.lines()[4], "HI1234");
    EXPECT_EQ(sorcerer.lines()[5], ">_");
}

TEST(MonitorCommands, ProgramsWaitForAndCheckKeysThroughTheJumpTable) {
    MonitorMachine sorcerer;
    sorcerer.poke(0x1000, {0xCD, 0x15, 0xE0,  // CALL E015: no key yet
                           0x32, 0x00, 0x11,  // LD (1100),A
                           0xCD, 0x18, 0xE0,  // CALL E018: wait
                           0x32, 0x01, 0x11,  // LD (1101),A
                           0xC9});
    sorcerer.poke(0x1100, {0xEE, 0xEE});
    sorcerer.type("GO 1000\n");
    EXPECT_EQ(sorcerer.lines()[4], "_");  // waiting, cursor shown
    sorcerer.type("k");
    EXPECT_EQ(sorcerer.peek(0x1100), 0x00);
    EXPECT_EQ(sorcerer.peek(0x1101), 'k');
    EXPECT_EQ(sorcerer.lines()[4], ">_");
}

TEST(MonitorCommands, UnknownCommandsAndBadArgumentsGetTheErrorMarkAndBell) {
    MonitorMachine sorcerer;
    sorcerer.speaker().edges.clear();
    sorcerer.type("XY 12\n");
    EXPECT_EQ(sorcerer.lines()[3], ">XY 12 ?");
    EXPECT_EQ(sorcerer.lines()[4], ">_");
    EXPECT_GE(sorcerer.speaker().edges.size(), 150u);  // the bell rang

    sorcerer.type("DU 2000 1000\n");  // backwards
    sorcerer.type("DU 12345\n");      // more than FFFF
    sorcerer.type("MO 1 2\n");        // too few
    sorcerer.type("GO\n");
    const auto rows = sorcerer.lines();
    EXPECT_EQ(rows[4], ">DU 2000 1000 ?");
    EXPECT_EQ(rows[5], ">DU 12345 ?");
    EXPECT_EQ(rows[6], ">MO 1 2 ?");
    EXPECT_EQ(rows[7], ">GO ?");
    EXPECT_EQ(rows[8], ">_");
}

TEST(MonitorCommands, BellIsAOneKilohertzToneOnPortFF) {
    MonitorMachine sorcerer;
    sorcerer.type("?X\n");  // the help: no bell
    sorcerer.speaker().edges.clear();
    sorcerer.type("Z\n", 20);
    const auto& edges = sorcerer.speaker().edges;
    ASSERT_EQ(edges.size(), 200u) << sorcerer.screen();
    for (std::size_t i = 1; i < edges.size(); ++i) {
        const std::uint32_t halfPeriod = edges[i].tstates - edges[i - 1].tstates;
        EXPECT_EQ(halfPeriod, 1054u) << i;  // 2,106,360 / 1,054 / 2 = 999 Hz
        EXPECT_NE(edges[i].level, edges[i - 1].level);
    }
}

TEST(MonitorCommands, CtrlCStopsALongDump) {
    MonitorMachine sorcerer;
    sorcerer.type("DU 0 FFFF\n", 60);
    EXPECT_EQ(sorcerer.promptRow(), -1) << sorcerer.screen();  // still dumping
    sorcerer.hold({kVirtualKeyControl, 'C'}, 8);
    sorcerer.runFrames(10);
    const int prompt = sorcerer.promptRow();
    ASSERT_GT(prompt, 0) << sorcerer.screen();
    EXPECT_EQ(sorcerer.lines()[static_cast<std::size_t>(prompt - 1)], "BREAK");
    EXPECT_EQ(sorcerer.lines()[static_cast<std::size_t>(prompt)], ">_");
    EXPECT_EQ(sorcerer.rowContaining("FFF8"), -1);
}

TEST(MonitorCommands, RunStopAlsoStopsADump) {
    MonitorMachine sorcerer;
    sorcerer.type("DU 0 FFFF\n", 30);
    sorcerer.hold({kVirtualKeyEscape}, 8);
    sorcerer.runFrames(10);
    EXPECT_GT(sorcerer.rowContaining("BREAK"), 0) << sorcerer.screen();
}

TEST(MonitorCommands, HelpListsTheCommands) {
    MonitorMachine sorcerer;
    sorcerer.type("HE\n");
    EXPECT_EQ(sorcerer.lines()[4].substr(0, 10), "DU a1 [a2]");
    for (const char* command : {"EN a", "MO a1 a2 a3", "TE a1 a2", "GO a", "PP [x]", "SE O=V"}) {
        EXPECT_GT(sorcerer.rowContaining(command), 4) << command;
    }
    sorcerer.type("?\n");
    EXPECT_GT(sorcerer.rowContaining("THIS LIST"), 14);
}

TEST(MonitorCommands, BatchTapeCommandsAreUnsupported) {
    MonitorMachine sorcerer;
    sorcerer.type("CR\nLI\nBA\nOV\n", 10);
    int count = 0;
    for (const std::string& row : sorcerer.lines()) count += row == "UNSUPPORTED";
    EXPECT_EQ(count, 4);
}

TEST(MonitorCommands, SetRoutesOutputAndRefusesWhatItCannotDo) {
    MonitorMachine sorcerer;
    sorcerer.type("SE O=S\n");  // no serial driver
    EXPECT_EQ(sorcerer.lines()[4], "O: UNSUPPORTED");
    sorcerer.type("SE T=1\n");  // the tape speed: taken without a word
    EXPECT_EQ(sorcerer.lines()[6], ">_");
    sorcerer.type("SE Q=1\n");
    EXPECT_EQ(sorcerer.lines()[6], ">SE Q=1 ?");

    // A routine at 1000 that counts the characters it is given in 1100.
    sorcerer.poke(0x1000, {0x21, 0x00, 0x11,  // LD HL,1100
                           0x34,              // INC (HL)
                           0xC9});            // RET
    sorcerer.type("SE O=1000\n");
    const int row = sorcerer.promptRow();
    sorcerer.type("DU 0\n");  // typed text goes to the routine, not the screen
    EXPECT_EQ(sorcerer.promptRow(), row);
    EXPECT_GT(sorcerer.peek(0x1100), 20);
    sorcerer.type("SE O=V\n");
    EXPECT_EQ(sorcerer.promptRow(), row + 1);
}

}  // namespace
}  // namespace vantorel::testing
