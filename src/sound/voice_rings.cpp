#include "sound/voice_rings.h"

#include <algorithm>
#include <vector>

namespace vantorel {

namespace {

// What a slot holds, for the hand-off between writer and player.
enum SlotState : std::uint8_t {
    kSilent,   // cleared: plays silence, may be written
    kReady,    // written, not yet played
    kWriting,  // the writer is copying into it
    kReading,  // the player is inside it
    kPlayed,   // played since it was last written
};

constexpr std::size_t kMixChunk = 512;  // samples summed at a time on the stack

std::int16_t saturate(std::int32_t value) {
    return static_cast<std::int16_t>(std::clamp<std::int32_t>(value, -32768, 32767));
}

}  // namespace

struct VoiceRings::Voice {
    std::vector<std::int16_t> samples;  // kRingSlots x slotSamples
    std::int32_t slotSamples = 0;
    std::array<std::atomic<std::uint8_t>, kRingSlots> slotStates{};
    std::atomic<bool> playing{false};
    std::atomic<std::int32_t> positionSamples{0};  // written by the player, and under control
    // The player's own: the slot it is inside (-1 none) and whether it may read it.
    int currentSlot = -1;
    bool currentReadable = false;

    std::int32_t ringSamples() const { return slotSamples * kRingSlots; }
};

VoiceRings::VoiceRings() = default;
VoiceRings::~VoiceRings() = default;

VoiceRings::Voice* VoiceRings::voiceAt(int voice) {
    if (voice < 0 || voice >= kVoiceCount) return nullptr;
    return voices_[static_cast<std::size_t>(voice)].get();
}

const VoiceRings::Voice* VoiceRings::voiceAt(int voice) const {
    if (voice < 0 || voice >= kVoiceCount) return nullptr;
    return voices_[static_cast<std::size_t>(voice)].get();
}

bool VoiceRings::create(int voice, std::int32_t frameBytes) {
    if (voice < 0 || voice >= kVoiceCount || frameBytes < kBytesPerSample) return false;
    auto created = std::make_unique<Voice>();
    created->slotSamples = frameBytes / kBytesPerSample;
    created->samples.assign(static_cast<std::size_t>(created->ringSamples()), 0);
    for (auto& state : created->slotStates) state.store(kSilent);
    voices_[static_cast<std::size_t>(voice)] = std::move(created);
    return true;
}

void VoiceRings::release(int voice) {
    if (voice >= 0 && voice < kVoiceCount) voices_[static_cast<std::size_t>(voice)].reset();
}

void VoiceRings::releaseAll() {
    for (auto& voice : voices_) voice.reset();
}

void VoiceRings::play(int voice) {
    if (Voice* v = voiceAt(voice)) v->playing.store(true);
}

void VoiceRings::stop(int voice) {
    if (Voice* v = voiceAt(voice)) v->playing.store(false);
}

void VoiceRings::clear(int voice) {
    Voice* v = voiceAt(voice);
    if (v == nullptr) return;
    std::fill(v->samples.begin(), v->samples.end(), std::int16_t{0});
    for (auto& state : v->slotStates) state.store(kSilent);
    v->currentSlot = -1;
    v->currentReadable = false;
}

void VoiceRings::setPosition(int voice, std::int32_t bytes) {
    Voice* v = voiceAt(voice);
    if (v == nullptr) return;
    const std::int32_t samples = std::clamp(bytes / kBytesPerSample, 0, v->ringSamples() - 1);
    if (v->currentSlot >= 0) leaveSlot(*v);
    v->positionSamples.store(samples);
}

VoiceStatus VoiceRings::status(int voice) const {
    const Voice* v = voiceAt(voice);
    if (v == nullptr) return {};
    return {true, v->playing.load(std::memory_order_acquire),
            v->positionSamples.load(std::memory_order_acquire) * kBytesPerSample};
}

// The writer claims the slot (it is never the one being played), copies,
// and publishes it as ready; the player's acquire of the state sees the copy.
bool VoiceRings::write(int voice, int slot, std::span<const std::int16_t> samples) {
    Voice* v = voiceAt(voice);
    if (v == nullptr || slot < 0 || slot >= kRingSlots) return false;
    auto& state = v->slotStates[static_cast<std::size_t>(slot)];
    std::uint8_t seen = state.load(std::memory_order_acquire);
    do {
        if (seen == kReading) {
            overwrites_.fetch_add(1, std::memory_order_relaxed);
            return false;
        }
    } while (!state.compare_exchange_weak(seen, kWriting, std::memory_order_acq_rel));
    if (seen == kReady) overwrites_.fetch_add(1, std::memory_order_relaxed);
    const std::size_t count = std::min(samples.size(), static_cast<std::size_t>(v->slotSamples));
    std::copy_n(samples.begin(), count,
                v->samples.begin() + static_cast<std::ptrdiff_t>(slot) * v->slotSamples);
    state.store(kReady, std::memory_order_release);
    return true;
}

AudioCounters VoiceRings::counters() const {
    return {underruns_.load(std::memory_order_relaxed),
            overwrites_.load(std::memory_order_relaxed)};
}

void VoiceRings::mix(std::span<std::int16_t> out) {
    std::array<std::int32_t, kMixChunk> sum;
    for (std::size_t done = 0; done < out.size();) {
        const std::size_t count = std::min(kMixChunk, out.size() - done);
        std::fill_n(sum.begin(), count, 0);
        for (auto& voice : voices_) {
            if (voice && voice->playing.load(std::memory_order_acquire)) {
                mixVoice(*voice, std::span<std::int32_t>(sum.data(), count));
            }
        }
        for (std::size_t i = 0; i < count; ++i) out[done + i] = saturate(sum[i]);
        done += count;
    }
}

void VoiceRings::mixVoice(Voice& voice, std::span<std::int32_t> sum) {
    std::int32_t position = voice.positionSamples.load(std::memory_order_relaxed);
    std::size_t done = 0;
    while (done < sum.size()) {
        const int slot = static_cast<int>(position / voice.slotSamples);
        if (slot != voice.currentSlot) enterSlot(voice, slot);
        const std::int32_t inSlot = position % voice.slotSamples;
        const std::size_t take =
            std::min(sum.size() - done, static_cast<std::size_t>(voice.slotSamples - inSlot));
        if (voice.currentReadable) {
            const std::int16_t* from = voice.samples.data() + position;
            for (std::size_t i = 0; i < take; ++i) sum[done + i] += from[i];
        }
        done += take;
        position += static_cast<std::int32_t>(take);
        if (position % voice.slotSamples == 0) {
            leaveSlot(voice);
            if (position >= voice.ringSamples()) position = 0;
        }
    }
    voice.positionSamples.store(position, std::memory_order_release);
}

// Entering a slot takes it from the writer if it holds fresh (or cleared)
// audio; anything else is an underrun and plays as silence.
void VoiceRings::enterSlot(Voice& voice, int slot) {
    auto& state = voice.slotStates[static_cast<std::size_t>(slot)];
    voice.currentSlot = slot;
    voice.currentReadable = false;
    std::uint8_t seen = state.load(std::memory_order_acquire);
    while (seen == kReady || seen == kSilent) {
        if (state.compare_exchange_weak(seen, kReading, std::memory_order_acq_rel)) {
            voice.currentReadable = true;
            return;
        }
    }
    underruns_.fetch_add(1, std::memory_order_relaxed);
}

void VoiceRings::leaveSlot(Voice& voice) {
    if (voice.currentReadable) {
        voice.slotStates[static_cast<std::size_t>(voice.currentSlot)].store(
            kPlayed, std::memory_order_release);
    }
    voice.currentSlot = -1;
    voice.currentReadable = false;
}

}  // namespace vantorel
