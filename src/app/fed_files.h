// Files fed to the running machine: a tape played from a file, a text typed
// from a file.
//
// The machine takes contents, never names: these read the file (once) and
// hand the machine its bytes or samples. Called by the cassette and file
// commands, the recent-file list, the command line and the fuzz targets.
#pragma once

#include <filesystem>
#include <string>

#include "cassette/tape_recording.h"
#include "cassette/wav_reader.h"
#include "input/quick_type_file.h"

namespace vantorel {

class Machine;

// What Play Cassette File did with the chosen file.
struct TapePlayResult {
    bool opened = false;              // the file opened for reading (its folder counts)
    bool playing = false;             // the tape is in and playing
    WavError error = WavError::none;  // a WAV file's refusal, with its message
};

// Play Cassette File once a file is chosen: opens it for reading (when that
// fails nothing happens: `opened` false), stops the cassette, and loads it
// from the open file as `format`, chosen by the caller (the file dialog's
// filter), not by the file's extension. A raw tape is read whole (an empty
// or short one leaves the machine idle, silently); a WAV file is checked and
// a refused one gives its message. On success the tape plays while a motor
// runs, until its end.
TapePlayResult playCassetteFile(Machine& machine, const std::filesystem::path& path,
                                TapeFormat format);

// What went wrong with a tape that does not play, in the command line's
// words ("cannot open the tape", a WAV file's refusal, "empty or unreadable
// tape"); empty when it plays.
std::string tapePlayProblem(const TapePlayResult& result);

// True when the file begins with a RIFF header of form WAVE.
bool hasWavHeader(const std::filesystem::path& path);

// The format of a tape named from outside (command line, Recent Files, a
// dropped file, the Play dialog's shared and all-files entries): WAV when
// the file begins with a WAV header or its name ends in ".wav" in any case
// (so a damaged WAV file is refused with its message, not played as
// noise), raw otherwise.
TapeFormat tapeFormatForFile(const std::filesystem::path& path);

// Quick Type once a file is chosen: nothing while quick type is typing;
// otherwise the file is read whole and typed over the next frames. A file
// that cannot be opened writes "Could not open file\n" to the machine's
// debug output.
QuickTypeResult startQuickTypeFile(Machine& machine, const std::filesystem::path& path);

}  // namespace vantorel
