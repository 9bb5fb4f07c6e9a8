// The sending half of the tape UART: port FC out, the serial line out.
//
// An OUT to FC fills the transmit holding register (port FD bit 0 goes to
// 0). The transmitter runs on a free-running bit clock: at the next bit cell
// boundary a full holding register moves into the shift register (bit 0 is
// 1 again, so the program may hand over the next byte) and its frame goes
// out over the next 11 cells; between frames the line rests at mark. A byte
// written while the holding register is full replaces the one waiting.
//
// Owned by TapeDeck, which lets it run on to each port access and frame end
// and records the cells and bytes it sends while a motor is on.
#pragma once

#include <cmath>
#include <cstdint>

#include "cassette/tape_timing.h"

namespace vantorel {

class UartTransmitter {
  public:
    void write(std::uint8_t value) {
        holding_ = value;
        holdingFull_ = true;
    }
    bool holdingEmpty() const { return !holdingFull_; }
    bool busy() const { return holdingFull_ || shifting_; }

    // Runs the bit clock on to `time`: for every cell boundary before it,
    // `sink.frameStarted(value)` when a byte moves into the shift register,
    // then `sink.cell(level)` with the level of the cell that begins there.
    // With `wantsIdleCells` false, cells of a resting line are skipped.
    template <class Sink>
    void runUntil(double time, double bitTStates, bool wantsIdleCells, Sink& sink) {
        while (nextCellTime_ < time) {
            if (!busy() && !wantsIdleCells) {
                skipIdleCells(time, bitTStates);
                return;
            }
            if (!shifting_ && holdingFull_) {
                shift_ = holding_;
                holdingFull_ = false;
                shifting_ = true;
                cell_ = 0;
                sink.frameStarted(shift_);
            }
            sink.cell(shifting_ ? frameCellLevel(shift_, cell_) : kMark);
            if (shifting_ && ++cell_ == kFrameCells) shifting_ = false;
            nextCellTime_ += bitTStates;
        }
    }

    // Empties both registers; the bit clock runs on.
    void reset() {
        holdingFull_ = false;
        shifting_ = false;
        cell_ = 0;
    }

  private:
    void skipIdleCells(double time, double bitTStates) {
        nextCellTime_ += std::ceil((time - nextCellTime_) / bitTStates) * bitTStates;
    }

    double nextCellTime_ = 0;   // T-state time of the next cell boundary
    std::uint8_t holding_ = 0;  // transmit holding register
    bool holdingFull_ = false;
    std::uint8_t shift_ = 0;  // the byte being sent
    bool shifting_ = false;
    int cell_ = 0;  // next cell of its frame, 0-10
};

}  // namespace vantorel
