#include "debug/gdb_server.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <optional>
#include <utility>

#include "hostapi/byte_channel.h"

namespace vantorel {

namespace {

constexpr std::string_view kTargetXml =
    "<?xml version=\"1.0\"?>\n"
    "<!DOCTYPE target SYSTEM \"gdb-target.dtd\">\n"
    "<target version=\"1.0\">\n"
    "  <architecture>z80</architecture>\n"
    "  <feature name=\"org.gnu.gdb.z80.cpu\">\n"
    "    <reg name=\"af\" bitsize=\"16\" type=\"int\"/>\n"
    "    <reg name=\"bc\" bitsize=\"16\" type=\"int\"/>\n"
    "    <reg name=\"de\" bitsize=\"16\" type=\"int\"/>\n"
    "    <reg name=\"hl\" bitsize=\"16\" type=\"int\"/>\n"
    "    <reg name=\"af'\" bitsize=\"16\" type=\"int\"/>\n"
    "    <reg name=\"bc'\" bitsize=\"16\" type=\"int\"/>\n"
    "    <reg name=\"de'\" bitsize=\"16\" type=\"int\"/>\n"
    "    <reg name=\"hl'\" bitsize=\"16\" type=\"int\"/>\n"
    "    <reg name=\"ix\" bitsize=\"16\" type=\"int\"/>\n"
    "    <reg name=\"iy\" bitsize=\"16\" type=\"int\"/>\n"
    "    <reg name=\"sp\" bitsize=\"16\" type=\"data_ptr\"/>\n"
    "    <reg name=\"pc\" bitsize=\"16\" type=\"code_ptr\"/>\n"
    "  </feature>\n"
    "</target>\n";

// The longest memory read one reply holds (two hex digits a byte).
constexpr std::size_t kLongestMemoryRead = (kGdbPacketSize - 16) / 2;
constexpr std::size_t kMemorySize = 0x10000;

const std::string kError = "E01";
const std::string kOk = "OK";

std::optional<std::uint32_t> parseHex(std::string_view text) {
    if (text.empty() || text.size() > 8) return std::nullopt;
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// "addr,length" with both in hex; the address within the 64K.
struct Range {
    std::uint32_t address = 0;
    std::uint32_t length = 0;
};

std::optional<Range> parseRange(std::string_view text) {
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos) return std::nullopt;
    const auto address = parseHex(text.substr(0, comma));
    const auto length = parseHex(text.substr(comma + 1));
    if (!address || !length || *address >= kMemorySize) return std::nullopt;
    return Range{*address, *length};
}

// A 16-bit value as GDB's packets carry it: low byte first.
std::string littleEndianHex(std::uint16_t value) {
    char text[5];
    std::snprintf(text, sizeof text, "%02x%02x", value & 0xFF, value >> 8);
    return text;
}

std::optional<std::uint16_t> fromLittleEndianHex(std::string_view hex) {
    const std::optional<std::string> bytes = fromGdbHex(hex);
    if (!bytes || bytes->size() != 2) return std::nullopt;
    return static_cast<std::uint16_t>(static_cast<unsigned char>((*bytes)[0]) |
                                      static_cast<unsigned char>((*bytes)[1]) << 8);
}

std::string hexByte(unsigned value) {
    char text[3];
    std::snprintf(text, sizeof text, "%02x", value & 0xFF);
    return text;
}

std::string hexWord(unsigned value) {
    char text[5];
    std::snprintf(text, sizeof text, "%04x", value & 0xFFFF);
    return text;
}

std::optional<GdbBreakKind> breakKind(char type) {
    switch (type) {
        case '0':
        case '1':
            return GdbBreakKind::execute;
        case '2':
            return GdbBreakKind::write;
        case '3':
            return GdbBreakKind::read;
        case '4':
            return GdbBreakKind::access;
        default:
            return std::nullopt;
    }
}

const char* watchName(GdbBreakKind kind) {
    switch (kind) {
        case GdbBreakKind::read:
            return "rwatch";
        case GdbBreakKind::access:
            return "awatch";
        case GdbBreakKind::write:
        case GdbBreakKind::execute:
            break;
    }
    return "watch";
}

}  // namespace

void GdbServer::receive(std::string_view bytes) {
    for (const char byte : bytes) {
        if (std::optional<GdbInput> input = reader_.take(byte)) take(*input);
        if (finished_) return;
    }
}

void GdbServer::take(const GdbInput& input) {
    switch (input.kind) {
        case GdbInputKind::packet:
            if (acks_) output_ += '+';
            handle(input.payload);
            break;
        case GdbInputKind::badPacket:
            if (acks_) output_ += '-';
            break;
        case GdbInputKind::nack:
            if (acks_) output_ += lastReply_;
            break;
        case GdbInputKind::interrupt:
            if (running_) stopped(target_.interrupt());
            break;
        case GdbInputKind::ack:
            break;
    }
}

void GdbServer::reply(std::string_view payload) {
    lastReply_ = frameGdbPacket(payload);
    output_ += lastReply_;
}

void GdbServer::stopped(const GdbStop& stop) {
    running_ = false;
    std::string text(1, 'T');
    text += hexByte(static_cast<unsigned>(stop.signal));
    switch (stop.reason) {
        case GdbStop::Reason::watchpoint:
            text += watchName(stop.watchKind);
            text += ':';
            text += hexWord(stop.address);
            text += ';';
            break;
        case GdbStop::Reason::historyStart:
            text += "replaylog:begin;";
            break;
        case GdbStop::Reason::breakpoint:
            if (swbreak_) text += "swbreak:;";
            break;
        case GdbStop::Reason::signal:
            break;
    }
    // PC rides along, saving the client a "p" or "g" after every stop.
    text += hexByte(gdbPC);
    text += ':';
    text += littleEndianHex(target_.readRegisters()[gdbPC]);
    text += ';';
    lastStop_ = text;
    reply(text);
}

void GdbServer::runSlice() {
    if (!running_ || finished_) return;
    if (const std::optional<GdbStop> stop = target_.runSlice()) stopped(*stop);
}

void GdbServer::resume(GdbResume how, std::string_view addressText) {
    if (!addressText.empty()) {
        const auto address = parseHex(addressText);
        if (!address || *address >= kMemorySize) {
            reply(kError);
            return;
        }
        GdbRegisters registers = target_.readRegisters();
        registers[gdbPC] = static_cast<std::uint16_t>(*address);
        target_.writeRegisters(registers);
    }
    target_.resume(how);
    running_ = true;
    // A step ends in its first slice; its reply goes out at once.
    if (how != GdbResume::forward && how != GdbResume::reverseContinue) runSlice();
}

void GdbServer::handle(std::string_view payload) {
    if (payload.empty()) {
        reply("");
        return;
    }
    const std::string_view args = payload.substr(1);
    switch (payload.front()) {
        case '?':
            reply(lastStop_);
            return;
        case 'g':
            reply(readRegisters());
            return;
        case 'G':
            reply(writeRegisters(args));
            return;
        case 'p':
            reply(readRegister(args));
            return;
        case 'P':
            reply(writeRegister(args));
            return;
        case 'm':
            reply(readMemory(args));
            return;
        case 'M':
            reply(writeMemory(args, false));
            return;
        case 'X':
            reply(writeMemory(args, true));
            return;
        case 'Z':
            reply(breakpoint(args, true));
            return;
        case 'z':
            reply(breakpoint(args, false));
            return;
        case 'c':
            resume(GdbResume::forward, args);
            return;
        case 's':
            resume(GdbResume::step, args);
            return;
        case 'b':
            if (args == "s") {
                resume(GdbResume::reverseStep, {});
            } else if (args == "c") {
                resume(GdbResume::reverseContinue, {});
            } else {
                reply("");
            }
            return;
        case 'k':
            // No reply: the session ends with the machine.
            if (running_) target_.interrupt();
            running_ = false;
            target_.kill();
            finished_ = true;
            return;
        case 'D':
            reply(kOk);
            if (running_) target_.interrupt();
            running_ = false;
            target_.detach();
            finished_ = true;
            return;
        case 'H':
        case 'T':
            reply(kOk);  // the one thread is every thread
            return;
        case 'q':
        case 'Q':
        case 'v':
            reply(query(payload));
            return;
        default:
            reply("");
            return;
    }
}

std::string GdbServer::readRegisters() {
    std::string hex;
    for (const std::uint16_t value : target_.readRegisters()) hex += littleEndianHex(value);
    return hex;
}

std::string GdbServer::writeRegisters(std::string_view hex) {
    if (hex.size() != kGdbRegisterCount * 4) return kError;
    GdbRegisters registers{};
    for (std::size_t i = 0; i < kGdbRegisterCount; ++i) {
        const auto value = fromLittleEndianHex(hex.substr(i * 4, 4));
        if (!value) return kError;
        registers[i] = *value;
    }
    target_.writeRegisters(registers);
    return kOk;
}

std::string GdbServer::readRegister(std::string_view args) {
    const auto index = parseHex(args);
    if (!index || *index >= kGdbRegisterCount) return kError;
    return littleEndianHex(target_.readRegisters()[*index]);
}

std::string GdbServer::writeRegister(std::string_view args) {
    const std::size_t equals = args.find('=');
    if (equals == std::string_view::npos) return kError;
    const auto index = parseHex(args.substr(0, equals));
    const auto value = fromLittleEndianHex(args.substr(equals + 1));
    if (!index || *index >= kGdbRegisterCount || !value) return kError;
    GdbRegisters registers = target_.readRegisters();
    registers[*index] = *value;
    target_.writeRegisters(registers);
    return kOk;
}

std::string GdbServer::readMemory(std::string_view args) {
    const std::optional<Range> range = parseRange(args);
    if (!range) return kError;
    // Up to the end of the 64K and what one reply holds.
    const std::size_t length =
        std::min<std::size_t>({range->length, kMemorySize - range->address, kLongestMemoryRead});
    std::string bytes(length, '\0');
    for (std::size_t i = 0; i < length; ++i) {
        bytes[i] = static_cast<char>(target_.peek(static_cast<std::uint16_t>(range->address + i)));
    }
    return toGdbHex(bytes);
}

std::string GdbServer::writeMemory(std::string_view args, bool binary) {
    const std::size_t colon = args.find(':');
    if (colon == std::string_view::npos) return kError;
    const std::optional<Range> range = parseRange(args.substr(0, colon));
    const std::string_view data = args.substr(colon + 1);
    const std::optional<std::string> bytes = binary ? unescapeGdbBinary(data) : fromGdbHex(data);
    if (!range || !bytes || bytes->size() != range->length ||
        range->address + range->length > kMemorySize) {
        return kError;
    }
    for (std::size_t i = 0; i < bytes->size(); ++i) {
        target_.poke(static_cast<std::uint16_t>(range->address + i),
                     static_cast<std::uint8_t>((*bytes)[i]));
    }
    return kOk;
}

// "type,addr,kind" (kind: the breakpoint's size, or the watched length);
// conditions after ";" are not taken, and GDB evaluates its own.
std::string GdbServer::breakpoint(std::string_view args, bool insert) {
    if (args.size() < 2 || args[1] != ',') return kError;
    const std::optional<GdbBreakKind> kind = breakKind(args[0]);
    if (!kind) return "";
    std::string_view rest = args.substr(2);
    rest = rest.substr(0, rest.find(';'));
    const std::optional<Range> range = parseRange(rest);
    if (!range) return kError;
    const auto length = static_cast<std::uint16_t>(std::min<std::uint32_t>(
        std::max<std::uint32_t>(range->length, 1), kMemorySize - range->address));
    const auto address = static_cast<std::uint16_t>(range->address);
    const bool done = insert ? target_.insertBreakpoint(*kind, address, length)
                             : target_.removeBreakpoint(*kind, address, length);
    return done ? kOk : kError;
}

std::string GdbServer::query(std::string_view payload) {
    if (payload.starts_with("qSupported")) return supported(payload);
    if (payload == "QStartNoAckMode") {
        // This packet was acknowledged already; nothing after it is.
        acks_ = false;
        return kOk;
    }
    if (payload.starts_with("qXfer:features:read:")) return features(payload.substr(20));
    if (payload.starts_with("qRcmd,")) return monitor(payload.substr(6));
    if (payload == "qAttached") return "1";
    if (payload == "qC") return "QC1";
    if (payload == "qfThreadInfo") return "m1";
    if (payload == "qsThreadInfo") return "l";
    if (payload == "vCont?") return "";
    return "";
}

std::string GdbServer::supported(std::string_view features) {
    swbreak_ = features.find("swbreak+") != std::string_view::npos;
    char size[16];
    std::snprintf(size, sizeof size, "%zx", kGdbPacketSize);
    std::string text = std::string("PacketSize=") + size +
                       ";qXfer:features:read+;ReverseStep+;ReverseContinue+;QStartNoAckMode+";
    if (swbreak_) text += ";swbreak+";
    return text;
}

// "target.xml:offset,length": that part of the description, "m" before
// more, "l" for the last part.
std::string GdbServer::features(std::string_view args) {
    const std::size_t colon = args.find(':');
    if (colon == std::string_view::npos || args.substr(0, colon) != "target.xml") return "E00";
    const std::size_t comma = args.find(',', colon);
    if (comma == std::string_view::npos) return kError;
    const auto offset = parseHex(args.substr(colon + 1, comma - colon - 1));
    const auto length = parseHex(args.substr(comma + 1));
    if (!offset || !length) return kError;
    if (*offset >= kTargetXml.size()) return "l";
    const std::size_t room = std::min<std::size_t>(*length, kGdbPacketSize / 2);
    const std::string_view part = kTargetXml.substr(*offset, room);
    const bool last = *offset + part.size() >= kTargetXml.size();
    std::string text(1, last ? 'l' : 'm');
    text += part;
    return text;
}

std::string GdbServer::monitor(std::string_view hex) {
    const std::optional<std::string> command = fromGdbHex(hex);
    if (!command) return kError;
    const std::string output = target_.monitorCommand(*command);
    return output.empty() ? kOk : toGdbHex(output);
}

bool GdbServer::serve(ByteChannel& channel) {
    char buffer[4096];
    for (;;) {
        const std::size_t count = channel.read(buffer);
        if (count == 0) break;
        receive({buffer, count});
        if (finished_) break;
    }
    runSlice();
    const std::string bytes = takeOutput();
    if (!bytes.empty()) channel.write(bytes);
    if (channel.closed() && !finished_) {
        // The client went away without a word: the machine runs on.
        if (running_) target_.interrupt();
        running_ = false;
        target_.detach();
        finished_ = true;
    }
    return !finished_;
}

}  // namespace vantorel
