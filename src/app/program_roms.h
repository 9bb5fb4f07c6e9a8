// The monitor and character ROM images the program boots: the built-in ones.
// Used by the desktop program and the headless runner when the settings
// install the ROM images.
#pragma once

#include "machine/builtin_images.h"
#include "machine/rom_images.h"

namespace vantorel {

inline RomImages programRomImages() {
    return builtinRomImages();
}

}  // namespace vantorel
