#include "app/remote_debug_port.h"

#include <utility>

#include "debug/builtin_symbols.h"

namespace vantorel {

RemoteDebugPort::Session::Session(Machine& machine, Timeline& timeline,
                                  std::unique_ptr<ByteChannel> client, SymbolTable& symbols)
    : channel(std::move(client)),
      debugger(machine, timeline),
      target(debugger, symbols),
      server(target) {}

RemoteDebugPort::RemoteDebugPort(Machine& machine, Timeline& timeline,
                                 std::unique_ptr<ByteChannelListener> listener)
    : machine_(machine),
      timeline_(timeline),
      listener_(std::move(listener)),
      symbols_(builtinMonitorSymbols()) {}

RemoteDebugPort::~RemoteDebugPort() {
    if (session_) session_->target.removeClientBreakpoints();
}

void RemoteDebugPort::poll() {
    if (!session_) {
        std::unique_ptr<ByteChannel> client = listener_->accept();
        if (!client) return;
        // Every run of the debugger goes through the timeline: it starts
        // here when nothing ran through it yet.
        if (!timeline_.started()) timeline_.start(machine_);
        session_.emplace(machine_, timeline_, std::move(client), symbols_);
        session_->debugger.attach();
    }
    if (!session_->server.serve(*session_->channel)) endSession();
}

void RemoteDebugPort::wait(int milliseconds) {
    if (!session_) {
        listener_->waitForConnection(milliseconds);
    } else if (!session_->server.running()) {
        session_->channel->waitForInput(milliseconds);
    }
}

void RemoteDebugPort::endSession() {
    killed_ = session_->target.killed();
    session_->debugger.detach();
    session_.reset();
    ++sessionsEnded_;
}

}  // namespace vantorel
