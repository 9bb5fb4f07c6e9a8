// SdlJoysticks under a running machine, with SDL's virtual joysticks plugged
// in and pulled out while the frames run: port FF follows their axes and
// buttons, the slots follow the devices.
#include "host/sdl_joysticks.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <memory>

#include "support/test_machine.h"

namespace vantorel {
namespace {

using testing::RecordingDebugOutput;
using testing::TestMachine;

constexpr Sint16 kFullPlus = 32767;
constexpr Sint16 kFullMinus = -32768;

// One virtual device, found again by its instance id.
struct VirtualDevice {
    SDL_JoystickID id = -1;

    static VirtualDevice attach(SDL_JoystickType type, int axes, int buttons) {
        const int index = SDL_JoystickAttachVirtual(type, axes, buttons, 0);
        EXPECT_GE(index, 0) << SDL_GetError();
        return {SDL_JoystickGetDeviceInstanceID(index)};
    }
    static VirtualDevice attachStick(int buttons = 6) {
        return attach(SDL_JOYSTICK_TYPE_UNKNOWN, 2, buttons);
    }

    // Only once the joysticks have opened it.
    SDL_Joystick* handle() const { return SDL_JoystickFromInstanceID(id); }
    void setAxis(int axis, Sint16 value) const {
        ASSERT_NE(handle(), nullptr);
        SDL_JoystickSetVirtualAxis(handle(), axis, value);
    }
    void setButton(int button, bool down) const {
        ASSERT_NE(handle(), nullptr);
        SDL_JoystickSetVirtualButton(handle(), button, down ? 1 : 0);
    }
    int deviceIndex() const {
        for (int index = 0; index < SDL_NumJoysticks(); ++index) {
            if (SDL_JoystickGetDeviceInstanceID(index) == id) return index;
        }
        return -1;
    }
    void detach() const { SDL_JoystickDetachVirtual(deviceIndex()); }
};

class SdlJoystickTest : public ::testing::Test {
  protected:
    std::unique_ptr<TestMachine> test = std::make_unique<TestMachine>();
    Machine& machine = test->machine;
    RecordingDebugOutput debug;
    SdlJoysticks joysticks{&debug};

    // The test's own hold on SDL's joystick support, so that virtual
    // devices can be plugged in before the joysticks start and pulled out
    // after they stop.
    void SetUp() override {
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
        MachineHost host = machine.host();
        host.joysticks = &joysticks;
        machine.attachHost(host);
    }
    void TearDown() override {
        joysticks.releaseJoysticks();
        while (SDL_NumJoysticks() > 0) SDL_JoystickDetachVirtual(0);
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    }

    void start() {
        ASSERT_TRUE(joysticks.initJoysticks());
        joysticks.setJoysticksAcquired(true);
    }
    // Runs a frame and gives what port FF reads after it.
    std::uint8_t portAfterFrame() {
        test->nextFrameTime();
        machine.runFrame();
        return machine.readPort(0xFF);
    }
    std::int64_t deviceIn(int slot) const { return joysticks.deviceSlots().slot(slot).deviceId; }
};

TEST(SdlAxisScale, SdlRangeBecomesPlusMinus720) {
    EXPECT_EQ(scaleSdlAxis(0), 0);
    EXPECT_EQ(scaleSdlAxis(32767), 720);
    EXPECT_EQ(scaleSdlAxis(-32768), -720);
    EXPECT_EQ(scaleSdlAxis(16384), 360);
    EXPECT_EQ(scaleSdlAxis(29491), 648) << "not yet a direction";
    EXPECT_EQ(scaleSdlAxis(29536), 649);
    EXPECT_EQ(scaleSdlAxis(-29537), -649);
}

TEST_F(SdlJoystickTest, PortFollowsDevicesPluggedInAndPulledOutWhileRunning) {
    start();
    EXPECT_EQ(portAfterFrame(), 0xFF) << "no device";
    const VirtualDevice first = VirtualDevice::attachStick();
    EXPECT_EQ(portAfterFrame(), 0xFF) << "plugged in, centred";
    EXPECT_EQ(deviceIn(0), first.id);
    first.setAxis(0, kFullPlus);
    EXPECT_EQ(portAfterFrame(), 0xFD) << "full right";
    first.setAxis(0, kFullMinus);
    first.setAxis(1, kFullMinus);
    EXPECT_EQ(portAfterFrame(), 0xFA) << "up and left";
    first.setAxis(0, 0);
    first.setAxis(1, 29491);  // 648 after scaling
    EXPECT_EQ(portAfterFrame(), 0xFF);
    first.setAxis(1, 0);
    first.setButton(5, true);
    EXPECT_EQ(portAfterFrame(), 0xF3) << "button 5 fires";

    const VirtualDevice second = VirtualDevice::attachStick(2);
    EXPECT_EQ(second.handle(), nullptr) << "opened at the next poll";
    EXPECT_EQ(portAfterFrame(), 0xF3);
    EXPECT_EQ(deviceIn(1), second.id);
    second.setButton(1, true);
    EXPECT_EQ(portAfterFrame(), 0x33) << "both fire; joystick 2 has only two buttons";
    second.setButton(1, false);
    second.setAxis(0, kFullMinus);
    EXPECT_EQ(portAfterFrame(), 0xE3) << "joystick 2 left";

    first.detach();
    EXPECT_EQ(portAfterFrame(), 0xEF) << "joystick 1 pulled out reads absent";
    EXPECT_EQ(deviceIn(0), kNoJoystickDevice);
    EXPECT_EQ(deviceIn(1), second.id) << "joystick 2 stays where it is";

    const VirtualDevice third = VirtualDevice::attachStick();
    EXPECT_EQ(portAfterFrame(), 0xEF);
    EXPECT_EQ(deviceIn(0), third.id) << "the new device takes the free slot";
    third.setAxis(1, kFullPlus);
    EXPECT_EQ(portAfterFrame(), 0xE7) << "joystick 1 down, joystick 2 left";
    second.detach();
    third.detach();
    EXPECT_EQ(portAfterFrame(), 0xFF);
    EXPECT_EQ(deviceIn(1), kNoJoystickDevice);
    EXPECT_TRUE(debug.text.empty()) << "no errors, not even for missing buttons: " << debug.text;
}

TEST_F(SdlJoystickTest, TheFirstTwoDevicesAtStartAreUsedAndAThirdIsIgnored) {
    const VirtualDevice devices[] = {VirtualDevice::attachStick(), VirtualDevice::attachStick(),
                                     VirtualDevice::attachStick()};
    start();
    EXPECT_EQ(deviceIn(0), devices[0].id);
    EXPECT_EQ(deviceIn(1), devices[1].id);
    EXPECT_EQ(devices[2].handle(), nullptr) << "the third is not even opened";
    portAfterFrame();
    EXPECT_EQ(devices[2].handle(), nullptr);
    devices[1].setAxis(0, kFullPlus);
    EXPECT_EQ(portAfterFrame(), 0xDF);
    devices[0].detach();
    EXPECT_EQ(portAfterFrame(), 0xDF);
    EXPECT_EQ(deviceIn(0), devices[2].id) << "once a slot is free the third takes it";
}

// SDL maps a virtual game controller by button number: A B X Y Back Guide
// Start, the two stick buttons, the two shoulders, then the D-pad's up,
// down, left and right; axes 0 and 1 are the left stick.
TEST_F(SdlJoystickTest, GameControllersSteerWithPadAndStickAndFireWithSixButtons) {
    enum : int { kBack = 4, kLeftShoulder = 9, kRightShoulder = 10, kPadUp = 11, kPadLeft = 13 };
    const VirtualDevice pad = VirtualDevice::attach(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 15);
    start();
    portAfterFrame();
    ASSERT_TRUE(joysticks.isGameController(0));
    pad.setAxis(0, kFullPlus);
    EXPECT_EQ(portAfterFrame(), 0xFD) << "left stick right";
    pad.setButton(kPadLeft, true);  // the D-pad wins over the stick
    pad.setButton(kPadUp, true);
    EXPECT_EQ(portAfterFrame(), 0xFA);
    pad.setButton(kPadLeft, false);
    pad.setButton(kPadUp, false);
    pad.setAxis(0, 0);
    pad.setAxis(1, kFullMinus);
    EXPECT_EQ(portAfterFrame(), 0xFB) << "left stick up";
    pad.setAxis(1, 0);
    for (const int button : {0, 1, 2, 3, int{kLeftShoulder}, int{kRightShoulder}}) {
        pad.setButton(button, true);
        EXPECT_EQ(portAfterFrame(), 0xF3) << "face or shoulder button " << button;
        pad.setButton(button, false);
    }
    for (int button = kBack; button < kLeftShoulder; ++button) {
        pad.setButton(button, true);
        EXPECT_EQ(portAfterFrame(), 0xFF) << "button " << button << " is not a fire button";
        pad.setButton(button, false);
    }
}

TEST_F(SdlJoystickTest, NotAcquiredOrReleasedDevicesReadAbsent) {
    const VirtualDevice stick = VirtualDevice::attachStick();
    start();
    portAfterFrame();
    stick.setAxis(0, kFullPlus);
    EXPECT_EQ(portAfterFrame(), 0xFD);
    joysticks.setJoysticksAcquired(false);
    EXPECT_EQ(portAfterFrame(), 0xFF) << "the window is not active";
    joysticks.setJoysticksAcquired(true);
    EXPECT_EQ(portAfterFrame(), 0xFD) << "and active again";
    joysticks.releaseJoysticks();
    EXPECT_FALSE(joysticks.started());
    EXPECT_EQ(stick.handle(), nullptr) << "closed";
    EXPECT_EQ(portAfterFrame(), 0xFF);
    EXPECT_EQ(deviceIn(0), kNoJoystickDevice);
}

}  // namespace
}  // namespace vantorel
