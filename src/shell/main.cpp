// The vantorel program: reads the command line, then runs the desktop
// window or, with --headless, the machine without one (which never opens a
// display connection).
#include <iostream>
#include <memory>
#include <string>
#include <utility>

#include "app/command_line.h"
#include "app/headless_runner.h"
#include "app/program_folders.h"
#include "host/loopback_socket.h"

#ifdef VANTOREL_DESKTOP
#include "shell/desktop_program.h"
#include "shell/screenshot.h"
#endif

namespace {

// --gdb-port's listener: TCP on the loopback address only.
std::unique_ptr<vantorel::ByteChannelListener> listenForDebugger(std::uint16_t port,
                                                                 std::string& problem) {
    vantorel::LoopbackListen listen = vantorel::listenOnLoopback(port);
    problem = listen.problem;
    return std::move(listen.listener);
}

}  // namespace

int main(int argc, char** argv) {
    const vantorel::CommandLineResult parsed = vantorel::parseCommandLine(argc, argv);
    if (!parsed.ok()) {
        std::cerr << "vantorel: " << parsed.error << "\nTry 'vantorel --help'.\n";
        return 2;
    }
    const vantorel::CommandLine& options = parsed.options;
    if (options.help) {
        std::cout << vantorel::usageText();
        return 0;
    }
    if (options.version) {
        std::cout << vantorel::kVersionText << "\n";
        return 0;
    }
    if (options.paths) {
        std::cout << vantorel::programFoldersText(vantorel::currentProgramFolders(),
                                                  options.settingsPath);
        return 0;
    }
    if (!options.screenshotPath.empty() && !options.headless) {
        std::cerr << "vantorel: --screenshot works with --headless only\n";
        return 2;
    }
    if (!options.saveSnapshotPath.empty() && !options.headless) {
        std::cerr << "vantorel: --save-snapshot works with --headless only\n";
        return 2;
    }
#ifdef VANTOREL_DESKTOP
    if (options.headless) {
        return vantorel::runHeadless(options, std::cout, std::cerr, vantorel::writeScreenshot,
                                     listenForDebugger);
    }
    return vantorel::runDesktop(options, argc, argv);
#else
    if (options.headless) {
        return vantorel::runHeadless(options, std::cout, std::cerr, {}, listenForDebugger);
    }
    std::cerr << "vantorel: this build has no desktop window (Qt 6 was not found); run with "
                 "--headless\n";
    return 2;
#endif
}
