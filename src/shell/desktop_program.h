// The desktop program: start-up, the window and Qt's event loop.
//
// Start-up, in order: the settings (the pointer file in the start-up
// directory names the settings file; loading installs the built-in ROMs),
// the display scale, the frame timing, the main window (whose creation sets
// up pacing, the display, sound, the keyboard layout, a hard reset and the
// joysticks), the client area made exactly 544X x 272Y, the file dialogs'
// start folders, and the random seed for later hard resets. A file named on
// the command line is then inserted. Returns the program's exit status.
//
// Called by main.cpp when --headless is not given.
#pragma once

#include "app/command_line.h"

namespace vantorel {

int runDesktop(const CommandLine& options, int& argc, char** argv);

}  // namespace vantorel
