// Ports FE (keyboard) and FF (speaker and joysticks).
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <vector>

#include "support/test_machine.h"

namespace vantorel {
namespace {

using testing::SpeakerEdge;
using testing::TestMachine;

class Ports : public ::testing::Test {
  protected:
    std::unique_ptr<TestMachine> test = std::make_unique<TestMachine>();
    Machine& machine = test->machine;

    void writeParallel(std::initializer_list<std::uint8_t> values) {
        for (std::uint8_t value : values) machine.writePort(0xFF, value);
    }

    std::vector<std::uint8_t> levels() const {
        std::vector<std::uint8_t> result;
        for (const SpeakerEdge& edge : test->speaker.edges) result.push_back(edge.level);
        return result;
    }
};

TEST_F(Ports, KeyboardPortAnswersRowFifteenBeforeAnyWrite) {
    test->keys.press(0x63);  // keypad 3: row 15, column 4
    machine.runFrame();      // the scan at the frame's end sees it
    EXPECT_EQ(machine.readPort(0x00FE), 0xEF);
}

TEST_F(Ports, KeyboardRowComesFromTheLowFourBitsOfTheLatch) {
    test->keys.press('D');  // row 3, column 1
    machine.runFrame();
    machine.writePort(0x00FE, 0x13);
    EXPECT_EQ(machine.readPort(0x12FE), 0xFD) << "the high byte of the port address is ignored";
    machine.writePort(0x00FE, 0x02);
    EXPECT_EQ(machine.readPort(0x00FE), 0xFF);
}

TEST_F(Ports, ParallelPortReadsBothJoysticks) {
    EXPECT_EQ(machine.readPort(0x00FF), 0xFF) << "both joysticks absent";
    machine.ports().joystickState = {0xFA, 0xFF};  // joystick 1 up and left
    EXPECT_EQ(machine.readPort(0x00FF), 0xFA);
    machine.ports().joystickState = {0xFF, 0xF7};  // joystick 2 down
    EXPECT_EQ(machine.readPort(0x00FF), 0x7F);
}

TEST_F(Ports, OtherPortsReadFFAndIgnoreWrites) {
    const MachinePorts before = machine.ports();
    machine.writePort(0x0012, 0x00);
    EXPECT_EQ(machine.readPort(0x0012), 0xFF);
    EXPECT_EQ(machine.ports().keyboardLatch, before.keyboardLatch);
    EXPECT_EQ(machine.ports().lastParallelValue, before.lastParallelValue);
    EXPECT_TRUE(test->speaker.edges.empty());
}

TEST_F(Ports, SpeakerTogglesOnlyOnChangesBetween00AndFF) {
    writeParallel({0x00, 0xFF, 0x00, 0xFF});
    EXPECT_EQ(levels(), (std::vector<std::uint8_t>{1, 0, 1}))
        << "the first 00 equals the initial last value";

    test->speaker.edges.clear();
    writeParallel({0x55, 0xFF, 0x55});
    EXPECT_EQ(levels(), (std::vector<std::uint8_t>{0}))
        << "FF after 55 differs from the last value";

    test->speaker.edges.clear();
    machine.writePort(0xFF, 0xFF);
    machine.writePort(0xFF, 0xFF);
    EXPECT_EQ(levels(), (std::vector<std::uint8_t>{1}));
}

TEST_F(Ports, ZeroAfterAnotherValueIsAnEdge) {
    writeParallel({0x00, 0x55, 0x00});
    EXPECT_EQ(levels(), (std::vector<std::uint8_t>{1}));
    EXPECT_EQ(machine.ports().lastParallelValue, 0x00);
}

TEST_F(Ports, QuickTypeSilencesTheSpeakerButTheLevelStillToggles) {
    const std::uint8_t text[] = {'a', 'b'};
    ASSERT_EQ(machine.startQuickTypeText(text), QuickTypeResult::ok);
    machine.writePort(0xFF, 0xFF);
    machine.writePort(0xFF, 0x00);
    machine.writePort(0xFF, 0xFF);
    EXPECT_TRUE(test->speaker.edges.empty());
    EXPECT_EQ(machine.ports().speakerLevel, 1);
}

TEST_F(Ports, EdgeIsStampedWithTheCountAtTheStartOfTheOut) {
    test->runFrom(0x1000, {
                              0x00,              // NOP            4
                              0x00,              // NOP            4
                              0x3E, 0xFF,        // LD A,FF        7
                              0xD3, 0xFF,        // OUT (FF),A    11
                              0xC3, 0x06, 0x10,  // JP 1006
                          });
    machine.runFrame();
    ASSERT_EQ(test->speaker.edges.size(), 1u);
    EXPECT_EQ(test->speaker.edges[0], (SpeakerEdge{15, 1}));

    // Next frame: the stamp counts on from the frame's start.
    const std::uint32_t frameStart = machine.tstateCounter();
    test->runFrom(0x1000, {0x3E, 0x00, 0xD3, 0xFF, 0xC3, 0x04, 0x10});  // LD A,0; OUT; JP
    test->nextFrameTime();
    machine.runFrame();
    ASSERT_EQ(test->speaker.edges.size(), 2u);
    EXPECT_EQ(test->speaker.edges[1], (SpeakerEdge{frameStart + 7, 0}));
}

}  // namespace
}  // namespace vantorel
