// The monitor ROM and character ROM that Vantorel carries built in.
//
// Both are our own: the monitor is assembled from data/monitor/*.asm and the
// character set drawn from data/charset/*.txt at build time, and the two
// images are compiled into the program (the definition is generated). Used
// by the settings loader (installBuiltinImages) and by tests that boot the
// real monitor.
#pragma once

#include "machine/rom_images.h"

namespace vantorel {

// The built-in images; the spans stay valid for the whole run.
RomImages builtinRomImages();

}  // namespace vantorel
