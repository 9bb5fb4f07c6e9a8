// The host keyboard as the machine samples it: 256 virtual-key states.
//
// The main window turns each key event into a virtual-key number (Windows
// numbering, US physical layout; see qt_key_mapping.h), with the character
// the host's own layout gives for it, and calls keyDown or keyUp. The
// events reach the machine through a key latch (key_latch.h): the machine
// calls nextScan once per frame, which plays out the queued events, and
// copies the latched states (and, for its sensible mode, the characters)
// through KeyStateSource. Left and right Shift, Ctrl and Alt are kept apart
// (A0-A5) and their generic keys (10, 11, 12) are down while either is.
// Caps Lock keeps its toggle in bit 0 of entry 14 and reaches the machine
// only through it, at once (not through the latch). When the window loses the
// keyboard every key is released at once, so no key stays stuck down.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>

#include "app/key_latch.h"
#include "hostapi/host_interfaces.h"

namespace vantorel {

class HostKeyboard : public KeyStateSource {
  public:
    // `text`: the character the press types on the host's layout
    // (kNoKeyText for none); `autoRepeat`: the host repeats a held key.
    void keyDown(std::uint8_t virtualKey, char32_t text = kNoKeyText, bool autoRepeat = false);
    void keyUp(std::uint8_t virtualKey);
    // Every key up, for the host and the machine at once, with nothing left
    // queued; the Caps Lock toggle stays as it is.
    void releaseAll();
    // Caps Lock's toggle (bit 0 of entry 14), as the host reports it.
    void setCapsLockToggle(bool on);
    void flipCapsLockToggle();
    bool capsLockToggle() const;
    // Asked at every scan whether the machine runs faster than real time
    // (Fast mode, the turbo key, files fed at full speed); unset: never.
    void setMachineRunsFast(std::function<bool()> runsFast) { runsFast_ = std::move(runsFast); }

    // Whether the host holds the key now, whatever the machine has seen.
    bool isDown(std::uint8_t virtualKey) const { return (held_[virtualKey] & kKeyDownBit) != 0; }
    // The keys the host holds now (bit 7), with the Caps Lock toggle.
    void copyHeldKeys(std::span<std::uint8_t, kVirtualKeyCount> destination) const;

    // The machine's side: the latched states, moved on once per scan.
    void nextScan() override;
    void copyKeyStates(std::span<std::uint8_t, kVirtualKeyCount> destination) override;
    void copyKeyTexts(std::span<char32_t, kVirtualKeyCount> destination) override;
    // Characters map to keys by the US layout.
    std::int16_t keyForCharacter(char character) override;

  private:
    void setHeld(std::uint8_t virtualKey, bool down);

    std::array<std::uint8_t, kVirtualKeyCount> held_{};  // the host's keys now, bit 7
    bool capsLockToggle_ = false;
    KeyLatch latch_;
    std::function<bool()> runsFast_;
};

}  // namespace vantorel
