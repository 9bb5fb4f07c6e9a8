// The desktop extras as the user meets them: Pause, Fullscreen, Paste, the
// turbo key, Save Screenshot..., Save .SNP... with Load .SNP..., and the
// Recent Files submenu with its place in the settings file.
#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <cstring>
#include <fstream>

#include "app/recent_files.h"
#include "app/start_folders.h"
#include "config/profile_file.h"
#include "config/settings_file.h"
#include "files/write_faults.h"
#include "machine/machine_files.h"
#include "shell/fullscreen_layout.h"
#include "shell/menu_table.h"
#include "shell/paste_typing.h"
#include "shell/recent_files_menu.h"
#include "shell/screenshot_name.h"
#include "shell_harness.h"
#include "support/temp_folder.h"

namespace vantorel::testing {
namespace {

void runEventsFor(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) QTest::qWait(5);
}

void writeFile(const std::filesystem::path& path, std::size_t bytes, std::uint8_t value = 0x77) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary);
    file << std::string(bytes, static_cast<char>(value));
}

TEST(DesktopExtras, CommandsCarryTheirShortcutsAndTicks) {
    ShellHarness shell;
    MainWindow& window = *shell.window;
    EXPECT_EQ(window.action(kCommandPaste)->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_Insert));
    EXPECT_EQ(window.action(kCommandPause)->shortcut(), QKeySequence(Qt::Key_Pause));
    EXPECT_TRUE(window.action(kCommandFullscreen)
                    ->shortcuts()
                    .contains(QKeySequence(Qt::ALT | Qt::Key_Return)));
    EXPECT_TRUE(window.action(kCommandPause)->isCheckable());
    EXPECT_TRUE(window.action(kCommandFullscreen)->isCheckable());
    EXPECT_FALSE(window.action(kCommandSaveSnapshot)->isCheckable());
    // Ctrl+V stays the Sorcerer's: no command takes it.
    for (QAction* action : window.actions()) {
        EXPECT_FALSE(action->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_V)));
    }
}

TEST(DesktopExtras, PauseKeyStopsFramesAndSoundAndTheTitleSaysSo) {
    ShellHarness shell({1, 2}, ClockKind::steady);
    ASSERT_TRUE(shell.showActive());
    IdleDriver& driver = shell.window->driver();
    runEventsFor(100);
    const int stopsBefore = shell.window->devices().stopSoundCalls();
    QTest::keyClick(shell.window.get(), Qt::Key_Pause);
    EXPECT_TRUE(shell.window->action(kCommandPause)->isChecked());
    EXPECT_EQ(shell.window->windowTitle(), QStringLiteral("Vantorel Paused"));
    EXPECT_GT(shell.window->devices().stopSoundCalls(), stopsBefore);
    EXPECT_FALSE(driver.framesAllowed());
    const std::int64_t frames = driver.framesRun();
    runEventsFor(150);
    EXPECT_EQ(driver.framesRun(), frames);
    // A menu opened and closed while paused does not start the frames.
    QMenu* file = shell.window->menuBar()->actions().first()->menu();
    emit file->aboutToShow();
    emit file->aboutToHide();
    runEventsFor(50);
    EXPECT_EQ(driver.framesRun(), frames);

    shell.window->action(kCommandPause)->trigger();  // the menu item unpauses
    EXPECT_FALSE(shell.window->paused());
    EXPECT_FALSE(shell.window->action(kCommandPause)->isChecked());
    runEventsFor(150);
    EXPECT_GT(driver.framesRun(), frames);
    EXPECT_TRUE(shell.window->windowTitle().endsWith(QStringLiteral("%  ")));
}

TEST(Fullscreen, ScaleIsTheLargestWholeStepThatFits) {
    struct Case {
        DisplayScale window;
        QSize screen;
        DisplayScale expected;
    };
    const Case cases[] = {
        {{1, 2}, {1920, 1080}, {2, 4}},  // 1024 x 960
        {{1, 2}, {1024, 768}, {1, 2}},   // 512 x 480
        {{1, 2}, {3840, 2160}, {4, 8}},  // 2048 x 1920
        {{1, 1}, {1920, 1080}, {3, 3}},  // 1536 x 720
        {{2, 2}, {1280, 1024}, {2, 2}},  // 1024 x 480
        {{1, 2}, {300, 200}, {1, 2}},    // never below the window's scale
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fullscreenScale(c.window, c.screen), c.expected)
            << c.screen.width() << " x " << c.screen.height();
    }
    EXPECT_EQ(centredRect({1024, 960}, {1920, 1080}), QRect(448, 60, 1024, 960));
}

TEST(Fullscreen, AltEnterFillsTheScreenCentredOnTheBorderAndLeavesAgain) {
    ShellHarness shell;
    ASSERT_TRUE(shell.showActive());
    shell.runFrame();
    QTest::keyClick(shell.window.get(), Qt::Key_Return, Qt::AltModifier);
    ASSERT_TRUE(shell.window->fullscreen());
    EXPECT_TRUE(shell.window->action(kCommandFullscreen)->isChecked());
    EXPECT_FALSE(shell.window->menuBar()->isVisible());
    QApplication::processEvents();
    DisplayWidget& display = shell.window->display();
    const DisplayScale scale = fullscreenScale({1, 2}, display.size());
    EXPECT_EQ(display.pictureScale(), scale);
    const QRect picture = display.pictureRect();
    EXPECT_EQ(picture, centredRect({512 * scale.x, 240 * scale.y}, display.size()));
    const QImage painted = display.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb border = QColor(40, 224, 40).rgb();
    EXPECT_EQ(painted.pixel(0, 0), border);
    EXPECT_EQ(painted.pixel(painted.width() - 1, painted.height() - 1), border);
    if (picture.left() > 0) {
        EXPECT_EQ(painted.pixel(picture.left() - 1, picture.center().y()), border);
    }
    EXPECT_NE(painted.pixel(picture.center()), border);  // the picture itself

    // Esc stays the Sorcerer's RUN/STOP key.
    QTest::keyPress(shell.window.get(), Qt::Key_Escape);
    EXPECT_TRUE(shell.window->fullscreen());
    EXPECT_TRUE(shell.keyboard.isDown(0x1B));
    QTest::keyRelease(shell.window.get(), Qt::Key_Escape);

    QTest::keyClick(shell.window.get(), Qt::Key_Return, Qt::AltModifier);
    EXPECT_FALSE(shell.window->fullscreen());
    EXPECT_FALSE(shell.window->action(kCommandFullscreen)->isChecked());
    EXPECT_TRUE(shell.window->menuBar()->isVisible());
    EXPECT_EQ(display.pictureScale(), (DisplayScale{1, 2}));
}

TEST(Paste, TypesTheClipboardsAsciiTextThroughQuickType) {
    ShellHarness shell;
    ASSERT_TRUE(shell.showActive());
    QGuiApplication::clipboard()->setText(QStringLiteral("DU 0\r\nok \u00e9!"));
    QTest::keyClick(shell.window.get(), Qt::Key_Insert, Qt::ShiftModifier);
    ASSERT_TRUE(shell.machine->quickTypeActive());
    const std::string typed(shell.machine->quickTypeText().begin(),
                            shell.machine->quickTypeText().end());
    EXPECT_EQ(typed, "DU 0\r\nok e!");
    ASSERT_EQ(shell.messages.warnings.size(), 1) << "the change is told once";
    EXPECT_TRUE(shell.messages.warnings[0].startsWith(QStringLiteral("1 of the pasted")));
    // As with Quick Type..., nothing more while a text is being typed.
    QGuiApplication::clipboard()->setText(QStringLiteral("other"));
    shell.window->runCommand(kCommandPaste);
    EXPECT_EQ(shell.machine->quickTypeText().size(), typed.size());

    ShellHarness empty;
    QGuiApplication::clipboard()->setText(QString());
    empty.window->runCommand(kCommandPaste);
    EXPECT_FALSE(empty.machine->quickTypeActive());
    EXPECT_EQ(pasteAsTyping(*empty.machine, QString()), QuickTypeResult::emptyFile);

    // Mixed text: accents go, typographic punctuation becomes ASCII, the
    // rest (a Greek letter, an emoji counted once) '?'.
    const PasteText mixed =
        pasteText(QStringLiteral("Caf\u00e9 \u201cna\u00efve\u201d \u2013 \u00c5ngstr\u00f6m\u2026 "
                                 "\u03c0 \U0001F600 \u00df"));
    EXPECT_EQ(std::string(mixed.bytes.begin(), mixed.bytes.end()),
              "Cafe \"naive\" - Angstrom... ? ? ss");
    EXPECT_EQ(mixed.changed, 11);
}

TEST(TurboKey, HeldF9RunsFramesBackToBackWithoutSoundAndNeverReachesTheMachine) {
    ShellHarness shell({1, 2}, ClockKind::steady);
    ASSERT_TRUE(shell.showActive());
    const int stopsBefore = shell.window->devices().stopSoundCalls();
    QTest::keyPress(shell.window.get(), Qt::Key_F9);
    EXPECT_TRUE(shell.scheduler->turbo());
    EXPECT_GT(shell.window->devices().stopSoundCalls(), stopsBefore);
    EXPECT_FALSE(shell.keyboard.isDown(0x78));
    const std::int64_t start = shell.window->driver().framesRun();
    runEventsFor(300);
    EXPECT_GT(shell.window->driver().framesRun() - start, 30);  // 18 at 60 per second
    QTest::keyRelease(shell.window.get(), Qt::Key_F9);
    EXPECT_FALSE(shell.scheduler->turbo());
    const std::int64_t released = shell.window->driver().framesRun();
    runEventsFor(200);
    EXPECT_LE(shell.window->driver().framesRun() - released, 22);  // paced again

    QTest::keyPress(shell.window.get(), Qt::Key_F9);
    emit shell.window->display().focusLost();  // a key let go elsewhere is not seen
    EXPECT_FALSE(shell.scheduler->turbo());
}

TEST(Rewind, HeldF10StepsBackSilentlyShowsItInTheTitleAndNeverReachesTheMachine) {
    ShellHarness shell;
    ASSERT_TRUE(shell.showActive());
    for (int frame = 0; frame < 200; ++frame) shell.runFrame();
    const std::int64_t end = shell.scheduler->timeline().position();
    ASSERT_GE(end, 150);
    const int stopsBefore = shell.window->devices().stopSoundCalls();
    QTest::keyPress(shell.window.get(), Qt::Key_F10);
    EXPECT_TRUE(shell.scheduler->rewinding());
    EXPECT_EQ(shell.scheduler->timeline().position(), end - 2) << "the first step at once";
    EXPECT_GT(shell.window->devices().stopSoundCalls(), stopsBefore);
    EXPECT_FALSE(shell.keyboard.isDown(0x79));
    EXPECT_TRUE(shell.window->windowTitle().contains(QStringLiteral("Rewind 0:0")))
        << shell.window->windowTitle().toStdString();
    for (int pass = 0; pass < 10; ++pass) shell.runFrame();
    EXPECT_EQ(shell.scheduler->timeline().position(), end - 22);
    EXPECT_EQ(shell.machine->keyboard().hostKeyState[0x79], 0);
    QTest::keyRelease(shell.window.get(), Qt::Key_F10);
    EXPECT_FALSE(shell.scheduler->rewinding());
    shell.runFrame();
    EXPECT_EQ(shell.scheduler->timeline().end(), end - 21) << "the future dropped";
    EXPECT_FALSE(shell.window->windowTitle().contains(QStringLiteral("Rewind")));

    shell.window->runCommand(kCommandRewindTenSeconds);
    EXPECT_EQ(shell.scheduler->timeline().position(), 0);

    QTest::keyPress(shell.window.get(), Qt::Key_F10);
    emit shell.window->display().focusLost();  // a key let go elsewhere is not seen
    EXPECT_FALSE(shell.scheduler->rewinding());
}

TEST(SaveState, F2SavesF3LoadsAltDigitsChooseAndTheSlotShowsItsScreen) {
    ShellHarness shell;
    shell.window->setStartFolders(makeStartFolders(shell.folder.path()));
    ASSERT_TRUE(shell.showActive());
    for (int frame = 0; frame < 30; ++frame) shell.runFrame();
    QTest::keyClick(shell.window.get(), Qt::Key_3, Qt::AltModifier);
    EXPECT_EQ(shell.window->stateSlots().current(), 3);
    QTest::keyClick(shell.window.get(), Qt::Key_F2);
    EXPECT_TRUE(shell.messages.warnings.empty());
    const auto path = shell.window->stateSlots().pathOf(*shell.machine, 3);
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(path.parent_path().parent_path(), shell.folder / "states");
    const MachineState saved = shell.machine->state();
    for (int frame = 0; frame < 30; ++frame) shell.runFrame();
    const MachineState later = shell.machine->state();
    QTest::keyClick(shell.window.get(), Qt::Key_F3);
    EXPECT_EQ(std::memcmp(&saved, &shell.machine->state(), sizeof saved), 0);
    EXPECT_EQ(shell.machine->keyboard().hostKeyState[0x71], 0) << "F2 never reaches the machine";
    EXPECT_EQ(shell.machine->keyboard().hostKeyState[0x72], 0);
    shell.window->refreshStateSlots();
    EXPECT_TRUE(shell.window->action(kCommandUndoLoadState)->isEnabled());
    shell.window->runCommand(kCommandUndoLoadState);
    EXPECT_EQ(std::memcmp(&later, &shell.machine->state(), sizeof later), 0);

    shell.window->refreshStateSlots();
    QAction* three = shell.window->action(kCommandStateSlotFirst + 2);
    EXPECT_TRUE(three->isChecked());
    EXPECT_FALSE(three->icon().isNull()) << "a thumbnail of the saved screen";
    EXPECT_TRUE(three->text().startsWith(QStringLiteral("Slot 3  0:00  (")))
        << three->text().toStdString();
    QAction* four = shell.window->action(kCommandStateSlotFirst + 3);
    EXPECT_TRUE(four->icon().isNull());
    EXPECT_EQ(four->text(), QStringLiteral("Slot 4"));
    EXPECT_FALSE(shell.window->action(kCommandUndoLoadState)->isEnabled());

    shell.window->runCommand(kCommandStateSlotFirst + 3);
    shell.window->runCommand(kCommandLoadState);
    ASSERT_EQ(shell.messages.warnings.size(), 1u);
    EXPECT_NE(shell.messages.warnings[0].toStdString().find("slot 4 is empty"), std::string::npos);
    EXPECT_EQ(std::memcmp(&later, &shell.machine->state(), sizeof later), 0);
}

TEST(SaveScreenshot, OffersADatedNameInScreenshotsAndWritesTheClientArea) {
    TempFolder temp;
    ShellHarness shell;
    shell.window->setStartFolders(makeStartFolders(temp.path()));
    shell.runFrame();
    const auto path = temp / "screenshots" / "shot.png";
    shell.chooser.saveAnswers.push_back(path.string());
    shell.window->runCommand(kCommandSaveScreenshot);
    ASSERT_EQ(shell.chooser.saveRequests.size(), 1u);
    const FileDialogRequest& asked = shell.chooser.saveRequests[0];
    EXPECT_EQ(asked.startFolder, (temp.path() / "screenshots").generic_string() + "/");
    EXPECT_TRUE(std::filesystem::is_directory(temp / "screenshots"));
    EXPECT_EQ(asked.defaultSuffix, "png");
    EXPECT_EQ(screenshotFileName(QDateTime(QDate(2026, 12, 9), QTime(11, 2, 3))),
              "vantorel-2026-12-09-110203.png");
    EXPECT_TRUE(asked.fileName.starts_with("vantorel-") && asked.fileName.ends_with(".png"));
    const QImage saved(QString::fromStdString(path.string()));
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.size(), QSize(544, 544));
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32),
              shell.window->display().clientImage().convertToFormat(QImage::Format_RGB32));
    EXPECT_TRUE(shell.messages.warnings.isEmpty());

    shell.chooser.saveAnswers.push_back((temp / "no-folder" / "x.png").string());
    shell.window->runCommand(kCommandSaveScreenshot);
    ASSERT_EQ(shell.messages.warnings.size(), 1);
    EXPECT_TRUE(shell.messages.warnings[0].contains("x.png"));

    // Over an old file, failing at the last step: told, and the old file kept.
    writeFile(path, 100, 0x55);
    FailingStep fault{WriteStep::rename};
    ScopedWriteFaults installed{fault};
    shell.chooser.saveAnswers.push_back(path.string());
    shell.window->runCommand(kCommandSaveScreenshot);
    EXPECT_TRUE(fault.fired());
    ASSERT_EQ(shell.messages.warnings.size(), 2);
    EXPECT_TRUE(shell.messages.warnings[1].contains("shot.png"));
    std::ifstream old(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(old), std::istreambuf_iterator<char>()),
              std::string(100, '\x55'));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(path.parent_path()),
                            std::filesystem::directory_iterator{}),
              1);
}

// A program that keeps the screen changing with R's values.
void startScreenProgram(Machine& machine) {
    const std::uint8_t program[] = {
        0x21, 0x80, 0xF0,  // 0100 LD HL,F080
        0xED, 0x5F,        // 0103 LD A,R
        0x77,              // 0105 LD (HL),A
        0x23,              // 0106 INC HL
        0x7C,              // 0107 LD A,H
        0xFE, 0xF8,        // 0108 CP F8
        0x20, 0xF7,        // 010A JR NZ,0103
        0x18, 0xF2,        // 010C JR 0100
    };
    std::copy(std::begin(program), std::end(program), machine.memory().image.begin() + 0x100);
    Z80State registers = machine.registers();
    registers.PC = 0x0100;
    machine.setRegisters(registers);
}

std::vector<std::vector<std::uint8_t>> recordScreens(ShellHarness& shell, int frames) {
    std::vector<std::vector<std::uint8_t>> screens;
    for (int frame = 0; frame < frames; ++frame) {
        shell.runFrame();
        const auto& image = shell.machine->memory().image;
        screens.emplace_back(image.begin() + 0xF080, image.begin() + 0xF800);
    }
    return screens;
}

TEST(SaveSnapshotCommand, SavedThroughTheMenuLoadsBackAndRunsOnIdentically) {
    TempFolder temp;
    ShellHarness shell;
    startScreenProgram(*shell.machine);
    recordScreens(shell, 25);
    const auto path = temp / "state.snp";
    shell.chooser.saveAnswers.push_back(path.string());
    shell.window->runCommand(kCommandSaveSnapshot);
    ASSERT_EQ(shell.chooser.saveRequests.size(), 1u);
    EXPECT_EQ(shell.chooser.saveRequests[0].defaultSuffix, "snp");
    ASSERT_EQ(std::filesystem::file_size(path), 65564u);
    EXPECT_EQ(shell.window->startFolders().snapshot, temp.path().generic_string() + "/");
    const Z80State saved = shell.machine->registers();
    std::uint32_t before = shell.machine->tstateCounter();
    const auto expected = recordScreens(shell, 200);
    const std::uint32_t expectedTStates = shell.machine->tstateCounter() - before;

    shell.chooser.answers.push_back(path.string());
    shell.window->runCommand(kCommandLoadSnapshot);
    EXPECT_EQ(shell.machine->registers().PC, saved.PC);
    EXPECT_EQ(shell.machine->registers().HL, saved.HL);
    before = shell.machine->tstateCounter();
    EXPECT_TRUE(recordScreens(shell, 200) == expected);
    EXPECT_EQ(shell.machine->tstateCounter() - before, expectedTStates);
    EXPECT_TRUE(shell.messages.warnings.isEmpty());

    shell.window->runCommand(kCommandSaveSnapshot);  // cancelled: nothing said
    EXPECT_TRUE(shell.messages.warnings.isEmpty());
    shell.chooser.saveAnswers.push_back((temp / "gone" / "x.snp").string());
    shell.window->runCommand(kCommandSaveSnapshot);
    ASSERT_EQ(shell.messages.warnings.size(), 1);
    EXPECT_TRUE(shell.messages.warnings[0].contains("x.snp"));
}

TEST(RecentFilesList, NewestFirstNoDuplicatesEightAtMostAndKindsByName) {
    RecentFiles files;  // no settings file: kept for the run
    for (int n = 0; n < 10; ++n) files.add(RecentKind::gameRom, "/roms/" + std::to_string(n));
    ASSERT_EQ(files.entries().size(), kRecentFileLimit);
    EXPECT_EQ(files.entries().front().path, "/roms/9");
    EXPECT_EQ(files.entries().back().path, "/roms/2");
    files.add(RecentKind::gameRom, "/roms/5");
    EXPECT_EQ(files.entries().front().path, "/roms/5");
    EXPECT_EQ(files.entries().size(), kRecentFileLimit);
    EXPECT_EQ(std::count_if(files.entries().begin(), files.entries().end(),
                            [](const RecentFile& f) { return f.path == "/roms/5"; }),
              1);
    files.add(RecentKind::quickType, "relative.txt");
    EXPECT_TRUE(std::filesystem::path(files.entries().front().path).is_absolute());
    for (RecentKind kind :
         {RecentKind::gameRom, RecentKind::snapshot, RecentKind::tape, RecentKind::quickType}) {
        EXPECT_EQ(recentKindFromName(recentKindName(kind)), kind);
    }
    EXPECT_FALSE(recentKindFromName("video").has_value());
    EXPECT_EQ(recentEntryText(0, {RecentKind::gameRom, "/a&b.rom"}),
              QStringLiteral("&1 /a&&b.rom"));
}

// Two programs started in one folder share its settings file: each change
// starts from the list the file holds, so neither drops the other's files.
// A name with a line break or a bracket stays one entry.
TEST(RecentFilesList, TwoProgramsInOneFolderKeepEachOthersFiles) {
    TempFolder temp;
    const auto settings = temp / "default.ini";
    RecentFiles first(settings);
    RecentFiles second(settings);
    first.load();
    second.load();
    first.add(RecentKind::gameRom, "/roms/first.rom");
    second.add(RecentKind::tape, "/tapes/second.cvz");
    first.add(RecentKind::snapshot, "/snaps/x\n[RECENT]\nfile1=/etc/passwd.snp");
    RecentFiles reader(settings);
    reader.load();
    const std::vector<std::string> expected = {"/snaps/x\n[RECENT]\nfile1=/etc/passwd.snp",
                                               "/tapes/second.cvz", "/roms/first.rom"};
    std::vector<std::string> paths;
    for (const RecentFile& file : reader.entries()) paths.push_back(file.path);
    EXPECT_EQ(paths, expected);
    EXPECT_EQ(first.entries(), reader.entries());

    // Second shows [second.cvz, first.rom]: it has not seen the snapshot.
    second.remove(0);
    reader.load();
    paths.clear();
    for (const RecentFile& file : reader.entries()) paths.push_back(file.path);
    EXPECT_EQ(paths, (std::vector<std::string>{"/snaps/x\n[RECENT]\nfile1=/etc/passwd.snp",
                                               "/roms/first.rom"}))
        << "the snapshot second had not seen stays";
}

TEST(RecentFilesMenuTest, EveryRouteFeedsTheListWhichPersistsPrunesAndReopens) {
    TempFolder temp;
    const auto settings = temp / "default.ini";
    MachineConfig config;
    config.clickervolpct = 77;
    saveSoundSettings(settings, config);
    std::vector<std::filesystem::path> roms;
    for (int n = 0; n < 9; ++n) {
        roms.push_back(temp / "roms" / ("game" + std::to_string(n) + ".rom"));
        writeFile(roms.back(), 100 + static_cast<std::size_t>(n));
    }
    const auto text = temp / "typing" / "hello.txt";
    writeFile(text, 5, 'a');
    const auto snapshot = temp / "state.snp";
    {
        ShellHarness shell({1, 2}, ClockKind::fake, settings);
        for (const auto& rom : roms) {  // through the menu's dialog
            shell.chooser.answers.push_back(rom.string());
            shell.window->runCommand(kCommandLoadGameRom);
        }
        shell.chooser.answers.push_back(text.string());
        shell.window->runCommand(kCommandQuickType);
        ASSERT_TRUE(saveSnapshot(*shell.machine, snapshot).ok());
        ASSERT_TRUE(shell.window->insertFile(snapshot).ok);  // a drop or the command line
        const auto& entries = shell.window->recentFiles().entries();
        ASSERT_EQ(entries.size(), 8u);
        EXPECT_EQ(entries[0], (RecentFile{RecentKind::snapshot, snapshot.generic_string()}));
        EXPECT_EQ(entries[1], (RecentFile{RecentKind::quickType, text.generic_string()}));
        EXPECT_EQ(entries[2].path, roms[8].generic_string());
        EXPECT_EQ(entries[7].path, roms[3].generic_string());
        QMenu* submenu = shell.window->recentFilesMenu().menu();
        ASSERT_EQ(submenu->actions().size(), 8);
        EXPECT_TRUE(shell.window->action(kCommandRecentFiles)->isEnabled());
        EXPECT_EQ(submenu->actions()[0]->data().toInt(), 32900);
        EXPECT_EQ(submenu->actions()[7]->objectName(), QStringLiteral("id32907"));
        EXPECT_EQ(submenu->actions()[2]->text(),
                  QStringLiteral("&3 ") + QString::fromStdString(roms[8].generic_string()));
    }
    // A settings dialog's save keeps the list; the list's saves kept SOUND.
    MachineConfig reread;
    loadSettings(settings, reread, {});
    EXPECT_EQ(reread.clickervolpct, 77);
    saveSoundSettings(settings, reread);

    ShellHarness shell({1, 2}, ClockKind::fake, settings);
    ASSERT_EQ(shell.window->recentFiles().entries().size(), 8u);
    std::filesystem::remove(roms[7]);  // the fourth entry has gone
    shell.window->recentFilesMenu().menu()->actions()[3]->trigger();
    QApplication::processEvents();
    ASSERT_EQ(shell.messages.warnings.size(), 1);
    EXPECT_TRUE(shell.messages.warnings[0].contains("game7.rom"));
    ASSERT_EQ(shell.window->recentFiles().entries().size(), 7u);
    RecentFiles stored(settings);
    stored.load();
    EXPECT_EQ(stored.entries(), shell.window->recentFiles().entries());

    // An entry that is still there is opened as its kind and moves up.
    shell.window->runCommand(kCommandRecentFirst + 2);  // game8.rom
    EXPECT_TRUE(shell.machine->gameRoms().d000 != nullptr);
    EXPECT_EQ(shell.machine->readMemory(0xD000), 0x77);
    EXPECT_EQ(shell.window->recentFiles().entries()[0].path, roms[8].generic_string());
    EXPECT_EQ(shell.window->startFolders().rom, (temp.path() / "roms").generic_string() + "/");
    shell.window->runCommand(kCommandRecentFirst + 1);  // the snapshot
    EXPECT_EQ(shell.window->recentFiles().entries()[0].kind, RecentKind::snapshot);
    EXPECT_TRUE(shell.messages.warnings.size() == 1);
}

}  // namespace
}  // namespace vantorel::testing

namespace vantorel::testing {
namespace {

// Alt+S writes the picture into screenshots/ under the start-up folder at
// once, as Save Screenshot... would, and says so over the border.
TEST(QuickScreenshot, WritesIntoTheScreenshotsFolderWithoutADialog) {
    TempFolder temp;
    ShellHarness shell;
    ASSERT_TRUE(shell.showActive());
    shell.window->setStartFolders(makeStartFolders(temp.path()));
    QTest::keyClick(shell.window.get(), Qt::Key_S, Qt::AltModifier);
    EXPECT_TRUE(shell.chooser.saveRequests.empty()) << "no dialog";
    std::vector<std::filesystem::path> written;
    for (const auto& entry : std::filesystem::directory_iterator(temp / "screenshots")) {
        written.push_back(entry.path());
    }
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0].extension(), ".png");
    const QImage image(QString::fromStdString(written[0].string()));
    EXPECT_EQ(image.size(), shell.window->display().clientSize());
    EXPECT_EQ(shell.window->display().notice().text(), QStringLiteral("Screenshot saved"));
    EXPECT_TRUE(shell.messages.warnings.isEmpty());
}

// Off (as at first), another active window stops the frames; on, they go
// on, and the choice is kept in the settings file at once.
TEST(KeepRunning, FramesGoOnWhileAnotherWindowIsActiveOnlyWhenAsked) {
    ShellHarness shell;
    ASSERT_TRUE(shell.showActive());
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_FALSE(shell.window->driver().framesAllowed());

    shell.window->runCommand(kCommandKeepRunning);
    EXPECT_TRUE(shell.window->action(kCommandKeepRunning)->isChecked());
    EXPECT_TRUE(shell.window->driver().framesAllowed());
    MachineConfig reread;
    loadSettings(shell.settingsPath, reread, nullptr);
    EXPECT_TRUE(reread.keeprunningflag);

    shell.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(shell.window.get()));
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_TRUE(shell.window->driver().framesAllowed()) << "still running";
}

}  // namespace
}  // namespace vantorel::testing
