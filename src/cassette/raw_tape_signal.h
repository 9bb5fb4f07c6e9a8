// A raw tape (.cvz): the bytes the UART receives, one character frame each,
// back to back at the selected baud rate.
//
// The tape's position counts bit cells, so the baud rate may change on the
// way. Owned by TapeDeck, which moves it while a motor is on.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "cassette/tape_timing.h"
#include "cassette/uart_receiver.h"

namespace vantorel {

class RawTapeSignal {
  public:
    RawTapeSignal() = default;
    explicit RawTapeSignal(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

    // Moves the tape by `tstates`, starting at T-state time `from`, and hands
    // every cell boundary's level to `receiver`.
    void play(double from, double tstates, double bitTStates, UartReceiver& receiver);
    // The line level at the present position (for the moment a motor starts).
    std::uint8_t levelNow() const;
    bool ended() const { return position_ >= totalCells(); }

    double positionCells() const { return position_; }
    double totalCells() const { return static_cast<double>(bytes_.size() * kFrameCells); }
    std::size_t size() const { return bytes_.size(); }

  private:
    std::uint8_t cellLevel(std::int64_t cell) const;

    std::vector<std::uint8_t> bytes_;
    double position_ = 0;        // bit cells played
    std::int64_t nextCell_ = 0;  // the next cell boundary to hand on
};

}  // namespace vantorel
