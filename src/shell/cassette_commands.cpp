#include "shell/cassette_commands.h"

#include <cmath>
#include <filesystem>
#include <optional>

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
    machine_.stopCassette();
    settleRecording();
}

void CassetteCommands::recordCassetteFile() {
    if (fileAccessBusy(machine_) || machine_.tapeRecording()) return;
    const auto choice = chooser_.chooseFileToWrite(recordCassetteDialog(folders_));
    if (!choice) return;
    folders_.cassette = directoryOfPath(choice->path);
    if (!machine_.recordTape(recordingFormat(*choice), choice->path)) {
        messages_.warn(QStringLiteral("Cannot record into %1: the file cannot be written there.")
                           .arg(QString::fromStdString(choice->path)));
    }
}

void CassetteCommands::settleRecording() {
    const std::optional<RecordingEnd> end = machine_.takeRecordingEnd();
    if (!end) return;
    const QString path = QString::fromStdString(end->path.string());
    if (end->stoppedAtLimit) {
        messages_.warn(
            QStringLiteral("The recording filled the 4 GiB a WAV file can hold and was stopped "
                           "there%1.")
                .arg(end->written ? QStringLiteral("; %1 holds it").arg(path) : QString()));
    }
    if (!end->written) saveUnsavedRecording(end->path.string());
}

// The save dialog for the recording's own format, offering its name.
void CassetteCommands::saveUnsavedRecording(const std::string& failedPath) {
    std::string failed = failedPath;
    while (machine_.hasUnsavedRecording()) {
        messages_.warn(QStringLiteral("Cannot write the recorded cassette file %1. Choose another "
                                      "name to keep the recording.")
                           .arg(QString::fromStdString(failed)));
        const bool wav = machine_.lastRecordingFile()->format() == TapeFormat::wav;
        FileDialogRequest request{"Save Recording As",
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
