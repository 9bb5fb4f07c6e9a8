// The vantorel program: reads the command line and runs the machine
// headless; the desktop window is not built yet.
#include <iostream>

#include "shell/command_line.h"
#include "shell/headless_runner.h"

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
    if (options.headless) return vantorel::runHeadless(options, std::cout, std::cerr);
    std::cerr << "vantorel: the desktop window is not built yet; run with --headless\n";
    return 2;
}
