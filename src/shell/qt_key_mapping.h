// Which host key a Qt key event is, as a virtual-key number.
//
// The machine's keyboard follows physical keys, so the native scan code is
// used where the platform gives a reliable one (X11 and Wayland: evdev key
// code + 8), mapped to the keys of a US keyboard in Windows virtual-key
// numbering: the key left of Backspace is C0 (`), the key right of L is BA
// (;), whatever the host's own layout prints on them. Without a scan code
// (other platforms, synthetic events in tests) the Qt key decides, with the
// keypad told apart by Qt::KeypadModifier. Called by the main window for
// every key press and release.
#pragma once

#include <QKeyEvent>
#include <array>
#include <cstdint>
#include <optional>

namespace vantorel {

// The virtual key of an X11/Wayland key code (evdev code + 8); nothing for
// keys a US keyboard does not have.
std::optional<std::uint8_t> virtualKeyForScanCode(quint32 nativeScanCode);

// The virtual key of a Qt key; the keypad modifier picks the keypad's keys.
std::optional<std::uint8_t> virtualKeyForQtKey(int key, Qt::KeyboardModifiers modifiers);

// The virtual key of an event: by scan code when `useScanCodes` and the
// event has one, else by its Qt key.
std::optional<std::uint8_t> virtualKeyForEvent(const QKeyEvent& event, bool useScanCodes);

// The character the event types on the host's own layout (the host has
// applied Shift, AltGr and Caps Lock), its first if several, 0 for none; a
// dead key gives its own mark (^ ` ' ~ "). Control codes are passed as they
// are (Ctrl+C gives 3, Enter 13).
char32_t hostTextForEvent(const QKeyEvent& event);

// Which virtual key each native key code went down as, so that its release
// lets go of the same key even when the host's key map changed in between
// (tools that type a character the layout lacks map it to a spare key code
// for one press and take it away again at once).
class PressedKeyCodes {
  public:
    // The event's virtual key (virtualKeyForEvent), remembered for its code.
    std::optional<std::uint8_t> press(const QKeyEvent& event, bool useScanCodes);
    // The key its code went down as, else the event's own.
    std::optional<std::uint8_t> release(const QKeyEvent& event, bool useScanCodes);

  private:
    static constexpr int kNone = -1;
    std::array<int, 256> pressedAs_ = filledWithNone();  // by native code; kNone
    static constexpr std::array<int, 256> filledWithNone() {
        std::array<int, 256> codes{};
        codes.fill(kNone);
        return codes;
    }
};

// Whether this platform's scan codes are evdev codes + 8 (xcb, wayland).
bool platformHasEvdevScanCodes();

}  // namespace vantorel
