// The vantorel program's command line.
//
// One table lists every option with its value and help text; parsing fills
// a CommandLine record and stops at the first usage error. Options take
// their value as the next argument or after '=' (--frames 60, --frames=60).
// One argument that is not an option names a file to insert at start.
// Called by main.cpp; the headless runner and the desktop window read the
// record. A new option is one row in the table and one field here.
#pragma once

#include <cstdint>
#include <string>

namespace vantorel {

// VANTOREL_VERSION is the project's version in the top CMakeLists.txt, which
// the manual page, the desktop metadata and the package carry as well.
#ifndef VANTOREL_VERSION
#error "VANTOREL_VERSION comes from src/app/CMakeLists.txt"
#endif
inline constexpr const char* kVersionText = "Vantorel " VANTOREL_VERSION;
inline constexpr std::int64_t kDefaultHeadlessFrames = 300;

struct CommandLine {
    bool headless = false;     // --headless: run without a window
    bool help = false;         // --help
    bool version = false;      // --version
    bool paths = false;        // --paths: show the folders in use
    bool printScreen = false;  // --print-screen: print the screen as text at the end
    std::int64_t frames = kDefaultHeadlessFrames;  // --frames N: frames to run, 0 or more
    std::uint16_t gdbPort = 0;    // --gdb-port N: a GDB client debugs on 127.0.0.1:N; 0: none
    std::string settingsPath;     // --settings FILE: instead of the pointer file's choice
    std::string romPath;          // --rom FILE: game ROM plugged in before the first frame
    std::string snapshotPath;     // --snapshot FILE: snapshot loaded before the first frame
    std::string saveRamPath;      // --save-ram FILE: RAM image written after the last frame
    std::string typeText;         // --type TEXT: typed once booted (\r, \n, \\ decoded)
    std::string typeFilePath;     // --type-file FILE: its text typed once booted
    std::string screenshotPath;   // --screenshot FILE: the client area as a PNG at the end
    std::string wavPath;          // --wav FILE: the sound, frame by frame, as a WAV file
    std::string tapePath;         // --tape FILE: played from its start (WAV header or .wav: WAV)
    std::string recordTapePath;   // --record-tape FILE: records the tape output (same rule)
    std::string insertPath;       // FILE: a game ROM (.rom, .bin) or snapshot (.snp) to insert
    std::string printerPath;      // --printer-file FILE: what the machine prints is appended there
    std::string recordMoviePath;  // --record-movie FILE: the run's input movie, written at the end
    std::string playMoviePath;    // --play-movie FILE: the movie played back and checked

    std::string saveSnapshotPath;  // --save-snapshot FILE: a .SNP written after the last frame
};

struct CommandLineResult {
    CommandLine options;
    std::string error;  // the usage error, empty when the line was understood

    bool ok() const { return error.empty(); }
};

CommandLineResult parseCommandLine(int argc, const char* const* argv);

// The --help text: usage and one line per option.
std::string usageText();

}  // namespace vantorel
