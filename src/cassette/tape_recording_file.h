// A tape recording written to its file while it is made.
//
// Recording Cassette File... and --record-tape name a file; the machine's
// tape output goes into a new file beside it as it is sent (raw bytes, or
// the 44100 Hz WAV signal of its bit cells), through a ReplacementFile, so
// memory stays the same however long the recording runs, and the file under
// the chosen name is the old one until the recording ends:
//   1. start(path, format): the new file is made (and a WAV header put in);
//      nothing when it cannot be, and nothing is recorded;
//   2. take(recording), after every processor slice: the bytes and cells the
//      deck took down since are moved out of `recording` into the file;
//   3. finish(): the WAV header gets its sizes and the new file takes the
//      name's place.
// A WAV file holds at most kMaxWavDataBytes of samples: a recording that
// reaches them stops taking any more (full()), and its owner ends it; the
// file is then complete and valid.
//
// A recording whose file cannot be finished (the disk filled up, the folder
// turned read-only, the rename failed) is not lost while it can be written
// elsewhere: it is kept, in what reached the new file and in memory for the
// rest, until saveAs(another path) writes it whole or drop() gives it up.
//
// Made and owned by Machine (recordTape); the window and the headless runner
// learn from the machine how a recording ended.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "cassette/tape_recording.h"
#include "cassette/wav_encoder.h"
#include "files/replacement_file.h"

namespace vantorel {

struct TapeRecordingLimits {
    std::uint64_t wavDataBytes = kMaxWavDataBytes;  // samples a WAV recording may hold
    std::size_t bufferBytes = 64 * 1024;            // written to the file in pieces this big
};

class TapeRecordingFile {
  public:
    enum class State : std::uint8_t {
        recording,  // taking what the deck sends
        written,    // finished (or saved elsewhere): the file is in place
        unsaved,    // could not be finished: kept for saveAs or drop
        dropped,    // given up
    };

    // Starts a recording into a new file beside `path`; null when that file
    // cannot be made (no folder, no permission, a read-only file, ...).
    static std::unique_ptr<TapeRecordingFile> start(const std::filesystem::path& path,
                                                    TapeFormat format,
                                                    TapeRecordingLimits limits = {});

    ~TapeRecordingFile();
    TapeRecordingFile(const TapeRecordingFile&) = delete;
    TapeRecordingFile& operator=(const TapeRecordingFile&) = delete;

    // Moves the bytes (raw) or cells (WAV) sent since the last call out of
    // `recording` into the file, leaving both lists empty.
    void take(TapeRecording& recording);
    // A WAV recording reached its size limit: nothing more is taken.
    bool full() const { return full_; }

    // Ends the recording: true when the file now stands under its name;
    // false leaves it unsaved.
    bool finish();
    // An unsaved recording, written whole to `path`; true when it is there.
    bool saveAs(const std::filesystem::path& path);
    // Gives an unsaved recording up.
    void drop();

    State state() const { return state_; }
    TapeFormat format() const { return format_; }
    const std::filesystem::path& path() const { return path_; }
    // Bytes the UART sent while the recording ran (in both formats).
    std::uint64_t bytesSent() const { return bytesSent_; }
    // Bytes of data in the file: the raw bytes, or the WAV samples.
    std::uint64_t dataBytes() const { return dataBytes_; }

  private:
    TapeRecordingFile(const std::filesystem::path& path, TapeFormat format,
                      TapeRecordingLimits limits);
    bool open();
    void takeCells(const std::vector<std::uint8_t>& cells);
    void writePending();
    bool completeWav(ReplacementFile& file, std::uint64_t dataBytes);
    bool copySpool(ReplacementFile& out, std::uint64_t& copied);
    void removeSpool();

    std::filesystem::path path_;
    TapeFormat format_;
    TapeRecordingLimits limits_;
    State state_ = State::recording;
    ReplacementFile file_;
    std::filesystem::path spool_;  // the new file; kept while unsaved
    TapeSignalEncoder encoder_;
    std::vector<std::uint8_t> pending_;  // data not in the file yet
    std::uint64_t spooled_ = 0;          // data bytes known to be in the file
    std::uint64_t dataBytes_ = 0;        // data bytes taken in all
    std::uint64_t bytesSent_ = 0;
    bool writeFailed_ = false;  // the file takes no more: the rest stays in memory
    bool full_ = false;
};

}  // namespace vantorel
