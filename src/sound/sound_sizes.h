// How much audio one emulated frame is, from the frames per second.
//
// Every voice plays 22050 samples (44100 bytes) a second; a frame's share is
// rounded up to an even number of bytes, so that it is whole samples: 736
// bytes (368 samples) at 60 frames per second, 882 (441) at 50. Each voice
// ring holds 12 such frames. Read by the sound output when it starts.
#pragma once

#include <algorithm>
#include <cstdint>

#include "sound/audio_device.h"

namespace vantorel {

inline constexpr std::int32_t kAudioBytesPerSecondVoice = kSampleRate * kBytesPerSample;

// 44100 / fps + 1 with the lowest bit cleared; at least one sample, so a
// frame rate no settings dialog offers still gives a usable ring.
constexpr std::int32_t frameBytesFor(std::int32_t framesPerSecond) {
    const std::int32_t fps = std::max(framesPerSecond, 1);
    return std::max((kAudioBytesPerSecondVoice / fps + 1) & ~1, kBytesPerSample);
}

constexpr std::int32_t frameSamplesFor(std::int32_t framesPerSecond) {
    return frameBytesFor(framesPerSecond) / kBytesPerSample;
}

constexpr std::int32_t ringBytesFor(std::int32_t framesPerSecond) {
    return frameBytesFor(framesPerSecond) * kRingSlots;
}

}  // namespace vantorel
