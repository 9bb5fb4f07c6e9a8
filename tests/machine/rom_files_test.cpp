// ROM images taken from the files the settings name, or the built-in ones.
#include "machine/rom_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "support/temp_folder.h"
#include "support/test_roms.h"

namespace vantorel {
namespace {

using testing::TempFolder;

void writeBytes(const std::filesystem::path& path, std::size_t count, std::uint8_t value) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary);
    const std::vector<char> bytes(count, static_cast<char>(value));
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct RomFiles : ::testing::Test {
    TempFolder folder;
    testing::TestRoms builtin = testing::idleTestRoms();  // monitor C3 10 E0, characters i + 1
    MachineRoms roms;
    MachineConfig config;

    std::vector<std::string> install() {
        return installBuiltinImages(roms, config, builtin.images(), folder.path());
    }
};

TEST_F(RomFiles, BuiltInFlagsIgnoreFilesThatExist) {
    writeBytes(folder / "ROM/QUELT12.BIN", 4096, 0x11);
    writeBytes(folder / "ROM/CHARS.BIN", 1024, 0x22);
    EXPECT_TRUE(install().empty());
    EXPECT_EQ(*roms.monitor, builtin.monitor);
    EXPECT_EQ(*roms.characters, builtin.characters);
}

TEST_F(RomFiles, FilesOfExactSizeReplaceBothImagesRelativeToTheStartUpFolder) {
    writeBytes(folder / "ROM/QUELT12.BIN", 4096, 0x11);
    writeBytes(folder / "mine/chars.bin", 1024, 0x22);
    config.usebuiltinromflag = false;
    config.usebuiltincharflag = false;
    config.CHARfilename = makeSettingsText("mine\\chars.bin");  // written on Windows
    EXPECT_TRUE(install().empty());
    EXPECT_EQ((*roms.monitor)[0], 0x11);
    EXPECT_EQ((*roms.monitor)[4095], 0x11);
    EXPECT_EQ((*roms.characters)[0], 0x22);
    EXPECT_EQ((*roms.characters)[1023], 0x22);

    // An absolute name is taken as it is.
    writeBytes(folder / "abs.bin", 4096, 0x33);
    config.ROMfilename = makeSettingsText((folder / "abs.bin").c_str());
    EXPECT_EQ(installBuiltinImages(roms, config, builtin.images(), "/nowhere").size(), 1u)
        << "the relative character ROM name is not under /nowhere";
    EXPECT_EQ((*roms.monitor)[7], 0x33);
}

TEST_F(RomFiles, MissingWrongSizedOrFolderFilesLeaveTheBuiltInImageAndSaySo) {
    config.usebuiltinromflag = false;
    config.usebuiltincharflag = false;
    MonitorRom monitorBefore;  // whatever was installed before
    CharacterRom charactersBefore;
    monitorBefore.fill(0x99);
    charactersBefore.fill(0x99);
    roms.monitor = std::make_shared<const MonitorRom>(monitorBefore);
    roms.characters = std::make_shared<const CharacterRom>(charactersBefore);
    std::vector<std::string> problems = install();
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0], "The monitor ROM file " + (folder / "ROM/QUELT12.BIN").string() +
                               " cannot be opened; the built-in monitor ROM is used.");
    EXPECT_NE(problems[1].find("character ROM file " + (folder / "ROM/CHARS.BIN").string()),
              std::string::npos);
    EXPECT_EQ(*roms.monitor, builtin.monitor);
    EXPECT_EQ(*roms.characters, builtin.characters);

    for (const std::size_t size : {std::size_t{0}, std::size_t{4095}, std::size_t{4097}}) {
        writeBytes(folder / "ROM/QUELT12.BIN", size, 0x11);
        writeBytes(folder / "ROM/CHARS.BIN", 4096, 0x22);  // a monitor-sized character ROM
        problems = install();
        ASSERT_EQ(problems.size(), 2u);
        EXPECT_NE(problems[0].find("holds " + std::to_string(size) + " bytes, not 4096 bytes"),
                  std::string::npos)
            << problems[0];
        EXPECT_NE(problems[1].find("holds 4096 bytes, not 1024 bytes"), std::string::npos);
        EXPECT_EQ(problems[0].find('\n'), std::string::npos) << "one line";
        EXPECT_EQ(*roms.monitor, builtin.monitor);
        EXPECT_EQ(*roms.characters, builtin.characters);
    }

    config.ROMfilename = makeSettingsText("ROM");  // a folder
    config.usebuiltincharflag = true;
    problems = install();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("cannot be opened"), std::string::npos);
}

}  // namespace
}  // namespace vantorel
