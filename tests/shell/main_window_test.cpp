// The main window as the user meets it: menu bar, accelerators, client
// area, the pixels it paints, the title with the speed, and shutdown.
#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <set>

#include "shell/client_image.h"
#include "shell/menu_table.h"
#include "shell_harness.h"

namespace vantorel::testing {
namespace {

struct ExpectedItem {
    const char* text;  // nullptr: separator
    int id;
    bool enabled;
};

void expectMenu(QMenu* menu, const char* title, std::initializer_list<ExpectedItem> items) {
    ASSERT_NE(menu, nullptr) << title;
    EXPECT_EQ(menu->title(), QString::fromUtf8(title));
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), static_cast<qsizetype>(items.size())) << title;
    int index = 0;
    for (const ExpectedItem& item : items) {
        QAction* action = actions[index++];
        if (item.text == nullptr) {
            EXPECT_TRUE(action->isSeparator()) << title << " item " << index;
            continue;
        }
        EXPECT_FALSE(action->isSeparator());
        EXPECT_EQ(action->text(), QString::fromUtf8(item.text));
        EXPECT_EQ(action->data().toInt(), item.id) << item.text;
        EXPECT_EQ(action->objectName(), QStringLiteral("id%1").arg(item.id));
        EXPECT_EQ(action->isEnabled(), item.enabled) << item.text;
    }
}

TEST(MainWindowMenus, BarHoldsEveryItemInOrderWithIdsSeparatorsAndGreyedItems) {
    ShellHarness shell;
    const QList<QAction*> popups = shell.window->menuBar()->actions();
    ASSERT_EQ(popups.size(), 6);
    expectMenu(popups[0]->menu(), "&File",
               {{"E&xit", 105, true},
                {"Save Ram", 32771, true},
                {"Save Screenshot...", 32792, true},
                {"Quick Screenshot", 32864, true},
                {"Soft Reset", 32776, true},
                {"Hard Reset", 32777, true},
                {nullptr, 0, true},
                {"Quick Type...", 32778, true},
                {"Play Cassette File...", 32779, true},
                {"Stop Cassette", 32785, true},
                {"Record Cassette File...", 32786, true},
                {"Record Sound...", 32866, true},
                {nullptr, 0, true},
                {"Load Game ROM...", 32780, true},
                {"Remove Game ROM", 32781, true},
                {"Open Printer Output", 32851, true},
                {nullptr, 0, true},
                {"Recent Files", 32793, false}});  // greyed while the list is empty
    expectMenu(popups[1]->menu(), "&Edit", {{"Paste", 32789, true}});
    expectMenu(popups[2]->menu(), "&Configure",
               {{"Memory...", 32772, true},
                {"Printer...", 32773, true},
                {"Keyboard...", 32774, true},
                {"Video and Colors...", 32775, true},
                {"Sound...", 32783, true},
                {"System Timing...", 32782, true},
                {nullptr, 0, true},
                {"Keys as Joystick", 32787, true},
                {"Keep Running in the Background", 32865, true},
                {"Mute", 32867, true}});
    expectMenu(popups[3]->menu(), "Util",
               {{"Load .SNP...", 32784, true},
                {"Save .SNP...", 32788, true},
                {nullptr, 0, true},
                {"Rewind 10 Seconds", 32852, true},
                {nullptr, 0, true},
                {"Save State", 32853, true},
                {"Load State", 32854, true},
                {"Undo Load State", 32855, true},
                {"Slot 1", 32856, true},
                {"Slot 2", 32857, true},
                {"Slot 3", 32858, true},
                {"Slot 4", 32859, true},
                {"Slot 5", 32860, true},
                {"Slot 6", 32861, true},
                {"Slot 7", 32862, true},
                {"Slot 8", 32863, true},
                {nullptr, 0, true},
                {"Pause", 32790, true},
                {"Fullscreen", 32791, true}});
    expectMenu(popups[4]->menu(), "Debug",
               {{"Debugger...", 32869, true},
                {"Load Symbols...", 32870, true},
                {"GDB Server...", 32871, true}});
    EXPECT_EQ(shell.window->action(kCommandDebugger)->shortcut(),
              QKeySequence(Qt::ALT | Qt::Key_D));
    expectMenu(popups[5]->menu(), "&Help",
               {{"Vantorel &Manual", 32850, true},
                {"&Keyboard Map", 32868, true},
                {"&About ...", 104, true}});
    EXPECT_EQ(shell.window->action(kCommandSoftReset)->shortcut(), QKeySequence(Qt::Key_F4));
    EXPECT_EQ(shell.window->findChild<QAction*>("id32780"), shell.window->action(32780));
}

// One row a command: its id once, a handler (the Recent Files submenu has
// none), and on its action exactly the shortcuts of its row.
TEST(MainWindowMenus, EveryCommandIsOneRowWithItsHandlerAndShortcuts) {
    ShellHarness shell;
    std::set<int> ids;
    int commands = 0;
    for (const MenuPopup& popup : MainWindow::menuBarTable()) {
        for (const MenuItem& item : popup.items) {
            if (item.id == kSeparator) continue;
            ++commands;
            EXPECT_TRUE(ids.insert(item.id).second) << item.text << " listed twice";
            EXPECT_EQ(item.handler == nullptr, item.id == kCommandRecentFiles) << item.text;
            QList<QKeySequence> expected;
            for (const QKeyCombination keys : item.shortcuts) {
                if (keys.key() != Qt::Key_unknown) expected << QKeySequence(keys);
            }
            EXPECT_EQ(shell.window->action(item.id)->shortcuts(), expected) << item.text;
        }
    }
    EXPECT_EQ(commands, 47);
    for (const HiddenShortcut& hidden : MainWindow::hiddenShortcuts()) {
        EXPECT_EQ(ids.count(hidden.id), 1u) << "a hidden shortcut runs a listed command";
    }
}

TEST(MainWindowStartUp, CreationResetsTheMachineAndShowsTheTitle) {
    ShellHarness shell;
    EXPECT_TRUE(shell.machine->running());
    EXPECT_TRUE(shell.window->display().hasDisplay());
    EXPECT_EQ(shell.window->windowTitle(), QStringLiteral("Vantorel"));
    EXPECT_EQ(windowTitleFor(100), QStringLiteral("Vantorel 100%  "));
    shell.runFrame();  // the first frame is due at once, and so is the screen
    EXPECT_EQ(shell.window->windowTitle(), QStringLiteral("Vantorel 100%  "));
}

TEST(MainWindowAccelerators, F4SoftResetsKeepingMemory) {
    ShellHarness shell;
    ASSERT_TRUE(shell.showActive());
    shell.machine->memory().image[0x0100] = 0x5A;
    for (int frame = 0; frame < 3; ++frame) shell.runFrame();
    ASSERT_NE(shell.machine->tstateCounter(), 0u);
    QTest::keyClick(shell.window.get(), Qt::Key_F4);
    EXPECT_EQ(shell.machine->tstateCounter(), 0u);
    EXPECT_EQ(shell.machine->registers().PC, 0u);
    EXPECT_EQ(shell.machine->memory().image[0x0100], 0x5A);  // a hard reset clears RAM
    shell.window->runCommand(kCommandHardReset);
    EXPECT_EQ(shell.machine->memory().image[0x0100], 0x00);
}

TEST(MainWindowAccelerators, AltQuestionMarkOpensTheAboutBox) {
    ShellHarness shell;
    ASSERT_TRUE(shell.showActive());
    QString caption;
    QString title;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        caption = dialog->windowTitle();
        if (auto* label = dialog->findChild<QLabel*>("aboutTitle")) title = label->text();
        dialog->accept();
    });
    QTest::keyClick(shell.window.get(), Qt::Key_Question, Qt::AltModifier);
    EXPECT_EQ(caption, QStringLiteral("About"));
    EXPECT_EQ(title, QStringLiteral("Vantorel 0.01"));
}

TEST(MainWindowGeometry, ClientAreaIs544XBy272YAtEveryScale) {
    for (int x = 1; x <= 3; ++x) {
        for (int y = 1; y <= 3; ++y) {
            ShellHarness shell({x, y});
            shell.window->show();
            shell.window->fitClientArea();
            QApplication::processEvents();
            EXPECT_EQ(shell.window->display().size(), QSize(544 * x, 272 * y))
                << "scale " << x << " x " << y;
            EXPECT_EQ(shell.window->centralWidget(), &shell.window->display());
        }
    }
}

// Puts code `code` in the top-left cell and code 0 everywhere else.
void showOnlyTopLeft(Machine& machine, std::uint8_t code) {
    auto& image = machine.memory().image;
    std::fill(image.begin() + 0xF080, image.begin() + 0xF800, std::uint8_t{0});
    image[0xF080] = code;
}

TEST(MainWindowPainting, KnownCharacterAndBorderPixelsAtScaleTwoByThree) {
    ShellHarness shell({2, 3});
    shell.window->show();
    shell.window->fitClientArea();
    // Test character ROM: pattern byte i is i + 1, so code 0x41's first row
    // is 0x09 (pixels 4 and 7 lit) and its second 0x0A (pixels 4 and 6).
    showOnlyTopLeft(*shell.machine, 0x41);
    const QImage painted =
        shell.window->display().grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(painted.size(), QSize(1088, 816));
    const MachineConfig& config = shell.machine->config();
    const QRgb lit = pixel555ToRgb(rgbToPixel555(config.colours[0]));
    const QRgb unlit = pixel555ToRgb(rgbToPixel555(config.colours[1]));
    const QRgb border = toQColor(config.colours[2]).rgb();
    EXPECT_EQ(painted.pixel(0, 0), border);
    EXPECT_EQ(painted.pixel(31, 47), border);
    EXPECT_EQ(painted.pixel(1087, 815), border);
    EXPECT_EQ(painted.pixel(1056, 400), border);  // right strip
    // Emulated pixel (px, py) covers client pixels 32 + 2px.., 48 + 3py...
    auto emulated = [&](int px, int py) { return painted.pixel(32 + 2 * px + 1, 48 + 3 * py + 2); };
    EXPECT_EQ(painted.pixel(32, 48), unlit);
    EXPECT_EQ(emulated(4, 0), lit);
    EXPECT_EQ(emulated(7, 0), lit);
    EXPECT_EQ(emulated(5, 0), unlit);
    EXPECT_EQ(emulated(6, 1), lit);
    EXPECT_EQ(emulated(7, 1), unlit);
    // The screenshot path paints the very same pixels.
    EXPECT_EQ(shell.window->display().clientImage(), painted);
}

TEST(MainWindowPainting, LargerWindowKeepsThePictureTopLeftOnTheBackground) {
    ShellHarness shell({1, 1});
    shell.window->show();
    shell.window->fitClientArea();
    shell.window->resize(shell.window->width() + 100, shell.window->height() + 50);
    QApplication::processEvents();
    const QImage painted =
        shell.window->display().grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(painted.size(), QSize(644, 322));
    const QRgb border = toQColor(shell.machine->config().colours[2]).rgb();
    const QRgb background = shell.window->display().palette().color(QPalette::Window).rgb();
    EXPECT_EQ(painted.pixel(543, 271), border);
    EXPECT_EQ(painted.pixel(544, 10), background);
    EXPECT_EQ(painted.pixel(10, 272), background);
    EXPECT_EQ(painted.pixel(643, 321), background);
}

TEST(MainWindowShutdown, ClosingRemovesTheGameRomAndReleasesTheDisplay) {
    ShellHarness shell;
    shell.machine->fillSlot(std::make_shared<const SlotD000>());
    ASSERT_TRUE(shell.machine->playTapeBytes({0x01, 0x02}));
    shell.window->show();
    shell.window->runCommand(kCommandExit);
    EXPECT_FALSE(shell.machine->anySlotFilled());
    EXPECT_FALSE(shell.machine->tapePlaying());
    EXPECT_FALSE(shell.window->display().hasDisplay());
    EXPECT_FALSE(shell.window->driver().framesAllowed());
}

}  // namespace
}  // namespace vantorel::testing
