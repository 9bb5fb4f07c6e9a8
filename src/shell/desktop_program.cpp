#include "shell/desktop_program.h"

#include <QApplication>
#include <QDir>
#include <cstdlib>
#include <iostream>

#include "config/settings_file.h"
#include "input/quick_type_file.h"
#include "machine/machine.h"
#include "shell/host_keyboard.h"
#include "shell/main_window.h"
#include "shell/message_sink.h"
#include "shell/program_roms.h"
#include "shell/qt_file_chooser.h"
#include "shell/start_folders.h"
#include "shell/steady_host_clock.h"

namespace vantorel {

namespace {

// Diagnostics go to standard error when VANTOREL_DEBUG is set.
class DebugToStandardError : public DebugOutputSink {
  public:
    void debugOutput(const char* text) override {
        if (std::getenv("VANTOREL_DEBUG") != nullptr) std::cerr << text;
    }
};

std::filesystem::path settingsPathFor(const CommandLine& options,
                                      const std::filesystem::path& startupDirectory) {
    if (!options.settingsPath.empty()) return options.settingsPath;
    return findSettingsFile(startupDirectory);
}

void insertFromCommandLine(MainWindow& window, const std::string& path) {
    const InsertResult result = window.insertFile(path);
    if (!result.ok) std::cerr << "vantorel: " << path << ": " << result.message << "\n";
}

}  // namespace

int runDesktop(const CommandLine& options, int& argc, char** argv) {
    QApplication application(argc, argv);
    const std::filesystem::path startupDirectory = QDir::currentPath().toStdString();

    SteadyHostClock clock;
    HostKeyboard keyboard;
    DebugToStandardError debug;
    Machine machine{MachineHost{&clock, &keyboard, nullptr, &debug}};
    loadSettings(settingsPathFor(options, startupDirectory), machine.config(),
                 [&machine] { installBuiltinImages(machine.memory(), programRomImages()); });
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
                          }};
    MainWindow window(parts, scale);
    fileChooser.setOwner(&window);
    messages.setOwner(&window);
    window.move(kWindowLeft, kWindowTop);
    window.show();
    window.fitClientArea();
    window.activateWindow();

    window.setStartFolders(makeStartFolders(startupDirectory));
    machine.seedRandom(clock.milliseconds());
    if (!options.insertPath.empty()) insertFromCommandLine(window, options.insertPath);
    return application.exec();
}

}  // namespace vantorel
