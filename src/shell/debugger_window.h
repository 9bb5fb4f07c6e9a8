// The debugger window: the machine seen and driven through its Debugger.
//
// A non-modal window beside the main one. Its toolbar runs the debugger
// (continue, stop, step into, over, out, the steps back, reverse-continue,
// one frame, run to cursor), each with a key that works in this window
// only. Its panes show the registers and flags (editable), the disassembly
// around PC with the symbols' labels and the breakpoint marks (F9 or a
// double click toggles one), the breakpoint list (every kind, with
// condition, hit count and log text), a memory view and editor colouring
// the bytes just read, written and executed and naming each byte's last
// writer, watch expressions, the call stack, the trace (saved on demand),
// the profile per address and per routine, pictures of the screen RAM and
// both character sets, and the tape and UART. Log points' lines gather
// under the breakpoint list.
//
// The window does not run frames itself: Continue hands the machine back
// to the main window's frame loop (the `continueRunning` callback), which
// stops again at a breakpoint and calls showStop(). Every other run (steps,
// steps back, one frame) goes through the Debugger while the frame loop
// is held. Every widget has an object name, for tests. Made by the main
// window (main_window_debug.cpp).
#pragma once

#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "debug/debugger.h"
#include "debug/symbol_table.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QSpinBox;
class QTableWidget;
class QTabWidget;

namespace vantorel {

class FileChooser;
class MessageSink;

// What the window is told to do outside itself.
struct DebuggerWindowHooks {
    std::function<void()> continueRunning;  // hand the machine to the frame loop
    std::function<void()> stopRunning;      // hold the frame loop (the machine stops)
    std::function<void()> machineChanged;   // repaint the emulated screen
    std::function<void()> activationChanged;
    std::function<void()> closed;  // the window closed: nothing watches the machine now
};

class DebuggerWindow : public QMainWindow {
  public:
    DebuggerWindow(Debugger& debugger, const SymbolTable& symbols, FileChooser& chooser,
                   MessageSink& messages, DebuggerWindowHooks hooks, QWidget* parent = nullptr);
    ~DebuggerWindow() override;
    DebuggerWindow(const DebuggerWindow&) = delete;
    DebuggerWindow& operator=(const DebuggerWindow&) = delete;

    // The machine stopped (a breakpoint, a step): shows why and where.
    void showStop(const StopReason& reason);
    // Everything shown read again from the machine.
    void refresh();
    // The panes that follow a running machine (a timer calls it while the
    // frame loop has the machine).
    void refreshWhileRunning();
    // True while the frame loop has the machine (after Continue).
    bool running() const { return running_; }
    // The routine ranges the profile sums over, from the symbols.
    std::vector<RoutineRange> routineRanges() const;

  protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildToolbar();
    QWidget* buildRegisters();
    QWidget* buildDisassembly();
    QWidget* buildBreakpoints();
    QWidget* buildMemory();
    QWidget* buildWatches();
    QWidget* buildTrace();
    QWidget* buildProfile();
    QWidget* buildPictures();
    QAction* addCommand(const char* name, const QString& text, const QKeySequence& keys,
                        std::function<StopReason()> run);

    void runStep(const std::function<StopReason()>& run);
    void continueCommand();
    void stopCommand();
    void toggleBreakpointAtCursor();
    std::uint16_t cursorAddress() const;

    void refreshRegisters();
    void refreshDisassembly();
    void refreshBreakpoints();
    void refreshMemory();
    void refreshWatches();
    void refreshCallStack();
    void refreshTrace();
    void refreshProfile();
    void refreshPictures();
    void refreshTape();

    void editRegister(const QString& name, const QString& text);
    void editFlag(int bit, bool on);
    void editMemoryCell(int row, int column);
    void addBreakpointFromForm();
    void removeSelectedBreakpoint();
    void breakpointEnabledChanged(int row, int column);
    void addWatch();
    void showPendingLog();
    void saveTrace();
    // A number, or a label of the symbols; nothing when it is neither.
    std::optional<std::uint32_t> parseAddress(const QString& text) const;
    QString labelled(std::uint16_t address) const;

    Debugger& debugger_;
    const SymbolTable& symbols_;
    FileChooser& chooser_;
    MessageSink& messages_;
    DebuggerWindowHooks hooks_;
    bool running_ = false;
    bool refreshing_ = false;  // cell edits made by refresh() are not the user's
    std::uint16_t memoryStart_ = 0;
    std::vector<QString> watches_;
    QStringList pendingLog_;  // log points' lines not shown yet

    QLabel* stopReason_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    std::vector<std::pair<QString, QLineEdit*>> registerEdits_;
    std::vector<QCheckBox*> flagBoxes_;
    QListWidget* disassembly_ = nullptr;
    QTableWidget* breakpoints_ = nullptr;
    QComboBox* breakKind_ = nullptr;
    QLineEdit* breakFirst_ = nullptr;
    QLineEdit* breakLast_ = nullptr;
    QLineEdit* breakCondition_ = nullptr;
    QSpinBox* breakHitCount_ = nullptr;
    QLineEdit* breakLog_ = nullptr;
    QLabel* breakError_ = nullptr;
    QListWidget* breakLogLines_ = nullptr;
    QLineEdit* memoryAddress_ = nullptr;
    QTableWidget* memory_ = nullptr;
    QLineEdit* watchInput_ = nullptr;
    QTableWidget* watchTable_ = nullptr;
    QListWidget* callStack_ = nullptr;
    QListWidget* trace_ = nullptr;
    QTableWidget* profileAddresses_ = nullptr;
    QTableWidget* profileRoutines_ = nullptr;
    QLabel* screenPicture_ = nullptr;
    QLabel* romCharacters_ = nullptr;
    QLabel* programmableCharacters_ = nullptr;
    QLabel* tapeState_ = nullptr;
};

// The text of a stop for the window's status line: "Breakpoint 2 (execute
// 0100) at PC 0100 START".
QString stopReasonText(const StopReason& reason, const SymbolTable& symbols);

}  // namespace vantorel
