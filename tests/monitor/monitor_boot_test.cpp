// The monitor's start: cold start after a hard reset, the RAM probe, the
// standard graphics, soft reset and the ROM PAC hand-over.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "glyph_sheet.h"
#include "machine/builtin_images.h"
#include "monitor/monitor_machine.h"

namespace vantorel::testing {
namespace {

TEST(MonitorBoot, HardResetShowsBannerAndPromptWithCursor) {
    MonitorMachine sorcerer;
    const auto rows = sorcerer.lines();
    EXPECT_EQ(rows[0], "VANTOREL MONITOR 1.0");
    EXPECT_EQ(rows[1], "RAM TOP 7FFF  STACK 7FA0");
    EXPECT_EQ(rows[2], "HE OR ? LISTS THE COMMANDS");
    EXPECT_EQ(rows[3], ">_");
    for (std::size_t row = 4; row < rows.size(); ++row) EXPECT_EQ(rows[row], "") << row;
}

TEST(MonitorBoot, BannerReportsTheRamFoundForEachSize) {
    const struct {
        std::int32_t ramexpanders;
        const char* line;
    } sizes[] = {{0, "RAM TOP 1FFF  STACK 1FA0"},
                 {1, "RAM TOP 3FFF  STACK 3FA0"},
                 {2, "RAM TOP 7FFF  STACK 7FA0"},
                 {3, "RAM TOP BBFF  STACK BBA0"}};
    for (const auto& size : sizes) {
        MonitorMachine sorcerer(size.ramexpanders);
        EXPECT_EQ(sorcerer.lines()[1], size.line) << size.ramexpanders;
    }
}

TEST(MonitorBoot, WorkAreaAndStackSitAtTheTopOfRam) {
    MonitorMachine sorcerer(0);
    const Z80State registers = sorcerer.machine().registers();
    EXPECT_EQ(registers.IY, 0x1FA0u);
    EXPECT_GE(registers.SP, 0x1F50u);
    EXPECT_LE(registers.SP, 0x1FA0u);
}

TEST(MonitorBoot, JumpTableEntriesAreJumpsIntoTheRom) {
    const RomImages images = builtinRomImages();
    for (std::size_t entry = 0; entry <= 0x1B; entry += 3) {
        EXPECT_EQ(images.monitor[entry], 0xC3) << entry;
        const unsigned target = images.monitor[entry + 1] | images.monitor[entry + 2] << 8;
        EXPECT_GE(target, 0xE01Eu) << entry;
        EXPECT_LT(target, 0xF000u) << entry;
    }
}

std::string readText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(MonitorBoot, ColdStartLoadsTheStandardGraphics) {
    const std::string path = std::string(VANTOREL_DATA_DIR) + "/monitor/graphics.txt";
    const GlyphSheetResult sheet = parseGlyphSheets({{path, readText(path)}}, 0x80, 64);
    ASSERT_TRUE(sheet.ok) << sheet.error;

    MonitorMachine sorcerer;
    for (std::size_t i = 0; i < sheet.bytes.size(); ++i) {
        ASSERT_EQ(sorcerer.peek(static_cast<std::uint16_t>(0xFC00 + i)), sheet.bytes[i]) << i;
    }
}

TEST(MonitorBoot, SoftResetKeepsMemoryAndReturnsToThePrompt) {
    MonitorMachine sorcerer;
    sorcerer.type("DU 100\n");
    for (std::uint16_t address = 0x0000; address < 0x7F00; address += 0x00FF) {
        sorcerer.poke(address, {static_cast<std::uint8_t>(address >> 3)});
    }
    sorcerer.poke(0xFE00, {0x5A, 0xA5});  // user graphics stay as well

    sorcerer.softReset();

    for (std::uint16_t address = 0x0000; address < 0x7F00; address += 0x00FF) {
        ASSERT_EQ(sorcerer.peek(address), static_cast<std::uint8_t>(address >> 3)) << address;
    }
    EXPECT_EQ(sorcerer.peek(0xFE00), 0x5A);
    EXPECT_EQ(sorcerer.peek(0xFE01), 0xA5);
    EXPECT_EQ(sorcerer.lines()[0], "VANTOREL MONITOR 1.0");
    EXPECT_EQ(sorcerer.lines()[3], ">_");
}

// A 4K game ROM (D000-DFFF) whose cold and warm starts print their name
// through the monitor and go back to its prompt.
std::shared_ptr<SlotD000> testGameRom() {
    auto rom = std::make_shared<SlotD000>();
    rom->fill(0xFF);
    const auto put = [&](std::uint16_t address, std::initializer_list<std::uint8_t> bytes) {
        for (std::uint8_t byte : bytes) (*rom)[address++ - 0xD000u] = byte;
    };
    const auto say = [&](std::uint16_t address, std::uint16_t text, const char* words) {
        put(address,
            {0x21, static_cast<std::uint8_t>(text & 0xFF), static_cast<std::uint8_t>(text >> 8),
             0xCD, 0x06, 0xE0,    // CALL E006: print the text
             0xC3, 0x03, 0xE0});  // JP E003: back to the prompt
        for (const char* c = words; *c != '\0'; ++c) put(text++, {static_cast<std::uint8_t>(*c)});
        put(text, {0x0D, 0x00});
    };
    say(0xD000, 0xD100, "GAME COLD START");
    say(0xD020, 0xD120, "GAME WARM START");
    put(0xDFFA, {0xC3, 0x20, 0xD0});  // warm start
    put(0xDFFD, {0xC3, 0x00, 0xD0});  // cold start
    return rom;
}

TEST(MonitorBoot, ResetStartsAPluggedRomPacAndPpRestartsIt) {
    MonitorMachine sorcerer;
    sorcerer.machine().fillSlot(std::shared_ptr<const SlotD000>(testGameRom()));
    sorcerer.hardReset();
    EXPECT_EQ(sorcerer.lines()[0], "GAME COLD START");
    EXPECT_EQ(sorcerer.lines()[1], ">_");

    sorcerer.type("PP\n");
    EXPECT_EQ(sorcerer.lines()[2], "GAME WARM START");

    sorcerer.type("PP C\n");
    EXPECT_EQ(sorcerer.lines()[3], ">PP C");
    EXPECT_EQ(sorcerer.lines()[4], "GAME COLD START");
    EXPECT_EQ(sorcerer.lines()[5], ">_");
}

TEST(MonitorBoot, PpWithoutRomPacSaysSo) {
    MonitorMachine sorcerer;
    auto blank = std::make_shared<SlotD000>();
    blank->fill(0xFF);  // a blank cartridge: no jumps
    sorcerer.machine().fillSlot(std::shared_ptr<const SlotD000>(blank));
    sorcerer.hardReset();
    EXPECT_EQ(sorcerer.lines()[0], "VANTOREL MONITOR 1.0");
    sorcerer.type("pp\n");
    EXPECT_EQ(sorcerer.lines()[4], "NO ROM PAC");
    EXPECT_EQ(sorcerer.lines()[5], ">_");
}

}  // namespace
}  // namespace vantorel::testing
