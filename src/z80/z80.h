// The Z80 processor core.
//
// Models the Zilog Z80 as the Sorcerer uses it: the register record
// (Z80State), table-driven dispatch over the seven opcode pages (unprefixed,
// CB, ED, DD, FD, DD CB, FD CB), the cycle-budget execution loop, interrupts
// in modes 0, 1 and 2 and NMI, HALT, and a register trace and disassembler
// for debugging the core.
//
// Why the bus is a template parameter: the core makes several memory accesses
// per instruction, tens of millions per host second. With the bus type known
// at compile time every fetchOpcode/readMemory/writeMemory is a direct call
// the compiler can inline (a flat array index for FlatBus, a few range
// compares for the Sorcerer's memory map); a virtual interface would cost an
// indirect call per byte. Each handler page is a table of 256 plain function
// pointers, one small function per instruction form, instantiated per bus.
//
// Use:
//   1. Give it a bus (see z80_bus.h):      FlatBus bus; Z80<FlatBus> cpu{bus};
//   2. Reset it:                            cpu.resetZ80();  // PC 0000, SP F000
//   3. Run a budget of T-states:            std::int32_t done = cpu.runZ80(budget);
//      At least one instruction runs, even for a budget of 0 or less; the
//      budget is checked between instructions only, so the last one may
//      overshoot and `done` is then larger than the budget. Nothing carries
//      over to the next call.
//   4. Post interrupts through state() (irqVector, nmiPending); load or save
//      the registers with getZ80Registers / setZ80Registers.
//
// The processor keeps a pointer to its bus, never the bus's data, and all of
// its own state is plain (Z80RunState, z80_state.h). A machine that keeps its
// state in one record (the Sorcerer's Machine) therefore makes a processor
// for each run: Z80<Bus> cpu{bus, record.cpu}; cpu.runZ80(budget);
// record.cpu = cpu.runState(); copying about a hundred bytes in and out,
// while every access inside the run stays a direct, inlinable bus call.
//
// T-state accounting: after every step (one instruction, together with an
// interrupt accepted before it) the core calls bus.advanceTStates with the
// FULL number of cycles the step consumed. When HALT or the idle-loop
// shortcut gives up the rest of a budget, that step consumes the whole rest
// (often thousands of cycles) and the bus's T-state counter advances by all
// of it, so the counter always equals the emulated cycles that runZ80
// reports.
//
// Called by the machine's frame code (twice per frame), by the snapshot
// loader (getZ80Registers / setZ80Registers, lastOpcodeAddress) and by tests
// and tools.
#pragma once

#include <array>
#include <concepts>
#include <cstdint>
#include <cstdio>
#include <initializer_list>

#include "z80/z80_bus.h"
#include "z80/z80_cycles.h"
#include "z80/z80_flags.h"
#include "z80/z80_registers.h"
#include "z80/z80_state.h"

namespace vantorel {

template <Z80Bus Bus>
struct Z80MainOps;
template <Z80Bus Bus>
struct Z80CbOps;
template <Z80Bus Bus>
struct Z80EdOps;
template <Z80Bus Bus, Pair Index>
struct Z80IndexOps;
template <Z80Bus Bus>
struct Z80InterruptOps;

// Size of the text buffer disassembleInstruction writes into (characters,
// terminating zero included).
inline constexpr std::size_t kDisassemblyTextSize = 32;

template <Z80Bus Bus>
class Z80 {
  public:
    using Handler = void (*)(Z80&);
    using HandlerTable = std::array<Handler, 256>;

    // The seven opcode pages (constant; defined beside their handlers).
    static const HandlerTable baseHandlers;  // unprefixed
    static const HandlerTable cbHandlers;    // CB xx
    static const HandlerTable edHandlers;    // ED xx
    static const HandlerTable ddHandlers;    // DD xx (IX)
    static const HandlerTable fdHandlers;    // FD xx (IY)
    static const HandlerTable ddcbHandlers;  // DD CB d xx
    static const HandlerTable fdcbHandlers;  // FD CB d xx

    // Budgets are held to this range so that the cycle arithmetic can never
    // overflow (a frame is about 35,000 T-states).
    static constexpr std::int32_t kMaxBudget = 1 << 30;
    static constexpr std::int32_t kMinBudget = -(1 << 30);

    explicit Z80(Bus& bus) : bus_(&bus) { clearInterruptRequests(); }
    // A processor that goes on from `run` (registers, pending requests and
    // the run fields as runState() gave them) on `bus`.
    Z80(Bus& bus, const Z80RunState& run)
        : bus_(&bus),
          state_(run.registers),
          cyclesLeft_(run.cyclesLeft),
          lastOpcodeAddress_(run.lastOpcodeAddress) {}

    // Everything the processor needs to go on later: the registers and the
    // two run fields.
    Z80RunState runState() const { return {state_, cyclesLeft_, lastOpcodeAddress_}; }

    // Processor reset: every register 0, SP F000, interrupts disabled, mode
    // 0, nothing pending. Leaves cyclesLeft and lastOpcodeAddress alone.
    void resetZ80() {
        state_ = Z80State{};
        state_.SP = kResetStackPointer;
        clearInterruptRequests();
    }

    // Runs whole instructions until the budget (T-states) is spent; returns
    // the T-states executed (budget minus cyclesLeft at return).
    std::int32_t runZ80(std::int32_t budget);

    // Goes on with the budget left in cyclesLeft (set by the Z80RunState the
    // processor was made from): runs whole instructions until it is spent,
    // or, on a watching bus, until the bus asks to stop after one; cyclesLeft
    // then keeps what is left, so that a later resumeZ80 goes on from there.
    // At least one instruction runs.
    void resumeZ80() { runSteps(); }

    // A budget held to [kMinBudget, kMaxBudget].
    static std::int32_t clampBudget(std::int32_t budget) {
        if (budget > kMaxBudget) return kMaxBudget;
        if (budget < kMinBudget) return kMinBudget;
        return budget;
    }

    // As resumeZ80, but the run also ends once no more than `held` T-states
    // of the budget are left; they stay in cyclesLeft for a later resume. A
    // watching bus's owner uses it to be back at a time it named without a
    // test on every step. An idle loop or HALT still gives up the whole
    // budget, exactly as in one unbroken run.
    void resumeZ80Holding(std::int32_t held) {
        cyclesLeft_ -= held;
        heldCycles_ = held;
        runSteps();
        cyclesLeft_ += held;
        heldCycles_ = 0;
    }

    // T-states of the last instruction run on a watching bus (with an
    // interrupt accepted before it).
    std::uint32_t lastStepTStates() const { return lastStepTStates_; }

    // A watching bus (machine/watching_bus.h) hands the loop a step watch
    // (stepWatch, of the kind stepWork names) as each run starts. The loop
    // keeps it in registers, tells
    // it where every step starts (starting, after an interrupt was accepted)
    // and asks it after the step, with the T-states the step took, whether
    // the run ends there (ended); an accepted interrupt is reported through
    // interruptAccepted with the PC it interrupted. A bus without these
    // compiles to the plain loop.
    static constexpr bool kWatchingBus = requires(Bus & bus, const Z80State& state) {
        { bus.stepWork() } -> std::convertible_to<bool>;
        bus.template stepWatch<true>().starting(state);
        { bus.template stepWatch<false>().ended(state, std::uint32_t{}) } -> std::convertible_to<bool>;
        bus.interruptAccepted(std::uint16_t{});
    };

    void getZ80Registers(Z80State& destination) const { destination = state_; }

    // Copies the whole record in, pending requests included. Register pairs
    // are cut to 16 bits and I to 8 bits, so that a damaged snapshot cannot
    // break the core's invariants; nothing else is checked or changed.
    void setZ80Registers(const Z80State& source);

    // Address of the opcode (first prefix) byte of the instruction last
    // started by the loop; -1 after an interrupt was accepted.
    std::int32_t lastOpcodeAddress() const { return lastOpcodeAddress_; }

    // The part of the current budget not yet spent (T-states).
    std::int32_t cyclesLeft() const { return cyclesLeft_; }

    void clearInterruptRequests() {
        state_.irqVector = kNoInterruptRequest;
        state_.nmiPending = 0;
    }

    // Direct access to the registers, e.g. to post an interrupt request.
    // Register pairs must hold 16-bit values and I an 8-bit value.
    Z80State& state() { return state_; }
    const Z80State& state() const { return state_; }

    Bus& bus() { return *bus_; }

    // Accepts a pending NMI, or a pending maskable request when IFF1 is set;
    // otherwise changes nothing. Called by the loop before each instruction
    // and by EI after the instruction that follows it.
    void acceptInterrupt();

    // Writes the text of the instruction at address (lower-case Zilog
    // mnemonics) into text, which holds at least kDisassemblyTextSize
    // characters; returns the instruction's length in bytes (1-4). Reads the
    // bytes with fetchOpcode and changes no register.
    int disassembleInstruction(char* text, std::uint16_t address);

    // Writes the two trace lines of the instruction at record.PC to
    // debugLogFile (when it is open).
    void traceInstruction(const Z80State& record);

    bool traceOn() const { return traceOn_; }

    std::FILE* debugLogFile = nullptr;    // trace output when open (not owned)
    std::int32_t traceStartAddress = -1;  // trace switches on when PC equals it (-1: never)

  private:
    friend struct Z80MainOps<Bus>;
    friend struct Z80CbOps<Bus>;
    friend struct Z80EdOps<Bus>;
    friend struct Z80IndexOps<Bus, Pair::IX>;
    friend struct Z80IndexOps<Bus, Pair::IY>;
    friend struct Z80InterruptOps<Bus>;

    static constexpr std::uint32_t kResetStackPointer = 0xF000;

    static std::uint16_t address16(std::uint32_t address) {
        return static_cast<std::uint16_t>(address);
    }

    // Operand fetch at PC (through fetchOpcode), PC moves on.
    std::uint32_t fetchByte() {
        const std::uint32_t value = bus_->fetchOpcode(address16(state_.PC));
        state_.PC = (state_.PC + 1) & 0xFFFF;
        return value;
    }

    std::uint32_t fetchWord() {
        const std::uint32_t low = fetchByte();
        return low | (fetchByte() << 8);
    }

    [[gnu::always_inline]] std::uint32_t readByte(std::uint32_t address) { return bus_->readMemory(address16(address)); }

    [[gnu::always_inline]] void writeByte(std::uint32_t address, std::uint32_t value) {
        bus_->writeMemory(address16(address), static_cast<std::uint8_t>(value));
    }

    // Low byte at address, then high byte at address+1 (16-bit wrap).
    std::uint32_t readWord(std::uint32_t address) {
        const std::uint32_t low = readByte(address);
        return low | (readByte(address + 1) << 8);
    }

    void writeWord(std::uint32_t address, std::uint32_t value) {
        writeByte(address, value & 0xFF);
        writeByte(address + 1, value >> 8);
    }

    // SP down by 2, then the low byte at SP and the high byte at SP+1.
    void push(std::uint32_t value) {
        state_.SP = (state_.SP - 2) & 0xFFFF;
        writeByte(state_.SP, value & 0xFF);
        writeByte(state_.SP + 1, value >> 8);
    }

    // The high byte at SP+1 first, then the low byte at SP; SP up by 2.
    std::uint32_t pop() {
        const std::uint32_t high = readByte(state_.SP + 1);
        const std::uint32_t low = readByte(state_.SP);
        state_.SP = (state_.SP + 2) & 0xFFFF;
        return (high << 8) | low;
    }

    // Fetches the displacement d and returns (IX+d) or (IY+d).
    template <Pair Index>
    std::uint32_t indexedAddress() {
        const std::uint32_t displacement = fetchByte();
        return (pairValue<Index>(state_) + signExtend(displacement)) & 0xFFFF;
    }

    // Charges and runs one unprefixed opcode (used by EI and mode 0/1
    // interrupt acceptance).
    void runBaseOpcode(std::uint32_t opcode) {
        cyclesLeft_ -= baseCycles[opcode];
        baseHandlers[opcode](*this);
    }

    // Gives up the rest of the budget down to the given floor (idle loops,
    // HALT).
    void limitCyclesLeft(std::int32_t floor) {
        if constexpr (kWatchingBus) floor -= heldCycles_;  // the floor of the whole budget
        if (cyclesLeft_ > floor) cyclesLeft_ = floor;
    }

    void runSteps();

    // The plain loop's step watch: nothing to tell, never ends a run.
    struct NoStepWatch {
        void starting(const Z80State&) const {}
        bool ended(const Z80State&, std::uint32_t) const { return false; }
    };
    template <class StepWatch>
    void runStepsWith(StepWatch watch);

    bool traceDue() const {
        return (static_cast<std::int32_t>(state_.PC) == traceStartAddress) | traceOn_;
    }

    void traceIfDue() {
        if (traceDue()) [[unlikely]] {
            traceOn_ = true;
            traceInstruction(state_);
        }
    }

    Bus* bus_;  // never null
    Z80State state_{};
    std::int32_t cyclesLeft_ = 0;         // T-states of the budget not yet spent
    std::int32_t lastOpcodeAddress_ = 0;  // 0000-FFFF, or -1 after an interrupt
    bool traceOn_ = false;                // set once PC met traceStartAddress
    std::int32_t heldCycles_ = 0;         // budget set aside by resumeZ80Holding
    std::uint32_t lastStepTStates_ = 0;   // kept on a watching bus only
};

template <Z80Bus Bus>
std::int32_t Z80<Bus>::runZ80(std::int32_t budget) {
    budget = clampBudget(budget);
    cyclesLeft_ = budget;
    runSteps();
    return budget - cyclesLeft_;
}

template <Z80Bus Bus>
void Z80<Bus>::runSteps() {
    if constexpr (kWatchingBus) {
        if (bus_->stepWork()) {
            runStepsWith(bus_->template stepWatch<true>());
        } else {
            runStepsWith(bus_->template stepWatch<false>());
        }
    } else {
        runStepsWith(NoStepWatch{});
    }
}

template <Z80Bus Bus>
template <class StepWatch>
[[gnu::always_inline]] inline void Z80<Bus>::runStepsWith(StepWatch watch) {
    std::uint32_t spent = 0;
    do {
        const std::int32_t before = cyclesLeft_;
        // irqVector + 1 is 0 exactly when no maskable request is pending.
        if ((state_.nmiPending | (state_.irqVector + 1u)) != 0) [[unlikely]] {
            acceptInterrupt();
        }
        watch.starting(state_);
        // On a watching bus the debugger's trace takes the place of the core's.
        if constexpr (!kWatchingBus) traceIfDue();
        ++state_.R;
        const std::uint32_t opcode = bus_->fetchOpcode(address16(state_.PC));
        lastOpcodeAddress_ = static_cast<std::int32_t>(state_.PC);
        state_.PC = (state_.PC + 1) & 0xFFFF;
        cyclesLeft_ -= baseCycles[opcode];
        baseHandlers[opcode](*this);
        spent = static_cast<std::uint32_t>(before - cyclesLeft_);
        bus_->advanceTStates(spent);
        if (watch.ended(state_, spent)) [[unlikely]] {
            break;
        }
    } while (cyclesLeft_ > 0);
    if constexpr (kWatchingBus) lastStepTStates_ = spent;
}

template <Z80Bus Bus>
void Z80<Bus>::setZ80Registers(const Z80State& source) {
    state_ = source;
    for (std::uint32_t* pair :
         {&state_.AF, &state_.BC, &state_.DE, &state_.HL, &state_.IX, &state_.IY, &state_.PC,
          &state_.SP, &state_.altAF, &state_.altBC, &state_.altDE, &state_.altHL}) {
        *pair &= 0xFFFF;
    }
    state_.I &= 0xFF;
}

}  // namespace vantorel

#include "z80/z80_base_ops.h"
#include "z80/z80_cb_ops.h"
#include "z80/z80_disassembler.h"
#include "z80/z80_ed_ops.h"
#include "z80/z80_index_ops.h"
#include "z80/z80_interrupts.h"
#include "z80/z80_trace.h"
