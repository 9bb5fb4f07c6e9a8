// Runs the vantorel program with arguments and collects what it printed and
// its exit status.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace vantorel::testing {

struct ProgramRun {
    int exitStatus = -1;
    std::string out;
    std::string err;
};

inline std::string quoted(const std::string& text) {
    std::string result = "'";
    for (char c : text) result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
}

inline std::string fileText(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// The home folder the program sees: inside the work folder, so that a run
// never reads or writes the real user's settings. Nothing is made there
// unless a test does it.
inline std::filesystem::path testHome(const TempFolder& workFolder) {
    return workFolder / "home";
}

// Runs the program in `workFolder` with HOME, XDG_CONFIG_HOME and
// XDG_DATA_HOME pointing into testHome(workFolder). Without a default.ini or
// VANTOREL.INI in the work folder the program looks for its settings in that
// home (absent, so the defaults apply).
inline ProgramRun runVantorel(const std::vector<std::string>& arguments,
                              const TempFolder& workFolder) {
    const std::filesystem::path home = testHome(workFolder);
    std::string command = "cd " + quoted(workFolder.path().string()) +
                          " && HOME=" + quoted(home.string()) +
                          " XDG_CONFIG_HOME=" + quoted((home / ".config").string()) +
                          " XDG_DATA_HOME=" + quoted((home / ".local/share").string()) + " " +
                          quoted(VANTOREL_EXECUTABLE);
    for (const std::string& argument : arguments) {
        command += ' ';
        command += quoted(argument);
    }
    const auto outPath = workFolder / "stdout.txt";
    const auto errPath = workFolder / "stderr.txt";
    command += " >";
    command += quoted(outPath.string());
    command += " 2>";
    command += quoted(errPath.string());
    const int status = std::system(command.c_str());
    ProgramRun run;
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = fileText(outPath);
    run.err = fileText(errPath);
    return run;
}

}  // namespace vantorel::testing
