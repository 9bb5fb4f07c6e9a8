// The screen picture: cells from screen RAM through the two character sets,
// the colour conversion, the paint throttle and the window geometry.
#include "machine/video.h"

#include <gtest/gtest.h>

#include <memory>

namespace vantorel {
namespace {

constexpr VideoPalette kPalette{0x7FFF, 0x0000, 0x001F};

struct VideoFixture : ::testing::Test {
    std::unique_ptr<MachineMemory> memory = std::make_unique<MachineMemory>();
    std::unique_ptr<CharacterRom> characters = std::make_unique<CharacterRom>();
    std::unique_ptr<FrameImage> image = std::make_unique<FrameImage>();

    VideoFixture() { image->fill(0x1234); }

    std::uint16_t pixel(int x, int y) const { return (*image)[y * kFrameWidth + x]; }
    // The 8 pixels of one cell row as a pattern byte (bit 7 leftmost).
    std::uint8_t cellRow(int column, int row, int y) const {
        std::uint8_t bits = 0;
        for (int x = 0; x < 8; ++x) {
            const std::uint16_t value = pixel(column * 8 + x, row * 8 + y);
            EXPECT_TRUE(value == kPalette.foreground || value == kPalette.background);
            if (value == kPalette.foreground) bits |= static_cast<std::uint8_t>(0x80 >> x);
        }
        return bits;
    }
};

TEST_F(VideoFixture, CharacterRomCodeDrawsItsPatternBitSevenLeftmost) {
    const std::uint8_t pattern[8] = {0x80, 0x01, 0xF0, 0x0F, 0xAA, 0x55, 0x00, 0xFF};
    for (int y = 0; y < 8; ++y) (*characters)[0x41 * 8 + y] = pattern[y];
    memory->image[0xF080] = 0x41;  // top-left cell
    renderFrameImage(*memory, *characters, kPalette, *image);
    for (int y = 0; y < 8; ++y) EXPECT_EQ(cellRow(0, 0, y), pattern[y]) << "pattern row " << y;
    EXPECT_EQ(pixel(0, 0), kPalette.foreground);
    EXPECT_EQ(pixel(1, 0), kPalette.background);
    EXPECT_EQ(pixel(7, 1), kPalette.foreground);
}

TEST_F(VideoFixture, ProgrammableCodeReadsFC00AndFollowsChanges) {
    memory->image[0xF7FF] = 0x80;  // bottom-right cell
    memory->image[0xF080 + 5] = 0x80;
    memory->image[0xFC00] = 0x3C;
    renderFrameImage(*memory, *characters, kPalette, *image);
    EXPECT_EQ(cellRow(63, 29, 0), 0x3C);
    EXPECT_EQ(cellRow(5, 0, 0), 0x3C);
    memory->image[0xFC00] = 0xC3;
    memory->image[0xFFFF] = 0x81;  // last row of code 255
    memory->image[0xF080 + 6] = 0xFF;
    renderFrameImage(*memory, *characters, kPalette, *image);
    EXPECT_EQ(cellRow(63, 29, 0), 0xC3);
    EXPECT_EQ(cellRow(5, 0, 0), 0xC3);
    EXPECT_EQ(cellRow(6, 0, 7), 0x81);
}

TEST_F(VideoFixture, EveryCellIsDrawnAndHiddenRamNeverShows) {
    characters->fill(0xFF);  // every ROM character fully lit
    renderFrameImage(*memory, *characters, kPalette, *image);
    for (int i = 0; i < kFramePixels; ++i) ASSERT_EQ((*image)[i], kPalette.foreground) << i;
    const FrameImage before = *image;
    for (int address = 0xF000; address < 0xF080; ++address) memory->image[address] = 0x80;
    renderFrameImage(*memory, *characters, kPalette, *image);
    EXPECT_EQ(*image, before);
}

TEST_F(VideoFixture, RowsAndColumnsLandInTheirCells) {
    (*characters)[1 * 8 + 3] = 0x01;         // code 1: one pixel, row 3, rightmost
    memory->image[0xF080 + 64 * 7 + 9] = 1;  // row 7, column 9
    renderFrameImage(*memory, *characters, kPalette, *image);
    EXPECT_EQ(pixel(9 * 8 + 7, 7 * 8 + 3), kPalette.foreground);
    EXPECT_EQ(pixel(9 * 8 + 6, 7 * 8 + 3), kPalette.background);
    EXPECT_EQ(pixel(9 * 8 + 7, 7 * 8 + 2), kPalette.background);
}

TEST(VideoColour, FiveFiveFivePixelsKeepTheTopFiveBitsOfEachComponent) {
    EXPECT_EQ(rgbToPixel555({255, 255, 255}), 0x7FFF);
    EXPECT_EQ(rgbToPixel555({255, 0, 0}), 0x7C00);
    EXPECT_EQ(rgbToPixel555({0, 255, 0}), 0x03E0);
    EXPECT_EQ(rgbToPixel555({0, 0, 255}), 0x001F);
    EXPECT_EQ(rgbToPixel555({7, 7, 7}), 0x0000);
    EXPECT_EQ(rgbToPixel555({16, 96, 16}), (2 << 10) | (12 << 5) | 2);
    const VideoPalette palette = makeVideoPalette({RgbColour{8, 0, 0}, {0, 8, 0}, {0, 0, 8}});
    EXPECT_EQ(palette.foreground, 1 << 10);
    EXPECT_EQ(palette.background, 1 << 5);
    EXPECT_EQ(palette.border, 1);
}

TEST(VideoThrottle, DrawsEverySixteenthRequestOnlyWhileFilesFeedTheMachine) {
    PaintThrottle throttle;
    EXPECT_TRUE(throttle.shouldDraw(false, false));
    EXPECT_EQ(throttle.skipCounter(), 0u);
    int drawn = 0;
    for (int request = 1; request <= 48; ++request) {
        const bool draw = throttle.shouldDraw(request % 2 == 0, request % 2 == 1);
        if (draw) ++drawn;
        EXPECT_EQ(draw, request % 16 == 0) << request;
    }
    EXPECT_EQ(drawn, 3);
    EXPECT_TRUE(throttle.shouldDraw(false, false));
    EXPECT_EQ(throttle.skipCounter(), 48u);
}

TEST(VideoGeometry, ClientImageAndBorderAtEveryScale) {
    for (int x = 1; x <= 3; ++x) {
        for (int y = 1; y <= 3; ++y) {
            const DisplayScale scale{x, y};
            EXPECT_EQ(clientRect(scale), (PixelRect{0, 0, 544 * x, 272 * y}));
            EXPECT_EQ(imageRect(scale), (PixelRect{16 * x, 16 * y, 512 * x, 240 * y}));
            const auto border = borderRects(scale);
            EXPECT_EQ(border[0], (PixelRect{0, 0, 544 * x, 16 * y}));
            EXPECT_EQ(border[1], (PixelRect{0, 256 * y, 544 * x, 16 * y}));
            EXPECT_EQ(border[2], (PixelRect{0, 16 * y, 16 * x, 240 * y}));
            EXPECT_EQ(border[3], (PixelRect{528 * x, 16 * y, 16 * x, 240 * y}));
            // Border plus picture tile the client area exactly.
            long area = static_cast<long>(imageRect(scale).width) * imageRect(scale).height;
            for (const PixelRect& strip : border)
                area += static_cast<long>(strip.width) * strip.height;
            EXPECT_EQ(area, 544L * x * 272 * y);
        }
    }
}

TEST(VideoGeometry, ScaleComesFromTheSettingsKeptInRange) {
    MachineConfig config;
    EXPECT_EQ(displayScaleFrom(config), (DisplayScale{1, 2}));
    config.windowscalingX = 0;
    config.windowscalingY = 9;
    EXPECT_EQ(displayScaleFrom(config), (DisplayScale{1, 3}));
}

}  // namespace
}  // namespace vantorel
