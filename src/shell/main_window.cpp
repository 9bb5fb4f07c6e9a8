#include "shell/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QShortcut>
#include <QUrl>

#include "app/frame_scheduler.h"
#include "app/host_devices.h"
#include "app/host_keyboard.h"
#include "app/rewind_text.h"
#include "config/settings_file.h"
#include "machine/machine.h"
#include "machine/machine_files.h"
#include "shell/about_dialog.h"
#include "shell/debugger_window.h"
#include "shell/display_widget.h"
#include "shell/idle_driver.h"
#include "shell/keyboard_dialog.h"
#include "shell/keyboard_map_dialog.h"
#include "shell/message_sink.h"
#include "shell/program_identity.h"
#include "shell/qt_key_mapping.h"
#include "shell/remote_debug_poller.h"

namespace vantorel {

namespace {

constexpr quint32 kX11LockMask = 0x02;  // Caps Lock on, in an X11 event's state

QString objectNameFor(int id) {
    return QStringLiteral("id%1").arg(id);
}

}  // namespace

QString windowTitleFor(int speedPercent) {
    return QStringLiteral("Vantorel") + QString::asprintf(" %d%%  ", speedPercent);
}

MainWindow::MainWindow(MainWindowParts parts, DisplayScale scale, QWidget* parent)
    : QMainWindow(parent),
      parts_(std::move(parts)),
      fileCommands_(parts_.machine, parts_.fileChooser, folders_, parts_.quickTypeLoader),
      cassetteCommands_(parts_.machine, parts_.fileChooser, folders_),
      display_(new DisplayWidget(parts_.machine, scale, this)),
      driver_(new IdleDriver(
          parts_.scheduler, [this] { screenDue(); }, this)),
      settingsCommands_(*this, parts_.machine, *display_, parts_.fileChooser, parts_.messages),
      useScanCodes_(platformHasEvdevScanCodes()),
      recentFiles_(parts_.settingsPath) {
    setWindowTitle(QStringLiteral("Vantorel"));
    setCentralWidget(display_);
    setAcceptDrops(true);
    buildMenus();
    addHiddenShortcuts();
    setUpExtras();
    connect(display_, &DisplayWidget::focusLost, this, [this] {
        parts_.keyboard.releaseAll();
        setTurbo(false);
        setRewinding(false);
    });
    display_->createDisplay();
    applyDisplayPreferences();
    display_->setFocus();
    resize(display_->clientSize().width(),
           display_->clientSize().height() + menuBar()->sizeHint().height());
}

MainWindow::~MainWindow() {
    shutdown();
    // The debugger window goes before the Debugger it shows.
    delete debuggerWindow_;
    debuggerWindow_ = nullptr;
    // The display outlives this object's own members while QWidget deletes
    // its children; it must not call back into them then.
    disconnect(display_, nullptr, this, nullptr);
    for (const QMenu* menu : menuBar()->findChildren<QMenu*>()) {
        disconnect(menu, nullptr, this, nullptr);
    }
}

void MainWindow::buildMenus() {
    for (const MenuPopup& popup : menuBarTable()) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(popup.title));
        connect(menu, &QMenu::aboutToShow, this, &MainWindow::menuOpened);
        connect(menu, &QMenu::aboutToHide, this, &MainWindow::menuClosed);
        for (const MenuItem& item : popup.items) {
            if (item.id == kSeparator) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(QString::fromUtf8(item.text));
            action->setData(item.id);
            action->setObjectName(objectNameFor(item.id));
            action->setCheckable(item.checkable);
            QList<QKeySequence> shortcuts;
            for (const QKeyCombination keys : item.shortcuts) {
                if (keys.key() != Qt::Key_unknown) shortcuts << QKeySequence(keys);
            }
            action->setShortcuts(shortcuts);
            action->setShortcutContext(Qt::WindowShortcut);
            addAction(action);  // its shortcut works with the menu bar hidden too
            actions_[item.id] = action;
            connect(action, &QAction::triggered, this, [this, id = item.id] { runCommand(id); });
        }
    }
    if (!parts_.quickTypeLoader) actions_[kCommandQuickType]->setEnabled(false);
    actions_[kCommandKeysAsJoystick]->setChecked(parts_.machine.config().keysasjoystickflag);
    actions_[kCommandKeepRunning]->setChecked(parts_.machine.config().keeprunningflag);
    actions_[kCommandMute]->setChecked(parts_.machine.config().muteflag);
}

void MainWindow::addHiddenShortcuts() {
    for (const HiddenShortcut& hidden : hiddenShortcuts()) {
        auto* shortcut = new QShortcut(QKeySequence(hidden.keys), this);
        connect(shortcut, &QShortcut::activated, this, [this, id = hidden.id] { runCommand(id); });
    }
}

QAction* MainWindow::action(int id) const {
    const auto found = actions_.find(id);
    return found == actions_.end() ? nullptr : found->second;
}

void MainWindow::runCommand(int id) {
    const MenuItem* command = nullptr;
    for (const MenuPopup& popup : menuBarTable()) {
        for (const MenuItem& item : popup.items) {
            if (item.id == id && item.handler != nullptr) command = &item;
        }
    }
    if (command != nullptr) {
        command->handler(*this);
    } else if (id >= kCommandRecentFirst && id <= kCommandRecentLast) {
        openRecentFile(static_cast<std::size_t>(id - kCommandRecentFirst));
    }
    // A reset, a new tape, Stop Cassette or exit may have ended a recording.
    settleRecording();
    // Like the owner of a closed modal dialog, the window takes the keyboard
    // back (some desktops leave it with no window at all), and frames go on.
    // The debugger window keeps the keyboard it was given.
    if (isVisible() && !ownWindowActive() && id != kCommandDebugger) activateWindow();
    if (paused()) display_->update();  // what the command changed shows at once
    driver_->resume();
}

void MainWindow::keyboardCommand() {
    parts_.devices.stopSound();
    // Saved here rather than by the dialog, so that a failed save is told.
    MachineConfig& config = parts_.machine.config();
    if (vantorel::runKeyboardDialog(this, config, {}, parts_.keyboard) &&
        !parts_.settingsPath.empty() && !saveKeyboardSettings(parts_.settingsPath, config)) {
        parts_.messages.warn(QString::fromStdString(settingsSaveProblem(parts_.settingsPath)));
    }
}

void MainWindow::manualCommand() {
    parts_.devices.stopSound();
    openManual(parts_.messages);
}

void MainWindow::keyboardMapCommand() {
    parts_.devices.stopSound();
    runKeyboardMapDialog(this, parts_.machine, parts_.keyboard);
}

void MainWindow::aboutCommand() {
    parts_.devices.stopSound();
    vantorel::runAboutDialog(this);
}

// The hard reset comes once the dialog has closed.
void MainWindow::memoryCommand() {
    if (settingsCommands_.memory()) postCommand(kCommandHardReset);
}

void MainWindow::soundCommand() {
    if (settingsCommands_.sound()) parts_.devices.restartSound();
}

void MainWindow::timingCommand() {
    if (!settingsCommands_.timing()) return;
    parts_.machine.computeTiming();
    parts_.devices.restartSound();
}

void MainWindow::loadGameRomCommand() {
    warnIf(fileCommands_.loadGameRom());
}

void MainWindow::loadSnapshotCommand() {
    warnIf(fileCommands_.loadSnapshot());
}

void MainWindow::saveRamCommand() {
    const CommandMessage problem = fileCommands_.saveRam();
    warnIf(problem);
    if (!problem) tell(QStringLiteral("RAM saved to ram.bin"));
}

void MainWindow::playCassetteFile() {
    warnIf(cassetteCommands_.playCassetteFile());
}

void MainWindow::stopCassette() {
    cassetteCommands_.stopCassette();
}

void MainWindow::recordCassetteFile() {
    warnIf(cassetteCommands_.recordCassetteFile());
    if (parts_.machine.tapeRecording()) tell(QStringLiteral("Recording tape"));
}

void MainWindow::tell(const QString& text) {
    display_->notice().tell(text);
}

void MainWindow::applyDisplayPreferences() {
    const MachineConfig& config = parts_.machine.config();
    display_->notice().setEnabled(config.showmessagesflag);
    display_->setFit(config.fitpictureflag, config.fitsmoothflag);
}

void MainWindow::settleRecording() {
    cassetteCommands_.settleRecording(
        [this](const std::string& text) { parts_.messages.warn(QString::fromStdString(text)); });
}

void MainWindow::warnIf(const std::optional<std::string>& problem) {
    if (problem) parts_.messages.warn(QString::fromStdString(*problem));
}

void MainWindow::postCommand(int id) {
    QMetaObject::invokeMethod(
        this, [this, id] { runCommand(id); }, Qt::QueuedConnection);
}

void MainWindow::fitClientArea() {
    const QSize wanted = display_->clientSize();
    const QSize have = display_->size();
    if (have == wanted) return;
    resize(width() + wanted.width() - have.width(), height() + wanted.height() - have.height());
}

InsertResult MainWindow::insertFile(const std::filesystem::path& path) {
    const InsertResult result = vantorel::insertFile(parts_.machine, path);
    if (result.fileOpened) {
        const std::string folder = directoryOfPath(path.generic_string());
        if (result.kind == InsertKind::gameRom) folders_.rom = folder;
        if (result.kind == InsertKind::snapshot) folders_.snapshot = folder;
    }
    if (result.ok) {
        rememberOpenedFile(
            result.kind == InsertKind::gameRom ? RecentKind::gameRom : RecentKind::snapshot, path);
    }
    return result;
}

// Opening a menu stops the sound and the frames; the keys are released,
// since the menu now takes the keyboard.
void MainWindow::menuOpened() {
    parts_.devices.stopSound();
    refreshStateSlots();
    parts_.keyboard.releaseAll();
    driver_->menuOpened();
}

void MainWindow::menuClosed() {
    driver_->menuClosed();
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange) windowActivationChanged(ownWindowActive());
}

// With Keep Running in the Background the frames and the sound go on while
// another window is active; the keys are let go and the joysticks read as
// none all the same.
void MainWindow::windowActivationChanged(bool active) {
    const bool keepRunning = parts_.machine.config().keeprunningflag;
    if (!active) {
        if (!keepRunning) parts_.devices.stopSound();
        parts_.keyboard.releaseAll();
        setTurbo(false);
        setRewinding(false);
    }
    parts_.devices.setJoysticksAcquired(active);
    driver_->setWindowActive(active || keepRunning);
}

// Switched from the Configure menu; kept in the settings file's own section
// at once.
void MainWindow::switchKeepRunning() {
    MachineConfig& config = parts_.machine.config();
    config.keeprunningflag = !config.keeprunningflag;
    actions_[kCommandKeepRunning]->setChecked(config.keeprunningflag);
    driver_->setWindowActive(ownWindowActive() || config.keeprunningflag);
    if (!parts_.settingsPath.empty() && !saveDesktopSettings(parts_.settingsPath, config)) {
        parts_.messages.warn(QString::fromStdString(settingsSaveProblem(parts_.settingsPath)));
    }
}

// The cursor keys and Right Ctrl become joystick 1, or keys again; the
// choice is kept in the settings file's own section at once.
void MainWindow::switchKeysAsJoystick() {
    MachineConfig& config = parts_.machine.config();
    config.keysasjoystickflag = !config.keysasjoystickflag;
    actions_[kCommandKeysAsJoystick]->setChecked(config.keysasjoystickflag);
    if (!parts_.settingsPath.empty() && !saveJoystickSettings(parts_.settingsPath, config)) {
        parts_.messages.warn(QString::fromStdString(settingsSaveProblem(parts_.settingsPath)));
    }
}

void MainWindow::screenDue() {
    display_->paintDisplay();
    updateSpeedTitle();
    const bool playing = parts_.machine.tapePlaying();
    if (tapeWasPlaying_ && !playing && parts_.machine.tape().playbackEnded()) {
        tell(QStringLiteral("Tape ended"));
    }
    tapeWasPlaying_ = playing;
    // A WAV recording that filled its file ended during a frame: told once
    // the frame is over, not from inside it.
    if (parts_.machine.recordingEnded() && !recordingEndPosted_) {
        recordingEndPosted_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                recordingEndPosted_ = false;
                settleRecording();
                driver_->resume();
            },
            Qt::QueuedConnection);
    }
}

// True while bytes reach the printer, and for about a second of screen
// updates after the last one.
bool MainWindow::printingNow() {
    constexpr int kPrintingScreens = 60;
    const std::uint64_t printed = parts_.devices.printer().bytesReceived();
    if (printed != shownPrinterBytes_) {
        shownPrinterBytes_ = printed;
        printingScreens_ = kPrintingScreens;
    } else if (printingScreens_ > 0) {
        --printingScreens_;
    }
    return printingScreens_ > 0;
}

void MainWindow::updateSpeedTitle() {
    const int speed = parts_.scheduler.speedPercent();
    QString tape = QString::fromStdString(tapeTitleText(parts_.machine));
    if (printingNow()) tape += QStringLiteral("  Printing");
    if (parts_.scheduler.rewinding()) {
        tape += QStringLiteral("  ") +
                QString::fromStdString(rewindTitleText(parts_.scheduler.timeline(),
                                                       parts_.machine.timing().framesPerSecond));
    }
    if (speed == shownSpeed_ && tape == shownTape_) return;
    shownSpeed_ = speed;
    shownTape_ = tape;
    setWindowTitle(windowTitleFor(speed) + tape);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    keyChanged(event, true);
}

void MainWindow::keyReleaseEvent(QKeyEvent* event) {
    keyChanged(event, false);
}

void MainWindow::keyChanged(QKeyEvent* event, bool down) {
    event->accept();
    // A repeated press goes on to the keyboard, which uses it only while the
    // machine runs fast; a repeated release means the key is still down.
    const bool repeated = event->isAutoRepeat();
    if (repeated && !down) return;
    if (event->key() == Qt::Key_F9) {  // the turbo key, not a Sorcerer key
        if (!repeated) setTurbo(down);
        return;
    }
    if (event->key() == Qt::Key_F10) {  // the rewind key, not a Sorcerer key
        setRewinding(down);
        return;
    }
    HostKeyboard& keyboard = parts_.keyboard;
    if (event->key() == Qt::Key_CapsLock) {
        if (down && !repeated) keyboard.flipCapsLockToggle();
    } else if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        // X11 reports Caps Lock's state with every key: follow it, so a
        // toggle made while another window had the keyboard is seen too.
        keyboard.setCapsLockToggle((event->nativeModifiers() & kX11LockMask) != 0);
    }
    // The release lets go of the key its press went down as.
    const auto virtualKey = down ? pressedKeys_.press(*event, useScanCodes_)
                                 : pressedKeys_.release(*event, useScanCodes_);
    if (!virtualKey) return;
    if (down) {
        keyboard.keyDown(*virtualKey, hostTextForEvent(*event), repeated);
    } else {
        keyboard.keyUp(*virtualKey);
    }
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    const QMimeData* mime = event->mimeData();
    if (mime->hasUrls() && !mime->urls().isEmpty() && mime->urls().first().isLocalFile()) {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile()) return;
    event->acceptProposedAction();
    const QString path = urls.first().toLocalFile();
    openDroppedFile(path);
    settleRecording();  // a reset on the way ends a recording
    driver_->resume();
}

// A tape (".wav", ".cvz") plays and a text (".txt") is typed, as from
// Recent Files; anything else is inserted as a game ROM or snapshot.
void MainWindow::openDroppedFile(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    const std::string name = path.toStdString();
    if (suffix == QLatin1String("wav") || suffix == QLatin1String("cvz")) {
        if (fileAccessBusy(parts_.machine)) {
            parts_.messages.warn(
                QStringLiteral("%1 was not played: a tape or a typed text is still running; "
                               "Stop Cassette or a reset ends it.")
                    .arg(path));
            return;
        }
        reopen({RecentKind::tape, name});
        return;
    }
    if (suffix == QLatin1String("txt")) {
        reopen({RecentKind::quickType, name});
        return;
    }
    const InsertResult result = insertFile(name);
    if (!result.ok) {
        parts_.messages.warn(QStringLiteral("%1 was not inserted: %2.")
                                 .arg(path, QString::fromStdString(result.message)));
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    shutdown();
    event->accept();
}

// In order: cassette, sound recording, game ROM, sound, joysticks, display. Settings are not
// written at exit. A recording's file is written now; one that cannot be is
// offered under another name while the window is still there.
void MainWindow::shutdown() {
    if (shutDown_) return;
    shutDown_ = true;
    driver_->stop();
    gdbServer_.reset();
    if (debugger_) debugger_->detach();
    saveWindowPosition();
    parts_.machine.stopCassette();
    settleRecording();
    finishSoundRecording();
    removeGameRom(parts_.machine);
    parts_.devices.releaseSound();
    parts_.devices.releaseJoysticks();
    display_->releaseDisplay();
}

}  // namespace vantorel
