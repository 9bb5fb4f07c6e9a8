// A tape as it went into the deck: the bytes of a raw tape (.cvz) or the
// samples of a WAV tape.
//
// Made once when a tape is put in and never changed afterwards, so the
// machine and every state captured while it plays can share one copy
// (std::shared_ptr<const TapeMedia>). The deck's own state (tape_deck.h)
// names the tape only by its kind and length and reads the data through a
// TapeIo at every port access.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "cassette/tape_recording.h"
#include "cassette/wav_reader.h"

namespace vantorel {

struct TapeMedia {
    TapeFormat format = TapeFormat::raw;  // raw: `data` is the bytes; wav: the samples
    std::uint32_t sampleRate = 0;         // WAV tapes only: samples per second, above 0
    std::vector<std::uint8_t> data;       // the raw tape's bytes or the WAV tape's 8-bit samples

    friend bool operator==(const TapeMedia&, const TapeMedia&) = default;

    static std::shared_ptr<const TapeMedia> raw(std::vector<std::uint8_t> bytes) {
        return std::make_shared<const TapeMedia>(TapeMedia{TapeFormat::raw, 0, std::move(bytes)});
    }
    static std::shared_ptr<const TapeMedia> wav(WavTape tape) {
        return std::make_shared<const TapeMedia>(
            TapeMedia{TapeFormat::wav, tape.sampleRate, std::move(tape.samples)});
    }
};

// What a deck reads from and writes into outside its own state: the tape in
// it (null: none) and the recording being made (null: nothing is kept).
struct TapeIo {
    const TapeMedia* media = nullptr;
    TapeRecording* recording = nullptr;
};

}  // namespace vantorel
