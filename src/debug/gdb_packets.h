// The framing of GDB's remote serial protocol, without any meaning.
//
// A packet travels as "$" payload "#" and two hex digits of the payload's
// byte sum modulo 256. The receiver answers "+" (taken) or "-" (send it
// again) until both sides agree to drop the acknowledgements
// (QStartNoAckMode). A lone 0x03 byte between packets is the client's
// Ctrl-C: stop the running program. Within a payload "}" escapes the next
// byte (the byte XOR 0x20); we escape "$", "#", "}" and "*" in everything we
// send, which also keeps any "*" from reading as GDB's run-length encoding
// (which we never send). Used by the GDB server (gdb_server.h) and the
// tests' client.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantorel {

// The largest payload we take or send, in bytes (advertised as PacketSize).
inline constexpr std::size_t kGdbPacketSize = 0x4000;
inline constexpr char kGdbInterrupt = 0x03;

// The byte sum of `data` modulo 256.
std::uint8_t gdbChecksum(std::string_view data);

// "$" + the escaped payload + "#" + its checksum.
std::string frameGdbPacket(std::string_view payload);

// `data` with "$", "#", "}" and "*" escaped as "}" followed by the byte XOR 0x20.
std::string escapeGdbBinary(std::string_view data);
// The escapes undone; nothing when an escape has no byte after it.
std::optional<std::string> unescapeGdbBinary(std::string_view data);

// Two lower-case hex digits per byte, and back (nothing for an odd length or
// a character that is not a hex digit).
std::string toGdbHex(std::string_view bytes);
std::optional<std::string> fromGdbHex(std::string_view hex);

// What arrived: a whole packet (its payload, escapes left in), an
// acknowledgement, a request to send again, Ctrl-C, or a packet whose
// checksum did not match or that was too long (to be answered "-").
enum class GdbInputKind { packet, ack, nack, interrupt, badPacket };

struct GdbInput {
    GdbInputKind kind = GdbInputKind::packet;
    std::string payload;  // for `packet` only
};

// Splits the client's byte stream into inputs, whatever pieces it arrives in.
// Bytes between packets other than "+", "-" and 0x03 are ignored.
class GdbPacketReader {
  public:
    // Takes one byte; an input when the byte completed one.
    std::optional<GdbInput> take(char byte);

  private:
    enum class Where { between, payload, checksumHigh, checksumLow };
    Where where_ = Where::between;
    std::string payload_;
    bool tooLong_ = false;
    int checksumHigh_ = 0;
};

}  // namespace vantorel
