#include "app/speed_meter.h"

#include "config/frame_timing.h"

namespace vantorel {

void SpeedMeter::update(std::uint32_t startMs, std::int64_t tstates) {
    ring_[index_] = {startMs, tstates};
    std::int64_t sum = 0;
    for (int back = 1; back < kEntries; ++back) sum += ring_[(index_ + back) % kEntries].tstates;
    index_ = (index_ + 1) % kEntries;
    if (index_ != 0) return;
    // The oldest entry, 15 frames back; the millisecond clock may wrap between.
    const std::int64_t elapsedMs = static_cast<std::uint32_t>(startMs - ring_[index_].startMs);
    // Fifteen frames within one millisecond give no rate: keep the last one.
    if (elapsedMs == 0) return;
    speedPercent_ =
        static_cast<std::int32_t>((sum * 1000 / elapsedMs) * 100 / kFullSpeedTStatesPerSecond);
}

}  // namespace vantorel
