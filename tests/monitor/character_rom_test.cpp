// The built-in character ROM, and the glyph sheet reader that draws it and
// the standard graphics at build time.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>
#include <string>

#include "glyph_sheet.h"
#include "machine/builtin_images.h"

namespace vantorel {
namespace {

using Glyph = std::array<std::uint8_t, 8>;

Glyph glyphOf(int code) {
    const RomImages images = builtinRomImages();
    Glyph glyph{};
    std::copy_n(images.characters.begin() + code * 8, 8, glyph.begin());
    return glyph;
}

bool blank(const Glyph& glyph) {
    return std::all_of(glyph.begin(), glyph.end(), [](std::uint8_t row) { return row == 0; });
}

TEST(CharacterRom, PrintableAsciiGlyphsAreAllDifferentAndOnlySpaceIsBlank) {
    std::set<Glyph> seen;
    for (int code = 0x20; code <= 0x7E; ++code) {
        const Glyph glyph = glyphOf(code);
        EXPECT_EQ(blank(glyph), code == 0x20) << std::hex << code;
        EXPECT_TRUE(seen.insert(glyph).second) << "code " << std::hex << code << " repeats a glyph";
    }
}

TEST(CharacterRom, SymbolsBelowSpaceAndRuboutAreDrawn) {
    for (int code = 0x00; code < 0x20; ++code) EXPECT_FALSE(blank(glyphOf(code))) << code;
    EXPECT_FALSE(blank(glyphOf(0x7F)));
}

TEST(CharacterRom, CapitalsLeaveTheBottomRowToTheUnderscoreCursor) {
    for (int code = 'A'; code <= 'Z'; ++code) EXPECT_EQ(glyphOf(code)[7], 0) << char(code);
    EXPECT_EQ(glyphOf('_')[7], 0xFF);
    for (int row = 0; row < 7; ++row) EXPECT_EQ(glyphOf('_')[row], 0) << row;
}

TEST(CharacterRom, DescendersReachTheBottomRows) {
    for (char letter : {'g', 'j', 'p', 'q', 'y'}) EXPECT_NE(glyphOf(letter)[7], 0) << letter;
    for (char letter : {'a', 'e', 'o', 'x'}) {
        EXPECT_EQ(glyphOf(letter)[0], 0) << letter;  // x-height letters start lower
        EXPECT_EQ(glyphOf(letter)[7], 0) << letter;
    }
}

// --- The glyph sheet reader ---

const std::string kGlyphA =
    "code 00 a test glyph\n"
    "#.......\n"
    ".#......\n"
    "..#.....\n"
    "...#....\n"
    "....#...\n"
    ".....#..\n"
    "......#.\n"
    "#######.\n";

const std::string kGlyphB =
    "; a comment, then a glyph with trailing spaces and a CR\n"
    "\n"
    "code 01\r\n"
    "########  \n"
    "........\n"
    "........\n"
    "........\n"
    "........\n"
    "........\n"
    "........\n"
    "...##...\n";

TEST(GlyphSheet, RowsBecomeBytesWithTheLeftmostCellInBitSeven) {
    const GlyphSheetResult result =
        parseGlyphSheets({{"a.txt", kGlyphA}, {"b.txt", kGlyphB}}, 0, 2);
    ASSERT_TRUE(result.ok) << result.error;
    const std::vector<std::uint8_t> expected = {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0xFE,
                                                0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x18};
    EXPECT_EQ(result.bytes, expected);
}

TEST(GlyphSheet, CodesMayStartAboveZero) {
    std::string sheet = kGlyphA;
    sheet.replace(sheet.find("00"), 2, "80");
    const GlyphSheetResult result = parseGlyphSheets({{"g.txt", sheet}}, 0x80, 1);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.bytes[0], 0x80);
}

// Each malformed sheet is refused with the file and line of the fault.
TEST(GlyphSheet, MalformedSheetsAreRefusedWithTheirPlace) {
    auto replaced = [](std::string text, const std::string& from, const std::string& to) {
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    const struct {
        std::string sheet;
        int count;
        std::string error;
    } cases[] = {
        {replaced(kGlyphA, "..#.....",
                  "..#....."
                  "."),
         1, "s.txt:4: row 2 of code 00"},
        {replaced(kGlyphA, "..#.....", "..#..x.."), 1, "s.txt:4: row 2 of code 00"},
        {replaced(kGlyphA, "#######.\n", ""), 1, "s.txt:8: glyph ends after 7 rows"},
        {replaced(kGlyphA, "code 00", "code 0"), 1, "s.txt:1: expected \"code XX\""},
        {replaced(kGlyphA, "code 00", "code 0G"), 1, "s.txt:1: expected \"code XX\""},
        {replaced(kGlyphA, "code 00", "code 05"), 2, "s.txt:1: code 05 is outside 00-01"},
        {kGlyphA + "##......\n", 1, "s.txt:10: expected \"code XX\""},
        {kGlyphA + kGlyphA, 2, "s.txt:10: code 00 is drawn twice"},
        {kGlyphA, 2, "code 01 is not drawn"},
    };
    for (const auto& c : cases) {
        const GlyphSheetResult result = parseGlyphSheets({{"s.txt", c.sheet}}, 0, c.count);
        EXPECT_FALSE(result.ok) << c.error;
        EXPECT_EQ(result.error.substr(0, c.error.size()), c.error) << result.error;
    }
}

TEST(GlyphSheet, AGlyphCannotRunOverIntoTheNextFile) {
    const std::string half = kGlyphA.substr(0, kGlyphA.find("....#..."));
    const GlyphSheetResult result =
        parseGlyphSheets({{"one.txt", half}, {"two.txt", "....#...\n"}}, 0, 1);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error.substr(0, 8), "one.txt:");
}

TEST(GlyphSheet, CodeRangeMustFitInAByte) {
    EXPECT_FALSE(parseGlyphSheets({}, 0xF0, 0x20).ok);
    EXPECT_FALSE(parseGlyphSheets({}, 0, 0).ok);
    EXPECT_FALSE(parseGlyphSheets({}, -1, 4).ok);
}

}  // namespace
}  // namespace vantorel
