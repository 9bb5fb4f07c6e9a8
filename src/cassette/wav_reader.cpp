#include "cassette/wav_reader.h"

#include <cstring>
#include <optional>

#include "files/binary_file.h"

namespace vantorel {

namespace {

constexpr std::size_t kChunkHeaderBytes = 8;  // identifier and 32-bit size
constexpr std::size_t kFormTypeBytes = 4;
constexpr std::size_t kFormatRecordBytes = 18;

struct Chunk {
    std::size_t dataStart = 0;  // offset of the chunk's contents in the file
    std::uint32_t size = 0;     // as the chunk header says
};

std::uint32_t little32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
           static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

std::uint16_t little16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

bool hasId(std::span<const std::uint8_t> bytes, std::size_t at, const char* id) {
    return std::memcmp(bytes.data() + at, id, 4) == 0;
}

// Walks the subchunks from `from` to `end` (the RIFF chunk's end, never
// beyond the file) and finds the first named `id`; a subchunk whose header
// or skipped contents run past `end` ends the search.
std::optional<Chunk> findSubchunk(std::span<const std::uint8_t> file, std::size_t from,
                                  std::size_t end, const char* id) {
    std::size_t at = from;
    while (at <= end && end - at >= kChunkHeaderBytes) {
        const Chunk chunk{at + kChunkHeaderBytes, little32(file, at + 4)};
        if (hasId(file, at, id)) return chunk;
        const std::uint64_t next = std::uint64_t{chunk.dataStart} + chunk.size + (chunk.size & 1u);
        if (next > end) return std::nullopt;
        at = static_cast<std::size_t>(next);
    }
    return std::nullopt;
}

WavReadResult failure(WavError error) {
    return WavReadResult{error, {}};
}

}  // namespace

const char* wavErrorMessage(WavError error) {
    switch (error) {
        case WavError::cannotRead:
            return "Cannot read input WAV file";
        case WavError::notEightBitMono:
            return "Input file must be an 8-bit Mono WAV file";
        case WavError::unknown:
            return "Unknown error while handling input WAV file";
        case WavError::none:
            break;
    }
    return "";
}

WavReadResult parseWav(std::span<const std::uint8_t> file) {
    if (file.size() < kChunkHeaderBytes) return failure(WavError::cannotRead);
    if (!hasId(file, 0, "RIFF")) return failure(WavError::notEightBitMono);
    if (file.size() < kChunkHeaderBytes + kFormTypeBytes) return failure(WavError::cannotRead);
    if (!hasId(file, kChunkHeaderBytes, "WAVE")) return failure(WavError::notEightBitMono);

    // The subchunks lie inside the RIFF chunk, and never beyond the file.
    const std::uint64_t riffEnd = std::uint64_t{kChunkHeaderBytes} + little32(file, 4);
    const auto end = static_cast<std::size_t>(std::min<std::uint64_t>(riffEnd, file.size()));
    const std::size_t first = kChunkHeaderBytes + kFormTypeBytes;

    const std::optional<Chunk> format = findSubchunk(file, first, end, "fmt ");
    if (!format) return failure(WavError::notEightBitMono);
    if (file.size() - format->dataStart < kFormatRecordBytes) return failure(WavError::cannotRead);
    const std::uint64_t formatEnd =
        std::uint64_t{format->dataStart} + format->size + (format->size & 1u);
    if (formatEnd > file.size()) return failure(WavError::cannotRead);  // cannot ascend out of it

    const std::uint16_t formatTag = little16(file, format->dataStart);
    const std::uint16_t channels = little16(file, format->dataStart + 2);
    const std::uint32_t sampleRate = little32(file, format->dataStart + 4);
    const std::uint16_t bitsPerSample = little16(file, format->dataStart + 14);
    if (formatTag != 1 || channels != 1 || bitsPerSample != 8) {
        return failure(WavError::notEightBitMono);
    }
    if (sampleRate == 0) return failure(WavError::cannotRead);  // no tape speed can follow

    const std::optional<Chunk> data =
        findSubchunk(file, static_cast<std::size_t>(formatEnd), end, "data");
    if (!data) return failure(WavError::notEightBitMono);
    if (data->size > file.size() - data->dataStart) return failure(WavError::cannotRead);

    WavReadResult result;
    result.tape.sampleRate = sampleRate;
    const auto samples = file.subspan(data->dataStart, data->size);
    result.tape.samples.assign(samples.begin(), samples.end());
    return result;
}

WavReadResult readWavFile(const std::filesystem::path& path) {
    std::optional<std::ifstream> file = openBinaryFile(path);
    if (!file) return failure(WavError::cannotRead);
    return readWav(*file);
}

WavReadResult readWav(std::ifstream& file) {
    const std::optional<std::uintmax_t> size = fileSizeBySeeking(file);
    if (!size || *size > kMaxWavFileBytes) return failure(WavError::cannotRead);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(*size));
    if (!readExactly(file, bytes.data(), bytes.size())) return failure(WavError::cannotRead);
    return parseWav(bytes);
}

}  // namespace vantorel
