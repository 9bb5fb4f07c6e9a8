// Differential test: our Z80 core against libz80ex over every opcode page,
// prefix chains and a million random instructions with random registers and
// memory. Each case is one run of runZ80 with a budget of 1 (one costed step,
// after any zero-cost steps), so the idle-loop shortcut and HALT's budget cut
// never change the cycles returned. Failures name the seed and the case
// number; CaseGenerator(seed) replays the same cases.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "case_generator.h"
#include "differential_runner.h"
#include "interrupt_case.h"

namespace vantorel::conformance {
namespace {

constexpr int kMemoryRefreshInterval = 4096;  // cases between new random memory
constexpr int kReportedFailures = 8;          // full reports per test; the rest counted

// Runs `count` cases from `makeCase` and reports the first few failures.
void runCases(std::uint64_t seed, int count,
              const std::function<ConformanceCase(CaseGenerator&, int)>& makeCase) {
    CaseGenerator generator(seed);
    DifferentialRunner runner;
    int failures = 0;
    for (int index = 0; index < count; ++index) {
        if (index % kMemoryRefreshInterval == 0) runner.randomizeMemory(generator.random64());
        const ConformanceCase testCase = makeCase(generator, index);
        const std::string report = runner.run(testCase);
        if (report.empty()) continue;
        if (++failures <= kReportedFailures) {
            ADD_FAILURE() << "seed 0x" << std::hex << seed << std::dec << ", case " << index << ": "
                          << report;
        }
    }
    EXPECT_EQ(failures, 0) << "cases differing from libz80ex (seed 0x" << std::hex << seed << ")";
}

// Every opcode of a page, `perOpcode` times with fresh registers and memory.
void sweepPage(std::uint64_t seed, Page page, int perOpcode) {
    runCases(seed, 256 * perOpcode, [page, perOpcode](CaseGenerator& generator, int index) {
        return generator.nextFor(page, static_cast<std::uint8_t>(index / perOpcode));
    });
}

constexpr int kPerOpcode = 256;

TEST(Z80Conformance, EveryUnprefixedOpcode) {
    sweepPage(0x5EED0001, Page::Base, kPerOpcode);
}
TEST(Z80Conformance, EveryCbOpcode) {
    sweepPage(0x5EED0002, Page::CB, kPerOpcode);
}
TEST(Z80Conformance, EveryEdOpcode) {
    sweepPage(0x5EED0003, Page::ED, kPerOpcode);
}
TEST(Z80Conformance, EveryDdOpcode) {
    sweepPage(0x5EED0004, Page::DD, kPerOpcode);
}
TEST(Z80Conformance, EveryFdOpcode) {
    sweepPage(0x5EED0005, Page::FD, kPerOpcode);
}
TEST(Z80Conformance, EveryDdCbOpcode) {
    sweepPage(0x5EED0006, Page::DDCB, kPerOpcode);
}
TEST(Z80Conformance, EveryFdCbOpcode) {
    sweepPage(0x5EED0007, Page::FDCB, kPerOpcode);
}

TEST(Z80Conformance, PrefixChainsDropAllButTheLastPrefix) {
    runCases(0x5EED0008, 200000,
             [](CaseGenerator& generator, int) { return generator.nextPrefixChain(); });
}

TEST(Z80Conformance, MillionRandomInstructions) {
    runCases(0x5EED0009, 1000000, [](CaseGenerator& generator, int) { return generator.next(); });
}

// Interrupt acceptance (NMI, modes 0, 1 and 2, while halted, and a request
// let in by EI after one more instruction) followed by the instruction it
// leads to.
TEST(Z80Conformance, InterruptRequestsAndTheInstructionAfterThem) {
    const std::uint64_t seed = 0x5EED000A;
    CaseGenerator generator(seed);
    DifferentialRunner runner;
    int failures = 0;
    for (int index = 0; index < 200000; ++index) {
        if (index % kMemoryRefreshInterval == 0) runner.randomizeMemory(generator.random64());
        const std::string report = runner.runInterrupt(makeInterruptCase(generator));
        if (report.empty()) continue;
        if (++failures <= kReportedFailures) {
            ADD_FAILURE() << "seed 0x" << std::hex << seed << std::dec << ", interrupt case "
                          << index << ": " << report;
        }
    }
    EXPECT_EQ(failures, 0) << "interrupt cases differing from libz80ex";
}

}  // namespace
}  // namespace vantorel::conformance
