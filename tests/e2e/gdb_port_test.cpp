// The program run headless with --gdb-port: it waits for a GDB client on
// the loopback address, stopped at its first instruction, runs as the
// client says, and ends its run when the client detaches or kills.
#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <thread>

#include "debug/gdb_packets.h"
#include "e2e/run_program.h"
#include "host/loopback_socket.h"
#include "support/gdb_client.h"
#include "support/temp_folder.h"

namespace vantorel {
namespace {

using testing::GdbClient;
using testing::ProgramRun;
using testing::TempFolder;

// A port nobody listens on just now.
std::uint16_t freePort() {
    const LoopbackListen listen = listenOnLoopback(0);
    return listen.port;
}

// Connects to the program once it listens (it boots first).
std::unique_ptr<ByteChannel> connectWhenListening(std::uint16_t port) {
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (auto channel = connectToLoopback(port)) return channel;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return nullptr;
}

struct HeadlessSession {
    TempFolder folder;
    std::uint16_t port = freePort();
    std::future<ProgramRun> run;

    explicit HeadlessSession(std::vector<std::string> extra = {}) {
        std::vector<std::string> arguments = {"--headless", "--gdb-port", std::to_string(port)};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        run = std::async(std::launch::async,
                         [this, arguments] { return testing::runVantorel(arguments, folder, 60); });
    }
};

TEST(GdbRemote, HeadlessProgramWaitsStoppedRunsForTheClientAndEndsOnDetach) {
    HeadlessSession session({"--print-screen"});
    std::unique_ptr<ByteChannel> channel = connectWhenListening(session.port);
    ASSERT_TRUE(channel);
    GdbClient client(*channel, nullptr, 5000);
    EXPECT_NE(client.request("qSupported")->find("ReverseContinue+"), std::string::npos);
    EXPECT_EQ(client.request("?"), "S05");
    // Stopped at the first instruction after power-on; the monitor's first
    // bytes (its jump to the cold start) read at E000 and at 0000 alike.
    EXPECT_EQ(client.request("g")->substr(44, 4), "0000");
    EXPECT_EQ(client.request("me000,3"), "c327e0");
    // Run for a while, then stop it with Ctrl-C.
    client.send("c");
    ASSERT_TRUE(client.awaitAck());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    client.sendRaw("\x03");
    const std::optional<std::string> stop = client.awaitPacket();
    ASSERT_TRUE(stop);
    EXPECT_EQ(stop->substr(0, 3), "T02");
    EXPECT_NE(client.request("g")->substr(44, 4), "0000") << "the machine ran";
    EXPECT_EQ(client.request("D"), "OK");

    const ProgramRun run = session.run.get();
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_NE(run.err.find("waiting for a GDB client on 127.0.0.1:" + std::to_string(session.port)),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("detached"), std::string::npos) << run.err;
    EXPECT_FALSE(run.out.empty()) << "--print-screen still prints the screen at the end";
}

TEST(GdbRemote, HeadlessProgramEndsOnKillAndRefusesAPortInUse) {
    {
        HeadlessSession session;
        std::unique_ptr<ByteChannel> channel = connectWhenListening(session.port);
        ASSERT_TRUE(channel);
        GdbClient client(*channel, nullptr, 5000);
        EXPECT_EQ(client.request("?"), "S05");
        client.send("k");
        EXPECT_TRUE(client.awaitAck());
        const ProgramRun run = session.run.get();
        EXPECT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_NE(run.err.find("killed"), std::string::npos) << run.err;
    }
    const LoopbackListen taken = listenOnLoopback(0);
    ASSERT_TRUE(taken.listener);
    TempFolder folder;
    const ProgramRun refused =
        testing::runVantorel({"--headless", "--gdb-port", std::to_string(taken.port)}, folder, 30);
    EXPECT_EQ(refused.exitStatus, 2);
    EXPECT_NE(refused.err.find("127.0.0.1:" + std::to_string(taken.port)), std::string::npos)
        << refused.err;
    const ProgramRun badPort = testing::runVantorel({"--headless", "--gdb-port", "70000"}, folder);
    EXPECT_EQ(badPort.exitStatus, 2);
    EXPECT_NE(badPort.err.find("1 to 65535"), std::string::npos) << badPort.err;
}

}  // namespace
}  // namespace vantorel
