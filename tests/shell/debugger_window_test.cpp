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
#include <QTest>
#include <fstream>
#include <span>
#include <sstream>

#include "host/loopback_socket.h"
#include "shell/menu_table.h"
#include "shell_harness.h"
#include "support/gdb_client.h"

namespace vantorel {
namespace {

using testing::GdbClient;
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

    // Puts the disassembly's cursor on the instruction at `address`.
    void pointAt(std::uint16_t address) const {
        auto* list = find<QListWidget>("disassembly");
        for (int i = list->count() - 1; i >= 0; --i) {
            if (list->item(i)->data(Qt::UserRole).toUInt() == address) {
                list->setCurrentRow(i);
                return;
            }
        }
        ADD_FAILURE() << "no line at " << address;
    }

    // The program typed into the memory editor at 0100, PC set to it.
    void enterProgram() const { enterProgram(kProgram); }
    void enterProgram(std::span<const std::uint8_t> program) const {
        QLineEdit* address = find<QLineEdit>("memoryAddress");
        address->setText(QStringLiteral("0100"));
        emit address->returnPressed();
        auto* memory = find<QTableWidget>("memory");
        for (int i = 0; i < static_cast<int>(program.size()); ++i) {
            memory->item(i / 16, i % 16)
                ->setText(QStringLiteral("%1").arg(program[static_cast<std::size_t>(i)], 2, 16));
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
    EXPECT_FALSE(test.shell.window->debugger().breakpoints().front().settings.enabled);
    list->selectRow(0);
    test.click("removeBreakpoint");
    EXPECT_EQ(list->rowCount(), 1);
    EXPECT_EQ(test.shell.window->debugger().breakpoints().size(), 1u);

    // Closing the window gives the frames back to the main window.
    test.window->close();
    EXPECT_FALSE(test.shell.window->driver().stoppedInDebugger());
    EXPECT_FALSE(test.shell.window->debugger().attached());
}

// While the frame loop has the machine, the memory pane follows it a few
// times a second; stopped, the window shows where it stopped.
TEST(Debugger, PanesFollowTheRunningMachine) {
    DebuggerHarness test;
    test.enterProgram();
    QLineEdit* address = test.find<QLineEdit>("memoryAddress");
    address->setText(QStringLiteral("0200"));
    emit address->returnPressed();
    auto* memory = test.find<QTableWidget>("memory");
    memory->item(0, 0)->setText(QStringLiteral("00"));
    ASSERT_EQ(memory->item(0, 0)->text(), QStringLiteral("00"));

    test.press("continue");
    ASSERT_TRUE(test.window->running());
    test.shell.runFrame();
    EXPECT_EQ(memory->item(0, 0)->text(), QStringLiteral("00")) << "not yet looked at";
    QTest::qWait(600);
    EXPECT_EQ(memory->item(0, 0)->text(), QStringLiteral("42"));
    EXPECT_TRUE(test.window->running()) << "following the machine does not stop it";

    test.press("stop");
    EXPECT_FALSE(test.window->running());
    const auto pc = static_cast<std::uint16_t>(test.shell.window->debugger().registers().PC);
    EXPECT_EQ(test.shownPc(), QStringLiteral("%1").arg(pc, 4, 16, QLatin1Char('0')).toUpper());
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
    EXPECT_EQ(test.shell.window->debugger().breakpoints().at(0).settings.first, 0x0105u);

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

    // Open again, the debugger window has the machine: a client that
    // connects waits until it closes.
    test.shell.window->runCommand(kCommandDebugger);
    EXPECT_TRUE(test.shell.window->debugger().attached());
    std::unique_ptr<ByteChannel> channel = connectToLoopback(test.shell.window->gdbPort());
    ASSERT_TRUE(channel);
    for (int turn = 0; turn < 20; ++turn) QTest::qWait(1);
    EXPECT_FALSE(test.shell.window->driver().heldByDebugger());
    EXPECT_TRUE(test.shell.window->debugger().attached());
    test.window->close();
    GdbClient client(
        *channel, [] { QTest::qWait(1); }, 5000);
    EXPECT_EQ(client.request("?"), "S05");
    EXPECT_TRUE(test.shell.window->driver().heldByDebugger());
    test.shell.window->stopGdbServer();
    EXPECT_EQ(test.shell.window->gdbPort(), 0);
    EXPECT_FALSE(test.shell.window->driver().heldByDebugger());
}

// CALL PRINT; JP MAIN; at PRINT (0110): LD A,41h; LD (F080),A; RET.
constexpr std::uint8_t kCallingProgram[] = {0xCD, 0x10, 0x01, 0xC3, 0x00, 0x01, 0, 0,
                                            0,    0,    0,    0,    0,    0,    0, 0,
                                            0x3E, 0x41, 0x32, 0x80, 0xF0, 0xC9};

TEST(Debugger, ShowsTheCallStackProfileTraceAndScreenAndStepsBackOverARoutine) {
    DebuggerHarness test;
    const std::filesystem::path labels = test.shell.folder / "calls.sym";
    std::ofstream(labels) << "MAIN EQU 0100H\nPRINT EQU 0110H\nDONE EQU 0116H\n";
    test.shell.chooser.answers.push_back(labels.string());
    test.shell.window->runCommand(kCommandLoadSymbols);
    test.enterProgram(kCallingProgram);

    test.type("regSP", QStringLiteral("0300"));
    const std::uint8_t screenBefore = test.shell.machine->peek(0xF080);
    ASSERT_NE(screenBefore, 0x41);
    test.press("stepInto");
    EXPECT_EQ(test.shownPc(), QStringLiteral("0110"));
    auto* calls = test.find<QListWidget>("callStack");
    ASSERT_EQ(calls->count(), 1);
    EXPECT_EQ(calls->item(0)->text(), QStringLiteral("call from 0100 MAIN to 0110 PRINT"));
    for (int step = 0; step < 3; ++step) test.press("stepInto");
    EXPECT_EQ(test.shownPc(), QStringLiteral("0103"));
    EXPECT_EQ(calls->count(), 0);
    // The character written shows in the screen RAM's picture: code 41's
    // first row in the test ROM is 09, ink at columns 4 and 7.
    const QImage screen = test.find<QLabel>("screenPicture")->pixmap().toImage();
    ASSERT_EQ(screen.size(), QSize(512, 240));
    EXPECT_EQ(screen.pixel(4, 0), qRgb(255, 255, 255));
    EXPECT_EQ(screen.pixel(7, 0), qRgb(255, 255, 255));
    EXPECT_EQ(screen.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(test.find<QLabel>("romCharacters")->pixmap().size(), QSize(256, 128));

    // The routine just returned from is one step back, to its CALL.
    test.press("stepBackOver");
    EXPECT_EQ(test.shownPc(), QStringLiteral("0100"));
    EXPECT_EQ(test.shell.machine->peek(0xF080), screenBefore) << "the routine's write undone";
    EXPECT_EQ(test.shell.machine->registers().SP, 0x0300u);

    test.press("runFrame");
    EXPECT_TRUE(test.stopText().startsWith(QStringLiteral("Frame boundary")));
    auto* routines = test.find<QTableWidget>("profileRoutines");
    ASSERT_GE(routines->rowCount(), 2);
    EXPECT_EQ(routines->item(0, 0)->text(), QStringLiteral("PRINT")) << "PRINT runs longest";
    EXPECT_EQ(routines->item(1, 0)->text(), QStringLiteral("MAIN"));
    EXPECT_GT(routines->item(0, 1)->text().toLongLong(), routines->item(1, 1)->text().toLongLong());

    const std::filesystem::path saved = test.shell.folder / "trace.txt";
    test.shell.chooser.saveAnswers.push_back(saved.string());
    test.click("saveTrace");
    std::stringstream trace;
    trace << std::ifstream(saved).rdbuf();
    EXPECT_NE(trace.str().find("call"), std::string::npos);
    EXPECT_TRUE(test.shell.messages.warnings.isEmpty());
}

TEST(Debugger, ToolbarRunsToTheCursorStepsOverAndOutAndReverseContinuesToABreakpoint) {
    DebuggerHarness test;
    test.enterProgram(kCallingProgram);
    test.type("regSP", QStringLiteral("0300"));
    test.pointAt(0x0103);
    test.press("runToCursor");
    EXPECT_EQ(test.shownPc(), QStringLiteral("0103"));
    EXPECT_TRUE(test.stopText().startsWith(QStringLiteral("Ran to the cursor")));
    test.press("stepInto");
    test.press("stepOver");
    EXPECT_EQ(test.shownPc(), QStringLiteral("0103")) << "the CALL as one step";
    EXPECT_EQ(test.shell.machine->peek(0xF080), 0x41);
    test.press("stepInto");
    test.press("stepInto");
    test.press("stepInto");
    EXPECT_EQ(test.shownPc(), QStringLiteral("0112"));
    test.press("stepOut");
    EXPECT_EQ(test.shownPc(), QStringLiteral("0103"));

    // F9's action on a line sets an execute breakpoint there, and again
    // takes it off.
    test.pointAt(0x0112);
    test.press("toggleBreakpoint");
    test.pointAt(0x0115);
    test.press("toggleBreakpoint");
    test.press("toggleBreakpoint");
    const std::vector<Breakpoint>& points = test.shell.window->debugger().breakpoints();
    ASSERT_EQ(points.size(), 1u);
    EXPECT_EQ(points[0].settings.first, 0x0112u);
    test.press("reverseContinue");
    EXPECT_EQ(test.shownPc(), QStringLiteral("0112")) << test.stopText().toStdString();
    EXPECT_TRUE(test.stopText().startsWith(QStringLiteral("Breakpoint 1 (execute 0112)")));
    EXPECT_EQ(test.shell.machine->registers().SP, 0x02FEu) << "inside the routine again";
}

}  // namespace
}  // namespace vantorel
