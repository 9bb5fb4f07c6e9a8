// A connection that carries bytes both ways, and a listener that hands out
// connections, as the core sees them: the GDB server talks to its client
// through these, never through a socket.
//
// host/ implements them over a TCP socket on the loopback address
// (host/loopback_socket.h); tests may pass an in-memory pair. Nothing here
// waits unless asked to: the window's idle loop polls between frames.
#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string_view>

namespace vantorel {

class ByteChannel {
  public:
    virtual ~ByteChannel() = default;
    // Copies what has arrived, up to destination.size() bytes; 0 when
    // nothing has (it never waits).
    virtual std::size_t read(std::span<char> destination) = 0;
    // Sends every byte (waiting while the peer is slow to take them); false
    // when the connection is gone.
    virtual bool write(std::string_view bytes) = 0;
    // True once the peer closed the connection or it failed.
    virtual bool closed() const = 0;
    // Waits up to `milliseconds` for something to read (or the closing), for
    // a loop that has nothing else to do meanwhile.
    virtual void waitForInput(int milliseconds) = 0;
};

class ByteChannelListener {
  public:
    virtual ~ByteChannelListener() = default;
    // A connection that is waiting to be taken, or null (it never waits).
    virtual std::unique_ptr<ByteChannel> accept() = 0;
    // Waits up to `milliseconds` for a connection to arrive.
    virtual void waitForConnection(int milliseconds) = 0;
};

}  // namespace vantorel
