#include "app/speed_meter.h"

#include <cmath>

#include "config/frame_timing.h"

namespace vantorel {

void SpeedMeter::update(std::int64_t startTime, std::int64_t unitsPerSecond, std::int64_t tstates) {
    ring_[index_] = {startTime, tstates};
    std::int64_t sum = 0;
    for (int back = 1; back < kEntries; ++back) sum += ring_[(index_ + back) % kEntries].tstates;
    index_ = (index_ + 1) % kEntries;
    if (index_ != 0) return;
    // The oldest entry, 15 frames back.
    const std::int64_t elapsed = startTime - ring_[index_].startTime;
    // Fifteen frames within one tick give no rate: keep the last one.
    if (elapsed <= 0 || unitsPerSecond <= 0) return;
    const double perSecond = static_cast<double>(sum) * static_cast<double>(unitsPerSecond) /
                             static_cast<double>(elapsed);
    speedPercent_ = static_cast<std::int32_t>(
        std::lround(perSecond * 100.0 / static_cast<double>(kFullSpeedTStatesPerSecond)));
}

}  // namespace vantorel
