// Quick type: a text typed into the emulated machine as if on its keyboard.
//
// A file (the "Quick Type..." command) or a text (the command line's --type)
// is loaded whole; while it is being typed `quickTypeActive` is set, the
// host keyboard is not sampled, and at the end of every frame quick type
// sets the key states that the next frame's row reads see. Each byte
// becomes a press of the key that types it (quick_type_keys.h), SHIFT held
// where the character needs it; CR, LF and CR LF each become one RETURN;
// characters that no key types are skipped. When the text is used up all
// keys are released and the typing ends, which gives the keyboard and the
// file commands back; its owner then frees the text.
//
// QuickType is the typing's progress, plain data in the machine's state
// record; the text itself is kept apart, read-only and shared, and handed to
// every typeFrame. QuickType names it by its length only.
//
// Used by the Machine:
//   1. start(text.size()) between frames (the Machine keeps the text);
//   2. typeFrame(keyboard, text, tstates) at the end of every frame while
//      active(), in place of the host keyboard scan;
//   3. once it is no longer active the text may go.
// No reset stops the typing.
#pragma once

#include <cstdint>
#include <span>

#include "input/keyboard_matrix.h"
#include "input/quick_type_file.h"
#include "input/quick_type_keys.h"

namespace vantorel {

// How long keys are held and released, in T-states of emulated time, to suit
// our monitor's keyboard scan (data/monitor/keyboard.asm). While it waits
// for a key the monitor scans the matrix about every 21,000 T-states (10 ms
// at 2.1 MHz: SCANPAUSE is 750 turns of 26 T-states, the scan about 1,700).
// It takes a key once it has seen it down in two scans running, and a key
// counts again only after a scan has seen it up. Frames can be any length
// (System Timing), so the times are kept in T-states rather than frames; a
// key state always lasts at least one whole frame.
inline constexpr std::int64_t kMonitorScanTStates = 21000;
// Held for four scans: two full scans fall inside the hold however it lines
// up with them, with room for the echo of the previous key, and well short
// of the 51 scans (KEYDELAY) after which the monitor repeats a key. At NTSC
// 100% (35,106 T-states a frame) that is 3 frames.
inline constexpr std::int64_t kKeyHoldTStates = 4 * kMonitorScanTStates;
// Released for three scans, so at least one full scan sees every key up:
// 2 frames at NTSC 100%.
inline constexpr std::int64_t kKeyReleaseTStates = 3 * kMonitorScanTStates;
// After RETURN the monitor carries out the line and prints its answer,
// scrolling the screen a few times (each scroll about 40,000 T-states)
// before it scans again: 30 scans, 18 frames or 0.3 s at NTSC 100%.
inline constexpr std::int64_t kReturnReleaseTStates = 30 * kMonitorScanTStates;

// The most frames a text of `textBytes` bytes can take to type with frames
// of `frameTStates` (at least one frame per press and release): a safety
// limit for callers that run frames until the typing ends.
std::int64_t quickTypeFrameLimit(std::size_t textBytes, std::int64_t frameTStates);

class QuickType {
  public:
    // Starts typing a text of `textBytes` bytes: alreadyActive while a text
    // is being typed, emptyFile for none, tooBig above kQuickTypeMaxBytes;
    // each of those leaves quick type as it was.
    QuickTypeResult start(std::size_t textBytes);

    bool active() const { return active_; }
    std::uint64_t textBytes() const { return textBytes_; }        // 0 when idle
    std::uint64_t readPosition() const { return readPosition_; }  // index of the next byte
    // The byte whose key is down or releasing; -1 for none.
    std::int32_t currentCharacter() const { return currentCharacter_; }

    // Called at the end of each frame while active(), with the text that
    // start() was given the length of and the T-states the frame ran: moves
    // the typing on and sets `keyboard`'s key states for the next frame.
    void typeFrame(KeyboardMatrix& keyboard, std::span<const std::uint8_t> text,
                   std::int64_t frameTStates);

  private:
    enum class Phase : std::uint8_t { beginning, pressing, releasing };

    void begin(KeyboardMatrix& keyboard);
    bool pressNextCharacter(KeyboardMatrix& keyboard, std::span<const std::uint8_t> text);
    void finish(KeyboardMatrix& keyboard);

    std::uint64_t textBytes_ = 0;
    std::uint64_t readPosition_ = 0;
    std::int64_t remainingTStates_ = 0;  // of the current press or release
    std::int32_t currentCharacter_ = -1;
    Phase phase_ = Phase::beginning;
    bool active_ = false;
    QuickTypeKeyMap keyMap_{};  // built from the layout when typing begins
};

}  // namespace vantorel
