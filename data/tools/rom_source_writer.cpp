#include "rom_source_writer.h"

#include <cstdio>

namespace vantorel {
namespace {

// "    0x12, 0x34, ..." lines of 16 bytes.
std::string byteList(std::span<const std::uint8_t> bytes) {
    std::string text;
    char item[8];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i % 16 == 0) text += "    ";
        std::snprintf(item, sizeof item, "0x%02X,", bytes[i]);
        text += item;
        text += (i % 16 == 15 || i + 1 == bytes.size()) ? "\n" : " ";
    }
    return text;
}

}  // namespace

std::string writeRomSource(std::span<const std::uint8_t> monitor,
                           std::span<const std::uint8_t> characters) {
    std::string text;
    text += "// Generated at build time by vantorel_romtool from data/monitor/*.asm\n";
    text += "// (assembled by pasmo) and data/charset/*.txt. Do not edit: change the\n";
    text += "// sources and rebuild.\n";
    text += "#include <array>\n#include <cstdint>\n\n";
    text += "#include \"machine/builtin_images.h\"\n\n";
    text += "namespace vantorel {\nnamespace {\n\n";
    text += "constexpr std::array<std::uint8_t, 4096> kMonitorRom = {\n";
    text += byteList(monitor);
    text += "};\n\n";
    text += "constexpr std::array<std::uint8_t, 1024> kCharacterRom = {\n";
    text += byteList(characters);
    text += "};\n\n}  // namespace\n\n";
    text += "RomImages builtinRomImages() { return RomImages{kMonitorRom, kCharacterRom}; }\n\n";
    text += "}  // namespace vantorel\n";
    return text;
}

}  // namespace vantorel
