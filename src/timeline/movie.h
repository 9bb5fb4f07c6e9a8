// An input movie: a run of the machine kept as the machine it started from
// (from power-on after boot, the reset noise's seed and all, or from any
// state), the machine after every change between frames, the inputs of
// every frame (the timeline's logs) and a hash of the whole state record at
// every emulated second. Played back, the logged input drives the machine
// again and every second's hash is compared: the first second that differs
// is reported ("movie out of step at 0:42"), so a movie is also a
// regression test of a program.
//
// The file: a header (format, the program's version), the frames per
// second and the number of frames, the start and each change as a state
// file (state_file.h: the ROMs must match), the input log, the AY log, the
// hashes, and a check sum.
//
// Used by the headless runner (--record-movie, --play-movie).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "machine/machine.h"
#include "timeline/timeline.h"

namespace vantorel {

inline constexpr std::uint32_t kMovieFormatVersion = 1;

struct Movie {
    TimelineRun run;
    std::int32_t framesPerSecond = 60;
    std::vector<std::uint64_t>
        secondHashes;  // the record at frame k x framesPerSecond, k = 1, 2, ...
};

std::uint64_t stateHash(const MachineState& state);

// Runs frames through a timeline of its own (never thinned) and hashes
// every second; the first frame starts the movie from the machine as it is.
class MovieRecorder {
  public:
    MovieRecorder();
    FrameResult runFrame(Machine& machine, FrameSound sound);
    Movie movie() const;

  private:
    Timeline timeline_;
    std::vector<std::uint64_t> hashes_;
    std::int32_t framesPerSecond_ = 60;
};

struct MoviePlayback {
    bool inStep = true;
    std::int64_t secondsCompared = 0;
    std::int64_t firstBadSecond = -1;  // 1 for the first second, ...
    std::string report;  // "movie in step: 0:42 compared" or "movie out of step at 0:42"
};

// Puts the machine at the movie's start and plays it to its end.
MoviePlayback playMovie(Machine& machine, const Movie& movie);

std::vector<std::uint8_t> writeMovieBytes(const Movie& movie, const Machine& machine,
                                          std::string_view programVersion);
struct MovieRead {
    std::optional<Movie> movie;
    std::string problem;
};
MovieRead readMovieBytes(std::span<const std::uint8_t> bytes, const Machine& machine,
                         std::string_view programVersion);

std::optional<std::string> saveMovieFile(const std::filesystem::path& path, const Movie& movie,
                                         const Machine& machine, std::string_view programVersion);
MovieRead loadMovieFile(const std::filesystem::path& path, const Machine& machine,
                        std::string_view programVersion);

}  // namespace vantorel
