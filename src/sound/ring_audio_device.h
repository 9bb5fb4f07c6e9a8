// An audio device that plays on the caller's own thread, when told.
//
// The rings and mixing of VoiceRings with no host behind them: pull(out)
// plays the next out.size() samples of every playing voice, mixed, just as
// the SDL device's callback would hand them to the sound card. The WAV
// recorder pulls one frame after every emulated frame; tests pull at
// whatever rate their fake clock gives. Nothing here waits or takes a lock.
#pragma once

#include <span>

#include "sound/audio_device.h"
#include "sound/voice_rings.h"

namespace vantorel {

class RingAudioDevice : public AudioDevice {
  public:
    bool open() override {
        open_ = true;
        return true;
    }
    void close() override {
        rings_.releaseAll();
        open_ = false;
    }
    bool createVoice(int voice, std::int32_t frameBytes) override {
        return open_ && rings_.create(voice, frameBytes);
    }
    bool playLooping(int voice) override {
        rings_.play(voice);
        return rings_.status(voice).present;
    }
    void stop(int voice) override { rings_.stop(voice); }
    void clearVoice(int voice) override { rings_.clear(voice); }
    void setPosition(int voice, std::int32_t bytes) override { rings_.setPosition(voice, bytes); }
    VoiceStatus status(int voice) override { return rings_.status(voice); }
    bool writeSlot(int voice, int slot, std::span<const std::int16_t> samples) override {
        return rings_.write(voice, slot, samples);
    }
    AudioCounters counters() override { return rings_.counters(); }

    // Plays out.size() samples of the mix into `out`.
    void pull(std::span<std::int16_t> out) { rings_.mix(out); }
    bool isOpen() const { return open_; }

  private:
    VoiceRings rings_;
    bool open_ = false;
};

}  // namespace vantorel
