#include "cassette/raw_tape_signal.h"

#include <algorithm>
#include <cmath>

#include "cassette/tape_timing.h"

namespace vantorel {

std::uint8_t RawTapeSignal::cellLevel(std::span<const std::uint8_t> bytes,
                                      std::int64_t cell) const {
    const std::int64_t byte = cell / kFrameCells;
    const auto stored = static_cast<std::int64_t>(std::min<std::uint64_t>(size_, bytes.size()));
    if (cell < 0 || byte >= stored) return kMark;
    return frameCellLevel(bytes[static_cast<std::size_t>(byte)],
                          static_cast<int>(cell % kFrameCells));
}

std::uint8_t RawTapeSignal::levelNow(std::span<const std::uint8_t> bytes) const {
    return cellLevel(bytes, static_cast<std::int64_t>(std::floor(position_)));
}

void RawTapeSignal::play(std::span<const std::uint8_t> bytes, double from, double tstates,
                         double bitTStates, UartReceiver& receiver) {
    const double end = std::min(position_ + tstates / bitTStates, totalCells());
    while (static_cast<double>(nextCell_) < end) {
        const double time = from + (static_cast<double>(nextCell_) - position_) * bitTStates;
        receiver.setLine(time, cellLevel(bytes, nextCell_), bitTStates);
        ++nextCell_;
    }
    position_ = end;
}

}  // namespace vantorel
