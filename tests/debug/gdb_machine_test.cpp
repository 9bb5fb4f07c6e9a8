// The remote debugging port over a real machine: a GDB client on the
// loopback address reads and changes the machine, stops it at breakpoints
// and watchpoints, steps it both ways and interrupts it, all through the
// debugger and the timeline, as --gdb-port serves it.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "app/remote_debug_port.h"
#include "debug/gdb_packets.h"
#include "host/loopback_socket.h"
#include "support/gdb_client.h"
#include "support/test_machine.h"
#include "timeline/timeline.h"

namespace vantorel {
namespace {

using testing::GdbClient;
using testing::TestMachine;

// 0100: LD A,0
// 0102: INC A          (the loop)
// 0103: LD (3000),A
// 0106: LD HL,3100
// 0109: LD B,(HL)
// 010A: JP 0102
constexpr std::initializer_list<std::uint8_t> kLoop = {0x3E, 0x00, 0x3C, 0x32, 0x00, 0x30, 0x21,
                                                       0x00, 0x31, 0x46, 0xC3, 0x02, 0x01};

class GdbRemoteOnMachine : public ::testing::Test {
  protected:
    void SetUp() override {
        test.runFrom(0x0100, kLoop);
        LoopbackListen listen = listenOnLoopback(0);
        ASSERT_TRUE(listen.listener) << listen.problem;
        port =
            std::make_unique<RemoteDebugPort>(test.machine, timeline, std::move(listen.listener));
        clientChannel = connectToLoopback(listen.port);
        ASSERT_TRUE(clientChannel);
        client = std::make_unique<GdbClient>(
            *clientChannel, [this] { port->poll(); }, 20000);
        ASSERT_EQ(request("qSupported:swbreak+").find("PacketSize"), 0u);
        ASSERT_TRUE(port->connected());
    }

    std::string request(std::string_view payload) {
        const std::optional<std::string> reply = client->request(payload);
        EXPECT_TRUE(reply) << "no reply to " << payload;
        return reply.value_or("(none)");
    }

    std::uint16_t pc() const { return static_cast<std::uint16_t>(test.machine.registers().PC); }

    TestMachine test;
    Timeline timeline;
    std::unique_ptr<RemoteDebugPort> port;
    std::unique_ptr<ByteChannel> clientChannel;
    std::unique_ptr<GdbClient> client;
};

bool sameRecord(const MachineState& a, const MachineState& b) {
    return std::memcmp(&a, &b, sizeof(MachineState)) == 0;
}

TEST_F(GdbRemoteOnMachine, ReadingRegistersAndAllOfMemoryChangesNothing) {
    const MachineSnapshot before = test.machine.capture();
    const Z80State registers = test.machine.registers();
    const std::string all = request("g");
    ASSERT_EQ(all.size(), 48u);
    EXPECT_EQ(all.substr(44, 4), "0001") << "pc 0100, low byte first";
    EXPECT_EQ(request("pa"), toGdbHex(std::string{static_cast<char>(registers.SP & 0xFF),
                                                  static_cast<char>(registers.SP >> 8)}));
    // Every byte of the 64K, including the ROM, the screen and the ports'
    // neighbours, as the processor would read them.
    std::string memory;
    for (unsigned address = 0; address < 0x10000; address += 0x800) {
        char args[32];
        std::snprintf(args, sizeof args, "m%x,800", address);
        const std::optional<std::string> bytes = fromGdbHex(request(args));
        ASSERT_TRUE(bytes);
        ASSERT_EQ(bytes->size(), 0x800u);
        memory += *bytes;
    }
    for (unsigned address = 0; address < 0x10000; ++address) {
        ASSERT_EQ(static_cast<std::uint8_t>(memory[address]),
                  test.machine.peek(static_cast<std::uint16_t>(address)))
            << address;
    }
    EXPECT_EQ(request("?"), "S05");
    EXPECT_TRUE(sameRecord(before.state, test.machine.state())) << "reading changed the machine";
}

TEST_F(GdbRemoteOnMachine, WritesReachTheMachine) {
    EXPECT_EQ(request("P0=0012"), "OK");  // AF = 1200
    EXPECT_EQ(test.machine.registers().AF, 0x1200u);
    std::string all = request("g");
    all.replace(12, 4, "cdab");  // HL
    EXPECT_EQ(request("G" + all), "OK");
    EXPECT_EQ(test.machine.registers().HL, 0xABCDu);
    EXPECT_EQ(request("M3000,3:a1b2c3"), "OK");
    EXPECT_EQ(test.machine.peek(0x3001), 0xB2);
    EXPECT_EQ(request("m3000,3"), "a1b2c3");
}

TEST_F(GdbRemoteOnMachine, BreakpointsWatchpointsAndSteppingBothWays) {
    EXPECT_EQ(request("Z0,109,1"), "OK");
    std::string stop = request("c");
    EXPECT_EQ(stop.substr(0, 3), "T05") << stop;
    EXPECT_NE(stop.find("swbreak:;"), std::string::npos) << stop;
    EXPECT_EQ(pc(), 0x109);
    EXPECT_EQ(test.machine.peek(0x3000), 1);
    EXPECT_EQ(request("z0,109,1"), "OK");

    EXPECT_EQ(request("Z2,3000,1"), "OK");
    stop = request("c");
    EXPECT_NE(stop.find("watch:3000;"), std::string::npos) << stop;
    EXPECT_EQ(pc(), 0x106) << "stopped after the storing instruction";
    EXPECT_EQ(test.machine.peek(0x3000), 2);
    EXPECT_EQ(request("z2,3000,1"), "OK");
    const MachineSnapshot atWatch = test.machine.capture();

    stop = request("s");
    EXPECT_EQ(stop.substr(0, 3), "T05") << stop;
    EXPECT_EQ(pc(), 0x109);
    stop = request("bs");
    EXPECT_EQ(stop.substr(0, 3), "T05") << stop;
    EXPECT_EQ(pc(), 0x106);
    EXPECT_TRUE(sameRecord(atWatch.state, test.machine.state())) << "step back is exact";

    EXPECT_EQ(request("Z3,3100,1"), "OK");
    stop = request("c");
    EXPECT_NE(stop.find("rwatch:3100;"), std::string::npos) << stop;
    EXPECT_EQ(request("z3,3100,1"), "OK");

    // Backwards to the last time the loop began, then to the start of the
    // recorded past, where the session began.
    EXPECT_EQ(request("Z0,102,1"), "OK");
    stop = request("bc");
    EXPECT_EQ(stop.substr(0, 3), "T05") << stop;
    EXPECT_EQ(pc(), 0x102);
    EXPECT_EQ(request("z0,102,1"), "OK");
    stop = request("bc");
    EXPECT_NE(stop.find("replaylog:begin;"), std::string::npos) << stop;
    EXPECT_EQ(pc(), 0x100);
}

TEST_F(GdbRemoteOnMachine, CtrlCStopsTheRunningMachineAndDetachLetsItGoOn) {
    client->send("c");
    ASSERT_TRUE(client->awaitAck());
    EXPECT_TRUE(client->quiet());
    EXPECT_TRUE(port->running());
    client->sendRaw("\x03");
    const std::optional<std::string> stop = client->awaitPacket();
    ASSERT_TRUE(stop);
    EXPECT_EQ(stop->substr(0, 3), "T02");
    EXPECT_FALSE(port->running());
    EXPECT_GE(pc(), 0x102);
    EXPECT_LE(pc(), 0x10A);
    EXPECT_GT(test.machine.peek(0x3000), 0) << "the loop ran";

    EXPECT_NE(request("qRcmd," + toGdbHex("help")), "OK");
    const std::string frame = *fromGdbHex(request("qRcmd," + toGdbHex("frame")));
    EXPECT_EQ(frame.rfind("frame ", 0), 0u) << frame;
    const std::string listing =
        *fromGdbHex(request("qRcmd," + toGdbHex("disassemble ENTRY_COLD 2")));
    EXPECT_NE(listing.find("ENTRY_COLD:"), std::string::npos) << listing;
    EXPECT_NE(listing.find("E000"), std::string::npos) << listing;
    EXPECT_EQ(*fromGdbHex(request("qRcmd," + toGdbHex("symbols /no/such.sym"))),
              "such.sym: cannot open the symbol file\n");

    // A reset in the middle of a frame; the machine goes on from the ROM's
    // first jump, and steps back to where the reset left it.
    EXPECT_EQ(*fromGdbHex(request("qRcmd," + toGdbHex("reset"))), "soft reset\n");
    EXPECT_EQ(pc(), 0x0000);
    EXPECT_EQ(request("s").substr(0, 3), "T05");
    EXPECT_GE(pc(), 0xE000) << "into the monitor ROM";
    EXPECT_EQ(request("bs").substr(0, 3), "T05");
    EXPECT_EQ(pc(), 0x0000);

    test.runFrom(0x0100, kLoop);
    EXPECT_EQ(request("Z0,109,1"), "OK");
    EXPECT_EQ(request("D"), "OK");
    for (int turn = 0; turn < 10 && port->connected(); ++turn) port->poll();
    EXPECT_FALSE(port->connected());
    EXPECT_TRUE(port->sessionEnded());
    EXPECT_FALSE(port->killed());
    // The client's breakpoints went with it: frames run on past 0109.
    test.machine.runFrame();
    test.machine.runFrame();
    EXPECT_GT(test.machine.peek(0x3000), 2);
}

}  // namespace
}  // namespace vantorel
