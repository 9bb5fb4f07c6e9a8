#include "app/wav_recorder.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string_view>

#include "machine/machine.h"

namespace vantorel {

namespace {

constexpr std::uint32_t kHeaderBytes = 44;

using WavHeader = std::array<char, kHeaderBytes>;

void putLittle(WavHeader& header, std::size_t at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        header[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

void putTag(WavHeader& header, std::size_t at, const char* tag) {
    for (std::size_t i = 0; i < 4; ++i) header[at + i] = tag[i];
}

WavHeader wavHeader(std::uint32_t dataBytes) {
    WavHeader header{};
    putTag(header, 0, "RIFF");
    putLittle(header, 4, kHeaderBytes - 8 + dataBytes, 4);
    putTag(header, 8, "WAVE");
    putTag(header, 12, "fmt ");
    putLittle(header, 16, 16, 4);  // format chunk size
    putLittle(header, 20, 1, 2);   // PCM
    putLittle(header, 22, 1, 2);   // mono
    putLittle(header, 24, kSampleRate, 4);
    putLittle(header, 28, kSampleRate * kBytesPerSample, 4);
    putLittle(header, 32, kBytesPerSample, 2);  // block alignment
    putLittle(header, 34, 16, 2);               // bits per sample
    putTag(header, 36, "data");
    putLittle(header, 40, dataBytes, 4);
    return header;
}

std::string_view bytesOf(const WavHeader& header) {
    return {header.data(), header.size()};
}

}  // namespace

WavRecorder::WavRecorder(Machine& machine)
    : machine_(machine), sound_(machine.config(), machine.timing(), &device_) {}

WavRecorder::~WavRecorder() {
    detach();
}

void WavRecorder::detach() {
    if (!attached_) return;
    MachineHost host = machine_.host();
    host.speaker = passOn_;
    machine_.attachHost(host);
    attached_ = false;
}

// The header goes first with no data; finish() writes the sizes into it.
bool WavRecorder::open(const std::filesystem::path& path) {
    if (recording_ || !file_.create(path) || !file_.write(bytesOf(wavHeader(0)))) return false;
    MachineHost host = machine_.host();
    passOn_ = host.speaker;
    // Behind another sound output the chip is rendered from a copy: starting
    // this one then leaves the machine's chip as it was.
    sound_.ay().useChip(passOn_ != nullptr ? nullptr : &machine_.ayChip());
    startOutput();
    recording_ = true;
    samplesWritten_ = 0;
    host.speaker = this;
    machine_.attachHost(host);
    attached_ = true;
    return true;
}

void WavRecorder::startOutput() {
    sound_.initSound();
    frame_.assign(static_cast<std::size_t>(sound_.frameSamples()), 0);
    frameBytes_.assign(frame_.size() * kBytesPerSample, 0);
}

void WavRecorder::restart() {
    if (!recording_) return;
    playOutRings();
    sound_.releaseSound();
    startOutput();
}

void WavRecorder::playOutRings() {
    for (int frame = 0; frame < kLeadSlots; ++frame) playOneFrame();
}

void WavRecorder::beginFrameSound(std::uint32_t frameStartTStates) {
    if (passOn_ != nullptr) {
        sound_.ay().chip() = machine_.ayChip();
        passOn_->beginFrameSound(frameStartTStates);
    }
    sound_.beginFrameSound(frameStartTStates);
}

void WavRecorder::recordSpeakerEdge(std::uint32_t tstates, std::uint8_t level) {
    if (passOn_ != nullptr) passOn_->recordSpeakerEdge(tstates, level);
    sound_.recordSpeakerEdge(tstates, level);
}

void WavRecorder::endFrameSound() {
    if (passOn_ != nullptr) passOn_->endFrameSound();
    sound_.endFrameSound();
    playOneFrame();
}

// Once a write has failed the file is gone, and the frames are only counted.
void WavRecorder::playOneFrame() {
    device_.pull(frame_);
    if (file_.isOpen()) {
        for (std::size_t i = 0; i < frame_.size(); ++i) {
            const auto value = static_cast<std::uint16_t>(frame_[i]);
            frameBytes_[2 * i] = static_cast<char>(value & 0xFF);
            frameBytes_[2 * i + 1] = static_cast<char>(value >> 8);
        }
        file_.write({frameBytes_.data(), frameBytes_.size()});
    }
    samplesWritten_ += static_cast<std::int64_t>(frame_.size());
}

// The frames written but not yet played are played out, so the file ends
// with the last frame the machine ran.
bool WavRecorder::finish() {
    if (!recording_) return false;
    playOutRings();
    const std::int64_t dataBytes = samplesWritten_ * kBytesPerSample;
    const std::int64_t limit = std::numeric_limits<std::uint32_t>::max() - kHeaderBytes;
    const WavHeader header = wavHeader(static_cast<std::uint32_t>(std::min(dataBytes, limit)));
    const bool written = file_.writeAt(0, bytesOf(header)) && file_.commit();
    sound_.releaseSound();
    recording_ = false;
    detach();
    return written;
}

}  // namespace vantorel
