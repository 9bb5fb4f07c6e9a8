// The Colors ("Video and Colors...") and Sound dialogs, opened from the
// Configure menu, and what the window does after their OK.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QColorDialog>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include "config/settings_file.h"
#include "settings_dialog_support.h"
#include "shell/client_image.h"
#include "shell/menu_table.h"

namespace vantorel::testing {
namespace {

struct PickerSeen {
    QColor start;         // the colour the picker started from
    QColor customOne;     // its custom colour 1
    QColor customEleven;  // its custom colour 11
};

// Clicks colour button `id`; the picker it opens takes `chosen` (or is
// cancelled when it is invalid), after its custom colour `customSlot` has
// been set to `custom`.
PickerSeen pickColour(QDialog& dialog, int id, QColor chosen, int customSlot = -1,
                      QColor custom = {}) {
    PickerSeen seen;
    bool opened = false;
    whenDialogOpens(
        [&](QDialog& picker) {
            auto* colours = qobject_cast<QColorDialog*>(&picker);
            ASSERT_NE(colours, nullptr);
            seen = {colours->currentColor(), QColorDialog::customColor(1),
                    QColorDialog::customColor(11)};
            if (customSlot >= 0) QColorDialog::setCustomColor(customSlot, custom);
            if (!chosen.isValid()) return;  // left open: cancelled
            colours->setCurrentColor(chosen);
            picker.accept();
        },
        opened);
    click(dialog, id);
    EXPECT_TRUE(opened);
    return seen;
}

TEST(VideoDialog, ColourButtonsPickColoursWithTheRunsCustomColours) {
    SettingsShell settings;
    const MachineConfig before = settings.config();
    settings.run(kCommandVideo, [&](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Colors"));
        EXPECT_TRUE(control<QRadioButton>(dialog, 1370)->isChecked());
        EXPECT_TRUE(control<QRadioButton>(dialog, 1374)->isChecked());
        EXPECT_TRUE(control<QPushButton>(dialog, 1)->isDefault());
        const PickerSeen first = pickColour(dialog, 1327, QColor(200, 0, 0));
        EXPECT_EQ(first.start, QColor(40, 224, 40)) << "the border's colour";
        EXPECT_EQ(first.customOne, QColor(40, 224, 40)) << "custom colours filled at first open";
        EXPECT_EQ(first.customEleven, QColor(240, 176, 64));
        EXPECT_EQ(pickColour(dialog, 1327, QColor(), 12, QColor(1, 2, 3)).start, QColor(200, 0, 0))
            << "the picker starts from the working colour";
        EXPECT_EQ(control<QWidget>(dialog, 1327)->grab().toImage().pixelColor(10, 10),
                  QColor(200, 0, 0));
        click(dialog, 1372);
        click(dialog, 2);
    });
    EXPECT_EQ(settings.config(), before) << "Cancel keeps the colours and the scale";
    EXPECT_FALSE(settings.settingsFileExists());
    EXPECT_EQ(settings.shell.window->settings().customColours().colours[12], QColor(1, 2, 3))
        << "custom colours changed in the picker last for the run";
    QColorDialog::setCustomColor(12, Qt::black);  // the next picker gets ours back
    settings.run(kCommandVideo, [](QDialog& dialog) {
        bool opened = false;
        QColor slot12;
        whenDialogOpens([&](QDialog&) { slot12 = QColorDialog::customColor(12); }, opened);
        click(dialog, 1325);
        EXPECT_EQ(slot12, QColor(1, 2, 3));
    });
}

TEST(VideoDialog, ColoursOnlyKeepTheWindowAndRebuildTheDisplay) {
    SettingsShell settings;
    ASSERT_TRUE(settings.shell.showActive());
    MainWindow& window = *settings.shell.window;
    window.move(100, 80);
    QApplication::processEvents();
    const QRect before = window.geometry();
    settings.run(kCommandVideo, [](QDialog& dialog) {
        pickColour(dialog, 1327, QColor(200, 0, 0));
        pickColour(dialog, 1325, QColor(255, 255, 255));
        click(dialog, 1);
    });
    QApplication::processEvents();
    EXPECT_EQ(settings.config().colours[2], (RgbColour{200, 0, 0}));
    EXPECT_EQ(settings.config().colours[0], (RgbColour{255, 255, 255}));
    EXPECT_EQ(window.geometry(), before);
    EXPECT_EQ(settings.sections(), (std::vector<std::string>{"[VIDEO]", "[COLOR]"}));
    const QImage painted = window.display().clientImage();
    EXPECT_EQ(painted.pixel(0, 0), QColor(200, 0, 0).rgb()) << "the new border is painted";
}

TEST(VideoDialog, AYScaleOfThreeMakesTheClientArea272PixelsTallerAt10And10) {
    SettingsShell settings;
    ASSERT_TRUE(settings.shell.showActive());
    MainWindow& window = *settings.shell.window;
    window.move(100, 80);
    QApplication::processEvents();
    ASSERT_EQ(window.display().size(), QSize(544, 544));
    settings.run(kCommandVideo, [](QDialog& dialog) {
        click(dialog, 1375);
        click(dialog, 1);
    });
    QApplication::processEvents();
    EXPECT_EQ(settings.config().windowscalingY, 3);
    EXPECT_EQ(window.display().displayScale(), (DisplayScale{1, 3}));
    EXPECT_EQ(window.display().size(), QSize(544, 816));
    EXPECT_EQ(window.pos(), QPoint(kWindowLeft, kWindowTop));
    MachineConfig reread;
    loadSettings(settings.folder / "settings.ini", reread, nullptr);
    EXPECT_EQ(reread.windowscalingY, 3);
}

TEST(SoundDialog, OpensFromTheSettingsAndSlidersOnlyMoveTheWorkingCopy) {
    SettingsShell settings;
    settings.config().ayflag = false;
    settings.config().clickervolpct = 30;
    const MachineConfig before = settings.config();
    settings.run(kCommandSound, [](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Configure Sound"));
        EXPECT_TRUE(control<QCheckBox>(dialog, 1400)->isChecked());
        EXPECT_FALSE(control<QCheckBox>(dialog, 1401)->isChecked());
        EXPECT_FALSE(control<QCheckBox>(dialog, 1401)->isEnabled()) << "stays disabled";
        EXPECT_FALSE(control<QSlider>(dialog, 1405)->isEnabled()) << "stays disabled";
        EXPECT_EQ(control<QSlider>(dialog, 1404)->value(), 30);
        EXPECT_EQ(control<QSlider>(dialog, 1404)->maximum(), 100);
        EXPECT_EQ(control<QSlider>(dialog, 1404)->pageStep(), 10);
        EXPECT_EQ(control<QLabel>(dialog, 1402)->text(), QStringLiteral("30% Volume"));
        EXPECT_EQ(control<QLabel>(dialog, 1403)->text(), QStringLiteral("50% Volume"));
        EXPECT_TRUE(control<QPushButton>(dialog, 2)->isDefault());
        control<QSlider>(dialog, 1404)->setValue(70);
        EXPECT_EQ(control<QLabel>(dialog, 1402)->text(), QStringLiteral("70% Volume"));
        click(dialog, 1400);
        click(dialog, 2);
    });
    EXPECT_EQ(settings.config(), before);
    EXPECT_FALSE(settings.settingsFileExists());
    EXPECT_EQ(settings.shell.window->devices().restartSoundCalls(), 0);
}

TEST(SoundDialog, OkWritesOnlySoundAndRestartsTheSoundOutput) {
    SettingsShell settings;
    settings.run(kCommandSound, [](QDialog& dialog) {
        control<QSlider>(dialog, 1404)->setValue(70);
        click(dialog, 1400);
        click(dialog, 1);
    });
    EXPECT_EQ(settings.config().clickervolpct, 70);
    EXPECT_FALSE(settings.config().clickerflag);
    EXPECT_TRUE(settings.config().ayflag);
    EXPECT_EQ(settings.sections(), std::vector<std::string>{"[SOUND]"});
    EXPECT_EQ(settings.shell.window->devices().restartSoundCalls(), 1);
}

}  // namespace
}  // namespace vantorel::testing

namespace vantorel::testing {
namespace {

// OK in any settings dialog while the settings file cannot be written (here
// a folder stands where it should be) keeps the new settings for this run
// and tells the user that they were not saved.
TEST(SettingsDialogs, OkWithASettingsFileThatCannotBeWrittenIsTold) {
    SettingsShell settings;
    std::filesystem::create_directories(settings.folder / "settings.ini");
    std::filesystem::create_directories(settings.shell.settingsPath);  // the Keyboard dialog's
    const int commands[] = {kCommandMemory, kCommandPrinter, kCommandKeyboard,
                            kCommandVideo,  kCommandSound,   kCommandSystemTiming};
    for (const int command : commands) {
        SCOPED_TRACE(command);
        settings.shell.messages.warnings.clear();
        settings.run(command, [](QDialog& dialog) { click(dialog, 1); });
        ASSERT_EQ(settings.shell.messages.warnings.size(), 1);
        EXPECT_TRUE(settings.shell.messages.warnings[0].startsWith(
            QStringLiteral("The settings were not saved: ")))
            << settings.shell.messages.warnings[0].toStdString();
    }
}

}  // namespace
}  // namespace vantorel::testing
