// Keeps the emulation three frames of audio ahead of the audio device.
//
// The emulation runs one frame per frame of audio by its own clock, the
// device plays by its crystal; the two never agree exactly (0.01-0.1% is
// usual), so left alone the writer would drift into the player (overwriting
// audio not yet played) or away from it (silence). Once per frame the sound
// output hands this control the slot it is about to write and where the
// device is playing; the control smooths that lead (the device moves in
// bursts of its own buffer size) and answers with a correction of the frame
// period of at most 0.5% either way, a proportional-integral control that
// holds the player half-way into the slot three before the writer's. A lead
// that is lost altogether (a stall, a debugger break) is reported so the
// sound output can start again as after a stop.
//
// Owned by the sound output (sound_output.h); it also keeps a histogram of
// the leads seen, which the program prints at exit.
#pragma once

#include <array>
#include <cstdint>

#include "sound/audio_device.h"

namespace vantorel {

inline constexpr int kLeadSlots = 3;               // frames written ahead of the player
inline constexpr std::int32_t kMaxRatePpm = 5000;  // largest correction, 0.5%

struct LeadStep {
    bool lost = false;         // restart the playback: the distance is gone
    std::int32_t ratePpm = 0;  // lengthen the frame period by this many parts per million
    int leadSlots = 0;         // whole slots from the one being played to the write slot
};

class LeadControl {
  public:
    // Forgets everything, the learnt clock difference too (sound started).
    void restart();
    // Forgets the measurements but keeps the clock difference (playback
    // restarted at slot 0 after a stop).
    void resync();

    LeadStep update(int writeSlot, std::int32_t playPositionBytes, std::int32_t frameBytes);

    // Frames measured with each lead, 0 to 11.
    const std::array<std::int64_t, kRingSlots>& leadHistogram() const { return histogram_; }
    std::int64_t resyncs() const { return resyncs_; }
    std::int32_t ratePpm() const { return ratePpm_; }

  private:
    bool haveAverage_ = false;
    double averageLead_ = 0.0;  // smoothed lead in slots
    double integralPpm_ = 0.0;  // learnt clock difference
    std::int32_t ratePpm_ = 0;
    std::array<std::int64_t, kRingSlots> histogram_{};
    std::int64_t resyncs_ = 0;
};

}  // namespace vantorel
