// The processor slice with a debugger watching: a second instantiation of
// the core, over the watching bus, kept apart from the plain one.
//
// The listener's wake time is kept by ending each processor run there
// (Z80::resumeZ80Holding) rather than by a test after every step; the
// every-step mode looks after each step itself and runs unbroken.
#include <algorithm>

#include "machine/machine.h"

namespace vantorel {

namespace {

// T-states of the slice's budget to hold back so that the run ends at the
// wake time (none in the every-step mode, or when the wake lies beyond).
std::int32_t heldForWake(const WatchSet& watch, std::uint32_t counter, std::int32_t left) {
    if (watch.everyStep || watch.pause) return 0;
    const auto toWake = static_cast<std::int32_t>(watch.wakeCounter - counter);
    if (toWake >= left) return 0;
    return left - std::max(toWake, 0);
}

}  // namespace

bool Machine::runWatchedSlice() {
    WatchSet& watch = *watch_.set;
    bus_.watch = &watch;
    Z80RunState& run = bus_.state.cpu;
    do {
        watch.asked = false;
        bus_.makePages();
        bus_.pendingCount = 0;
        const std::int32_t held = heldForWake(watch, tstateCounter(), run.cyclesLeft);
        bus_.runEndCounter = tstateCounter() + static_cast<std::uint32_t>(run.cyclesLeft - held);
        Z80<WatchingBus> cpu{bus_, run};
        cpu.resumeZ80Holding(held);
        run = cpu.runState();
        if (watch.stopped) break;
        const bool askedAtLastStep = watch.asked && watch.askedCounter == tstateCounter();
        if (!askedAtLastStep && watch.due(tstateCounter()) &&
            bus_.askListener(run.registers, cpu.lastStepTStates())) {
            break;
        }
    } while (run.cyclesLeft > 0);
    return run.cyclesLeft <= 0;
}

}  // namespace vantorel
