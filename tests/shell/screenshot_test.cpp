// The headless screenshot: the client area at the configured scale,
// border included, written as a PNG.
#include "shell/screenshot.h"

#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "files/write_faults.h"
#include "machine/machine.h"
#include "shell/client_image.h"
#include "support/temp_folder.h"
#include "support/test_roms.h"

namespace vantorel::testing {
namespace {

TEST(Screenshot, SavesTheClientAreaWithBorderAtTheConfiguredScale) {
    TempFolder temp;
    const TestRoms roms = idleTestRoms();
    Machine machine;
    installBuiltinImages(machine.roms(), roms.images());
    machine.config().windowscalingX = 3;
    machine.config().windowscalingY = 1;
    machine.config().colours = {RgbColour{255, 255, 255}, RgbColour{0, 0, 0}, RgbColour{200, 0, 0}};
    auto& image = machine.memory().image;
    std::fill(image.begin() + 0xF080, image.begin() + 0xF800, std::uint8_t{0x80});
    std::fill(image.begin() + 0xFC00, image.begin() + 0xFC08, std::uint8_t{0x80});  // code 80
    const std::string path = (temp / "shot.png").string();
    ASSERT_EQ(writeScreenshot(machine, path), "");
    const QImage shot = QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shot.size(), QSize(1632, 272));
    EXPECT_EQ(shot.pixel(0, 0), qRgb(200, 0, 0));
    EXPECT_EQ(shot.pixel(1631, 271), qRgb(200, 0, 0));
    EXPECT_EQ(shot.pixel(47, 16), qRgb(200, 0, 0));
    EXPECT_EQ(shot.pixel(48, 16), qRgb(255, 255, 255));  // bit 7: leftmost pixel, 3 wide
    EXPECT_EQ(shot.pixel(50, 16), qRgb(255, 255, 255));
    EXPECT_EQ(shot.pixel(51, 16), qRgb(0, 0, 0));
    EXPECT_EQ(writeScreenshot(machine, (temp / "no/such/folder/shot.png").string()),
              "cannot write the PNG file");
}

std::string fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int entryCount(const std::filesystem::path& folder) {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
    return count;
}

// The PNG is replaced in one step: a save failing at any step says so and
// leaves the old picture (or, the first time, no file at all).
TEST(Screenshot, AFailedSaveLeavesTheOldPictureWhole) {
    TempFolder temp;
    const TestRoms roms = idleTestRoms();
    Machine machine;
    installBuiltinImages(machine.roms(), roms.images());
    const std::string path = (temp / "shot.png").string();
    for (const WriteStep step : kWriteSteps) {
        FailingStep fault{step};
        ScopedWriteFaults installed{fault};
        EXPECT_EQ(writeScreenshot(machine, path), "cannot write the PNG file")
            << writeStepName(step);
        EXPECT_TRUE(fault.fired());
        EXPECT_EQ(entryCount(temp.path()), 0) << writeStepName(step);
    }
    ASSERT_EQ(writeScreenshot(machine, path), "");
    const std::string old = fileBytes(path);
    machine.config().windowscalingX = 2;
    for (const WriteStep step : kWriteSteps) {
        FailingStep fault{step};
        ScopedWriteFaults installed{fault};
        EXPECT_NE(writeScreenshot(machine, path), "") << writeStepName(step);
        EXPECT_TRUE(fileBytes(path) == old) << writeStepName(step);
        EXPECT_EQ(entryCount(temp.path()), 1) << writeStepName(step);
    }
    ASSERT_EQ(writeScreenshot(machine, path), "");
    EXPECT_EQ(QImage(QString::fromStdString(path)).size(), QSize(1088, 544));
}

TEST(ClientImage, FiveFiveFiveValuesShowAsQtShowsThem) {
    for (int value : {0, 0x7FFF, 0x7C00, 0x03E0, 0x001F, 0x2108, 0x1234}) {
        QImage one(1, 1, QImage::Format_RGB555);
        *reinterpret_cast<quint16*>(one.bits()) = static_cast<quint16>(value);
        EXPECT_EQ(pixel555ToRgb(static_cast<std::uint16_t>(value)),
                  one.convertToFormat(QImage::Format_RGB32).pixel(0, 0))
            << value;
    }
    // And the colour conversion gives the value QImage stores for an RGB colour.
    for (const RgbColour colour : {RgbColour{16, 96, 16}, RgbColour{40, 224, 40},
                                   RgbColour{255, 128, 7}, RgbColour{9, 250, 133}}) {
        QImage one(1, 1, QImage::Format_RGB555);
        one.setPixel(0, 0, qRgb(colour.red, colour.green, colour.blue));
        EXPECT_EQ(rgbToPixel555(colour), *reinterpret_cast<const quint16*>(one.constBits()));
    }
}

}  // namespace
}  // namespace vantorel::testing
