#include "machine/snapshot_header.h"

namespace vantorel {

namespace {

std::uint32_t word(std::span<const std::uint8_t, 28> header, std::size_t offset) {
    return header[offset] | (std::uint32_t{header[offset + 1]} << 8);
}

std::uint32_t interruptMode(std::uint8_t stored) {
    return stored <= 1 ? stored : 2;
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

}  // namespace vantorel
