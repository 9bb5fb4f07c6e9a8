#include "app/frame_scheduler.h"

#include <algorithm>

#include "config/frame_timing.h"

namespace vantorel {

namespace {

constexpr std::int64_t kRewindFramesPerPass = 2;  // twice real speed

}  // namespace

FrameScheduler::FrameScheduler(Machine& machine, HostClock* clock)
    : machine_(machine), clock_(clock) {}

void FrameScheduler::setUpPacing() {
    pacing_.setUp(clock_, machine_.timing().framesPerSecond);
}

void FrameScheduler::followSound(const SoundOutput* sound) {
    sound_ = sound;
    if (sound_ != nullptr) usePace(sound_->framePace());
}

// Without sound the frames keep their own period, for the frame rate of now
// (it may have changed since start-up).
void FrameScheduler::usePace(const FramePace& pace) {
    pace_ = pace;
    if (pace.followsAudio) {
        pacing_.useAudioFramePeriod(pace.frameBytes, pace.ratePpm);
    } else {
        setUpPacing();
    }
}

FramePass FrameScheduler::runPass() {
    FramePass pass;
    if (!machine_.running()) return pass;
    const std::uint32_t startMs = clock_ != nullptr ? clock_->milliseconds() : 0;
    const PacingDecision decision =
        pacing_.decide(clock_, startMs, machine_.config(), machine_.timing().framesPerSecond);
    pass.screenDue = decision.screenDue;
    if (rewinding_) {
        if (decision.frameDue) pass.screenDue = stepBack(kRewindFramesPerPass) || pass.screenDue;
        return pass;
    }
    if (!decision.frameDue && !filesBeingFed() && !turbo_) return pass;

    timeline_.setMemoryCap(std::int64_t{machine_.config().rewindmegabytes} << 20);
    pass.frame = timeline_.runFrame(machine_, turbo_ ? FrameSound::off : FrameSound::on);
    pass.frameRan = pass.frame.ran;
    measure(decision, startMs, pass.frame.tstates.total());
    ++framesRun_;
    if (sound_ != nullptr && !(sound_->framePace() == pace_)) usePace(sound_->framePace());
    return pass;
}

bool FrameScheduler::setRewinding(bool held) {
    rewinding_ = held;
    return held && stepBack(kRewindFramesPerPass);
}

bool FrameScheduler::rewindSeconds(int seconds) {
    return stepBack(std::int64_t{seconds} * machine_.timing().framesPerSecond);
}

bool FrameScheduler::stepBack(std::int64_t frames) {
    if (!timeline_.started() || timeline_.position() == 0) return false;
    return timeline_.seek(machine_, std::max<std::int64_t>(timeline_.position() - frames, 0));
}

void FrameScheduler::restartSchedule() {
    pacing_.restart();
    restartAsked_ = true;
}

// The speed meter times frames by the counter when it was read, else by the
// millisecond clock (counted on across its wraps). A frame the clock made
// due counts at the time it was due: the schedule follows the clock within
// a few frames, and host time is then measured without the jitter of
// wake-ups. Those frames go into the timing statistics; frames run back to
// back do not.
void FrameScheduler::measure(const PacingDecision& decision, std::uint32_t startMs,
                             std::int64_t tstates) {
    if (haveMs_) unwrappedMs_ += static_cast<std::uint32_t>(startMs - lastMs_);
    haveMs_ = true;
    lastMs_ = startMs;
    const bool paced = decision.frameDue && decision.ticksValid && !runsBackToBack();
    if (decision.ticksValid) {
        speedMeter_.update(paced ? decision.dueTicks : decision.ticks, pacing_.counterFrequency(),
                           tstates);
    } else {
        speedMeter_.update(unwrappedMs_, 1000, tstates);
    }
    if (runsBackToBack()) timingStats_.interrupt();
    if (!paced) return;
    const bool stall = decision.scheduleRestarted && !restartAsked_ && timingStats_.frames() > 0;
    if (decision.scheduleRestarted) restartAsked_ = false;
    timingStats_.frameRan(decision.ticks, pacing_.counterFrequency(), decision.latenessTicks,
                          decision.scheduleRestarted, stall, tstates);
}

// With "Speed up when accessing files" quick type, or a tape that moves,
// runs frames on every pass, whatever the clock says. A tape that sits in the
// recorder with its motor off does not: the monitor's prompt keeps its pace.
bool FrameScheduler::filesBeingFed() const {
    return machine_.config().speedupfilesflag &&
           (machine_.quickTypeActive() || machine_.tapeMoving());
}

bool FrameScheduler::runsBackToBack() const {
    return machine_.config().cpuspeedopt == kTimingFast || turbo_ || filesBeingFed();
}

std::int64_t FrameScheduler::nanosecondsUntilDue() const {
    const std::int64_t frequency = pacing_.counterFrequency();
    if (clock_ == nullptr || !pacing_.counterAvailable() || frequency <= 0) return 0;
    const auto now = clock_->readCounter();
    if (!now) return 0;
    std::int64_t due = pacing_.nextFrameTicks();
    if (machine_.config().usevideoupdatepsflag) due = std::min(due, pacing_.nextScreenTicks());
    const std::int64_t ticks = due - *now;
    if (ticks <= 0) return 0;
    // ticks x 1e9 / frequency without overflowing for long waits.
    constexpr std::int64_t kBillion = 1'000'000'000;
    return ticks / frequency * kBillion + ticks % frequency * kBillion / frequency;
}

}  // namespace vantorel
