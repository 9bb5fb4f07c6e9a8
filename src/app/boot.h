// The program's start-up, in the one order every front end, test and fuzz
// target uses.
//
//   1. The machine exists with its host objects (the caller made it).
//   2. The settings are read (missing keys keep what the record holds), and
//      reading them installs the ROM images: the built-in ones, or the
//      files the settings name.
//   3. The frame timing is computed from them.
//      (`createWindow`, if given, runs here: the desktop makes its window,
//      whose display scale comes from the settings.)
//   4. Pacing set-up, then the sound: while sound runs, the frame period
//      follows the audio frames.
//   5. The keyboard layout's host keys are resolved.
//   6. A hard reset: the machine runs from now on. Then the joysticks.
//   7. The reset noise is seeded from the host clock's millisecond time (a
//      machine without a clock keeps its first seed, so its runs repeat;
//      the hard reset of step 6 has drawn its noise before).
// Problems (ROM files the settings name that were not taken) come back as
// lines; boot() prints nothing. After boot() the idle path runs frames
// (frame_scheduler.h), or the caller runs them itself.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/settings_files.h"

namespace vantorel {

class Machine;
class FrameScheduler;
class HostDevices;

// What boot() starts; none owned.
struct BootParts {
    Machine& machine;
    FrameScheduler* scheduler = nullptr;  // null: unpaced (the caller runs frames)
    HostDevices* devices = nullptr;       // null: no sound and no joysticks
};

struct BootReport {
    std::vector<std::string> problems;  // one line per ROM file that was not taken
};

BootReport boot(const BootParts& parts, const SettingsFiles& files,
                const std::function<void()>& createWindow = {});

}  // namespace vantorel
