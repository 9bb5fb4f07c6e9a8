#include "cpm_machine.h"

#include <algorithm>

namespace vantorel::cpm {

namespace {

constexpr std::uint16_t kBiosWarmBoot = 0xFF03;    // where page zero's JP at 0000 points
constexpr std::uint8_t kJumpOpcode = 0xC3;         // JP nn
constexpr std::uint8_t kHaltOpcode = 0x76;         // fills the BDOS and BIOS area
constexpr std::int32_t kSliceTstates = 1'000'000;  // budget of one runZ80 call
constexpr std::uint64_t kReturnTstates = 10;       // the BDOS's closing RET
constexpr char kStringEnd = '$';                   // ends a function 9 string

enum BdosFunction : std::uint8_t {
    kSystemReset = 0,
    kConsoleOutput = 2,
    kPrintString = 9,
};

std::uint8_t lowByte(std::uint32_t value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

}  // namespace

CpmMachine::CpmMachine()
    : bus_(std::make_unique<CpmBus>()), cpu_(std::make_unique<Z80<CpmBus>>(*bus_)) {}

bool CpmMachine::loadProgram(const std::uint8_t* bytes, std::size_t count) {
    if (count > kMaxProgramBytes) return false;
    auto& memory = bus_->memory;
    memory.fill(0);
    std::fill(memory.begin() + kBdosAddress, memory.end(), kHaltOpcode);
    memory[kWarmBootAddress] = kJumpOpcode;
    memory[kWarmBootAddress + 1] = lowByte(kBiosWarmBoot);
    memory[kWarmBootAddress + 2] = lowByte(kBiosWarmBoot >> 8);
    memory[kBdosCallAddress] = kJumpOpcode;
    memory[kBdosCallAddress + 1] = lowByte(kBdosAddress);
    memory[kBdosCallAddress + 2] = lowByte(kBdosAddress >> 8);
    std::copy(bytes, bytes + count, memory.begin() + kProgramAddress);

    // The CCP calls the program with 0000 on the stack, so a final RET ends it.
    cpu_->resetZ80();
    Z80State& state = cpu_->state();
    state.SP = kBdosAddress - 2;
    memory[state.SP] = 0;
    memory[state.SP + 1] = 0;
    state.PC = kProgramAddress;
    bus_->tstates = 0;
    bus_->trapped = false;
    return true;
}

bool CpmMachine::callBdos(std::ostream& console) {
    const Z80State& state = cpu_->state();
    switch (lowByte(state.BC)) {
        case kSystemReset:
            return false;
        case kConsoleOutput:
            console.put(static_cast<char>(lowByte(state.DE)));
            break;
        case kPrintString: {
            // At most one pass over memory, so a string without "$" ends.
            std::uint16_t address = static_cast<std::uint16_t>(state.DE);
            for (std::size_t count = 0; count < bus_->memory.size(); ++count, ++address) {
                const char character = static_cast<char>(bus_->memory[address]);
                if (character == kStringEnd) break;
                console.put(character);
            }
            break;
        }
        default:
            break;  // other functions are not needed by test programs
    }
    console.flush();
    return true;
}

// The HALT handed out at 0005 left PC on 0005; leave the BDOS with a RET.
void CpmMachine::returnFromCall() {
    Z80State& state = cpu_->state();
    const auto& memory = bus_->memory;
    const std::uint32_t low = memory[state.SP];
    const std::uint32_t high = memory[(state.SP + 1) & 0xFFFF];
    state.PC = (high << 8) | low;
    state.SP = (state.SP + 2) & 0xFFFF;
    state.halted = 0;
}

CpmRunResult CpmMachine::run(std::uint64_t maxTstates, std::ostream& console) {
    CpmRunResult result;
    for (;;) {
        if (maxTstates != 0 && result.tstates >= maxTstates) {
            result.end = CpmEnd::LimitReached;
            return result;
        }
        std::uint64_t budget = kSliceTstates;
        if (maxTstates != 0) budget = std::min(budget, maxTstates - result.tstates);

        bus_->trapped = false;
        const std::uint64_t startTstates = bus_->tstates;
        const std::int32_t executed = cpu_->runZ80(static_cast<std::int32_t>(budget));

        if (bus_->trapped) {
            // Count only the steps before the caught fetch: the HALT handed
            // out there gives up the rest of the budget.
            result.tstates += bus_->tstatesAtTrap - startTstates;
            if (bus_->trapAddress == kWarmBootAddress || !callBdos(console)) {
                result.end = CpmEnd::ProgramEnded;
                return result;
            }
            returnFromCall();
            result.tstates += kReturnTstates;
            continue;
        }
        result.tstates += static_cast<std::uint64_t>(executed);
        if (cpu_->state().halted) {
            result.end = CpmEnd::Halted;
            result.haltAddress = static_cast<std::uint16_t>(cpu_->state().PC);
            return result;
        }
    }
}

}  // namespace vantorel::cpm
