// The debugger window on a booted machine, driven by its object names as a
// user would: opened from the Debug menu, a program typed into the memory
// editor, registers edited, steps both ways, a breakpoint from the list
// stopping the frame loop, symbols from a hand-written label file.
#include "shell/debugger_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <fstream>

#include "shell/menu_table.h"
#include "shell_harness.h"

namespace vantorel {
namespace {

using testing::ShellHarness;

// LD A,42h; LD (0200h),A; JP 0100h
constexpr std::uint8_t kProgram[] = {0x3E, 0x42, 0x32, 0x00, 0x02, 0xC3, 0x00, 0x01};

struct DebuggerHarness {
    ShellHarness shell;
    DebuggerWindow* window = nullptr;

    DebuggerHarness() {
        shell.runFrame();
        shell.window->action(kCommandDebugger)->trigger();
        window = shell.window->debuggerWindow();
    }

    template <typename T>
    T* find(const char* name) const {
        T* found = window->findChild<T*>(QString::fromUtf8(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    void press(const char* action) const { find<QAction>(action)->trigger(); }
    void click(const char* button) const { find<QPushButton>(button)->click(); }
    void type(const char* edit, const QString& text) const {
        QLineEdit* line = find<QLineEdit>(edit);
        line->setText(text);
        emit line->editingFinished();
    }
    QString shownPc() const { return find<QLineEdit>("regPC")->text(); }
    QString stopText() const { return find<QLabel>("stopReason")->text(); }
    QString disassemblyText() const {
        QStringList lines;
        auto* list = find<QListWidget>("disassembly");
        for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
        return lines.join(QLatin1Char('\n'));
    }

    // The program typed into the memory editor at 0100, PC set to it.
    void enterProgram() const {
        QLineEdit* address = find<QLineEdit>("memoryAddress");
        address->setText(QStringLiteral("0100"));
        emit address->returnPressed();
        auto* memory = find<QTableWidget>("memory");
        for (int i = 0; i < static_cast<int>(sizeof kProgram); ++i) {
            memory->item(0, i)->setText(QStringLiteral("%1").arg(kProgram[i], 2, 16));
        }
        type("regPC", QStringLiteral("0100"));
    }
};

TEST(Debugger, OpensStoppedFromTheMenuStepsBothWaysAndEditsTheMachine) {
    DebuggerHarness test;
    ASSERT_NE(test.window, nullptr);
    EXPECT_TRUE(test.window->isVisible());
    EXPECT_TRUE(test.shell.window->driver().stoppedInDebugger());
    EXPECT_FALSE(test.shell.window->driver().framesAllowed());
    EXPECT_EQ(test.shownPc(), QStringLiteral("E010"));

    test.enterProgram();
    EXPECT_EQ(test.shell.machine->peek(0x0102), 0x32) << "the memory editor writes the machine";
    EXPECT_EQ(test.shell.machine->registers().PC, 0x0100u) << "the PC edit reached the machine";
    test.type("regBC", QStringLiteral("1234"));
    EXPECT_EQ(test.shell.machine->registers().BC, 0x1234u);
    EXPECT_TRUE(test.disassemblyText().contains(QStringLiteral(" > 0100")));

    test.press("stepInto");
    EXPECT_EQ(test.shownPc(), QStringLiteral("0102"));
    EXPECT_EQ(test.find<QLineEdit>("regAF")->text().left(2), QStringLiteral("42"));
    EXPECT_TRUE(test.stopText().startsWith(QStringLiteral("Step")));
    test.press("stepInto");
    EXPECT_EQ(test.shownPc(), QStringLiteral("0105"));

    // The byte written shows its writer, in the view at 0200.
    QLineEdit* address = test.find<QLineEdit>("memoryAddress");
    address->setText(QStringLiteral("0200"));
    emit address->returnPressed();
    const QTableWidgetItem* written = test.find<QTableWidget>("memory")->item(0, 0);
    EXPECT_EQ(written->text(), QStringLiteral("42"));
    EXPECT_TRUE(written->toolTip().contains(QStringLiteral("PC 0102")))
        << written->toolTip().toStdString();
    EXPECT_NE(written->background().color().alpha(), 0) << "a fresh write is coloured";

    test.press("stepBack");
    EXPECT_EQ(test.shownPc(), QStringLiteral("0102"));
    EXPECT_EQ(test.shell.machine->registers().PC, 0x0102u);
    EXPECT_EQ(test.shell.machine->peek(0x0200), 0x00) << "the write undone going back";
    test.press("stepInto");
    test.press("stepInto");
    EXPECT_EQ(test.shownPc(), QStringLiteral("0100"));
    EXPECT_FALSE(test.find<QListWidget>("trace")
                     ->findItems(QStringLiteral("0102"), Qt::MatchStartsWith)
                     .isEmpty());

    // A watch expression over the registers.
    test.find<QLineEdit>("watchInput")->setText(QStringLiteral("BC+1"));
    test.click("addWatch");
    EXPECT_TRUE(
        test.find<QTableWidget>("watches")->item(0, 1)->text().startsWith(QStringLiteral("1235")));
}

TEST(Debugger, ABreakpointFromTheListStopsTheFrameLoopAndShowsWhy) {
    DebuggerHarness test;
    test.enterProgram();
    test.find<QComboBox>("breakKind")->setCurrentIndex(0);  // execute
    test.find<QLineEdit>("breakFirst")->setText(QStringLiteral("0105"));
    test.find<QLineEdit>("breakCondition")->setText(QStringLiteral("A==0x42"));
    test.find<QSpinBox>("breakHitCount")->setValue(3);
    test.click("addBreakpoint");
    auto* list = test.find<QTableWidget>("breakpoints");
    ASSERT_EQ(list->rowCount(), 1);
    EXPECT_EQ(list->item(0, 2)->text(), QStringLiteral("execute"));
    EXPECT_TRUE(test.disassemblyText().contains(QStringLiteral("*  0105")));

    // A bad condition is refused with its reason.
    test.find<QLineEdit>("breakFirst")->setText(QStringLiteral("0100"));
    test.find<QLineEdit>("breakCondition")->setText(QStringLiteral("A==("));
    test.click("addBreakpoint");
    EXPECT_EQ(list->rowCount(), 1);
    EXPECT_TRUE(test.find<QLabel>("breakError")->text().startsWith(QStringLiteral("condition")));

    // A log point at the loop's start writes its line and goes on.
    test.find<QLineEdit>("breakFirst")->setText(QStringLiteral("0100"));
    test.find<QLineEdit>("breakCondition")->clear();
    test.find<QSpinBox>("breakHitCount")->setValue(1);
    test.find<QLineEdit>("breakLog")->setText(QStringLiteral("loop HL={HL}"));
    test.click("addBreakpoint");
    ASSERT_EQ(list->rowCount(), 2);

    const int soundStops = test.shell.devices->stopSoundCalls();
    test.press("continue");
    EXPECT_FALSE(test.shell.window->driver().stoppedInDebugger());
    EXPECT_TRUE(test.window->running());
    for (int frame = 0; frame < 3 && test.window->running(); ++frame) test.shell.runFrame();
    EXPECT_FALSE(test.window->running());
    EXPECT_TRUE(test.shell.window->driver().stoppedInDebugger());
    EXPECT_FALSE(test.shell.window->driver().framesAllowed());
    EXPECT_GT(test.shell.devices->stopSoundCalls(), soundStops) << "the sound is told to go quiet";
    EXPECT_TRUE(
        test.stopText().startsWith(QStringLiteral("Breakpoint 1 (execute 0105) at PC 0105")))
        << test.stopText().toStdString();
    EXPECT_EQ(list->item(0, 5)->text(), QStringLiteral("3 / 3"));
    EXPECT_EQ(test.shownPc(), QStringLiteral("0105"));
    auto* logLines = test.find<QListWidget>("breakLogLines");
    ASSERT_EQ(logLines->count(), 2) << "the log point passed twice before the stop";
    EXPECT_TRUE(logLines->item(0)->text().startsWith(QStringLiteral("loop HL=")))
        << logLines->item(0)->text().toStdString();

    // Disabled it no longer stops; removed it leaves the list.
    list->item(0, 0)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(test.shell.window->debugger().breakpoints().front().spec.enabled);
    list->selectRow(0);
    test.click("removeBreakpoint");
    EXPECT_EQ(list->rowCount(), 1);
    EXPECT_EQ(test.shell.window->debugger().breakpoints().size(), 1u);

    // Closing the window gives the frames back to the main window.
    test.window->close();
    EXPECT_FALSE(test.shell.window->driver().stoppedInDebugger());
    EXPECT_FALSE(test.shell.window->debugger().attached());
}

TEST(Debugger, LoadSymbolsLabelsTheDisassemblyAndABadFileIsTold) {
    DebuggerHarness test;
    test.enterProgram();
    const std::filesystem::path good = test.shell.folder / "prog.sym";
    std::ofstream(good) << "START EQU 0100H\nSTORE: equ $0105\n";
    test.shell.chooser.answers.push_back(good.string());
    test.shell.window->runCommand(kCommandLoadSymbols);
    EXPECT_TRUE(test.shell.messages.warnings.isEmpty());
    const QString text = test.disassemblyText();
    EXPECT_TRUE(text.contains(QStringLiteral("START:\n > 0100"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("STORE:")));
    EXPECT_TRUE(text.contains(QStringLiteral("$0100  ; START"))) << "the jump's target by name";
    test.find<QLineEdit>("breakFirst")->setText(QStringLiteral("STORE"));
    test.click("addBreakpoint");
    EXPECT_EQ(test.shell.window->debugger().breakpoints().at(0).spec.first, 0x0105u);

    const std::filesystem::path missing = test.shell.folder / "missing.sym";
    test.shell.chooser.answers.push_back(missing.string());
    test.shell.window->runCommand(kCommandLoadSymbols);
    ASSERT_EQ(test.shell.messages.warnings.size(), 1);
    EXPECT_TRUE(test.shell.messages.warnings[0].contains(QStringLiteral("missing.sym")));

    const std::filesystem::path empty = test.shell.folder / "junk.sym";
    std::ofstream(empty) << "this is not a label file\n";
    test.shell.chooser.answers.push_back(empty.string());
    test.shell.window->runCommand(kCommandLoadSymbols);
    ASSERT_EQ(test.shell.messages.warnings.size(), 2);
    EXPECT_TRUE(test.shell.messages.warnings[1].contains(QStringLiteral("junk.sym")));

    // The GDB server takes the machine: the debugger window gives it up.
    ASSERT_FALSE(test.shell.window->startGdbServer(0).has_value());
    EXPECT_NE(test.shell.window->gdbPort(), 0);
    EXPECT_FALSE(test.window->isVisible());
    EXPECT_FALSE(test.shell.window->debugger().attached());
    test.shell.window->stopGdbServer();
    EXPECT_EQ(test.shell.window->gdbPort(), 0);
}

}  // namespace
}  // namespace vantorel
