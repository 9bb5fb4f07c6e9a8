// --gdb-port in the window: while a GDB client is connected it has the
// machine and the window's own frames wait; a detach gives the frames back,
// a kill closes the program.
#include <gtest/gtest.h>

#include <QTest>
#include <memory>

#include "host/loopback_socket.h"
#include "shell/remote_debug_poller.h"
#include "shell_harness.h"
#include "support/gdb_client.h"

namespace vantorel {
namespace {

using testing::GdbClient;
using testing::ShellHarness;

struct WindowPort {
    ShellHarness shell;
    std::unique_ptr<RemoteDebugPoller> poller;
    int repaints = 0;
    bool quit = false;
    std::uint16_t port = 0;

    WindowPort() {
        LoopbackListen listen = listenOnLoopback(0);
        port = listen.port;
        poller = std::make_unique<RemoteDebugPoller>(
            std::make_unique<RemoteDebugPort>(*shell.machine, shell.scheduler->timeline(),
                                              std::move(listen.listener)),
            shell.window->driver(), 2, [this] { ++repaints; }, [this] { quit = true; });
    }

    static void pump() { QTest::qWait(1); }
};

TEST(GdbRemote, TheWindowsFramesWaitWhileAClientHasTheMachine) {
    WindowPort test;
    ASSERT_TRUE(test.shell.showActive());
    EXPECT_TRUE(test.shell.window->driver().framesAllowed());
    std::unique_ptr<ByteChannel> channel = connectToLoopback(test.port);
    ASSERT_TRUE(channel);
    GdbClient client(*channel, WindowPort::pump, 5000);
    EXPECT_EQ(client.request("?"), "S05");
    EXPECT_TRUE(test.shell.window->driver().heldByDebugger());
    EXPECT_FALSE(test.shell.window->driver().framesAllowed());
    const std::int64_t frames = test.shell.window->driver().framesRun();
    for (int turn = 0; turn < 20; ++turn) WindowPort::pump();
    EXPECT_EQ(test.shell.window->driver().framesRun(), frames) << "no frame of the window's own";
    EXPECT_FALSE(test.shell.window->driver().passScheduled());
    EXPECT_GT(test.repaints, 0);

    EXPECT_EQ(client.request("D"), "OK");
    for (int turn = 0; turn < 200 && test.poller->port().connected(); ++turn) WindowPort::pump();
    EXPECT_FALSE(test.shell.window->driver().heldByDebugger());
    EXPECT_TRUE(test.shell.window->driver().framesAllowed());
    EXPECT_FALSE(test.quit);

    // A second client may come; its kill ends the program.
    std::unique_ptr<ByteChannel> second = connectToLoopback(test.port);
    ASSERT_TRUE(second);
    GdbClient killer(*second, WindowPort::pump, 5000);
    EXPECT_EQ(killer.request("?"), "S05");
    killer.send("k");
    for (int turn = 0; turn < 200 && !test.quit; ++turn) WindowPort::pump();
    EXPECT_TRUE(test.quit);
}

}  // namespace
}  // namespace vantorel
