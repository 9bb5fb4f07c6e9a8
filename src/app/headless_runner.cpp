#include "app/headless_runner.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <span>
#include <system_error>

#include "app/boot.h"
#include "app/fed_files.h"
#include "app/inserted_file.h"
#include "app/printer_output.h"
#include "app/program_folders.h"
#include "app/remote_debug_port.h"
#include "app/standard_error_debug.h"
#include "app/wav_recorder.h"
#include "cassette/tape_files.h"
#include "hostapi/host_interfaces.h"
#include "input/quick_type.h"
#include "input/us_layout.h"
#include "machine/machine.h"
#include "machine/machine_files.h"
#include "machine/screen_text.h"
#include "timeline/movie.h"
#include "timeline/timeline.h"

namespace vantorel {

namespace {

constexpr int kMovieOutOfStep = 1;  // --play-movie: a second's hash differed

constexpr int kFileProblem = 2;

// No keyboard is attached: every key reads released; characters map to keys
// by the US layout, like the desktop window's.
class ReleasedKeys : public KeyStateSource {
  public:
    void copyKeyStates(std::span<std::uint8_t, kVirtualKeyCount> destination) override {
        std::fill(destination.begin(), destination.end(), std::uint8_t{0});
    }
    std::int16_t keyForCharacter(char character) override {
        return usLayoutKeyForCharacter(character);
    }
};

int reportFileProblem(std::ostream& err, const std::string& path, const std::string& reason) {
    err << "vantorel: " << path << ": " << reason << "\n";
    return kFileProblem;
}

bool isReadableFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// The ROM files the settings name are read from the start-up folder; one
// that is not taken is reported on standard error and the built-in image runs.
void startMachine(Machine& machine, const CommandLine& options, DebugOutputSink& debug,
                  std::ostream& err) {
    const ProgramFolders folders = currentProgramFolders(&debug);
    const SettingsFiles files{chooseSettingsFile(options.settingsPath, folders), folders.startup};
    for (const std::string& problem : boot({machine}, files).problems) {
        err << "vantorel: " << problem << "\n";
    }
}

// --type and --type-file: the machine boots for a second of frames (our
// monitor shows its prompt within 5), then the text is typed through quick
// type, frame after frame, until it is all typed.
constexpr std::int64_t kBootFramesBeforeTyping = 60;

int startTape(Machine& machine, const CommandLine& options, std::ostream& err) {
    if (!options.tapePath.empty()) {
        const TapePlayResult result =
            playCassetteFile(machine, options.tapePath, tapeFormatForFile(options.tapePath));
        if (!result.playing)
            return reportFileProblem(err, options.tapePath, tapePlayProblem(result));
    }
    if (!options.recordTapePath.empty() &&
        !machine.recordTape(tapeFormatForName(options.recordTapePath), options.recordTapePath)) {
        return reportFileProblem(err, options.recordTapePath, "cannot write the recording");
    }
    return 0;
}

// The recording ends with the run; one that could not be written is lost
// with the run, so the run fails.
int endRecording(Machine& machine, std::ostream& err) {
    machine.stopCassette();
    const std::optional<RecordingEnd> end = machine.takeRecordingEnd();
    if (!end) return 0;
    if (end->stoppedAtLimit) {
        err << "vantorel: " << end->path.string()
            << ": the recording filled the 4 GiB a WAV file can hold and stopped there\n";
    }
    if (!end->written)
        return reportFileProblem(err, end->path.string(), "cannot write the recording");
    return 0;
}

// Every frame of the run, through the movie recorder while one records.
class RunFrames {
  public:
    explicit RunFrames(Machine& machine) : machine_(machine) {}
    std::optional<MovieRecorder> recorder;
    void operator()() {
        if (recorder) {
            recorder->runFrame(machine_, FrameSound::on);
        } else {
            machine_.runFrame();
        }
    }

  private:
    Machine& machine_;
};

int typeGivenText(Machine& machine, RunFrames& runFrame, const CommandLine& options,
                  std::ostream& err) {
    for (std::int64_t frame = 0; frame < kBootFramesBeforeTyping; ++frame) runFrame();
    const bool fromFile = !options.typeFilePath.empty();
    const auto* text = reinterpret_cast<const std::uint8_t*>(options.typeText.data());
    const QuickTypeResult result =
        fromFile ? startQuickTypeFile(machine, options.typeFilePath)
                 : machine.startQuickTypeText({text, options.typeText.size()});
    if (result != QuickTypeResult::ok && result != QuickTypeResult::emptyFile) {
        return reportFileProblem(err, fromFile ? options.typeFilePath : "--type",
                                 quickTypeResultText(result));
    }
    const std::int64_t limit = quickTypeFrameLimit(
        machine.quickTypeText().size(),
        std::int64_t{machine.timing().activeScanTStates} + machine.timing().verticalBlankTStates);
    for (std::int64_t frame = 0; frame < limit && machine.quickTypeActive(); ++frame) runFrame();
    if (machine.quickTypeActive()) err << "vantorel: the typing did not finish\n";
    return 0;
}

// --printer-file: the printer takes the file as it is named, with the
// settings' line feed and width; a failure is told and the run goes on.
void connectPrinter(Machine& machine, PrinterOutput& printer, const std::string& path,
                    std::ostream& err) {
    std::error_code error;
    printer.configure(machine.config(), std::filesystem::absolute(path, error));
    printer.onFailure(
        [&err](const std::string& message) { err << "vantorel: " << message << "\n"; });
    MachineHost host = machine.host();
    host.printer = &printer;
    machine.attachHost(host);
}

// --gdb-port: one client's session, from its connection to its kill or
// detach. The machine stands still whenever the client has it stopped.
int serveGdbClient(Machine& machine, const CommandLine& options, const ListenerOpener& openListener,
                   std::ostream& err) {
    const std::string where = "127.0.0.1:" + std::to_string(options.gdbPort);
    std::string problem = "this build cannot listen for a debugger";
    std::unique_ptr<ByteChannelListener> listener;
    if (openListener) listener = openListener(options.gdbPort, problem);
    if (!listener) return reportFileProblem(err, "--gdb-port " + where, problem);
    err << "vantorel: waiting for a GDB client on " << where << "\n";
    err.flush();
    Timeline timeline;
    RemoteDebugPort port{machine, timeline, std::move(listener)};
    while (!port.sessionEnded()) {
        port.poll();
        port.wait(50);
    }
    err << "vantorel: the GDB client " << (port.killed() ? "killed the run" : "detached") << "\n";
    return 0;
}

}  // namespace

int runHeadless(const CommandLine& options, std::ostream& out, std::ostream& err,
                const ScreenshotWriter& writeScreenshot, const ListenerOpener& openListener) {
    if (!options.screenshotPath.empty() && !writeScreenshot) {
        return reportFileProblem(err, options.screenshotPath,
                                 "--screenshot needs the desktop build (Qt 6)");
    }
    if (!options.settingsPath.empty() && !isReadableFile(options.settingsPath)) {
        return reportFileProblem(err, options.settingsPath, "cannot open the settings file");
    }
    ReleasedKeys keys;
    StandardErrorDebugOutput debug;
    // No clock and no scheduler: the frames run back to back, unpaced.
    Machine machine{MachineHost{nullptr, &keys, nullptr, &debug}};
    startMachine(machine, options, debug, err);
    PrinterOutput printer;
    if (!options.printerPath.empty()) connectPrinter(machine, printer, options.printerPath, err);
    std::optional<WavRecorder> recorder;
    if (!options.wavPath.empty() && !recorder.emplace(machine).open(options.wavPath)) {
        return reportFileProblem(err, options.wavPath, "cannot write the WAV file");
    }

    if (!options.romPath.empty()) {
        const FileResult result = loadGameRom(machine, options.romPath);
        if (!result.ok()) return reportFileProblem(err, options.romPath, result.message);
    }
    if (!options.snapshotPath.empty()) {
        const FileResult result = loadSnapshot(machine, options.snapshotPath);
        if (!result.ok()) return reportFileProblem(err, options.snapshotPath, result.message);
    }
    if (!options.insertPath.empty()) {
        const InsertResult result = insertFile(machine, options.insertPath);
        if (!result.ok) return reportFileProblem(err, options.insertPath, result.message);
    }
    if (const int status = startTape(machine, options, err); status != 0) return status;
    RunFrames runFrame{machine};
    if (!options.playMoviePath.empty()) {
        const MovieRead read = loadMovieFile(options.playMoviePath, machine, VANTOREL_VERSION);
        if (!read.movie) return reportFileProblem(err, options.playMoviePath, read.problem);
        const MoviePlayback played = playMovie(machine, *read.movie);
        err << "vantorel: " << options.playMoviePath << ": " << played.report << "\n";
        if (!played.inStep) return kMovieOutOfStep;
    } else {
        if (!options.recordMoviePath.empty()) runFrame.recorder.emplace();
        if (!options.typeText.empty() || !options.typeFilePath.empty()) {
            const int status = typeGivenText(machine, runFrame, options, err);
            if (status != 0) return status;
        }
        if (options.gdbPort != 0) {
            const int status = serveGdbClient(machine, options, openListener, err);
            if (status != 0) return status;
        } else {
            for (std::int64_t frame = 0; frame < options.frames; ++frame) runFrame();
        }
    }
    if (runFrame.recorder) {
        const auto problem = saveMovieFile(options.recordMoviePath, runFrame.recorder->movie(),
                                           machine, VANTOREL_VERSION);
        if (problem) return reportFileProblem(err, options.recordMoviePath, *problem);
    }
    if (const int status = endRecording(machine, err); status != 0) return status;
    if (!options.saveRamPath.empty()) {
        const FileResult result = saveRam(machine, options.saveRamPath);
        if (!result.ok()) return reportFileProblem(err, options.saveRamPath, result.message);
    }
    if (recorder && !recorder->finish()) {
        return reportFileProblem(err, options.wavPath, "cannot write the WAV file");
    }
    if (!options.saveSnapshotPath.empty()) {
        const FileResult result = saveSnapshot(machine, options.saveSnapshotPath);
        if (!result.ok()) return reportFileProblem(err, options.saveSnapshotPath, result.message);
    }
    if (!options.screenshotPath.empty()) {
        const std::string error = writeScreenshot(machine, options.screenshotPath);
        if (!error.empty()) return reportFileProblem(err, options.screenshotPath, error);
    }
    printer.close();
    if (options.printScreen) out << screenText(machine.memory());
    out.flush();
    return 0;
}

}  // namespace vantorel
