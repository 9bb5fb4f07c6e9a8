#include "fuzz/fuzz_seeds.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <string>

#include "cassette/tape_signals.h"
#include "cassette/wav_encoder.h"
#include "config/settings_file.h"
#include "debug/gdb_packets.h"
#include "fuzz/fuzz_machine.h"
#include "fuzz/fuzz_targets.h"
#include "machine/builtin_images.h"
#include "machine/machine_files.h"
#include "support/every_settings_section.h"
#include "support/monitor_tape.h"
#include "timeline/state_file.h"

namespace vantorel::fuzz {

namespace fs = std::filesystem;

namespace {

using ByteVector = std::vector<std::uint8_t>;

ByteVector bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

ByteVector fileBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// A game that fills the screen with one character, then beeps for ever;
// `size` bytes in all (at least the program's 21), the rest NOPs up to a
// final RET.
ByteVector gameRom(std::size_t size, std::uint16_t base) {
    std::array<std::uint8_t, 21> program = {
        0x21, 0x80, 0xF0,  // LD HL,F080 (screen RAM)
        0x36, 0x2A,        // fill: LD (HL),'*'
        0x23,              // INC HL
        0x7C,              // LD A,H
        0xFE, 0xF8,        // CP F8
        0x20, 0xF8,        // JR NZ,fill
        0x3E, 0xFF,        // beep: LD A,FF (a change between 00 and FF clicks the speaker)
        0xD3, 0xFF,        // OUT (FF),A
        0xAF,              // XOR A
        0xD3, 0xFF,        // OUT (FF),A
        0xC3, 0x00, 0x00,  // JP base+11
    };
    const std::uint16_t loop = static_cast<std::uint16_t>(base + 11);
    program[19] = static_cast<std::uint8_t>(loop & 0xFF);
    program[20] = static_cast<std::uint8_t>(loop >> 8);
    ByteVector rom(std::max(size, program.size()), 0x00);
    std::copy(program.begin(), program.end(), rom.begin());
    rom.back() = 0xC9;
    return rom;
}

std::vector<SeedInput> gameRomSeeds() {
    return {{"ret-1", {0xC9}},
            {"game-d000-2k", gameRom(2048, 0xD000)},
            {"game-c000-8k", gameRom(8192, 0xC000)},
            {"game-a000-16k", gameRom(16384, 0xA000)},
            {"too-big", ByteVector(16385, 0xFF)}};
}

// Snapshots saved by the program from machines in different states.
std::vector<SeedInput> snapshotSeeds() {
    std::vector<SeedInput> seeds;
    const fs::path path = scratchFolder() / "seed.snp";
    {
        FuzzMachine fuzz;
        fuzz.runFrames(30);  // the monitor at its prompt
        saveSnapshot(fuzz.machine, path);
        seeds.push_back({"monitor-prompt", fileBytes(path)});
    }
    {
        FuzzMachine fuzz;
        const ByteVector rom = gameRom(4096, 0xD000);
        const fs::path romPath = scratchFolder() / "seed.rom";
        std::ofstream(romPath, std::ios::binary)
            .write(reinterpret_cast<const char*>(rom.data()),
                   static_cast<std::streamsize>(rom.size()));
        loadGameRom(fuzz.machine, romPath);
        fuzz.jumpTo(0xD000);
        fuzz.runFrames(5);
        saveSnapshot(fuzz.machine, path);
        seeds.push_back({"game-running", fileBytes(path)});
    }
    seeds.push_back({"header-only", ByteVector(28, 0x00)});
    return seeds;
}

// State files saved from machines in different states: at the prompt, and
// typing with a tape in the deck.
std::vector<SeedInput> stateFileSeeds() {
    std::vector<SeedInput> seeds;
    {
        FuzzMachine fuzz;
        fuzz.runFrames(30);
        seeds.push_back({"monitor-prompt",
                         writeStateBytes(fuzz.machine,
                                         stateHeaderFor(fuzz.machine, kFuzzStateVersion, 30, 0))});
    }
    {
        FuzzMachine fuzz;
        fuzz.machine.playTapeBytes(ByteVector(300, 0x55));
        const ByteVector text = {'D', 'U', ' ', '0', '\r'};
        fuzz.machine.startQuickTypeText(text);
        fuzz.runFrames(10);
        seeds.push_back({"typing-tape",
                         writeStateBytes(fuzz.machine,
                                         stateHeaderFor(fuzz.machine, kFuzzStateVersion, 10, 0))});
    }
    seeds.push_back({"magic-only", ByteVector{'V', 'T', 'S', 'T', 'A', 'T', 'E', 0x1A}});
    return seeds;
}

std::vector<SeedInput> settingsSeeds() {
    std::vector<SeedInput> seeds;
    const fs::path path = scratchFolder() / "seed.ini";
    fs::remove(path);
    MachineConfig config;
    testing::saveEverySettingsSection(path, config);
    seeds.push_back({"defaults", fileBytes(path)});

    config.ramexpanders = 3;
    config.usebuiltinromflag = false;
    config.ROMfilename = makeSettingsText("C:\\Sorcerer\\ROMS\\MONITOR.BIN");
    config.fixedwidthflag = true;
    config.width = 80;
    config.emulatedflag = false;
    config.normalKeys[0x41] = 12;
    config.shiftKeys[0x31] = 40;
    config.ctrlKeys[0x43] = 7;
    config.cpuspeedopt = 2;
    config.activescancust = 64000;
    config.vblankcust = 24;
    config.fpscust = 600;
    config.usevideoupdatepsflag = true;
    config.clickervolpct = 100;
    config.ayflag = false;
    config.windowscalingX = 3;
    config.colours[2] = RgbColour{255, 0, 128};
    config.keysasjoystickflag = true;
    testing::saveEverySettingsSection(path, config);
    seeds.push_back({"changed", fileBytes(path)});

    seeds.push_back(
        {"hand-edited", bytesOf("; my settings\r\n[memory]\r\nRAMEXPANDERS = 1\r\n"
                                "[Speed]\ncpuspeedopt=9\nntscmultiplierpct=-5\n"
                                "[SPEED]\nfpscust=0x20\n[COLOR]\nr0=300\ng0=\n"
                                "[KEYBOARD]\nn41=250\nsff=3\n[VIDEO]\nwindowscalingY=99999999999\n"
                                "[CONFIG]\nini=other.ini\n")});
    return seeds;
}

std::vector<SeedInput> quickTypeSeeds() {
    return {{"commands", bytesOf("EN 100\r3E 41 D3 FE C9\r\rDU 100 10\r")},
            {"line-ends", bytesOf("LI\nLI\r\nlower case\r\n\t~`{}|\x7f\x01")},
            {"one", bytesOf("A")}};
}

ByteVector tapeBytes() {
    const ByteVector program = {0x21, 0x00, 0xF0, 0x36, 0x41, 0xC9};
    return testing::monitorTapeFile({"DEMO", 0x00, 0x0100, 0x0100}, program, 8);
}

ByteVector wavTape(TapeBaud baud, std::uint32_t rate, const ByteVector& bytes) {
    const auto cells = testing::frameCells(bytes, baud, 8);
    return wavFileBytes(encodeTapeSignal(cells, rate), rate);
}

std::vector<SeedInput> wavTapeSeeds() {
    const ByteVector few = {0x00, 0x01, 0x55, 0xAA, 0xFF};
    ByteVector tape = wavTape(TapeBaud::baud1200, 11025, tapeBytes());
    if (tape.size() % 2 == 0) tape.push_back(0x00);  // odd length: played at 1200 baud
    ByteVector slow = wavTape(TapeBaud::baud300, 8000, few);
    if (slow.size() % 2 != 0) slow.push_back(0x00);  // even length: played at 300 baud
    return {
        {"monitor-file-1200", tape}, {"bytes-300", slow}, {"empty-data", wavFileBytes({}, 22050)}};
}

std::vector<SeedInput> rawTapeSeeds() {
    ByteVector tape = tapeBytes();
    if (tape.size() % 2 == 0) tape.push_back(0x00);
    return {{"monitor-file", tape}, {"two", {0x00, 0x01}}};
}

ByteVector withChoice(std::uint8_t choice, std::span<const std::uint8_t> image) {
    ByteVector input(image.size() + 1, choice);
    std::copy(image.begin(), image.end(), input.begin() + 1);
    return input;
}

std::vector<SeedInput> romImageSeeds() {
    const RomImages builtin = builtinRomImages();
    ByteVector shortMonitor = withChoice(1, builtin.monitor);
    shortMonitor.pop_back();
    ByteVector inverted = withChoice(0, builtin.characters);
    for (std::size_t i = 1; i < inverted.size(); ++i) inverted[i] ^= 0xFF;
    return {{"monitor", withChoice(1, builtin.monitor)},
            {"characters", withChoice(0, builtin.characters)},
            {"monitor-short", shortMonitor},
            {"characters-inverted", inverted}};
}

// Label files in each format, as the tools write them.
std::vector<SeedInput> symbolFileSeeds() {
    return {
        {"pasmo.sym", bytesOf("loop\t\tEQU 08002H\nmain\t\tEQU 08000H\n00000000\tEQU 0E02BH\n")},
        {"z80asm.lbl", bytesOf("data1:\tequ $8004\nmain:\tequ $8000\n")},
        {"hand.sym", bytesOf("; labels\nwidth = 0x40\nTop:: .equ 65535 ; top\nbits DEFL %1010\n")},
        {"sdcc.noi", bytesOf("DEF _main 0x800D\nDEF _counter 0x9000\nLOAD prog.ihx\n")},
        {"sdcc.map",
         bytesOf("ASxxxx Linker V03.00 + NoICE + sdld,  page 1.\nHexadecimal  [32-Bits]\n\n"
                 "      Value  Global\n     0000800A  _add     prog\n   C:   0100  _old\n")}};
}

// A client's session: the handshake, registers and memory, breakpoints, a
// run stopped by Ctrl-C, steps both ways, a monitor command, detach.
std::vector<SeedInput> gdbPacketSeeds() {
    std::string session = "+";
    for (const char* packet :
         {"qSupported:swbreak+", "QStartNoAckMode", "qXfer:features:read:target.xml:0,ffb", "?",
          "g", "m0,10", "M9000,2:abcd", "X9100,2:}#", "P0=1234", "Z0,7,1", "c", "z0,7,1",
          "Z2,9000,1", "c", "s", "bs", "bc", "qRcmd,6672616d65", "D"}) {
        session += frameGdbPacket(packet);
    }
    std::string interrupted = frameGdbPacket("c") + "\x03" + frameGdbPacket("g");
    return {{"session", bytesOf(session)},
            {"interrupted", bytesOf(interrupted)},
            {"bad-checksum", bytesOf("$g#00-$m0,1#fd")}};
}

}  // namespace

std::vector<SeedInput> seedInputs(std::string_view target) {
    if (target == "game_rom") return gameRomSeeds();
    if (target == "snapshot") return snapshotSeeds();
    if (target == "settings") return settingsSeeds();
    if (target == "quick_type") return quickTypeSeeds();
    if (target == "wav_tape") return wavTapeSeeds();
    if (target == "raw_tape") return rawTapeSeeds();
    if (target == "rom_image") return romImageSeeds();
    if (target == "state_file") return stateFileSeeds();
    if (target == "symbol_file") return symbolFileSeeds();
    if (target == "gdb_packets") return gdbPacketSeeds();
    return {};
}

}  // namespace vantorel::fuzz
