// Quick type end to end: text typed into our monitor through the keyboard
// matrix, read back from screen RAM.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "app/boot.h"
#include "e2e/run_program.h"
#include "machine/machine.h"
#include "machine/screen_text.h"
#include "support/fake_host.h"
#include "support/temp_folder.h"

namespace vantorel {
namespace {

using testing::FakeKeys;
using testing::ProgramRun;
using testing::runVantorel;
using testing::TempFolder;

std::vector<std::string> screenLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

// True when some screen row shows the prompt, then exactly `typed`, then a
// space (the monitor's error mark or the blank rest of the row).
bool showsTypedLine(const std::vector<std::string>& screen, const std::string& typed) {
    const std::string expected = ">" + typed + " ";
    for (const std::string& row : screen) {
        if (row.starts_with(expected)) return true;
    }
    return false;
}

// A machine booted into our monitor, with a US host keyboard that nobody
// touches.
class QuickTypeEndToEnd : public ::testing::Test {
  protected:
    FakeKeys keys;
    Machine machine{MachineHost{nullptr, &keys, nullptr, nullptr}};

    void SetUp() override {
        boot({machine}, SettingsFiles{});
        for (int frame = 0; frame < 300 && !shows(">_"); ++frame) machine.runFrame();
        ASSERT_TRUE(shows(">_")) << "the monitor shows its prompt\n" << screen();
    }

    std::string screen() const { return screenText(machine.memory()); }
    bool shows(std::string_view text) const { return screen().find(text) != std::string::npos; }

    // Types `text` and runs frames until it is typed, then a few more.
    void type(std::string_view text) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
        ASSERT_EQ(machine.startQuickTypeText({bytes, text.size()}), QuickTypeResult::ok);
        const std::int64_t limit = quickTypeFrameLimit(text.size(), 35106);
        for (std::int64_t frame = 0; frame < limit && machine.quickTypeActive(); ++frame) {
            machine.runFrame();
        }
        ASSERT_FALSE(machine.quickTypeActive()) << "typing ended";
        for (int frame = 0; frame < 30; ++frame) machine.runFrame();
    }
};

// Every printable character, 20-7E, in order.
std::string printableAscii() {
    std::string text;
    for (char character = 0x20; character <= 0x7E; ++character) text += character;
    return text;
}

TEST_F(QuickTypeEndToEnd, EveryPrintableCharacterReachesAProgramAsWritten) {
    // A program that echoes every key: CALL KEYWAIT, CALL SCREENOUT, again.
    const std::uint8_t echo[] = {0xCD, 0x18, 0xE0, 0xCD, 0x1B, 0xE0, 0x18, 0xF8};
    for (std::uint16_t offset = 0; offset < sizeof echo; ++offset) {
        machine.writeMemory(static_cast<std::uint16_t>(0x1000 + offset), echo[offset]);
    }
    Z80State registers = machine.registers();
    registers.PC = 0x1000;  // IY still points at the monitor's work area
    machine.setRegisters(registers);

    const std::string text = printableAscii();
    type(text);
    // The echo runs on across rows, so it is found in screen RAM as one run.
    std::string screenRam;
    for (std::uint32_t address = kVisibleScreenStart; address < kCharacterRomStart; ++address) {
        screenRam += static_cast<char>(machine.memory().image[address]);
    }
    EXPECT_NE(screenRam.find(text), std::string::npos) << screen();
}

// Lines of printable ASCII, each short enough for one command line and
// none starting with the letters of a monitor command. The underscore is
// left out: the monitor's line editor takes it as rubout.
const std::string kPunctuationAndDigits = " !\"#$%&'()*+,-./0123456789:;<=>?";
const std::string kCapitals = "@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^";
const std::string kSmallLetters = "`abcdefghijklmnopqrstuvwxyz{|}~";

TEST_F(QuickTypeEndToEnd, CommandLinesAppearAsWritten) {
    // One line ended by each kind of line end.
    type(kPunctuationAndDigits + "\r" + kCapitals + "\n" + kSmallLetters + "\r\n");
    const std::vector<std::string> rows = screenLines(screen());
    EXPECT_TRUE(showsTypedLine(rows, kPunctuationAndDigits)) << screen();
    EXPECT_TRUE(showsTypedLine(rows, kCapitals)) << screen();
    EXPECT_TRUE(showsTypedLine(rows, kSmallLetters)) << screen();
    EXPECT_TRUE(shows(">_")) << "back at the prompt: three RETURNs, no more\n" << screen();
}

TEST_F(QuickTypeEndToEnd, RepeatedKeysAndSkippedCharactersComeOutOnce) {
    type("xx  llama 1100 ::==\tAAaa\x80!\r");
    EXPECT_TRUE(showsTypedLine(screenLines(screen()), "xx  llama 1100 ::==AAaa!")) << screen();
}

TEST_F(QuickTypeEndToEnd, TypingWaitsOutTheMonitorsAnswerToEachLine) {
    // DU prints eight rows, then the next line is typed in full.
    type("DU 0 3F\rzz after\r\r\rzz end\r");
    const std::vector<std::string> rows = screenLines(screen());
    EXPECT_TRUE(showsTypedLine(rows, "DU 0 3F")) << screen();
    EXPECT_TRUE(shows("0038  ")) << screen();
    EXPECT_TRUE(showsTypedLine(rows, "zz after")) << screen();
    EXPECT_TRUE(showsTypedLine(rows, "zz end")) << screen();
}

// --- The headless program's --type and --type-file ---

class QuickTypeCommandLine : public ::testing::Test {
  protected:
    TempFolder folder;
};

TEST_F(QuickTypeCommandLine, TypeTextWithEscapesIsTypedBeforeTheFrames) {
    const ProgramRun run = runVantorel({"--headless", "--frames", "2", "--print-screen", "--type",
                                        "zz a\\\\b\\rzz c\\nzz d\\r\\n"},
                                       folder);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const std::vector<std::string> rows = screenLines(run.out);
    EXPECT_TRUE(showsTypedLine(rows, "zz a\\b")) << run.out;
    EXPECT_TRUE(showsTypedLine(rows, "zz c")) << run.out;
    EXPECT_TRUE(showsTypedLine(rows, "zz d")) << run.out;
    EXPECT_TRUE(run.err.empty()) << run.err;
}

TEST_F(QuickTypeCommandLine, TypeFileIsTypedAsItsBytes) {
    {
        std::ofstream file(folder / "lines.txt", std::ios::binary);
        file << "zz One\r\nzz Two\n";
    }
    const ProgramRun run = runVantorel({"--headless", "--frames=0", "--print-screen", "--type-file",
                                        (folder / "lines.txt").string()},
                                       folder);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const std::vector<std::string> rows = screenLines(run.out);
    EXPECT_TRUE(showsTypedLine(rows, "zz One")) << run.out;
    EXPECT_TRUE(showsTypedLine(rows, "zz Two")) << run.out;
}

TEST_F(QuickTypeCommandLine, UnusableTextsExitWithTwo) {
    const std::string missing = (folder / "missing.txt").string();
    ProgramRun run = runVantorel({"--headless", "--type-file", missing}, folder);
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_NE(run.err.find(missing), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << "one line";

    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--headless", "--type", "bad \\t escape"},
          std::vector<std::string>{"--headless", "--type", "ends in \\"},
          std::vector<std::string>{"--headless", "--type", "x", "--type-file", missing}}) {
        run = runVantorel(arguments, folder);
        EXPECT_EQ(run.exitStatus, 2) << arguments.back();
        EXPECT_FALSE(run.err.empty()) << arguments.back();
    }
}

}  // namespace
}  // namespace vantorel
