// How long an emulated frame is, from the System Timing settings.
//
// A frame is an active-scan slice and a vertical-blank slice of processor
// time; at 100% NTSC that is 32097 + 3009 = 35106 T-states, 60 times a
// second, 2,106,360 T-states per second.
//
// computeTiming is called at start-up and after the System Timing dialog;
// the frame scheduler and the sound output read the result.
#pragma once

#include <cstdint>

#include "config/machine_config.h"

namespace vantorel {

inline constexpr std::int64_t kFullSpeedTStatesPerSecond = 2106360;  // the 100% mark

// Custom timing's bounds for each of a frame's two slices. Below 24 a frame
// cannot run; above the machine's own second a slice keeps the window's
// thread for about a tenth of a second of host time on a present-day core,
// and Pause or a menu answers only after it.
inline constexpr std::uint32_t kFewestSliceTStates = 24;
inline constexpr std::uint32_t kMostSliceTStates = 2106360;

enum TimingMode : std::int8_t {  // values of `cpuspeedopt`
    kTimingNtsc = 0,
    kTimingPal = 1,
    kTimingCustom = 2,
    kTimingFast = 3,
};

struct FrameTiming {
    std::int32_t framesPerSecond = 60;         // 1 or more
    std::int32_t activeScanTStates = 32097;    // budget of the first slice
    std::int32_t verticalBlankTStates = 3009;  // budget of the second slice
};

// Derives the frame timing from `cpuspeedopt` and its mode's settings; a
// `cpuspeedopt` outside 0-3 is first set back to 0 (NTSC) in `config`.
// Multiplied budgets are truncated to whole T-states. Values no settings
// file can hold are kept in bounds: custom slices at most kMostSliceTStates,
// multiplied budgets at the largest 32-bit count, and frames per second at
// least 1.
FrameTiming computeTiming(MachineConfig& config);

}  // namespace vantorel
