// The monitor's tape commands on the whole machine: the speed and motor bits
// it keeps in port FE, its argument checks, and breaking off a transfer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monitor/monitor_machine.h"

namespace vantorel::testing {
namespace {

constexpr std::uint8_t kMotor1 = 0x10;
constexpr std::uint8_t kMotor2 = 0x20;
constexpr std::uint8_t kFastTape = 0x40;

std::uint8_t tapeBits(MonitorMachine& sorcerer) {
    return sorcerer.machine().ports().keyboardLatch & 0x70;
}

TEST(MonitorTape, SpeedSettingGoesOutWithEveryKeyboardRow) {
    MonitorMachine sorcerer;
    EXPECT_EQ(tapeBits(sorcerer), 0);  // 300 baud, motors off
    sorcerer.type("SE T=0\n");
    EXPECT_EQ(tapeBits(sorcerer), kFastTape);
    sorcerer.type("DU 0\n");  // the keyboard still reads its rows
    EXPECT_EQ(sorcerer.lines()[5].substr(0, 4), "0000");
    EXPECT_EQ(tapeBits(sorcerer), kFastTape);
    sorcerer.type("SE T=1\n");
    EXPECT_EQ(tapeBits(sorcerer), 0);
    sorcerer.type("SE T=0\n");
    sorcerer.softReset();  // a reset starts again at 300 baud
    EXPECT_EQ(tapeBits(sorcerer), 0);
}

TEST(MonitorTape, SettingsThatMakeNoSenseAreRefusedWhole) {
    MonitorMachine sorcerer;
    sorcerer.type("SE T=0 T=2\nSE F=100\nSE X=\nSE X=12345\n");
    const auto rows = sorcerer.lines();
    EXPECT_EQ(rows[3], ">SE T=0 T=2 ?");
    EXPECT_EQ(rows[4], ">SE F=100 ?");
    EXPECT_EQ(rows[5], ">SE X= ?");
    EXPECT_EQ(rows[6], ">SE X=12345 ?");
    EXPECT_EQ(tapeBits(sorcerer), 0);  // T=0 was not carried out
    sorcerer.type("SE X=1234 F=D8 T=0\n");
    EXPECT_EQ(sorcerer.lines()[7], ">SE X=1234 F=D8 T=0");
    EXPECT_EQ(sorcerer.lines()[8], ">_");
    EXPECT_EQ(tapeBits(sorcerer), kFastTape);
}

TEST(MonitorTape, BadTapeArgumentsGetTheErrorMark) {
    MonitorMachine sorcerer;
    const std::vector<std::string> lines = {"SA GAME 2000 1000",
                                            "SA TOOLONG 0 10",
                                            "SA 0 10",
                                            "SA GAME 0 10 3",
                                            "SA GAME 0 FFFF",
                                            "SA",
                                            "LO A B",
                                            "LO A 1 2",
                                            "FI 3",
                                            "FI 1 2"};
    for (const std::string& line : lines) sorcerer.type(line + "\n");  // each rings the bell
    const auto rows = sorcerer.lines();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(rows[3 + i], ">" + lines[i] + " ?") << sorcerer.screen();
    }
    EXPECT_EQ(rows[13], ">_");
    EXPECT_EQ(tapeBits(sorcerer), 0);
}

// With no tape playing a load waits for its leader with the motor running;
// CTRL-C or RUN/STOP gives up, and the motor stops at the prompt.
TEST(MonitorTape, LoadWaitsWithTheMotorOnUntilBrokenOff) {
    MonitorMachine sorcerer;
    sorcerer.type("LO\n", 30);
    EXPECT_EQ(sorcerer.promptRow(), 3) << sorcerer.screen();  // still loading
    EXPECT_EQ(tapeBits(sorcerer), kMotor1);
    sorcerer.hold({kVirtualKeyEscape}, 8);
    sorcerer.runFrames(10);
    EXPECT_EQ(sorcerer.lines()[4], "BREAK");
    EXPECT_EQ(sorcerer.lines()[5], ">_");
    EXPECT_EQ(tapeBits(sorcerer), 0);

    sorcerer.type("SE T=0\nLOG GAME 2\n", 30);
    EXPECT_EQ(tapeBits(sorcerer), kMotor2 | kFastTape);
    sorcerer.hold({kVirtualKeyControl, 'C'}, 8);
    sorcerer.runFrames(10);
    EXPECT_EQ(sorcerer.lines()[7], "BREAK");
    EXPECT_EQ(tapeBits(sorcerer), kFastTape);

    sorcerer.type("FI 2\n", 30);  // FI too
    EXPECT_EQ(tapeBits(sorcerer), kMotor2 | kFastTape);
    sorcerer.hold({kVirtualKeyEscape}, 8);
    sorcerer.runFrames(10);
    EXPECT_EQ(sorcerer.lines()[9], "BREAK");
    EXPECT_EQ(tapeBits(sorcerer), kFastTape);
}

TEST(MonitorTape, JumpTableReachesTheTapeByteRoutines) {
    MonitorMachine sorcerer;
    for (const int entry : {0xE01E, 0xE021}) {
        const auto address = static_cast<std::uint16_t>(entry);
        EXPECT_EQ(sorcerer.peek(address), 0xC3) << entry;  // JP
        const unsigned target = sorcerer.peek(static_cast<std::uint16_t>(address + 1)) |
                                sorcerer.peek(static_cast<std::uint16_t>(address + 2)) << 8;
        EXPECT_GE(target, 0xE024u) << entry;
        EXPECT_LT(target, 0xF000u) << entry;
    }
}

}  // namespace
}  // namespace vantorel::testing
