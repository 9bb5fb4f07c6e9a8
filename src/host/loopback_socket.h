// TCP connections on the loopback address (127.0.0.1), as ByteChannels.
//
// The GDB server listens here for its client (--gdb-port N): only programs
// on this computer can connect, never another machine. POSIX sockets,
// non-blocking, so that the window's idle loop can poll between frames.
// Called by main.cpp (through the headless runner and the window) and by
// the tests' GDB client.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "hostapi/byte_channel.h"

namespace vantorel {

struct LoopbackListen {
    std::unique_ptr<ByteChannelListener> listener;
    std::uint16_t port = 0;  // the port bound (the system's choice when 0 was asked)
    std::string problem;     // why it could not listen; empty when it does
};

// Listens on 127.0.0.1:`port` (0: any free port).
LoopbackListen listenOnLoopback(std::uint16_t port);

// Connects to 127.0.0.1:`port`; null when nobody listens there.
std::unique_ptr<ByteChannel> connectToLoopback(std::uint16_t port);

}  // namespace vantorel
