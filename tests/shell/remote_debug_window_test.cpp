// --gdb-port in the window: while a GDB client is connected it has the
// machine and the window's own frames wait; a detach gives the frames back,
// a kill closes the program.
#include <gtest/gtest.h>

#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>

#include "host/loopback_socket.h"
#include "shell/menu_table.h"
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

// Answers the next modal dialog the window opens: the port dialog with
// `port`, the question with Yes.
void answerNextDialog(int port) {
    QTimer::singleShot(0, [port] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* input = qobject_cast<QInputDialog*>(modal)) {
            input->setIntValue(port);
            input->accept();
        } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            box->button(QMessageBox::Yes)->click();
        } else {
            ADD_FAILURE() << "no dialog to answer";
        }
    });
}

// A port free now, for the dialog to ask for.
std::uint16_t freePort() {
    LoopbackListen probe = listenOnLoopback(0);
    return probe.port;  // closed again as the listener goes
}

// Debug > GDB Server... asks for the port and listens there; asked again it
// offers to stop; a port in use is told in a message box.
TEST(GdbRemote, TheMenuStartsAndStopsTheServerAndTellsAPortInUse) {
    ShellHarness shell;
    ASSERT_TRUE(shell.showActive());
    QAction* item = shell.window->action(kCommandGdbServer);
    const std::uint16_t port = freePort();
    answerNextDialog(port);
    item->trigger();
    ASSERT_TRUE(shell.messages.warnings.isEmpty()) << shell.messages.warnings.join(' ').toStdString();
    {
        std::unique_ptr<ByteChannel> channel = connectToLoopback(port);
        ASSERT_TRUE(channel) << "the server listens on the port asked for";
        GdbClient client(*channel, WindowPort::pump, 5000);
        EXPECT_EQ(client.request("?"), "S05");
        EXPECT_EQ(client.request("D"), "OK");
        for (int turn = 0; turn < 200 && shell.window->driver().heldByDebugger(); ++turn)
            WindowPort::pump();
    }
    answerNextDialog(0);  // "Stop it?" Yes
    item->trigger();
    EXPECT_FALSE(connectToLoopback(port)) << "stopped, nothing listens";
    EXPECT_FALSE(shell.window->driver().heldByDebugger());

    LoopbackListen taken = listenOnLoopback(0);
    ASSERT_TRUE(taken.listener);
    answerNextDialog(taken.port);
    item->trigger();
    ASSERT_EQ(shell.messages.warnings.size(), 1);
    EXPECT_TRUE(shell.messages.warnings.front().startsWith(
        QStringLiteral("The GDB server did not start: port %1").arg(taken.port)))
        << shell.messages.warnings.front().toStdString();
}

}  // namespace
}  // namespace vantorel
