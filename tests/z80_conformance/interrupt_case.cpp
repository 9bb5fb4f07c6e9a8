#include "interrupt_case.h"

#include <cstdio>

namespace vantorel::conformance {

namespace {

constexpr std::uint16_t kNmiAddress = 0x0066;
constexpr std::uint16_t kMode1Address = 0x0038;
constexpr std::uint8_t kCallOpcode = 0xCD;
constexpr std::uint8_t kJumpOpcode = 0xC3;

struct Range {
    std::uint16_t start;
    int length;
};

bool overlaps(Range a, Range b) {
    const int distanceAB = static_cast<std::uint16_t>(b.start - a.start);
    const int distanceBA = static_cast<std::uint16_t>(a.start - b.start);
    return distanceAB < a.length || distanceBA < b.length;
}

std::uint8_t low(std::uint32_t value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}
std::uint8_t high(std::uint32_t value) {
    return static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

// Sets the request of a maskable interrupt in the processor's mode and
// returns where it leads.
std::uint16_t chooseMaskableRequest(CaseGenerator& generator, InterruptCase& c) {
    const auto target = static_cast<std::uint16_t>(generator.random64() >> 48);
    switch (c.start.im) {
        case 0: {
            const unsigned form = static_cast<unsigned>(generator.random64() % 5);
            if (form < 3) {  // an RST on the bus
                const auto opcode =
                    static_cast<std::uint8_t>(0xC7 | (generator.randomByte() & 0x38));
                c.irqVector = opcode;
                c.busBytes = {opcode, 0, 0};
                c.busByteCount = 1;
                return opcode & 0x38;
            }
            const std::uint8_t opcode = form == 3 ? kCallOpcode : kJumpOpcode;
            c.irqVector = (static_cast<std::uint32_t>(opcode) << 16) | target;
            c.busBytes = {opcode, low(target), high(target)};
            c.busByteCount = 3;
            return target;
        }
        case 1:
            c.irqVector = static_cast<std::uint32_t>(generator.random64() & 0xFFFFFF);
            c.busByteCount = 0;
            return kMode1Address;
        default: {
            const std::uint8_t vector = generator.randomByte();
            c.irqVector = (static_cast<std::uint32_t>(generator.randomByte()) << 8) | vector;
            c.busBytes = {vector, 0, 0};
            c.busByteCount = 1;
            c.writesVector = true;
            c.vectorAddress = static_cast<std::uint16_t>((c.start.i << 8) | vector);
            return target;
        }
    }
}

bool pushesOnAcceptance(const InterruptCase& c) {
    return c.nonMaskable || c.start.im != 0 || c.busBytes[0] != kJumpOpcode;
}

// The code, the HALT, the vector entry and the pushed return address must
// not overlap, so that each processor sees the layout intended.
bool layoutFits(const InterruptCase& c) {
    Range ranges[4];
    int count = 0;
    ranges[count++] = {c.code.start.pc, ConformanceCase::kByteCount};
    if (c.haltedFirst) ranges[count++] = {c.start.pc, 1};
    if (c.writesVector) ranges[count++] = {c.vectorAddress, 2};
    if (!c.waits && pushesOnAcceptance(c)) {
        ranges[count++] = {static_cast<std::uint16_t>(c.start.sp - 2), 2};
    }
    for (int a = 0; a < count; ++a) {
        for (int b = a + 1; b < count; ++b) {
            if (overlaps(ranges[a], ranges[b])) return false;
        }
    }
    return true;
}

bool isEiAt(const ConformanceCase& code, int offset) {
    return code.bytes[static_cast<std::size_t>(offset)] == 0xFB;
}

}  // namespace

InterruptCase makeInterruptCase(CaseGenerator& generator) {
    for (;;) {
        InterruptCase c;
        c.code = generator.nextWithInterruptsOff();
        c.start = c.code.start;
        const std::uint64_t bits = generator.random64();
        c.nonMaskable = (bits & 3) == 0;
        // A maskable request usually finds interrupts on; otherwise it waits.
        c.start.iff1 = c.nonMaskable ? c.start.iff1 : ((bits >> 2) & 7) != 0;
        c.waits = !c.nonMaskable && !c.start.iff1;
        c.haltedFirst = !c.waits && ((bits >> 5) & 1);
        const std::uint16_t target =
            c.nonMaskable ? kNmiAddress : chooseMaskableRequest(generator, c);
        if (c.waits) {
            // The code runs at PC first. An EI there followed by another EI
            // is left out: our EI lets the request in after the second EI,
            // the silicon only after the instruction that follows it.
            c.code.start.pc = c.start.pc;
            if (isEiAt(c.code, 0) && isEiAt(c.code, 1)) continue;
        } else {
            c.code.start.pc = target;
        }
        if (layoutFits(c)) return c;
    }
}

std::string describeRequest(const InterruptCase& c) {
    char text[64];
    if (c.nonMaskable) {
        std::snprintf(text, sizeof text, "NMI");
    } else if (c.start.im == 0 && c.busByteCount == 3) {
        std::snprintf(text, sizeof text, "IM 0 %s %02X%02X",
                      c.busBytes[0] == kCallOpcode ? "CALL" : "JP", c.busBytes[2], c.busBytes[1]);
    } else {
        std::snprintf(text, sizeof text, "IM %u request %06X", c.start.im, c.irqVector);
    }
    std::string result = text;
    if (c.haltedFirst) result += " while halted";
    if (c.waits) result += " with interrupts off";
    return result;
}

}  // namespace vantorel::conformance
