// The Sorcerer's two I/O ports, decoded by the low 8 bits of the port address.
//
// Port FE: an OUT stores the keyboard row latch; an IN reads the selected
// row of the keyboard matrix (row = latch AND 0F). Port FF, the parallel
// port: an OUT of 00 or FF that differs from the last value written toggles
// the speaker (other values are only remembered); every value is also the
// printer's data, which a rising bit 7 of port FE strobes. An IN reads both
// joysticks, four active-low bits each. Ports FC and FD are the tape UART
// (cassette/tape_deck.h), which MachineBus routes there before asking this
// record; port FE's output bits 4-6 also go to the tape deck. Every other
// port reads FF and ignores writes. None of this state is touched by a reset.
//
// Called by the processor through MachineBus for IN and OUT.
#pragma once

#include <array>
#include <cstdint>

#include "hostapi/host_interfaces.h"
#include "input/keyboard_matrix.h"

namespace vantorel {

inline constexpr std::uint8_t kKeyboardPort = 0xFE;
inline constexpr std::uint8_t kParallelPort = 0xFF;
// The printer's handshake: port FF's last byte is the printer's data, and
// port FE output bit 7 its strobe, taken as it rises. The printer is never
// busy, so nothing is read back (port FE input bit 7 stays 1, as without a
// printer). A program that only toggles the speaker never strobes.
inline constexpr std::uint8_t kPrinterStrobeBit = 0x80;

constexpr bool printerStrobed(std::uint8_t latchBefore, std::uint8_t latchAfter) {
    return (latchBefore & kPrinterStrobeBit) == 0 && (latchAfter & kPrinterStrobeBit) != 0;
}

struct MachinePorts {
    std::uint8_t keyboardLatch = 0xFF;   // last OUT to FE; bits 0-3 select the row
    std::uint8_t speakerLevel = 0;       // speaker level, 0 or 1
    std::uint8_t lastParallelValue = 0;  // last OUT to FF
    // Joysticks 1 and 2: bits 0-3 left, right, up, down, 0 = active; FF = absent.
    std::array<std::uint8_t, 2> joystickState = {0xFF, 0xFF};

    std::uint8_t read(std::uint16_t port, const KeyboardMatrix& keyboard) const {
        switch (static_cast<std::uint8_t>(port)) {
            case kKeyboardPort:
                return keyboard.readKeyboardRow(keyboardLatch & 0x0F);
            case kParallelPort:
                return static_cast<std::uint8_t>((joystickState[1] << 4) |
                                                 (joystickState[0] & 0x0F));
            default:
                return 0xFF;
        }
    }

    // `tstates` stamps a speaker edge; `speaker` (may be null) receives it
    // unless quick type is typing, which keeps the speaker silent.
    void write(std::uint16_t port, std::uint8_t value, std::uint32_t tstates, bool quickTypeActive,
               SpeakerSink* speaker) {
        switch (static_cast<std::uint8_t>(port)) {
            case kKeyboardPort:
                keyboardLatch = value;
                break;
            case kParallelPort:
                writeParallel(value, tstates, quickTypeActive, speaker);
                break;
            default:
                break;
        }
    }

  private:
    void writeParallel(std::uint8_t value, std::uint32_t tstates, bool quickTypeActive,
                       SpeakerSink* speaker) {
        if (value == lastParallelValue) return;
        lastParallelValue = value;
        if (value != 0x00 && value != 0xFF) return;
        speakerLevel ^= 1;
        if (!quickTypeActive && speaker != nullptr)
            speaker->recordSpeakerEdge(tstates, speakerLevel);
    }
};

}  // namespace vantorel
