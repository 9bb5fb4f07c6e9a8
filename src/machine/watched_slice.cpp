// The processor slice with a debugger watching: a second instantiation of
// the core, over the watching bus, kept apart from the plain one.
#include "machine/machine.h"

namespace vantorel {

bool Machine::runWatchedSlice() {
    bus_.watch = watch_.set;
    Z80<WatchingBus> cpu{bus_, bus_.state.cpu};
    cpu.resumeZ80();
    bus_.state.cpu = cpu.runState();
    return cpu.cyclesLeft() <= 0;
}

}  // namespace vantorel
