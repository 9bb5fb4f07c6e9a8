// The GDB server over a real loopback connection, driven by the tests' own
// client, against a toy target (fake_gdb_target.h): every packet it takes,
// breakpoints, watchpoints, stepping and running backwards, Ctrl-C, and the
// framing's edge cases.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "debug/gdb_packets.h"
#include "debug/gdb_server.h"
#include "fake_gdb_target.h"
#include "host/loopback_socket.h"
#include "support/gdb_client.h"

namespace vantorel {
namespace {

using testing::FakeGdbTarget;
using testing::GdbClient;

// A server on an ephemeral loopback port, its one client connected.
class GdbRemote : public ::testing::Test {
  protected:
    void SetUp() override {
        LoopbackListen listen = listenOnLoopback(0);
        ASSERT_TRUE(listen.listener) << listen.problem;
        ASSERT_NE(listen.port, 0);
        clientChannel = connectToLoopback(listen.port);
        ASSERT_TRUE(clientChannel);
        for (int wait = 0; wait < 100 && !serverChannel; ++wait) {
            listen.listener->waitForConnection(10);
            serverChannel = listen.listener->accept();
        }
        ASSERT_TRUE(serverChannel);
        client =
            std::make_unique<GdbClient>(*clientChannel, [this] { server.serve(*serverChannel); });
    }

    std::string request(std::string_view payload) {
        const std::optional<std::string> reply = client->request(payload);
        EXPECT_TRUE(reply) << "no reply to " << payload;
        return reply.value_or("(none)");
    }

    // The stop reply's PC ("0b:LLHH;") as a number.
    static std::uint16_t stopPc(const std::string& reply) {
        const std::size_t at = reply.find("0b:");
        if (at == std::string::npos) return 0xFFFF;
        const auto bytes = fromGdbHex(reply.substr(at + 3, 4));
        return static_cast<std::uint16_t>(static_cast<unsigned char>((*bytes)[0]) |
                                          static_cast<unsigned char>((*bytes)[1]) << 8);
    }

    FakeGdbTarget target;
    GdbServer server{target};
    std::unique_ptr<ByteChannel> clientChannel;
    std::unique_ptr<ByteChannel> serverChannel;
    std::unique_ptr<GdbClient> client;
};

TEST_F(GdbRemote, FramingSplitsTheStreamAndEscapesBinary) {
    EXPECT_EQ(frameGdbPacket("g"), "$g#67");
    EXPECT_EQ(frameGdbPacket("OK"), "$OK#9a");
    EXPECT_EQ(frameGdbPacket("a$b#c}d*"),
              "$a}\x04"
              "b}\x03"
              "c}]d}\x0a#ec");

    GdbPacketReader reader;
    std::vector<GdbInput> inputs;
    // Two packets, an ack, a nack, Ctrl-C, noise between packets, a bad
    // checksum, a packet cut short by a new "$": byte by byte.
    const std::string stream = "+-\x03xx$m0,4#fd$qC#00$lost$qC#b4";
    for (const char byte : stream) {
        if (auto input = reader.take(byte)) inputs.push_back(*input);
    }
    ASSERT_EQ(inputs.size(), 6u);
    EXPECT_EQ(inputs[0].kind, GdbInputKind::ack);
    EXPECT_EQ(inputs[1].kind, GdbInputKind::nack);
    EXPECT_EQ(inputs[2].kind, GdbInputKind::interrupt);
    EXPECT_EQ(inputs[3].kind, GdbInputKind::packet);
    EXPECT_EQ(inputs[3].payload, "m0,4");
    EXPECT_EQ(inputs[4].kind, GdbInputKind::badPacket);
    EXPECT_EQ(inputs[5].kind, GdbInputKind::packet);
    EXPECT_EQ(inputs[5].payload, "qC");

    // A packet longer than PacketSize is refused whole; the next is taken.
    std::string huge(kGdbPacketSize + 10, 'a');
    std::optional<GdbInput> last;
    for (const char byte : frameGdbPacket(huge) + frameGdbPacket("?")) {
        if (auto input = reader.take(byte)) {
            if (!last) {
                EXPECT_EQ(input->kind, GdbInputKind::badPacket);
            }
            last = input;
        }
    }
    ASSERT_TRUE(last);
    EXPECT_EQ(last->payload, "?");

    // Every byte value survives escaping, and hex both ways.
    std::string all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
    EXPECT_EQ(unescapeGdbBinary(escapeGdbBinary(all)), all);
    EXPECT_EQ(escapeGdbBinary(all).find_first_of("$#*"), std::string::npos);
    EXPECT_FALSE(unescapeGdbBinary("ab}"));
    EXPECT_EQ(fromGdbHex(toGdbHex(all)), all);
    EXPECT_FALSE(fromGdbHex("abc"));
    EXPECT_FALSE(fromGdbHex("zz"));
}

TEST_F(GdbRemote, BadChecksumIsAnsweredMinusAndAResendRequestRepeatsTheReply) {
    client->sendRaw("$qC#00");
    EXPECT_TRUE(client->awaitAck('-'));
    // The packet sent again in two pieces.
    client->sendRaw("$q");
    EXPECT_TRUE(client->quiet());
    client->sendRaw("C#b4");
    EXPECT_TRUE(client->awaitAck('+'));
    EXPECT_EQ(client->awaitPacket(), "QC1");
    // The client did not take the reply: it comes again.
    client->sendRaw("-");
    EXPECT_EQ(client->awaitPacket(), "QC1");
}

TEST_F(GdbRemote, HandshakeDescribesTheZ80AndAnswersTheThreadQueries) {
    const std::string supported =
        request("qSupported:multiprocess+;swbreak+;hwbreak+;xmlRegisters=i386");
    for (const char* feature : {"PacketSize=4000", "qXfer:features:read+", "ReverseStep+",
                                "ReverseContinue+", "QStartNoAckMode+", "swbreak+"}) {
        EXPECT_NE(supported.find(feature), std::string::npos) << feature << " in " << supported;
    }
    EXPECT_EQ(request("vMustReplyEmpty"), "");
    EXPECT_EQ(request("!"), "") << "an unknown packet";
    EXPECT_EQ(request("qTStatus"), "");
    EXPECT_EQ(request("vCont?"), "");
    EXPECT_EQ(request("Hg0"), "OK");
    EXPECT_EQ(request("Hc-1"), "OK");
    EXPECT_EQ(request("qAttached"), "1");
    EXPECT_EQ(request("qC"), "QC1");
    EXPECT_EQ(request("qfThreadInfo"), "m1");
    EXPECT_EQ(request("qsThreadInfo"), "l");
    EXPECT_EQ(request("?"), "S05") << "stopped before the first instruction";

    // The description, read in small pieces as a client with a small
    // buffer would.
    std::string xml;
    for (std::size_t offset = 0;;) {
        char args[64];
        std::snprintf(args, sizeof args, "qXfer:features:read:target.xml:%zx,40", offset);
        const std::string part = request(args);
        ASSERT_FALSE(part.empty());
        xml += part.substr(1);
        offset += part.size() - 1;
        if (part[0] == 'l') break;
        ASSERT_EQ(part[0], 'm');
        ASSERT_LT(offset, 10000u);
    }
    EXPECT_NE(xml.find("<architecture>z80</architecture>"), std::string::npos);
    std::size_t at = 0;
    for (const char* name :
         {"af", "bc", "de", "hl", "af'", "bc'", "de'", "hl'", "ix", "iy", "sp", "pc"}) {
        const std::string reg = std::string("<reg name=\"") + name + "\" bitsize=\"16\"";
        const std::size_t found = xml.find(reg, at);
        ASSERT_NE(found, std::string::npos) << name << " in order";
        at = found + 1;
    }
    EXPECT_EQ(request("qXfer:features:read:other.xml:0,100"), "E00");

    // No acknowledgements after QStartNoAckMode's own.
    EXPECT_EQ(request("QStartNoAckMode"), "OK");
    client->acks = false;
    client->send("qC");
    EXPECT_EQ(client->awaitPacket(), "QC1") << "the reply comes with no '+' before it";
}

TEST_F(GdbRemote, RegistersAndMemoryAreReadAndWritten) {
    for (std::size_t i = 0; i < kGdbRegisterCount; ++i) {
        target.state.registers[i] = static_cast<std::uint16_t>(0x1100 * (i + 1) + i);
    }
    const std::string all = request("g");
    ASSERT_EQ(all.size(), 48u);
    EXPECT_EQ(all.substr(0, 8), "00110122") << "af then bc, low byte first";
    EXPECT_EQ(request("pb"), "0bcc") << "pc = CC0B";
    EXPECT_EQ(request("P1=3412"), "OK");
    EXPECT_EQ(target.state.registers[gdbBC], 0x1234);
    std::string written = all;
    written.replace(40, 4, "7856");  // sp
    written.replace(4, 4, "3412");
    EXPECT_EQ(request("G" + written), "OK");
    EXPECT_EQ(target.state.registers[gdbSP], 0x5678);
    EXPECT_EQ(request("g"), written);
    EXPECT_EQ(request("pc"), "E01") << "only 12 registers";
    EXPECT_EQ(request("G1234"), "E01");
    EXPECT_EQ(request("P0=zz12"), "E01");

    target.load(0x8000, {0xDE, 0xAD, 0xBE, 0xEF});
    target.load(0xFFFE, {0x11, 0x22});
    const FakeGdbTarget::State before = target.state;
    EXPECT_EQ(request("m8000,4"), "deadbeef");
    EXPECT_EQ(request("mfffe,10"), "1122") << "a read ends with the 64K";
    EXPECT_EQ(request("m0,ffff").size(), (kGdbPacketSize - 16) / 2 * 2)
        << "at most one reply's worth";
    EXPECT_EQ(request("m10000,1"), "E01");
    EXPECT_EQ(request("mzz,1"), "E01");
    EXPECT_TRUE(target.state == before) << "reading changes nothing";

    EXPECT_EQ(request("M9000,3:0a0b0c"), "OK");
    EXPECT_EQ(request("m9000,3"), "0a0b0c");
    EXPECT_EQ(request("M9000,2:0a"), "E01") << "the length and the bytes disagree";
    EXPECT_EQ(request("Mffff,2:0102"), "E01") << "past the 64K";
    // X carries raw bytes with "}" escapes: 23 24 7D 2A need them.
    EXPECT_EQ(request(std::string("X9100,5:") + std::string("\x23\x24\x7d\x2a\x00", 5)), "OK");
    EXPECT_EQ(request("m9100,5"), "23247d2a00");
}

TEST_F(GdbRemote, BreakpointsAndWatchpointsStopTheRunAndReverseRunsFindThemAgain) {
    // 0100: INC A; LD (9000),A; LD A,(9100); JP 0100
    target.load(0x100, {0x3C, 0x32, 0x00, 0x90, 0x3A, 0x00, 0x91, 0xC3, 0x00, 0x01});
    target.state.registers[gdbPC] = 0x100;
    request("qSupported:swbreak+");

    EXPECT_EQ(request("Z0,107,1"), "OK");
    std::string stop = request("c");
    EXPECT_EQ(stop.substr(0, 3), "T05");
    EXPECT_NE(stop.find("swbreak:;"), std::string::npos);
    EXPECT_EQ(stopPc(stop), 0x107);
    EXPECT_EQ(request("Z0,107,1"), "E01") << "set already";
    EXPECT_EQ(request("z0,107,1"), "OK");
    EXPECT_EQ(request("z0,107,1"), "E01") << "not there any more";

    EXPECT_EQ(request("Z2,9000,1"), "OK");
    stop = request("c");
    EXPECT_NE(stop.find("watch:9000;"), std::string::npos) << stop;
    EXPECT_EQ(stopPc(stop), 0x104);
    EXPECT_EQ(request("z2,9000,1"), "OK");
    EXPECT_EQ(request("Z3,9100,1"), "OK");
    stop = request("c");
    EXPECT_NE(stop.find("rwatch:9100;"), std::string::npos) << stop;
    EXPECT_EQ(request("z3,9100,1"), "OK");
    EXPECT_EQ(request("Z4,9000,1"), "OK");
    stop = request("c");
    EXPECT_NE(stop.find("awatch:9000;"), std::string::npos) << stop;
    EXPECT_EQ(request("z4,9000,1"), "OK");
    EXPECT_EQ(request("Z5,9000,1"), "") << "no such kind";
    EXPECT_EQ(request("Z1,100,1;X1,0"), "OK") << "a hardware breakpoint, its condition ignored";

    // Step and step back: the state after stepping back is the one before.
    const FakeGdbTarget::State atWatch = target.state;
    stop = request("s");
    EXPECT_EQ(stop.substr(0, 3), "T05");
    EXPECT_EQ(stopPc(stop), 0x107);
    stop = request("bs");
    EXPECT_EQ(stopPc(stop), 0x104);
    EXPECT_TRUE(target.state == atWatch);

    // Backwards to the last breakpoint hit (0100, two instructions back),
    // then to the start of the history.
    stop = request("bc");
    EXPECT_EQ(stopPc(stop), 0x100);
    EXPECT_EQ(request("z1,100,1"), "OK");
    stop = request("bc");
    EXPECT_NE(stop.find("replaylog:begin;"), std::string::npos) << stop;
    EXPECT_EQ(stopPc(stop), 0x100);
    EXPECT_EQ(request("bs").find("replaylog:begin;") != std::string::npos, true);
    EXPECT_EQ(request("?").substr(0, 3), "T05") << "the last stop, told again";
    EXPECT_EQ(request("bx"), "");

    // "c addr" and "s addr" resume from that address.
    stop = request("s107");
    EXPECT_EQ(stopPc(stop), 0x100);
}

TEST_F(GdbRemote, CtrlCStopsARunningProgram) {
    target.load(0x200, {0xC3, 0x00, 0x02});  // JP 0200
    target.state.registers[gdbPC] = 0x200;
    client->send("c");
    EXPECT_TRUE(client->awaitAck());
    EXPECT_TRUE(client->quiet()) << "no reply while the program runs";
    EXPECT_TRUE(server.running());
    const int slices = target.slices;
    EXPECT_GE(slices, 5);
    client->sendRaw("\x03");
    const std::optional<std::string> stop = client->awaitPacket();
    ASSERT_TRUE(stop);
    EXPECT_EQ(stop->substr(0, 3), "T02");
    EXPECT_EQ(stopPc(*stop), 0x200);
    EXPECT_FALSE(server.running());
    // Ctrl-C while stopped does nothing.
    client->sendRaw("\x03");
    EXPECT_TRUE(client->quiet());
    EXPECT_EQ(target.slices, slices);
}

TEST_F(GdbRemote, MonitorCommandsAndTheEndsOfASession) {
    EXPECT_EQ(request("qRcmd," + toGdbHex("frame")), toGdbHex("frame 12\n"));
    EXPECT_EQ(request("qRcmd," + toGdbHex("reset")), "OK") << "no output";
    EXPECT_EQ(request("qRcmd,zz"), "E01");
    EXPECT_EQ((std::vector<std::string>{"frame", "reset"}), target.monitorCommands);
    EXPECT_EQ(request("D"), "OK");
    EXPECT_TRUE(target.detached);
    EXPECT_TRUE(server.finished());
    EXPECT_FALSE(server.serve(*serverChannel));
}

TEST_F(GdbRemote, KillEndsTheSessionWithoutAReplyAndAClosedConnectionDetaches) {
    client->send("k");
    EXPECT_TRUE(client->awaitAck());
    EXPECT_TRUE(client->quiet());
    EXPECT_TRUE(target.killed);
    EXPECT_TRUE(server.finished());

    // Detach while the program runs: the run ends with the session.
    FakeGdbTarget running;
    running.load(0, {0xC3, 0x00, 0x00});
    GdbServer third{running};
    third.receive(frameGdbPacket("c") + frameGdbPacket("D"));
    EXPECT_TRUE(third.finished());
    EXPECT_FALSE(third.running());
    EXPECT_TRUE(running.detached);

    // A second session whose client goes away while the program runs.
    FakeGdbTarget other;
    other.load(0, {0xC3, 0x00, 0x00});
    GdbServer second{other};
    second.receive(frameGdbPacket("c"));
    EXPECT_TRUE(second.running());
    clientChannel.reset();
    bool serving = true;
    for (int turn = 0; turn < 100 && serving; ++turn) {
        serving = second.serve(*serverChannel);
        serverChannel->waitForInput(1);
    }
    EXPECT_FALSE(serving);
    EXPECT_TRUE(other.detached);
    EXPECT_FALSE(second.running());
}

}  // namespace
}  // namespace vantorel
