// How the window behaves as a window: the short messages over the border
// (they come, go, stay while paused, never reach screenshots, and can be
// switched off), the picture fitted to a larger window, the minimum size,
// full screen and back, and the position kept in the settings file.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "config/settings_file.h"
#include "settings_dialog_support.h"
#include "shell/display_widget.h"
#include "shell/fullscreen_layout.h"
#include "shell/menu_table.h"
#include "shell/screen_notice.h"
#include "shell_harness.h"

namespace vantorel::testing {
namespace {

// Pixels in `area` of the widget as painted that differ from `colour`.
int pixelsOtherThan(QWidget& widget, QRect area, QColor colour) {
    const QImage shown = widget.grab().toImage();
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (shown.pixelColor(x, y).rgb() != colour.rgb()) ++count;
        }
    }
    return count;
}

TEST(ScreenNotices, AMessageShowsOverTheBorderForAboutTwoSecondsAndNeverInScreenshots) {
    TempFolder temp;
    ShellHarness shell;
    ASSERT_TRUE(shell.showActive());
    DisplayWidget& display = shell.window->display();
    const MachineConfig& config = shell.machine->config();
    const QColor border(config.colours[2].red, config.colours[2].green, config.colours[2].blue);
    const QRect topStrip(0, 0, display.clientSize().width(), display.pictureRect().top());
    EXPECT_EQ(pixelsOtherThan(display, topStrip, border), 0) << "nothing told yet";

    shell.chooser.saveAnswers.push_back((temp / "state.snp").string());
    shell.window->runCommand(kCommandSaveSnapshot);
    EXPECT_EQ(display.notice().text(), QStringLiteral("Snapshot saved"));
    EXPECT_GT(pixelsOtherThan(display, topStrip, border), 20) << "drawn over the strip";
    const QImage screenshot = display.clientImage();
    for (int x = 0; x < screenshot.width(); x += 3) {
        ASSERT_EQ(screenshot.pixelColor(x, topStrip.height() / 2).rgb(), border.rgb())
            << "the screenshot shows the message at x " << x;
    }

    QTest::qWait(kNoticeMilliseconds + 300);
    EXPECT_TRUE(display.notice().text().isEmpty());
    EXPECT_EQ(pixelsOtherThan(display, topStrip, border), 0) << "gone again";

    // Paused stays while paused; a message told meanwhile shows first.
    shell.window->runCommand(kCommandPause);
    EXPECT_EQ(display.notice().text(), QStringLiteral("Paused"));
    shell.chooser.saveAnswers.push_back((temp / "second.snp").string());
    shell.window->runCommand(kCommandSaveSnapshot);
    EXPECT_EQ(display.notice().text(), QStringLiteral("Snapshot saved"));
    QTest::qWait(kNoticeMilliseconds + 300);
    EXPECT_EQ(display.notice().text(), QStringLiteral("Paused"));
    shell.window->runCommand(kCommandPause);
    EXPECT_TRUE(display.notice().text().isEmpty());

    // A game ROM plugged in says how to start it.
    const auto rom = temp / "game.rom";
    { std::ofstream(rom, std::ios::binary) << std::string(100, '\x55'); }
    shell.chooser.answers.push_back(rom.string());
    shell.window->runCommand(kCommandLoadGameRom);
    EXPECT_EQ(display.notice().text(), QStringLiteral("ROM PAC inserted: F4 or PP starts it"));
}

TEST(ScreenNotices, ATapeThatRunsOutIsToldAndTheVideoDialogSwitchesMessagesOff) {
    SettingsShell settings;
    ShellHarness& shell = settings.shell;
    ASSERT_TRUE(shell.showActive());
    ASSERT_TRUE(shell.machine->playTapeBytes({0x01, 0x02}));
    shell.machine->writePort(0xFE, 0x10);  // motor on
    for (int frame = 0; frame < 120 && shell.machine->tapePlaying(); ++frame) shell.runFrame();
    ASSERT_FALSE(shell.machine->tapePlaying());
    shell.runFrame();
    EXPECT_EQ(shell.window->display().notice().text(), QStringLiteral("Tape ended"));

    settings.run(kCommandVideo, [](QDialog& dialog) {
        click(dialog, 1380);  // Show messages on the screen: off
        click(dialog, kOkId);
    });
    EXPECT_FALSE(settings.config().showmessagesflag);
    EXPECT_TRUE(shell.window->display().notice().text().isEmpty());
    shell.window->runCommand(kCommandPause);
    EXPECT_TRUE(shell.window->display().notice().text().isEmpty()) << "not even Paused";
    MachineConfig reread;
    loadSettings(settings.folder / "settings.ini", reread, nullptr);
    EXPECT_FALSE(reread.showmessagesflag);
}

// Scale 1 x 2 makes a 544 x 544 client area with a 512 x 480 picture.
TEST(FitPicture, GrowsInWholeStepsOrSmoothlyKeepingTheProportionsCentred) {
    const DisplayScale scale{1, 2};
    FittedPicture small = fitPicture(scale, QSize(544, 544), false);
    EXPECT_EQ(small.rect, QRect(16, 32, 512, 480));
    EXPECT_EQ(small.scale, scale);
    EXPECT_EQ(fitPicture(scale, QSize(300, 200), false).scale, scale) << "never below 100%";

    const FittedPicture whole = fitPicture(scale, QSize(1200, 1100), false);
    EXPECT_EQ(whole.scale, (DisplayScale{2, 4}));
    EXPECT_EQ(whole.rect, QRect(88, 70, 1024, 960));

    // 1100 / 544 = 2.022 times (the height decides).
    const FittedPicture smooth = fitPicture(scale, QSize(1200, 1100), true);
    EXPECT_EQ(smooth.scale, scale) << "rendered at the window's scale, then stretched";
    EXPECT_EQ(smooth.rect, QRect(82, 64, 1035, 971));

    // A wide window: the height decides, the picture is centred across.
    EXPECT_EQ(fitPicture(scale, QSize(1920, 1100), false).rect, QRect(448, 70, 1024, 960));
}

TEST(WindowBehaviour, FitTheMinimumSizeAndFullScreenAndBackToTheSameGeometry) {
    SettingsShell settings;
    MainWindow& window = *settings.shell.window;
    ASSERT_TRUE(settings.shell.showActive());
    DisplayWidget& display = window.display();

    window.resize(200, 150);  // below the picture at 100%
    QApplication::processEvents();
    EXPECT_GE(display.width(), 544);
    EXPECT_GE(display.height(), 544);

    settings.run(kCommandVideo, [](QDialog& dialog) {
        click(dialog, 1381);  // Fit the picture to the window
        click(dialog, kOkId);
    });
    ASSERT_TRUE(settings.config().fitpictureflag);
    window.resize(window.width() + 600, window.height() + 600);
    QApplication::processEvents();
    EXPECT_EQ(display.pictureScale(), (DisplayScale{2, 4}));
    EXPECT_EQ(display.pictureRect(), fitPicture({1, 2}, display.size(), false).rect);

    window.move(120, 90);
    QApplication::processEvents();
    const QRect before = window.geometry();
    window.runCommand(kCommandFullscreen);
    QApplication::processEvents();
    EXPECT_TRUE(window.fullscreen());
    EXPECT_NE(window.geometry(), before);
    window.runCommand(kCommandFullscreen);
    QApplication::processEvents();
    EXPECT_FALSE(window.fullscreen());
    EXPECT_EQ(window.geometry(), before);
}

// The position is written to [WINDOW] when the window closes, and only when
// it moved; nothing else in the file changes.
TEST(WindowBehaviour, ThePositionIsKeptInItsOwnSectionAtClose) {
    ShellHarness shell;
    ASSERT_TRUE(shell.showActive());
    shell.window->move(shell.machine->config().windowleft, shell.machine->config().windowtop);
    QApplication::processEvents();
    const QPoint unmoved = shell.window->pos();
    shell.machine->config().windowleft = unmoved.x();
    shell.machine->config().windowtop = unmoved.y();
    shell.window->move(unmoved + QPoint(113, 35));
    QApplication::processEvents();
    const QPoint moved = shell.window->pos();
    ASSERT_NE(moved, unmoved);
    shell.window->close();
    MachineConfig reread;
    loadSettings(shell.settingsPath, reread, nullptr);
    EXPECT_EQ(QPoint(reread.windowleft, reread.windowtop), moved);
    std::ifstream file(shell.settingsPath);
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_EQ(text.str().find("[VIDEO]"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("[WINDOW]"), std::string::npos) << text.str();
}

}  // namespace
}  // namespace vantorel::testing
