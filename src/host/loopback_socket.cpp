#include "host/loopback_socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace vantorel {

namespace {

// One socket descriptor, closed with its owner.
class Socket {
  public:
    explicit Socket(int descriptor) : descriptor_(descriptor) {}
    ~Socket() {
        if (descriptor_ >= 0) ::close(descriptor_);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int get() const { return descriptor_; }

  private:
    int descriptor_;
};

void makeNonBlocking(int descriptor) {
    const int flags = ::fcntl(descriptor, F_GETFL, 0);
    ::fcntl(descriptor, F_SETFL, flags | O_NONBLOCK);
}

sockaddr_in loopbackAddress(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// Waits up to `milliseconds` for `events` on the descriptor.
void waitFor(int descriptor, short events, int milliseconds) {
    pollfd entry{descriptor, events, 0};
    ::poll(&entry, 1, milliseconds);
}

class SocketChannel : public ByteChannel {
  public:
    explicit SocketChannel(int descriptor) : socket_(descriptor) {
        makeNonBlocking(descriptor);
        // Packets are small and answered one by one: send each at once.
        int on = 1;
        ::setsockopt(descriptor, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }

    std::size_t read(std::span<char> destination) override {
        if (closed_ || destination.empty()) return 0;
        const ssize_t count = ::recv(socket_.get(), destination.data(), destination.size(), 0);
        if (count > 0) return static_cast<std::size_t>(count);
        if (count == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
            closed_ = true;
        }
        return 0;
    }

    bool write(std::string_view bytes) override {
        while (!bytes.empty() && !closed_) {
            const ssize_t count = ::send(socket_.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (count > 0) {
                bytes.remove_prefix(static_cast<std::size_t>(count));
            } else if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
                waitFor(socket_.get(), POLLOUT, 100);
            } else {
                closed_ = true;
            }
        }
        return !closed_;
    }

    bool closed() const override { return closed_; }

    void waitForInput(int milliseconds) override {
        if (!closed_) waitFor(socket_.get(), POLLIN, milliseconds);
    }

  private:
    Socket socket_;
    bool closed_ = false;
};

class SocketListener : public ByteChannelListener {
  public:
    explicit SocketListener(int descriptor) : socket_(descriptor) {}

    std::unique_ptr<ByteChannel> accept() override {
        const int connection = ::accept(socket_.get(), nullptr, nullptr);
        if (connection < 0) return nullptr;
        return std::make_unique<SocketChannel>(connection);
    }

    void waitForConnection(int milliseconds) override {
        waitFor(socket_.get(), POLLIN, milliseconds);
    }

  private:
    Socket socket_;
};

std::string systemProblem(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

}  // namespace

LoopbackListen listenOnLoopback(std::uint16_t port) {
    LoopbackListen result;
    const int descriptor = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (descriptor < 0) {
        result.problem = systemProblem("cannot make a socket");
        return result;
    }
    auto listener = std::make_unique<SocketListener>(descriptor);
    // A port left in TIME_WAIT by the last session can be taken again.
    int on = 1;
    ::setsockopt(descriptor, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address = loopbackAddress(port);
    if (::bind(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        result.problem =
            systemProblem(("cannot listen on 127.0.0.1:" + std::to_string(port)).c_str());
        return result;
    }
    if (::listen(descriptor, 1) != 0) {
        result.problem = systemProblem("cannot listen");
        return result;
    }
    makeNonBlocking(descriptor);
    socklen_t length = sizeof address;
    ::getsockname(descriptor, reinterpret_cast<sockaddr*>(&address), &length);
    result.port = ntohs(address.sin_port);
    result.listener = std::move(listener);
    return result;
}

std::unique_ptr<ByteChannel> connectToLoopback(std::uint16_t port) {
    const int descriptor = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (descriptor < 0) return nullptr;
    auto channel = std::make_unique<SocketChannel>(descriptor);
    // Non-blocking already: the connection completes (or fails) in the
    // background; wait for it here.
    sockaddr_in address = loopbackAddress(port);
    if (::connect(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        if (errno != EINPROGRESS) return nullptr;
        waitFor(descriptor, POLLOUT, 5000);
        int error = 0;
        socklen_t length = sizeof error;
        ::getsockopt(descriptor, SOL_SOCKET, SO_ERROR, &error, &length);
        if (error != 0) return nullptr;
    }
    return channel;
}

}  // namespace vantorel
