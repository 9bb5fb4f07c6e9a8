// The main window's desktop extras: Save .SNP..., Save Screenshot...,
// Paste, Pause, Fullscreen, the turbo key, Recent Files and Help > Vantorel
// Manual. Each command here is a few lines around its own module
// (machine_files.h, screenshot_name.h, paste_typing.h, fullscreen_layout.h,
// recent_files.h, program_identity.h).
#include <QAction>
#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMenuBar>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <system_error>

#include "app/frame_scheduler.h"
#include "app/host_devices.h"
#include "app/host_keyboard.h"
#include "config/settings_file.h"
#include "machine/machine.h"
#include "machine/machine_files.h"
#include "shell/display_widget.h"
#include "shell/idle_driver.h"
#include "shell/main_window.h"
#include "shell/menu_table.h"
#include "shell/message_sink.h"
#include "shell/paste_typing.h"
#include "shell/program_identity.h"
#include "shell/recent_files_menu.h"
#include "shell/screenshot.h"
#include "shell/screenshot_name.h"

namespace vantorel {

QString pausedWindowTitle() {
    return QStringLiteral("Vantorel Paused");
}

void MainWindow::setUpExtras() {
    recentFiles_.load();
    recentMenu_ = new RecentFilesMenu(
        actions_[kCommandRecentFiles], recentFiles_,
        [this](std::size_t index) { openRecentFile(index); }, this);
    fileCommands_.setFileOpenedListener(
        [this](RecentKind kind, const std::string& path) { rememberOpenedFile(kind, path); });
    cassetteCommands_.setPlayedListener(
        [this](const std::string& path) { rememberOpenedFile(RecentKind::tape, path); });
    // Told once the frame that failed has ended, never in the middle of it.
    parts_.devices.printer().onFailure([this](const std::string& message) {
        QTimer::singleShot(0, this, [this, text = QString::fromStdString(message)] {
            parts_.messages.warn(text);
        });
    });
}

void MainWindow::configurePrinter() {
    parts_.devices.configurePrinter(settingsCommands_.files().startupDirectory / "lprint");
}

void MainWindow::printerCommand() {
    if (settingsCommands_.printer()) configurePrinter();
}

// The printer file in the desktop's viewer for text; before anything is
// printed there is nothing to show, and the user is told so.
void MainWindow::openPrinterOutput() {
    parts_.devices.stopSound();
    PrinterOutput& printer = parts_.devices.printer();
    printer.flush();
    const QString path = QString::fromStdString(printer.path().string());
    if (!printer.connected()) {
        parts_.messages.warn(QStringLiteral("No printer file is set (Configure, Printer...)."));
    } else if (!std::filesystem::exists(printer.path())) {
        parts_.messages.warn(QStringLiteral("Nothing has been printed to %1 yet.").arg(path));
    } else if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        parts_.messages.warn(QStringLiteral("No program to show %1 was found.").arg(path));
    }
}

// A failed save is told: the user would otherwise believe the state kept.
void MainWindow::saveSnapshot() {
    parts_.devices.stopSound();
    bool saved = false;
    if (const auto problem = fileCommands_.saveSnapshot(&saved)) {
        parts_.messages.warn(
            QStringLiteral("The snapshot was not saved: %1").arg(QString::fromStdString(*problem)));
    }
    if (saved) tell(QStringLiteral("Snapshot saved"));
}

// The client area at the window's scale, border included, as --screenshot
// writes it. The screenshots folder is made first, so the dialog opens there.
void MainWindow::saveScreenshot() {
    parts_.devices.stopSound();
    const QImage image = display_->clientImage();
    std::error_code error;
    std::filesystem::create_directories(folders_.screenshot, error);
    const auto path =
        parts_.fileChooser.chooseSaveFile(screenshotDialog(folders_, QDateTime::currentDateTime()));
    if (!path) return;
    if (!savePngFile(image, *path)) {
        parts_.messages.warn(
            QStringLiteral("The screenshot was not saved: %1.").arg(QString::fromStdString(*path)));
        return;
    }
    folders_.screenshot = directoryOfPath(*path);
    tell(QStringLiteral("Screenshot saved"));
}

// Alt+S: the same picture, without a dialog, into screenshots/ under the
// start-up folder with the name Save Screenshot... would offer.
void MainWindow::quickScreenshot() {
    const std::filesystem::path folder = folders_.startup / "screenshots";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const std::filesystem::path path = folder / screenshotFileName(QDateTime::currentDateTime());
    if (!savePngFile(display_->clientImage(), path.string())) {
        warnIf(fileProblem(path.string(), "cannot write the screenshot"));
        return;
    }
    tell(QStringLiteral("Screenshot saved"));
}

void MainWindow::pasteClipboard() {
    int changed = 0;
    if (pasteAsTyping(parts_.machine, QGuiApplication::clipboard()->text(), &changed) ==
            QuickTypeResult::ok &&
        changed > 0) {
        parts_.messages.warn(
            QStringLiteral("%1 of the pasted characters have no key on the Sorcerer: accented "
                           "letters are typed as plain letters, the others as \"?\".")
                .arg(changed));
    }
}

void MainWindow::setPaused(bool paused) {
    if (paused) parts_.devices.stopSound();
    driver_->setPaused(paused);
    display_->notice().setPaused(paused);
    actions_[kCommandPause]->setChecked(paused);
    shownSpeed_ = -1;
    if (paused) {
        setWindowTitle(pausedWindowTitle());
    } else {
        updateSpeedTitle();
    }
}

bool MainWindow::paused() const {
    return driver_->paused();
}

void MainWindow::setTurbo(bool held) {
    if (held == parts_.scheduler.turbo()) return;
    if (held) parts_.devices.stopSound();
    parts_.scheduler.setTurbo(held);
    display_->notice().setTurbo(held);
    driver_->resume();
}

// Held, the machine steps back at once and on every due pass, silent; let
// go, the sound comes back and frames go on from there.
void MainWindow::setRewinding(bool held) {
    if (held == parts_.scheduler.rewinding()) return;
    if (held) {
        parts_.devices.stopSound();
        parts_.keyboard.releaseAll();
        setTurbo(false);
    }
    if (parts_.scheduler.setRewinding(held)) display_->paintDisplay();
    updateSpeedTitle();
    driver_->resume();
}

void MainWindow::rewindTenSeconds() {
    constexpr int kRewindSeconds = 10;
    if (parts_.scheduler.rewindSeconds(kRewindSeconds)) display_->paintDisplay();
}

// The menu bar goes while the picture fills the screen; the commands keep
// their shortcuts (the window holds every action), so Alt+Enter comes back.
void MainWindow::setFullscreen(bool fullscreen) {
    actions_[kCommandFullscreen]->setChecked(fullscreen);
    if (fullscreen == this->fullscreen()) return;
    if (fullscreen) {
        windowedGeometry_ = saveGeometry();
        windowedPosition_ = pos();
    }
    menuBar()->setVisible(!fullscreen);
    display_->setFullscreen(fullscreen);
    if (fullscreen) {
        showFullScreen();
        return;
    }
    // Back where it was, title bar and all, at the size it had.
    showNormal();
    restoreGeometry(windowedGeometry_);
    if (!display_->fit()) fitClientArea();
}

QPoint MainWindow::windowedPosition() const {
    return fullscreen() ? windowedPosition_ : pos();
}

// Kept in the settings file's "WINDOW" section when the window closes, and
// only when it moved, so that a window never moved writes nothing.
void MainWindow::saveWindowPosition() {
    if (parts_.settingsPath.empty() || !isVisible()) return;
    MachineConfig& config = parts_.machine.config();
    const QPoint place = windowedPosition();
    if (place == QPoint(config.windowleft, config.windowtop)) return;
    config.windowleft = place.x();
    config.windowtop = place.y();
    saveWindowSettings(parts_.settingsPath, config);  // at exit a failure is not worth a box
}

bool MainWindow::fullscreen() const {
    return display_->fullscreen();
}

void MainWindow::rememberOpenedFile(RecentKind kind, const std::filesystem::path& path) {
    if (kind == RecentKind::gameRom) tell(QStringLiteral("ROM PAC inserted: F4 or PP starts it"));
    recentFiles_.add(kind, path);
    if (recentMenu_ != nullptr) recentMenu_->rebuild();
}

void MainWindow::openRecentFile(std::size_t index) {
    if (index >= recentFiles_.entries().size()) return;
    const RecentFile file = recentFiles_.entries()[index];
    std::error_code error;
    if (!std::filesystem::is_regular_file(file.path, error)) {
        recentFiles_.remove(index);
        recentMenu_->rebuild();
        parts_.messages.warn(
            QStringLiteral("%1 is no longer there and has been taken off the Recent Files list.")
                .arg(QString::fromStdString(file.path)));
        return;
    }
    reopen(file);
    driver_->resume();
}

// Opens a listed file as its kind's command would, without the dialog; a
// busy machine ignores it as the menu commands do. A refusal is told, since
// no dialog showed what fits.
bool MainWindow::reopen(const RecentFile& file) {
    Machine& machine = parts_.machine;
    switch (file.kind) {
        case RecentKind::gameRom:
        case RecentKind::snapshot: {
            if (fileAccessBusy(machine)) return false;
            const bool rom = file.kind == RecentKind::gameRom;
            const FileResult result =
                rom ? loadGameRom(machine, file.path) : loadSnapshot(machine, file.path);
            if (result.fileOpened()) {
                (rom ? folders_.rom : folders_.snapshot) = directoryOfPath(file.path);
            }
            if (!result.ok()) {
                parts_.messages.warn(QStringLiteral("%1 was not inserted: %2.")
                                         .arg(QString::fromStdString(file.path),
                                              QString::fromStdString(result.message)));
                return false;
            }
            rememberOpenedFile(file.kind, file.path);
            return true;
        }
        case RecentKind::quickType: {
            if (machine.quickTypeActive() || !parts_.quickTypeLoader) return false;
            const QuickTypeResult result = parts_.quickTypeLoader(file.path);
            if (quickTypeFileOpened(result)) folders_.quickType = directoryOfPath(file.path);
            if (result != QuickTypeResult::ok) {
                warnIf(fileProblem(file.path, quickTypeResultText(result)));
                return false;
            }
            rememberOpenedFile(RecentKind::quickType, file.path);
            return true;
        }
        case RecentKind::tape: {
            CommandMessage message;
            const bool playing = cassetteCommands_.playTapeByName(file.path, message);
            warnIf(message);
            return playing;
        }
    }
    return false;
}

}  // namespace vantorel
