#include "timeline/movie.h"

#include <cstdio>
#include <cstring>
#include <limits>

#include "files/binary_file.h"
#include "files/replacement_file.h"
#include "timeline/byte_stream.h"
#include "timeline/state_file.h"

namespace vantorel {

namespace {

constexpr char kMagic[8] = {'V', 'T', 'M', 'O', 'V', 'I', 'E', 0x1A};
constexpr std::size_t kMostBlockBytes = std::size_t{1} << 30;
constexpr std::uintmax_t kMostFileBytes = std::uintmax_t{3} << 30;

std::string timeText(std::int64_t seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
    return text;
}

StateFileHeader headerFor(const Machine& machine, std::string_view version, std::int64_t frame) {
    return stateHeaderFor(machine, version, frame, 0);
}

}  // namespace

std::uint64_t stateHash(const MachineState& state) {
    return contentHash({reinterpret_cast<const std::uint8_t*>(&state), sizeof state});
}

// --- Recording ---

MovieRecorder::MovieRecorder() : timeline_(std::numeric_limits<std::int64_t>::max()) {}

// A second's hash is of the machine as the next frame starts: after any
// change made between the frames, as playback finds it.
FrameResult MovieRecorder::runFrame(Machine& machine, FrameSound sound) {
    if (!timeline_.started()) framesPerSecond_ = std::max(machine.timing().framesPerSecond, 1);
    if (timeline_.started() && timeline_.position() % framesPerSecond_ == 0 && !hashes_.empty()) {
        hashes_.back() = stateHash(machine.state());
    }
    const FrameResult result = timeline_.runFrame(machine, sound);
    if (timeline_.position() % framesPerSecond_ == 0) hashes_.push_back(stateHash(machine.state()));
    return result;
}

Movie MovieRecorder::movie() const {
    Movie movie;
    movie.run = timeline_.exportRun();
    movie.framesPerSecond = framesPerSecond_;
    movie.secondHashes = hashes_;
    return movie;
}

// --- Playback ---

MoviePlayback playMovie(Machine& machine, const Movie& movie) {
    MoviePlayback playback;
    Timeline timeline{std::numeric_limits<std::int64_t>::max()};
    timeline.importRun(movie.run);
    timeline.seek(machine, 0);
    const std::int64_t perSecond = std::max(movie.framesPerSecond, 1);
    for (std::size_t second = 0; second < movie.secondHashes.size(); ++second) {
        const auto frame = static_cast<std::int64_t>(second + 1) * perSecond;
        if (frame > movie.run.frames || !timeline.seek(machine, frame)) break;
        ++playback.secondsCompared;
        if (stateHash(machine.state()) != movie.secondHashes[second] && playback.inStep) {
            playback.inStep = false;
            playback.firstBadSecond = static_cast<std::int64_t>(second) + 1;
        }
    }
    timeline.seek(machine, movie.run.frames);
    playback.report = playback.inStep
                          ? "movie in step: " + timeText(playback.secondsCompared) + " compared"
                          : "movie out of step at " + timeText(playback.firstBadSecond);
    return playback;
}

// --- The file ---

std::vector<std::uint8_t> writeMovieBytes(const Movie& movie, const Machine& machine,
                                          std::string_view programVersion) {
    ByteWriter out;
    out.raw(kMagic, sizeof kMagic);
    out.u32(kMovieFormatVersion);
    out.u32(static_cast<std::uint32_t>(movie.framesPerSecond));
    out.u64(static_cast<std::uint64_t>(movie.run.frames));
    out.block(writeStateBytes(movie.run.start, headerFor(machine, programVersion, 0)));
    out.u32(static_cast<std::uint32_t>(movie.run.commands.size()));
    for (const TimelineRun::Command& command : movie.run.commands) {
        out.u64(static_cast<std::uint64_t>(command.frame));
        out.u64(static_cast<std::uint64_t>(command.tstate));
        out.block(
            writeStateBytes(command.snapshot, headerFor(machine, programVersion, command.frame)));
    }
    out.u32(static_cast<std::uint32_t>(movie.run.log.size()));
    for (const InputEvent& event : movie.run.log) {
        out.u64(static_cast<std::uint64_t>(event.frame));
        out.u64(static_cast<std::uint64_t>(event.tstate));
        out.u8(static_cast<std::uint8_t>(event.point));
        out.u8(event.index);
        out.u8(event.value);
    }
    out.block(movie.run.ay.toBytes());
    out.u32(static_cast<std::uint32_t>(movie.secondHashes.size()));
    for (std::uint64_t hash : movie.secondHashes) out.u64(hash);
    out.u64(contentHash(out.bytes));
    return std::move(out.bytes);
}

MovieRead readMovieBytes(std::span<const std::uint8_t> bytes, const Machine& machine,
                         std::string_view programVersion) {
    MovieRead result;
    ByteReader in{bytes};
    const std::uint8_t* magic = in.take(sizeof kMagic);
    if (magic == nullptr || std::memcmp(magic, kMagic, sizeof kMagic) != 0) {
        result.problem = "it is not a Vantorel movie";
        return result;
    }
    if (bytes.size() < 8 + sizeof kMagic || contentHash(bytes.first(bytes.size() - 8)) !=
                                                ByteReader{bytes.subspan(bytes.size() - 8)}.u64()) {
        result.problem = "the file is cut short or damaged (its check sum does not match)";
        return result;
    }
    Movie movie;
    if (in.u32() != kMovieFormatVersion) {
        result.problem = "it is a movie of another format";
        return result;
    }
    movie.framesPerSecond = static_cast<std::int32_t>(in.u32());
    movie.run.frames = static_cast<std::int64_t>(in.u64());
    const auto readState = [&](MachineSnapshot& into) {
        StateFileRead state = readStateBytes(in.block(kMostBlockBytes), machine, programVersion);
        if (!state.snapshot) {
            if (result.problem.empty()) result.problem = state.problem;
            return false;
        }
        into = std::move(*state.snapshot);
        return true;
    };
    if (!readState(movie.run.start)) return result;
    const std::uint32_t commands = in.u32();
    for (std::uint32_t i = 0; i < commands && in.ok(); ++i) {
        TimelineRun::Command command;
        command.frame = static_cast<std::int64_t>(in.u64());
        command.tstate = static_cast<std::int64_t>(in.u64());
        if (!readState(command.snapshot)) return result;
        movie.run.commands.push_back(std::move(command));
    }
    const std::uint32_t events = in.u32();
    for (std::uint32_t i = 0; i < events && in.ok(); ++i) {
        InputEvent event;
        event.frame = static_cast<std::int64_t>(in.u64());
        event.tstate = static_cast<std::int64_t>(in.u64());
        const std::uint8_t point = in.u8();
        event.point = static_cast<InputPoint>(point > 2 ? 2 : point);
        event.index = in.u8();
        event.value = in.u8();
        if (point > 2 || (!movie.run.log.empty() && event.frame < movie.run.log.back().frame)) {
            result.problem = "the file is damaged (its input log)";
            return result;
        }
        movie.run.log.push_back(event);
    }
    if (!movie.run.ay.fromBytes(in.block(kMostBlockBytes))) {
        result.problem = "the file is damaged (its sound log)";
        return result;
    }
    const std::uint32_t hashes = in.u32();
    for (std::uint32_t i = 0; i < hashes && in.ok(); ++i) movie.secondHashes.push_back(in.u64());
    in.u64();
    if (!in.ok() || in.at() != bytes.size() || movie.framesPerSecond < 1 || movie.run.frames < 0) {
        result.problem = "the file is damaged";
        return result;
    }
    result.movie = std::move(movie);
    return result;
}

std::optional<std::string> saveMovieFile(const std::filesystem::path& path, const Movie& movie,
                                         const Machine& machine, std::string_view programVersion) {
    const std::vector<std::uint8_t> bytes = writeMovieBytes(movie, machine, programVersion);
    ReplacementFile file;
    if (!file.create(path) ||
        !file.write({reinterpret_cast<const char*>(bytes.data()), bytes.size()}) ||
        !file.commit()) {
        return "the movie could not be written";
    }
    return std::nullopt;
}

MovieRead loadMovieFile(const std::filesystem::path& path, const Machine& machine,
                        std::string_view programVersion) {
    const auto bytes = readWholeFile(path, kMostFileBytes);
    if (!bytes) {
        MovieRead result;
        result.problem = "it cannot be read";
        return result;
    }
    return readMovieBytes(*bytes, machine, programVersion);
}

}  // namespace vantorel
