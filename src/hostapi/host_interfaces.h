// What the emulated machine needs of the host it runs on.
//
// The machine never reads a keyboard, a joystick or a sound device itself:
// the program that owns it (the Qt shell, the headless runner, a test)
// passes small objects implementing these interfaces, gathered in a
// MachineHost. Each may be left null: the machine then behaves as described
// at the interface. The clock is the program's: its frame scheduler paces
// the frames with it (app/frame_scheduler.h) and boot() seeds the reset
// noise from it; the machine itself never reads it.
//
//   1. Implement the interfaces you have (tests use the fakes in
//      tests/support/fake_host.h).
//   2. MachineHost host{&clock, &keys, &speaker, &debug, &joysticks};
//   3. machine.attachHost(host);
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>

namespace vantorel {

// The host's two clocks, read by the frame scheduler. A high-resolution
// counter (ticks at a fixed frequency) paces frames; a millisecond clock
// feeds the speed meter and paces frames when there is no counter. A steady
// clock always has a counter; a host without one returns no frequency. Null
// clock: no counter, and the millisecond time stays 0, so every frame is due.
class HostClock {
  public:
    virtual ~HostClock() = default;
    // Ticks per second of the counter, or nothing when the host has none.
    virtual std::optional<std::int64_t> counterFrequency() = 0;
    // The counter's current reading in ticks; nothing when the read fails.
    virtual std::optional<std::int64_t> readCounter() = 0;
    // A free-running millisecond time; wraps modulo 2^32.
    virtual std::uint32_t milliseconds() = 0;
};

inline constexpr int kVirtualKeyCount = 256;
inline constexpr std::uint8_t kKeyDownBit = 0x80;        // hostKeyState: key held
inline constexpr std::uint8_t kKeyToggleBit = 0x01;      // hostKeyState: toggle on (Caps Lock)
inline constexpr char32_t kNoKeyText = 0;                // the key types no character
inline constexpr char32_t kKeyTextUnknown = 0xFFFFFFFF;  // the host did not say

// The host keyboard as 256 virtual-key states (Windows virtual-key numbers:
// 0x41 is A, 0x10 Shift, 0x70 F1, ...) and a character-to-key lookup.
// Null source: the keyboard is never sampled, every key reads released, and
// the layout keeps the keys it was declared with.
class KeyStateSource {
  public:
    virtual ~KeyStateSource() = default;
    // Copies the current state of every virtual key: bit 7 down, bit 0 toggled.
    virtual void copyKeyStates(std::span<std::uint8_t, kVirtualKeyCount> destination) = 0;
    // The key that types a character: low byte the virtual-key code, high
    // byte the shift state (1 Shift, 2 Ctrl, 4 Alt); -1 when no key types it.
    virtual std::int16_t keyForCharacter(char character) = 0;
    // The machine scans once per frame, after its slices, and calls this
    // first: a source that plays out queued host key events moves on by one
    // scan here. Every copy until the next call answers the same.
    virtual void nextScan() {}
    // Copies the character each key typed on the host's own layout when it
    // went down (Shift, AltGr and Caps Lock as the host applied them):
    // kNoKeyText for a key that types none, kKeyTextUnknown throughout from
    // a source that does not know (the US layout then decides).
    virtual void copyKeyTexts(std::span<char32_t, kVirtualKeyCount> destination) {
        std::fill(destination.begin(), destination.end(), kKeyTextUnknown);
    }
};

// Where the speaker's level changes go (the sound output). Frames are
// bracketed by beginFrameSound / endFrameSound; each change of the speaker
// level in between is stamped with the T-state count at the start of the OUT
// that caused it. Null sink: the speaker is silent.
class SpeakerSink {
  public:
    virtual ~SpeakerSink() = default;
    // Called before the first instruction of a frame with TStateCounter then.
    virtual void beginFrameSound(std::uint32_t /*frameStartTStates*/) {}
    // The speaker level (bit 0) became `level` at `tstates`.
    virtual void recordSpeakerEdge(std::uint32_t tstates, std::uint8_t level) = 0;
    // Called after the frame's last instruction.
    virtual void endFrameSound() {}
};

// The printer on the parallel port. The machine hands over a byte each time
// a program strobes one (port FF holds the byte, port FE bit 7 rising is the
// strobe); the printer takes it at once and is never busy. Null printer:
// nothing is connected and the strobe does nothing.
class PrinterSink {
  public:
    virtual ~PrinterSink() = default;
    virtual void printByte(std::uint8_t byte) = 0;
    // The machine was reset: what was printed so far is kept safe.
    virtual void machineReset() {}
};

// Diagnostic text from the machine (the processor's RETN message, quick-type
// failures). Null sink: the text is dropped.
class DebugOutputSink {
  public:
    virtual ~DebugOutputSink() = default;
    virtual void debugOutput(const char* text) = 0;
};

inline constexpr std::int32_t kJoystickAxisLimit = 720;  // JoystickReading axes: -720..720
inline constexpr int kJoystickSlots = 2;                 // joysticks 1 and 2

// One joystick as the host read it: both axes scaled to -720..720 (X
// negative left, Y negative up, 0 centred) and its buttons, bit n for button
// n held. Only buttons 0-5 count.
struct JoystickReading {
    std::int32_t x = 0;         // -720 full left .. 720 full right
    std::int32_t y = 0;         // -720 full up .. 720 full down
    std::uint32_t buttons = 0;  // bit n: button n held
};

// The host's joysticks, in two slots (joystick 1 is slot 0). The machine
// calls updateJoysticks and then reads both slots twice per frame, before
// each of its two processor slices. Null source: both joysticks read absent.
// The program's host devices start and stop them (app/host_devices.h).
class JoystickSource {
  public:
    virtual ~JoystickSource() = default;
    // Starts the host's joystick support and takes the devices (start-up);
    // false when it could not start.
    virtual bool initJoysticks() { return true; }
    // Whether the program has the devices now (its window is active); while
    // it has not, both slots read as no joystick.
    virtual void setJoysticksAcquired(bool /*acquired*/) {}
    // Closes the devices and stops the support (shutdown).
    virtual void releaseJoysticks() {}
    // Brings the devices' states up to date (and notices devices plugged in
    // or pulled out since the last call).
    virtual void updateJoysticks() {}
    // Slot 0 or 1: its device's state, or nothing when the slot has no usable
    // device, the read failed or the window does not have the devices now.
    virtual std::optional<JoystickReading> readJoystickDevice(int slot) = 0;
};

// The host objects one machine uses; none is owned, each may be null.
struct MachineHost {
    HostClock* clock = nullptr;
    KeyStateSource* keys = nullptr;
    SpeakerSink* speaker = nullptr;
    DebugOutputSink* debug = nullptr;
    JoystickSource* joysticks = nullptr;
    PrinterSink* printer = nullptr;
};

}  // namespace vantorel
