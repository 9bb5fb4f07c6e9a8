// The System Timing dialog ("Configure CPU Timing"), opened from the
// Configure menu, and the timing the machine runs with after its OK.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include "config/settings_file.h"
#include "settings_dialog_support.h"
#include "shell/menu_table.h"

namespace vantorel::testing {
namespace {

QString text(QDialog& dialog, int id) {
    if (auto* field = dialog.findChild<QLineEdit*>(objectNameFor(id))) return field->text();
    auto* label = control<QLabel>(dialog, id);
    return label == nullptr ? QString() : label->text();
}

bool checked(QDialog& dialog, int id) {
    return control<QAbstractButton>(dialog, id)->isChecked();
}

bool enabled(QDialog& dialog, int id) {
    return control<QWidget>(dialog, id)->isEnabled();
}

QSlider& slider(QDialog& dialog, int id) {
    return *control<QSlider>(dialog, id);
}

TEST(TimingDialog, OpensNtscAtAMultiplierBeyondTheSliderWithoutChangingIt) {
    SettingsShell settings;
    settings.config().ntscmultiplierpct = 1000;  // the settings file allows it
    settings.run(kCommandSystemTiming, [](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Configure CPU Timing"));
        EXPECT_TRUE(checked(dialog, 1500));
        EXPECT_EQ(slider(dialog, 1504).value(), 800);
        EXPECT_EQ(slider(dialog, 1504).minimum(), 1);
        EXPECT_EQ(slider(dialog, 1504).pageStep(), 20);
        EXPECT_EQ(text(dialog, 1505), QStringLiteral("NTSC * 1000%"));
        EXPECT_EQ(text(dialog, 1506), QStringLiteral("320970"));
        EXPECT_EQ(text(dialog, 1507), QStringLiteral("30090"));
        EXPECT_EQ(text(dialog, 1508), QStringLiteral("60"));
        EXPECT_TRUE(enabled(dialog, 1504));
        EXPECT_TRUE(enabled(dialog, 1513));
        EXPECT_FALSE(enabled(dialog, 1506));
        EXPECT_FALSE(enabled(dialog, 1515));
        EXPECT_TRUE(checked(dialog, 1509)) << "speed up when accessing files, by default";
        EXPECT_FALSE(checked(dialog, 1510));
        EXPECT_FALSE(enabled(dialog, 1511));
        EXPECT_EQ(slider(dialog, 1511).maximum(), 600);
        EXPECT_EQ(text(dialog, 1512), QStringLiteral("60 fps "));
        EXPECT_TRUE(control<QPushButton>(dialog, 2)->isDefault());
        click(dialog, 1);
    });
    EXPECT_EQ(settings.config().ntscmultiplierpct, 1000) << "kept until the slider moves";
    EXPECT_EQ(settings.sections(), std::vector<std::string>{"[SPEED]"});
}

TEST(TimingDialog, SlidersAndModesOnlyChangeTheWorkingCopyUntilOk) {
    SettingsShell settings;
    settings.config().cpuspeedopt = 1;
    settings.config().palmultiplierpct = 50;
    const MachineConfig before = settings.config();
    settings.run(kCommandSystemTiming, [](QDialog& dialog) {
        EXPECT_TRUE(checked(dialog, 1501));
        EXPECT_EQ(text(dialog, 1505), QStringLiteral("PAL * 50%"));
        EXPECT_EQ(text(dialog, 1506), QStringLiteral("16177"));
        EXPECT_EQ(text(dialog, 1507), QStringLiteral("4886"));
        EXPECT_EQ(text(dialog, 1508), QStringLiteral("50"));
        slider(dialog, 1504).setValue(200);
        EXPECT_EQ(text(dialog, 1505), QStringLiteral("PAL * 200%"));
        EXPECT_EQ(text(dialog, 1506), QStringLiteral("64708"));
        click(dialog, 1510);
        EXPECT_TRUE(enabled(dialog, 1511));
        slider(dialog, 1511).setValue(25);
        EXPECT_EQ(text(dialog, 1512), QStringLiteral("25 fps "));
        click(dialog, 1502);
        EXPECT_FALSE(enabled(dialog, 1504));
        EXPECT_TRUE(enabled(dialog, 1506));
        EXPECT_EQ(text(dialog, 1506), QStringLiteral("32097"));
        EXPECT_EQ(text(dialog, 1508), QStringLiteral("60"));
        click(dialog, 1503);
        EXPECT_EQ(text(dialog, 1506), QStringLiteral("n/a"));
        EXPECT_FALSE(enabled(dialog, 1508));
        click(dialog, 2);
    });
    EXPECT_EQ(settings.config(), before);
    EXPECT_FALSE(settings.settingsFileExists());
    EXPECT_EQ(settings.shell.window->devices().restartSoundCalls(), 0);
}

TEST(TimingDialog, OkRecomputesTheTimingAtOnceAndRestartsTheSound) {
    SettingsShell settings;
    settings.run(kCommandSystemTiming, [](QDialog& dialog) {
        slider(dialog, 1504).setValue(200);
        EXPECT_EQ(text(dialog, 1506), QStringLiteral("64194"));
        click(dialog, 1);
    });
    EXPECT_EQ(settings.config().ntscmultiplierpct, 200);
    EXPECT_EQ(settings.shell.machine->timing().activeScanTStates, 64194);
    EXPECT_EQ(settings.shell.window->devices().restartSoundCalls(), 1);
}

TEST(TimingDialog, FastClearsBothSoundFlags) {
    SettingsShell settings;
    settings.run(kCommandSystemTiming, [](QDialog& dialog) {
        click(dialog, 1503);
        click(dialog, 1);
    });
    EXPECT_EQ(settings.config().cpuspeedopt, 3);
    EXPECT_FALSE(settings.config().clickerflag);
    EXPECT_FALSE(settings.config().ayflag);
    EXPECT_EQ(settings.sections(), std::vector<std::string>{"[SPEED]"}) << "SOUND is not written";
}

TEST(TimingDialog, CustomValuesThatCannotRunAreCorrectedAndOkIsRefusedOnce) {
    SettingsShell settings;
    settings.run(kCommandSystemTiming, [&](QDialog& dialog) {
        click(dialog, 1502);
        control<QLineEdit>(dialog, 1506)->setText(QStringLiteral("10"));
        control<QLineEdit>(dialog, 1507)->setText(QStringLiteral("10"));
        control<QLineEdit>(dialog, 1508)->setText(QStringLiteral("0"));
        click(dialog, 1);
        EXPECT_TRUE(dialog.isVisible()) << "still open";
        EXPECT_EQ(text(dialog, 1506), QStringLiteral("24"));
        EXPECT_EQ(text(dialog, 1507), QStringLiteral("24"));
        EXPECT_EQ(text(dialog, 1508), QStringLiteral("1"));
        auto* why = dialog.findChild<QLabel*>(QStringLiteral("correction"));
        ASSERT_NE(why, nullptr);
        EXPECT_TRUE(why->text().contains(QStringLiteral("raised to 1 per second")));
        EXPECT_TRUE(why->text().contains(QStringLiteral("at least 24 cycles")));
        EXPECT_TRUE(
            control<QLineEdit>(dialog, 1508)->toolTip().contains(QStringLiteral("1 to 600")));
        EXPECT_EQ(settings.config().cpuspeedopt, 0) << "nothing stored yet";
        EXPECT_FALSE(settings.settingsFileExists());
        click(dialog, 1);
        EXPECT_FALSE(dialog.isVisible());
    });
    const MachineConfig& config = settings.config();
    EXPECT_EQ(config.cpuspeedopt, 2);
    EXPECT_EQ(config.activescancust, 24u);
    EXPECT_EQ(config.vblankcust, 24u);
    EXPECT_EQ(config.fpscust, 1);
    EXPECT_EQ(settings.shell.machine->timing().framesPerSecond, 1);

    // Text that is no number reads as 0; a good set is stored at once.
    settings.run(kCommandSystemTiming, [&](QDialog& dialog) {
        EXPECT_TRUE(checked(dialog, 1502));
        EXPECT_EQ(text(dialog, 1506), QStringLiteral("24"));
        control<QLineEdit>(dialog, 1506)->setText(QStringLiteral("40000"));
        control<QLineEdit>(dialog, 1507)->setText(QStringLiteral("n/a"));
        control<QLineEdit>(dialog, 1508)->setText(QStringLiteral("50"));
        click(dialog, 1);
    });
    EXPECT_EQ(config.activescancust, 40000u);
    EXPECT_EQ(config.vblankcust, 0u) << "the sum is what must reach 24";
    EXPECT_EQ(config.fpscust, 50);
}

// A slice of more than the machine's own second would hold the window for
// seconds a frame: the dialog shows the range, lowers a larger number to it
// and refuses OK once, as it does the other corrections.
TEST(TimingDialog, CustomSlicesAreBoundedAtTheMachinesOwnSecond) {
    SettingsShell settings;
    settings.run(kCommandSystemTiming, [&](QDialog& dialog) {
        auto* range = dialog.findChild<QLabel*>(QStringLiteral("sliceRange"));
        ASSERT_NE(range, nullptr);
        EXPECT_EQ(range->text(), QStringLiteral("Cycles: 24 to 2106360 in each"));
        EXPECT_TRUE(
            control<QLineEdit>(dialog, 1506)->toolTip().contains(QStringLiteral("2106360")));
        click(dialog, 1502);
        control<QLineEdit>(dialog, 1506)->setText(QStringLiteral("4294967295"));
        control<QLineEdit>(dialog, 1507)->setText(QStringLiteral("2106361"));
        click(dialog, 1);
        EXPECT_TRUE(dialog.isVisible()) << "still open";
        EXPECT_EQ(text(dialog, 1506), QStringLiteral("2106360"));
        EXPECT_EQ(text(dialog, 1507), QStringLiteral("2106360"));
        EXPECT_TRUE(dialog.findChild<QLabel*>(QStringLiteral("correction"))
                        ->text()
                        .contains(QStringLiteral("at most 2106360 cycles")));
        EXPECT_FALSE(settings.settingsFileExists());
        click(dialog, 1);
        EXPECT_FALSE(dialog.isVisible());
    });
    EXPECT_EQ(settings.config().activescancust, 2106360u);
    EXPECT_EQ(settings.config().vblankcust, 2106360u);
    EXPECT_EQ(settings.shell.machine->timing().activeScanTStates, 2106360);

    // A larger value in the settings file is lowered on loading.
    std::ofstream(settings.folder / "settings.ini")
        << "[SPEED]\ncpuspeedopt=2\nactivescancust=4294967295\n";
    MachineConfig loaded;
    loadSettings(settings.folder / "settings.ini", loaded, nullptr);
    EXPECT_EQ(loaded.activescancust, 2106360u);
}

// A settings file the user made read-only stays as it is, and OK says so.
TEST(TimingDialog, ASaveThatCannotBeWrittenIsTold) {
    SettingsShell settings;
    std::ofstream(settings.folder / "settings.ini") << "[SPEED]\nfpscust=50\n";
    std::filesystem::permissions(settings.folder / "settings.ini",
                                 std::filesystem::perms::owner_read);
    settings.run(kCommandSystemTiming, [&](QDialog& dialog) { click(dialog, 1); });
    ASSERT_EQ(settings.shell.messages.warnings.size(), 1);
    EXPECT_TRUE(settings.shell.messages.warnings[0].contains(QStringLiteral("is read-only")))
        << settings.shell.messages.warnings[0].toStdString();
    std::ifstream file(settings.folder / "settings.ini");
    std::stringstream kept;
    kept << file.rdbuf();
    EXPECT_EQ(kept.str(), "[SPEED]\nfpscust=50\n");
}

TEST(TimingDialog, DefaultIsNtscAtFullSpeedWithBothCheckBoxesCleared) {
    SettingsShell settings;
    settings.config().cpuspeedopt = 1;
    settings.config().palmultiplierpct = 50;
    settings.config().ntscmultiplierpct = 300;
    settings.config().usevideoupdatepsflag = true;
    ASSERT_TRUE(settings.config().speedupfilesflag);
    settings.run(kCommandSystemTiming, [](QDialog& dialog) {
        EXPECT_TRUE(enabled(dialog, 1511));
        click(dialog, 1514);
        EXPECT_TRUE(checked(dialog, 1500));
        EXPECT_EQ(slider(dialog, 1504).value(), 100);
        EXPECT_EQ(text(dialog, 1505), QStringLiteral("NTSC * 100%"));
        EXPECT_EQ(text(dialog, 1506), QStringLiteral("32097"));
        EXPECT_FALSE(checked(dialog, 1509));
        EXPECT_FALSE(checked(dialog, 1510));
        EXPECT_FALSE(enabled(dialog, 1511));
        click(dialog, 1);
    });
    const MachineConfig& config = settings.config();
    EXPECT_EQ(config.cpuspeedopt, 0);
    EXPECT_EQ(config.ntscmultiplierpct, 100);
    EXPECT_EQ(config.palmultiplierpct, 50);
    EXPECT_FALSE(config.speedupfilesflag);
    EXPECT_FALSE(config.usevideoupdatepsflag);
}

}  // namespace
}  // namespace vantorel::testing
