// Little-endian bytes written and read back with bounds checked: the
// save-state and movie files. A read past the end (or a block longer than
// allowed) makes the reader not ok() and gives zeros from then on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace vantorel {

class ByteWriter {
  public:
    std::vector<std::uint8_t> bytes;
    void raw(const void* data, std::size_t size) {
        const auto* from = static_cast<const std::uint8_t*>(data);
        bytes.insert(bytes.end(), from, from + size);
    }
    void u8(std::uint8_t value) { bytes.push_back(value); }
    void u32(std::uint32_t value) {
        for (int i = 0; i < 4; ++i) u8(static_cast<std::uint8_t>(value >> (8 * i)));
    }
    void u64(std::uint64_t value) {
        for (int i = 0; i < 8; ++i) u8(static_cast<std::uint8_t>(value >> (8 * i)));
    }
    void block(std::span<const std::uint8_t> data) {
        u32(static_cast<std::uint32_t>(data.size()));
        raw(data.data(), data.size());
    }
};

class ByteReader {
  public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    bool ok() const { return ok_; }
    std::size_t at() const { return at_; }
    const std::uint8_t* take(std::size_t size) {
        if (!ok_ || size > bytes_.size() - at_) {
            ok_ = false;
            return nullptr;
        }
        const std::uint8_t* from = bytes_.data() + at_;
        at_ += size;
        return from;
    }
    std::uint8_t u8() {
        const std::uint8_t* from = take(1);
        return from != nullptr ? *from : 0;
    }
    std::uint32_t u32() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value |= std::uint32_t{u8()} << (8 * i);
        return value;
    }
    std::uint64_t u64() {
        std::uint64_t value = 0;
        for (int i = 0; i < 8; ++i) value |= std::uint64_t{u8()} << (8 * i);
        return value;
    }
    std::span<const std::uint8_t> block(std::size_t most) {
        const std::uint32_t size = u32();
        if (size > most) ok_ = false;
        const std::uint8_t* from = take(size);
        return from != nullptr ? std::span<const std::uint8_t>(from, size)
                               : std::span<const std::uint8_t>();
    }

  private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

}  // namespace vantorel
