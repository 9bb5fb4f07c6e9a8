#include "input/joystick.h"

namespace vantorel {

JoystickDirection joystickDirection(std::int32_t x, std::int32_t y) {
    const bool up = y < -kJoystickThreshold;
    const bool down = y > kJoystickThreshold;
    if (x > kJoystickThreshold) {
        if (up) return JoystickDirection::upRight;
        if (down) return JoystickDirection::downRight;
        return JoystickDirection::right;
    }
    if (x < -kJoystickThreshold) {
        if (up) return JoystickDirection::upLeft;
        if (down) return JoystickDirection::downLeft;
        return JoystickDirection::left;
    }
    if (up) return JoystickDirection::up;
    if (down) return JoystickDirection::down;
    return JoystickDirection::centre;
}

std::uint8_t decodeJoystick(const JoystickReading& reading) {
    constexpr std::uint32_t kCountedButtons = (1u << kJoystickButtonCount) - 1;
    std::uint8_t code =
        kJoystickDirectionCodes[static_cast<std::size_t>(joystickDirection(reading.x, reading.y))];
    if ((reading.buttons & kCountedButtons) != 0) code |= kJoystickButtonCode;
    return static_cast<std::uint8_t>(~code);
}

std::uint8_t readJoystick(JoystickSource* source, int slot) {
    if (source == nullptr || slot < 0 || slot >= kJoystickSlots) return kJoystickAbsent;
    const std::optional<JoystickReading> reading = source->readJoystickDevice(slot);
    return reading ? decodeJoystick(*reading) : kJoystickAbsent;
}

}  // namespace vantorel
