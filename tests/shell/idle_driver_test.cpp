// The idle path: frames run in real time while allowed, never while a
// modal dialog or a menu is open or the window is inactive, and resume
// without catching up.
#include <gtest/gtest.h>

#include <QDialog>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>

#include "shell_harness.h"

namespace vantorel::testing {
namespace {

// Lets Qt run its event loop for `ms` milliseconds.
void runEventsFor(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) QTest::qWait(5);
}

TEST(IdleDriver, FramesRunInRealTimeAndStopWhileAModalDialogIsOpen) {
    ShellHarness shell({1, 2}, ClockKind::steady);
    ASSERT_TRUE(shell.showActive());
    IdleDriver& driver = shell.window->driver();
    runEventsFor(200);
    const std::int64_t afterRunning = driver.framesRun();
    EXPECT_GE(afterRunning, 3);   // about 12 at 60 per second
    EXPECT_LE(afterRunning, 22);  // paced, not back to back

    QDialog dialog(shell.window.get());
    dialog.setModal(true);
    dialog.show();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::activeModalWidget(), &dialog);
    const std::int64_t whenOpened = driver.framesRun();
    runEventsFor(200);
    EXPECT_EQ(driver.framesRun(), whenOpened);
    EXPECT_FALSE(driver.framesAllowed());

    runEventsFor(300);  // a long pause: 30 frames' worth in all
    dialog.close();
    shell.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(shell.window.get()));
    runEventsFor(200);
    // Resumed at the normal rate: no burst to make up for the pause.
    const std::int64_t resumed = driver.framesRun() - whenOpened;
    EXPECT_GE(resumed, 3);
    EXPECT_LE(resumed, 22);
}

TEST(IdleDriver, AnOpenMenuStopsFramesAndTheSound) {
    ShellHarness shell({1, 2}, ClockKind::steady);
    ASSERT_TRUE(shell.showActive());
    IdleDriver& driver = shell.window->driver();
    const int stopsBefore = shell.window->devices().stopSoundCalls();
    QMenu* file = shell.window->menuBar()->actions().first()->menu();
    emit file->aboutToShow();
    EXPECT_FALSE(driver.framesAllowed());
    EXPECT_FALSE(driver.passScheduled());
    EXPECT_GT(shell.window->devices().stopSoundCalls(), stopsBefore);
    const std::int64_t frames = driver.framesRun();
    runEventsFor(100);
    EXPECT_EQ(driver.framesRun(), frames);
    emit file->aboutToHide();
    EXPECT_TRUE(driver.framesAllowed());
    runEventsFor(100);
    EXPECT_GT(driver.framesRun(), frames);
}

TEST(IdleDriver, FastModeRunsFramesBackToBack) {
    ShellHarness shell({1, 2}, ClockKind::steady);
    shell.machine->config().cpuspeedopt = 3;
    ASSERT_TRUE(shell.showActive());
    runEventsFor(300);
    EXPECT_GT(shell.window->driver().framesRun(), 30);  // 18 at 60 per second
}

TEST(IdleDriver, DeactivationStopsFramesAndTheSound) {
    ShellHarness shell({1, 2}, ClockKind::steady);
    ASSERT_TRUE(shell.showActive());
    const int stopsBefore = shell.window->devices().stopSoundCalls();
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_FALSE(shell.window->driver().framesAllowed());
    EXPECT_GT(shell.window->devices().stopSoundCalls(), stopsBefore);
    const std::int64_t frames = shell.window->driver().framesRun();
    runEventsFor(100);
    EXPECT_EQ(shell.window->driver().framesRun(), frames);
}

TEST(IdleDriver, APassWithoutADueFrameRunsNothing) {
    ShellHarness shell;  // fake clock standing still
    IdleDriver& driver = shell.window->driver();
    EXPECT_TRUE(driver.runPass());  // the first frame is due at once
    EXPECT_FALSE(driver.runPass());
    EXPECT_EQ(driver.framesRun(), 1);
    EXPECT_TRUE(shell.runFrame());
    EXPECT_EQ(driver.framesRun(), 2);
}

}  // namespace
}  // namespace vantorel::testing
