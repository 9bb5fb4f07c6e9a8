// The four looping voice rings of the audio device, and their mixing.
//
// Each voice is a ring of kRingSlots slots of one frame each. The emulation
// writes whole slots (write); the player (mix) reads the rings at their
// play positions, sums the playing voices and saturates to 16 bits. The two
// may run on different threads: every slot carries an atomic state, so the
// player never reads a slot while it is being written and the writer never
// writes the slot being played. A slot the player reaches that has not been
// written since it last played is an underrun and plays as silence (stale
// audio from a ring ago would be an echo); a slot written again before it
// was played is an overwrite. Cleared slots play silence and may be written
// freely.
//
// create, release, play, stop, clear and setPosition change what mix reads:
// the caller keeps mix from running meanwhile (the SDL device holds its
// audio lock; a single-threaded caller needs nothing). write, status and
// counters may run beside mix. mix allocates nothing and never waits.
//
// Used by the SDL2 audio device (host/), the WAV recorder and test devices.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <span>

#include "sound/audio_device.h"

namespace vantorel {

class VoiceRings {
  public:
    VoiceRings();
    ~VoiceRings();
    VoiceRings(const VoiceRings&) = delete;
    VoiceRings& operator=(const VoiceRings&) = delete;

    // --- Control (mix excluded by the caller) ---
    bool create(int voice, std::int32_t frameBytes);
    void release(int voice);
    void releaseAll();
    void play(int voice);
    void stop(int voice);
    void clear(int voice);
    void setPosition(int voice, std::int32_t bytes);

    // --- Writer side (beside mix) ---
    VoiceStatus status(int voice) const;
    bool write(int voice, int slot, std::span<const std::int16_t> samples);
    AudioCounters counters() const;

    // --- Player side ---
    // Fills `out` with the sum of the playing voices and moves them on.
    void mix(std::span<std::int16_t> out);

  private:
    struct Voice;
    void mixVoice(Voice& voice, std::span<std::int32_t> sum);
    void enterSlot(Voice& voice, int slot);
    void leaveSlot(Voice& voice);
    Voice* voiceAt(int voice);
    const Voice* voiceAt(int voice) const;

    std::array<std::unique_ptr<Voice>, kVoiceCount> voices_;
    std::atomic<std::int64_t> underruns_{0};
    std::atomic<std::int64_t> overwrites_{0};
};

}  // namespace vantorel
