// Runs one test case on our core (through a recording 64K bus) and on
// libz80ex from the same registers and memory, and reports every difference
// that the intended departures do not explain. Memory is random and shared
// in content by both processors; only what a case touched is restored.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "bus_activity.h"
#include "case_generator.h"
#include "intended_departures.h"
#include "interrupt_case.h"
#include "reference_z80.h"
#include "z80/z80.h"
#include "z80/z80_state.h"

namespace vantorel::conformance {

// Our core's bus in the test: flat RAM that records writes, port accesses,
// steps and hook calls.
struct RecordingBus {
    std::array<std::uint8_t, 65536> memory{};  // the whole address space, RAM
    BusActivity activity;                      // writes and port accesses of the run
    std::uint32_t portSalt = 0;                // seeds what IN reads
    std::uint64_t tstates = 0;                 // sum of advanceTStates
    int steps = 0;                             // advanceTStates calls
    int traps = 0;                             // trapHook calls
    int retis = 0;                             // retiHook calls

    std::uint8_t fetchOpcode(std::uint16_t address) { return memory[address]; }
    std::uint8_t readMemory(std::uint16_t address) { return memory[address]; }
    void writeMemory(std::uint16_t address, std::uint8_t value) {
        memory[address] = value;
        activity.add(AccessKind::MemoryWrite, address, value);
    }
    std::uint8_t readPort(std::uint16_t port) {
        const std::uint8_t value = portValueFor(portSalt, port);
        activity.add(AccessKind::PortRead, port, value);
        return value;
    }
    void writePort(std::uint16_t port, std::uint8_t value) {
        activity.add(AccessKind::PortWrite, port, value);
    }
    void advanceTStates(std::uint32_t count) {
        tstates += count;
        ++steps;
    }
    void trapHook(Z80State&) { ++traps; }
    void retiHook() { ++retis; }
    void debugOutput(const char*) {}
};

class DifferentialRunner {
  public:
    DifferentialRunner();

    // New random content for the whole address space.
    void randomizeMemory(std::uint64_t seed);

    // Runs the case on both processors; returns "" when they agree, else a
    // report of the differences with the bytes and registers.
    std::string run(const ConformanceCase& testCase);

    // The same for an interrupt request posted before the run.
    std::string runInterrupt(const InterruptCase& interruptCase);

  private:
    void placeBytes(const ConformanceCase& testCase);
    void poke(std::uint16_t address, std::uint8_t value);
    void clearBusRecord(std::uint32_t portSalt);
    std::string compare(const Expectation& expected, std::int32_t tstates) const;
    // Puts back the case's bytes and every byte either processor wrote.
    void restoreMemory(const ConformanceCase& testCase, const BusActivity* extra = nullptr);

    std::array<std::uint8_t, 65536> baseline_{};  // what memory holds between cases
    std::unique_ptr<RecordingBus> bus_;           // our core's memory and record
    std::unique_ptr<Z80<RecordingBus>> core_;     // our core
    std::unique_ptr<ReferenceZ80> reference_;     // libz80ex
};

}  // namespace vantorel::conformance
