// The program's one window: menu bar, emulated screen, keyboard, commands.
//
// Made by boot() (app/boot.h) at its place in the start-up, once the
// settings and the timing are known: the window builds its menus and its
// display; the machine's pacing, sound, keyboard layout, reset and
// joysticks are boot()'s. Its menus carry the commands of menu_table.h,
// each with its shortcuts and handler (F4 soft-resets, Alt+/ and Alt+? open
// the About box); the idle driver runs the frame scheduler's passes while
// no menu or modal dialog is open and the window is active. The Configure
// menu's settings dialogs run through settings_commands.h, then the window
// does what the change needs (a posted hard reset, recomputed timing,
// restarted sound). Key events become host key states for the machine's
// keyboard scan; losing the focus releases every key. A file dropped on
// the window plays (a tape, ".wav" or ".cvz"), is typed (a text, ".txt")
// or is inserted (a game ROM or snapshot); a refusal is shown to the user. Closing the window shuts
// down in order: cassette, game ROM, sound, joysticks, display.
//
// The speed percentage follows the title: "Vantorel 100%  ", and while the
// tape moves its position: "Vantorel 100%  Tape 0:12 / 1:05".
//
// The Debug menu (main_window_debug.cpp, Alt+D opens the debugger window):
// Debugger..., Load Symbols..., GDB Server... .
//
// The desktop extras (main_window_extras.cpp): Save .SNP..., Save
// Screenshot..., Paste (Shift+Insert) typing the clipboard through quick
// type, Pause (the Pause key; the title then reads "Vantorel Paused"),
// Fullscreen (Alt+Enter), the turbo key F9 (held: frames back to back, no
// sound) and the Recent Files submenu, fed by every route that opens a file.
// File > Record Sound... (the sound into a WAV file, heard as before; the
// item stops it while it runs) and Configure > Mute (Alt+M), in
// main_window_sound.cpp; Help > Keyboard Map (keyboard_map_dialog.h).
// The rewind key F10 and Util > Rewind 10 Seconds (main_window_extras.cpp);
// the save-state slots (state_slot_menu.cpp): Save State (F2), Load State
// (F3), Undo Load State, and the eight slots (Alt+1..8) shown with a
// thumbnail of their screen and their time.
//
// Made by the desktop program (desktop_program.h) and by tests, which pass
// fake file choosers and message sinks.
#pragma once

#include <QMainWindow>
#include <filesystem>
#include <map>
#include <memory>
#include <span>

#include "app/cassette_commands.h"
#include "app/file_commands.h"
#include "app/inserted_file.h"
#include "app/recent_files.h"
#include "app/start_folders.h"
#include "app/state_slots.h"
#include "debug/debugger.h"
#include "debug/symbol_table.h"
#include "machine/video.h"
#include "shell/menu_table.h"
#include "shell/qt_key_mapping.h"
#include "shell/settings_commands.h"

class QAction;
class QMenu;

namespace vantorel {

class Machine;
class FrameScheduler;
class HostDevices;
class HostKeyboard;
class FileChooser;
class MessageSink;
class DisplayWidget;
class IdleDriver;
class RecentFilesMenu;
class DebuggerWindow;
class RemoteDebugPoller;

// What the window works with; none of it is owned.
struct MainWindowParts {
    Machine& machine;
    FrameScheduler& scheduler;
    HostDevices& devices;
    HostKeyboard& keyboard;
    FileChooser& fileChooser;
    MessageSink& messages;
    QuickTypeLoader quickTypeLoader;  // empty: Quick Type... is greyed
    std::filesystem::path settingsPath =
        {};  // empty: dialogs, switched settings and recent files are not saved
};

inline constexpr int kWindowLeft = 10;  // screen position at start
inline constexpr int kWindowTop = 10;

class MainWindow : public QMainWindow {
    Q_OBJECT

  public:
    MainWindow(MainWindowParts parts, DisplayScale scale, QWidget* parent = nullptr);
    ~MainWindow() override;

    void setStartFolders(StartFolders folders) { folders_ = std::move(folders); }
    const StartFolders& startFolders() const { return folders_; }

    // Resizes the window so that its client area (below the menu bar) is
    // exactly 544X x 272Y.
    void fitClientArea();

    // Inserts a game ROM or snapshot named from outside (command line, drop).
    InsertResult insertFile(const std::filesystem::path& path);

    QAction* action(int id) const;
    DisplayWidget& display() const { return *display_; }
    IdleDriver& driver() const { return *driver_; }
    HostDevices& devices() { return parts_.devices; }
    const HostDevices& devices() const { return parts_.devices; }
    // The Configure menu's settings dialogs (and where the settings live).
    SettingsCommands& settings() { return settingsCommands_; }
    // The printer follows the settings: at start and after the Printer dialog.
    void configurePrinter();

    // Carries out a menu command by its id.
    void runCommand(int id);
    // The menu bar and the shortcuts that no menu shows (menu_table.cpp).
    static std::span<const MenuPopup> menuBarTable();
    static std::span<const HiddenShortcut> hiddenShortcuts();

    // --- Desktop extras (main_window_extras.cpp) ---
    void setPaused(bool paused);
    bool paused() const;
    // The turbo key is held (true) or let go.
    void setTurbo(bool held);
    // The rewind key is held (true) or let go; Util > Rewind 10 Seconds.
    void setRewinding(bool held);
    void rewindTenSeconds();
    void setFullscreen(bool fullscreen);
    bool fullscreen() const;
    // Where the window stands on the desktop (out of full screen: where it
    // will stand again).
    QPoint windowedPosition() const;
    // Puts a file just opened (by any route) at the top of Recent Files.
    void rememberOpenedFile(RecentKind kind, const std::filesystem::path& path);
    const RecentFiles& recentFiles() const { return recentFiles_; }
    RecentFilesMenu& recentFilesMenu() const { return *recentMenu_; }

    // --- Save-state slots (state_slot_menu.cpp) ---
    void saveState();
    void loadState();
    void undoLoadState();
    void chooseStateSlot(int slot);
    // The slot items' texts, thumbnails and check marks, as the files are.
    void refreshStateSlots();
    StateSlots& stateSlots();

    // --- The Debug menu (main_window_debug.cpp) ---
    void openDebugger();
    // Null until Debugger... first opened it.
    DebuggerWindow* debuggerWindow() const { return debuggerWindow_; }
    Debugger& debugger();
    // The built-in monitor's labels and those of every file loaded.
    SymbolTable& symbols();
    // Listens for a GDB client on the loopback address (`port` 0: any free
    // one); the problem when it cannot. The debugger window closes first.
    std::optional<std::string> startGdbServer(std::uint16_t port);
    void stopGdbServer();
    std::uint16_t gdbPort() const { return gdbPort_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void buildMenus();
    void addHiddenShortcuts();
    void menuOpened();
    void menuClosed();
    void windowActivationChanged(bool active);
    void switchKeysAsJoystick();
    void screenDue();
    void updateSpeedTitle();
    bool printingNow();
    void keyChanged(QKeyEvent* event, bool down);
    void shutdown();
    // Runs the command once the present one (and its dialog) has finished.
    void postCommand(int id);
    // Commands with more to them than a call.
    void keyboardCommand();
    void aboutCommand();
    void manualCommand();
    void memoryCommand();
    void soundCommand();
    void timingCommand();
    void loadGameRomCommand();
    void loadSnapshotCommand();
    void saveRamCommand();
    void playCassetteFile();
    void stopCassette();
    void recordCassetteFile();
    void warnIf(const std::optional<std::string>& problem);
    // A short message over the picture's border (screen_notice.h).
    void tell(const QString& text);
    // The Video and Colors choices the window follows: messages, fit.
    void applyDisplayPreferences();
    // However a recording ended (a command, a frame, exit): tells how, and
    // offers one that could not be written under another name.
    void settleRecording();
    // Desktop extras (main_window_extras.cpp).
    void setUpExtras();
    void printerCommand();
    void openPrinterOutput();
    void pasteClipboard();
    void saveScreenshot();
    void saveWindowPosition();
    void quickScreenshot();
    void switchKeepRunning();
    // Sound (main_window_sound.cpp).
    void recordSound();
    void finishSoundRecording();
    void switchMute();
    void keyboardMapCommand();
    void saveSnapshot();
    void openRecentFile(std::size_t index);
    bool reopen(const RecentFile& file);
    void openDroppedFile(const QString& path);
    // The Debug menu (main_window_debug.cpp).
    void loadSymbols();
    void gdbServerCommand();
    void holdForDebugger();
    void debuggerStopped();
    void closeDebugger();
    bool ownWindowActive() const;

    MainWindowParts parts_;
    StartFolders folders_;
    FileCommands fileCommands_;
    CassetteCommands cassetteCommands_;
    DisplayWidget* display_;
    IdleDriver* driver_;
    SettingsCommands settingsCommands_;
    std::map<int, QAction*> actions_;
    bool useScanCodes_;
    PressedKeyCodes pressedKeys_;  // the virtual key each host key code went down as
    bool shutDown_ = false;
    bool recordingEndPosted_ = false;  // a recording's end is waiting to be told
    int shownSpeed_ = -1;              // speed percentage in the title, -1 before the first
    RecentFiles recentFiles_;
    RecentFilesMenu* recentMenu_ = nullptr;
    std::unique_ptr<StateSlots> stateSlots_;  // made at first use, under folders_.startup
    std::uint64_t shownPrinterBytes_ = 0;     // bytes printed when the title was last made
    int printingScreens_ = 0;                 // screen updates "Printing" stays in the title
    QString shownTape_;            // the tape's position in the title, empty when it rests
    QByteArray windowedGeometry_;  // where the window was before full screen
    QPoint windowedPosition_;
    bool tapeWasPlaying_ = false;  // at the last screen update: "Tape ended" when it stops
    SymbolTable symbols_;
    bool symbolsMade_ = false;
    std::unique_ptr<Debugger> debugger_;
    DebuggerWindow* debuggerWindow_ = nullptr;
    std::unique_ptr<RemoteDebugPoller> gdbServer_;
    std::uint16_t gdbPort_ = 0;
};

// "Vantorel" followed by the speed text " %d%%  ".
QString windowTitleFor(int speedPercent);
// "Vantorel Paused".
QString pausedWindowTitle();

}  // namespace vantorel
