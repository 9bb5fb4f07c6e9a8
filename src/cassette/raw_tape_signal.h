// A raw tape (.cvz): the bytes the UART receives, one character frame each,
// back to back at the selected baud rate.
//
// The tape's position counts bit cells, so the baud rate may change on the
// way. Plain data: the bytes themselves stay in the tape's TapeMedia, which
// every call that reads them is given; the signal keeps only their number.
// Part of TapeDeck, which moves it while a motor is on.
#pragma once

#include <cstdint>
#include <span>

#include "cassette/tape_timing.h"
#include "cassette/uart_receiver.h"

namespace vantorel {

class RawTapeSignal {
  public:
    // A tape of `size` bytes, at its start.
    static RawTapeSignal ofSize(std::uint64_t size) {
        RawTapeSignal signal{};
        signal.size_ = size;
        return signal;
    }

    // Moves the tape (whose bytes are `bytes`) by `tstates`, starting at
    // T-state time `from`, and hands every cell boundary's level to `receiver`.
    void play(std::span<const std::uint8_t> bytes, double from, double tstates, double bitTStates,
              UartReceiver& receiver);
    // The line level at the present position (for the moment a motor starts).
    std::uint8_t levelNow(std::span<const std::uint8_t> bytes) const;
    bool ended() const { return position_ >= totalCells(); }

    double positionCells() const { return position_; }
    double totalCells() const { return static_cast<double>(size_ * kFrameCells); }
    std::uint64_t size() const { return size_; }

  private:
    std::uint8_t cellLevel(std::span<const std::uint8_t> bytes, std::int64_t cell) const;

    std::uint64_t size_ = 0;     // bytes on the tape
    double position_ = 0;        // bit cells played
    std::int64_t nextCell_ = 0;  // the next cell boundary to hand on
};

}  // namespace vantorel
