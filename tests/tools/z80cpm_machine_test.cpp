// The CP/M runner's machine: BDOS console calls, the ways a program ends,
// the T-state limit and the count of T-states, with programs written here
// as bytes.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <vector>

#include "cpm_machine.h"

namespace vantorel::cpm {
namespace {

struct ProgramRun {
    CpmRunResult result;
    std::string output;
};

ProgramRun runProgram(const std::vector<std::uint8_t>& program, std::uint64_t maxTstates = 0) {
    CpmMachine machine;
    EXPECT_TRUE(machine.loadProgram(program.data(), program.size()));
    std::ostringstream console;
    ProgramRun run;
    run.result = machine.run(maxTstates, console);
    run.output = console.str();
    return run;
}

TEST(CpmMachine, PrintStringCallReturnsToTheCallerAndRetEndsTheProgram) {
    // LD DE,010A; LD C,9; CALL 0005; RET; "Hi!$"
    const std::vector<std::uint8_t> program = {0x11, 0x0A, 0x01, 0x0E, 0x09, 0xCD, 0x05,
                                               0x00, 0xC9, 0x00, 'H',  'i',  '!',  '$'};
    const ProgramRun run = runProgram(program);
    EXPECT_EQ(run.result.end, CpmEnd::ProgramEnded);
    EXPECT_EQ(run.output, "Hi!");
    // 10 + 7 + 17 for the call, 10 for the BDOS's RET, 10 for the final RET.
    EXPECT_EQ(run.result.tstates, 54u);
}

TEST(CpmMachine, ConsoleOutputCallPrintsEachCharacterAsItComes) {
    // LD B,5; LD A,'a'; loop: PUSH AF; PUSH BC; LD E,A; LD C,2; CALL 5;
    // POP BC; POP AF; INC A; DJNZ loop; JP 0000
    const std::vector<std::uint8_t> program = {0x06, 0x05, 0x3E, 'a',  0xF5, 0xC5, 0x5F,
                                               0x0E, 0x02, 0xCD, 0x05, 0x00, 0xC1, 0xF1,
                                               0x3C, 0x10, 0xF3, 0xC3, 0x00, 0x00};
    const ProgramRun run = runProgram(program);
    EXPECT_EQ(run.result.end, CpmEnd::ProgramEnded);
    EXPECT_EQ(run.output, "abcde");
}

TEST(CpmMachine, SystemResetCallAndRestartZeroEndTheProgram) {
    const ProgramRun reset =
        runProgram({0x0E, 0x00, 0xCD, 0x05, 0x00, 0x76});  // LD C,0; CALL 5; HALT
    EXPECT_EQ(reset.result.end, CpmEnd::ProgramEnded);
    const ProgramRun restart = runProgram({0xC7});  // RST 0
    EXPECT_EQ(restart.result.end, CpmEnd::ProgramEnded);
    EXPECT_EQ(restart.result.tstates, 11u);
}

TEST(CpmMachine, PageZeroPointsAtTheBdosAndTheStackHoldsAReturnToZero) {
    CpmMachine machine;
    const std::uint8_t nop = 0x00;
    ASSERT_TRUE(machine.loadProgram(&nop, 1));
    const auto& memory = machine.bus().memory;
    EXPECT_EQ(memory[0x0005], 0xC3);
    EXPECT_EQ(memory[0x0006] | (memory[0x0007] << 8), kBdosAddress);
    const Z80State& state = machine.cpu().state();
    EXPECT_EQ(state.PC, kProgramAddress);
    EXPECT_EQ(memory[state.SP] | (memory[state.SP + 1] << 8), 0);
}

TEST(CpmMachine, StringWithoutTerminatorStopsAfterOnePassOfMemory) {
    CpmMachine machine;
    // LD C,9; CALL 5; RET (DE is 0000 after reset)
    const std::vector<std::uint8_t> program = {0x0E, 0x09, 0xCD, 0x05, 0x00, 0xC9};
    ASSERT_TRUE(machine.loadProgram(program.data(), program.size()));
    for (std::size_t address = 0x1000; address < 0x10000; ++address) {
        machine.bus().memory[address] = 'x';
    }
    std::ostringstream console;
    const CpmRunResult result = machine.run(0, console);
    EXPECT_EQ(result.end, CpmEnd::ProgramEnded);
    EXPECT_EQ(console.str().size(), 65536u);
}

TEST(CpmMachine, LimitStopsAProgramThatNeverEnds) {
    // LD HL,0; loop: INC HL; LD A,H; OR L; JR loop (no idle-loop shortcut)
    const std::vector<std::uint8_t> counting = {0x21, 0x00, 0x00, 0x23, 0x7C, 0xB5, 0x18, 0xFB};
    const ProgramRun run = runProgram(counting, 5'000'000);
    EXPECT_EQ(run.result.end, CpmEnd::LimitReached);
    EXPECT_GE(run.result.tstates, 5'000'000u);
    EXPECT_LT(run.result.tstates, 5'000'000u + 23);

    const ProgramRun idle = runProgram({0xC3, 0x00, 0x01}, 3'000'000);  // JP 0100 (to itself)
    EXPECT_EQ(idle.result.end, CpmEnd::LimitReached);
    EXPECT_GE(idle.result.tstates, 3'000'000u);
}

TEST(CpmMachine, HaltWithNothingToWakeItEndsTheRun) {
    const ProgramRun run = runProgram({0x00, 0x00, 0x76});
    EXPECT_EQ(run.result.end, CpmEnd::Halted);
    EXPECT_EQ(run.result.haltAddress, 0x0102);
}

TEST(CpmMachine, ProgramLargerThanTheTpaIsRefused) {
    CpmMachine machine;
    std::vector<std::uint8_t> program(kMaxProgramBytes + 1, 0x00);
    EXPECT_FALSE(machine.loadProgram(program.data(), program.size()));
    program.pop_back();
    EXPECT_TRUE(machine.loadProgram(program.data(), program.size()));
}

}  // namespace
}  // namespace vantorel::cpm
