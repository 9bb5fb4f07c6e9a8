#include "cassette/tape_recording_file.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <string_view>
#include <system_error>

namespace vantorel {

namespace fs = std::filesystem;

namespace {

constexpr std::uint8_t kWavPadByte = 128;  // silence, after an odd number of samples

std::string_view asText(const std::uint8_t* bytes, std::size_t count) {
    return {reinterpret_cast<const char*>(bytes), count};
}

template <class Bytes>
std::string_view asText(const Bytes& bytes) {
    return asText(bytes.data(), bytes.size());
}

}  // namespace

std::unique_ptr<TapeRecordingFile> TapeRecordingFile::start(const fs::path& path, TapeFormat format,
                                                            TapeRecordingLimits limits) {
    std::unique_ptr<TapeRecordingFile> recording(new TapeRecordingFile(path, format, limits));
    if (!recording->open()) return nullptr;
    return recording;
}

TapeRecordingFile::TapeRecordingFile(const fs::path& path, TapeFormat format,
                                     TapeRecordingLimits limits)
    : path_(path), format_(format), limits_(limits) {}

TapeRecordingFile::~TapeRecordingFile() {
    removeSpool();
}

// The new file, with a WAV file's header (its sizes still 0) in place; from
// then on a failure keeps what reached it.
bool TapeRecordingFile::open() {
    if (!file_.create(path_)) return false;
    if (format_ == TapeFormat::wav &&
        !(file_.write(asText(wavHeader(0, kRecordingSampleRate))) && file_.flush())) {
        return false;
    }
    spool_ = file_.tempPath();
    file_.keepOnFailure();
    pending_.reserve(limits_.bufferBytes);
    return true;
}

void TapeRecordingFile::take(TapeRecording& recording) {
    bytesSent_ += recording.bytes.size();
    if (state_ == State::recording) {
        if (format_ == TapeFormat::raw) {
            pending_.insert(pending_.end(), recording.bytes.begin(), recording.bytes.end());
            dataBytes_ += recording.bytes.size();
        } else {
            takeCells(recording.cells);
        }
        if (pending_.size() >= limits_.bufferBytes) writePending();
    }
    recording.bytes.clear();
    recording.cells.clear();
}

// Each cell's samples, up to the limit: the cell that reaches it is cut there.
void TapeRecordingFile::takeCells(const std::vector<std::uint8_t>& cells) {
    for (const std::uint8_t cell : cells) {
        if (full_) return;
        const std::size_t before = pending_.size();
        encoder_.encode(cell, pending_);
        const std::uint64_t added = pending_.size() - before;
        if (dataBytes_ + added >= limits_.wavDataBytes) {
            pending_.resize(before + static_cast<std::size_t>(limits_.wavDataBytes - dataBytes_));
            dataBytes_ = limits_.wavDataBytes;
            full_ = true;
            return;
        }
        dataBytes_ += added;
    }
}

// Once the file has refused a write, everything after stays in memory for
// saveAs: what the file holds ends at the last piece it took whole.
void TapeRecordingFile::writePending() {
    if (pending_.empty() || writeFailed_) return;
    if (file_.write(asText(pending_)) && file_.flush()) {
        spooled_ += pending_.size();
        pending_.clear();
    } else {
        writeFailed_ = true;
    }
}

bool TapeRecordingFile::finish() {
    if (state_ != State::recording) return state_ == State::written;
    writePending();
    const bool written = !writeFailed_ &&
                         (format_ == TapeFormat::raw || completeWav(file_, dataBytes_)) &&
                         file_.commit();
    if (written) {
        spool_.clear();  // it is the file now
        pending_ = {};
        state_ = State::written;
    } else {
        state_ = State::unsaved;
    }
    return written;
}

// The pad byte after an odd number of samples, and the header's sizes.
bool TapeRecordingFile::completeWav(ReplacementFile& file, std::uint64_t dataBytes) {
    if ((dataBytes & 1u) != 0 && !file.write(asText(&kWavPadByte, 1))) return false;
    const auto header = wavHeader(static_cast<std::uint32_t>(dataBytes), kRecordingSampleRate);
    return file.writeAt(0, asText(header));
}

bool TapeRecordingFile::saveAs(const fs::path& path) {
    if (state_ != State::unsaved) return false;
    ReplacementFile out;
    if (!out.create(path)) return false;
    const bool wav = format_ == TapeFormat::wav;
    if (wav && !out.write(asText(wavHeader(0, kRecordingSampleRate)))) return false;
    std::uint64_t copied = 0;
    if (!copySpool(out, copied) || !out.write(asText(pending_))) return false;
    const std::uint64_t total = copied + pending_.size();
    if ((wav && !completeWav(out, total)) || !out.commit()) return false;
    removeSpool();
    pending_ = {};
    path_ = path;
    dataBytes_ = total;
    state_ = State::written;
    return true;
}

// The data that reached the new file before it failed: after the header,
// up to what it was known to hold (less, should the disk have lost some).
bool TapeRecordingFile::copySpool(ReplacementFile& out, std::uint64_t& copied) {
    if (spool_.empty() || spooled_ == 0) return true;
    std::ifstream in(spool_, std::ios::binary);
    if (!in) return false;  // gone: the recording cannot be written whole
    in.seekg(format_ == TapeFormat::wav ? static_cast<std::streamoff>(kWavHeaderBytes) : 0);
    std::array<char, 64 * 1024> chunk;
    while (in && copied < spooled_) {
        const auto want =
            static_cast<std::streamsize>(std::min<std::uint64_t>(chunk.size(), spooled_ - copied));
        in.read(chunk.data(), want);
        const auto got = static_cast<std::size_t>(in.gcount());
        if (got == 0) break;
        if (!out.write({chunk.data(), got})) return false;
        copied += got;
    }
    return true;
}

void TapeRecordingFile::drop() {
    if (state_ != State::unsaved) return;
    removeSpool();
    pending_ = {};
    state_ = State::dropped;
}

void TapeRecordingFile::removeSpool() {
    if (spool_.empty()) return;
    std::error_code error;
    fs::remove(spool_, error);
    spool_.clear();
}

}  // namespace vantorel
