// What one instruction did on the bus that the differential test compares:
// memory writes and port accesses in the order they happened, kept in a
// fixed array so recording costs no allocation per instruction. Filled by
// both the bus of our core and the libz80ex callbacks.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace vantorel::conformance {

enum class AccessKind : std::uint8_t { MemoryWrite, PortRead, PortWrite };

struct BusAccess {
    AccessKind kind = AccessKind::MemoryWrite;
    std::uint16_t address = 0;  // memory address or 16-bit port address
    std::uint8_t value = 0;     // byte written or read

    bool operator==(const BusAccess&) const = default;
};

struct BusActivity {
    static constexpr int kCapacity = 16;  // far more than one instruction makes
    std::array<BusAccess, kCapacity> accesses{};
    int count = 0;          // entries used
    bool overflow = false;  // more accesses than kCapacity happened

    void add(AccessKind kind, std::uint16_t address, std::uint8_t value) {
        if (count == kCapacity) {
            overflow = true;
            return;
        }
        accesses[static_cast<std::size_t>(count++)] = {kind, address, value};
    }
    void clear() {
        count = 0;
        overflow = false;
    }
};

// "W 1234=56, IN FE12=FF, OUT 00FE=01".
std::string describe(const BusActivity& activity);

// What IN reads from a port during one test case: a mix of the case's salt
// and the port address, so that both processors see the same bytes.
std::uint8_t portValueFor(std::uint32_t salt, std::uint16_t port);

}  // namespace vantorel::conformance
