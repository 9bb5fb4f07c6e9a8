#include "app/cassette_commands.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "app/fed_files.h"
#include "machine/machine.h"
#include "machine/machine_files.h"

namespace vantorel {

namespace {

// Play and Record list the same entries in the same order, the two tape
// kinds together first, so that a tape just recorded is listed for playing.
const FileFilter kAnyTapes{"Cassette Files (*.WAV, *.CVZ)", {"*.wav", "*.cvz", "*.WAV", "*.CVZ"}};
const FileFilter kRawTapes{"Raw Cassette Files (*.CVZ)", {"*.cvz", "*.CVZ"}};
const FileFilter kWavTapes{"WAV Cassette Files (*.WAV)", {"*.wav", "*.WAV"}};
const FileFilter kAllFiles{"All Files (*.*)", {"*"}};

constexpr std::size_t kRawFilter = 1;
constexpr std::size_t kWavFilter = 2;

std::string minutesAndSeconds(double seconds) {
    const auto whole = static_cast<long long>(std::floor(std::max(seconds, 0.0)));
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    return text;
}

bool endsWithWav(const std::string& name) {
    if (name.size() < 4) return false;
    std::string end = name.substr(name.size() - 4);
    std::transform(end.begin(), end.end(), end.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return end == ".wav";
}

// The WAV entry reads WAV (a file that is not one is refused with its
// message); a file with a WAV header is WAV under every entry; otherwise the
// raw entry reads raw and the others go by the name.
TapeFormat playingFormat(const FileChoice& choice) {
    if (choice.filterIndex == kWavFilter || hasWavHeader(choice.path)) return TapeFormat::wav;
    if (choice.filterIndex == kRawFilter) return TapeFormat::raw;
    return tapeFormatForFile(choice.path);
}

TapeFormat recordingFormat(const FileChoice& choice) {
    if (choice.filterIndex == kWavFilter) return TapeFormat::wav;
    if (choice.filterIndex == kRawFilter) return TapeFormat::raw;
    return endsWithWav(choice.path) ? TapeFormat::wav : TapeFormat::raw;
}

}  // namespace

FileDialogRequest playCassetteDialog(const StartFolders& folders) {
    return {"Open", {kAnyTapes, kRawTapes, kWavTapes, kAllFiles}, "cvz", folders.cassette};
}

FileDialogRequest recordCassetteDialog(const StartFolders& folders) {
    return {"Record", {kAnyTapes, kRawTapes, kWavTapes, kAllFiles}, "wav", folders.cassette};
}

std::string tapeTitleText(const Machine& machine) {
    if (!machine.tapeMoving()) return {};
    const TapeDeck& tape = machine.tape();
    if (machine.tapePlaying()) {
        return "Tape " + minutesAndSeconds(tape.positionSeconds()) + " / " +
               minutesAndSeconds(tape.lengthSeconds());
    }
    return "Recording " + minutesAndSeconds(tape.positionSeconds());
}

CassetteCommands::CassetteCommands(Machine& machine, FileChooser& chooser, StartFolders& folders)
    : machine_(machine), chooser_(chooser), folders_(folders) {}

CommandMessage CassetteCommands::playCassetteFile() {
    CommandMessage message;
    if (fileAccessBusy(machine_)) return message;
    const auto choice = chooser_.chooseExistingFileAndFilter(playCassetteDialog(folders_));
    if (!choice) return message;
    play(choice->path, playingFormat(*choice), message);
    return message;
}

bool CassetteCommands::playTapeByName(const std::string& path, CommandMessage& message) {
    if (fileAccessBusy(machine_)) return false;
    return play(path, tapeFormatForFile(path), message);
}

bool CassetteCommands::play(const std::string& path, TapeFormat format, CommandMessage& message) {
    const TapePlayResult result = vantorel::playCassetteFile(machine_, path, format);
    if (result.opened) folders_.cassette = directoryOfPath(path);
    if (!result.playing) message = path + ": " + tapePlayProblem(result) + ".";
    if (result.playing && played_) played_(path);
    return result.playing;
}

void CassetteCommands::stopCassette() {
    machine_.stopCassette();
}

CommandMessage CassetteCommands::recordCassetteFile() {
    if (fileAccessBusy(machine_) || machine_.tapeRecording()) return std::nullopt;
    const auto choice = chooser_.chooseFileToWrite(recordCassetteDialog(folders_));
    if (!choice) return std::nullopt;
    folders_.cassette = directoryOfPath(choice->path);
    if (machine_.recordTape(recordingFormat(*choice), choice->path)) return std::nullopt;
    return choice->path + ": cannot write the recording.";
}

void CassetteCommands::settleRecording(const MessageTeller& tell) {
    const std::optional<RecordingEnd> end = machine_.takeRecordingEnd();
    if (!end) return;
    const std::string path = end->path.string();
    if (end->stoppedAtLimit) {
        tell("The recording filled the 4 GiB a WAV file can hold and was stopped there" +
             (end->written ? "; " + path + " holds it." : std::string(".")));
    }
    if (!end->written) saveUnsavedRecording(path, tell);
}

// The save dialog for the recording's own format, offering its name, until
// the recording is written or the user cancels.
void CassetteCommands::saveUnsavedRecording(const std::string& failedPath,
                                            const MessageTeller& tell) {
    std::string failed = failedPath;
    while (machine_.hasUnsavedRecording()) {
        tell("Cannot write the recorded cassette file " + failed +
             ". Choose another name to keep the recording.");
        const bool wav = machine_.lastRecordingFile()->format() == TapeFormat::wav;
        const FileDialogRequest request{"Save Recording As",
                                        {wav ? kWavTapes : kRawTapes, kAllFiles},
                                        wav ? "wav" : "cvz",
                                        directoryOfPath(failed),
                                        std::filesystem::path(failed).filename().string()};
        const auto choice = chooser_.chooseFileToWrite(request);
        if (!choice) {
            machine_.dropUnsavedRecording();
            return;
        }
        if (machine_.saveUnsavedRecording(choice->path)) {
            folders_.cassette = directoryOfPath(choice->path);
            return;
        }
        failed = choice->path;
    }
}

}  // namespace vantorel
