// Movie: a busy run recorded (typing, a tape playing and recording,
// joystick, sound) replays with every second's hash in step; one logged
// input changed puts it out of step at the second where it happened; the
// file reads back what was written and a damaged one is refused.
#include "timeline/movie.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/busy_run.h"
#include "support/temp_folder.h"

namespace vantorel {
namespace {

using testing::BusyRun;

constexpr int kMovieFrames = 1800;  // 30 seconds, the host keyboard typing from 25 s
constexpr std::string_view kVersion = "9.9";

Movie recordBusyRun(BusyRun& run) {
    MovieRecorder recorder;
    for (int frame = 0; frame < kMovieFrames; ++frame) {
        run.hostDoes(frame);
        recorder.runFrame(run.machine(), FrameSound::on);
    }
    return recorder.movie();
}

TEST(Movie, ARecordedRunReplaysInStepAndAChangedInputIsFoundAtItsSecond) {
    BusyRun run;
    const Movie movie = recordBusyRun(run);
    const std::uint64_t atEnd = stateHash(run.machine().state());
    ASSERT_EQ(movie.secondHashes.size(), 30u);
    EXPECT_EQ(movie.run.commands.size(), 3u) << "the three lines typed";
    ASSERT_FALSE(movie.run.log.empty());

    // Through the file and back, played on the same machine from its start.
    const auto bytes = writeMovieBytes(movie, run.machine(), kVersion);
    const MovieRead read = readMovieBytes(bytes, run.machine(), kVersion);
    ASSERT_TRUE(read.movie.has_value()) << read.problem;
    MoviePlayback played = playMovie(run.machine(), *read.movie);
    EXPECT_TRUE(played.inStep) << played.report;
    EXPECT_EQ(played.secondsCompared, 30);
    EXPECT_EQ(played.report, "movie in step: 0:30 compared");
    EXPECT_EQ(stateHash(run.machine().state()), atEnd);

    // A key the host pressed after 26 s read as not pressed.
    Movie changed = *read.movie;
    auto event =
        std::find_if(changed.run.log.begin(), changed.run.log.end(), [](const InputEvent& e) {
            return e.frame >= 1560 && e.point == InputPoint::keyScan && e.value != 0;
        });
    ASSERT_NE(event, changed.run.log.end());
    event->value = 0;
    const std::int64_t second = event->frame / 60 + 1;
    played = playMovie(run.machine(), changed);
    EXPECT_FALSE(played.inStep);
    EXPECT_EQ(played.firstBadSecond, second);
    EXPECT_EQ(played.report, "movie out of step at 0:" + std::to_string(100 + second).substr(1));
}

TEST(Movie, DamagedOrForeignFilesAreRefused) {
    BusyRun run;
    MovieRecorder recorder;
    for (int frame = 0; frame < 130; ++frame) {
        run.hostDoes(frame);
        recorder.runFrame(run.machine(), FrameSound::off);
    }
    const auto bytes = writeMovieBytes(recorder.movie(), run.machine(), kVersion);
    EXPECT_TRUE(readMovieBytes(bytes, run.machine(), kVersion).movie.has_value());
    EXPECT_NE(readMovieBytes(bytes, run.machine(), "1.0").problem.find("saved by Vantorel 9.9"),
              std::string::npos);
    for (std::size_t at : {std::size_t{3}, std::size_t{40}, bytes.size() / 2, bytes.size() - 1}) {
        auto damaged = bytes;
        damaged[at] ^= 0x20;
        const MovieRead read = readMovieBytes(damaged, run.machine(), kVersion);
        EXPECT_FALSE(read.movie.has_value()) << at;
        EXPECT_FALSE(read.problem.empty());
    }
    const std::vector<std::uint8_t> cut(bytes.begin(), bytes.end() - 9);
    EXPECT_FALSE(readMovieBytes(cut, run.machine(), kVersion).movie.has_value());
    // Files: a folder or a missing file cannot be read; a saved one reads back.
    testing::TempFolder folder;
    EXPECT_EQ(loadMovieFile(folder.path(), run.machine(), kVersion).problem, "it cannot be read");
    EXPECT_EQ(loadMovieFile(folder / "none.vtm", run.machine(), kVersion).problem,
              "it cannot be read");
    ASSERT_FALSE(saveMovieFile(folder / "run.vtm", recorder.movie(), run.machine(), kVersion));
    const MovieRead read = loadMovieFile(folder / "run.vtm", run.machine(), kVersion);
    ASSERT_TRUE(read.movie.has_value()) << read.problem;
    EXPECT_EQ(read.movie->secondHashes, recorder.movie().secondHashes);
}

}  // namespace
}  // namespace vantorel
