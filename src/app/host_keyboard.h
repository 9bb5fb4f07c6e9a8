// The host keyboard as the machine samples it: 256 virtual-key states.
//
// The main window turns each key event into a virtual-key number (Windows
// numbering, US physical layout; see qt_key_mapping.h) and calls keyDown or
// keyUp; the machine copies the whole array once per frame through
// KeyStateSource. Left and right Shift, Ctrl and Alt are kept apart (A0-A5)
// and their generic keys (10, 11, 12) are down while either is. Caps Lock
// keeps its toggle in bit 0 of entry 14. When the window loses the keyboard
// every key is released, so no key stays stuck down in the machine.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "hostapi/host_interfaces.h"

namespace vantorel {

class HostKeyboard : public KeyStateSource {
  public:
    void keyDown(std::uint8_t virtualKey);
    void keyUp(std::uint8_t virtualKey);
    // Every key up; the Caps Lock toggle stays as it is.
    void releaseAll();
    // Caps Lock's toggle (bit 0 of entry 14), as the host reports it.
    void setCapsLockToggle(bool on);
    void flipCapsLockToggle();
    bool capsLockToggle() const;

    bool isDown(std::uint8_t virtualKey) const { return (states_[virtualKey] & kKeyDownBit) != 0; }

    void copyKeyStates(std::span<std::uint8_t, kVirtualKeyCount> destination) override;
    // Characters map to keys by the US layout.
    std::int16_t keyForCharacter(char character) override;

  private:
    void setDown(std::uint8_t virtualKey, bool down);
    void updateGenericModifiers();

    std::array<std::uint8_t, kVirtualKeyCount> states_{};  // bit 7 down, bit 0 toggled
};

}  // namespace vantorel
