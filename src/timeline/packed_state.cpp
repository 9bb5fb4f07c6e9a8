#include "timeline/packed_state.h"

#include <lz4.h>

#include <cstring>
#include <memory>

namespace vantorel {

namespace {

constexpr int kRecordBytes = static_cast<int>(sizeof(MachineState));
// LZ4's acceleration: the difference of two records with 32K of RAM
// rewritten with noise packs eight times as fast as at 1, for about two
// thirds more bytes; the zeros of a usual difference pack as small either
// way.
constexpr int kAcceleration = 32;

using RecordBytes = std::unique_ptr<std::uint8_t[]>;

// Left uninitialised: every byte is written before it is read.
RecordBytes recordBytes() {
    return RecordBytes{new std::uint8_t[sizeof(MachineState)]};
}

const std::uint8_t* bytesOf(const MachineState& state) {
    return reinterpret_cast<const std::uint8_t*>(&state);
}

// to = a ^ b over the record, eight bytes at a time.
void xorRecords(const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* to) {
    std::size_t i = 0;
    for (; i + 8 <= sizeof(MachineState); i += 8) {
        std::uint64_t x = 0;
        std::uint64_t y = 0;
        std::memcpy(&x, a + i, 8);
        std::memcpy(&y, b + i, 8);
        x ^= y;
        std::memcpy(to + i, &x, 8);
    }
    for (; i < sizeof(MachineState); ++i) to[i] = static_cast<std::uint8_t>(a[i] ^ b[i]);
}

}  // namespace

PackedState packState(const MachineState& state, const MachineState* base) {
    const std::uint8_t* plain = bytesOf(state);
    RecordBytes difference;
    if (base != nullptr) {
        difference = recordBytes();
        xorRecords(plain, bytesOf(*base), difference.get());
        plain = difference.get();
    }
    const int bound = LZ4_compressBound(kRecordBytes);
    const std::unique_ptr<std::uint8_t[]> packed{new std::uint8_t[static_cast<std::size_t>(bound)]};
    const int size = LZ4_compress_fast(reinterpret_cast<const char*>(plain),
                                       reinterpret_cast<char*>(packed.get()), kRecordBytes, bound,
                                       kAcceleration);
    return PackedState(packed.get(), packed.get() + (size > 0 ? size : 0));
}

bool unpackState(std::span<const std::uint8_t> packed, const MachineState* base,
                 MachineState& out) {
    if (packed.empty() ||
        packed.size() > static_cast<std::size_t>(LZ4_compressBound(kRecordBytes))) {
        return false;
    }
    RecordBytes plain = recordBytes();
    const int size = LZ4_decompress_safe(reinterpret_cast<const char*>(packed.data()),
                                         reinterpret_cast<char*>(plain.get()),
                                         static_cast<int>(packed.size()), kRecordBytes);
    if (size != kRecordBytes) return false;
    if (base != nullptr) xorRecords(plain.get(), bytesOf(*base), plain.get());
    std::memcpy(static_cast<void*>(&out), plain.get(), sizeof(MachineState));
    return true;
}

}  // namespace vantorel
