#include "timeline/packed_state.h"

#include <lz4.h>

#include <cstring>
#include <memory>

namespace vantorel {

namespace {

constexpr int kRecordBytes = static_cast<int>(sizeof(MachineState));

using RecordBytes = std::unique_ptr<std::uint8_t[]>;

RecordBytes recordBytes() {
    return RecordBytes{new std::uint8_t[sizeof(MachineState)]};
}

const std::uint8_t* bytesOf(const MachineState& state) {
    return reinterpret_cast<const std::uint8_t*>(&state);
}

}  // namespace

PackedState packState(const MachineState& state, const MachineState* base) {
    RecordBytes plain = recordBytes();
    const std::uint8_t* from = bytesOf(state);
    if (base != nullptr) {
        const std::uint8_t* other = bytesOf(*base);
        for (int i = 0; i < kRecordBytes; ++i) plain[i] = from[i] ^ other[i];
    } else {
        std::memcpy(plain.get(), from, sizeof(MachineState));
    }
    PackedState packed(static_cast<std::size_t>(LZ4_compressBound(kRecordBytes)));
    const int size = LZ4_compress_default(reinterpret_cast<const char*>(plain.get()),
                                          reinterpret_cast<char*>(packed.data()), kRecordBytes,
                                          static_cast<int>(packed.size()));
    packed.resize(static_cast<std::size_t>(size > 0 ? size : 0));
    packed.shrink_to_fit();
    return packed;
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
    if (base != nullptr) {
        const std::uint8_t* other = bytesOf(*base);
        for (int i = 0; i < kRecordBytes; ++i) plain[i] ^= other[i];
    }
    std::memcpy(static_cast<void*>(&out), plain.get(), sizeof(MachineState));
    return true;
}

}  // namespace vantorel
