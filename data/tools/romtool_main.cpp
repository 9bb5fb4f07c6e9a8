// vantorel_romtool: the build's helper for the built-in ROM images.
//
//   vantorel_romtool glyphs OUT.bin FIRST COUNT SHEET.txt...
//       draws codes FIRST..FIRST+COUNT-1 (decimal) from the glyph sheets
//   vantorel_romtool embed OUT.cpp MONITOR.bin CHARACTERS.bin
//       writes the C++ source that builds the two images into the program
//
// Any malformed input ends the tool with a message and exit status 1, which
// stops the build.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "glyph_sheet.h"
#include "rom_source_writer.h"

namespace {

std::optional<std::string> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool writeFile(const std::string& path, const std::string& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    return static_cast<bool>(out);
}

int fail(const std::string& message) {
    std::fprintf(stderr, "vantorel_romtool: %s\n", message.c_str());
    return 1;
}

std::optional<int> parseCount(const char* text) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 0 || value > 256) return std::nullopt;
    return static_cast<int>(value);
}

int drawGlyphs(int argc, char** argv) {
    if (argc < 6) return fail("usage: glyphs OUT.bin FIRST COUNT SHEET.txt...");
    const auto first = parseCount(argv[3]);
    const auto count = parseCount(argv[4]);
    if (!first || !count) return fail("FIRST and COUNT must be numbers from 0 to 256");
    std::vector<vantorel::GlyphSource> sources;
    for (int i = 5; i < argc; ++i) {
        auto text = readFile(argv[i]);
        if (!text) return fail(std::string("cannot read ") + argv[i]);
        sources.push_back({argv[i], std::move(*text)});
    }
    const auto result = vantorel::parseGlyphSheets(sources, *first, *count);
    if (!result.ok) return fail(result.error);
    const std::string bytes(result.bytes.begin(), result.bytes.end());
    if (!writeFile(argv[2], bytes)) return fail(std::string("cannot write ") + argv[2]);
    return 0;
}

int embedImages(int argc, char** argv) {
    if (argc != 5) return fail("usage: embed OUT.cpp MONITOR.bin CHARACTERS.bin");
    const auto monitor = readFile(argv[3]);
    const auto characters = readFile(argv[4]);
    if (!monitor) return fail(std::string("cannot read ") + argv[3]);
    if (!characters) return fail(std::string("cannot read ") + argv[4]);
    if (monitor->size() != vantorel::kMonitorRomBytes) {
        return fail("the monitor ROM is " + std::to_string(monitor->size()) +
                    " bytes; it must be exactly 4096");
    }
    if (characters->size() != vantorel::kCharacterRomBytes) {
        return fail("the character ROM is " + std::to_string(characters->size()) +
                    " bytes; it must be exactly 1024");
    }
    const std::vector<std::uint8_t> monitorBytes(monitor->begin(), monitor->end());
    const std::vector<std::uint8_t> characterBytes(characters->begin(), characters->end());
    if (!writeFile(argv[2], vantorel::writeRomSource(monitorBytes, characterBytes))) {
        return fail(std::string("cannot write ") + argv[2]);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "glyphs") return drawGlyphs(argc, argv);
    if (mode == "embed") return embedImages(argc, argv);
    return fail("usage: vantorel_romtool glyphs|embed ...");
}
