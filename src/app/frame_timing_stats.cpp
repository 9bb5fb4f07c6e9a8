#include "app/frame_timing_stats.h"

#include <algorithm>
#include <cstdio>

#include "config/frame_timing.h"

namespace vantorel {

void FrameTimingStats::frameRan(std::int64_t ticks, std::int64_t frequency,
                                std::int64_t latenessTicks, bool scheduleRestarted, bool stall,
                                std::int64_t tstates) {
    if (frequency <= 0) return;
    ++frames_;
    if (stall) ++stalls_;
    const std::int64_t latenessUs = latenessTicks * 1'000'000 / frequency;
    maxLatenessUs_ = std::max(maxLatenessUs_, latenessUs);
    const auto step = std::clamp<std::int64_t>(latenessUs / kStepMicroseconds, 0, kSteps - 1);
    ++lateness_[static_cast<std::size_t>(step)];
    if (havePrevious_ && !scheduleRestarted && frequency == frequency_) {
        ++intervals_;
        intervalTicks_ += ticks - previousTicks_;
        intervalTStates_ += previousTStates_;
    }
    havePrevious_ = true;
    previousTicks_ = ticks;
    previousTStates_ = tstates;
    frequency_ = frequency;
}

double FrameTimingStats::meanPeriodMicroseconds() const {
    if (intervals_ == 0) return 0.0;
    return static_cast<double>(intervalTicks_) * 1e6 / static_cast<double>(frequency_) /
           static_cast<double>(intervals_);
}

std::int64_t FrameTimingStats::latenessPercentileMicroseconds(double percent) const {
    if (frames_ == 0) return 0;
    const double wanted = static_cast<double>(frames_) * percent / 100.0;
    std::int64_t seen = 0;
    for (int step = 0; step < kSteps; ++step) {
        seen += lateness_[static_cast<std::size_t>(step)];
        if (static_cast<double>(seen) >= wanted) return (step + 1) * kStepMicroseconds;
    }
    return kSteps * kStepMicroseconds;
}

double FrameTimingStats::speedPercent() const {
    if (intervalTicks_ <= 0) return 0.0;
    const double seconds = static_cast<double>(intervalTicks_) / static_cast<double>(frequency_);
    return static_cast<double>(intervalTStates_) / seconds * 100.0 /
           static_cast<double>(kFullSpeedTStatesPerSecond);
}

std::string FrameTimingStats::report() const {
    char text[256];
    std::snprintf(text, sizeof text,
                  "Frames: %lld paced, mean period %.1f us, lateness p50 %lld p99 %lld max %lld "
                  "us, speed %.2f%%, stalls %lld",
                  static_cast<long long>(frames_), meanPeriodMicroseconds(),
                  static_cast<long long>(latenessPercentileMicroseconds(50.0)),
                  static_cast<long long>(latenessPercentileMicroseconds(99.0)),
                  static_cast<long long>(maxLatenessUs_), speedPercent(),
                  static_cast<long long>(stalls_));
    return text;
}

}  // namespace vantorel
