// Settings files a user (or a crashed editor) may leave behind: every key
// present with a strange value, and files of random bytes. Whatever is in the
// file, loading must keep every ranged field inside its range, and what a
// save writes must load back as the same record.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "config/machine_config.h"
#include "config/settings_file.h"
#include "support/every_settings_section.h"
#include "temp_directory.h"

namespace vantorel {
namespace {

using testing::TempDirectory;
using testing::writeFile;

struct SectionKeys {
    const char* section;
    std::vector<std::string> keys;
};

std::vector<SectionKeys> everyKey() {
    std::vector<SectionKeys> sections = {
        {"MEMORY",
         {"enhancedflag", "ramexpanders", "writeROMflag", "usebuiltinromflag", "usebuiltincharflag",
          "ROMfilename", "CHARfilename"}},
        {"PRINTER", {"autolinefeedflag", "fixedwidthflag", "width", "filename"}},
        {"KEYBOARD", {"emulatedflag"}},
        {"VIDEO", {"windowscalingX", "windowscalingY"}},
        {"COLOR", {"c00", "c01", "c02"}},
        {"SOUND", {"clickerflag", "ayflag", "clickervolpct", "ayvolpct"}},
        {"SPEED",
         {"cpuspeedopt", "ntscmultiplierpct", "palmultiplierpct", "activescancust", "vblankcust",
          "fpscust", "usevideoupdatepsflag", "videoupdatesps", "speedupfilesflag"}},
    };
    const char hex[] = "0123456789abcdef";
    for (char table : {'n', 's', 'c'}) {
        for (int index = 0; index < 256; ++index) {
            sections[2].keys.push_back(std::string{table, hex[index >> 4], hex[index & 15]});
        }
    }
    return sections;
}

// Values chosen to probe the readers: numbers at and past every bound, signs,
// leading blanks, trailing junk, words, very long texts and empty values.
std::string strangeValue(std::mt19937& random) {
    static const std::vector<std::string> samples = {
        "",
        "0",
        "1",
        "-1",
        "3",
        "4",
        "-2147483648",
        "2147483647",
        "2147483648",
        "4294967295",
        "4294967296",
        "99999999999999999999",
        "-99999999999999999999",
        "  12",
        "12abc",
        "+7",
        "0x10",
        "yes",
        "NO",
        "maybe",
        "016096016",
        "300300300",
        "1696",
        "-16096016",
        "01a096016",
        "999999999",
        "23",
        "24",
        "600",
        "601",
        "1000",
        "1001",
        "\"quoted\"",
        "=",
        "[SPEED]",
        ";comment",
    };
    std::uniform_int_distribution<std::size_t> pick(0, samples.size());
    const std::size_t choice = pick(random);
    if (choice < samples.size()) return samples[choice];
    std::uniform_int_distribution<int> length(0, 400);
    std::uniform_int_distribution<int> printable(0x20, 0x7E);
    std::string text(static_cast<std::size_t>(length(random)), ' ');
    for (char& c : text) c = static_cast<char>(printable(random));
    return text;
}

std::string strangeSettingsFile(std::mt19937& random) {
    std::string file;
    for (const SectionKeys& section : everyKey()) {
        file.append("[").append(section.section).append("]\r\n");
        for (const std::string& key : section.keys) {
            file.append(key).append("=").append(strangeValue(random)).append("\r\n");
        }
    }
    return file;
}

void expectEveryRangeHolds(const MachineConfig& config) {
    EXPECT_GE(config.ramexpanders, 0);
    EXPECT_LE(config.ramexpanders, 3);
    EXPECT_GE(config.cpuspeedopt, 0);
    EXPECT_LE(config.cpuspeedopt, 3);
    for (std::int32_t percent : {config.ntscmultiplierpct, config.palmultiplierpct}) {
        EXPECT_GE(percent, 1);
        EXPECT_LE(percent, 1000);
    }
    EXPECT_GE(config.activescancust, 24u);
    EXPECT_GE(config.vblankcust, 24u);
    for (std::int32_t perSecond : {config.fpscust, config.videoupdatesps}) {
        EXPECT_GE(perSecond, 1);
        EXPECT_LE(perSecond, 600);
    }
    for (std::int32_t volume : {config.clickervolpct, config.ayvolpct}) {
        EXPECT_GE(volume, 0);
        EXPECT_LE(volume, 100);
    }
    for (std::int32_t scale : {config.windowscalingX, config.windowscalingY}) {
        EXPECT_GE(scale, 1);
        EXPECT_LE(scale, 3);
    }
    for (const SettingsText* text : {&config.ROMfilename, &config.CHARfilename, &config.filename}) {
        EXPECT_EQ(text->back(), '\0') << "text fields stay terminated";
    }
}

MachineConfig loadFrom(const std::filesystem::path& path) {
    MachineConfig config;
    loadSettings(path, config, nullptr);
    return config;
}

TEST(SettingsGarbage, StrangeValuesLoadWithinRangesAndSaveRoundTrips) {
    std::mt19937 random(20261209);
    for (int round = 0; round < 25; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        TempDirectory folder;
        const auto strange = folder / "strange.ini";
        writeFile(strange, strangeSettingsFile(random));
        const MachineConfig loaded = loadFrom(strange);
        expectEveryRangeHolds(loaded);

        // What we write, we read back unchanged, into a fresh file and over
        // the strange one alike.
        const auto fresh = folder / "fresh.ini";
        testing::saveEverySettingsSection(fresh, loaded);
        EXPECT_EQ(loadFrom(fresh), loaded);
        testing::saveEverySettingsSection(strange, loaded);
        EXPECT_EQ(loadFrom(strange), loaded);
    }
}

TEST(SettingsGarbage, RandomBytesLoadAsDefaultsOrWithinRanges) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 20000);
    for (int round = 0; round < 40; ++round) {
        TempDirectory folder;
        std::string bytes(static_cast<std::size_t>(length(random)), '\0');
        for (char& c : bytes) c = static_cast<char>(byte(random));
        // Sprinkle section headers and '=' so that some lines parse as keys.
        for (std::size_t at = 0; at + 8 < bytes.size(); at += 97) bytes.replace(at, 8, "\n[SPEED]");
        for (std::size_t at = 40; at + 16 < bytes.size(); at += 131)
            bytes.replace(at, 16, "\nfpscust=-99999\n");
        writeFile(folder / "bytes.ini", bytes);
        expectEveryRangeHolds(loadFrom(folder / "bytes.ini"));
    }
}

}  // namespace
}  // namespace vantorel
