#include "config/settings_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "config/profile_file.h"
#include "config/temp_directory.h"

namespace vantorel {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::TempDirectory;
using testing::writeFile;

TEST(SettingsFile, PointerFileNamesTheSettingsFile) {
    TempDirectory folder;
    EXPECT_EQ(findSettingsFile(folder.path()), folder / "default.ini");
    const struct {
        const char* pointerName;
        const char* contents;
        fs::path expected;
    } cases[] = {
        {"VANTOREL.INI", "[CONFIG]\nini=my.ini\n", folder / "my.ini"},
        {"vantorel.ini", "[config]\r\nINI = other.ini \r\n", folder / "other.ini"},
        {"Vantorel.Ini", "[CONFIG]\nini=\n", folder / "default.ini"},
        {"VANTOREL.INI", "[CONFIG]\nnothing=here\n", folder / "default.ini"},
        {"VANTOREL.INI", "[CONFIG]\nini=\"spaced name.ini\"\n", folder / "spaced name.ini"},
    };
    for (const auto& c : cases) {
        writeFile(folder / c.pointerName, c.contents);
        EXPECT_EQ(findSettingsFile(folder.path()), c.expected) << c.contents;
        fs::remove(folder / c.pointerName);
    }
}

struct CollectedDebug : DebugOutputSink {
    std::string text;
    void debugOutput(const char* line) override { text += line; }
};

// A pointer file comes with any folder unpacked from elsewhere: it may name
// only a file beside it. Anything else is refused with one debug line, and
// the saves go to default.ini, never into the file it named.
TEST(SettingsFile, APointerFileNamesNoFileOutsideTheStartUpFolder) {
    TempDirectory root;
    const fs::path folder = root / "start";
    fs::create_directories(folder / "sub");
    fs::create_directories(root / "victim");
    writeFile(root / "victim" / "notes.txt", "echo hello\n");
    const char* refused[] = {"../victim/notes.txt",
                             "..\\victim\\notes.txt",
                             "sub/x.ini",
                             "sub\\x.ini",
                             "..",
                             ".",
                             "/etc/vantorel/s.ini",
                             "C:\\s.ini",
                             "C:s.ini"};
    for (const char* name : refused) {
        writeFile(folder / "VANTOREL.INI", std::string("[CONFIG]\nini=") + name + "\n");
        CollectedDebug debug;
        const fs::path found = findSettingsFile(folder, &debug);
        EXPECT_EQ(found, folder / "default.ini") << name;
        EXPECT_EQ(std::count(debug.text.begin(), debug.text.end(), '\n'), 1) << debug.text;
        EXPECT_NE(debug.text.find(name), std::string::npos) << debug.text;
        EXPECT_NE(debug.text.find("default.ini is used"), std::string::npos) << debug.text;
        MachineConfig config;
        config.ROMfilename = makeSettingsText("x;touch PWNED;.rom");
        EXPECT_TRUE(saveMemorySettings(found, config));
    }
    EXPECT_EQ(readFile(root / "victim" / "notes.txt"), "echo hello\n");
    EXPECT_FALSE(fs::exists(folder / "sub" / "x.ini"));

    writeFile(folder / "VANTOREL.INI", "[CONFIG]\nini=mine.ini\n");
    CollectedDebug quiet;
    EXPECT_EQ(findSettingsFile(folder, &quiet), folder / "mine.ini");
    EXPECT_TRUE(quiet.text.empty()) << "a plain name is no refusal";
}

// A save rewrites only a settings file the user may write: never a script
// or a text the settings path happens to name, never a file made read-only.
// Each refusal leaves the file byte for byte and says why.
TEST(SettingsFile, SavesLeaveForeignAndReadOnlyFilesAlone) {
    TempDirectory folder;
    const std::string script = "# shell start-up\nexport PATH=/bin\nsource notes.txt\n";
    const std::string keysOnly = "export PATH=/bin\nalias ll=ls\n";  // keys, but in no section
    const std::string settings = "; mine\n[SOUND]\nayflag=0\n\n# kept\n";
    writeFile(folder / "script.ini", script);
    writeFile(folder / "keys.ini", keysOnly);
    writeFile(folder / "ok.ini", settings);
    MachineConfig config;
    EXPECT_FALSE(saveSoundSettings(folder / "script.ini", config));
    EXPECT_FALSE(saveSoundSettings(folder / "keys.ini", config));
    EXPECT_EQ(readFile(folder / "script.ini"), script);
    EXPECT_EQ(readFile(folder / "keys.ini"), keysOnly);
    EXPECT_NE(settingsSaveProblem(folder / "script.ini").find("is not a settings file"),
              std::string::npos);
    EXPECT_TRUE(saveSoundSettings(folder / "ok.ini", config)) << "comments and blanks are fine";

    const std::string before = readFile(folder / "ok.ini");
    fs::permissions(folder / "ok.ini",
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    config.ayvolpct = 7;
    EXPECT_FALSE(saveSoundSettings(folder / "ok.ini", config));
    EXPECT_EQ(readFile(folder / "ok.ini"), before);
    EXPECT_EQ(settingsSaveProblem(folder / "ok.ini"),
              "The settings were not saved: " + (folder / "ok.ini").string() + " is read-only.");
    EXPECT_EQ(testing::countEntries(folder.path()), 3) << "no temporary file is left";
}

// A file name may hold anything a name can: a line break, a '[' or '=' at
// its start, blanks and quotes at its ends. Each comes back as it was, and
// none reaches the file as a section or key of its own.
TEST(SettingsFile, TextValuesCannotStartALineSectionOrKey) {
    TempDirectory folder;
    const fs::path path = folder / "s.ini";
    const std::string names[] = {"x\n[SPEED]\ncpuspeedopt=3",
                                 "[SPEED]",
                                 "=cpuspeedopt=3",
                                 "a\r\nb\rc\n",
                                 "\"quoted\"",
                                 " blank ",
                                 "C:\\roms\\new\\x0A.rom",
                                 "tricky\\x0A\n\\x5C"};
    for (const std::string& name : names) {
        MachineConfig config;
        config.ROMfilename = makeSettingsText(name.c_str());
        config.filename = makeSettingsText(("\n" + name).c_str());
        ASSERT_TRUE(saveMemorySettings(path, config)) << name;
        ASSERT_TRUE(savePrinterSettings(path, config)) << name;
        MachineConfig loaded;
        loaded.cpuspeedopt = 1;
        loadSettings(path, loaded, nullptr);
        EXPECT_STREQ(loaded.ROMfilename.data(), name.c_str());
        EXPECT_STREQ(loaded.filename.data(), ("\n" + name).c_str());
        EXPECT_EQ(loaded.cpuspeedopt, 0) << "no SPEED key came in with " << name;
        const std::string text = readFile(path);
        EXPECT_EQ(std::count(text.begin(), text.end(), '['),
                  2 + (name.find('[') != std::string::npos ? 2 : 0))
            << text;
        EXPECT_EQ(openProfileFile(path).state, ProfileFileState::loaded) << text;
        fs::remove(path);
    }
}

TEST(SettingsFile, LoadAppliesRangesAndInstallsImagesAfterMemory) {
    TempDirectory folder;
    writeFile(folder / "s.ini",
              "[MEMORY]\nramexpanders=7\nROMfilename=my.rom\n[PRINTER]\nwidth=80\n"
              "[VIDEO]\nwindowscalingX=0\n[COLOR]\nc01=016096016\n[SOUND]\nclickervolpct=150\n"
              "[SPEED]\nactivescancust=10\nvblankcust=5000000000\nfpscust=9999\n"
              "[KEYBOARD]\nemulatedflag=no\nc41=511\n");
    MachineConfig config;
    config.cpuspeedopt = 2;
    config.colours[1] = RgbColour{0, 0, 0};
    MachineConfig atInstall;
    loadSettings(folder / "s.ini", config, [&] { atInstall = config; });
    EXPECT_EQ(atInstall.ramexpanders, 3);
    EXPECT_STREQ(atInstall.ROMfilename.data(), "my.rom");
    EXPECT_EQ(atInstall.width, 132);  // "PRINTER" comes after the images
    EXPECT_EQ(config.width, 80);
    EXPECT_EQ(config.windowscalingX, 1);
    EXPECT_EQ(config.colours[1], (RgbColour{16, 96, 16}));
    EXPECT_EQ(config.clickervolpct, 100);
    EXPECT_EQ(config.activescancust, 24u);
    EXPECT_EQ(config.vblankcust, 2106360u);  // a slice is at most the machine's second
    EXPECT_EQ(config.fpscust, 600);
    EXPECT_EQ(config.cpuspeedopt, 0);  // no key: NTSC, whatever the record held
    EXPECT_FALSE(config.emulatedflag);
    EXPECT_EQ(config.ctrlKeys[0x41], 255);
    EXPECT_EQ(config.normalKeys, MachineConfig::filledKeyTable());
}

TEST(SettingsFile, MissingFileKeepsTheDefaults) {
    TempDirectory folder;
    MachineConfig config;
    int installs = 0;
    loadSettings(folder / "absent.ini", config, [&] { ++installs; });
    EXPECT_EQ(installs, 1);
    EXPECT_EQ(config, MachineConfig{});
    EXPECT_FALSE(fs::exists(folder / "absent.ini"));
}

TEST(SettingsFile, SavesWriteTheirKeysInOrder) {
    TempDirectory folder;
    MachineConfig config;
    saveMemorySettings(folder / "m.ini", config);
    EXPECT_EQ(readFile(folder / "m.ini"),
              "[MEMORY]\nenhancedflag=0\nramexpanders=2\nwriteROMflag=0\n"
              "ROMfilename=ROM/QUELT12.BIN\nCHARfilename=ROM/CHARS.BIN\nusebuiltinromflag=1\n"
              "usebuiltincharflag=1\n");
    saveVideoSettings(folder / "v.ini", config);
    EXPECT_EQ(readFile(folder / "v.ini"),
              "[VIDEO]\nwindowscalingX=1\nwindowscalingY=2\nshowmessagesflag=1\nfitpictureflag=0\n"
              "fitsmoothflag=0\n\n"
              "[COLOR]\nc00=016016016\nc01=016096016\nc02=040224040\n");
    config.cpuspeedopt = -1;
    saveSpeedSettings(folder / "p.ini", config);
    EXPECT_EQ(readFile(folder / "p.ini"),
              "[SPEED]\ncpuspeedopt=-1\nntscmultiplierpct=100\npalmultiplierpct=100\n"
              "activescancust=32097\nvblankcust=3009\nfpscust=60\nusevideoupdatepsflag=0\n"
              "videoupdatesps=60\nspeedupfilesflag=1\n");
}

TEST(SettingsFile, SoundSaveChangesOnlyTheSoundSection) {
    TempDirectory folder;
    const std::string head = "; my settings\r\n[VIDEO]\r\nwindowscalingX=3\r\n\r\n[Sound]\r\n";
    const std::string tail = "\r\n[SPEED]\r\ncpuspeedopt=1\r\nunknown=kept\r\n";
    writeFile(folder / "s.ini", head + "ClickerFlag=1\r\nayvolpct=5\r\n" + tail);
    MachineConfig config;
    config.clickerflag = false;
    config.ayvolpct = 75;
    saveSoundSettings(folder / "s.ini", config);
    EXPECT_EQ(readFile(folder / "s.ini"),
              head +
                  "ClickerFlag=0\r\nayvolpct=75\r\nayflag=1\r\nclickervolpct=50\r\nmuteflag=0\r\n" +
                  tail);
}

TEST(SettingsFile, EverySectionRoundTripsThroughTheSixSaves) {
    TempDirectory folder;
    writeFile(folder / "VANTOREL.INI", "[CONFIG]\nini=round.ini\n");
    const fs::path path = findSettingsFile(folder.path());
    MachineConfig saved;
    saved.enhancedflag = saved.writeROMflag = true;
    saved.usebuiltinromflag = saved.usebuiltincharflag = false;
    saved.ramexpanders = 1;
    saved.ROMfilename = makeSettingsText("roms/monitor 2.bin");
    saved.CHARfilename = makeSettingsText(std::string(255, 'c').c_str());
    saved.autolinefeedflag = false;
    saved.fixedwidthflag = true;
    saved.width = -40;
    saved.filename = makeSettingsText("out.txt");
    saved.emulatedflag = false;
    for (int i = 0; i < 256; ++i) {
        saved.normalKeys[i] = static_cast<std::uint8_t>(i);
        saved.shiftKeys[i] = static_cast<std::uint8_t>(255 - i);
        saved.ctrlKeys[i] = static_cast<std::uint8_t>(i * 7);
    }
    saved.cpuspeedopt = 2;
    saved.ntscmultiplierpct = 1000;
    saved.palmultiplierpct = 1;
    saved.activescancust = 2106360;
    saved.vblankcust = 24;
    saved.fpscust = 600;
    saved.usevideoupdatepsflag = true;
    saved.videoupdatesps = 10;
    saved.speedupfilesflag = false;
    saved.clickerflag = saved.ayflag = false;
    saved.clickervolpct = 0;
    saved.ayvolpct = 100;
    saved.windowscalingX = 3;
    saved.windowscalingY = 1;
    saved.colours = {RgbColour{255, 0, 1}, RgbColour{2, 128, 254}, RgbColour{0, 0, 0}};
    saveMemorySettings(path, saved);
    savePrinterSettings(path, saved);
    saveKeyboardSettings(path, saved);
    saveVideoSettings(path, saved);
    saveSoundSettings(path, saved);
    saveSpeedSettings(path, saved);
    saveSoundSettings(path, saved);  // saving again changes nothing
    MachineConfig loaded;
    loadSettings(folder / "round.ini", loaded, {});
    EXPECT_EQ(loaded, saved);
    EXPECT_EQ(testing::countEntries(folder.path()), 2);
}

}  // namespace
}  // namespace vantorel
