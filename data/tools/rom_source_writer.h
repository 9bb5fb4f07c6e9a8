// Writes the built-in ROM images as a C++ source file.
//
// The build assembles the monitor and draws the character ROM into binary
// files; this turns the two images into a source that defines
// builtinRomImages() (declared in machine/builtin_images.h), so the program
// carries them with no file to find at run time. Called by romtool_main.cpp.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "machine/rom_images.h"

namespace vantorel {

// The whole generated source. The spans must hold exactly 4,096 and 1,024 bytes.
std::string writeRomSource(std::span<const std::uint8_t> monitor,
                           std::span<const std::uint8_t> characters);

}  // namespace vantorel
