// The Memory and Printer dialogs, opened from the Configure menu.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <fstream>

#include "config/settings_file.h"
#include "settings_dialog_support.h"
#include "shell/menu_table.h"

namespace vantorel::testing {
namespace {

bool checked(QDialog& dialog, int id) {
    auto* button = control<QAbstractButton>(dialog, id);
    return button != nullptr && button->isChecked();
}

bool enabled(QDialog& dialog, int id) {
    auto* widget = control<QWidget>(dialog, id);
    return widget != nullptr && widget->isEnabled();
}

QString labelText(QDialog& dialog, int id) {
    auto* label = control<QLabel>(dialog, id);
    return label == nullptr ? QString() : label->text();
}

void writeBytes(const std::filesystem::path& path, std::size_t count, std::uint8_t value) {
    std::ofstream file(path, std::ios::binary);
    const std::string bytes(count, static_cast<char>(value));
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TEST(MemoryDialog, OpensFromTheSettingsAndItsButtonsEnableTheirRows) {
    SettingsShell settings;
    settings.config().ramexpanders = 1;
    settings.config().usebuiltinromflag = false;
    settings.config().ROMfilename = makeSettingsText("rom/mine.bin");
    settings.run(kCommandMemory, [](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Configure Exidy Sorcerer Memory"));
        EXPECT_TRUE(checked(dialog, 1000));
        EXPECT_FALSE(enabled(dialog, 1001)) << "Enhanced stays disabled";
        EXPECT_FALSE(enabled(dialog, 1006)) << "Make ROM writeable stays disabled";
        EXPECT_FALSE(checked(dialog, 1002));
        EXPECT_TRUE(checked(dialog, 1003));
        EXPECT_TRUE(checked(dialog, 1008));
        EXPECT_TRUE(enabled(dialog, 1009));
        EXPECT_EQ(labelText(dialog, 1010), QStringLiteral("rom/mine.bin"));
        EXPECT_TRUE(checked(dialog, 1011));
        EXPECT_FALSE(enabled(dialog, 1013));
        EXPECT_FALSE(enabled(dialog, 1014));
        EXPECT_EQ(labelText(dialog, 1014), QStringLiteral("ROM/CHARS.BIN"));
        EXPECT_TRUE(control<QPushButton>(dialog, 2)->isDefault()) << "Cancel is the default";
        click(dialog, 1007);
        EXPECT_FALSE(enabled(dialog, 1009));
        EXPECT_FALSE(enabled(dialog, 1010));
        click(dialog, 1012);
        EXPECT_TRUE(enabled(dialog, 1013));
        click(dialog, 1005);
        EXPECT_FALSE(checked(dialog, 1003));
    });
}

// Every choice that is not plain from its text says what it does; the RAM
// sizes name their addresses and the ROM files their exact sizes.
TEST(MemoryDialog, ControlsExplainThemselvesWithTheirRanges) {
    SettingsShell settings;
    settings.run(kCommandMemory, [](QDialog& dialog) {
        const auto tip = [&](int id) { return control<QWidget>(dialog, id)->toolTip(); };
        for (int id = 1000; id <= 1014; ++id) EXPECT_FALSE(tip(id).isEmpty()) << "id" << id;
        EXPECT_TRUE(tip(1002).contains(QStringLiteral("0000-1FFF")));
        EXPECT_TRUE(tip(1004).contains(QStringLiteral("0000-7FFF")));
        EXPECT_TRUE(tip(1005).contains(QStringLiteral("0000-BBFF")));
        EXPECT_TRUE(tip(1008).contains(QStringLiteral("4096 bytes")));
        EXPECT_TRUE(tip(1012).contains(QStringLiteral("1024 bytes")));
    });
}

TEST(MemoryDialog, CancelAfterEditsChangesNothingAndDoesNotReset) {
    SettingsShell settings;
    const MachineConfig before = settings.config();
    settings.shell.chooser.answers.push_back((settings.folder / "x.bin").string());
    writeBytes(settings.folder / "x.bin", 4096, 0x11);
    settings.shell.machine->memory().image[0x0100] = 0x5A;
    settings.run(kCommandMemory, [](QDialog& dialog) {
        click(dialog, 1002);
        click(dialog, 1008);
        click(dialog, 1009);
        EXPECT_NE(labelText(dialog, 1010).indexOf(QStringLiteral("x.bin")), -1);
        click(dialog, 2);
    });
    QApplication::processEvents();
    EXPECT_EQ(settings.config(), before);
    EXPECT_FALSE(settings.settingsFileExists());
    EXPECT_EQ(settings.shell.machine->memory().image[0x0100], 0x5A);
}

TEST(MemoryDialog, OkWritesOnlyMemoryThenHardResetsOnceTheDialogHasClosed) {
    SettingsShell settings;
    Machine& machine = *settings.shell.machine;
    for (const bool changeSomething : {false, true}) {
        machine.memory().image[0x0100] = 0x5A;
        settings.run(kCommandMemory, [&](QDialog& dialog) {
            if (changeSomething) click(dialog, 1005);
            click(dialog, 1);
        });
        EXPECT_EQ(machine.memory().image[0x0100], 0x5A) << "the reset is posted, not called";
        QApplication::processEvents();
        EXPECT_EQ(machine.memory().image[0x0100], 0x00)
            << "hard reset, changed " << changeSomething;
    }
    EXPECT_EQ(settings.config().ramexpanders, 3);
    EXPECT_EQ(settings.sections(), std::vector<std::string>{"[MEMORY]"});
    MachineConfig reread;
    loadSettings(settings.folder / "settings.ini", reread, nullptr);
    EXPECT_EQ(reread.ramexpanders, 3);
}

TEST(MemoryDialog, BrowseTakesOnlyReadableFilesAndOkBootsTheChosenMonitorRom) {
    SettingsShell settings;
    FakeFileChooser& chooser = settings.shell.chooser;
    const auto own = settings.folder / "own.bin";
    writeBytes(own, 4096, 0xC9);
    chooser.answers.push_back((settings.folder / "gone.bin").string());  // not there
    chooser.answers.push_back(own.string());
    settings.run(kCommandMemory, [&](QDialog& dialog) {
        click(dialog, 1008);
        click(dialog, 1009);
        EXPECT_EQ(labelText(dialog, 1010), QStringLiteral("ROM/QUELT12.BIN")) << "not taken";
        click(dialog, 1009);
        EXPECT_EQ(labelText(dialog, 1010), QString::fromStdString(own.string()));
        click(dialog, 1);
    });
    ASSERT_EQ(chooser.requests.size(), 2u);
    const FileDialogRequest& request = chooser.requests[0];
    EXPECT_EQ(request.startFolder, (settings.folder / "rom").generic_string() + "/");
    EXPECT_EQ(request.defaultSuffix, "bin");
    ASSERT_EQ(request.filters.size(), 2u);
    EXPECT_EQ(request.filters[0].label, "ROM OS Files (*.ROM, *.BIN)");
    EXPECT_EQ(request.filters[1].label, "All Files (*.*)");
    EXPECT_FALSE(settings.config().usebuiltinromflag);
    EXPECT_EQ((*settings.shell.machine->roms().monitor)[0], 0xC9);
    EXPECT_TRUE(settings.shell.messages.warnings.isEmpty());

    // A wrong-sized file: the built-in image again, and the user is told.
    writeBytes(own, 100, 0xC9);
    settings.run(kCommandMemory, [](QDialog& dialog) { click(dialog, 1); });
    EXPECT_EQ(*settings.shell.machine->roms().monitor, settings.shell.roms.monitor);
    ASSERT_EQ(settings.shell.messages.warnings.size(), 1);
    EXPECT_NE(settings.shell.messages.warnings[0].indexOf(QString::fromStdString(own.string())),
              -1);
}

TEST(PrinterDialog, OpensFromTheSettingsAndTheWidthButtonsEnableTheField) {
    SettingsShell settings;
    settings.config().width = -1;  // shown as an unsigned number
    settings.run(kCommandPrinter, [](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Configure Printer"));
        EXPECT_TRUE(checked(dialog, 1107));
        EXPECT_FALSE(enabled(dialog, 1107)) << "stays disabled";
        EXPECT_TRUE(checked(dialog, 1108));
        EXPECT_FALSE(enabled(dialog, 1111));
        EXPECT_EQ(control<QLineEdit>(dialog, 1111)->text(), QStringLiteral("4294967295"));
        EXPECT_EQ(labelText(dialog, 1113), QStringLiteral("LPRINT.TXT"));
        EXPECT_TRUE(control<QPushButton>(dialog, 1)->isDefault());
        click(dialog, 1109);
        EXPECT_TRUE(enabled(dialog, 1111));
        click(dialog, 1108);
        EXPECT_FALSE(enabled(dialog, 1111));
    });
}

TEST(PrinterDialog, OkForcesTheWidthIntoRangeAndWritesOnlyPrinter) {
    SettingsShell settings;
    const std::pair<const char*, std::int32_t> cases[] = {
        {"1", 32},           {"0", 32}, {"", 32},  {"70000", 65535},
        {"99999999999", 32}, {"2", 2},  {"80", 80}};
    for (const auto& [typed, stored] : cases) {
        settings.run(kCommandPrinter, [typed = typed](QDialog& dialog) {
            click(dialog, 1109);
            control<QLineEdit>(dialog, 1111)->setText(QString::fromUtf8(typed));
            click(dialog, 1);
        });
        EXPECT_EQ(settings.config().width, stored) << "typed " << typed;
        EXPECT_TRUE(settings.config().fixedwidthflag);
    }
    EXPECT_EQ(settings.sections(), std::vector<std::string>{"[PRINTER]"});
}

TEST(PrinterDialog, BrowseSavesToTheChosenFileAndCancelKeepsEverything) {
    SettingsShell settings;
    std::filesystem::create_directories(settings.folder / "lprint");
    const QString chosen =
        QString::fromStdString((settings.folder / "lprint" / "out.txt").string());
    const MachineConfig before = settings.config();
    QString startFolder;
    auto browseTo = [&](QDialog& dialog) {
        bool opened = false;
        whenDialogOpens(
            [&](QDialog& chooser) {
                auto* files = qobject_cast<QFileDialog*>(&chooser);
                ASSERT_NE(files, nullptr);
                startFolder = files->directory().absolutePath();
                files->selectFile(chosen);
                chooser.accept();  // QFileDialog::accept, through QDialog
            },
            opened);
        click(dialog, 1112);
        EXPECT_TRUE(opened);
        EXPECT_EQ(labelText(dialog, 1113), chosen);
    };
    settings.run(kCommandPrinter, [&](QDialog& dialog) {
        browseTo(dialog);
        control<QLineEdit>(dialog, 1111)->setText(QStringLiteral("7"));
        click(dialog, 1109);
        click(dialog, 2);
    });
    EXPECT_EQ(startFolder, QString::fromStdString((settings.folder / "lprint").string()));
    EXPECT_EQ(settings.config(), before);
    EXPECT_FALSE(settings.settingsFileExists());

    settings.run(kCommandPrinter, [&](QDialog& dialog) {
        browseTo(dialog);
        click(dialog, 1);
    });
    EXPECT_EQ(settingsTextToQString(settings.config().filename), chosen);
}

}  // namespace
}  // namespace vantorel::testing
