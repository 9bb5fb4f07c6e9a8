#include "shell/client_image.h"

#include <cstring>
#include <vector>

namespace vantorel {

namespace {

constexpr int kPixel555Values = 1 << 15;

// Qt's own expansion of every 5-5-5 value to 32 bits, so the picture shows
// the same colours as a Format_RGB555 image drawn by Qt.
std::vector<QRgb> makeExpansionTable() {
    QImage all(kPixel555Values, 1, QImage::Format_RGB555);
    auto* pixels = reinterpret_cast<quint16*>(all.bits());
    for (int value = 0; value < kPixel555Values; ++value)
        pixels[value] = static_cast<quint16>(value);
    const QImage expanded = all.convertToFormat(QImage::Format_RGB32);
    const auto* rgb = reinterpret_cast<const QRgb*>(expanded.constBits());
    return std::vector<QRgb>(rgb, rgb + kPixel555Values);
}

const std::vector<QRgb>& expansionTable() {
    static const std::vector<QRgb> table = makeExpansionTable();
    return table;
}

}  // namespace

QColor toQColor(RgbColour colour) {
    return QColor(colour.red, colour.green, colour.blue);
}

QRgb pixel555ToRgb(std::uint16_t pixel) {
    return expansionTable()[pixel & 0x7FFF];
}

void scaleFrameImage(const FrameImage& frame, DisplayScale scale, QImage& target) {
    const QSize size(kFrameWidth * scale.x, kFrameHeight * scale.y);
    if (target.size() != size || target.format() != QImage::Format_RGB32) {
        target = QImage(size, QImage::Format_RGB32);
    }
    const std::vector<QRgb>& table = expansionTable();
    for (int y = 0; y < kFrameHeight; ++y) {
        auto* line = reinterpret_cast<QRgb*>(target.scanLine(y * scale.y));
        const std::uint16_t* source = &frame[static_cast<std::size_t>(y * kFrameWidth)];
        for (int x = 0; x < kFrameWidth; ++x) {
            const QRgb rgb = table[source[x] & 0x7FFF];
            for (int copy = 0; copy < scale.x; ++copy) *line++ = rgb;
        }
        const qsizetype lineBytes = target.bytesPerLine();
        for (int copy = 1; copy < scale.y; ++copy) {
            std::memcpy(target.scanLine(y * scale.y + copy), target.scanLine(y * scale.y),
                        static_cast<std::size_t>(lineBytes));
        }
    }
}

QImage makeClientImage(const FrameImage& frame, QColor border, DisplayScale scale) {
    const PixelRect client = clientRect(scale);
    QImage image(client.width, client.height, QImage::Format_RGB32);
    image.fill(border);
    QImage picture;
    scaleFrameImage(frame, scale, picture);
    const PixelRect place = imageRect(scale);
    for (int y = 0; y < place.height; ++y) {
        std::memcpy(image.scanLine(place.top + y) + place.left * 4, picture.constScanLine(y),
                    static_cast<std::size_t>(place.width) * 4);
    }
    return image;
}

}  // namespace vantorel
