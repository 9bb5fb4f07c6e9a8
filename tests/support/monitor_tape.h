// The built-in monitor's tape file format, written and read independently of
// the monitor so that tests can make tapes for LO and check what SA records:
// a leader of 00 bytes ending in 01, a 16-byte header (name, 55, type,
// length, load address, go address, three 00 bytes) and its check byte, and
// the data in 256-byte blocks, each followed by its check byte. A block's
// check byte makes its bytes, the check byte and its size add up to 0.
//
//   auto tape = monitorTapeFile({"GAME", 0x00, 0x1000, 0x1000}, data);
//   std::vector<TapeFile> files = readMonitorTape(recordedBytes);
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vantorel::testing {

struct TapeHeader {
    std::string name;  // up to 5 characters, padded with spaces on tape
    std::uint8_t type = 0;
    std::uint16_t load = 0;
    std::uint16_t go = 0;
};

struct TapeFile {
    TapeHeader header;
    std::vector<std::uint8_t> data;
    bool checksGood = true;  // every check byte, header and blocks
};

inline std::uint8_t tapeCheckByte(std::span<const std::uint8_t> block) {
    unsigned sum = static_cast<unsigned>(block.size());
    for (std::uint8_t byte : block) sum += byte;
    return static_cast<std::uint8_t>(-sum);
}

inline void appendTapeBlock(std::vector<std::uint8_t>& tape, std::span<const std::uint8_t> block) {
    tape.insert(tape.end(), block.begin(), block.end());
    tape.push_back(tapeCheckByte(block));
}

// One file as the monitor's SA writes it, with `leaderBytes` 00 bytes first.
inline std::vector<std::uint8_t> monitorTapeFile(const TapeHeader& header,
                                                 std::span<const std::uint8_t> data,
                                                 std::size_t leaderBytes = 80) {
    std::vector<std::uint8_t> tape(leaderBytes, 0x00);
    tape.push_back(0x01);
    std::vector<std::uint8_t> head(16, 0x00);
    for (std::size_t i = 0; i < 5; ++i) {
        head[i] = i < header.name.size() ? static_cast<std::uint8_t>(header.name[i]) : ' ';
    }
    const auto length = static_cast<std::uint16_t>(data.size());
    const std::uint16_t words[] = {length, header.load, header.go};
    head[5] = 0x55;
    head[6] = header.type;
    for (std::size_t i = 0; i < 3; ++i) {
        head[7 + 2 * i] = static_cast<std::uint8_t>(words[i] & 0xFF);
        head[8 + 2 * i] = static_cast<std::uint8_t>(words[i] >> 8);
    }
    appendTapeBlock(tape, head);
    for (std::size_t start = 0; start < data.size(); start += 256) {
        appendTapeBlock(tape, data.subspan(start, std::min<std::size_t>(256, data.size() - start)));
    }
    return tape;
}

// Every file on a tape of UART bytes, found by its leader (at least 8 00
// bytes, then 01). Stops at the first file that runs past the end.
inline std::vector<TapeFile> readMonitorTape(std::span<const std::uint8_t> tape) {
    std::vector<TapeFile> files;
    std::size_t at = 0;
    std::size_t zeros = 0;
    const auto block = [&](std::size_t size, std::vector<std::uint8_t>& out) {
        if (tape.size() - at < size + 1) return false;
        const auto bytes = tape.subspan(at, size);
        out.insert(out.end(), bytes.begin(), bytes.end());
        const bool good = tape[at + size] == tapeCheckByte(bytes);
        at += size + 1;
        if (!good) files.back().checksGood = false;
        return true;
    };
    while (at < tape.size()) {
        const std::uint8_t byte = tape[at++];
        if (byte == 0x00) {
            ++zeros;
            continue;
        }
        const bool leaderEnds = byte == 0x01 && zeros >= 8;
        zeros = 0;
        if (!leaderEnds) continue;
        files.emplace_back();
        std::vector<std::uint8_t> head;
        if (!block(16, head)) break;
        TapeFile& file = files.back();
        file.header.name.assign(head.begin(), head.begin() + 5);
        file.header.type = head[6];
        const auto word = [&](std::size_t i) {
            return static_cast<std::uint16_t>(head[i] | head[i + 1] << 8);
        };
        file.header.load = word(9);
        file.header.go = word(11);
        if (head[5] != 0x55 || head[13] != 0 || head[14] != 0 || head[15] != 0)
            file.checksGood = false;
        std::size_t length = word(7);
        while (length > 0) {
            const std::size_t size = std::min<std::size_t>(256, length);
            if (!block(size, file.data)) return files;
            length -= size;
        }
    }
    return files;
}

}  // namespace vantorel::testing
