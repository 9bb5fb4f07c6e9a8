#include "config/settings_file.h"

#include <gtest/gtest.h>

#include <string>

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
        {"VANTOREL.INI", "[CONFIG]\nini=sub\\x.ini\n", folder / "sub/x.ini"},
        {"VANTOREL.INI", "[CONFIG]\nini=../up.ini\n", folder / "../up.ini"},
        {"VANTOREL.INI", "[CONFIG]\nini=/etc/vantorel/s.ini\n", "/etc/vantorel/s.ini"},
    };
    for (const auto& c : cases) {
        writeFile(folder / c.pointerName, c.contents);
        EXPECT_EQ(findSettingsFile(folder.path()), c.expected) << c.contents;
        fs::remove(folder / c.pointerName);
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
    EXPECT_EQ(config.vblankcust, 4294967295u);
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
              "[VIDEO]\nwindowscalingX=1\nwindowscalingY=2\n\n"
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
              head + "ClickerFlag=0\r\nayvolpct=75\r\nayflag=1\r\nclickervolpct=50\r\n" + tail);
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
    saved.activescancust = 4000000000u;
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
