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

void compareCount(std::string& report, const char* name, long long ours, long long expected) {
    if (ours == expected) return;
    report += std::string("  ") + name + ": ours " + std::to_string(ours) + ", expected " +
              std::to_string(expected) + "\n";
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

void DifferentialRunner::restoreMemory(const ConformanceCase& testCase, const BusActivity* extra) {
    auto restore = [this](std::uint16_t address) {
        bus_->memory[address] = baseline_[address];
        reference_->memory[address] = baseline_[address];
    };
    for (int index = 0; index < ConformanceCase::kByteCount; ++index) {
        restore(static_cast<std::uint16_t>(testCase.start.pc + index));
    }
    const BusActivity* activities[] = {&bus_->activity, &reference_->activity, extra};
    for (const BusActivity* activity : activities) {
        if (activity == nullptr) continue;
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

// Writes a byte into both address spaces and the baseline, for layout that
// stays after the case (interrupt code and vector entries).
void DifferentialRunner::poke(std::uint16_t address, std::uint8_t value) {
    baseline_[address] = value;
    bus_->memory[address] = value;
    reference_->memory[address] = value;
}

void DifferentialRunner::clearBusRecord(std::uint32_t portSalt) {
    RecordingBus& bus = *bus_;
    bus.activity.clear();
    bus.portSalt = portSalt;
    bus.tstates = 0;
    bus.steps = 0;
    bus.traps = 0;
}

// Our core's state and record after a run against the expectation.
std::string DifferentialRunner::compare(const Expectation& expected, std::int32_t tstates) const {
    const RecordingBus& bus = *bus_;
    Z80State state;
    core_->getZ80Registers(state);
    std::string report = differences(snapshotOf(state), expected);
    if (!sameActivity(bus.activity, expected.activity)) {
        report += "  bus: ours " + describe(bus.activity) + "; expected " +
                  describe(expected.activity) + "\n";
    }
    compareCount(report, "T-states returned", tstates, expected.tstates);
    compareCount(report, "T-states advanced", static_cast<long long>(bus.tstates), tstates);
    compareCount(report, "trapHook calls", bus.traps, expected.traps);
    compareField(report, "lastOpcodeAddress", static_cast<unsigned>(core_->lastOpcodeAddress()),
                 static_cast<unsigned>(expected.lastOpcodeAddress), 4);
    compareField(report, "irqVector", state.irqVector, expected.irqVector, 8);
    compareField(report, "nmiPending", state.nmiPending, expected.nmiPending, 1);
    return report;
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

    clearBusRecord(testCase.portSalt);
    core_->setZ80Registers(stateOf(testCase.start));
    const std::int32_t tstates = core_->runZ80(1);

    const Expectation expected = expectationFor(testCase, reference, reference_->memory);
    const std::string report = compare(expected, tstates);
    restoreMemory(testCase);
    if (report.empty()) return report;
    Z80State state;
    core_->getZ80Registers(state);
    return "bytes " + describeBytes(testCase) + " (" + pageName(shape.instructions[0].page) +
           " page)\n  start:    " + describe(testCase.start) +
           "\n  ours:     " + describe(snapshotOf(state)) +
           "\n  libz80ex: " + describe(reference.registers) + "\n" + report;
}

std::string DifferentialRunner::runInterrupt(const InterruptCase& c) {
    constexpr std::uint8_t kHaltOpcode = 0x76;
    for (int index = 0; index < ConformanceCase::kByteCount; ++index) {
        poke(static_cast<std::uint16_t>(c.code.start.pc + index),
             c.code.bytes[static_cast<std::size_t>(index)]);
    }
    if (c.haltedFirst) poke(c.start.pc, kHaltOpcode);
    if (c.writesVector) {
        poke(c.vectorAddress, static_cast<std::uint8_t>(c.code.start.pc & 0xFF));
        poke(static_cast<std::uint16_t>(c.vectorAddress + 1),
             static_cast<std::uint8_t>(c.code.start.pc >> 8));
    }

    // libz80ex: the HALT, then either the acceptance and the code it leads
    // to, or (interrupts off) the code at PC and, when that is an EI, the
    // acceptance after it. Our core counts no R on acceptance, so the
    // reference's count is taken back as soon as it accepts.
    ReferenceZ80& reference = *reference_;
    reference.portSalt = c.code.portSalt;
    reference.setRegisters(c.start);
    if (c.haltedFirst) reference.runInstructions(1);
    reference.activity.clear();

    ConformanceCase code = c.code;
    BusActivity acceptance;
    bool accepted = false;
    CpuSnapshot afterAcceptance;
    ReferenceOutcome outcome;
    if (!c.waits) {
        accepted = reference.raiseInterrupt(c.nonMaskable, c.busBytes.data(), c.busByteCount) > 0;
        if (accepted) reference.setRefresh(static_cast<std::uint8_t>(reference.registers().r - 1));
        acceptance = reference.activity;
        reference.activity.clear();
        code.start = reference.registers();
    }
    const RunShape shape = code.shape();
    outcome.tstates = reference.runInstructions(shape.count);
    outcome.registers = reference.registers();
    outcome.activity = reference.activity;
    Expectation expected = expectationFor(code, outcome, reference.memory);
    const bool eiLetsItIn = c.waits && isEi(shape.instructions[0]);
    if (eiLetsItIn) {
        reference.activity.clear();
        accepted = reference.raiseInterrupt(false, c.busBytes.data(), c.busByteCount) > 0;
        if (accepted) reference.setRefresh(static_cast<std::uint8_t>(reference.registers().r - 1));
        acceptance = reference.activity;
        afterAcceptance = reference.registers();
    }

    // Our core: the HALT, then one run with the request posted.
    clearBusRecord(c.code.portSalt);
    core_->setZ80Registers(stateOf(c.start));
    if (c.haltedFirst) core_->runZ80(1);
    clearBusRecord(c.code.portSalt);
    if (c.nonMaskable) {
        core_->state().nmiPending = 1;
    } else {
        core_->state().irqVector = c.irqVector;
    }
    const std::int32_t tstates = core_->runZ80(1);

    if (accepted) addAcceptance(expected, c, acceptance, !c.waits, afterAcceptance);
    if (!accepted && !c.nonMaskable) expected.irqVector = c.irqVector;
    const std::string report = compare(expected, tstates);
    restoreMemory(code, &acceptance);
    if (report.empty()) return report;
    Z80State state;
    core_->getZ80Registers(state);
    return describeRequest(c) + ", then bytes " + describeBytes(code) + " at " +
           hex(code.start.pc, 4) + "\n  start:    " + describe(c.start) +
           "\n  ours:     " + describe(snapshotOf(state)) +
           "\n  libz80ex: " + describe(reference.registers()) + "\n" + report;
}

}  // namespace vantorel::conformance
