#include "shell/debug_pictures.h"

namespace vantorel {

namespace {

constexpr int kColumns = 64;
constexpr int kRows = 30;
constexpr std::uint16_t kScreenRam = 0xF080;
constexpr int kCellPixels = 8;
constexpr int kSetColumns = 16;
constexpr QRgb kInk = qRgb(255, 255, 255);
constexpr QRgb kPaper = qRgb(0, 0, 0);

// One character's 8 rows, bit 7 leftmost, at (x, y) of `image`.
void drawCharacter(QImage& image, const PeekFunction& peek, std::uint16_t pattern, int x, int y) {
    for (int row = 0; row < kCellPixels; ++row) {
        const std::uint8_t bits = peek(static_cast<std::uint16_t>(pattern + row));
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y + row));
        for (int bit = 0; bit < kCellPixels; ++bit) {
            line[x + bit] = (bits & (0x80 >> bit)) != 0 ? kInk : kPaper;
        }
    }
}

}  // namespace

QImage screenRamPicture(const PeekFunction& peek) {
    QImage image(kColumns * kCellPixels, kRows * kCellPixels, QImage::Format_RGB32);
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            const std::uint8_t code =
                peek(static_cast<std::uint16_t>(kScreenRam + row * kColumns + column));
            const std::uint16_t pattern =
                code < 128
                    ? static_cast<std::uint16_t>(kRomCharacters.base + code * 8)
                    : static_cast<std::uint16_t>(kProgrammableCharacters.base + (code - 128) * 8);
            drawCharacter(image, peek, pattern, column * kCellPixels, row * kCellPixels);
        }
    }
    return image;
}

QImage characterSetPicture(const PeekFunction& peek, CharacterSet set) {
    const int rows = (set.characters + kSetColumns - 1) / kSetColumns;
    QImage image(kSetColumns * kCellPixels, rows * kCellPixels, QImage::Format_RGB32);
    image.fill(kPaper);
    for (int code = 0; code < set.characters; ++code) {
        drawCharacter(image, peek, static_cast<std::uint16_t>(set.base + code * 8),
                      (code % kSetColumns) * kCellPixels, (code / kSetColumns) * kCellPixels);
    }
    return image;
}

}  // namespace vantorel
