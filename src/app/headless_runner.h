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

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "app/command_line.h"
#include "hostapi/byte_channel.h"

namespace vantorel {

class Machine;

// Returns the program's exit status: 0 when all went well, 2 when a file
// could not be used (one line on `err` names the file and the reason).
// `writeScreenshot` saves --screenshot's PNG (it needs Qt's image writer,
// which the desktop build passes in); it returns an error text, empty on
// success. Without it --screenshot is refused.
using ScreenshotWriter = std::function<std::string(const Machine&, const std::string& path)>;

// Opens --gdb-port's listener on the loopback address (the host's sockets,
// which main.cpp passes in): the listener, or null with `problem` set.
// Without it --gdb-port is refused.
using ListenerOpener =
    std::function<std::unique_ptr<ByteChannelListener>(std::uint16_t port, std::string& problem)>;

// With --gdb-port the frames do not run by count: once the machine is set
// up (and --type typed), it waits for a GDB client, stopped at its next
// instruction, and runs as the client says until it kills or detaches;
// the run then ends as usual (--save-ram, --print-screen, ...).
int runHeadless(const CommandLine& options, std::ostream& out, std::ostream& err,
                const ScreenshotWriter& writeScreenshot = {},
                const ListenerOpener& openListener = {});

}  // namespace vantorel
