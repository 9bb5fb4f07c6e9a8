#include "config/frame_timing.h"

#include <algorithm>
#include <limits>

namespace vantorel {

namespace {

constexpr std::int32_t kNtscActiveScan = 32097;
constexpr std::int32_t kNtscVerticalBlank = 3009;
constexpr std::int32_t kPalActiveScan = 32354;
constexpr std::int32_t kPalVerticalBlank = 9773;

// tstates x pct / 100, truncating, kept within a signed 32-bit count.
std::int32_t scaled(std::int32_t tstates, std::int32_t pct) {
    const std::int64_t product = static_cast<std::int64_t>(tstates) * pct / 100;
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(product, std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max()));
}

std::int32_t asBudget(std::uint32_t tstates) {
    return static_cast<std::int32_t>(std::min(tstates, kMostSliceTStates));
}

}  // namespace

FrameTiming computeTiming(MachineConfig& config) {
    if (config.cpuspeedopt < kTimingNtsc || config.cpuspeedopt > kTimingFast) {
        config.cpuspeedopt = kTimingNtsc;
    }
    FrameTiming timing;
    switch (config.cpuspeedopt) {
        case kTimingPal:
            timing.framesPerSecond = 50;
            timing.activeScanTStates = scaled(kPalActiveScan, config.palmultiplierpct);
            timing.verticalBlankTStates = scaled(kPalVerticalBlank, config.palmultiplierpct);
            break;
        case kTimingCustom:
            timing.framesPerSecond = std::max(config.fpscust, 1);
            timing.activeScanTStates = asBudget(config.activescancust);
            timing.verticalBlankTStates = asBudget(config.vblankcust);
            break;
        case kTimingFast:
            timing.framesPerSecond = 60;
            timing.activeScanTStates = kNtscActiveScan;
            timing.verticalBlankTStates = kNtscVerticalBlank;
            break;
        default:
            timing.framesPerSecond = 60;
            timing.activeScanTStates = scaled(kNtscActiveScan, config.ntscmultiplierpct);
            timing.verticalBlankTStates = scaled(kNtscVerticalBlank, config.ntscmultiplierpct);
            break;
    }
    return timing;
}

}  // namespace vantorel
