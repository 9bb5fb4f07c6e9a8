#include "glyph_sheet.h"

#include <array>
#include <cctype>
#include <cstddef>
#include <string_view>

namespace vantorel {
namespace {

constexpr int kRowsPerGlyph = 8;
constexpr int kCellsPerRow = 8;

std::string_view trimRight(std::string_view line) {
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) {
        line.remove_suffix(1);
    }
    return line;
}

bool isComment(std::string_view line) {
    return line.empty() || line.front() == ';';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "code XX ..." gives XX; -1 when the line is not a well-formed header.
int headerCode(std::string_view line) {
    constexpr std::string_view kKeyword = "code ";
    if (line.substr(0, kKeyword.size()) != kKeyword || line.size() < kKeyword.size() + 2) {
        return -1;
    }
    const int high = hexValue(line[kKeyword.size()]);
    const int low = hexValue(line[kKeyword.size() + 1]);
    const bool endsThere = line.size() == kKeyword.size() + 2 || line[kKeyword.size() + 2] == ' ';
    if (high < 0 || low < 0 || !endsThere) return -1;
    return high * 16 + low;
}

// One row of cells as a byte; -1 when the row is not exactly 8 of '#' and '.'.
int rowByte(std::string_view line) {
    if (line.size() != kCellsPerRow) return -1;
    int value = 0;
    for (char cell : line) {
        if (cell != '#' && cell != '.') return -1;
        value = (value << 1) | (cell == '#' ? 1 : 0);
    }
    return value;
}

class SheetParser {
  public:
    SheetParser(int firstCode, int count)
        : firstCode_(firstCode), count_(count), seen_(static_cast<std::size_t>(count), false) {
        result_.bytes.assign(static_cast<std::size_t>(count) * kRowsPerGlyph, 0);
    }

    bool parse(const GlyphSource& source) {
        name_ = &source.name;
        lineNumber_ = 0;
        currentCode_ = -1;
        rowsRead_ = kRowsPerGlyph;
        std::string_view rest = source.text;
        while (!rest.empty()) {
            const std::size_t end = rest.find('\n');
            const std::string_view line = trimRight(rest.substr(0, end));
            rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
            ++lineNumber_;
            if (!parseLine(line)) return false;
        }
        if (rowsRead_ < kRowsPerGlyph)
            return fail("glyph ends after " + std::to_string(rowsRead_) + " rows");
        return true;
    }

    GlyphSheetResult finish() {
        for (int i = 0; i < count_; ++i) {
            if (!seen_[static_cast<std::size_t>(i)]) {
                result_.error = "code " + hexText(firstCode_ + i) + " is not drawn";
                return result_;
            }
        }
        result_.ok = true;
        return result_;
    }

    GlyphSheetResult failed() { return result_; }

  private:
    bool parseLine(std::string_view line) {
        if (rowsRead_ < kRowsPerGlyph) return parseRow(line);
        if (isComment(line)) return true;
        const int code = headerCode(line);
        if (code < 0) return fail("expected \"code XX\" but found \"" + std::string(line) + "\"");
        if (code < firstCode_ || code >= firstCode_ + count_) {
            return fail("code " + hexText(code) + " is outside " + hexText(firstCode_) + "-" +
                        hexText(firstCode_ + count_ - 1));
        }
        const auto index = static_cast<std::size_t>(code - firstCode_);
        if (seen_[index]) return fail("code " + hexText(code) + " is drawn twice");
        seen_[index] = true;
        currentCode_ = code;
        rowsRead_ = 0;
        return true;
    }

    bool parseRow(std::string_view line) {
        const int value = rowByte(line);
        if (value < 0) {
            return fail("row " + std::to_string(rowsRead_) + " of code " + hexText(currentCode_) +
                        " must be 8 cells of '#' and '.'");
        }
        const auto offset = static_cast<std::size_t>(currentCode_ - firstCode_) * kRowsPerGlyph +
                            static_cast<std::size_t>(rowsRead_);
        result_.bytes[offset] = static_cast<std::uint8_t>(value);
        ++rowsRead_;
        return true;
    }

    bool fail(const std::string& what) {
        result_.error = *name_ + ":" + std::to_string(lineNumber_) + ": " + what;
        return false;
    }

    static std::string hexText(int value) {
        constexpr std::array<char, 16> kDigits = {'0', '1', '2', '3', '4', '5', '6', '7',
                                                  '8', '9', 'A', 'B', 'C', 'D', 'E', 'F'};
        return {kDigits[static_cast<std::size_t>((value >> 4) & 15)],
                kDigits[static_cast<std::size_t>(value & 15)]};
    }

    int firstCode_;
    int count_;
    std::vector<bool> seen_;
    GlyphSheetResult result_;
    const std::string* name_ = nullptr;
    int lineNumber_ = 0;
    int currentCode_ = -1;
    int rowsRead_ = kRowsPerGlyph;  // rows of the current glyph read so far
};

}  // namespace

GlyphSheetResult parseGlyphSheets(const std::vector<GlyphSource>& sources, int firstCode,
                                  int count) {
    if (firstCode < 0 || count <= 0 || firstCode + count > 256) {
        GlyphSheetResult bad;
        bad.error = "the code range must lie within 00-FF";
        return bad;
    }
    SheetParser parser(firstCode, count);
    for (const GlyphSource& source : sources) {
        if (!parser.parse(source)) return parser.failed();
    }
    return parser.finish();
}

}  // namespace vantorel
