#include "machine/video.h"

#include <algorithm>

#include "machine/machine.h"

namespace vantorel {

namespace {

constexpr int kCellPixels = 8;                       // a character is 8 x 8 pixels
constexpr int kColumns = kFrameWidth / kCellPixels;  // 64
constexpr int kRows = kFrameHeight / kCellPixels;    // 30
constexpr int kFirstProgrammableCode = 128;

// The 8 pattern bytes of a character code: codes below 128 from the
// character ROM, the others from the programmable characters in RAM.
const std::uint8_t* patternOf(const MachineMemory& memory, const CharacterRom& characters,
                              std::uint8_t code) {
    if (code < kFirstProgrammableCode) return &characters[code * kCellPixels];
    return &memory.image[kProgrammableCharactersStart +
                         (code - kFirstProgrammableCode) * kCellPixels];
}

// One pattern byte as 8 pixels, bit 7 leftmost.
void drawPatternRow(std::uint8_t bits, const VideoPalette& palette, std::uint16_t* pixels) {
    for (int bit = 0; bit < kCellPixels; ++bit) {
        const bool lit = (bits & (0x80 >> bit)) != 0;
        pixels[bit] = lit ? palette.foreground : palette.background;
    }
}

int clampScale(std::int32_t factor) {
    return static_cast<int>(std::clamp<std::int32_t>(factor, kMinimumScale, kMaximumScale));
}

}  // namespace

VideoPalette makeVideoPalette(const std::array<RgbColour, 3>& colours) {
    return {rgbToPixel555(colours[0]), rgbToPixel555(colours[1]), rgbToPixel555(colours[2])};
}

void renderFrameImage(const MachineMemory& memory, const CharacterRom& characters,
                      const VideoPalette& palette, FrameImage& image) {
    for (int column = 0; column < kColumns; ++column) {
        for (int row = 0; row < kRows; ++row) {
            const std::uint8_t code = memory.image[kVisibleScreenStart + row * kColumns + column];
            const std::uint8_t* pattern = patternOf(memory, characters, code);
            std::uint16_t* cell = &image[static_cast<std::size_t>(row * kCellPixels * kFrameWidth +
                                                                  column * kCellPixels)];
            for (int y = 0; y < kCellPixels; ++y) {
                drawPatternRow(pattern[y], palette, cell + y * kFrameWidth);
            }
        }
    }
}

void renderFrameImage(const Machine& machine, const VideoPalette& palette, FrameImage& image) {
    renderFrameImage(machine.memory(), *machine.roms().characters, palette, image);
}

DisplayScale displayScaleFrom(const MachineConfig& config) {
    return {clampScale(config.windowscalingX), clampScale(config.windowscalingY)};
}

}  // namespace vantorel
