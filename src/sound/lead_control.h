// Keeps the emulation a few frames of audio ahead of the audio device.
//
// The emulation runs one frame per frame of audio by its own clock, the
// device plays by its crystal; the two never agree exactly (0.01-0.1% is
// usual; SDL's dummy driver, which sleeps whole milliseconds, plays a
// 512-sample buffer about 1% fast), so left alone the writer would drift
// into the player (overwriting audio not yet played) or away from it
// (silence). Once per frame the sound output hands this control the slot it
// is about to write, where the device is playing and the device's underrun
// count; the control smooths the lead (the device moves in bursts of its
// own buffer size) and answers with a correction of the frame period of at
// most 2% either way, a proportional-integral control that holds the player
// half-way into the slot `leadSlots()` before the writer's. A lead that is
// lost altogether (a stall, a debugger break) is reported so the sound
// output can start again as after a stop.
//
// The lead is three slots. When the device still runs dry or the lead is
// lost (the host starved the program), it grows by one slot (the sound output writes that frame
// twice), at most once a second and up to six slots (100 ms at 60 frames a
// second); after a minute without an underrun it comes down by one (the
// sound output leaves out one frame's audio). Frames that come in a burst
// (the frame scheduler catching up after a late wake-up) are left out once
// the writer is two slots beyond the lead, so the sound never lags far.
//
// Owned by the sound output (sound_output.h); it also keeps a histogram of
// the leads seen and its counters, which the program prints at exit.
#pragma once

#include <array>
#include <cstdint>

#include "sound/audio_device.h"

namespace vantorel {

inline constexpr int kLeadSlots = 3;                // frames written ahead of the player
inline constexpr int kMaxLeadSlots = 6;             // the most the lead grows to
inline constexpr std::int32_t kMaxRatePpm = 20000;  // largest correction, 2%

struct LeadStep {
    bool lost = false;         // restart the playback: the distance is gone
    std::int32_t ratePpm = 0;  // lengthen the frame period by this many parts per million
    int leadSlots = 0;         // whole slots from the one being played to the write slot
    int leadChange = 0;        // +1: write this frame twice; -1: leave it out
};

class LeadControl {
  public:
    // Forgets everything, the learnt clock difference and the grown lead
    // too (sound started).
    void restart();
    // Forgets the measurements but keeps the clock difference and the lead
    // (playback restarted after a stop).
    void resync();

    // `underruns`: the device's underrun count so far.
    LeadStep update(int writeSlot, std::int32_t playPositionBytes, std::int32_t frameBytes,
                    std::int64_t underruns = 0);

    // Frames measured with each lead, 0 to 11.
    const std::array<std::int64_t, kRingSlots>& leadHistogram() const { return histogram_; }
    std::int64_t resyncs() const { return resyncs_; }
    std::int32_t ratePpm() const { return ratePpm_; }
    // The slots the writer keeps ahead now (3 to 6), and how often that grew.
    int leadSlots() const { return leadSlots_; }
    int mostLeadSlots() const { return mostLeadSlots_; }
    std::int64_t leadGrowths() const { return growths_; }

  private:
    int changeLead(std::int64_t underruns, bool lost, std::int32_t frameBytes);

    bool haveAverage_ = false;
    double averageLead_ = 0.0;  // smoothed lead in slots
    double integralPpm_ = 0.0;  // learnt clock difference
    std::int32_t ratePpm_ = 0;
    std::array<std::int64_t, kRingSlots> histogram_{};
    std::int64_t resyncs_ = 0;
    int leadSlots_ = kLeadSlots;
    int mostLeadSlots_ = kLeadSlots;
    std::int64_t growths_ = 0;
    bool haveUnderruns_ = false;
    std::int64_t lastUnderruns_ = 0;          // the device's count at the last frame
    std::int64_t framesSinceUnderrun_ = 0;    // frames since the last underrun
    std::int64_t framesSinceLeadChange_ = 0;  // frames since the lead last grew
};

}  // namespace vantorel
