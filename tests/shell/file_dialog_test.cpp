// The tape commands through the real QFileDialog (offscreen), driven by the
// dialog's own object names: the filter entry chosen decides how Play reads
// a file and what Record writes, and a bare name gets the entry's suffix.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>

#include "app/cassette_commands.h"
#include "app/start_folders.h"
#include "cassette/wav_encoder.h"
#include "shell/qt_file_chooser.h"
#include "shell_harness.h"
#include "support/temp_folder.h"

namespace vantorel::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

void writeBytes(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// Once the next file dialog is up: picks filter entry `filter` in its type
// box, types `name` and accepts, as a user would.
void answerNextDialog(int filter, const QString& name) {
    QTimer::singleShot(0, [filter, name] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || dialog->objectName() != QStringLiteral("fileDialog")) {
            answerNextDialog(filter, name);  // not up yet
            return;
        }
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(types, nullptr);
        ASSERT_NE(edit, nullptr);
        types->setCurrentIndex(filter);
        emit types->activated(filter);  // as a pick from the list does
        emit types->textActivated(types->itemText(filter));
        edit->setText(name);
        static_cast<QDialog*>(dialog)->accept();  // as the Open or Save button does
    });
}

struct RealDialogFixture : ::testing::Test {
    TempFolder temp;
    ShellHarness shell;
    StartFolders folders = makeStartFolders(temp.path());
    QtFileChooser chooser{shell.window.get()};
    CassetteCommands commands{*shell.machine, chooser, folders};

    RealDialogFixture() { std::filesystem::create_directories(folders.cassette); }
    std::filesystem::path tape(const std::string& name) const {
        return std::filesystem::path(folders.cassette) / name;
    }
};

TEST(NameFilterIndex, FindsTheWholeFilterOrTheLabelShown) {
    const QStringList filters{QStringLiteral("Raw Cassette Files (*.CVZ) (*.cvz *.CVZ)"),
                              QStringLiteral("All Files (*.*) (*)")};
    EXPECT_EQ(nameFilterIndex(filters, filters[1]), 1);
    EXPECT_EQ(nameFilterIndex(filters, QStringLiteral("Raw Cassette Files (*.CVZ)")), 0);
    EXPECT_EQ(nameFilterIndex(filters, QStringLiteral("All Files (*.*)")), 1);
    EXPECT_EQ(nameFilterIndex(filters, QStringLiteral("Text Files")), -1);
}

// A WAV file plays as WAV under every entry; a raw file plays raw under all
// but the WAV entry, which refuses it with its message.
TEST_F(RealDialogFixture, PlayReadsAsTheChosenEntrySaysAndAWavHeaderAlwaysAsWav) {
    writeBytes(tape("song.wav"), wavFileBytes(Bytes(4410, 128), 22050));
    writeBytes(tape("game.cvz"), Bytes(600, 0x55));
    for (int filter = 0; filter < 4; ++filter) {
        SCOPED_TRACE(filter);
        shell.machine->stopCassette();
        answerNextDialog(filter, QString::fromStdString(tape("song.wav").string()));
        EXPECT_FALSE(commands.playCassetteFile());
        ASSERT_TRUE(shell.machine->tapePlaying());
        EXPECT_NEAR(shell.machine->tape().lengthSeconds(), 0.2, 1e-9) << "played as WAV";

        shell.machine->stopCassette();
        answerNextDialog(filter, QString::fromStdString(tape("game.cvz").string()));
        const CommandMessage message = commands.playCassetteFile();
        if (filter == 2) {
            ASSERT_TRUE(message);
            EXPECT_EQ(*message,
                      tape("game.cvz").string() + ": Input file must be an 8-bit Mono WAV file.");
            EXPECT_FALSE(shell.machine->tapePlaying());
        } else {
            EXPECT_FALSE(message);
            ASSERT_TRUE(shell.machine->tapePlaying());
            shell.machine->writePort(0xFE, 0x00);  // 300 baud
            EXPECT_NEAR(shell.machine->tape().lengthSeconds(), 600.0 * 11 / 300, 1e-6);
        }
    }
}

// A bare name takes the entry's suffix; the WAV entry records WAV, the raw
// entry raw, the others go by the name.
TEST_F(RealDialogFixture, RecordWritesTheFormatOfTheChosenEntry) {
    struct Case {
        int filter;
        const char* typed;
        const char* file;
        TapeFormat format;
    };
    const Case cases[] = {
        {0, "a", "a.wav", TapeFormat::wav},     {0, "b.cvz", "b.cvz", TapeFormat::raw},
        {1, "c", "c.cvz", TapeFormat::raw},     {2, "d", "d.wav", TapeFormat::wav},
        {3, "e.wav", "e.wav", TapeFormat::wav}, {3, "f.bin", "f.bin", TapeFormat::raw}};
    for (const Case& item : cases) {
        SCOPED_TRACE(item.typed);
        answerNextDialog(item.filter, QString::fromStdString(tape(item.typed).string()));
        EXPECT_FALSE(commands.recordCassetteFile());
        ASSERT_TRUE(shell.machine->tapeRecording());
        ASSERT_NE(shell.machine->lastRecordingFile(), nullptr);
        EXPECT_EQ(shell.machine->lastRecordingFile()->format(), item.format);
        EXPECT_EQ(shell.machine->lastRecordingFile()->path(), tape(item.file));
        shell.machine->stopCassette();
        EXPECT_TRUE(std::filesystem::exists(tape(item.file)));
        (void)shell.machine->takeRecordingEnd();
    }
}

}  // namespace
}  // namespace vantorel::testing
