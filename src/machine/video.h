// The Sorcerer's screen as a picture: 64 x 30 characters of 8 x 8 pixels.
//
// Screen RAM F080-F7FF holds the 1,920 character codes, row after row.
// Codes 0-127 draw their 8 pattern bytes from the character ROM, codes
// 128-255 from the programmable characters at FC00; bit 7 of a pattern byte
// is the cell's leftmost pixel. The picture is 512 x 240 pixels of 16 bits
// (5 bits each of red, green and blue, as Qt's QImage::Format_RGB555 holds
// them), rows top to bottom, surrounded in the window by a border.
//
//   1. palette = makeVideoPalette(config.colours) when the display is created
//      (and again after the colours change).
//   2. renderFrameImage(machine, palette, image) at every paint: all 1,920
//      cells from screen RAM and the character images, no allocation.
//   3. PaintThrottle::shouldDraw(...) first while a file feeds the machine.
//   4. The geometry helpers place the picture and the border at scale X, Y.
// Called by the desktop shell's display and the screenshot writer.
#pragma once

#include <array>
#include <cstdint>

#include "config/machine_config.h"
#include "machine/machine_memory.h"

namespace vantorel {

class Machine;

inline constexpr int kFrameWidth = 512;   // pixels
inline constexpr int kFrameHeight = 240;  // pixels
inline constexpr int kFramePixels = kFrameWidth * kFrameHeight;
inline constexpr int kBorderWidth = 16;   // pixels at scale 1, left and right
inline constexpr int kBorderHeight = 16;  // pixels at scale 1, above and below
inline constexpr int kClientWidth = kFrameWidth + 2 * kBorderWidth;     // 544 at scale 1
inline constexpr int kClientHeight = kFrameHeight + 2 * kBorderHeight;  // 272 at scale 1
inline constexpr int kMinimumScale = 1;
inline constexpr int kMaximumScale = 3;

// 16-bit 5-5-5 pixels, row after row, top row first (1,024 bytes per row).
using FrameImage = std::array<std::uint16_t, kFramePixels>;

// The three configured colours as pixel values.
struct VideoPalette {
    std::uint16_t foreground = 0;  // lit character pixels (colour entry 0)
    std::uint16_t background = 0;  // unlit character pixels (colour entry 1)
    std::uint16_t border = 0;      // the border around the picture (colour entry 2)
};

// A colour as a 5-5-5 pixel (bits 10-14 red, 5-9 green, 0-4 blue, bit 15
// clear): each component keeps its top five bits, the same value QImage
// stores when an RGB colour is put into a Format_RGB555 image.
constexpr std::uint16_t rgbToPixel555(RgbColour colour) {
    return static_cast<std::uint16_t>(((colour.red >> 3) << 10) | ((colour.green >> 3) << 5) |
                                      (colour.blue >> 3));
}

VideoPalette makeVideoPalette(const std::array<RgbColour, 3>& colours);

// Draws every cell of the screen into `image` (see the top of this file).
// Reads the memory image and the character ROM image directly.
void renderFrameImage(const MachineMemory& memory, const CharacterRom& characters,
                      const VideoPalette& palette, FrameImage& image);
// The same for a machine's screen RAM and character ROM.
void renderFrameImage(const Machine& machine, const VideoPalette& palette, FrameImage& image);

// While quick type or a tape feeds the machine, only every 16th paint
// request draws: the counter runs on across throttled stretches.
class PaintThrottle {
  public:
    static constexpr std::uint32_t kDrawEvery = 16;

    // Counts a paint request; false when this one is to be skipped.
    bool shouldDraw(bool quickTypeActive, bool tapePlaying) {
        if (!quickTypeActive && !tapePlaying) return true;
        ++skipCounter_;
        return skipCounter_ % kDrawEvery == 0;
    }
    std::uint32_t skipCounter() const { return skipCounter_; }

  private:
    std::uint32_t skipCounter_ = 0;  // paint requests counted while throttled (wraps)
};

// Whole-number enlargement of the picture, each factor 1-3.
struct DisplayScale {
    int x = 1;  // horizontal factor
    int y = 2;  // vertical factor
    friend bool operator==(const DisplayScale&, const DisplayScale&) = default;
};

// The scale from `windowscalingX` / `windowscalingY`, each kept in 1-3.
DisplayScale displayScaleFrom(const MachineConfig& config);

// A rectangle in client-area pixels; right and bottom edges excluded.
struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// The whole client area: 544X by 272Y.
constexpr PixelRect clientRect(DisplayScale scale) {
    return {0, 0, kClientWidth * scale.x, kClientHeight * scale.y};
}

// Where the picture goes: 512X by 240Y at (16X, 16Y).
constexpr PixelRect imageRect(DisplayScale scale) {
    return {kBorderWidth * scale.x, kBorderHeight * scale.y, kFrameWidth * scale.x,
            kFrameHeight * scale.y};
}

// The border strips, in the order they are filled: top, bottom, left, right.
constexpr std::array<PixelRect, 4> borderRects(DisplayScale scale) {
    const int width = kClientWidth * scale.x;
    const int strip = kBorderWidth * scale.x;
    const int band = kBorderHeight * scale.y;
    const int middle = kFrameHeight * scale.y;
    return {{
        {0, 0, width, band},
        {0, band + middle, width, band},
        {0, band, strip, middle},
        {width - strip, band, strip, middle},
    }};
}

}  // namespace vantorel
