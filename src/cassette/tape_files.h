// Tape files on disk: raw tapes read whole, recordings written whole.
//
// A raw tape (.cvz) is the bytes the UART receives. A recording is written
// as the raw bytes sent, or as an 8-bit mono PCM WAV file at 44100 Hz, in one
// step: to a new file beside the target, then renamed over it, so the file
// under the chosen name is always either the old one or the whole new one.
//
// Called by the program's Play Cassette File (app/fed_files.h) and by
// Machine when a recording ends.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "cassette/tape_recording.h"

namespace vantorel {

// Larger raw tapes are refused before anything is allocated (at 1200 baud
// 64 MB would play for six days).
inline constexpr std::uintmax_t kMaxRawTapeBytes = 64u * 1024u * 1024u;  // bytes

enum class RawTapeRead : std::uint8_t {
    notOpened,  // the file could not be opened for reading
    loaded,     // `bytes` holds the whole file, at least one byte
    unusable,   // empty, too large, or it read short
};

struct RawTapeFile {
    RawTapeRead result = RawTapeRead::notOpened;
    std::vector<std::uint8_t> bytes;
};

RawTapeFile readRawTapeFile(const std::filesystem::path& path);
// The same from a file already opened for binary reading (never notOpened).
RawTapeFile readRawTape(std::ifstream& stream);

// For files named from outside (the command line): a name ending in ".wav",
// in any case, is a WAV tape, any other a raw one.
TapeFormat tapeFormatForName(const std::filesystem::path& path);

// The file a recording makes: its bytes, or the WAV file of its signal.
std::vector<std::uint8_t> recordingFileBytes(const TapeRecording& recording);

// Writes the recording's file in place of `path`; false, with any old file
// left as it was, when it cannot be written.
bool writeRecordingFile(const std::filesystem::path& path, const TapeRecording& recording);

}  // namespace vantorel
