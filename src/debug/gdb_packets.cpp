#include "debug/gdb_packets.h"

#include <utility>

namespace vantorel {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool needsEscape(char c) {
    return c == '$' || c == '#' || c == '}' || c == '*';
}

}  // namespace

std::uint8_t gdbChecksum(std::string_view data) {
    unsigned sum = 0;
    for (const char c : data) sum += static_cast<unsigned char>(c);
    return static_cast<std::uint8_t>(sum & 0xFF);
}

std::string escapeGdbBinary(std::string_view data) {
    std::string escaped;
    escaped.reserve(data.size());
    for (const char c : data) {
        if (needsEscape(c)) {
            escaped += '}';
            escaped += static_cast<char>(c ^ 0x20);
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::optional<std::string> unescapeGdbBinary(std::string_view data) {
    std::string bytes;
    bytes.reserve(data.size());
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (data[i] != '}') {
            bytes += data[i];
            continue;
        }
        if (++i == data.size()) return std::nullopt;
        bytes += static_cast<char>(data[i] ^ 0x20);
    }
    return bytes;
}

std::string frameGdbPacket(std::string_view payload) {
    const std::string escaped = escapeGdbBinary(payload);
    const std::uint8_t sum = gdbChecksum(escaped);
    std::string packet;
    packet.reserve(escaped.size() + 4);
    packet += '$';
    packet += escaped;
    packet += '#';
    packet += kHexDigits[sum >> 4];
    packet += kHexDigits[sum & 0xF];
    return packet;
}

std::string toGdbHex(std::string_view bytes) {
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        hex += kHexDigits[byte >> 4];
        hex += kHexDigits[byte & 0xF];
    }
    return hex;
}

std::optional<std::string> fromGdbHex(std::string_view hex) {
    if (hex.size() % 2 != 0) return std::nullopt;
    std::string bytes;
    bytes.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = hexValue(hex[i]);
        const int low = hexValue(hex[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes += static_cast<char>(high * 16 + low);
    }
    return bytes;
}

std::optional<GdbInput> GdbPacketReader::take(char byte) {
    switch (where_) {
        case Where::between:
            if (byte == '$') {
                where_ = Where::payload;
                payload_.clear();
                tooLong_ = false;
            } else if (byte == '+') {
                return GdbInput{GdbInputKind::ack, {}};
            } else if (byte == '-') {
                return GdbInput{GdbInputKind::nack, {}};
            } else if (byte == kGdbInterrupt) {
                return GdbInput{GdbInputKind::interrupt, {}};
            }
            return std::nullopt;
        case Where::payload:
            if (byte == '#') {
                where_ = Where::checksumHigh;
            } else if (byte == '$') {
                // A new packet began before this one ended: this one is lost.
                payload_.clear();
                tooLong_ = false;
            } else if (payload_.size() < kGdbPacketSize) {
                payload_ += byte;
            } else {
                tooLong_ = true;
            }
            return std::nullopt;
        case Where::checksumHigh:
            checksumHigh_ = hexValue(byte);
            where_ = Where::checksumLow;
            return std::nullopt;
        case Where::checksumLow:
            break;
    }
    where_ = Where::between;
    const int low = hexValue(byte);
    const bool matches =
        checksumHigh_ >= 0 && low >= 0 && checksumHigh_ * 16 + low == gdbChecksum(payload_);
    if (!matches || tooLong_) {
        payload_.clear();
        return GdbInput{GdbInputKind::badPacket, {}};
    }
    return GdbInput{GdbInputKind::packet, std::exchange(payload_, {})};
}

}  // namespace vantorel
