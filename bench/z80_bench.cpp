// Speed of the Z80 core on a flat 64K bus: emulated T-states per host second
// on a loop of ordinary instructions (loads, 8- and 16-bit arithmetic,
// jumps, calls and returns, a block move, and CB, DD, FD, DD CB, FD CB and
// ED forms). The loop never jumps to itself, so the idle-loop shortcut never
// gives up a budget; the benchmark checks that no step took longer than the
// longest instruction.
//
// Build with -DVANTOREL_BENCHMARKS=ON (Release) and run bench/z80_bench.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <memory>

#include "z80/flat_bus.h"
#include "z80/z80.h"

namespace vantorel {
namespace {

// A FlatBus that also notes the longest step, to catch a budget given up by
// the idle-loop shortcut or HALT.
struct BenchBus : FlatBus {
    std::uint32_t longestStep = 0;  // T-states

    void advanceTStates(std::uint32_t count) {
        tstates += count;
        if (count > longestStep) longestStep = count;
    }
};

constexpr std::uint32_t kLongestInstruction = 23;  // DD CB forms; LDIR repeats take 21

constexpr std::uint16_t kProgramAddress = 0x0100;
constexpr std::uint16_t kTableAddress = 0x017F;   // 8 bytes worked on through IX and IY
constexpr std::uint16_t kSourceAddress = 0x0187;  // 32 bytes copied by LDIR

// The loop, assembled (listing beside the bytes): each pass copies 32 bytes
// with LDIR, goes 16 times round `inner`, counts the pass in memory and jumps
// back to `outer`.
constexpr std::uint8_t kProgram[] = {
    // start:
    0x31, 0x00, 0xF0,        // 0100  LD SP, F000
    0xFD, 0x21, 0x7F, 0x01,  // 0103  LD IY, 017F
    // outer:
    0x21, 0x87, 0x01,        // 0107  LD HL, 0187
    0x11, 0xA7, 0x01,        // 010A  LD DE, 01A7
    0x01, 0x20, 0x00,        // 010D  LD BC, 0020
    0xED, 0xB0,              // 0110  LDIR
    0xDD, 0x21, 0x7F, 0x01,  // 0112  LD IX, 017F
    0x06, 0x10,              // 0116  LD B, 10
    // inner:
    0x7E,                    // 0118  LD A, (HL)
    0x80,                    // 0119  ADD A, B
    0x89,                    // 011A  ADC A, C
    0x92,                    // 011B  SUB D
    0xA3,                    // 011C  AND E
    0xB4,                    // 011D  OR H
    0xAD,                    // 011E  XOR L
    0xFE, 0x05,              // 011F  CP 05
    0x3C,                    // 0121  INC A
    0x0D,                    // 0122  DEC C
    0x12,                    // 0123  LD (DE), A
    0x13,                    // 0124  INC DE
    0x23,                    // 0125  INC HL
    0xCD, 0x72, 0x01,        // 0126  CALL 0172
    0xCB, 0x00,              // 0129  RLC B
    0xCB, 0x08,              // 012B  RRC B
    0xCB, 0x39,              // 012D  SRL C
    0xCB, 0x5F,              // 012F  BIT 3, A
    0xCB, 0xCA,              // 0131  SET 1, D
    0xCB, 0x8A,              // 0133  RES 1, D
    0xDD, 0x7E, 0x03,        // 0135  LD A, (IX+03)
    0xFD, 0x86, 0x01,        // 0138  ADD A, (IY+01)
    0xDD, 0x34, 0x02,        // 013B  INC (IX+02)
    0xFD, 0x77, 0x04,        // 013E  LD (IY+04), A
    0xDD, 0xCB, 0x01, 0x06,  // 0141  RLC (IX+01)
    0xFD, 0xCB, 0x02, 0x46,  // 0145  BIT 0, (IY+02)
    0xDD, 0x7D,              // 0149  LD A, IXL
    0xED, 0x44,              // 014B  NEG
    0xE5,                    // 014D  PUSH HL
    0xED, 0x5A,              // 014E  ADC HL, DE
    0xED, 0x52,              // 0150  SBC HL, DE
    0xE1,                    // 0152  POP HL
    0xED, 0x53, 0x7D, 0x01,  // 0153  LD (017D), DE
    0xED, 0x5B, 0x7D, 0x01,  // 0157  LD DE, (017D)
    0xEB,                    // 015B  EX DE, HL
    0xEB,                    // 015C  EX DE, HL
    0xD9,                    // 015D  EXX
    0x21, 0x34, 0x12,        // 015E  LD HL, 1234
    0x09,                    // 0161  ADD HL, BC
    0xD9,                    // 0162  EXX
    0x28, 0x01,              // 0163  JR Z, 0166
    0x00,                    // 0165  NOP
    // skip:
    0x10, 0xB0,        // 0166  DJNZ 0118
    0x2A, 0x7B, 0x01,  // 0168  LD HL, (017B)
    0x23,              // 016B  INC HL
    0x22, 0x7B, 0x01,  // 016C  LD (017B), HL
    0xC3, 0x07, 0x01,  // 016F  JP 0107
    // helper:
    0xC5,  // 0172  PUSH BC
    0x47,  // 0173  LD B, A
    0x79,  // 0174  LD A, C
    0x17,  // 0175  RLA
    0x1F,  // 0176  RRA
    0x4F,  // 0177  LD C, A
    0x78,  // 0178  LD A, B
    0xC1,  // 0179  POP BC
    0xC9,  // 017A  RET
    // Data follows the code: 017B pass count (word), 017D scratch word,
    // 017F table (8 bytes), 0187 source (32 bytes), 01A7 target (64 bytes).
};

void loadProgram(BenchBus& bus) {
    for (std::size_t index = 0; index < sizeof kProgram; ++index) {
        bus.memory[kProgramAddress + index] = kProgram[index];
    }
    for (std::uint8_t index = 0; index < 8; ++index) {
        bus.memory[kTableAddress + index] = static_cast<std::uint8_t>(index + 1);
    }
    for (std::size_t index = 0; index < 32; ++index) bus.memory[kSourceAddress + index] = 0x55;
}

// One frame of the Sorcerer is about 35,000 T-states; runZ80 is called with
// budgets of that size, as the frame scheduler does.
constexpr std::int32_t kBudget = 35'000;

void coreOnInstructionMix(benchmark::State& state) {
    auto bus = std::make_unique<BenchBus>();
    loadProgram(*bus);
    auto cpu = std::make_unique<Z80<BenchBus>>(*bus);
    cpu->resetZ80();
    cpu->state().PC = kProgramAddress;

    std::int64_t tstates = 0;
    for (auto _ : state) {
        tstates += cpu->runZ80(kBudget);
    }
    if (bus->longestStep > kLongestInstruction) {
        state.SkipWithError("a step gave up its budget (idle-loop shortcut or HALT)");
        return;
    }
    state.counters["tstates_per_second"] =
        benchmark::Counter(static_cast<double>(tstates), benchmark::Counter::kIsRate);
}
BENCHMARK(coreOnInstructionMix);

}  // namespace
}  // namespace vantorel
