#include "timeline/timeline.h"

#include <algorithm>
#include <cstring>

namespace vantorel {

namespace {

constexpr std::size_t kWholeKeyframeEvery = 32;  // a keyframe packed whole after 31 differences
constexpr std::int64_t kMostFramesStored = 241;  // two seconds at 120 frames a second

// The inputs a record names, by address: a keyframe holds every input the
// timeline has seen, so a new one never takes an old one's address.
std::array<const void*, 7> inputIds(const MachineInputs& inputs) {
    return {inputs.roms.monitor.get(),  inputs.roms.characters.get(), inputs.gameRoms.a000.get(),
            inputs.gameRoms.c000.get(), inputs.gameRoms.d000.get(),   inputs.tape.get(),
            inputs.text.get()};
}

// The record's bytes before RAM's image and after it (the processor, the
// devices, the memory flags): a few kilobytes.
struct RamBytes {
    std::size_t from = 0;
    std::size_t to = 0;
};

RamBytes ramBytesOf(const MachineState& state) {
    const auto from = static_cast<std::size_t>(state.memory.image.data() -
                                               reinterpret_cast<const std::uint8_t*>(&state));
    return {from, from + state.memory.image.size()};
}

void copyAroundRam(const MachineState& state, std::vector<std::uint8_t>& out) {
    const auto* record = reinterpret_cast<const std::uint8_t*>(&state);
    const RamBytes ram = ramBytesOf(state);
    out.resize(ram.from + sizeof(MachineState) - ram.to);
    std::memcpy(out.data(), record, ram.from);
    std::memcpy(out.data() + ram.from, record + ram.to, sizeof(MachineState) - ram.to);
}

bool sameAroundRam(const MachineState& state, const std::vector<std::uint8_t>& kept) {
    const auto* record = reinterpret_cast<const std::uint8_t*>(&state);
    const RamBytes ram = ramBytesOf(state);
    return kept.size() == ram.from + sizeof(MachineState) - ram.to &&
           std::memcmp(kept.data(), record, ram.from) == 0 &&
           std::memcmp(kept.data() + ram.from, record + ram.to, sizeof(MachineState) - ram.to) == 0;
}

// The machine put back with its frames muted and nothing printed: frames run
// again are not heard or printed twice.
class QuietHost {
  public:
    explicit QuietHost(Machine& machine) : machine_(machine), host_(machine.host()) {
        MachineHost quiet = host_;
        quiet.speaker = nullptr;
        quiet.printer = nullptr;
        machine_.attachHost(quiet);
    }
    ~QuietHost() { machine_.attachHost(host_); }
    QuietHost(const QuietHost&) = delete;
    QuietHost& operator=(const QuietHost&) = delete;

  private:
    Machine& machine_;
    MachineHost host_;
};

}  // namespace

Timeline::Timeline(std::int64_t memoryCapBytes)
    : cap_(memoryCapBytes),
      newestKeyState_(std::make_unique<MachineState>()),
      scratch_(std::make_unique<MachineState>()) {}

Timeline::~Timeline() = default;

void Timeline::clear() {
    keyframes_.clear();
    packedBytes_ = 0;
    log_.clear();
    ayLog_.clear();
    store_.clear();
    storedFirst_ = 0;
    storedLast_ = -1;
    position_ = 0;
    end_ = 0;
    positionTStates_ = 0;
    frameEnd_.known = false;
    partialPoints_ = 0;
    editedInside_ = false;
}

void Timeline::start(const Machine& machine) {
    clear();
    const std::int64_t perSecond = std::max(machine.timing().framesPerSecond, 1);
    const std::int64_t slots = std::min(2 * perSecond + 1, kMostFramesStored);
    store_.resize(static_cast<std::size_t>(slots));
    for (auto& slot : store_) slot = std::make_unique<StoredFrame>();
    addKeyframe(machine.state(), machine.inputs(), true);
    noteFrameEnd(machine);
}

TimelineRun Timeline::exportRun() const {
    TimelineRun run;
    for (std::size_t index = 0; index < keyframes_.size(); ++index) {
        const Keyframe& keyframe = keyframes_[index];
        if (index > 0 && !keyframe.command) continue;
        MachineSnapshot snapshot;
        unpackKeyframe(index, snapshot.state);
        snapshot.inputs = keyframe.inputs;
        if (index == 0) {
            run.start = std::move(snapshot);
        } else {
            run.commands.push_back({keyframe.frame, keyframe.tstate, std::move(snapshot)});
        }
    }
    run.log = log_;
    run.ay = ayLog_;
    run.frames = end_;
    return run;
}

void Timeline::importRun(const TimelineRun& run) {
    clear();
    const std::int64_t perSecond = std::max(run.start.state.timing.framesPerSecond, 1);
    store_.resize(static_cast<std::size_t>(std::min(2 * perSecond + 1, kMostFramesStored)));
    for (auto& slot : store_) slot = std::make_unique<StoredFrame>();
    const auto add = [this](std::int64_t frame, std::int64_t tstate,
                            const MachineSnapshot& snapshot) {
        position_ = frame;
        positionTStates_ = tstate;
        Keyframe keyframe;
        keyframe.frame = frame;
        keyframe.tstate = tstate;
        keyframe.command = true;
        keyframe.whole = true;
        keyframe.packed = packState(snapshot.state, nullptr);
        keyframe.inputs = snapshot.inputs;
        packedBytes_ += keyframe.packed.capacity();
        keyframes_.push_back(std::move(keyframe));
    };
    add(0, 0, run.start);
    for (const TimelineRun::Command& command : run.commands) {
        if (command.frame > keyframes_.back().frame && command.frame <= run.frames) {
            add(command.frame, command.tstate, command.snapshot);
        }
    }
    unpackKeyframe(keyframes_.size() - 1, *newestKeyState_);
    log_ = run.log;
    ayLog_ = run.ay;
    end_ = run.frames;
    position_ = 0;
    positionTStates_ = 0;
}

void Timeline::setMemoryCap(std::int64_t bytes) {
    if (bytes == cap_) return;
    cap_ = bytes;
    thinToCap();
}

// --- Recording ---

FrameResult Timeline::runFrame(Machine& machine, FrameSound sound) {
    if (machine.midFrame() && started()) {
        if (position_ < end_) return replayFrame(machine);
        const FrameResult result = runLoggedFrame(machine, sound);
        if (result.complete) advancePosition(machine, result);
        thinToCap();
        return result;
    }
    if (!started()) start(machine);
    if (position_ < end_) dropFuture();
    noteChangesBetweenFrames(machine);
    const std::int64_t perSecond = std::max(machine.timing().framesPerSecond, 1);
    if (position_ % perSecond == 0 && keyframes_.back().frame != position_) {
        addKeyframe(machine.state(), machine.inputs(), false);
    }
    const FrameResult result = runLoggedFrame(machine, sound);
    if (result.complete) advancePosition(machine, result);
    thinToCap();
    return result;
}

void Timeline::advancePosition(Machine& machine, const FrameResult& result) {
    ++position_;
    end_ = position_;
    partialPoints_ = 0;
    positionTStates_ += result.tstates.total();
    noteFrameEnd(machine);
    if (editedInside_) {
        editedInside_ = false;
        addKeyframe(machine.state(), machine.inputs(), true);
    }
}

FrameResult Timeline::replayFrame(Machine& machine) {
    if (!started() || position_ >= end_) return {};
    FrameResult result;
    {
        QuietHost quiet{machine};
        replaying_ = true;
        result = runLoggedFrame(machine, FrameSound::off);
        replaying_ = false;
    }
    if (!result.complete) return result;
    landReplayedFrame(machine, result);
    noteFrameEnd(machine);
    return result;
}

// A replayed frame's end: the next frame boundary, in the store, or a
// command's keyframe put back where one was made.
void Timeline::landReplayedFrame(Machine& machine, const FrameResult& result) {
    ++position_;
    positionTStates_ += result.tstates.total();
    const std::size_t index = keyframeAtOrBefore(position_);
    if (keyframes_[index].frame == position_ && keyframes_[index].command) {
        putBack(machine, keyframes_[index]);
    } else {
        store(position_, positionTStates_, machine);
    }
}

void Timeline::noteFrameEnd(const Machine& machine) {
    frameEnd_.known = true;
    frameEnd_.ramEdits = machine.ramEdits();
    frameEnd_.inputs = inputIds(machine.inputs());
    copyAroundRam(machine.state(), frameEnd_.aroundRam);
}

bool Timeline::changedSinceFrameEnd(const Machine& machine) const {
    return !frameEnd_.known || machine.ramEdits() != frameEnd_.ramEdits ||
           inputIds(machine.inputs()) != frameEnd_.inputs ||
           !sameAroundRam(machine.state(), frameEnd_.aroundRam);
}

// A machine changed since the last frame's end was changed by a command:
// the changed machine becomes a keyframe (in place of one made at the same
// frame), and the store holds it in place of the frame's end.
void Timeline::noteChangesBetweenFrames(const Machine& machine) {
    if (!changedSinceFrameEnd(machine)) return;
    // A frame a debugger stopped inside and a command then gave up (a reset
    // from the middle of it) has its inputs read so far dropped.
    if (partialPoints_ > 0) {
        log_.erase(
            std::lower_bound(log_.begin(), log_.end(), position_,
                             [](const InputEvent& e, std::int64_t f) { return e.frame < f; }),
            log_.end());
        partialPoints_ = 0;
    }
    store(position_, positionTStates_, machine);
    if (keyframes_.back().frame == position_) {
        packedBytes_ -= keyframes_.back().packed.capacity();
        keyframes_.pop_back();
        if (!keyframes_.empty()) unpackKeyframe(keyframes_.size() - 1, *newestKeyState_);
    }
    addKeyframe(machine.state(), machine.inputs(), true);
}

void Timeline::addKeyframe(const MachineState& state, const MachineInputs& inputs, bool command) {
    std::size_t sinceWhole = 0;
    for (auto it = keyframes_.rbegin(); it != keyframes_.rend() && !it->whole; ++it) ++sinceWhole;
    Keyframe keyframe;
    keyframe.frame = position_;
    keyframe.tstate = positionTStates_;
    keyframe.command = command;
    keyframe.whole = keyframes_.empty() || sinceWhole + 1 >= kWholeKeyframeEvery;
    keyframe.packed = packState(state, keyframe.whole ? nullptr : newestKeyState_.get());
    keyframe.inputs = inputs;
    packedBytes_ += keyframe.packed.capacity();
    keyframes_.push_back(std::move(keyframe));
    std::memcpy(static_cast<void*>(newestKeyState_.get()), &state, sizeof(MachineState));
}

void Timeline::unpackKeyframe(std::size_t index, MachineState& out) const {
    std::size_t first = index;
    while (!keyframes_[first].whole) --first;
    unpackState(keyframes_[first].packed, nullptr, out);
    for (std::size_t i = first + 1; i <= index; ++i) unpackState(keyframes_[i].packed, &out, out);
}

std::size_t Timeline::keyframeAtOrBefore(std::int64_t frame) const {
    auto after = std::upper_bound(keyframes_.begin(), keyframes_.end(), frame,
                                  [](std::int64_t f, const Keyframe& k) { return f < k.frame; });
    return static_cast<std::size_t>(after - keyframes_.begin()) - 1;
}

// --- The input tap ---

// The input point the running machine is at: its frame's stage tells.
InputPoint Timeline::pointNow() const {
    switch (running_->framePlace().stage) {
        case FrameStage::between:
            return InputPoint::joystickBeforeActiveScan;
        case FrameStage::activeScan:
            return InputPoint::joystickBeforeVerticalBlank;
        default:
            return InputPoint::keyScan;
    }
}

// Replaying, and in the newest frame the points a stopped run already read.
bool Timeline::replaying() const {
    if (replaying_) return true;
    return running_ != nullptr && position_ == end_ &&
           static_cast<int>(pointNow()) < partialPoints_;
}

void Timeline::joysticksRead(JoystickPoll poll, const JoystickBytes& before, JoystickBytes& now) {
    const auto point = static_cast<InputPoint>(poll);
    if (replaying()) {
        now = before;
        applyLogged(point, now.data(), now.size());
        return;
    }
    const std::int64_t at =
        positionTStates_ +
        (poll == JoystickPoll::beforeVerticalBlank ? running_->lastFrame().activeScan : 0);
    for (std::size_t slot = 0; slot < now.size(); ++slot) {
        if (now[slot] == before[slot]) continue;
        log_.push_back({position_, at, point, static_cast<std::uint8_t>(slot), now[slot]});
    }
    partialPoints_ = static_cast<int>(point) + 1;
}

void Timeline::keysScanned(const HostKeyStates& before, HostKeyStates& now) {
    if (replaying()) {
        applyLogged(InputPoint::keyScan, now.data(), now.size());
        return;
    }
    if (now == before) return;
    const std::int64_t at = positionTStates_ + running_->lastFrame().total();
    for (std::size_t key = 0; key < now.size(); ++key) {
        if (now[key] == before[key]) continue;
        log_.push_back(
            {position_, at, InputPoint::keyScan, static_cast<std::uint8_t>(key), now[key]});
    }
}

void Timeline::applyLogged(InputPoint point, std::uint8_t* values, std::size_t count) {
    while (replayCursor_ < log_.size()) {
        const InputEvent& event = log_[replayCursor_];
        if (event.frame == position_ && event.point < point) {  // read before a stop
            ++replayCursor_;
            continue;
        }
        if (event.frame != position_ || event.point != point) break;
        if (event.index < count) values[event.index] = event.value;
        ++replayCursor_;
    }
}

// One frame with the timeline as the machine's tap; replaying, the log's
// events of the frame take the host's place.
FrameResult Timeline::runLoggedFrame(Machine& machine, FrameSound sound) {
    FrameInputTap* previous = machine.inputTap();
    machine.setInputTap(this);
    running_ = &machine;
    if (replaying_ || partialPoints_ > 0) {
        replayCursor_ = static_cast<std::size_t>(
            std::lower_bound(log_.begin(), log_.end(), position_,
                             [](const InputEvent& e, std::int64_t f) { return e.frame < f; }) -
            log_.begin());
        ayCursor_ = ayLog_.seek(position_);
    }
    machine.syncWatchClock(positionTStates_);
    // Nothing but the sound output's frame end changes the AY's record, so
    // the record before a frame's last part is the one before the frame.
    const AyChip ayBefore = machine.state().ay;
    const FrameResult result = machine.runFrame(sound);
    if (result.complete && replaying_) {
        ayLog_.apply(position_, machine.ayChip(), ayCursor_);
    } else if (result.complete) {
        ayLog_.note(position_, ayBefore, machine.state().ay);
    }
    running_ = nullptr;
    machine.setInputTap(previous);
    return result;
}

// --- Going back ---

bool Timeline::seek(Machine& machine, std::int64_t frame) {
    if (!started() || frame < 0 || frame > end_) return false;
    editedInside_ = false;
    machine.endRecordingFile();
    if (const StoredFrame* kept = stored(frame)) {
        machine.restore(kept->snapshot);
        position_ = frame;
        positionTStates_ = kept->tstate;
        noteFrameEnd(machine);
        return true;
    }
    // From far enough back that the store ends up holding the two seconds
    // before the frame; from the store's last frame when that is nearer.
    const std::int64_t from =
        std::max<std::int64_t>(frame - static_cast<std::int64_t>(store_.size()) + 1, 0);
    const Keyframe& keyframe = keyframes_[keyframeAtOrBefore(from)];
    if (storedLast_ >= storedFirst_ && storedLast_ < frame && storedLast_ >= keyframe.frame) {
        const StoredFrame* kept = stored(storedLast_);
        machine.restore(kept->snapshot);
        position_ = storedLast_;
        positionTStates_ = kept->tstate;
    } else {
        putBack(machine, keyframe);
    }
    replayFrames(machine, [frame](std::int64_t at, std::int64_t) { return at >= frame; });
    noteFrameEnd(machine);
    return true;
}

bool Timeline::seekTState(Machine& machine, std::int64_t tstate) {
    if (!started() || tstate < 0) return false;
    editedInside_ = false;
    machine.endRecordingFile();
    if (const StoredFrame* kept = storedAtTState(tstate)) {
        machine.restore(kept->snapshot);
        position_ = kept->frame;
        positionTStates_ = kept->tstate;
        noteFrameEnd(machine);
        return true;
    }
    std::size_t index = keyframes_.size() - 1;
    while (index > 0 && keyframes_[index].tstate > tstate) --index;
    putBack(machine, keyframes_[index]);
    // Frames run until the next would start past the T-state; the last one
    // run is taken back from the store when it went past.
    replayFrames(machine, [this, tstate](std::int64_t at, std::int64_t atTState) {
        return at >= end_ || atTState >= tstate;
    });
    if (positionTStates_ > tstate) {
        const StoredFrame* kept = stored(position_ - 1);
        machine.restore(kept->snapshot);
        --position_;
        positionTStates_ = kept->tstate;
    }
    noteFrameEnd(machine);
    return true;
}

void Timeline::putBack(Machine& machine, const Keyframe& keyframe) {
    const auto index = static_cast<std::size_t>(&keyframe - keyframes_.data());
    MachineSnapshot snapshot;
    unpackKeyframe(index, snapshot.state);
    snapshot.inputs = keyframe.inputs;
    machine.restore(snapshot);
    position_ = keyframe.frame;
    positionTStates_ = keyframe.tstate;
    store(position_, positionTStates_, machine);
}

// Runs the logged frames from the position, muted, until `stop(frame,
// tstate)` says so; every frame boundary passed lands in the store, a
// command's keyframe put back where one was made.
template <class Stop>
void Timeline::replayFrames(Machine& machine, Stop stop) {
    QuietHost quiet{machine};
    replaying_ = true;
    while (!stop(position_, positionTStates_) && position_ < end_) {
        landReplayedFrame(machine, runLoggedFrame(machine, FrameSound::off));
    }
    replaying_ = false;
}

void Timeline::dropFuture() {
    if (position_ >= end_) return;
    while (keyframes_.back().frame > position_) {
        packedBytes_ -= keyframes_.back().packed.capacity();
        keyframes_.pop_back();
    }
    unpackKeyframe(keyframes_.size() - 1, *newestKeyState_);
    log_.erase(std::lower_bound(log_.begin(), log_.end(), position_,
                                [](const InputEvent& e, std::int64_t f) { return e.frame < f; }),
               log_.end());
    ayLog_.dropFrom(position_);
    partialPoints_ = 0;
    if (storedLast_ > position_) storedLast_ = std::max(position_, storedFirst_ - 1);
    end_ = position_;
}

// --- The per-frame store ---

Timeline::StoredFrame* Timeline::stored(std::int64_t frame) {
    if (store_.empty() || frame < storedFirst_ || frame > storedLast_) return nullptr;
    return store_[static_cast<std::size_t>(frame % static_cast<std::int64_t>(store_.size()))].get();
}

const Timeline::StoredFrame* Timeline::stored(std::int64_t frame) const {
    return const_cast<Timeline*>(this)->stored(frame);
}

// The store holds consecutive frames: a frame next to them joins them (the
// oldest going when full), one inside them ends them there, any other
// starts them again.
void Timeline::store(std::int64_t frame, std::int64_t tstate, const Machine& machine) {
    const auto slots = static_cast<std::int64_t>(store_.size());
    if (storedLast_ < storedFirst_ || frame < storedFirst_ || frame > storedLast_ + 1) {
        storedFirst_ = frame;
    }
    storedLast_ = frame;
    storedFirst_ = std::max(storedFirst_, storedLast_ - slots + 1);
    StoredFrame& slot = *store_[static_cast<std::size_t>(frame % slots)];
    slot.frame = frame;
    slot.tstate = tstate;
    machine.capture(slot.snapshot);
}

// The stored frame whose span holds `tstate` (its start at or before it,
// the next frame's start after it), when the store holds both.
const Timeline::StoredFrame* Timeline::storedAtTState(std::int64_t tstate) const {
    if (storedLast_ <= storedFirst_) return nullptr;
    std::int64_t low = storedFirst_;
    std::int64_t high = storedLast_ - 1;
    if (stored(low)->tstate > tstate || stored(storedLast_)->tstate <= tstate) return nullptr;
    while (low < high) {  // the last frame starting at or before tstate
        const std::int64_t middle = low + (high - low + 1) / 2;
        if (stored(middle)->tstate <= tstate) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    return stored(low);
}

std::int64_t Timeline::framesStoredBack() const {
    if (position_ < storedFirst_ || position_ > storedLast_) return 0;
    return position_ - storedFirst_;
}

// --- Memory ---

std::int64_t Timeline::memoryBytes() const {
    std::size_t bytes = 2 * sizeof(MachineState) + store_.size() * sizeof(StoredFrame) +
                        log_.capacity() * sizeof(InputEvent) +
                        keyframes_.capacity() * sizeof(Keyframe) + ayLog_.memoryBytes() +
                        packedBytes_;
    return static_cast<std::int64_t>(bytes);
}

std::int64_t Timeline::keyframeBytes() const {
    return static_cast<std::int64_t>(packedBytes_);
}

void Timeline::thinToCap() {
    while (memoryBytes() > cap_ && thinOnce()) {
    }
}

// Drops the keyframe whose neighbours lie closest together for its age
// (the oldest of equals): never the first, the newest or a command's. The
// one after it is packed again against the one before (or whole, when the
// dropped one was): its difference XORed with the dropped one's bytes,
// without unpacking either chain.
bool Timeline::thinOnce() {
    std::size_t best = 0;
    double bestScore = -1.0;
    for (std::size_t k = 1; k + 1 < keyframes_.size(); ++k) {
        if (keyframes_[k].command) continue;
        const auto span = static_cast<double>(keyframes_[k + 1].frame - keyframes_[k - 1].frame);
        const double score = static_cast<double>(end_ - keyframes_[k].frame) / span;
        if (score > bestScore) {
            bestScore = score;
            best = k;
        }
    }
    if (best == 0) return false;
    Keyframe& next = keyframes_[best + 1];
    if (!next.whole) {
        MachineState& bytes = *scratch_;
        unpackState(keyframes_[best].packed, nullptr, bytes);
        unpackState(next.packed, &bytes, bytes);
        next.whole = keyframes_[best].whole;
        packedBytes_ -= next.packed.capacity();
        next.packed = packState(bytes, nullptr);
        packedBytes_ += next.packed.capacity();
    }
    packedBytes_ -= keyframes_[best].packed.capacity();
    keyframes_.erase(keyframes_.begin() + static_cast<std::ptrdiff_t>(best));
    return true;
}

}  // namespace vantorel
