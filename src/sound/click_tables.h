// The speaker's click: the waveform one change of the speaker level makes.
//
// A change of level is heard as a short pulse of 83 samples (3.8 ms) that
// rises at once and dies away, upwards when the speaker goes high and
// downwards when it goes low; a square wave on the port thus sounds as a
// train of alternating pulses. `clickervolpct` scales the pulse: at 100 per
// cent its peak is 7680. Built by the sound output whenever it starts.
#pragma once

#include <array>
#include <cstdint>

namespace vantorel {

inline constexpr int kClickSamples = 83;

using ClickTable = std::array<std::int16_t, kClickSamples>;

struct ClickTables {
    ClickTable rising{};   // speaker level went to 1
    ClickTable falling{};  // speaker level went to 0
};

// shape x 128 x percent / 100, truncated toward zero; the falling click is
// its negative. Percentages outside 0-100 are taken as the nearer bound.
ClickTables buildClickTables(std::int32_t volumePercent);

}  // namespace vantorel
