#include "sound/lead_control.h"

#include <algorithm>
#include <cmath>

namespace vantorel {

namespace {

// The player is aimed at the middle of the slot three before the writer's,
// so whole-slot bursts of the device leave the lead at three.
constexpr double kTargetLead = kLeadSlots - 0.5;
// Smoothing over about 32 frames: the device's bursts (20 ms) beat against
// the frames (16.7 ms) with a period of 100 ms.
constexpr double kSmoothing = 1.0 / 32.0;
// A slot of error corrects by 0.5%; the integral learns a constant clock
// difference in a few seconds, critically damped.
constexpr double kProportionalPpm = 5000.0;
constexpr double kIntegralPpm = 6.25;
// Closer than this the player would catch up within one burst; further than
// this it has overtaken the writer.
constexpr double kLostBelow = 0.75;
constexpr double kLostAbove = 7.0;

}  // namespace

void LeadControl::restart() {
    resync();
    integralPpm_ = 0.0;
    ratePpm_ = 0;
}

void LeadControl::resync() {
    haveAverage_ = false;
    averageLead_ = 0.0;
}

LeadStep LeadControl::update(int writeSlot, std::int32_t playPositionBytes,
                             std::int32_t frameBytes) {
    LeadStep step;
    if (frameBytes <= 0) return step;
    const std::int32_t ringBytes = frameBytes * kRingSlots;
    std::int32_t aheadBytes = (writeSlot * frameBytes - playPositionBytes) % ringBytes;
    if (aheadBytes < 0) aheadBytes += ringBytes;
    const double lead = static_cast<double>(aheadBytes) / frameBytes;
    step.leadSlots = static_cast<int>(std::ceil(lead)) % kRingSlots;
    ++histogram_[static_cast<std::size_t>(step.leadSlots)];

    if (lead < kLostBelow || lead > kLostAbove) {
        ++resyncs_;
        resync();
        step.lost = true;
        step.ratePpm = ratePpm_;
        return step;
    }
    if (!haveAverage_) {
        averageLead_ = lead;
        haveAverage_ = true;
    } else {
        averageLead_ += (lead - averageLead_) * kSmoothing;
    }
    const double error = averageLead_ - kTargetLead;
    integralPpm_ =
        std::clamp(integralPpm_ + kIntegralPpm * error, -double{kMaxRatePpm}, double{kMaxRatePpm});
    const double rate = kProportionalPpm * error + integralPpm_;
    ratePpm_ = static_cast<std::int32_t>(
        std::lround(std::clamp(rate, -double{kMaxRatePpm}, double{kMaxRatePpm})));
    step.ratePpm = ratePpm_;
    return step;
}

}  // namespace vantorel
