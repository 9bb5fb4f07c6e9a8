// The remote debugging port (--gdb-port N): a GDB client on the loopback
// address debugs the machine through the GDB remote serial protocol.
//
// Holds the listener the host opened, takes one client at a time, and
// serves it: a Debugger over the machine and the timeline its frames run
// through, seen by the client as a GDB target (debug/debugger_gdb_target.h)
// with the built-in monitor's labels loaded. The debugger is attached only
// while a client is connected, so the machine runs exactly as without one
// otherwise. While a client is connected the machine belongs to it: stopped
// until it continues, running one frame per poll while it does.
//
//   RemoteDebugPort port{machine, timeline, std::move(listener)};
//   headless: while (!port.sessionEnded()) { port.poll(); port.wait(50); }
//   window:   every frame period, port.poll(); no frames of its own while
//             port.connected()
#pragma once

#include <memory>
#include <optional>

#include "debug/debugger.h"
#include "debug/debugger_gdb_target.h"
#include "debug/gdb_server.h"
#include "debug/symbol_table.h"
#include "hostapi/byte_channel.h"

namespace vantorel {

class RemoteDebugPort {
  public:
    RemoteDebugPort(Machine& machine, Timeline& timeline,
                    std::unique_ptr<ByteChannelListener> listener);
    ~RemoteDebugPort();
    RemoteDebugPort(const RemoteDebugPort&) = delete;
    RemoteDebugPort& operator=(const RemoteDebugPort&) = delete;

    // Takes a waiting client, or serves the one connected: what it sent is
    // answered and, while it has the machine running, one slice runs.
    void poll();
    // Waits up to `milliseconds` for a client or for what it sends; returns
    // at once while the client has the machine running.
    void wait(int milliseconds);

    bool connected() const { return session_.has_value(); }
    // The client has the machine running (it continued and no stop came yet).
    bool running() const { return session_ && session_->server.running(); }
    // A client came and its session is over (it killed, detached or went away).
    bool sessionEnded() const { return sessionsEnded_ > 0; }
    // The last session ended with the client's kill.
    bool killed() const { return killed_; }

  private:
    struct Session {
        Session(Machine& machine, Timeline& timeline, std::unique_ptr<ByteChannel> client,
                SymbolTable& symbols);
        std::unique_ptr<ByteChannel> channel;
        Debugger debugger;
        DebuggerGdbTarget target;
        GdbServer server;
    };
    void endSession();

    Machine& machine_;
    Timeline& timeline_;
    std::unique_ptr<ByteChannelListener> listener_;
    SymbolTable symbols_;
    std::optional<Session> session_;
    int sessionsEnded_ = 0;
    bool killed_ = false;
};

}  // namespace vantorel
