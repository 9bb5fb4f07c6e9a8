#include "cassette/wav_tape_signal.h"

#include <algorithm>

namespace vantorel {

namespace {

// Half-cycles shorter than this (in T-states) stand for a mark.
double shortHalfCycleLimit(TapeBaud baud) {
    return kTapeTStatesPerSecond / (baud == TapeBaud::baud1200 ? 1600.0 : 3200.0);
}

// Half-cycles longer than this are no signal.
double noSignalLimit(TapeBaud baud) {
    return 4.0 * kTapeTStatesPerSecond / (baud == TapeBaud::baud1200 ? 1200.0 : 2400.0);
}

}  // namespace

WavTapeSignal WavTapeSignal::ofSamples(std::uint32_t sampleRate, std::uint64_t sampleCount) {
    WavTapeSignal signal{};
    signal.sampleCount_ = sampleCount;
    signal.sampleRate_ = sampleRate;
    signal.tstatesPerSample_ = kTapeTStatesPerSecond / static_cast<double>(sampleRate);
    const double rate = sampleRate;
    signal.windowSize_ =
        std::clamp(static_cast<int>(rate * kWavSmoothingSeconds), 1, kWavMaxSmoothing);
    signal.window_.fill(128.0);
    signal.windowSum_ = 128.0 * signal.windowSize_;
    signal.midLevelRate_ = std::min(1.0, 1.0 / (rate * kWavMidLevelSeconds));
    return signal;
}

double WavTapeSignal::smoothed(std::uint8_t sample) {
    windowSum_ += sample - window_[static_cast<std::size_t>(windowNext_)];
    window_[static_cast<std::size_t>(windowNext_)] = sample;
    windowNext_ = (windowNext_ + 1) % windowSize_;
    return windowSum_ / windowSize_;
}

void WavTapeSignal::play(std::span<const std::uint8_t> samples, double from, double tstates,
                         TapeBaud baud, UartReceiver& receiver) {
    tapeToMachine_ = from - tapeTime_;
    const double tapeTo = tapeTime_ + tstates;
    const std::uint64_t stored = std::min<std::uint64_t>(sampleCount_, samples.size());
    while (next_ < stored && static_cast<double>(next_) * tstatesPerSample_ < tapeTo) {
        const double time = static_cast<double>(next_) * tstatesPerSample_;
        takeSample(samples[static_cast<std::size_t>(next_)], time, baud, receiver);
        ++next_;
    }
    const double now = std::min(tapeTo, lengthTStates());
    tapeTime_ = now;
    if (ended() && halfSeen_ && !decided_) {
        halfCycleEnded(now, baud, receiver);  // the last half-cycle ends with the tape
    } else if (halfSeen_ && !decided_ && now - halfStart_ > noSignalLimit(baud)) {
        hand(halfStart_, kMark, baud, receiver);
    }
    decidedUntil_ = (decided_ || !halfSeen_ ? now : halfStart_) + tapeToMachine_;
}

void WavTapeSignal::takeSample(std::uint8_t sample, double time, TapeBaud baud,
                               UartReceiver& receiver) {
    const double level = smoothed(sample);
    midLevel_ += (level - midLevel_) * midLevelRate_;
    const double value = level - midLevel_;
    // Where the signal passes the mid level towards the other side, remember when.
    const bool passesUp = !high_ && previous_ < 0 && value >= 0;
    const bool passesDown = high_ && previous_ >= 0 && value < 0;
    if (passesUp || passesDown) {
        const double fraction = -previous_ / (value - previous_);
        crossing_ = time - tstatesPerSample_ + fraction * tstatesPerSample_;
    }
    previous_ = value;
    const bool flips = high_ ? value <= -kWavHysteresis : value >= kWavHysteresis;
    if (!flips) return;
    high_ = !high_;
    if (halfSeen_) halfCycleEnded(crossing_, baud, receiver);
    halfStart_ = crossing_;
    halfSeen_ = true;
    decided_ = false;
}

void WavTapeSignal::halfCycleEnded(double time, TapeBaud baud, UartReceiver& receiver) {
    if (decided_) return;
    const double length = time - halfStart_;
    std::uint8_t level = length < shortHalfCycleLimit(baud) ? kMark : kSpace;
    if (length > noSignalLimit(baud)) level = kMark;
    hand(halfStart_, level, baud, receiver);
}

void WavTapeSignal::hand(double halfStart, std::uint8_t level, TapeBaud baud,
                         UartReceiver& receiver) {
    receiver.setLine(halfStart + tapeToMachine_, level, bitTStates(baud));
    decided_ = true;
}

void WavTapeSignal::pause() {
    halfSeen_ = false;
    decided_ = false;
}

double WavTapeSignal::lengthTStates() const {
    return static_cast<double>(sampleCount_) * tstatesPerSample_;
}

double WavTapeSignal::positionSeconds() const {
    return tapeTime_ / kTapeTStatesPerSecond;
}

double WavTapeSignal::lengthSeconds() const {
    return sampleRate_ == 0 ? 0.0
                            : static_cast<double>(sampleCount_) / static_cast<double>(sampleRate_);
}

}  // namespace vantorel
