#include "shell/cassette_commands.h"

#include <cmath>

#include "machine/machine.h"
#include "machine/machine_files.h"
#include "shell/message_sink.h"

namespace vantorel {

namespace {

const FileFilter kRawTapes{"Raw Cassette Files (*.CVZ)", {"*.cvz", "*.CVZ"}};
const FileFilter kWavTapes{"WAV Cassette Files (*.WAV)", {"*.wav", "*.WAV"}};
const FileFilter kAllFiles{"All Files (*.*)", {"*"}};

constexpr std::size_t kPlayWavFilter = 1;    // the second entry of the Play dialog
constexpr std::size_t kRecordWavFilter = 0;  // the first entry of the Record dialog
constexpr std::size_t kRecordRawFilter = 1;

QString minutesAndSeconds(double seconds) {
    const auto whole = static_cast<long long>(std::floor(std::max(seconds, 0.0)));
    return QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}

TapeFormat recordingFormat(const FileChoice& choice) {
    if (choice.filterIndex == kRecordWavFilter) return TapeFormat::wav;
    if (choice.filterIndex == kRecordRawFilter) return TapeFormat::raw;
    const QString name = QString::fromStdString(choice.path);
    return name.endsWith(QStringLiteral(".wav"), Qt::CaseInsensitive) ? TapeFormat::wav
                                                                      : TapeFormat::raw;
}

}  // namespace

FileDialogRequest playCassetteDialog(const StartFolders& folders) {
    return {"Open", {kRawTapes, kWavTapes, kAllFiles}, "cvz", folders.cassette};
}

FileDialogRequest recordCassetteDialog(const StartFolders& folders) {
    return {"Record", {kWavTapes, kRawTapes, kAllFiles}, "wav", folders.cassette};
}

QString tapeTitleText(const Machine& machine) {
    if (!machine.tapeMoving()) return {};
    const TapeDeck& tape = machine.tape();
    if (machine.tapePlaying()) {
        return QStringLiteral("Tape ") + minutesAndSeconds(tape.positionSeconds()) +
               QStringLiteral(" / ") + minutesAndSeconds(tape.lengthSeconds());
    }
    return QStringLiteral("Recording ") + minutesAndSeconds(tape.positionSeconds());
}

CassetteCommands::CassetteCommands(Machine& machine, FileChooser& chooser, StartFolders& folders,
                                   MessageSink& messages)
    : machine_(machine), chooser_(chooser), folders_(folders), messages_(messages) {}

void CassetteCommands::playCassetteFile() {
    if (fileAccessBusy(machine_)) return;
    const auto choice = chooser_.chooseExistingFileAndFilter(playCassetteDialog(folders_));
    if (!choice) return;
    play(choice->path, choice->filterIndex == kPlayWavFilter ? TapeFormat::wav : TapeFormat::raw);
}

bool CassetteCommands::playTapeByName(const std::string& path) {
    if (fileAccessBusy(machine_)) return false;
    const bool wav =
        QString::fromStdString(path).endsWith(QStringLiteral(".wav"), Qt::CaseInsensitive);
    return play(path, wav ? TapeFormat::wav : TapeFormat::raw);
}

bool CassetteCommands::play(const std::string& path, TapeFormat format) {
    const TapePlayResult result = machine_.playCassetteFile(path, format);
    if (!result.opened) return false;
    folders_.cassette = directoryOfPath(path);
    if (result.error != WavError::none) {
        messages_.warn(QString::fromLatin1(wavErrorMessage(result.error)));
    }
    if (result.playing && played_) played_(path);
    return result.playing;
}

void CassetteCommands::stopCassette() {
    if (!machine_.stopCassette()) {
        messages_.warn(QStringLiteral("Cannot write the recorded cassette file"));
    }
}

void CassetteCommands::recordCassetteFile() {
    if (fileAccessBusy(machine_) || machine_.tapeRecording()) return;
    const auto choice = chooser_.chooseFileToWrite(recordCassetteDialog(folders_));
    if (!choice) return;
    folders_.cassette = directoryOfPath(choice->path);
    machine_.recordTape(recordingFormat(*choice), choice->path);
}

}  // namespace vantorel
