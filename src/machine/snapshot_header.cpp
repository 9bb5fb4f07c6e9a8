#include "machine/snapshot_header.h"

namespace vantorel {

namespace {

std::uint32_t word(std::span<const std::uint8_t, 28> header, std::size_t offset) {
    return header[offset] | (std::uint32_t{header[offset + 1]} << 8);
}

std::uint32_t interruptMode(std::uint8_t stored) {
    return stored <= 1 ? stored : 2;
}

void putWord(std::array<std::uint8_t, 28>& header, std::size_t offset, std::uint32_t value) {
    header[offset] = static_cast<std::uint8_t>(value & 0xFF);
    header[offset + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

}  // namespace

void applySnapshotHeader(std::span<const std::uint8_t, 28> header, Z80State& state) {
    state.I = header[0];
    state.altHL = word(header, 1);
    state.altDE = word(header, 3);
    state.altBC = word(header, 5);
    state.altAF = word(header, 7);
    state.HL = word(header, 9);
    state.DE = word(header, 11);
    state.BC = word(header, 13);
    state.IX = word(header, 15);
    state.IY = word(header, 17);
    state.IFF1 = (header[19] >> 1) & 1u;
    state.IFF2 = (header[19] >> 2) & 1u;
    state.R = header[20];
    state.AF = word(header, 21);
    state.SP = word(header, 23);
    state.IM = interruptMode(header[25]);
    state.PC = word(header, 26);
}

std::array<std::uint8_t, 28> makeSnapshotHeader(const Z80State& state) {
    std::array<std::uint8_t, 28> header{};
    header[0] = static_cast<std::uint8_t>(state.I & 0xFF);
    putWord(header, 1, state.altHL);
    putWord(header, 3, state.altDE);
    putWord(header, 5, state.altBC);
    putWord(header, 7, state.altAF);
    putWord(header, 9, state.HL);
    putWord(header, 11, state.DE);
    putWord(header, 13, state.BC);
    putWord(header, 15, state.IX);
    putWord(header, 17, state.IY);
    header[19] = static_cast<std::uint8_t>(((state.IFF1 & 1u) << 1) | ((state.IFF2 & 1u) << 2));
    header[20] = static_cast<std::uint8_t>((state.R & 0x7F) | (state.rBit7 & 0x80));
    putWord(header, 21, state.AF);
    putWord(header, 23, state.SP);
    header[25] = static_cast<std::uint8_t>(state.IM <= 1 ? state.IM : 2);
    putWord(header, 26, state.PC);
    return header;
}

}  // namespace vantorel
