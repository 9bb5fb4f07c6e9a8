#include "differential_runner.h"

#include <cstdio>
#include <random>

namespace vantorel::conformance {

namespace {

std::string hex(unsigned value, int digits) {
    char text[12];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

void compareField(std::string& report, const char* name, unsigned ours, unsigned expected,
                  int digits) {
    if (ours == expected) return;
    report += std::string("  ") + name + ": ours " + hex(ours, digits) + ", expected " +
              hex(expected, digits) + "\n";
}

std::string differences(const CpuSnapshot& ours, const Expectation& expected) {
    const CpuSnapshot& want = expected.registers;
    std::string report;
    compareField(report, "A", ours.af >> 8, want.af >> 8, 2);
    compareField(report, "F (compared bits)", ours.af & expected.flagMask,
                 want.af & expected.flagMask, 2);
    compareField(report, "BC", ours.bc, want.bc, 4);
    compareField(report, "DE", ours.de, want.de, 4);
    compareField(report, "HL", ours.hl, want.hl, 4);
    compareField(report, "IX", ours.ix, want.ix, 4);
    compareField(report, "IY", ours.iy, want.iy, 4);
    compareField(report, "PC", ours.pc, want.pc, 4);
    compareField(report, "SP", ours.sp, want.sp, 4);
    compareField(report, "AF'", ours.af2, want.af2, 4);
    compareField(report, "BC'", ours.bc2, want.bc2, 4);
    compareField(report, "DE'", ours.de2, want.de2, 4);
    compareField(report, "HL'", ours.hl2, want.hl2, 4);
    compareField(report, "IFF1", ours.iff1, want.iff1, 1);
    compareField(report, "IFF2", ours.iff2, want.iff2, 1);
    compareField(report, "IM", ours.im, want.im, 1);
    compareField(report, "I", ours.i, want.i, 2);
    compareField(report, "R", ours.r, want.r, 2);
    compareField(report, "halted", ours.halted, want.halted, 1);
    return report;
}

bool sameActivity(const BusActivity& ours, const BusActivity& expected) {
    if (ours.count != expected.count || ours.overflow != expected.overflow) return false;
    for (int index = 0; index < ours.count; ++index) {
        const auto at = static_cast<std::size_t>(index);
        if (!(ours.accesses[at] == expected.accesses[at])) return false;
    }
    return true;
}

}  // namespace

DifferentialRunner::DifferentialRunner()
    : bus_(std::make_unique<RecordingBus>()),
      core_(std::make_unique<Z80<RecordingBus>>(*bus_)),
      reference_(std::make_unique<ReferenceZ80>()) {
    randomizeMemory(1);
}

void DifferentialRunner::randomizeMemory(std::uint64_t seed) {
    std::mt19937_64 random(seed);
    for (std::size_t at = 0; at < baseline_.size(); at += 8) {
        std::uint64_t bits = random();
        for (std::size_t byte = 0; byte < 8; ++byte, bits >>= 8) {
            baseline_[at + byte] = static_cast<std::uint8_t>(bits);
        }
    }
    bus_->memory = baseline_;
    reference_->memory = baseline_;
}

void DifferentialRunner::placeBytes(const ConformanceCase& testCase) {
    for (int index = 0; index < ConformanceCase::kByteCount; ++index) {
        const auto address = static_cast<std::uint16_t>(testCase.start.pc + index);
        const std::uint8_t byte = testCase.bytes[static_cast<std::size_t>(index)];
        bus_->memory[address] = byte;
        reference_->memory[address] = byte;
    }
}

void DifferentialRunner::restoreMemory(const ConformanceCase& testCase) {
    auto restore = [this](std::uint16_t address) {
        bus_->memory[address] = baseline_[address];
        reference_->memory[address] = baseline_[address];
    };
    for (int index = 0; index < ConformanceCase::kByteCount; ++index) {
        restore(static_cast<std::uint16_t>(testCase.start.pc + index));
    }
    for (const BusActivity* activity : {&bus_->activity, &reference_->activity}) {
        if (activity->overflow) {
            bus_->memory = baseline_;
            reference_->memory = baseline_;
            return;
        }
        for (int index = 0; index < activity->count; ++index) {
            const BusAccess& access = activity->accesses[static_cast<std::size_t>(index)];
            if (access.kind == AccessKind::MemoryWrite) restore(access.address);
        }
    }
}

std::string DifferentialRunner::run(const ConformanceCase& testCase) {
    placeBytes(testCase);
    const RunShape shape = testCase.shape();

    ReferenceOutcome reference;
    reference_->activity.clear();
    reference_->portSalt = testCase.portSalt;
    reference_->setRegisters(testCase.start);
    reference.tstates = reference_->runInstructions(shape.count);
    reference.registers = reference_->registers();
    reference.activity = reference_->activity;

    RecordingBus& bus = *bus_;
    bus.activity.clear();
    bus.portSalt = testCase.portSalt;
    bus.tstates = 0;
    bus.steps = 0;
    bus.traps = 0;
    core_->setZ80Registers(stateOf(testCase.start));
    const std::int32_t tstates = core_->runZ80(1);
    Z80State state;
    core_->getZ80Registers(state);
    const CpuSnapshot ours = snapshotOf(state);

    const Expectation expected = expectationFor(testCase, reference, baseline_);
    std::string report = differences(ours, expected);
    if (!sameActivity(bus.activity, expected.activity)) {
        report += "  bus: ours " + describe(bus.activity) + "; expected " +
                  describe(expected.activity) + "\n";
    }
    compareField(report, "T-states returned", static_cast<unsigned>(tstates),
                 static_cast<unsigned>(expected.tstates), 1);
    compareField(report, "T-states advanced", static_cast<unsigned>(bus.tstates),
                 static_cast<unsigned>(tstates), 1);
    compareField(report, "trapHook calls", static_cast<unsigned>(bus.traps),
                 static_cast<unsigned>(expected.traps), 1);
    compareField(report, "lastOpcodeAddress",
                 static_cast<unsigned>(core_->lastOpcodeAddress()) & 0xFFFFu,
                 expected.lastOpcodeAddress, 4);
    compareField(report, "irqVector", state.irqVector, kNoInterruptRequest, 8);
    compareField(report, "nmiPending", state.nmiPending, 0, 1);

    restoreMemory(testCase);
    if (report.empty()) return report;
    return "bytes " + describeBytes(testCase) + " (" + pageName(shape.instructions[0].page) +
           " page)\n  start:    " + describe(testCase.start) + "\n  ours:     " + describe(ours) +
           "\n  libz80ex: " + describe(reference.registers) + "\n" + report;
}

}  // namespace vantorel::conformance
