// Joystick decoding (axes and buttons to four active-low bits), the two
// device slots, and the cursor keys standing in for joystick 1.
#include "input/joystick.h"

#include <gtest/gtest.h>

#include "input/joystick_slots.h"
#include "input/keys_joystick.h"
#include "support/fake_host.h"

namespace vantorel {
namespace {

using testing::FakeJoysticks;
using testing::FakeKeys;

std::uint8_t decode(std::int32_t x, std::int32_t y, std::uint32_t buttons = 0) {
    return decodeJoystick(JoystickReading{x, y, buttons});
}

TEST(JoystickDecoding, EveryDirectionGivesItsInvertedCode) {
    struct Case {
        std::int32_t x, y;
        std::uint8_t state;
    };
    const Case cases[] = {
        {0, -720, 0xFB}, {720, -720, 0xF9}, {720, 0, 0xFD},    {720, 720, 0xF5},
        {0, 720, 0xF7},  {-720, 720, 0xF6}, {-720, 0, 0xFE},   {-700, -700, 0xFA},
        {0, 0, 0xFF},    {649, 0, 0xFD},    {-649, 0, 0xFE},   {0, 649, 0xF7},
        {0, -649, 0xFB}, {648, 0, 0xFF},    {-648, 0, 0xFF},   {0, 648, 0xFF},
        {0, -648, 0xFF}, {648, -648, 0xFF}, {649, -648, 0xFD}, {-648, 649, 0xF7},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(decode(c.x, c.y), c.state) << "x " << c.x << " y " << c.y;
    }
}

TEST(JoystickDecoding, AnyOfTheFirstSixButtonsIsUpAndDownAtOnce) {
    for (int button = 0; button < 6; ++button) {
        EXPECT_EQ(decode(0, 0, 1u << button), 0xF3) << "button " << button;
    }
    EXPECT_EQ(decode(0, 0, 0x3F), 0xF3);
    EXPECT_EQ(decode(0, 0, 1u << 6), 0xFF) << "button 6 does not count";
    EXPECT_EQ(decode(0, 0, 0xFFFFFFC0u), 0xFF);
    EXPECT_EQ(decode(-720, 0, 1), 0xF2) << "left with fire";
    EXPECT_EQ(decode(720, -720, 4), 0xF1) << "up-right with fire";
}

TEST(JoystickDecoding, ReadJoystickGivesFFWithoutSourceDeviceOrSlot) {
    EXPECT_EQ(readJoystick(nullptr, 0), 0xFF);
    FakeJoysticks joysticks;
    EXPECT_EQ(readJoystick(&joysticks, 0), 0xFF) << "no device in the slot";
    joysticks.readings[0] = JoystickReading{720, 0, 0};
    joysticks.readings[1] = JoystickReading{0, 0, 1};
    EXPECT_EQ(readJoystick(&joysticks, 0), 0xFD);
    EXPECT_EQ(readJoystick(&joysticks, 1), 0xF3);
    EXPECT_EQ(readJoystick(&joysticks, 2), 0xFF);
    EXPECT_EQ(readJoystick(&joysticks, -1), 0xFF);
    EXPECT_EQ(joysticks.slotsRead, (std::vector<int>{0, 0, 1})) << "bad slots never reach the host";
}

TEST(JoystickSlots, FirstTwoDevicesTakeTheSlotsAndAThirdIsLeftOut) {
    JoystickSlots slots;
    EXPECT_FALSE(slots.full());
    EXPECT_EQ(slots.place(7, true), 0);
    EXPECT_EQ(slots.place(7, true), -1) << "a device has one slot";
    EXPECT_EQ(slots.place(3, true), 1);
    EXPECT_TRUE(slots.full());
    EXPECT_EQ(slots.place(9, true), -1) << "a third device is ignored";
    EXPECT_EQ(slots.slotOf(9), -1);
    EXPECT_EQ(slots.slot(0).deviceId, 7);
    EXPECT_EQ(slots.slot(1).deviceId, 3);
    EXPECT_EQ(slots.place(kNoJoystickDevice, true), -1);
}

TEST(JoystickSlots, AFailedDeviceKeepsItsSlotUnusableUntilPulledOut) {
    JoystickSlots slots;
    EXPECT_EQ(slots.place(1, false), 0) << "its set-up failed";
    EXPECT_EQ(slots.place(2, true), 1) << "the second device is still joystick 2";
    EXPECT_FALSE(slots.slot(0).usable);
    EXPECT_TRUE(slots.slot(1).usable);
    EXPECT_EQ(slots.place(3, true), -1);
    EXPECT_EQ(slots.remove(1), 0);
    EXPECT_EQ(slots.remove(1), -1);
    EXPECT_EQ(slots.slot(0).deviceId, kNoJoystickDevice);
    EXPECT_EQ(slots.place(3, true), 0) << "a device plugged in takes the first free slot";
    EXPECT_TRUE(slots.slot(0).usable);
    slots.clear();
    EXPECT_EQ(slots.slotOf(2), -1);
    EXPECT_FALSE(slots.full());
}

TEST(KeysAsJoystick, CursorKeysSteerAndRightCtrlFires) {
    FakeKeys keys;
    KeysJoystick joystick;
    EXPECT_EQ(joystick.read(keys), 0xFF);
    keys.press(kJoystickKeyRight);
    EXPECT_EQ(joystick.read(keys), 0xFD);
    keys.press(kJoystickKeyUp);
    EXPECT_EQ(joystick.read(keys), 0xF9);
    keys.press(kJoystickKeyLeft);
    EXPECT_EQ(joystick.read(keys), 0xFB) << "left and right together cancel out";
    keys.release(kJoystickKeyRight);
    keys.release(kJoystickKeyUp);
    keys.press(kJoystickKeyDown);
    EXPECT_EQ(joystick.read(keys), 0xF6);
    keys.release(kJoystickKeyLeft);
    keys.release(kJoystickKeyDown);
    keys.press(kJoystickKeyFire);
    EXPECT_EQ(joystick.read(keys), 0xF3);
    keys.release(kJoystickKeyFire);
    keys.press(kJoystickKeyLeftCtrl);
    EXPECT_EQ(joystick.read(keys), 0xFF) << "Left Ctrl stays Ctrl";
}

TEST(KeysAsJoystick, TheMatrixSeesTheJoystickKeysReleased) {
    FakeKeys keys;
    const std::uint8_t joystickKeys[] = {0x25, 0x26, 0x27, 0x28, 0xA3};
    for (const std::uint8_t key : joystickKeys) keys.press(key);
    keys.press(0x11);
    keys.press(0x41);
    KeysHiddenFromMatrix hidden{keys};
    std::array<std::uint8_t, kVirtualKeyCount> states{};
    hidden.copyKeyStates(states);
    for (const std::uint8_t key : joystickKeys) {
        EXPECT_EQ(states[key] & kKeyDownBit, 0) << "key " << int{key};
    }
    EXPECT_EQ(states[0x11] & kKeyDownBit, 0) << "Ctrl was down only through Right Ctrl";
    EXPECT_NE(states[0x41] & kKeyDownBit, 0) << "other keys pass";
    keys.press(0xA2);
    keys.toggle(0x26);
    hidden.copyKeyStates(states);
    EXPECT_NE(states[0x11] & kKeyDownBit, 0) << "Left Ctrl still holds Ctrl";
    EXPECT_EQ(states[0x26], kKeyToggleBit) << "only the down bit is cleared";
    EXPECT_EQ(hidden.keyForCharacter('a'), keys.keyForCharacter('a'));
}

}  // namespace
}  // namespace vantorel
