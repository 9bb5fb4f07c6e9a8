// Where in its frame the machine stands.
//
// A frame runs in stages: its start (the sound's frame start, the first
// joystick poll), the active-scan slice, the second poll, the vertical-blank
// slice, its end (the sound's frame end, the keyboard scan). Without a
// debugger a frame runs whole and the record always stands between frames
// (stage `between`, every field zero). A debugger can stop the processor
// after any instruction; the record then says which slice it stands in, the
// budget that slice was given (the processor's cyclesLeft keeps what is
// left of it) and what the active-scan slice executed, so that a captured
// machine can be put back there and the frame finished later, exactly as if
// it had run whole. A slice whose budget is spent is followed at once by the
// work between it and the next slice, so every stop lies at a distinct
// T-state. Part of MachineState (machine_state.h); Machine::runFrame keeps it.
#pragma once

#include <cstdint>

namespace vantorel {

enum class FrameStage : std::uint32_t { between = 0, activeScan = 1, verticalBlank = 2 };

struct FramePlace {
    FrameStage stage = FrameStage::between;
    std::int32_t sliceBudget = 0;     // the budget the current slice was given
    std::int32_t activeScanDone = 0;  // T-states the active-scan slice executed (in vertical blank)
    std::uint32_t unused = 0;         // keeps the record free of padding
};

}  // namespace vantorel
