// The host's key presses as the machine sees them: queued host key events
// played out one scan at a time, so that every press arrives.
//
// The host reports presses and releases the moment they happen; the machine
// samples its keyboard once per frame, and a program in it counts a key only
// once it has seen it in more than one of its own scans. A press shorter
// than a frame (fast typists, on-screen keyboards, remote desktops, tools
// that type) would slip between two samples. So the events wait in a queue,
// and each scan (advance) plays out as many as these rules allow, in order:
//   - a key stays down for at least two scans, however soon the host let
//     it go; a key let go stays up for at least one scan before it goes
//     down again, so a doubled letter is typed twice, and no other key goes
//     down in the scan that lets one go (two host keys may press the same
//     Sorcerer key, and a program looks for a change of key);
//   - at most one key that types something goes down per scan; the Shift,
//     Ctrl, Alt and Caps Lock keys pressed before it go down with it, so a
//     program never sees two fresh keys at once, or a letter without the
//     Shift that came first;
//   - while the machine runs faster than real time a press lasts three
//     scans and is then let go, however long the host holds the key; the
//     host's own auto-repeated presses then press it again. In real time
//     auto-repeated presses change nothing (the key is still down).
// An event that cannot be played yet holds back every event behind it.
// releaseAll (focus lost, a menu opened) empties the queue and lets every
// key go at once.
//
// Owned by HostKeyboard (host_keyboard.h): it pushes the window's events
// and advances once per machine scan.
#pragma once

#include <array>
#include <cstdint>
#include <deque>

#include "hostapi/host_interfaces.h"

namespace vantorel {

inline constexpr int kShortestPressScans = 2;        // a press is seen in at least this many scans
inline constexpr int kFastPressScans = 3;            // a press's length while the machine runs fast
inline constexpr std::size_t kKeyQueueLimit = 1024;  // presses beyond this are dropped

struct HostKeyEvent {
    std::uint8_t key = 0;        // virtual key
    bool down = false;           // pressed (else released)
    bool autoRepeat = false;     // a press the host repeats while the key is held
    char32_t text = kNoKeyText;  // the character the press types on the host's layout
};

class KeyLatch {
  public:
    KeyLatch();

    // Queues a host event. A generic Shift, Ctrl or Alt counts as the left one.
    void push(HostKeyEvent event);
    // One machine scan: ages the keys and plays out what the queue allows.
    void advance(bool machineRunsFast);
    // Every key up at once and the queue emptied.
    void releaseAll();

    // As the machine sees them: bit 7 down; Shift, Ctrl and Alt (10-12)
    // down while either side is.
    const std::array<std::uint8_t, kVirtualKeyCount>& states() const { return states_; }
    // The host's character for each key seen down (kNoKeyText when up).
    const std::array<char32_t, kVirtualKeyCount>& texts() const { return texts_; }
    std::size_t queuedEvents() const { return queue_.size(); }

  private:
    struct KeyAge {
        std::uint8_t scansDown = 0;       // scans that have seen it down since it went down
        std::uint8_t scansUp = 0xFF;      // scans that have seen it up since it went up
        std::uint16_t queuedPresses = 0;  // its presses waiting in the queue
    };

    bool isDown(std::uint8_t key) const { return (states_[key] & kKeyDownBit) != 0; }
    // What one scan has played so far.
    struct ScanPlay {
        bool freshKeyDown = false;  // a key that types something went down
        bool keyLetGo = false;      // a key that types something went up
    };

    void ageKeys();
    bool endFastPresses();
    // Plays the front event if it may be played now; false when it must wait.
    bool playFront(bool machineRunsFast, ScanPlay& play);
    void press(std::uint8_t key, char32_t text);
    void release(std::uint8_t key);
    void updateGenericModifiers();

    std::deque<HostKeyEvent> queue_;
    std::array<std::uint8_t, kVirtualKeyCount> states_{};
    std::array<char32_t, kVirtualKeyCount> texts_{};
    std::array<KeyAge, kVirtualKeyCount> ages_{};
};

}  // namespace vantorel
