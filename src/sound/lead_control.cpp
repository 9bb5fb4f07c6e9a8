#include "sound/lead_control.h"

#include <algorithm>
#include <cmath>

namespace vantorel {

namespace {

// Smoothing over about 32 frames: the device's bursts (20-23 ms) beat
// against the frames (16.7 ms) with a period of 70-100 ms.
constexpr double kSmoothing = 1.0 / 32.0;
// A slot of error corrects by 1%; the integral learns a constant clock
// difference in a few seconds, critically damped (gain squared over four).
constexpr double kProportionalPpm = 10000.0;
constexpr double kIntegralPpm = 25.0;
// Closer than this the player would catch up within one burst; further than
// this many slots beyond the lead it has overtaken the writer.
constexpr double kLostBelow = 0.75;
constexpr double kLostBeyondLead = 4.0;
// Frames that come in a burst after a late wake-up (the scheduler catches
// up) push the writer further ahead; beyond this many slots over the lead a
// frame's audio is left out, so the sound does not lag behind.
constexpr double kTooFarBeyondLead = 1.5;
// The lead grows at most once a second and comes down after a minute
// without an underrun.
constexpr std::int64_t kGrowSeconds = 1;
constexpr std::int64_t kShrinkSeconds = 60;

std::int64_t framesIn(std::int64_t seconds, std::int32_t frameBytes) {
    return seconds * kSampleRate * kBytesPerSample / frameBytes;
}

}  // namespace

void LeadControl::restart() {
    resync();
    integralPpm_ = 0.0;
    ratePpm_ = 0;
    leadSlots_ = kLeadSlots;
    framesSinceUnderrun_ = 0;
    framesSinceLeadChange_ = 0;
}

void LeadControl::resync() {
    haveAverage_ = false;
    averageLead_ = 0.0;
}

// +1 when the device ran dry since the last frame or the lead was lost (and
// the lead last grew a second ago or more), -1 after a minute without, else 0.
int LeadControl::changeLead(std::int64_t underruns, bool lost, std::int32_t frameBytes) {
    const bool ranDry = lost || (haveUnderruns_ && underruns > lastUnderruns_);
    haveUnderruns_ = true;
    lastUnderruns_ = underruns;
    ++framesSinceLeadChange_;
    if (ranDry) {
        framesSinceUnderrun_ = 0;
        if (leadSlots_ >= kMaxLeadSlots ||
            framesSinceLeadChange_ < framesIn(kGrowSeconds, frameBytes)) {
            return 0;
        }
        ++leadSlots_;
        ++growths_;
        mostLeadSlots_ = std::max(mostLeadSlots_, leadSlots_);
        framesSinceLeadChange_ = 0;
        return 1;
    }
    if (++framesSinceUnderrun_ < framesIn(kShrinkSeconds, frameBytes) || leadSlots_ <= kLeadSlots) {
        return 0;
    }
    --leadSlots_;
    framesSinceUnderrun_ = 0;
    framesSinceLeadChange_ = 0;
    return -1;
}

LeadStep LeadControl::update(int writeSlot, std::int32_t playPositionBytes, std::int32_t frameBytes,
                             std::int64_t underruns) {
    LeadStep step;
    if (frameBytes <= 0) return step;
    const std::int32_t ringBytes = frameBytes * kRingSlots;
    std::int32_t aheadBytes = (writeSlot * frameBytes - playPositionBytes) % ringBytes;
    if (aheadBytes < 0) aheadBytes += ringBytes;
    const double lead = static_cast<double>(aheadBytes) / frameBytes;
    step.leadSlots = static_cast<int>(std::ceil(lead)) % kRingSlots;
    ++histogram_[static_cast<std::size_t>(step.leadSlots)];

    // A host that starved the program loses the lead with it: playback
    // starts again, with the grown lead.
    const bool lost = lead < kLostBelow || lead > leadSlots_ + kLostBeyondLead;
    const int change = changeLead(underruns, lost, frameBytes);
    if (lost) {
        ++resyncs_;
        resync();
        step.lost = true;
        step.ratePpm = ratePpm_;
        return step;
    }
    step.leadChange = change;
    if (step.leadChange == 0 && lead > leadSlots_ + kTooFarBeyondLead) step.leadChange = -1;
    if (!haveAverage_) {
        averageLead_ = lead;
        haveAverage_ = true;
    } else {
        averageLead_ += (lead - averageLead_) * kSmoothing;
    }
    // The frame written twice or left out moves the lead by a whole slot at once.
    averageLead_ += step.leadChange;
    const double error = averageLead_ - (leadSlots_ - 0.5);
    integralPpm_ =
        std::clamp(integralPpm_ + kIntegralPpm * error, -double{kMaxRatePpm}, double{kMaxRatePpm});
    const double rate = kProportionalPpm * error + integralPpm_;
    ratePpm_ = static_cast<std::int32_t>(
        std::lround(std::clamp(rate, -double{kMaxRatePpm}, double{kMaxRatePpm})));
    step.ratePpm = ratePpm_;
    return step;
}

}  // namespace vantorel
