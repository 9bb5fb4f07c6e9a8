// Host keys into the machine: Qt events to virtual keys, the 256 key
// states, the once-per-frame scan, Caps Lock and focus loss.
#include <gtest/gtest.h>

#include <QKeyEvent>

#include "shell/qt_key_mapping.h"
#include "shell_harness.h"

namespace vantorel::testing {
namespace {

constexpr int kRowLetters = 2;  // x z a q 1
constexpr int kRowModifiers = 0;

TEST(KeyMapping, ScanCodesFollowTheUsPhysicalLayout) {
    EXPECT_EQ(virtualKeyForScanCode(38), 0x41);  // evdev 30: A
    EXPECT_EQ(virtualKeyForScanCode(10), 0x31);  // evdev 2: 1
    EXPECT_EQ(virtualKeyForScanCode(19), 0x30);  // evdev 11: 0
    EXPECT_EQ(virtualKeyForScanCode(47), 0xBA);  // evdev 39: ; whatever the layout prints
    EXPECT_EQ(virtualKeyForScanCode(49), 0xC0);  // evdev 41: `
    EXPECT_EQ(virtualKeyForScanCode(50), 0xA0);  // left Shift
    EXPECT_EQ(virtualKeyForScanCode(62), 0xA1);  // right Shift
    EXPECT_EQ(virtualKeyForScanCode(66), 0x14);  // Caps Lock
    EXPECT_EQ(virtualKeyForScanCode(96), 0x7B);  // F12
    EXPECT_EQ(virtualKeyForScanCode(90), 0x60);  // keypad 0
    EXPECT_EQ(virtualKeyForScanCode(19 + 0), 0x30);
    EXPECT_EQ(virtualKeyForScanCode(36), 0x0D);   // Enter
    EXPECT_EQ(virtualKeyForScanCode(104), 0x0D);  // keypad Enter
    EXPECT_EQ(virtualKeyForScanCode(0), std::nullopt);
    EXPECT_EQ(virtualKeyForScanCode(8 + 84), std::nullopt);  // no such key
    EXPECT_EQ(virtualKeyForScanCode(100000), std::nullopt);
}

TEST(KeyMapping, QtKeysWithoutScanCodesKeepTheKeypadApart) {
    EXPECT_EQ(virtualKeyForQtKey(Qt::Key_A, Qt::NoModifier), 0x41);
    EXPECT_EQ(virtualKeyForQtKey(Qt::Key_Exclam, Qt::ShiftModifier), 0x31);  // the 1 key
    EXPECT_EQ(virtualKeyForQtKey(Qt::Key_Colon, Qt::ShiftModifier), 0xBA);
    EXPECT_EQ(virtualKeyForQtKey(Qt::Key_7, Qt::NoModifier), 0x37);
    EXPECT_EQ(virtualKeyForQtKey(Qt::Key_7, Qt::KeypadModifier), 0x67);
    EXPECT_EQ(virtualKeyForQtKey(Qt::Key_Home, Qt::KeypadModifier), 0x67);  // Num Lock off
    EXPECT_EQ(virtualKeyForQtKey(Qt::Key_Home, Qt::NoModifier), 0x24);
    EXPECT_EQ(virtualKeyForQtKey(Qt::Key_Plus, Qt::KeypadModifier), 0x6B);
    EXPECT_EQ(virtualKeyForQtKey(Qt::Key_Minus, Qt::NoModifier), 0xBD);
    EXPECT_EQ(virtualKeyForQtKey(Qt::Key_Enter, Qt::KeypadModifier), 0x0D);
    EXPECT_EQ(virtualKeyForQtKey(Qt::Key_F1, Qt::NoModifier), 0x70);
    EXPECT_EQ(virtualKeyForQtKey(Qt::Key_F12, Qt::NoModifier), 0x7B);
    EXPECT_EQ(virtualKeyForQtKey(Qt::Key_Shift, Qt::ShiftModifier), 0xA0);
    EXPECT_EQ(virtualKeyForQtKey(Qt::Key_unknown, Qt::NoModifier), std::nullopt);
}

TEST(HostKeyboard, SidesOfAModifierMakeItsGenericKeyAndCapsLockKeepsItsToggle) {
    HostKeyboard keyboard;
    keyboard.keyDown(0xA0);
    keyboard.keyDown(0xA1);
    EXPECT_TRUE(keyboard.isDown(0x10));
    keyboard.keyUp(0xA0);
    EXPECT_TRUE(keyboard.isDown(0x10));  // right Shift still held
    keyboard.keyUp(0xA1);
    EXPECT_FALSE(keyboard.isDown(0x10));
    keyboard.flipCapsLockToggle();
    keyboard.keyDown(0x41);
    keyboard.releaseAll();
    EXPECT_FALSE(keyboard.isDown(0x41));
    EXPECT_TRUE(keyboard.capsLockToggle());
    std::array<std::uint8_t, kVirtualKeyCount> states{};
    keyboard.copyKeyStates(states);
    EXPECT_EQ(states[0x14], kKeyToggleBit);
    EXPECT_EQ(keyboard.keyForCharacter('a'), 0x41);
}

TEST(ShellKeyboard, APressReachesTheMatrixOnlyAfterTheNextFramesScan) {
    ShellHarness shell;
    shell.runFrame();
    QTest::keyPress(shell.window.get(), Qt::Key_A);
    EXPECT_TRUE(shell.keyboard.isDown(0x41));
    EXPECT_EQ(shell.machine->keyboard().readKeyboardRow(kRowLetters), 0xFF);
    shell.runFrame();  // the scan at the end of this frame sees the key
    EXPECT_EQ(shell.machine->keyboard().readKeyboardRow(kRowLetters), 0xFB);
    QTest::keyRelease(shell.window.get(), Qt::Key_A);
    EXPECT_EQ(shell.machine->keyboard().readKeyboardRow(kRowLetters), 0xFB);
    shell.runFrame();  // a press is seen in two scans at least
    EXPECT_EQ(shell.machine->keyboard().readKeyboardRow(kRowLetters), 0xFB);
    shell.runFrame();
    EXPECT_EQ(shell.machine->keyboard().readKeyboardRow(kRowLetters), 0xFF);
}

TEST(ShellKeyboard, ShiftAndAutoRepeatAndCapsLock) {
    ShellHarness shell;
    QTest::keyPress(shell.window.get(), Qt::Key_Shift);
    QKeyEvent repeatRelease(QEvent::KeyRelease, Qt::Key_Shift, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(shell.window.get(), &repeatRelease);  // auto-repeat: still held
    shell.runFrame();
    EXPECT_EQ(shell.machine->keyboard().readKeyboardRow(kRowModifiers), 0xEF);
    QTest::keyRelease(shell.window.get(), Qt::Key_Shift);
    QTest::keyClick(shell.window.get(), Qt::Key_CapsLock);  // toggled on, released
    shell.runFrame();
    EXPECT_EQ(shell.machine->keyboard().readKeyboardRow(kRowModifiers), 0xE7);  // Shift's 2nd scan
    shell.runFrame();
    EXPECT_EQ(shell.machine->keyboard().readKeyboardRow(kRowModifiers), 0xF7);
    shell.runFrame();
    EXPECT_EQ(shell.machine->keyboard().readKeyboardRow(kRowModifiers), 0xF7);
    QTest::keyClick(shell.window.get(), Qt::Key_CapsLock);  // off again
    shell.runFrame();
    EXPECT_EQ(shell.machine->keyboard().readKeyboardRow(kRowModifiers), 0xFF);
}

TEST(ShellKeyboard, TabReachesTheMachineInsteadOfMovingTheFocus) {
    ShellHarness shell;
    ASSERT_TRUE(shell.showActive());
    QTest::keyPress(&shell.window->display(), Qt::Key_Tab);
    EXPECT_TRUE(shell.keyboard.isDown(0x09));
    EXPECT_TRUE(shell.window->display().hasFocus());
}

TEST(ShellKeyboard, LosingTheFocusReleasesEveryKey) {
    ShellHarness shell;
    ASSERT_TRUE(shell.showActive());
    QTest::keyPress(&shell.window->display(), Qt::Key_A);
    shell.runFrame();
    ASSERT_EQ(shell.machine->keyboard().readKeyboardRow(kRowLetters), 0xFB);
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_FALSE(shell.keyboard.isDown(0x41));
    shell.runFrame();
    EXPECT_EQ(shell.machine->keyboard().readKeyboardRow(kRowLetters), 0xFF);
}

// Sends a key event as the host gives it: Qt key, modifiers, the text the
// host's layout made of it, auto-repeated or not.
void sendKey(QWidget* window, QEvent::Type type, int key, Qt::KeyboardModifiers modifiers,
             const QString& text, bool autoRepeat = false) {
    QKeyEvent event(type, key, modifiers, text, autoRepeat);
    QApplication::sendEvent(window, &event);
}

TEST(KeyMapping, TheHostsTextGoesWithTheKeyAndADeadKeyTypesItsMark) {
    const QKeyEvent slash(QEvent::KeyPress, Qt::Key_7, Qt::ShiftModifier, QStringLiteral("/"));
    EXPECT_EQ(hostTextForEvent(slash), U'/');
    const QKeyEvent umlaut(QEvent::KeyPress, Qt::Key_Odiaeresis, Qt::NoModifier,
                           QString(QChar(0x00F6)));
    EXPECT_EQ(hostTextForEvent(umlaut), U'\u00F6');
    const QKeyEvent dead(QEvent::KeyPress, Qt::Key_Dead_Circumflex, Qt::NoModifier, QString());
    EXPECT_EQ(hostTextForEvent(dead), U'^');
    const QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier, QString());
    EXPECT_EQ(hostTextForEvent(f1), kNoKeyText);
}

// xdotool types ^ on a German layout by mapping it to a spare key code for
// one press: the release, seen after the map changed back, still lets go of
// the key the press went down as.
TEST(KeyMapping, AReleaseLetsGoOfTheKeyItsPressWentDownAs) {
    PressedKeyCodes pressed;
    const QKeyEvent down(QEvent::KeyPress, Qt::Key_AsciiCircum, Qt::NoModifier, 8, 0, 0,
                         QStringLiteral("^"));
    const QKeyEvent up(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, 8, 0, 0, QString());
    EXPECT_EQ(pressed.press(down, false), 0x36);  // the US 6 key
    EXPECT_EQ(pressed.release(up, false), 0x36);
    EXPECT_EQ(pressed.release(up, false), std::nullopt);  // once only
    const QKeyEvent plain(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    EXPECT_EQ(pressed.release(plain, false), 0x41);  // no code: by its Qt key
}

// Sensible mode through the window: a German host's Shift+7 types / (the
// Sorcerer's / key, row 9 column 0, without SHIFT); AltGr+Q types @.
TEST(ShellKeyboard, SensibleModeTypesTheCharacterTheHostsLayoutGave) {
    ShellHarness shell;
    shell.machine->config().emulatedflag = false;
    QWidget* window = shell.window.get();
    sendKey(window, QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier, QString());
    sendKey(window, QEvent::KeyPress, Qt::Key_7, Qt::ShiftModifier, QStringLiteral("/"));
    shell.runFrame();
    const KeyboardMatrix& matrix = shell.machine->keyboard();
    EXPECT_EQ(matrix.readKeyboardRow(9), 0xFE);
    EXPECT_EQ(matrix.readKeyboardRow(kRowModifiers), 0xFF);
    sendKey(window, QEvent::KeyRelease, Qt::Key_7, Qt::ShiftModifier, QStringLiteral("/"));
    sendKey(window, QEvent::KeyRelease, Qt::Key_Shift, Qt::NoModifier, QString());
    sendKey(window, QEvent::KeyPress, Qt::Key_Q, Qt::GroupSwitchModifier, QStringLiteral("@"));
    sendKey(window, QEvent::KeyRelease, Qt::Key_Q, Qt::GroupSwitchModifier, QStringLiteral("@"));
    for (int frame = 0; frame < 3; ++frame) shell.runFrame();  // with a scan between keys
    EXPECT_EQ(matrix.readKeyboardRow(9), 0xFF);
    EXPECT_EQ(matrix.readKeyboardRow(10), 0xFD);  // the @ key
    EXPECT_EQ(matrix.readKeyboardRow(kRowModifiers), 0xFF);
}

// With the turbo key held a held key is a press of three frames; the
// host's auto-repeat presses it again. Without turbo auto-repeat is ignored.
TEST(ShellKeyboard, WhileTurboRunsAHeldKeyPressesOnlyWithTheHostsRepeats) {
    ShellHarness shell;
    shell.keyboard.setMachineRunsFast([&shell] { return shell.scheduler->runsBackToBack(); });
    QWidget* window = shell.window.get();
    const KeyboardMatrix& matrix = shell.machine->keyboard();
    std::string seen;
    const auto runFrames = [&](int count) {
        for (int frame = 0; frame < count; ++frame) {
            shell.runFrame();
            seen += matrix.readKeyboardRow(kRowLetters) == 0xFB ? 'A' : '.';
        }
    };
    sendKey(window, QEvent::KeyPress, Qt::Key_F9, Qt::NoModifier, QString());
    sendKey(window, QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    runFrames(5);
    sendKey(window, QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"), true);
    sendKey(window, QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"), true);
    runFrames(4);
    sendKey(window, QEvent::KeyRelease, Qt::Key_F9, Qt::NoModifier, QString());
    sendKey(window, QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"), true);
    runFrames(2);
    EXPECT_EQ(seen, "AAA..AAA...") << "turbo ended: the repeat after it is no press";
    sendKey(window, QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
}

}  // namespace
}  // namespace vantorel::testing
