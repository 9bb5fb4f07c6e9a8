// A Sorcerer booted with the built-in monitor and character ROM, for the
// monitor's tests: runs whole frames, types on the emulated keyboard by
// holding host keys through the fake key source, and reads the screen back.
//
//   MonitorMachine sorcerer;            // hard reset, banner shown
//   sorcerer.type("DU 1000\n");         // a key every few frames
//   sorcerer.lines()[5]                 // a screen row, trailing spaces cut
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "machine/machine.h"
#include "support/test_machine.h"

namespace vantorel::testing {

inline constexpr std::uint8_t kVirtualKeyEnter = 0x0D;
inline constexpr std::uint8_t kVirtualKeyBackspace = 0x08;
inline constexpr std::uint8_t kVirtualKeyEscape = 0x1B;
inline constexpr std::uint8_t kVirtualKeyF1 = 0x70;    // GRAPHIC
inline constexpr std::uint8_t kVirtualKeyF6 = 0x75;    // REPEAT
inline constexpr std::uint8_t kVirtualKeyHome = 0x24;  // CLEAR
inline constexpr int kFramesKeyDown = 3;               // a key is held this long...
inline constexpr int kFramesKeyUp = 2;                 // ...then released this long

class MonitorMachine {
  public:
    // Boots with `ramexpanders` (0 = 8K ... 3 = 47K) of RAM fitted and runs
    // until the prompt shows.
    explicit MonitorMachine(std::int32_t ramexpanders = 2);

    Machine& machine() { return test_.machine; }
    FakeKeys& keys() { return test_.keys; }
    RecordingSpeaker& speaker() { return test_.speaker; }

    void hardReset();
    void softReset();
    // Runs `frames` whole frames (60 a second).
    void runFrames(int frames);
    // Holds the host keys together for `frames` frames, then lets go for
    // kFramesKeyUp frames.
    void hold(std::initializer_list<std::uint8_t> virtualKeys, int frames = kFramesKeyDown);
    // Types each character on the emulated keyboard (with SHIFT where the
    // emulated key needs it); '\n' is RETURN. Then runs `settleFrames`.
    void type(std::string_view text, int settleFrames = 10);

    // The 30 screen rows, codes 20-7E as characters, others '.', trailing
    // spaces removed.
    std::vector<std::string> lines() const;
    std::string screen() const;  // every row, one a line
    // The row holding `text`, searching from the bottom; -1 when none does.
    int rowContaining(std::string_view text) const;
    std::uint8_t cell(int row, int column) const;
    // The row of the last prompt ('>' at column 0), -1 if none.
    int promptRow() const;

    void poke(std::uint16_t address, std::initializer_list<std::uint8_t> bytes);
    std::uint8_t peek(std::uint16_t address) { return machine().readMemory(address); }

  private:
    void typeCharacter(char character);

    TestMachine test_;
};

}  // namespace vantorel::testing
