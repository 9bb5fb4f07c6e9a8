// The machine without a window: boot, run a number of frames as fast as the
// host allows, and report what the machine shows.
//
// Loads the settings, plugs in the ROM or snapshot given on the command
// line, types the text of --type or --type-file (quick type) until it is all
// typed, runs the frames unpaced (with --wav recording their sound into a
// WAV file), then writes the RAM image and the snapshot and prints the
// screen as asked. The best end-to-end check the emulator has: tests run it
// and compare the screen text.
//
// Called by main.cpp for --headless.
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "app/command_line.h"

namespace vantorel {

class Machine;

// Returns the program's exit status: 0 when all went well, 2 when a file
// could not be used (one line on `err` names the file and the reason).
// `writeScreenshot` saves --screenshot's PNG (it needs Qt's image writer,
// which the desktop build passes in); it returns an error text, empty on
// success. Without it --screenshot is refused.
using ScreenshotWriter = std::function<std::string(const Machine&, const std::string& path)>;

int runHeadless(const CommandLine& options, std::ostream& out, std::ostream& err,
                const ScreenshotWriter& writeScreenshot = {});

}  // namespace vantorel
