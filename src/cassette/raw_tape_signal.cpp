#include "cassette/raw_tape_signal.h"

#include <algorithm>
#include <cmath>

#include "cassette/tape_timing.h"

namespace vantorel {

std::uint8_t RawTapeSignal::cellLevel(std::int64_t cell) const {
    const std::int64_t byte = cell / kFrameCells;
    if (cell < 0 || byte >= static_cast<std::int64_t>(bytes_.size())) return kMark;
    return frameCellLevel(bytes_[static_cast<std::size_t>(byte)],
                          static_cast<int>(cell % kFrameCells));
}

std::uint8_t RawTapeSignal::levelNow() const {
    return cellLevel(static_cast<std::int64_t>(std::floor(position_)));
}

void RawTapeSignal::play(double from, double tstates, double bitTStates, UartReceiver& receiver) {
    const double end = std::min(position_ + tstates / bitTStates, totalCells());
    while (static_cast<double>(nextCell_) < end) {
        const double time = from + (static_cast<double>(nextCell_) - position_) * bitTStates;
        receiver.setLine(time, cellLevel(nextCell_), bitTStates);
        ++nextCell_;
    }
    position_ = end;
}

}  // namespace vantorel
