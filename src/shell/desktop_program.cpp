#include "shell/desktop_program.h"

#include <QApplication>
#include <QTimer>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "app/host_keyboard.h"
#include "app/program_folders.h"
#include "app/program_roms.h"
#include "app/start_folders.h"
#include "app/steady_host_clock.h"
#include "cassette/tape_files.h"
#include "config/settings_file.h"
#include "input/quick_type_file.h"
#include "machine/machine.h"
#include "machine/machine_files.h"
#include "machine/rom_files.h"
#include "shell/main_window.h"
#include "shell/message_sink.h"
#include "shell/program_identity.h"
#include "shell/qt_file_chooser.h"

namespace vantorel {

namespace {

// Diagnostics go to standard error when VANTOREL_DEBUG is set.
class DebugToStandardError : public DebugOutputSink {
  public:
    void debugOutput(const char* text) override {
        if (std::getenv("VANTOREL_DEBUG") != nullptr) std::cerr << text;
    }
};

std::filesystem::path settingsPathFor(const CommandLine& options, const ProgramFolders& folders) {
    if (!options.settingsPath.empty()) return options.settingsPath;
    return folders.settingsFile;
}

void reportRefusal(const std::string& path, const std::string& reason) {
    std::cerr << "vantorel: " << path << ": " << reason << "\n";
}

// --tape and --record-tape, after anything inserted (which resets the
// machine and so would stop the tape).
void startTapeFromCommandLine(Machine& machine, const CommandLine& options) {
    if (!options.tapePath.empty()) {
        const TapePlayResult result =
            machine.playCassetteFile(options.tapePath, tapeFormatForName(options.tapePath));
        if (result.error != WavError::none) {
            reportRefusal(options.tapePath, wavErrorMessage(result.error));
        } else if (!result.playing) {
            reportRefusal(options.tapePath, "cannot play the tape");
        }
    }
    if (!options.recordTapePath.empty()) {
        machine.recordTape(tapeFormatForName(options.recordTapePath), options.recordTapePath);
    }
}

// --rom, --snapshot and a FILE argument; a refused file is reported on one
// line and the program starts without it.
void insertFromCommandLine(MainWindow& window, Machine& machine, const CommandLine& options) {
    if (!options.romPath.empty()) {
        const FileResult result = loadGameRom(machine, options.romPath);
        if (!result.ok()) reportRefusal(options.romPath, result.message);
        if (result.ok()) window.rememberOpenedFile(RecentKind::gameRom, options.romPath);
    }
    if (!options.snapshotPath.empty()) {
        const FileResult result = loadSnapshot(machine, options.snapshotPath);
        if (!result.ok()) reportRefusal(options.snapshotPath, result.message);
        if (result.ok()) window.rememberOpenedFile(RecentKind::snapshot, options.snapshotPath);
    }
    if (!options.insertPath.empty()) {
        const InsertResult result = window.insertFile(options.insertPath);
        if (!result.ok) reportRefusal(options.insertPath, result.message);
    }
}

}  // namespace

int runDesktop(const CommandLine& options, int& argc, char** argv) {
    QApplication application(argc, argv);
    setUpApplicationIdentity(application);
    const ProgramFolders folders = currentProgramFolders();
    if (const std::string problem = createProgramFolders(folders); !problem.empty()) {
        std::cerr << "vantorel: cannot make the program's folders: " << problem << "\n";
    }
    const std::filesystem::path startupDirectory = folders.startup;

    SteadyHostClock clock;
    HostKeyboard keyboard;
    DebugToStandardError debug;
    Machine machine{MachineHost{&clock, &keyboard, nullptr, &debug}};
    const std::filesystem::path settingsPath = settingsPathFor(options, folders);
    const SettingsFiles settingsFiles{settingsPath, startupDirectory, programRomImages()};
    std::vector<std::string> romProblems;  // shown once the window is up
    loadSettings(settingsPath, machine.config(), [&] {
        romProblems = installBuiltinImages(machine.memory(), machine.config(),
                                           settingsFiles.builtinImages, startupDirectory);
    });
    const DisplayScale scale = displayScaleFrom(machine.config());
    machine.computeTiming();

    QtFileChooser fileChooser;
    QtMessageSink messages;
    MainWindowParts parts{machine,
                          clock,
                          keyboard,
                          fileChooser,
                          messages,
                          [&machine](const std::filesystem::path& path) {
                              return quickTypeFileOpened(machine.startQuickType(path));
                          },
                          settingsPath};
    MainWindow window(parts, scale);
    fileChooser.setOwner(&window);
    messages.setOwner(&window);
    window.move(kWindowLeft, kWindowTop);
    window.show();
    window.fitClientArea();
    window.activateWindow();

    window.setStartFolders(makeStartFolders(startupDirectory));
    window.settings().setFiles(settingsFiles);
    QTimer::singleShot(0, &window, [&messages, romProblems] {
        for (const std::string& problem : romProblems) {
            messages.warn(QString::fromStdString(problem));
        }
    });
    machine.seedRandom(clock.milliseconds());
    insertFromCommandLine(window, machine, options);
    startTapeFromCommandLine(machine, options);
    return application.exec();
}

}  // namespace vantorel
