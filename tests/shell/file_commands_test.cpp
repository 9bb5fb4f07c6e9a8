// The file commands with a fake file dialog: what each dialog asks for,
// which folder the next one starts in, and the states that refuse them;
// files dropped on the window or named on the command line.
#include "app/file_commands.h"

#include <gtest/gtest.h>

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

#include "app/command_line.h"
#include "app/headless_runner.h"
#include "app/inserted_file.h"
#include "app/start_folders.h"
#include "cassette/wav_encoder.h"
#include "shell/menu_table.h"
#include "shell_harness.h"
#include "support/temp_folder.h"

namespace vantorel::testing {
namespace {

void writeFile(const std::filesystem::path& path, std::size_t bytes, std::uint8_t value = 0x77) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary);
    file << std::string(bytes, static_cast<char>(value));
}

std::string folderOf(const std::filesystem::path& path) {
    return path.parent_path().generic_string() + "/";
}

struct FileCommandFixture : ::testing::Test {
    TempFolder temp;
    ShellHarness shell;

    FileCommandFixture() { shell.window->setStartFolders(makeStartFolders(temp.path())); }
    const StartFolders& folders() const { return shell.window->startFolders(); }
};

TEST(StartFolders, AreUnderTheStartUpDirectoryAndTheSnapshotFolderIsEmpty) {
    const StartFolders folders = makeStartFolders("/home/user/sorcerer");
    EXPECT_EQ(folders.cassette, "/home/user/sorcerer/cassette/");
    EXPECT_EQ(folders.printer, "/home/user/sorcerer/lprint/");
    EXPECT_EQ(folders.quickType, "/home/user/sorcerer/quicktyp/");
    EXPECT_EQ(folders.rom, "/home/user/sorcerer/rom/");
    EXPECT_EQ(folders.snapshot, "");
}

TEST_F(FileCommandFixture, LoadGameRomAsksForRomsAndTheNextDialogStartsInTheChosenFolder) {
    const auto rom = temp / "games/space.ROM";
    writeFile(rom, 2048);
    shell.chooser.answers.push_back(rom.string());
    shell.window->runCommand(kCommandLoadGameRom);
    ASSERT_EQ(shell.chooser.requests.size(), 1u);
    const FileDialogRequest& asked = shell.chooser.requests[0];
    EXPECT_EQ(asked.startFolder, (temp.path() / "rom").generic_string() + "/");
    ASSERT_EQ(asked.filters.size(), 2u);
    EXPECT_EQ(asked.filters[0].label, "Game/Application ROM Files (*.ROM, *.BIN)");
    EXPECT_EQ(asked.filters[0].patterns,
              (std::vector<std::string>{"*.rom", "*.bin", "*.ROM", "*.BIN"}));
    EXPECT_EQ(asked.filters[1].label, "All Files (*.*)");
    EXPECT_EQ(asked.defaultSuffix, "bin");
    EXPECT_EQ(shell.machine->readMemory(0xD000), 0x77);
    EXPECT_EQ(shell.machine->readMemory(0xD800), 0xFF);

    shell.window->runCommand(kCommandLoadGameRom);  // cancelled
    ASSERT_EQ(shell.chooser.requests.size(), 2u);
    EXPECT_EQ(shell.chooser.requests[1].startFolder, folderOf(rom));
    EXPECT_EQ(folders().rom, folderOf(rom));  // a cancel keeps the folder

    shell.window->runCommand(kCommandRemoveGameRom);
    EXPECT_FALSE(shell.machine->anySlotFilled());
}

TEST_F(FileCommandFixture, AFileThatCannotBeOpenedLeavesTheFolderButAWrongSizeMovesIt) {
    shell.chooser.answers.push_back((temp / "nowhere/missing.rom").string());
    shell.window->runCommand(kCommandLoadGameRom);
    EXPECT_EQ(folders().rom, (temp.path() / "rom").generic_string() + "/");
    const auto tooBig = temp / "big/huge.bin";
    writeFile(tooBig, 16385);
    shell.chooser.answers.push_back(tooBig.string());
    shell.window->runCommand(kCommandLoadGameRom);
    EXPECT_EQ(folders().rom, folderOf(tooBig));
    EXPECT_FALSE(shell.machine->anySlotFilled());
}

TEST_F(FileCommandFixture, SnapshotAndQuickTypeDialogsAndTheirFolders) {
    shell.window->runCommand(kCommandLoadSnapshot);  // cancelled
    ASSERT_EQ(shell.chooser.requests.size(), 1u);
    EXPECT_EQ(shell.chooser.requests[0].startFolder, "");
    EXPECT_EQ(shell.chooser.requests[0].filters[0].label, "SNP snapshot Files (*.SNP)");
    EXPECT_EQ(shell.chooser.requests[0].defaultSuffix, "snp");
    const auto snapshot = temp / "snaps/game.snp";
    writeFile(snapshot, 65564, 0);
    shell.chooser.answers.push_back(snapshot.string());
    shell.window->runCommand(kCommandLoadSnapshot);
    EXPECT_EQ(folders().snapshot, folderOf(snapshot));
    EXPECT_TRUE(shell.machine->memory().snapshotRam);

    const auto text = temp / "texts/prog.txt";
    shell.chooser.answers.push_back(text.string());
    shell.window->runCommand(kCommandQuickType);
    const FileDialogRequest& asked = shell.chooser.requests.back();
    EXPECT_EQ(asked.startFolder, (temp.path() / "quicktyp").generic_string() + "/");
    EXPECT_EQ(asked.filters[0].label, "Text Files (*.TXT)");
    EXPECT_EQ(asked.defaultSuffix, "txt");
    ASSERT_EQ(shell.quickTypeFiles.size(), 1u);
    EXPECT_EQ(shell.quickTypeFiles[0], text);
    EXPECT_EQ(folders().quickType, folderOf(text));
}

TEST_F(FileCommandFixture, WhileFilesFeedTheMachineTheLoadCommandsShowNoDialog) {
    ASSERT_TRUE(shell.machine->playTapeBytes({0x01, 0x02}));
    shell.window->runCommand(kCommandLoadGameRom);
    shell.window->runCommand(kCommandLoadSnapshot);
    EXPECT_TRUE(shell.chooser.requests.empty());
    shell.window->runCommand(kCommandQuickType);  // only quick type itself blocks it
    EXPECT_EQ(shell.chooser.requests.size(), 1u);
}

TEST_F(FileCommandFixture, SaveRamWritesRamBinInTheCurrentDirectory) {
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(temp.path());
    shell.machine->memory().image[0x1234] = 0xA5;
    shell.window->runCommand(kCommandSaveRam);
    std::filesystem::current_path(previous);
    const auto saved = temp / "ram.bin";
    ASSERT_TRUE(std::filesystem::exists(saved));
    EXPECT_EQ(std::filesystem::file_size(saved), 65536u);
    std::ifstream file(saved, std::ios::binary);
    file.seekg(0x1234);
    EXPECT_EQ(file.get(), 0xA5);
}

// Each command whose file cannot be used says so, naming the file in the
// command line's words, and the machine stays exactly as it was.
TEST_F(FileCommandFixture, EveryFailingFileCommandIsToldAndTheMachineStaysAsItWas) {
    writeFile(temp / "roms/empty.rom", 0);
    writeFile(temp / "roms/big.rom", 100000);
    writeFile(temp / "snaps/trunc.snp", 1000);
    const std::string missing = (temp / "nowhere/gone.snp").string();
    StartFolders folders = makeStartFolders(temp.path());
    folders.startup = temp / "no-such-folder";  // Save Ram cannot make ram.bin there
    shell.window->setStartFolders(folders);
    const auto before = std::make_unique<MachineState>(shell.machine->state());

    struct Case {
        int command;
        std::string path;
        std::string told;
    };
    const Case cases[] = {
        {kCommandLoadGameRom, (temp / "roms/empty.rom").string(),
         "wrong size for a game ROM: 0 bytes (1 to 16384 bytes fit)."},
        {kCommandLoadGameRom, (temp / "roms/big.rom").string(),
         "wrong size for a game ROM: 100000 bytes (1 to 16384 bytes fit)."},
        {kCommandLoadSnapshot, (temp / "snaps/trunc.snp").string(),
         "wrong size for a snapshot: 1000 bytes (65564 bytes fit)."},
        {kCommandLoadSnapshot, missing, "cannot open the file."},
        {kCommandSaveRam, (temp / "no-such-folder/ram.bin").string(), "cannot create the file."},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.path);
        shell.messages.warnings.clear();
        if (item.command != kCommandSaveRam) shell.chooser.answers.push_back(item.path);
        shell.window->runCommand(item.command);
        ASSERT_EQ(shell.messages.warnings.size(), 1);
        EXPECT_EQ(shell.messages.warnings[0].toStdString(), item.path + ": " + item.told);
        EXPECT_EQ(std::memcmp(before.get(), &shell.machine->state(), sizeof(MachineState)), 0)
            << "the machine changed";
    }
    EXPECT_TRUE(shell.window->recentFiles().entries().empty());
}

// Drags `path` onto the window and drops it there, as the user would.
void dropFile(MainWindow& window, const std::filesystem::path& path) {
    window.show();
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(path.string()))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
}

TEST_F(FileCommandFixture, ADroppedRomIsInsertedAndARefusedFileIsReported) {
    const auto rom = temp / "drop/CART.BIN";
    writeFile(rom, 5000);
    dropFile(*shell.window, rom);
    EXPECT_TRUE(shell.messages.warnings.isEmpty());
    EXPECT_TRUE(shell.machine->gameRoms().c000 != nullptr);
    EXPECT_EQ(folders().rom, folderOf(rom));

    const auto notes = temp / "drop/notes.doc";  // (a ".txt" is typed: see below)
    writeFile(notes, 10);
    dropFile(*shell.window, notes);
    ASSERT_EQ(shell.messages.warnings.size(), 1);
    EXPECT_TRUE(shell.messages.warnings[0].contains("notes.doc"));
    EXPECT_TRUE(shell.messages.warnings[0].contains("not a game ROM"));

    const auto empty = temp / "drop/empty.rom";
    writeFile(empty, 0);
    dropFile(*shell.window, empty);
    ASSERT_EQ(shell.messages.warnings.size(), 2);
    EXPECT_TRUE(shell.messages.warnings[1].contains("wrong size"));
    EXPECT_TRUE(shell.machine->gameRoms().c000 != nullptr);  // the old ROM stays
}

// Tapes play (a WAV file as WAV, whatever its name), texts are typed, and
// a tape dropped while one plays is refused with a message.
TEST_F(FileCommandFixture, DroppedTapesPlayAndDroppedTextsAreTyped) {
    const auto wav = temp / "drop/song.WAV";
    writeFile(wav, 0);
    {
        std::ofstream file(wav, std::ios::binary);
        const std::vector<std::uint8_t> bytes =
            wavFileBytes(std::vector<std::uint8_t>(4410, 128), 22050);
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    dropFile(*shell.window, wav);
    ASSERT_TRUE(shell.machine->tapePlaying());
    EXPECT_NEAR(shell.machine->tape().lengthSeconds(), 0.2, 1e-9) << "played as WAV";
    const auto raw = temp / "drop/game.cvz";
    writeFile(raw, 300);
    dropFile(*shell.window, raw);
    ASSERT_EQ(shell.messages.warnings.size(), 1) << "a tape still plays";
    EXPECT_TRUE(shell.messages.warnings[0].contains(QStringLiteral("game.cvz was not played")));
    shell.window->runCommand(kCommandStopCassette);
    dropFile(*shell.window, raw);
    ASSERT_TRUE(shell.machine->tapePlaying());
    shell.machine->writePort(0xFE, 0x00);  // 300 baud
    EXPECT_NEAR(shell.machine->tape().lengthSeconds(), 300.0 * 11 / 300, 1e-6);

    const auto text = temp / "drop/listing.TXT";
    writeFile(text, 10, 'A');
    dropFile(*shell.window, text);
    ASSERT_EQ(shell.quickTypeFiles.size(), 1u);
    EXPECT_EQ(shell.quickTypeFiles[0], text);
    EXPECT_EQ(shell.window->recentFiles().entries().front(),
              (RecentFile{RecentKind::quickType, text.string()}));
    EXPECT_EQ(shell.messages.warnings.size(), 1);
}

TEST(InsertedFile, TheExtensionInAnyCaseSaysWhatTheFileIs) {
    EXPECT_EQ(insertKindOf("a/b/game.rom"), InsertKind::gameRom);
    EXPECT_EQ(insertKindOf("GAME.BIN"), InsertKind::gameRom);
    EXPECT_EQ(insertKindOf("x.Snp"), InsertKind::snapshot);
    EXPECT_EQ(insertKindOf("x.snp.txt"), InsertKind::unknown);
    EXPECT_EQ(insertKindOf("rom"), InsertKind::unknown);
}

TEST(CommandLineFile, OneFileIsTakenAndASecondIsAnError) {
    const char* one[] = {"vantorel", "--headless", "game.rom", "--screenshot", "shot.png"};
    const CommandLineResult parsed = parseCommandLine(5, one);
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    EXPECT_EQ(parsed.options.insertPath, "game.rom");
    EXPECT_EQ(parsed.options.screenshotPath, "shot.png");
    const char* two[] = {"vantorel", "a.rom", "b.snp"};
    EXPECT_FALSE(parseCommandLine(3, two).ok());
    // A name that is neither kind is a usage error: no window opens for it.
    const char* stray[] = {"vantorel", "stray"};
    const CommandLineResult strayParsed = parseCommandLine(2, stray);
    EXPECT_FALSE(strayParsed.ok());
    EXPECT_NE(strayParsed.error.find("stray"), std::string::npos);
}

TEST(CommandLineFile, ARefusedFileGivesOneLineOnStandardError) {
    TempFolder temp;
    const auto notes = temp / "notes.txt";
    writeFile(notes, 10);
    CommandLine options;
    options.headless = true;
    options.frames = 1;
    options.settingsPath = (temp / "settings.ini").string();
    writeFile(options.settingsPath, 0);
    options.insertPath = notes.string();
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_NE(runHeadless(options, out, err), 0);
    const std::string text = err.str();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    EXPECT_NE(text.find("notes.txt"), std::string::npos);
}

}  // namespace
}  // namespace vantorel::testing
