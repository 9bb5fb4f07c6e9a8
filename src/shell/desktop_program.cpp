#include "shell/desktop_program.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/boot.h"
#include "app/fed_files.h"
#include "app/file_commands.h"
#include "app/frame_scheduler.h"
#include "app/host_devices.h"
#include "app/host_keyboard.h"
#include "app/program_folders.h"
#include "app/standard_error_debug.h"
#include "app/start_folders.h"
#include "app/steady_host_clock.h"
#include "cassette/tape_files.h"
#include "host/sdl_audio_device.h"
#include "host/sdl_joysticks.h"
#include "machine/machine.h"
#include "machine/machine_files.h"
#include "shell/close_on_signal.h"
#include "shell/display_widget.h"
#include "shell/main_window.h"
#include "shell/message_sink.h"
#include "shell/program_identity.h"
#include "shell/qt_file_chooser.h"

namespace vantorel {

namespace {

// A file given on the command line that cannot be used: one line on
// standard error, and a message box once the window is up (a launch from a
// file manager shows no standard error).
using Refusals = std::vector<std::string>;

void reportRefusal(Refusals& refusals, const std::string& path, const std::string& reason) {
    std::cerr << "vantorel: " << path << ": " << reason << "\n";
    refusals.push_back(fileProblem(path, reason));
}

// --tape and --record-tape, after anything inserted (which resets the
// machine and so would stop the tape).
void startTapeFromCommandLine(Machine& machine, const CommandLine& options, Refusals& refusals) {
    if (!options.tapePath.empty()) {
        const TapePlayResult result =
            playCassetteFile(machine, options.tapePath, tapeFormatForFile(options.tapePath));
        if (!result.playing) reportRefusal(refusals, options.tapePath, tapePlayProblem(result));
    }
    if (!options.recordTapePath.empty() &&
        !machine.recordTape(tapeFormatForName(options.recordTapePath), options.recordTapePath)) {
        reportRefusal(refusals, options.recordTapePath, "cannot write the recording");
    }
}

// --rom, --snapshot and a FILE argument; a refused file is reported and the
// program starts without it.
void insertFromCommandLine(MainWindow& window, Machine& machine, const CommandLine& options,
                           Refusals& refusals) {
    if (!options.romPath.empty()) {
        const FileResult result = loadGameRom(machine, options.romPath);
        if (!result.ok()) reportRefusal(refusals, options.romPath, result.message);
        if (result.ok()) window.rememberOpenedFile(RecentKind::gameRom, options.romPath);
    }
    if (!options.snapshotPath.empty()) {
        const FileResult result = loadSnapshot(machine, options.snapshotPath);
        if (!result.ok()) reportRefusal(refusals, options.snapshotPath, result.message);
        if (result.ok()) window.rememberOpenedFile(RecentKind::snapshot, options.snapshotPath);
    }
    if (!options.insertPath.empty()) {
        const InsertResult result = window.insertFile(options.insertPath);
        if (!result.ok) reportRefusal(refusals, options.insertPath, result.message);
    }
}

// Where the window was left last time, when that is still on a screen.
QPoint startPosition(const MachineConfig& config) {
    const QPoint kept(config.windowleft, config.windowtop);
    if (QGuiApplication::screenAt(kept + QPoint(40, 40)) != nullptr) return kept;
    return {kWindowLeft, kWindowTop};
}

}  // namespace

int runDesktop(const CommandLine& options, int& argc, char** argv) {
    QApplication application(argc, argv);
    setUpApplicationIdentity(application);
    StandardErrorDebugOutput debug;
    const ProgramFolders folders = currentProgramFolders(&debug);
    if (const std::string problem = createProgramFolders(folders); !problem.empty()) {
        std::cerr << "vantorel: cannot make the program's folders: " << problem << "\n";
    }
    const std::filesystem::path startupDirectory = folders.startup;

    SteadyHostClock clock;
    HostKeyboard keyboard;
    SdlAudioDevice audio{&debug};
    SdlJoysticks joysticks{&debug};
    Machine machine{MachineHost{&clock, &keyboard, nullptr, &debug}};
    FrameScheduler scheduler{machine, &clock};
    keyboard.setMachineRunsFast([&scheduler] { return scheduler.runsBackToBack(); });
    HostDevices devices{machine, &scheduler, &audio, &joysticks};
    const SettingsFiles settingsFiles{chooseSettingsFile(options.settingsPath, folders),
                                      startupDirectory};

    QtFileChooser fileChooser;
    QtMessageSink messages;
    std::unique_ptr<MainWindow> window;
    const BootReport report = boot({machine, &scheduler, &devices}, settingsFiles, [&] {
        MainWindowParts parts{machine,
                              scheduler,
                              devices,
                              keyboard,
                              fileChooser,
                              messages,
                              [&machine](const std::filesystem::path& path) {
                                  return startQuickTypeFile(machine, path);
                              },
                              settingsFiles.settingsPath};
        window = std::make_unique<MainWindow>(parts, displayScaleFrom(machine.config()));
    });
    fileChooser.setOwner(window.get());
    messages.setOwner(window.get());
    window->move(startPosition(machine.config()));
    window->show();
    window->fitClientArea();
    window->activateWindow();
    window->setStartFolders(makeStartFolders(startupDirectory));
    window->settings().setFiles(settingsFiles);
    window->configurePrinter();
    // The ROM files the settings name but that were not taken, and the
    // command line's files that could not be used, are shown once the
    // window is up.
    std::vector<std::string> problems = report.problems;
    insertFromCommandLine(*window, machine, options, problems);
    startTapeFromCommandLine(machine, options, problems);
    // SIGTERM, SIGINT, SIGHUP: as File > Exit, after any open dialog is closed.
    const CloseOnSignal closeOnSignal{[&window] {
        if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        window->close();
    }};
    // --gdb-port: the GDB server of Debug > GDB Server..., listening at
    // once; a port that cannot be opened is told like a file.
    if (options.gdbPort != 0) {
        if (const auto problem = window->startGdbServer(options.gdbPort)) {
            problems.push_back(std::string("--gdb-port: ").append(*problem));
        }
    }
    QTimer::singleShot(0, window.get(), [&messages, problems] {
        for (const std::string& problem : problems) messages.warn(QString::fromStdString(problem));
    });
    const int status = application.exec();
    debug.debugOutput((scheduler.timingStats().report() + "\n").c_str());
    return status;
}

}  // namespace vantorel
