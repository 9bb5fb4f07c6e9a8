// What the sound output needs of the host's audio device.
//
// The device plays up to four voices, each a looping ring of 12 slots of one
// emulated frame of audio (22050 samples per second, mono, signed 16-bit):
// voice 0 the speaker clicker, voices 1-3 the AY-3-8910's channels A, B, C.
// The device mixes the playing voices itself. The sound output (sound_output.h)
// is its only caller, always from the emulation's thread:
//
//   1. open() when sound starts; nothing plays yet. false: no device.
//   2. createVoice(v, frameBytes) for each voice wanted: a silent ring.
//   3. Every frame: status(v), playLooping(v) when it has stopped,
//      writeSlot(v, slot, samples) three slots ahead of the player.
//   4. stop(v) + clearVoice(v) + setPosition(v, 0) when the window pauses.
//   5. close() releases every voice and the device.
//
// The SDL2 device (host/) and the test and WAV devices implement it over
// VoiceRings (voice_rings.h), which holds the rings and the mixing.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace vantorel {

inline constexpr int kVoiceCount = 4;      // clicker, then AY channels A, B, C
inline constexpr int kRingSlots = 12;      // frames of audio per voice ring
inline constexpr int kSampleRate = 22050;  // samples per second, every voice
inline constexpr int kBytesPerSample = 2;  // signed 16-bit mono

struct VoiceStatus {
    bool present = false;                // the voice exists
    bool playing = false;                // it plays (always looping)
    std::int32_t playPositionBytes = 0;  // where the player reads next, 0 to ring bytes - 1
};

// How often the hand-off between the writer and the player went wrong.
struct AudioCounters {
    std::int64_t underruns = 0;   // the player reached a slot not written since it last played
    std::int64_t overwrites = 0;  // a slot was written again before the player had played it
};

// Delay from writing a slot to the device taking it, in microseconds.
struct HandOffDelay {
    std::int64_t count = 0;
    std::int64_t minimumUs = 0;
    std::int64_t maximumUs = 0;
    std::int64_t meanUs = 0;
};

// How the thread that plays the device is scheduled.
enum class ThreadPriority { normal, raised, realtime };

// What a real device can tell about itself, for the debug report at exit.
struct AudioDeviceInfo {
    std::string driverName;  // the driver the host chose
    int bufferSamples = 0;   // the buffer it granted
    HandOffDelay handOff;
    ThreadPriority threadPriority = ThreadPriority::normal;
};

class AudioDevice {
  public:
    virtual ~AudioDevice() = default;

    // Opens the host's default output; false when there is none.
    virtual bool open() = 0;
    // Stops and releases every voice, then the device.
    virtual void close() = 0;

    // A ring of kRingSlots slots of `frameBytes` bytes, silent, stopped at
    // position 0. false: the voice could not be created (it stays absent).
    virtual bool createVoice(int voice, std::int32_t frameBytes) = 0;
    virtual bool playLooping(int voice) = 0;
    virtual void stop(int voice) = 0;
    // Fills the whole ring with silence.
    virtual void clearVoice(int voice) = 0;
    virtual void setPosition(int voice, std::int32_t bytes) = 0;
    virtual VoiceStatus status(int voice) = 0;
    // Copies one frame (frameBytes / 2 samples) into a slot; false when the
    // voice is absent or the slot could not be written.
    virtual bool writeSlot(int voice, int slot, std::span<const std::int16_t> samples) = 0;

    virtual AudioCounters counters() = 0;
    virtual AudioDeviceInfo info() const { return {}; }
};

}  // namespace vantorel
