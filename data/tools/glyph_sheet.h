// Glyph sheets: 8 x 8 character shapes drawn as text, turned into ROM bytes.
//
// Models the way our character ROM and standard graphics are written: a sheet
// is a text file of glyphs, each a line "code XX description" (XX hex)
// followed by eight rows of eight cells, '#' lit and '.' dark. Lines that are
// empty or start with ';' are comments. The leftmost cell becomes bit 7 of
// the row's byte and a glyph's eight bytes sit at (code - first) * 8.
//
// Called by the build tool (romtool_main.cpp) and by the monitor tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantorel {

struct GlyphSource {
    std::string name;  // file name, for error messages
    std::string text;  // the whole sheet
};

struct GlyphSheetResult {
    bool ok = false;                  // true when every code was drawn once and well
    std::vector<std::uint8_t> bytes;  // count * 8 bytes when ok
    std::string error;                // "name:line: what is wrong" when not ok
};

// Parses the sheets together; they must draw every code from firstCode to
// firstCode + count - 1 exactly once (0 <= firstCode, count, first + count <= 256).
GlyphSheetResult parseGlyphSheets(const std::vector<GlyphSource>& sources, int firstCode,
                                  int count);

}  // namespace vantorel
