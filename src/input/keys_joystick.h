// The host's cursor keys and Right Ctrl as joystick 1 ("Keys as Joystick").
//
// For users without a joystick: while the option (`keysasjoystickflag`) is
// on, the cursor keys steer joystick 1 and Right Ctrl is its fire button,
// combined with a real joystick 1 (either can press). Those keys then no
// longer reach the keyboard matrix: the machine scans the host keyboard
// through KeysHiddenFromMatrix, which shows them released (and the Ctrl key
// down only while Left Ctrl is).
//
// The machine's joystick poll calls KeysJoystick::read twice per frame; its
// keyboard scan wraps the host's keys in KeysHiddenFromMatrix.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "hostapi/host_interfaces.h"
#include "input/key_layout_table.h"

namespace vantorel {

// Virtual-key codes of the keys that steer.
inline constexpr std::uint8_t kJoystickKeyLeft = 0x25;      // cursor left
inline constexpr std::uint8_t kJoystickKeyUp = 0x26;        // cursor up
inline constexpr std::uint8_t kJoystickKeyRight = 0x27;     // cursor right
inline constexpr std::uint8_t kJoystickKeyDown = 0x28;      // cursor down
inline constexpr std::uint8_t kJoystickKeyFire = 0xA3;      // Right Ctrl
inline constexpr std::uint8_t kJoystickKeyLeftCtrl = 0xA2;  // still Ctrl for the matrix

// The stick a set of key states gives: each cursor key pushes fully its way
// (left and right together cancel out), Right Ctrl is button 0.
JoystickReading joystickFromKeys(std::span<const std::uint8_t, kVirtualKeyCount> keyStates);

// Reads joystick 1's keys from the host keyboard.
class KeysJoystick {
  public:
    // The active-low state the keys give (FF with none of them down).
    std::uint8_t read(KeyStateSource& keys);

  private:
    std::array<std::uint8_t, kVirtualKeyCount> keyStates_{};  // the last copy of the host's keys
};

// The host's keys as the keyboard matrix should see them while the keys
// steer joystick 1.
class KeysHiddenFromMatrix : public KeyStateSource {
  public:
    explicit KeysHiddenFromMatrix(KeyStateSource& keys) : keys_(keys) {}
    void copyKeyStates(std::span<std::uint8_t, kVirtualKeyCount> destination) override;
    std::int16_t keyForCharacter(char character) override {
        return keys_.keyForCharacter(character);
    }
    void copyKeyTexts(std::span<char32_t, kVirtualKeyCount> destination) override {
        keys_.copyKeyTexts(destination);
    }

  private:
    KeyStateSource& keys_;
};

}  // namespace vantorel
