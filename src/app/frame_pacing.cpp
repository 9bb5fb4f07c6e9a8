#include "app/frame_pacing.h"

#include <algorithm>

#include "config/frame_timing.h"

namespace vantorel {

namespace {

// True when the wrapping millisecond time `now` is at or past `due`.
bool reached(std::uint32_t now, std::uint32_t due) {
    return static_cast<std::int32_t>(now - due) >= 0;
}

}  // namespace

void FramePacing::setUp(HostClock* clock, std::int32_t framesPerSecond) {
    const auto frequency = clock != nullptr ? clock->counterFrequency() : std::nullopt;
    counterAvailable_ = frequency.has_value() && *frequency > 0;
    if (!counterAvailable_) return;
    counterFrequency_ = *frequency;
    framePeriodTicks_ = counterFrequency_ / std::max(framesPerSecond, 1);
}

void FramePacing::useAudioFramePeriod(std::int32_t frameBytes, std::int32_t ratePpm) {
    if (!counterAvailable_) return;
    framePeriodTicks_ = frameBytes * counterFrequency_ / kAudioBytesPerSecond;
    if (ratePpm != 0) {
        constexpr std::int64_t kMillion = 1'000'000;
        const std::int64_t ppm = std::clamp<std::int64_t>(ratePpm, -kMillion / 2, kMillion / 2);
        framePeriodTicks_ +=
            framePeriodTicks_ / kMillion * ppm + framePeriodTicks_ % kMillion * ppm / kMillion;
    }
}

PacingDecision FramePacing::decide(HostClock* clock, std::uint32_t nowMs,
                                   const MachineConfig& config, std::int32_t framesPerSecond) {
    if (clock == nullptr) return {true, true};

    PacingDecision decision;
    std::optional<std::int64_t> ticks;
    if (counterAvailable_) {
        ticks = clock->readCounter();
        decision.ticksValid = ticks.has_value();
        decision.ticks = ticks.value_or(0);
        decision.frameDue = ticks.has_value() && frameDueOnCounter(*ticks, decision);
    } else {
        decision.frameDue = frameDueOnMilliseconds(nowMs, framesPerSecond);
    }
    if (config.cpuspeedopt == kTimingFast) decision.frameDue = true;

    if (!config.usevideoupdatepsflag) {
        decision.screenDue = decision.frameDue;
    } else {
        const std::int32_t updatesPerSecond = std::max(config.videoupdatesps, 1);
        if (counterAvailable_) {
            decision.screenDue = ticks.has_value() && screenDueOnCounter(*ticks, updatesPerSecond);
        } else {
            decision.screenDue = screenDueOnMilliseconds(nowMs, updatesPerSecond);
        }
    }
    return decision;
}

void FramePacing::restart() {
    frameScheduled_ = false;
    frameMsScheduled_ = false;
}

// The next frame is due one period after this one was due. A frame more
// than kCatchUpFrames periods late starts the schedule again from now.
bool FramePacing::frameDueOnCounter(std::int64_t ticks, PacingDecision& decision) {
    if (frameScheduled_ && ticks < nextFrameTicks_) return false;
    const std::int64_t lateness = frameScheduled_ ? ticks - nextFrameTicks_ : 0;
    if (!frameScheduled_ || lateness > kCatchUpFrames * framePeriodTicks_) {
        decision.scheduleRestarted = true;
        nextFrameTicks_ = ticks;
    } else {
        decision.latenessTicks = lateness;
    }
    decision.dueTicks = nextFrameTicks_;
    nextFrameTicks_ += framePeriodTicks_;
    frameScheduled_ = true;
    return true;
}

// Without a counter the next frame is due one frame period after this one
// was due, in whole milliseconds; the fraction left over is carried to the
// next period, so frames keep their average rate (60 per second gives
// periods of 16 and 17 ms that add up to 1000 ms every 60 frames).
bool FramePacing::frameDueOnMilliseconds(std::uint32_t nowMs, std::int32_t framesPerSecond) {
    if (frameMsScheduled_ && !reached(nowMs, nextFrameMs_)) return false;
    const std::int32_t fps = std::max(framesPerSecond, 1);
    const std::uint32_t lateMs = frameMsScheduled_ ? nowMs - nextFrameMs_ : 0;
    if (!frameMsScheduled_ || lateMs > static_cast<std::uint32_t>(kCatchUpFrames * 1000 / fps)) {
        nextFrameMs_ = nowMs;
    }
    const std::int32_t periodParts = 1000 + frameMsRemainder_;  // in 1/fps ms
    nextFrameMs_ += static_cast<std::uint32_t>(periodParts / fps);
    frameMsRemainder_ = periodParts % fps;
    frameMsScheduled_ = true;
    return true;
}

bool FramePacing::screenDueOnCounter(std::int64_t ticks, std::int32_t updatesPerSecond) {
    const std::int64_t period = counterFrequency_ / updatesPerSecond;
    if (ticks < nextScreenTicks_ && ticks >= 2 * period) return false;
    nextScreenTicks_ = ticks + period;
    return true;
}

bool FramePacing::screenDueOnMilliseconds(std::uint32_t nowMs, std::int32_t updatesPerSecond) {
    const bool due = !screenMsScheduled_ || reached(nowMs, nextScreenMs_) ||
                     nowMs < static_cast<std::uint32_t>(2000 / updatesPerSecond);
    if (!due) return false;
    nextScreenMs_ = nowMs + static_cast<std::uint32_t>(1000 / updatesPerSecond);
    screenMsScheduled_ = true;
    return true;
}

}  // namespace vantorel
