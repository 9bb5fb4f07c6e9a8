// The host's audio output through SDL2: one device, 22050 Hz, mono, signed
// 16-bit, whose callback mixes the four voice rings (voice_rings.h).
//
// The callback runs on SDL's audio thread. It only reads the rings through
// their slot hand-off: it never allocates, never waits for the emulation
// and never reads a slot while it is being written. Operations that change
// what it reads (creating, stopping, clearing, rewinding a voice) hold
// SDL's audio lock briefly; writing a slot and asking for the status do not.
// SDL is asked for a buffer of 512 samples (23.2 ms), a power of two: SDL
// 2.26 rounds other sizes up to one for some drivers (the dummy driver
// among them) and then calls back with more bytes than the buffer it
// allocated. The callback takes whatever size the driver grants.
//
// The callback's thread asks for real-time scheduling the first time it
// runs (when the system allows it), so the device keeps its pace while
// every core is busy.
//
// No audio device (no sound server, no driver) is said once on the debug
// output; the program then runs silently. Also measured, for the debug
// report at exit: how long after a slot was written the callback took it.
//
// Made by the desktop program and handed to the host devices
// (app/host_devices.h); SoundOutput is its caller.
#pragma once

#include <SDL.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "hostapi/host_interfaces.h"
#include "sound/audio_device.h"
#include "sound/voice_rings.h"

namespace vantorel {

inline constexpr int kDeviceBufferSamples = 512;  // 23.2 ms at 22050 Hz

class SdlAudioDevice : public AudioDevice {
  public:
    explicit SdlAudioDevice(DebugOutputSink* debug = nullptr);
    ~SdlAudioDevice() override;
    SdlAudioDevice(const SdlAudioDevice&) = delete;
    SdlAudioDevice& operator=(const SdlAudioDevice&) = delete;

    bool open() override;
    void close() override;
    bool createVoice(int voice, std::int32_t frameBytes) override;
    bool playLooping(int voice) override;
    void stop(int voice) override;
    void clearVoice(int voice) override;
    void setPosition(int voice, std::int32_t bytes) override;
    VoiceStatus status(int voice) override;
    bool writeSlot(int voice, int slot, std::span<const std::int16_t> samples) override;
    AudioCounters counters() override;
    AudioDeviceInfo info() const override {
        return {driverName_, bufferSamples_, handOffDelay(),
                threadPriority_.load(std::memory_order_relaxed)};
    }

    HandOffDelay handOffDelay() const;
    // The driver SDL chose and the buffer it granted (for the debug report).
    const std::string& driverName() const { return driverName_; }
    int bufferSamples() const { return bufferSamples_; }

  private:
    static void SDLCALL audioCallback(void* self, Uint8* stream, int length);
    void play(std::int16_t* out, std::size_t samples);
    void measureHandOff(std::int32_t fromBytes, std::int32_t toBytes);
    void reportMissing(const char* why);

    class AudioLock;

    DebugOutputSink* debug_;
    VoiceRings rings_;
    SDL_AudioDeviceID device_ = 0;
    bool reportedMissing_ = false;
    std::string driverName_;
    int bufferSamples_ = 0;
    bool priorityAsked_ = false;  // by the callback's thread, for itself
    std::atomic<ThreadPriority> threadPriority_{ThreadPriority::normal};
    std::int32_t slotBytes_ = 0;  // frameBytes of the voices, for the measurement
    // Steady time in us at which each slot of voice 0 was last written, and
    // the write time the callback last measured (its own).
    std::array<std::atomic<std::int64_t>, kRingSlots> slotWrittenUs_{};
    std::array<std::int64_t, kRingSlots> slotMeasuredUs_{};
    std::atomic<std::int64_t> delayCount_{0};
    std::atomic<std::int64_t> delaySumUs_{0};
    std::atomic<std::int64_t> delayMinUs_{0};
    std::atomic<std::int64_t> delayMaxUs_{0};
};

}  // namespace vantorel
