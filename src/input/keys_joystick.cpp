#include "input/keys_joystick.h"

#include "input/joystick.h"

namespace vantorel {

namespace {

constexpr std::array<std::uint8_t, 5> kJoystickKeys = {
    kJoystickKeyLeft, kJoystickKeyUp, kJoystickKeyRight, kJoystickKeyDown, kJoystickKeyFire,
};

bool isDown(std::span<const std::uint8_t, kVirtualKeyCount> keyStates, std::uint8_t key) {
    return (keyStates[key] & kKeyDownBit) != 0;
}

// -720, 0 or 720 from the keys pushing towards minus and plus.
std::int32_t axisFromKeys(bool minus, bool plus) {
    return (plus ? kJoystickAxisLimit : 0) - (minus ? kJoystickAxisLimit : 0);
}

}  // namespace

JoystickReading joystickFromKeys(std::span<const std::uint8_t, kVirtualKeyCount> keyStates) {
    JoystickReading reading;
    reading.x =
        axisFromKeys(isDown(keyStates, kJoystickKeyLeft), isDown(keyStates, kJoystickKeyRight));
    reading.y =
        axisFromKeys(isDown(keyStates, kJoystickKeyUp), isDown(keyStates, kJoystickKeyDown));
    reading.buttons = isDown(keyStates, kJoystickKeyFire) ? 1u : 0u;
    return reading;
}

std::uint8_t KeysJoystick::read(KeyStateSource& keys) {
    keys.copyKeyStates(keyStates_);
    return decodeJoystick(joystickFromKeys(keyStates_));
}

void KeysHiddenFromMatrix::copyKeyStates(std::span<std::uint8_t, kVirtualKeyCount> destination) {
    keys_.copyKeyStates(destination);
    for (const std::uint8_t key : kJoystickKeys) {
        destination[key] &= static_cast<std::uint8_t>(~kKeyDownBit);
    }
    const std::uint8_t leftControlDown = destination[kJoystickKeyLeftCtrl] & kKeyDownBit;
    destination[kVirtualKeyControl] = static_cast<std::uint8_t>(
        (destination[kVirtualKeyControl] & ~kKeyDownBit) | leftControlDown);
}

}  // namespace vantorel
