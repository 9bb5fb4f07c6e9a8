// An audio device for sound tests: the rings of RingAudioDevice, played
// only when the test pulls samples, with switches that make opening or
// creating a voice fail, and a record of the calls the sound output made.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "sound/ring_audio_device.h"

namespace vantorel::testing {

class FakeAudioDevice : public RingAudioDevice {
  public:
    bool openFails = false;
    std::array<bool, kVoiceCount> createFails{};
    int opens = 0;
    int closes = 0;
    std::array<int, kVoiceCount> plays{};
    std::array<int, kVoiceCount> stops{};
    std::vector<int> writtenSlots;  // slot of every write to voice 0

    bool open() override {
        ++opens;
        return !openFails && RingAudioDevice::open();
    }
    void close() override {
        ++closes;
        RingAudioDevice::close();
    }
    bool createVoice(int voice, std::int32_t frameBytes) override {
        if (createFails[static_cast<std::size_t>(voice)]) return false;
        return RingAudioDevice::createVoice(voice, frameBytes);
    }
    bool playLooping(int voice) override {
        ++plays[static_cast<std::size_t>(voice)];
        return RingAudioDevice::playLooping(voice);
    }
    void stop(int voice) override {
        ++stops[static_cast<std::size_t>(voice)];
        RingAudioDevice::stop(voice);
    }
    bool writeSlot(int voice, int slot, std::span<const std::int16_t> samples) override {
        if (voice == 0) writtenSlots.push_back(slot);
        return RingAudioDevice::writeSlot(voice, slot, samples);
    }

    // Plays `count` samples and returns them.
    std::vector<std::int16_t> pullSamples(std::size_t count) {
        std::vector<std::int16_t> out(count);
        pull(out);
        return out;
    }
};

}  // namespace vantorel::testing
