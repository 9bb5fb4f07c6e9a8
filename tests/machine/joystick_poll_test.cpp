// The joysticks as a Z80 program sees them through port FF: polled before
// each of the frame's two processor slices, and the cursor keys standing in
// for joystick 1.
#include <gtest/gtest.h>

#include <memory>

#include "support/test_machine.h"

namespace vantorel {
namespace {

using testing::FakeJoysticks;
using testing::TestMachine;

constexpr std::uint16_t kLogStart = 0x4000;  // where the program stores its readings

class JoystickPoll : public ::testing::Test {
  protected:
    std::unique_ptr<TestMachine> test = std::make_unique<TestMachine>();
    Machine& machine = test->machine;
    FakeJoysticks joysticks;

    void SetUp() override {
        MachineHost host = machine.host();
        host.joysticks = &joysticks;
        machine.attachHost(host);
    }

    // A program that reads port FF over and over and logs every reading
    // from 4000 up (34 T-states a reading).
    void runLoggingProgram() {
        test->runFrom(0x0100, {
                                  0x21, 0x00, 0x40,  // LD HL,4000
                                  0xDB, 0xFF,        // IN A,(FF)
                                  0x77,              // LD (HL),A
                                  0x23,              // INC HL
                                  0xC3, 0x03, 0x01,  // JP 0103
                              });
    }

    std::uint16_t logEnd() { return static_cast<std::uint16_t>(machine.registers().HL); }
    std::uint8_t logged(std::uint32_t at) const { return machine.memory().image[at]; }

    void runFrame() {
        test->nextFrameTime();
        machine.runFrame();
    }
};

TEST_F(JoystickPoll, AProgramSeesTheStickInTheFrameAfterItMoved) {
    runLoggingProgram();
    runFrame();
    EXPECT_EQ(joysticks.updates, 2) << "two polls a frame";
    EXPECT_EQ(joysticks.slotsRead, (std::vector<int>{0, 1, 0, 1}));
    EXPECT_EQ(logged(logEnd() - 1u), 0xFF) << "centred";
    joysticks.readings[0] = JoystickReading{720, 0, 0};  // joystick 1 full right
    const std::uint16_t frameStart = logEnd();
    runFrame();
    // The last IN of a slice may be stored in the next: the second store of
    // the frame is its first reading.
    EXPECT_EQ(logged(frameStart + 1u), 0xFD) << "the first reading of the next frame has it";
    EXPECT_EQ(logged(logEnd() - 1u), 0xFD);
    joysticks.readings[1] = JoystickReading{0, 720, 0};  // and joystick 2 down
    runFrame();
    EXPECT_EQ(logged(logEnd() - 1u), 0x7D);
    joysticks.readings = {};
    runFrame();
    EXPECT_EQ(logged(logEnd() - 1u), 0xFF) << "both gone";
}

TEST_F(JoystickPoll, TheSecondPollComesRightBeforeTheVerticalBlank) {
    runLoggingProgram();
    joysticks.onUpdate = [](FakeJoysticks& fake) {
        if (fake.updates % 2 == 0) fake.readings[0] = JoystickReading{0, 0, 1};  // fire
    };
    runFrame();
    const std::uint32_t readings = logEnd() - kLogStart;
    std::uint32_t firstFire = 0;
    while (firstFire < readings && logged(kLogStart + firstFire) == 0xFF) ++firstFire;
    for (std::uint32_t index = firstFire; index < readings; ++index) {
        ASSERT_EQ(logged(kLogStart + index), 0xF3) << "reading " << index << " of " << readings;
    }
    const std::uint32_t activeScanReadings = 32097 / 34;  // readings in the first slice
    EXPECT_GE(firstFire, activeScanReadings - 1);
    EXPECT_LE(firstFire, activeScanReadings + 1);
    EXPECT_GE(readings - firstFire, 3009u / 34u) << "the vertical blank's readings all have it";
}

TEST_F(JoystickPoll, KeysAsJoystickPressOnJoystickOneTogetherWithTheRealOne) {
    runLoggingProgram();
    test->keys.press(0x26);  // cursor up
    runFrame();
    EXPECT_EQ(machine.ports().joystickState[0], 0xFF) << "off by default";
    machine.config().keysasjoystickflag = true;
    runFrame();
    EXPECT_EQ(machine.ports().joystickState[0], 0xFB);
    joysticks.readings[0] = JoystickReading{720, 0, 0};
    runFrame();
    EXPECT_EQ(machine.ports().joystickState[0], 0xF9) << "up from the keys, right from the stick";
    test->keys.press(0xA3);  // Right Ctrl
    runFrame();
    EXPECT_EQ(logged(logEnd() - 1u), 0xF1);
    EXPECT_EQ(machine.ports().joystickState[1], 0xFF) << "joystick 2 is not the keys'";
    machine.attachHost(MachineHost{&test->clock, &test->keys, nullptr, nullptr});
    runFrame();
    EXPECT_EQ(machine.ports().joystickState[0], 0xF3) << "the keys work without host joysticks";
}

TEST_F(JoystickPoll, KeysAsJoystickHideRightCtrlFromTheKeyboardMatrix) {
    machine.writePort(0xFE, 0x00);  // row 0: Ctrl in column 2
    test->keys.press(0xA3);
    test->keys.press(0x11);  // the host's Ctrl, down through Right Ctrl
    runFrame();
    EXPECT_EQ(machine.readPort(0xFE), 0xFB) << "Right Ctrl is Ctrl while the option is off";
    machine.config().keysasjoystickflag = true;
    runFrame();
    EXPECT_EQ(machine.readPort(0xFE), 0xFF);
    test->keys.press(0xA2);
    runFrame();
    EXPECT_EQ(machine.readPort(0xFE), 0xFB) << "Left Ctrl still is";
}

}  // namespace
}  // namespace vantorel
