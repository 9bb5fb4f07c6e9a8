// The eight save-state slots of the program loaded.
//
// Slots belong to a program: the monitor and character ROMs and the game
// ROMs in the slots, together one key (timeline/state_file.h). Slot n of a
// program is the file states/<key>/slot<n>.vstate under the start-up
// folder, written atomically. One slot is the current one (1 at start);
// Save State writes it, Load State reads it, and Undo Load State puts back
// the machine as it was before the last load. A file that cannot be used
// (another version, other ROMs, damaged) is refused with a message and the
// machine stays as it was.
//
// Owned by the main window (Util menu, F2, F3, Alt+1..8).
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "machine/machine.h"
#include "timeline/state_file.h"

namespace vantorel {

inline constexpr int kStateSlots = 8;

class StateSlots {
  public:
    // `startup`: the start-up folder (states/ goes under it); `version`:
    // the program's, written into every file and checked on every load.
    StateSlots(std::filesystem::path startup, std::string version);

    int current() const { return current_; }
    void choose(int slot);  // 1-8; others are ignored

    std::filesystem::path pathOf(const Machine& machine, int slot) const;
    // The current slot's file takes the machine as it is; `emulatedFrames`
    // is where it stands on its timeline, `nowSeconds` the host's time.
    // The problem in words when it could not be written.
    std::optional<std::string> save(const Machine& machine, std::int64_t emulatedFrames,
                                    std::int64_t nowSeconds);
    // The current slot's state into the machine; the machine before it is
    // kept for undoLoad. The problem in words when the file was refused.
    std::optional<std::string> load(Machine& machine);
    bool canUndoLoad() const { return beforeLoad_.has_value(); }
    bool undoLoad(Machine& machine);
    // A slot's whole state (for its thumbnail and time), or why not.
    StateFileRead read(const Machine& machine, int slot) const;

  private:
    std::filesystem::path folder_;
    std::string version_;
    int current_ = 1;
    std::optional<MachineSnapshot> beforeLoad_;
};

}  // namespace vantorel
