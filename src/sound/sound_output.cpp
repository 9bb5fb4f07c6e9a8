#include "sound/sound_output.h"

#include <algorithm>

#include "sound/sound_sizes.h"

namespace vantorel {

namespace {

// Two frames, so a click starting late in a frame fits; at frame rates so
// high that a frame is shorter than a click, one frame and a click.
std::size_t stagingSamplesFor(std::int32_t frameSamples) {
    return static_cast<std::size_t>(std::max(2 * frameSamples, frameSamples + kClickSamples));
}

void freeStaging(std::vector<std::int16_t>& staging) {
    std::vector<std::int16_t>().swap(staging);
}

}  // namespace

SoundOutput::SoundOutput(const MachineConfig& config, const FrameTiming& timing,
                         AudioDevice* device)
    : config_(config), timing_(timing), device_(device) {}

SoundOutput::~SoundOutput() {
    releaseSound();
}

bool SoundOutput::initSound() {
    const MachineConfig& config = config_;
    voices_.fill(false);
    deviceOpen_ = device_ != nullptr && device_->open();
    frameBytes_ = frameBytesFor(timing_.framesPerSecond);
    frameSamples_ = frameBytes_ / kBytesPerSample;
    silence_.assign(static_cast<std::size_t>(frameSamples_), 0);
    bool started = false;
    if (deviceOpen_) {
        int ready = 0;
        if (config.clickerflag) {
            ready += createVoice(kClickerVoice, clickerStaging_) ? 1 : 0;
        } else {
            ++ready;
        }
        for (int channel = 0; channel < 3; ++channel) {
            if (config.ayflag) {
                auto& staging = generatorStaging_[static_cast<std::size_t>(channel)];
                ready += createVoice(kClickerVoice + 1 + channel, staging) ? 1 : 0;
            } else {
                ++ready;
            }
        }
        started = ready == kVoiceCount;
    }
    if (started) {
        ay_.ayStart(config.ayvolpct);
        generatorRunning_ = true;
        pace_ = {frameBytes_, 0, true};
    } else {
        // Without sound the frames keep the scheduler's own period, for the
        // frame rate of now (it may have changed since the window opened).
        pace_ = {frameBytes_, 0, false};
    }
    clicks_ = buildClickTables(config.clickervolpct);
    writeSlot_ = kFirstWriteSlot;
    carry_ = false;
    stopped_ = false;
    lead_.restart();
    return started;
}

// The ring is created silent by the device; the staging area is one frame
// and the room for a click that runs over.
bool SoundOutput::createVoice(int voice, std::vector<std::int16_t>& staging) {
    if (!device_->createVoice(voice, frameBytes_)) return false;
    voices_[static_cast<std::size_t>(voice)] = true;
    staging.assign(stagingSamplesFor(frameSamples_), 0);
    return true;
}

void SoundOutput::releaseSound() {
    if (deviceOpen_) {
        for (int voice = 0; voice < kVoiceCount; ++voice) {
            if (voicePresent(voice) && device_->status(voice).playing) device_->stop(voice);
        }
        device_->close();
    }
    deviceOpen_ = false;
    voices_.fill(false);
    freeStaging(clickerStaging_);
    for (auto& staging : generatorStaging_) freeStaging(staging);
    freeStaging(silence_);
}

bool SoundOutput::restartSound() {
    releaseSound();
    return initSound();
}

void SoundOutput::stopSound() {
    stopped_ = true;
    if (deviceOpen_) {
        for (int voice = 0; voice < kVoiceCount; ++voice) {
            if (!voicePresent(voice)) continue;
            device_->stop(voice);
            device_->clearVoice(voice);
            device_->setPosition(voice, 0);
        }
    }
    lead_.resync();
    writeSlot_ = lead_.leadSlots();
}

void SoundOutput::beginFrameSound(std::uint32_t frameStartTStates) {
    stopped_ = false;
    if (!clickerStaging_.empty()) {
        const auto begin = clickerStaging_.begin();
        if (carry_) {
            std::copy(begin + frameSamples_, begin + frameSamples_ + kClickSamples, begin);
            std::fill(begin + kClickSamples, clickerStaging_.end(), std::int16_t{0});
        } else {
            std::fill(begin, clickerStaging_.end(), std::int16_t{0});
        }
    }
    const FrameTiming& timing = timing_;
    tstatesPerFrame_ = std::int64_t{timing.activeScanTStates} + timing.verticalBlankTStates;
    carry_ = false;
    frameStartTStates_ = frameStartTStates;
    startVoices();
}

void SoundOutput::startVoices() {
    if (!deviceOpen_) return;
    for (int voice = 0; voice < kVoiceCount; ++voice) {
        if (voicePresent(voice) && !device_->status(voice).playing) device_->playLooping(voice);
    }
}

// The click starts at the edge's share of the frame's samples. An edge past
// the frame's budget (the last instruction overran it) still fits: the
// start is held where the whole click fits in the staging area.
void SoundOutput::recordSpeakerEdge(std::uint32_t tstates, std::uint8_t level) {
    carry_ = true;
    if (clickerStaging_.empty()) return;
    const std::uint32_t elapsed = tstates - frameStartTStates_;
    std::int64_t start =
        tstatesPerFrame_ > 0 ? std::int64_t{frameSamples_} * elapsed / tstatesPerFrame_ : 0;
    start = std::min<std::int64_t>(
        start, static_cast<std::int64_t>(clickerStaging_.size()) - kClickSamples);
    const ClickTable& click = (level & 1) ? clicks_.rising : clicks_.falling;
    std::copy(click.begin(), click.end(), clickerStaging_.begin() + start);
}

void SoundOutput::endFrameSound() {
    if (stopped_) return;
    const bool generatorReady =
        std::all_of(generatorStaging_.begin(), generatorStaging_.end(),
                    [](const std::vector<std::int16_t>& staging) { return !staging.empty(); });
    if (generatorRunning_ && generatorReady) {
        ay_.ayGenerate(0, generatorStaging_[0], generatorStaging_[1], generatorStaging_[2],
                       frameSamples_);
    }
    // Written once; twice when the lead grows; left out when it comes down.
    const int copies = 1 + keepLead();
    for (int copy = 0; copy < copies; ++copy) {
        for (int channel = 0; channel < 3; ++channel) {
            writeVoice(kClickerVoice + 1 + channel,
                       generatorStaging_[static_cast<std::size_t>(channel)]);
        }
        writeVoice(kClickerVoice, clickerStaging_);
        writeSlot_ = (writeSlot_ + 1) % kRingSlots;
    }
    ++framesWritten_;
}

void SoundOutput::writeVoice(int voice, const std::vector<std::int16_t>& staging) {
    if (!voicePresent(voice) || staging.empty()) return;
    const std::vector<std::int16_t>& samples = muted_ ? silence_ : staging;
    device_->writeSlot(
        voice, writeSlot_,
        std::span<const std::int16_t>(samples.data(), static_cast<std::size_t>(frameSamples_)));
}

// Measured on the first playing voice: all of them start together and the
// device plays them from one clock.
int SoundOutput::referenceVoice() const {
    for (int voice = 0; voice < kVoiceCount; ++voice) {
        if (voicePresent(voice)) return voice;
    }
    return -1;
}

int SoundOutput::keepLead() {
    if (!deviceOpen_) return 0;
    const int voice = referenceVoice();
    if (voice < 0) return 0;
    const VoiceStatus status = device_->status(voice);
    if (!status.playing) return 0;
    const LeadStep step = lead_.update(writeSlot_, status.playPositionBytes, frameBytes_,
                                       device_->counters().underruns);
    if (step.lost) restartPlayback();
    pace_ = {frameBytes_, step.ratePpm, true};
    return step.lost ? 0 : step.leadChange;
}

// As after stopSound, but playing again at once: this frame goes to the
// slot the lead asks for (3 unless it grew).
void SoundOutput::restartPlayback() {
    for (int voice = 0; voice < kVoiceCount; ++voice) {
        if (!voicePresent(voice)) continue;
        device_->stop(voice);
        device_->clearVoice(voice);
        device_->setPosition(voice, 0);
    }
    writeSlot_ = lead_.leadSlots();
    startVoices();
}

}  // namespace vantorel
