// Builds .SNP snapshot files for tests: a 28-byte register header (each
// field written at its own offset) followed by 64K of memory.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

namespace vantorel::testing {

struct SnapshotBuilder {
    std::array<std::uint8_t, 28> header{};
    std::vector<std::uint8_t> memory = std::vector<std::uint8_t>(65536, 0);

    void putWord(std::size_t offset, std::uint16_t value) {
        header[offset] = static_cast<std::uint8_t>(value & 0xFF);
        header[offset + 1] = static_cast<std::uint8_t>(value >> 8);
    }
    SnapshotBuilder& i(std::uint8_t value) {
        header[0] = value;
        return *this;
    }
    SnapshotBuilder& altHL(std::uint16_t value) {
        putWord(1, value);
        return *this;
    }
    SnapshotBuilder& altDE(std::uint16_t value) {
        putWord(3, value);
        return *this;
    }
    SnapshotBuilder& altBC(std::uint16_t value) {
        putWord(5, value);
        return *this;
    }
    SnapshotBuilder& altAF(std::uint16_t value) {
        putWord(7, value);
        return *this;
    }
    SnapshotBuilder& hl(std::uint16_t value) {
        putWord(9, value);
        return *this;
    }
    SnapshotBuilder& de(std::uint16_t value) {
        putWord(11, value);
        return *this;
    }
    SnapshotBuilder& bc(std::uint16_t value) {
        putWord(13, value);
        return *this;
    }
    SnapshotBuilder& ix(std::uint16_t value) {
        putWord(15, value);
        return *this;
    }
    SnapshotBuilder& iy(std::uint16_t value) {
        putWord(17, value);
        return *this;
    }
    SnapshotBuilder& flipFlops(std::uint8_t value) {
        header[19] = value;
        return *this;
    }
    SnapshotBuilder& r(std::uint8_t value) {
        header[20] = value;
        return *this;
    }
    SnapshotBuilder& af(std::uint16_t value) {
        putWord(21, value);
        return *this;
    }
    SnapshotBuilder& sp(std::uint16_t value) {
        putWord(23, value);
        return *this;
    }
    SnapshotBuilder& im(std::uint8_t value) {
        header[25] = value;
        return *this;
    }
    SnapshotBuilder& pc(std::uint16_t value) {
        putWord(26, value);
        return *this;
    }

    void put(std::uint16_t address, const std::vector<std::uint8_t>& bytes) {
        for (std::uint8_t byte : bytes) memory[address++] = byte;
    }

    std::vector<std::uint8_t> bytes() const {
        std::vector<std::uint8_t> file(header.begin(), header.end());
        file.insert(file.end(), memory.begin(), memory.end());
        return file;
    }

    void write(const std::filesystem::path& path) const { writeFile(path, bytes()); }

    static void writeFile(const std::filesystem::path& path,
                          const std::vector<std::uint8_t>& data) {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data.data()),
                   static_cast<std::streamsize>(data.size()));
    }
};

}  // namespace vantorel::testing
