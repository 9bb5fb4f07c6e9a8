#include "cassette/tape_files.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

#include "cassette/wav_encoder.h"
#include "config/profile_file.h"
#include "files/binary_file.h"

namespace vantorel {

namespace fs = std::filesystem;

RawTapeFile readRawTapeFile(const fs::path& path) {
    std::optional<std::ifstream> stream = openBinaryFile(path);
    if (!stream) return {};
    return readRawTape(*stream);
}

RawTapeFile readRawTape(std::ifstream& stream) {
    RawTapeFile file;
    file.result = RawTapeRead::unusable;
    const std::optional<std::uintmax_t> size = fileSizeBySeeking(stream);
    if (!size || *size == 0 || *size > kMaxRawTapeBytes) return file;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(*size));
    if (!readExactly(stream, bytes.data(), bytes.size())) return file;
    file.bytes = std::move(bytes);
    file.result = RawTapeRead::loaded;
    return file;
}

TapeFormat tapeFormatForName(const fs::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".wav" ? TapeFormat::wav : TapeFormat::raw;
}

std::vector<std::uint8_t> recordingFileBytes(const TapeRecording& recording) {
    if (recording.format == TapeFormat::raw) return recording.bytes;
    return wavFileBytes(encodeTapeSignal(recording.cells), kRecordingSampleRate);
}

bool writeRecordingFile(const fs::path& path, const TapeRecording& recording) {
    const std::vector<std::uint8_t> bytes = recordingFileBytes(recording);
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return writeFileAtomically(path, text);
}

}  // namespace vantorel
