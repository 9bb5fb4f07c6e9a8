// The main window's sound commands: File > Record Sound... (the sound into
// a WAV file while it is heard; the same item stops it) and Configure >
// Mute. The recording itself is the host devices' (host_devices.h).
#include <QAction>
#include <filesystem>
#include <system_error>

#include "app/file_commands.h"
#include "app/host_devices.h"
#include "config/settings_file.h"
#include "machine/machine.h"
#include "machine/machine_files.h"
#include "shell/display_widget.h"
#include "shell/main_window.h"
#include "shell/message_sink.h"

namespace vantorel {

namespace {

constexpr const char* kRecordSoundText = "Record Sound...";
constexpr const char* kStopSoundText = "Stop Sound Recording";
constexpr const char* kWavProblem = "cannot write the WAV file";

FileDialogRequest soundRecordingDialog(const StartFolders& folders) {
    FileDialogRequest request{
        "Record Sound",
        {{"WAV Files (*.WAV)", {"*.wav", "*.WAV"}}},
        "wav",
        folders.sound.empty() ? folders.startup.generic_string() : folders.sound};
    request.fileName = "sound.wav";
    return request;
}

}  // namespace

// The file is made at once, so a folder that cannot be written is told
// before anything is recorded; the item then stops the recording.
void MainWindow::recordSound() {
    if (parts_.devices.soundRecording()) {
        finishSoundRecording();
        return;
    }
    parts_.devices.stopSound();
    const auto path = parts_.fileChooser.chooseSaveFile(soundRecordingDialog(folders_));
    if (!path) return;
    if (!parts_.devices.startSoundRecording(*path)) {
        warnIf(fileProblem(*path, kWavProblem));
        return;
    }
    folders_.sound = directoryOfPath(*path);
    actions_[kCommandRecordSound]->setText(QString::fromUtf8(kStopSoundText));
    tell(QStringLiteral("Recording sound"));
}

// Stopped by the menu or at exit: the file is written whole now.
void MainWindow::finishSoundRecording() {
    HostDevices& devices = parts_.devices;
    if (!devices.soundRecording()) return;
    const bool written = devices.stopSoundRecording();
    actions_[kCommandRecordSound]->setText(QString::fromUtf8(kRecordSoundText));
    if (!written) {
        warnIf(fileProblem(devices.soundRecordingPath().string(), kWavProblem));
        return;
    }
    tell(QStringLiteral("Sound recorded"));
}

// Nothing reaches the speakers while the machine, the pacing and a sound
// recording go on as before; kept in the settings file's sound section.
void MainWindow::switchMute() {
    MachineConfig& config = parts_.machine.config();
    parts_.devices.setMuted(!config.muteflag);
    actions_[kCommandMute]->setChecked(config.muteflag);
    tell(config.muteflag ? QStringLiteral("Sound muted") : QStringLiteral("Sound on"));
    if (!parts_.settingsPath.empty() && !saveSoundSettings(parts_.settingsPath, config)) {
        parts_.messages.warn(QString::fromStdString(settingsSaveProblem(parts_.settingsPath)));
    }
}

}  // namespace vantorel
