#include "files/write_faults.h"

namespace vantorel {

namespace {

// Per thread, so that tests running saves on several threads do not see each
// other's faults. Null outside tests.
thread_local WriteFaults* installedFaults = nullptr;

}  // namespace

const char* writeStepName(WriteStep step) {
    switch (step) {
        case WriteStep::create:
            return "create";
        case WriteStep::write:
            return "write";
        case WriteStep::flush:
            return "flush";
        case WriteStep::rename:
            return "rename";
    }
    return "?";
}

ScopedWriteFaults::ScopedWriteFaults(WriteFaults& faults) : previous_(installedFaults) {
    installedFaults = &faults;
}

ScopedWriteFaults::~ScopedWriteFaults() {
    installedFaults = previous_;
}

bool writeStepFails(WriteStep step) {
    return installedFaults != nullptr && installedFaults->failStep(step);
}

bool FailingStep::failStep(WriteStep step) {
    const int count = ++taken_[static_cast<std::size_t>(step)];
    return step == step_ && count == occurrence_;
}

}  // namespace vantorel
