// Label files of each format, made by the real tools where Debian has them
// (pasmo, z80asm, sdcc: scripts/install-deps.sh installs them) and written
// by hand otherwise, read into the symbol table and looked up both ways.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "debug/builtin_symbols.h"
#include "debug/symbol_files.h"
#include "debug/symbol_table.h"
#include "support/temp_folder.h"

namespace vantorel {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

void writeText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

bool haveTool(const char* name) {
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs `command` in `folder`; true when it succeeded.
bool runIn(const fs::path& folder, const std::string& command) {
    return std::system(
               ("cd '" + folder.string() + "' && " + command + " >/dev/null 2>&1").c_str()) == 0;
}

// One program in the syntax pasmo and z80asm share: a routine with a loop,
// data, and an equate.
constexpr const char* kAssembly =
    "screen: equ 0xF080\n"
    "        org 0x8000\n"
    "main:   ld hl,message\n"
    "loop:   ld a,(hl)\n"
    "        inc hl\n"
    "        jr loop\n"
    "message: db 'HI',0\n"
    "tail:   ret\n";

TEST(Symbols, TableFindsNamesAndTheNearestLabelBelowAnAddress) {
    SymbolTable table({{"main", 0x8000}, {"loop", 0x8003}, {"data", 0x9000}, {"alias", 0x8003}});
    EXPECT_EQ(table.size(), 4u);
    EXPECT_EQ(table.valueOf("loop"), 0x8003);
    EXPECT_FALSE(table.valueOf("LOOP"));
    EXPECT_FALSE(table.nearest(0x7FFF)) << "nothing below the lowest label";
    EXPECT_EQ(table.labelFor(0x8000), "main");
    EXPECT_EQ(table.labelFor(0x8002), "main+2");
    // Two labels at one address: the first by name, for every address above.
    EXPECT_EQ(table.labelFor(0x8003), "alias");
    EXPECT_EQ(table.labelFor(0x802A), "alias+27");
    EXPECT_EQ(table.labelFor(0xFFFF), "data+6FFF");
    EXPECT_EQ(table.labelFor(0x9100, 0xFF), "") << "beyond the largest offset asked for";

    // Adding a name again moves it; merging lets the other table's values win.
    table.add("main", 0x7000);
    EXPECT_EQ(table.labelFor(0x7001), "main+1");
    EXPECT_EQ(table.labelFor(0x8000), "main+1000");
    table.merge(SymbolTable({{"data", 0x8000}, {"extra", 0x0100}}));
    EXPECT_EQ(table.size(), 5u);
    EXPECT_EQ(table.labelFor(0x8000), "data");
    EXPECT_EQ(table.labelFor(0x9000), "alias+FFD") << "data moved below it";
    for (std::size_t i = 1; i < table.byAddress().size(); ++i) {
        EXPECT_LE(table.byAddress()[i - 1].value, table.byAddress()[i].value);
    }
}

TEST(Symbols, PasmoSymbolFileReadsEveryLabel) {
    if (!haveTool("pasmo")) GTEST_SKIP() << "pasmo is not installed";
    TempFolder folder;
    writeText(folder / "prog.asm", kAssembly);
    ASSERT_TRUE(runIn(folder.path(), "pasmo prog.asm prog.bin prog.sym"));
    const SymbolRead read = loadSymbolFile(folder / "prog.sym");
    ASSERT_TRUE(read.ok()) << read.problem;
    EXPECT_EQ(read.format, SymbolFormat::equList);
    EXPECT_EQ(read.badLines, 0u);
    EXPECT_EQ(read.table.size(), 5u);
    EXPECT_EQ(read.table.valueOf("main"), 0x8000);
    EXPECT_EQ(read.table.valueOf("loop"), 0x8003);
    EXPECT_EQ(read.table.valueOf("message"), 0x8007);
    EXPECT_EQ(read.table.valueOf("tail"), 0x800A);
    EXPECT_EQ(read.table.valueOf("screen"), 0xF080);
    EXPECT_EQ(symbolReadText(folder / "prog.sym", read), "prog.sym: 5 symbols");
}

TEST(Symbols, Z80asmLabelFileReadsEveryLabel) {
    if (!haveTool("z80asm")) GTEST_SKIP() << "z80asm is not installed";
    TempFolder folder;
    writeText(folder / "prog.asm", kAssembly);
    ASSERT_TRUE(runIn(folder.path(), "z80asm -i prog.asm -o prog.bin --label=prog.lbl"));
    const SymbolRead read = loadSymbolFile(folder / "prog.lbl");
    ASSERT_TRUE(read.ok()) << read.problem;
    EXPECT_EQ(read.badLines, 0u);
    EXPECT_EQ(read.table.size(), 5u);
    EXPECT_EQ(read.table.valueOf("main"), 0x8000);
    EXPECT_EQ(read.table.valueOf("tail"), 0x800A);
    EXPECT_EQ(read.table.valueOf("screen"), 0xF080);
}

// One C program linked by SDCC: the NoICE file and the map name the same
// functions and variables at the same addresses.
TEST(Symbols, SdccNoiceFileAndMapAgree) {
    if (!haveTool("sdcc")) GTEST_SKIP() << "sdcc is not installed";
    TempFolder folder;
    writeText(folder / "prog.c",
              "int counter;\n"
              "int add(int a, int b) { return a + b; }\n"
              "void main(void) { counter = add(1, 2); }\n");
    ASSERT_TRUE(runIn(folder.path(), "sdcc -mz80 --code-loc 0x8000 --data-loc 0x9000 prog.c"));
    const SymbolRead noi = loadSymbolFile(folder / "prog.noi");
    const SymbolRead map = loadSymbolFile(folder / "prog.map");
    ASSERT_TRUE(noi.ok()) << noi.problem;
    ASSERT_TRUE(map.ok()) << map.problem;
    EXPECT_EQ(noi.format, SymbolFormat::sdccNoi);
    EXPECT_EQ(map.format, SymbolFormat::sdccMap);
    EXPECT_EQ(noi.badLines, 0u);
    EXPECT_EQ(map.badLines, 0u);
    EXPECT_EQ(noi.table.valueOf("_counter"), 0x9000);
    for (const char* name : {"_main", "_add", "_counter"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(noi.table.valueOf(name));
        EXPECT_EQ(noi.table.valueOf(name), map.table.valueOf(name));
    }
    EXPECT_GE(*noi.table.valueOf("_main"), 0x8000);
    EXPECT_LT(*noi.table.valueOf("_main"), 0x9000);
    // Told by their contents alone too.
    std::ifstream mapFile(folder / "prog.map");
    const std::string mapText{std::istreambuf_iterator<char>(mapFile), {}};
    EXPECT_EQ(detectSymbolFormat("listing.txt", mapText), SymbolFormat::sdccMap);
    EXPECT_EQ(detectSymbolFormat("x", "\n  DEF _main 0x8000\n"), SymbolFormat::sdccNoi);
}

TEST(Symbols, HandWrittenListsTakeEveryNotationAndCountTheBadLines) {
    const SymbolRead read = readSymbols(
        "; the program's labels\n"
        "start EQU 08000H\n"
        "print: equ $E006\n"
        "width = 0x40\n"
        "Top::  .equ 65535   ; comment\n"
        "bits DEFL %1010\n"
        "mask: equ 0b11110000\n"
        "flag equ 101B\n"
        "hexb equ 1BH\n"
        "hash EQU #12ab\r\n"
        "\n"
        "toolarge equ 10000H\n"
        "1bad equ 5\n"
        "noequals 5\n"
        "two equ 1 2\n"
        "neg equ -1\n"
        "start equ 09000H\n",
        SymbolFormat::equList);
    EXPECT_EQ(read.badLines, 5u);
    EXPECT_EQ(read.firstBadLine, 12u);
    EXPECT_EQ(read.table.valueOf("start"), 0x9000) << "a name given twice keeps its last value";
    EXPECT_EQ(read.table.valueOf("print"), 0xE006);
    EXPECT_EQ(read.table.valueOf("width"), 0x40);
    EXPECT_EQ(read.table.valueOf("Top"), 0xFFFF);
    EXPECT_EQ(read.table.valueOf("bits"), 10);
    EXPECT_EQ(read.table.valueOf("mask"), 0xF0);
    EXPECT_EQ(read.table.valueOf("flag"), 5);
    EXPECT_EQ(read.table.valueOf("hexb"), 0x1B);
    EXPECT_EQ(read.table.valueOf("hash"), 0x12AB);
    EXPECT_EQ(read.table.size(), 9u);
    EXPECT_EQ(symbolReadText("my.sym", read),
              "my.sym: 9 symbols (5 lines skipped, the first at line 12)");

    const SymbolRead noi = readSymbols("DEF _a 0x10\nLOAD x.ihx\nDEF _b\nDEF _c 0x123456\nJUNK\n",
                                       SymbolFormat::sdccNoi);
    EXPECT_EQ(noi.table.size(), 1u);
    EXPECT_EQ(noi.badLines, 3u);
    const SymbolRead map = readSymbols(
        "Area   Addr   Size\n     00008000  _main   prog\n     00018000  _banked  prog\n   C:   "
        "0100  _old\n",
        SymbolFormat::sdccMap);
    EXPECT_EQ(map.table.valueOf("_main"), 0x8000);
    EXPECT_EQ(map.table.valueOf("_old"), 0x0100);
    EXPECT_EQ(map.badLines, 1u) << "a value beyond 16 bits";
}

TEST(Symbols, UnreadableFilesGetAMessage) {
    TempFolder folder;
    EXPECT_EQ(symbolReadText("gone.sym", loadSymbolFile(folder / "gone.sym")),
              "gone.sym: cannot open the symbol file");
    EXPECT_EQ(loadSymbolFile(folder.path()).problem, "cannot open the symbol file");
    writeText(folder / "empty.sym", "");
    EXPECT_EQ(loadSymbolFile(folder / "empty.sym").problem, "holds no symbols");
    writeText(folder / "binary.bin", std::string("\x00\x01\xFF\xFE junk\n\x7F", 11));
    const SymbolRead binary = loadSymbolFile(folder / "binary.bin");
    EXPECT_EQ(binary.problem, "holds no symbols");
    EXPECT_EQ(binary.badLines, 2u);
    // A huge file is refused by its size, before anything is read.
    writeText(folder / "huge.sym", "a equ 1\n");
    fs::resize_file(folder / "huge.sym", kLargestSymbolFile + 1);
    EXPECT_NE(loadSymbolFile(folder / "huge.sym").problem.find("too large"), std::string::npos);
}

TEST(Symbols, BuiltInMonitorLabelsNameItsEntryPoints) {
    const SymbolTable& monitor = builtinMonitorSymbols();
    EXPECT_GT(monitor.size(), 100u);
    EXPECT_EQ(monitor.valueOf("ENTRY_COLD"), 0xE000);
    EXPECT_EQ(monitor.labelFor(0xE001, 0x10), "ENTRY_COLD+1");
    // The text is pasmo's file; only its numbered local labels are skipped.
    const SymbolRead read = readSymbols(builtinMonitorSymbolText(), SymbolFormat::equList);
    EXPECT_EQ(read.table.size() + read.badLines,
              static_cast<std::size_t>(std::count(builtinMonitorSymbolText().begin(),
                                                  builtinMonitorSymbolText().end(), '\n')));
}

}  // namespace
}  // namespace vantorel
