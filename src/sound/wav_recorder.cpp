#include "sound/wav_recorder.h"

#include <array>
#include <limits>

#include "machine/machine.h"

namespace vantorel {

namespace {

constexpr std::uint32_t kHeaderBytes = 44;

void putLittle(std::array<char, kHeaderBytes>& header, std::size_t at, std::uint32_t value,
               int bytes) {
    for (int i = 0; i < bytes; ++i) {
        header[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

void putTag(std::array<char, kHeaderBytes>& header, std::size_t at, const char* tag) {
    for (std::size_t i = 0; i < 4; ++i) header[at + i] = tag[i];
}

}  // namespace

WavRecorder::WavRecorder(Machine& machine) : machine_(machine), sound_(machine, &device_) {}

WavRecorder::~WavRecorder() {
    if (attached_) {
        MachineHost host = machine_.host();
        host.speaker = nullptr;
        machine_.attachHost(host);
    }
}

bool WavRecorder::open(const std::filesystem::path& path) {
    file_.open(path, std::ios::binary | std::ios::trunc);
    if (!file_) return false;
    writeHeader(0);
    sound_.initSound();
    frame_.assign(static_cast<std::size_t>(sound_.frameSamples()), 0);
    MachineHost host = machine_.host();
    host.speaker = this;
    machine_.attachHost(host);
    attached_ = true;
    return static_cast<bool>(file_);
}

void WavRecorder::beginFrameSound(std::uint32_t frameStartTStates) {
    sound_.beginFrameSound(frameStartTStates);
}

void WavRecorder::recordSpeakerEdge(std::uint32_t tstates, std::uint8_t level) {
    sound_.recordSpeakerEdge(tstates, level);
}

void WavRecorder::endFrameSound() {
    sound_.endFrameSound();
    playOneFrame();
}

void WavRecorder::playOneFrame() {
    device_.pull(frame_);
    for (std::int16_t sample : frame_) {
        const auto value = static_cast<std::uint16_t>(sample);
        const char bytes[2] = {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
        file_.write(bytes, 2);
    }
    samplesWritten_ += static_cast<std::int64_t>(frame_.size());
}

// The frames written but not yet played are played out, so the file ends
// with the last frame the machine ran.
bool WavRecorder::finish() {
    if (!file_.is_open()) return false;
    for (int frame = 0; frame < kLeadSlots; ++frame) playOneFrame();
    const std::int64_t dataBytes = samplesWritten_ * kBytesPerSample;
    const std::int64_t limit = std::numeric_limits<std::uint32_t>::max() - kHeaderBytes;
    file_.seekp(0);
    writeHeader(static_cast<std::uint32_t>(std::min(dataBytes, limit)));
    file_.close();
    sound_.releaseSound();
    return !file_.fail();
}

void WavRecorder::writeHeader(std::uint32_t dataBytes) {
    std::array<char, kHeaderBytes> header{};
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
    file_.write(header.data(), header.size());
}

}  // namespace vantorel
