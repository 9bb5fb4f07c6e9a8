// Finds the sound in a stream of samples: where it starts and ends, and the
// frequency of the click train (one sign change per speaker edge).
#pragma once

#include <cstdint>
#include <span>

namespace vantorel::testing {

struct ToneSpan {
    std::int64_t first = -1;  // first non-zero sample, -1 when all are silent
    std::int64_t last = -1;   // last non-zero sample
    std::int64_t signChanges = 0;
    double frequency = 0.0;  // Hz, from the first to the last sign change
    double seconds() const {
        return first < 0 ? 0.0 : static_cast<double>(last - first + 1) / 22050.0;
    }
};

inline ToneSpan findTone(std::span<const std::int16_t> samples) {
    ToneSpan tone;
    std::int64_t previous = -1;  // index of the previous non-zero sample
    std::int64_t firstChange = -1;
    std::int64_t lastChange = -1;
    for (std::int64_t i = 0; i < static_cast<std::int64_t>(samples.size()); ++i) {
        if (samples[static_cast<std::size_t>(i)] == 0) continue;
        if (tone.first < 0) tone.first = i;
        tone.last = i;
        if (previous >= 0 && (samples[static_cast<std::size_t>(previous)] > 0) !=
                                 (samples[static_cast<std::size_t>(i)] > 0)) {
            ++tone.signChanges;
            if (firstChange < 0) firstChange = i;
            lastChange = i;
        }
        previous = i;
    }
    if (tone.signChanges > 1) {
        tone.frequency = static_cast<double>(tone.signChanges - 1) / 2.0 /
                         (static_cast<double>(lastChange - firstChange) / 22050.0);
    }
    return tone;
}

}  // namespace vantorel::testing
