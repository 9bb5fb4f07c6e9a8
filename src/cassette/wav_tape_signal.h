// A WAV tape turned into the serial line, by timing the signal's half-cycles.
//
// The samples swing around the 8-bit mid level 128. They are first smoothed
// over about a tenth of a millisecond (hiss), and the mid level starts at 128
// and follows the signal's average over some 10 ms, so a DC offset does not
// move the crossings. A half-cycle ends where the signal crosses the mid
// level (found between two samples by straight-line interpolation), but only
// counts once it has gone on past it by a little hysteresis, so noise about
// the crossings is ignored. The length of each half-cycle gives the line
// level it stands for:
//   300 baud (Kansas City): a 0 is four cycles of 1200 Hz, a 1 eight cycles
//     of 2400 Hz, so half-cycles shorter than 1/3200 s are mark, longer space;
//   1200 baud: the level toggles at the start of every bit and a 1 toggles
//     again in the middle, so half-cycles shorter than 1/1600 s are (half) a
//     mark bit, longer ones a space bit.
// A half-cycle four times longer than the long one is no signal at all, and
// the line rests at mark. The level is known only when its half-cycle ends,
// so the line is handed on for the half-cycle's start, and decidedUntil()
// says how far the receiver may run. Works at any sample rate.
//
// Plain data: the samples stay in the tape's TapeMedia, which every call
// that reads them is given; the signal keeps their rate and number. Part of
// TapeDeck, which moves it while a motor is on.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "cassette/tape_timing.h"
#include "cassette/uart_receiver.h"
#include "cassette/wav_reader.h"

namespace vantorel {

inline constexpr double kWavHysteresis = 8;  // sample steps either side of the mid level
inline constexpr double kWavSmoothingSeconds = 1.0 / 9600;  // length of the smoothing window
inline constexpr double kWavMidLevelSeconds = 0.01;         // time constant of the mid level
inline constexpr int kWavMaxSmoothing = 8;                  // samples

class WavTapeSignal {
  public:
    // A tape of `sampleCount` samples at `sampleRate` (above 0), at its start.
    static WavTapeSignal ofSamples(std::uint32_t sampleRate, std::uint64_t sampleCount);

    // Moves the tape (whose samples are `samples`) by `tstates`, starting at
    // T-state time `from`, and hands the decoded line levels to `receiver`.
    void play(std::span<const std::uint8_t> samples, double from, double tstates, TapeBaud baud,
              UartReceiver& receiver);
    // The moment (T-state time of the last play) up to which the line is known.
    double decidedUntil() const { return decidedUntil_; }
    // The motor stopped: the half-cycle in progress is forgotten.
    void pause();
    bool ended() const { return tapeTime_ >= lengthTStates(); }

    double lengthTStates() const;
    double positionSeconds() const;
    double lengthSeconds() const;

  private:
    double smoothed(std::uint8_t sample);
    void takeSample(std::uint8_t sample, double time, TapeBaud baud, UartReceiver& receiver);
    void halfCycleEnded(double time, TapeBaud baud, UartReceiver& receiver);
    void hand(double halfStart, std::uint8_t level, TapeBaud baud, UartReceiver& receiver);

    std::uint64_t sampleCount_ = 0;  // samples on the tape
    std::uint32_t sampleRate_ = 0;   // samples per second
    std::int32_t windowSize_ = 1;    // samples smoothed over
    double tstatesPerSample_ = 0;
    double tapeTime_ = 0;                            // T-states of tape played
    std::uint64_t next_ = 0;                         // index of the next sample to take
    double tapeToMachine_ = 0;                       // machine time minus tape time, for this play
    std::array<double, kWavMaxSmoothing> window_{};  // the last samples, for smoothing
    double windowSum_ = 0;
    double midLevel_ = 128;        // the signal's average
    double midLevelRate_ = 0;      // how far the mid level follows each sample
    double previous_ = 0;          // the sample before, from the mid level
    double crossing_ = 0;          // tape time the signal last crossed 128 towards the other side
    double halfStart_ = 0;         // tape time the present half-cycle began
    double decidedUntil_ = 0;      // machine time
    std::int32_t windowNext_ = 0;  // where the next sample goes in window_
    bool high_ = false;            // the signal is above the mid level
    bool halfSeen_ = false;        // a crossing has started a half-cycle
    bool decided_ = false;         // the present half-cycle's level has been handed on
};

}  // namespace vantorel
