// The desktop program: start-up, the window and Qt's event loop.
//
// Makes the host objects (the steady clock, the keyboard, SDL's audio device
// and joysticks) and boots the machine through boot() (app/boot.h), which
// makes the main window once the settings and the timing are known, with
// the display scale from the settings. Then the window is shown with its
// client area exactly 544X x 272Y, the file dialogs get their start
// folders, and a file named on the command line is inserted. Returns the
// program's exit status.
//
// Called by main.cpp when --headless is not given.
#pragma once

#include "app/command_line.h"

namespace vantorel {

int runDesktop(const CommandLine& options, int& argc, char** argv);

}  // namespace vantorel
