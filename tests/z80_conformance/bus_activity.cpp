#include "bus_activity.h"

#include <cstdio>

namespace vantorel::conformance {

std::string describe(const BusActivity& activity) {
    std::string text;
    for (int index = 0; index < activity.count; ++index) {
        const BusAccess& access = activity.accesses[static_cast<std::size_t>(index)];
        const char* kind = access.kind == AccessKind::MemoryWrite ? "W"
                           : access.kind == AccessKind::PortRead  ? "IN"
                                                                  : "OUT";
        char entry[32];
        std::snprintf(entry, sizeof entry, "%s%s %04X=%02X", index ? ", " : "", kind,
                      access.address, access.value);
        text += entry;
    }
    if (activity.overflow) text += " (more not recorded)";
    return text.empty() ? "none" : text;
}

std::uint8_t portValueFor(std::uint32_t salt, std::uint16_t port) {
    std::uint32_t mixed = (salt ^ port) * 0x9E3779B1u;
    mixed ^= mixed >> 15;
    return static_cast<std::uint8_t>(mixed >> 8);
}

}  // namespace vantorel::conformance
