// A small GDB client for the tests: frames packets, acknowledges replies
// and waits for them over any ByteChannel, pumping the server between
// reads so that client and server take turns in one thread.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "debug/gdb_packets.h"
#include "hostapi/byte_channel.h"

namespace vantorel::testing {

class GdbClient {
  public:
    // `pump` lets the server take a turn (serve its channel once); a server
    // in another process needs none. A reply is waited for `patience`
    // turns of at most a millisecond each.
    GdbClient(ByteChannel& channel, std::function<void()> pump, int patience = 2000)
        : channel_(channel), pump_(std::move(pump)), patience_(patience) {}

    void sendRaw(std::string_view bytes) { ASSERT_TRUE(channel_.write(bytes)); }
    void send(std::string_view payload) { sendRaw(frameGdbPacket(payload)); }

    // Sends a packet and returns the reply's payload (nothing when none
    // came). While acknowledgements are on, the server's "+" must come
    // first, and the reply is acknowledged.
    std::optional<std::string> request(std::string_view payload) {
        send(payload);
        if (acks && !awaitAck()) return std::nullopt;
        return awaitPacket();
    }

    // The next "+" or "-"; false when something else or nothing came.
    bool awaitAck(char expected = '+') {
        const std::optional<char> byte = nextByte();
        return byte && *byte == expected;
    }

    // The next packet's payload (escapes undone), its checksum checked.
    std::optional<std::string> awaitPacket() {
        for (;;) {
            const std::optional<char> byte = nextByte();
            if (!byte) return std::nullopt;
            if (*byte != '$') continue;
            std::string raw;
            for (std::optional<char> c = nextByte(); c && *c != '#'; c = nextByte()) raw += *c;
            std::string sum;
            for (int i = 0; i < 2; ++i) {
                if (const std::optional<char> c = nextByte()) sum += *c;
            }
            const std::optional<std::string> sumByte = fromGdbHex(sum);
            EXPECT_TRUE(sumByte && static_cast<std::uint8_t>((*sumByte)[0]) == gdbChecksum(raw))
                << "bad checksum on " << raw;
            if (acks) sendRaw("+");
            return unescapeGdbBinary(raw);
        }
    }

    // True when nothing at all arrives within a few turns of the server.
    bool quiet() {
        for (int turn = 0; turn < 5; ++turn) {
            if (pump_) pump_();
            channel_.waitForInput(pump_ ? 0 : 20);
            char byte = 0;
            if (channel_.read({&byte, 1}) == 1) {
                pending_ += byte;
                return false;
            }
        }
        return pending_.empty();
    }

    bool acks = true;

  private:
    std::optional<char> nextByte() {
        if (!pending_.empty()) {
            const char byte = pending_.front();
            pending_.erase(0, 1);
            return byte;
        }
        for (int turn = 0; turn < patience_; ++turn) {
            char byte = 0;
            if (channel_.read({&byte, 1}) == 1) return byte;
            if (channel_.closed()) return std::nullopt;
            if (pump_) pump_();
            channel_.waitForInput(1);
        }
        return std::nullopt;
    }

    ByteChannel& channel_;
    std::function<void()> pump_;
    int patience_;
    std::string pending_;
};

}  // namespace vantorel::testing
