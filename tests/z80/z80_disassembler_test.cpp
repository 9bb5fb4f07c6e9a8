// The disassembler's texts and lengths, and the register trace.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "z80/z80_trace.h"
#include "z80_test_support.h"

namespace vantorel::test {

namespace {

struct Disassembly {
    std::string text;
    int length;
    bool operator==(const Disassembly&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Disassembly& d) {
    return out << '"' << d.text << "\" length " << d.length;
}

Disassembly disassemble(std::initializer_list<std::uint8_t> bytes, std::uint16_t at = 0x0100) {
    Z80Rig rig;
    rig.load(at, bytes);
    char text[kDisassemblyTextSize];
    const int length = rig.cpu.disassembleInstruction(text, at);
    return {text, length};
}

std::string readAll(std::FILE* file) {
    std::rewind(file);
    std::string all;
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) all += static_cast<char>(c);
    return all;
}

}  // namespace

TEST(Z80Disassembler, UnprefixedInstructions) {
    EXPECT_EQ(disassemble({0x21, 0x34, 0x12}), (Disassembly{"ld   hl,$1234", 3}));
    EXPECT_EQ(disassemble({0x18, 0xFE}), (Disassembly{"jr   $0100", 2}));
    EXPECT_EQ(disassemble({0x10, 0x05}), (Disassembly{"djnz $0107", 2}));
    EXPECT_EQ(disassemble({0x38, 0x80}), (Disassembly{"jr   c,$0082", 2}));
    EXPECT_EQ(disassemble({0x00}), (Disassembly{"nop", 1}));
    EXPECT_EQ(disassemble({0x76}), (Disassembly{"halt", 1}));
    EXPECT_EQ(disassemble({0x08}), (Disassembly{"ex   af,af'", 1}));
    EXPECT_EQ(disassemble({0xCD, 0x03, 0xE0}), (Disassembly{"call $e003", 3}));
    EXPECT_EQ(disassemble({0xD3, 0xFE}), (Disassembly{"out  ($fe),a", 2}));
    EXPECT_EQ(disassemble({0xDB, 0xFF}), (Disassembly{"in   a,($ff)", 2}));
    EXPECT_EQ(disassemble({0xFF}), (Disassembly{"rst  38h", 1}));
    EXPECT_EQ(disassemble({0x22, 0x00, 0xF0}), (Disassembly{"ld   ($f000),hl", 3}));
    EXPECT_EQ(disassemble({0xFE, 0x0D}), (Disassembly{"cp   $0d", 2}));
    EXPECT_EQ(disassemble({0xC2, 0x00, 0x10}), (Disassembly{"jp   nz,$1000", 3}));
}

TEST(Z80Disassembler, RelativeTargetsWrapAtSixteenBits) {
    EXPECT_EQ(disassemble({0x18, 0x10}, 0xFFF0), (Disassembly{"jr   $0002", 2}));
    EXPECT_EQ(disassemble({0x18, 0x80}, 0x0010), (Disassembly{"jr   $ff92", 2}));
}

TEST(Z80Disassembler, CbAndEdPages) {
    EXPECT_EQ(disassemble({0xCB, 0x7E}), (Disassembly{"bit  7,(hl)", 2}));
    EXPECT_EQ(disassemble({0xCB, 0x37}), (Disassembly{"sll  a", 2}));
    EXPECT_EQ(disassemble({0xED, 0xB0}), (Disassembly{"ldir", 2}));
    EXPECT_EQ(disassemble({0xED, 0x43, 0x00, 0x80}), (Disassembly{"ld   ($8000),bc", 4}));
    EXPECT_EQ(disassemble({0xED, 0x70}), (Disassembly{"in   0,(c)", 2}));
    EXPECT_EQ(disassemble({0xED, 0x71}), (Disassembly{"out  (c),0", 2}));
    EXPECT_EQ(disassemble({0xED, 0x5E}), (Disassembly{"im   2", 2}));
    EXPECT_EQ(disassemble({0xED, 0x4C}), (Disassembly{"db     $ed,$4c", 2}));
    EXPECT_EQ(disassemble({0xED, 0x55}), (Disassembly{"db     $ed,$55", 2}));
    EXPECT_EQ(disassemble({0xED, 0xFE}), (Disassembly{"db     $ed,$fe", 2}));
}

TEST(Z80Disassembler, IndexPages) {
    EXPECT_EQ(disassemble({0xDD, 0x7E, 0x05}), (Disassembly{"ld   a,(ix+$05)", 3}));
    EXPECT_EQ(disassemble({0xFD, 0x77, 0xFB}), (Disassembly{"ld   (iy-$05),a", 3}));
    EXPECT_EQ(disassemble({0xFD, 0x36, 0x80, 0x12}), (Disassembly{"ld   (iy-$80),$12", 4}));
    EXPECT_EQ(disassemble({0xDD, 0x21, 0x00, 0x40}), (Disassembly{"ld   ix,$4000", 4}));
    EXPECT_EQ(disassemble({0xFD, 0xE3}), (Disassembly{"ex   (sp),iy", 2}));
    EXPECT_EQ(disassemble({0xDD, 0xE9}), (Disassembly{"jp   (ix)", 2}));
    EXPECT_EQ(disassemble({0xDD, 0x84}), (Disassembly{"add  a,ixh", 2}));
    EXPECT_EQ(disassemble({0xFD, 0x2E, 0x07}), (Disassembly{"ld   iyl,$07", 3}));
    EXPECT_EQ(disassemble({0xDD, 0x65}), (Disassembly{"ld   ixh,ixl", 2}));
    EXPECT_EQ(disassemble({0xDD, 0x6C}), (Disassembly{"ld   ixl,ixh", 2}));
    EXPECT_EQ(disassemble({0xDD, 0x00}), (Disassembly{"db     $dd", 1}));
    EXPECT_EQ(disassemble({0xFD, 0xFD}), (Disassembly{"db     $fd", 1}));
}

TEST(Z80Disassembler, IndexBitPage) {
    EXPECT_EQ(disassemble({0xDD, 0xCB, 0x03, 0xC7}), (Disassembly{"set  a=0,(ix+$03)", 4}));
    EXPECT_EQ(disassemble({0xDD, 0xCB, 0x03, 0x46}), (Disassembly{"bit  0,(ix+$03)", 4}));
    EXPECT_EQ(disassemble({0xFD, 0xCB, 0xFF, 0x00}), (Disassembly{"rlc  b=(iy-$01)", 4}));
    EXPECT_EQ(disassemble({0xFD, 0xCB, 0x10, 0x3E}), (Disassembly{"srl  (iy+$10)", 4}));
    EXPECT_EQ(disassemble({0xDD, 0xCB, 0x7F, 0x7F}), (Disassembly{"bit  a=7,(ix+$7f)", 4}));
}

TEST(Z80Disassembler, EveryInstructionFitsAndHasALength) {
    for (unsigned first = 0; first < 256; ++first) {
        for (unsigned second = 0; second < 256; ++second) {
            const auto result = disassemble(
                {static_cast<std::uint8_t>(first), static_cast<std::uint8_t>(second), 0x80, 0xFF});
            ASSERT_GE(result.length, 1);
            ASSERT_LE(result.length, 4);
            ASSERT_FALSE(result.text.empty());
            ASSERT_LT(result.text.size(), 20u) << result;
        }
    }
}

TEST(Z80Disassembler, ChangesNoRegister) {
    Z80Rig rig;
    rig.load(0x0100, {0xDD, 0xCB, 0x03, 0xC7});
    Z80State before{};
    rig.cpu.getZ80Registers(before);
    char text[kDisassemblyTextSize];
    rig.cpu.disassembleInstruction(text, 0x0100);
    Z80State after{};
    rig.cpu.getZ80Registers(after);
    EXPECT_EQ(std::memcmp(&before, &after, sizeof after), 0);
}

TEST(Z80Trace, FlagsString) {
    char flags[kFlagsStringSize];
    formatFlagsString(flags, 0xC1);
    EXPECT_STREQ(flags, "SZ.....C");
    formatFlagsString(flags, 0x16);
    EXPECT_STREQ(flags, "...H.VN.");
    formatFlagsString(flags, 0xFF);
    EXPECT_STREQ(flags, "SZ.H.VNC");
}

TEST(Z80Trace, SwitchesOnAtTheStartAddressAndStaysOn) {
    Z80Rig rig;
    std::FILE* log = std::tmpfile();
    ASSERT_NE(log, nullptr);
    rig.cpu.debugLogFile = log;
    rig.cpu.traceStartAddress = 0x0100;
    rig.s().PC = 0x00FF;
    rig.s().SP = 0x8000;
    rig.s().AF = 0x00C1;
    rig.load(0x8000, {0x78, 0x56, 0xBC, 0x9A});
    rig.load(0x0100, {0x21, 0x34, 0x12, 0xC5});
    rig.cpu.runZ80(0);  // NOP at 00FF: not traced
    EXPECT_FALSE(rig.cpu.traceOn());
    EXPECT_EQ(readAll(log), "");
    rig.cpu.runZ80(0);  // LD HL,1234
    rig.cpu.runZ80(0);  // PUSH BC
    EXPECT_TRUE(rig.cpu.traceOn());
    const std::string spaces(27, ' ');
    const std::string expected =
        "0100: ld   hl,$1234        sp= 8000  Stack: 5678 9ABC  FLAGS: SZ.....C\n" + spaces +
        "AF:00C1 BC:0000 DE:0000 HL:0000 IX:0000 IY:0000\n\n"
        "0103: push bc              sp= 8000  Stack: 5678 9ABC  FLAGS: SZ.....C\n" +
        spaces + "AF:00C1 BC:0000 DE:0000 HL:1234 IX:0000 IY:0000\n\n";
    EXPECT_EQ(readAll(log), expected);
    std::fclose(log);
}

TEST(Z80Trace, EiTracesTheInstructionItRuns) {
    Z80Rig rig;
    std::FILE* log = std::tmpfile();
    ASSERT_NE(log, nullptr);
    rig.cpu.debugLogFile = log;
    rig.cpu.traceStartAddress = 0x0000;
    rig.load(0, {0xFB, 0x3C});
    rig.cpu.runZ80(0);
    const std::string all = readAll(log);
    EXPECT_EQ(all.substr(0, 10), "0000: ei  ");
    EXPECT_NE(all.find("0001: inc  a"), std::string::npos);
    std::fclose(log);
}

TEST(Z80Trace, ClosedLogWritesNothing) {
    Z80Rig rig;
    rig.cpu.traceStartAddress = 0;
    rig.cpu.runZ80(40);
    EXPECT_TRUE(rig.cpu.traceOn());
    EXPECT_EQ(rig.s().PC, 10u);
}

}  // namespace vantorel::test
