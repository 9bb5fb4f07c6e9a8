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

// Exit status of a run that `timeout` stopped.
inline constexpr int kTimedOut = 124;

// Runs the program in `workFolder` (its settings file there is absent, so
// the defaults apply). With `timeoutSeconds`, a run still going then is
// stopped and reports kTimedOut.
inline ProgramRun runVantorel(const std::vector<std::string>& arguments,
                              const TempFolder& workFolder, int timeoutSeconds = 0) {
    std::string command = "cd " + quoted(workFolder.path().string()) + " && ";
    if (timeoutSeconds > 0) command += "timeout " + std::to_string(timeoutSeconds) + " ";
    command += quoted(VANTOREL_EXECUTABLE);
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
