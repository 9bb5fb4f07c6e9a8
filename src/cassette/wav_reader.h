// Reading an 8-bit mono PCM WAV file for the tape, with our own RIFF reader.
//
// The checks run in this order, each with its message:
//   1. the file opens                                -> "Cannot read input WAV file"
//   2. it holds a first chunk header                 -> "Cannot read input WAV file"
//   3. that chunk is "RIFF" with form type "WAVE"    -> "Input file must be an 8-bit Mono WAV file"
//   4. a "fmt " subchunk follows inside it           -> "Input file must be an 8-bit Mono WAV file"
//   5. 18 bytes of format record can be read from it (even when the chunk
//      holds the usual 16) and the chunk's end lies in the file
//                                                    -> "Cannot read input WAV file"
//   6. format tag 1 (PCM), one channel, 8 bits       -> "Input file must be an 8-bit Mono WAV file"
//      and a sample rate above 0                     -> "Cannot read input WAV file"
//   7. a "data" subchunk follows                     -> "Input file must be an 8-bit Mono WAV file"
//      and lies wholly in the file                   -> "Cannot read input WAV file"
//   8. its samples are taken whole into memory.
// Any sample rate is accepted. Every chunk size and offset is checked against
// the file, so a truncated or hostile file gets its message and nothing is
// read past its end. Subchunks are word aligned (a pad byte after an odd size).
//
// Called by Play Cassette File (app/fed_files.h) for a file chosen under the
// WAV filter.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>
#include <vector>

namespace vantorel {

enum class WavError : std::uint8_t {
    none,
    cannotRead,       // "Cannot read input WAV file"
    notEightBitMono,  // "Input file must be an 8-bit Mono WAV file"
    unknown,          // "Unknown error while handling input WAV file" (no step of this
                      // reader ends so; kept so that every message has its name)
};

// The message the user sees; empty for WavError::none.
const char* wavErrorMessage(WavError error);

struct WavTape {
    std::uint32_t sampleRate = 0;       // samples per second, above 0
    std::vector<std::uint8_t> samples;  // unsigned 8-bit, 128 = silence
};

struct WavReadResult {
    WavError error = WavError::none;
    WavTape tape;  // filled when error is none
};

// Files larger than this are not read into memory (about 6 hours at 48 kHz).
inline constexpr std::uintmax_t kMaxWavFileBytes = 1024u * 1024u * 1024u;  // bytes

// Checks the bytes of a whole file and takes its samples.
WavReadResult parseWav(std::span<const std::uint8_t> file);
// Reads the file and checks it as parseWav does.
WavReadResult readWavFile(const std::filesystem::path& path);
// The same from a file already opened for binary reading.
WavReadResult readWav(std::ifstream& file);

}  // namespace vantorel
