#include "app/cassette_commands.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "app/fed_files.h"
#include "machine/machine.h"
#include "machine/machine_files.h"

namespace vantorel {

namespace {

const FileFilter kRawTapes{"Raw Cassette Files (*.CVZ)", {"*.cvz", "*.CVZ"}};
const FileFilter kWavTapes{"WAV Cassette Files (*.WAV)", {"*.wav", "*.WAV"}};
const FileFilter kAllFiles{"All Files (*.*)", {"*"}};

constexpr std::size_t kPlayWavFilter = 1;    // the second entry of the Play dialog
constexpr std::size_t kRecordWavFilter = 0;  // the first entry of the Record dialog
constexpr std::size_t kRecordRawFilter = 1;

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

TapeFormat recordingFormat(const FileChoice& choice) {
    if (choice.filterIndex == kRecordWavFilter) return TapeFormat::wav;
    if (choice.filterIndex == kRecordRawFilter) return TapeFormat::raw;
    return endsWithWav(choice.path) ? TapeFormat::wav : TapeFormat::raw;
}

}  // namespace

FileDialogRequest playCassetteDialog(const StartFolders& folders) {
    return {"Open", {kRawTapes, kWavTapes, kAllFiles}, "cvz", folders.cassette};
}

FileDialogRequest recordCassetteDialog(const StartFolders& folders) {
    return {"Record", {kWavTapes, kRawTapes, kAllFiles}, "wav", folders.cassette};
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
    play(choice->path, choice->filterIndex == kPlayWavFilter ? TapeFormat::wav : TapeFormat::raw,
         message);
    return message;
}

bool CassetteCommands::playTapeByName(const std::string& path, CommandMessage& message) {
    if (fileAccessBusy(machine_)) return false;
    return play(path, endsWithWav(path) ? TapeFormat::wav : TapeFormat::raw, message);
}

bool CassetteCommands::play(const std::string& path, TapeFormat format, CommandMessage& message) {
    const TapePlayResult result = vantorel::playCassetteFile(machine_, path, format);
    if (!result.opened) return false;
    folders_.cassette = directoryOfPath(path);
    if (result.error != WavError::none) message = wavErrorMessage(result.error);
    if (result.playing && played_) played_(path);
    return result.playing;
}

CommandMessage CassetteCommands::stopCassette() {
    if (machine_.stopCassette()) return std::nullopt;
    return "Cannot write the recorded cassette file";
}

void CassetteCommands::recordCassetteFile() {
    if (fileAccessBusy(machine_) || machine_.tapeRecording()) return;
    const auto choice = chooser_.chooseFileToWrite(recordCassetteDialog(folders_));
    if (!choice) return;
    folders_.cassette = directoryOfPath(choice->path);
    machine_.recordTape(recordingFormat(*choice), choice->path);
}

}  // namespace vantorel
