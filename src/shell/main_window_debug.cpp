// The main window's Debug menu: the debugger window, symbols and the GDB
// server. The Debugger lives as long as the window, attached to the machine
// only while the debugger window is open (so the machine runs exactly as
// without one otherwise); while that window holds the machine stopped the
// frame loop runs nothing and the sound is quiet, as under Pause. The GDB
// server takes no client while the debugger window is open, and the window
// does not open while a client has the machine.
#include <QInputDialog>
#include <QMessageBox>

#include "app/frame_scheduler.h"
#include "app/host_devices.h"
#include "debug/builtin_symbols.h"
#include "debug/symbol_files.h"
#include "host/loopback_socket.h"
#include "machine/machine.h"
#include "shell/debugger_window.h"
#include "shell/display_widget.h"
#include "shell/idle_driver.h"
#include "shell/main_window.h"
#include "shell/message_sink.h"
#include "shell/remote_debug_poller.h"

namespace vantorel {

namespace {

constexpr std::size_t kTraceLength = 1024;
constexpr int kDefaultGdbPort = 1234;

}  // namespace

SymbolTable& MainWindow::symbols() {
    if (!symbolsMade_) {
        symbols_ = builtinMonitorSymbols();
        symbolsMade_ = true;
    }
    return symbols_;
}

Debugger& MainWindow::debugger() {
    if (!debugger_) {
        debugger_ = std::make_unique<Debugger>(parts_.machine, parts_.scheduler.timeline());
    }
    return *debugger_;
}

bool MainWindow::ownWindowActive() const {
    return isActiveWindow() || (debuggerWindow_ != nullptr && debuggerWindow_->isActiveWindow());
}

// Opens the debugger window with the machine stopped between frames; a
// second call brings it to the front.
void MainWindow::openDebugger() {
    if (gdbServer_ && gdbServer_->port().connected()) {
        parts_.messages.warn(QStringLiteral(
            "A GDB client has the machine: the debugger window opens once it detaches."));
        return;
    }
    Debugger& debugger = this->debugger();
    if (debuggerWindow_ == nullptr) {
        DebuggerWindowHooks hooks;
        hooks.continueRunning = [this] { driver_->setStoppedInDebugger(false); };
        hooks.stopRunning = [this] { holdForDebugger(); };
        hooks.machineChanged = [this] { display_->paintDisplay(); };
        hooks.activationChanged = [this] { windowActivationChanged(ownWindowActive()); };
        hooks.closed = [this] { closeDebugger(); };
        debuggerWindow_ = new DebuggerWindow(debugger, symbols(), parts_.fileChooser,
                                             parts_.messages, std::move(hooks), this);
        driver_->setStopListener([this] { debuggerStopped(); });
    }
    if (!debugger.attached()) {
        if (gdbServer_) gdbServer_->setSuspended(true);
        debugger.attach();
        debugger.setRecording({true, true, true, kTraceLength});
        holdForDebugger();
        StopReason reason;
        reason.kind = StopKind::paused;
        reason.pc = static_cast<std::uint16_t>(debugger.registers().PC);
        debuggerWindow_->showStop(reason);
    }
    debuggerWindow_->show();
    debuggerWindow_->raise();
    debuggerWindow_->activateWindow();
}

void MainWindow::holdForDebugger() {
    parts_.devices.stopSound();
    driver_->setStoppedInDebugger(true);
}

// A breakpoint stopped a frame of the frame loop.
void MainWindow::debuggerStopped() {
    if (debuggerWindow_ == nullptr || !debugger_ || !debugger_->attached()) return;
    holdForDebugger();
    display_->paintDisplay();
    debuggerWindow_->showStop(debugger_->lastStop());
    debuggerWindow_->show();
    debuggerWindow_->raise();
    debuggerWindow_->activateWindow();
}

// The window closed: the breakpoints are kept for next time, but nothing
// watches the machine and frames go on.
void MainWindow::closeDebugger() {
    if (!debugger_) return;
    debugger_->setRecording({});
    debugger_->detach();
    if (gdbServer_) gdbServer_->setSuspended(false);
    driver_->setStoppedInDebugger(false);
    windowActivationChanged(ownWindowActive());
}

// Labels of the program being debugged, added to the monitor's.
void MainWindow::loadSymbols() {
    parts_.devices.stopSound();
    FileDialogRequest request;
    request.caption = "Load Symbols";
    request.filters = {{"Label Files (*.sym *.lbl *.equ *.noi *.map *.txt)",
                        {"*.sym", "*.lbl", "*.equ", "*.noi", "*.map", "*.txt", "*.SYM", "*.LBL",
                         "*.EQU", "*.NOI", "*.MAP", "*.TXT"}},
                       {"All Files (*)", {"*"}}};
    const std::optional<std::string> path = parts_.fileChooser.chooseExistingFile(request);
    if (!path) return;
    const SymbolRead read = loadSymbolFile(*path);
    const QString text = QString::fromStdString(symbolReadText(*path, read));
    if (!read.ok() || read.table.empty()) {
        parts_.messages.warn(read.ok() ? text + QStringLiteral(": no symbols found") : text);
        return;
    }
    symbols().merge(read.table);
    tell(text);
    if (debuggerWindow_ != nullptr) debuggerWindow_->refresh();
}

std::optional<std::string> MainWindow::startGdbServer(std::uint16_t port) {
    stopGdbServer();
    if (debuggerWindow_ != nullptr && debuggerWindow_->isVisible()) debuggerWindow_->close();
    LoopbackListen listen = listenOnLoopback(port);
    if (!listen.listener) {
        std::string problem = "port ";
        problem.append(std::to_string(port)).append(": ").append(listen.problem);
        return problem;
    }
    gdbPort_ = listen.port;
    auto remote = std::make_unique<RemoteDebugPort>(parts_.machine, parts_.scheduler.timeline(),
                                                    std::move(listen.listener));
    const int periodMs = std::max(1, 1000 / parts_.machine.timing().framesPerSecond);
    gdbServer_ = std::make_unique<RemoteDebugPoller>(
        std::move(remote), *driver_, periodMs, [this] { display_->paintDisplay(); },
        [this] { close(); });
    return std::nullopt;
}

void MainWindow::stopGdbServer() {
    if (!gdbServer_) return;
    gdbServer_.reset();
    gdbPort_ = 0;
    driver_->setHeldByDebugger(false);
}

void MainWindow::gdbServerCommand() {
    parts_.devices.stopSound();
    if (gdbServer_) {
        const auto answer = QMessageBox::question(
            this, QStringLiteral("GDB Server"),
            QStringLiteral("The GDB server listens on 127.0.0.1:%1. Stop it?").arg(gdbPort_));
        if (answer == QMessageBox::Yes) stopGdbServer();
        return;
    }
    bool ok = false;
    const int port =
        QInputDialog::getInt(this, QStringLiteral("GDB Server"),
                             QStringLiteral("Listen for a GDB client on 127.0.0.1, port:"),
                             kDefaultGdbPort, 1, 65535, 1, &ok);
    if (!ok) return;
    if (const auto problem = startGdbServer(static_cast<std::uint16_t>(port))) {
        parts_.messages.warn(QStringLiteral("The GDB server did not start: %1")
                                 .arg(QString::fromStdString(*problem)));
        return;
    }
    tell(QStringLiteral("GDB server on port %1").arg(gdbPort_));
}

}  // namespace vantorel
