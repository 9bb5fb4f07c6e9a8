// The printer on the parallel port: bytes a program strobes through port FF
// and port FE bit 7 land in the printer file as text, and the monitor's
// SE O=L / O=P send its output there.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "app/printer_output.h"
#include "monitor/monitor_machine.h"
#include "support/temp_folder.h"
#include "support/test_machine.h"

namespace vantorel {
namespace {

using testing::MonitorMachine;
using testing::TempFolder;
using testing::TestMachine;

std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void attachPrinter(Machine& machine, PrinterOutput& printer) {
    MachineHost host = machine.host();
    host.printer = &printer;
    machine.attachHost(host);
}

void setPrinter(MachineConfig& config, const std::filesystem::path& file, bool autoLinefeed,
                std::int32_t fixedWidth) {
    config.autolinefeedflag = autoLinefeed;
    config.fixedwidthflag = fixedWidth > 0;
    config.width = fixedWidth;
    config.filename = makeSettingsText(file.c_str());
}

// A program at 1000 that prints the bytes at 1100 by the handshake: each
// byte out on port FF, then port FE bit 7 low to high (it starts high, as
// the latch powers up) and low again; then HALT.
void printThroughTheHandshake(TestMachine& test, std::string_view text) {
    const std::vector<std::uint8_t> program = {
        0xAF, 0xD3,
        0xFE,  // XOR A; OUT (FE),A: the strobe low
        0x21, 0x00,
        0x11,                                          // LD HL,1100
        0x06, static_cast<std::uint8_t>(text.size()),  // LD B,n
        0x7E,                                          // loop: LD A,(HL)
        0xD3, 0xFF,                                    // OUT (FF),A
        0x3E, 0x80,                                    // LD A,80
        0xD3, 0xFE,                                    // OUT (FE),A: strobe
        0xAF,                                          // XOR A
        0xD3, 0xFE,                                    // OUT (FE),A
        0x23,                                          // INC HL
        0x10, 0xF3,                                    // DJNZ loop
        0x76};                                         // HALT
    for (std::size_t i = 0; i < program.size(); ++i) {
        test.machine.memory().image[0x1000 + i] = program[i];
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        test.machine.memory().image[0x1100 + i] = static_cast<std::uint8_t>(text[i]);
    }
    Z80State registers = test.machine.registers();
    registers.PC = 0x1000;
    test.machine.setRegisters(registers);
    for (int frame = 0; frame < 3; ++frame) {
        test.nextFrameTime();
        test.machine.runFrame();
    }
}

struct PrintCase {
    bool autoLinefeed;
    std::int32_t fixedWidth;  // 0: unlimited
    std::string_view expected;
};

TEST(Printer, AProgramPrintsALineAsTheSettingsSay) {
    constexpr std::string_view kLine =
        "AB\x01\tC\x80\x7F"
        "DEFGHIJ\r\x0c";
    const PrintCase cases[] = {
        {true, 0, "AB\tC?DEFGHIJ\r\n\x0c"},
        {false, 0, "AB\tC?DEFGHIJ\r\x0c"},
        {true, 4, "AB\t\r\nC?DE\r\nFGHI\r\nJ\r\n\x0c"},  // the TAB reached column 8
        {false, 4, "AB\t\nC?DE\nFGHI\nJ\r\x0c"},
    };
    for (const PrintCase& each : cases) {
        TempFolder folder;
        TestMachine test;
        setPrinter(test.machine.config(), "out.txt", each.autoLinefeed, each.fixedWidth);
        PrinterOutput printer;
        printer.configure(test.machine.config(), printerFilePath(test.machine.config(), folder / "lprint"));
        attachPrinter(test.machine, printer);
        printThroughTheHandshake(test, kLine);
        // Every line end reached the file without a flush or a close.
        EXPECT_EQ(fileText(folder / "lprint" / "out.txt"), each.expected)
            << each.autoLinefeed << " " << each.fixedWidth;
        EXPECT_EQ(printer.bytesReceived(), kLine.size());
    }
}

TEST(Printer, PrintingAppendsAndAPartLineReachesTheFileOnFlush) {
    TempFolder folder;
    TestMachine test;
    setPrinter(test.machine.config(), folder / "out.txt", true, 0);
    {
        std::ofstream earlier(folder / "out.txt");
        earlier << "before\n";
    }
    PrinterOutput printer;
    printer.configure(test.machine.config(), printerFilePath(test.machine.config(), folder / "lprint"));
    attachPrinter(test.machine, printer);
    printThroughTheHandshake(test, "no line end");
    printer.flush();
    EXPECT_EQ(fileText(folder / "out.txt"), "before\nno line end");
}

TEST(Printer, ASpeakerProgramPrintsNothing) {
    TempFolder folder;
    TestMachine test;
    setPrinter(test.machine.config(), folder / "out.txt", true, 0);
    PrinterOutput printer;
    printer.configure(test.machine.config(), printerFilePath(test.machine.config(), folder.path()));
    attachPrinter(test.machine, printer);
    test.runFrom(0x1000, {0x3E, 0xFF, 0xD3, 0xFF, 0x2F, 0x18, 0xFB});  // toggle port FF
    for (int frame = 0; frame < 5; ++frame) {
        test.nextFrameTime();
        test.machine.runFrame();
    }
    EXPECT_GT(test.speaker.edges.size(), 100u);
    EXPECT_EQ(printer.bytesReceived(), 0u);
    EXPECT_FALSE(std::filesystem::exists(folder / "out.txt"));
}

TEST(Printer, AFileThatCannotBeWrittenIsToldOnceAndTheMachineRunsOn) {
    TempFolder folder;
    std::ofstream(folder / "plain").put('x');
    TestMachine test;
    setPrinter(test.machine.config(), folder / "plain" / "out.txt", true, 0);
    PrinterOutput printer;
    std::vector<std::string> messages;
    printer.onFailure([&](const std::string& message) { messages.push_back(message); });
    printer.configure(test.machine.config(), printerFilePath(test.machine.config(), folder.path()));
    attachPrinter(test.machine, printer);
    printThroughTheHandshake(test, "AB\rCD\r");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("plain/out.txt"), std::string::npos) << messages[0];
    EXPECT_EQ(test.machine.registers().PC, 0x1015);  // ran to its HALT
}

TEST(MonitorPrinter, SetOutputToThePrinterSendsTheDumpThereUntilTheScreenAgain) {
    for (const char* device : {"L", "P"}) {
        TempFolder folder;
        MonitorMachine sorcerer;
        setPrinter(sorcerer.machine().config(), "listing.txt", true, 0);
        PrinterOutput printer;
        printer.configure(sorcerer.machine().config(), printerFilePath(sorcerer.machine().config(), folder.path()));
        attachPrinter(sorcerer.machine(), printer);

        sorcerer.type(std::string("SE O=") + device + "\n");
        sorcerer.type("DU E000 E01F\n", 30);
        sorcerer.type("SE O=V\n");
        sorcerer.type("DU 0 7\n", 30);
        const std::string printed = fileText(folder / "listing.txt");
        EXPECT_NE(printed.find("E000  C3"), std::string::npos) << printed;
        EXPECT_NE(printed.find("E010  "), std::string::npos) << printed;
        EXPECT_NE(printed.find("\r\n"), std::string::npos);
        EXPECT_EQ(printed.find("0000  "), std::string::npos) << "the screen's dump was printed";
        EXPECT_GE(sorcerer.rowContaining("0000  "), 0) << sorcerer.screen();
        EXPECT_LT(sorcerer.rowContaining("E000  C3"), 0) << "the printed dump was on the screen";
    }
}

}  // namespace
}  // namespace vantorel
