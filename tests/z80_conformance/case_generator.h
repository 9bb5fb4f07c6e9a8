// Deterministic random test cases for the differential test: the opcode
// bytes placed at PC (optionally behind dropped DD/FD prefixes), random
// registers biased towards edge values, and the salt of what IN reads.
// The same seed always gives the same cases, on every platform.
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <string>

#include "cpu_snapshot.h"
#include "instruction_shape.h"

namespace vantorel::conformance {

struct ConformanceCase {
    static constexpr int kByteCount = 24;
    std::array<std::uint8_t, kByteCount> bytes{};  // placed at start.pc upward (wrapping)
    CpuSnapshot start;                             // registers before the run
    std::uint32_t portSalt = 0;                    // seeds what IN reads (portValueFor)

    RunShape shape() const { return shapeOfRun(bytes.data(), kByteCount, start.iff1 != 0); }
};

// "DD CB 05 46 ..." for the bytes the run uses.
std::string describeBytes(const ConformanceCase& testCase);

class CaseGenerator {
  public:
    explicit CaseGenerator(std::uint64_t seed) : random_(seed) {}

    // An instruction from a random page (the weights favour the big pages),
    // sometimes behind one to three dropped prefixes.
    ConformanceCase next();
    // An instruction that ends in `page` with handler `opcode` there.
    ConformanceCase nextFor(Page page, std::uint8_t opcode);
    // Two to four DD/FD bytes in a row before a random instruction.
    ConformanceCase nextPrefixChain();
    // An instruction with IFF1 clear (as after an interrupt was accepted)
    // that is neither a dropped prefix nor a zero-cost ED opcode.
    ConformanceCase nextWithInterruptsOff();

    std::uint64_t random64() { return random_(); }
    std::uint8_t randomByte() { return static_cast<std::uint8_t>(random_() >> 56); }

  private:
    Page randomPage();
    CpuSnapshot randomRegisters();
    std::uint16_t randomWord();
    int placeInstruction(ConformanceCase& testCase, int at, Page page, std::uint8_t opcode);
    void placeJunkPrefixes(ConformanceCase& testCase, int count);
    bool completeRun(ConformanceCase& testCase);
    ConformanceCase build(Page page, std::uint8_t opcode, int junkPrefixes,
                          bool interruptsOff = false);

    std::mt19937_64 random_;  // fixed algorithm, so cases repeat everywhere
};

}  // namespace vantorel::conformance
