#include "machine/machine.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "cassette/tape_files.h"
#include "input/joystick.h"

namespace vantorel {

namespace {

constexpr std::uint16_t kScreenNoiseStart = kVisibleScreenStart;  // F080-F7FF
constexpr std::uint16_t kScreenNoiseEnd = kCharacterRomStart;
constexpr std::uint32_t kCharacterNoiseStart = kProgrammableCharactersStart;  // FC00-FFFF
constexpr std::uint32_t kCharacterNoiseEnd = 0x10000;

// The record at power-up, every byte between its fields zero, so that two
// records of the same machine compare equal byte for byte.
void powerUp(MachineState& state) {
    std::memset(static_cast<void*>(&state), 0, sizeof state);
    new (&state) MachineState;
}

}  // namespace

Machine::Machine() {
    powerUp(bus_.state);
}

Machine::Machine(const MachineHost& host) : Machine() {
    attachHost(host);
}

void Machine::attachHost(const MachineHost& host) {
    host_ = host;
    bus_.speaker = host.speaker;
    bus_.debugSink = host.debug;
    bus_.printer = host.printer;
}

void Machine::applyHardwareSettings() {
    bus_.state.ramexpanders = config_.ramexpanders;
}

void Machine::computeTiming() {
    bus_.state.timing = vantorel::computeTiming(config_);
}

void Machine::initKeyLayout() {
    if (host_.keys == nullptr) return;
    keyboard().initKeyLayout(*host_.keys);
    sensibleKeys_.init(keyboard().layout, *host_.keys);
}

// --- The state record ---

void Machine::capture(MachineSnapshot& snapshot) const {
    std::memcpy(static_cast<void*>(&snapshot.state), &bus_.state, sizeof(MachineState));
    snapshot.inputs = bus_.inputs;
}

MachineSnapshot Machine::capture() const {
    MachineSnapshot snapshot;
    capture(snapshot);
    return snapshot;
}

void Machine::restore(const MachineSnapshot& snapshot) {
    closeFrameSound();
    std::memcpy(static_cast<void*>(&bus_.state), &snapshot.state, sizeof(MachineState));
    bus_.inputs = snapshot.inputs;
    cutRecordingBack();
}

// The recording is output: a restore cuts it back to what the record says
// it held. A recording started since is not the one the record names; it
// is dropped.
void Machine::cutRecordingBack() {
    const TapeDeck& deck = bus_.state.tape;
    TapeRecording& recording = bus_.recording;
    if (recording.number != deck.recordingNumber()) {
        recording = TapeRecording{};
        recording.number = deck.recordingNumber();
        recording.format = deck.recordingFormat();
    }
    if (recording.bytes.size() > deck.recordedBytes()) recording.bytes.resize(deck.recordedBytes());
    if (recording.cells.size() > deck.recordedCells()) recording.cells.resize(deck.recordedCells());
    recording.tstates = deck.recordedTStates();
}

void Machine::fillSlot(std::shared_ptr<const SlotA000> rom) {
    bus_.inputs.gameRoms.a000 = std::move(rom);
    memory().filledSlots |= kSlotA000Filled;
}

void Machine::fillSlot(std::shared_ptr<const SlotC000> rom) {
    bus_.inputs.gameRoms.c000 = std::move(rom);
    memory().filledSlots |= kSlotC000Filled;
}

void Machine::fillSlot(std::shared_ptr<const SlotD000> rom) {
    bus_.inputs.gameRoms.d000 = std::move(rom);
    memory().filledSlots |= kSlotD000Filled;
}

void Machine::emptySlots() {
    bus_.inputs.gameRoms.d000.reset();
    bus_.inputs.gameRoms.c000.reset();
    bus_.inputs.gameRoms.a000.reset();
    memory().filledSlots = 0;
}

// --- Resets ---

void Machine::hardReset() {
    reset(true);
}

void Machine::softReset() {
    reset(false);
}

void Machine::reset(bool hard) {
    applyHardwareSettings();
    stopCassette();
    if (host_.printer != nullptr) host_.printer->machineReset();
    MachineState& state = bus_.state;
    // A frame a debugger stopped inside is given up: the reset stands
    // between frames.
    closeFrameSound();
    state.frame = FramePlace{};
    if (hard) {
        state.memory.snapshotRam = false;
        clearMemoryWithNoise();
    }
    Processor cpu{bus_, state.cpu};
    cpu.resetZ80();
    state.cpu = cpu.runState();
    state.tstateCounter.clear();
    state.tape.counterCleared();
    state.memory.bootReadCounter = 0;
    state.running = 1;
}

// RAM powers up as zeros, except that the screen and the programmable
// characters show noise, drawn in ascending address order.
void Machine::clearMemoryWithNoise() {
    auto& image = memory().image;
    PseudoRandom& random = bus_.state.random;
    std::fill(image.begin(), image.end(), std::uint8_t{0});
    for (std::uint32_t address = kScreenNoiseStart; address < kScreenNoiseEnd; ++address) {
        image[address] = static_cast<std::uint8_t>(random.next() & 0xFF);
    }
    for (std::uint32_t address = kCharacterNoiseStart; address < kCharacterNoiseEnd; ++address) {
        image[address] = static_cast<std::uint8_t>(random.next() & 0xFF);
    }
}

// --- Cassette ---

bool Machine::stopCassette() {
    syncTape();
    bus_.state.tape.eject();
    bus_.inputs.tape.reset();
    return finishRecording();
}

bool Machine::finishRecording() {
    TapeDeck& deck = bus_.state.tape;
    if (!deck.recording()) return true;
    deck.finishRecording();
    return closeRecordingFile();
}

// Writes the rest of a file recording and closes the file; a file that could
// not be written is kept aside so that what was recorded can be saved
// elsewhere. True when there was nothing to write or it was written.
bool Machine::closeRecordingFile() {
    if (recordingFile_ == nullptr ||
        recordingFile_->state() != TapeRecordingFile::State::recording) {
        return true;
    }
    recordingFile_->take(bus_.recording);
    const bool written = recordingFile_->finish();
    recordingEnd_ = RecordingEnd{recordingFile_->path(), written, recordingFile_->full()};
    if (!written) unsavedRecording_ = std::move(recordingFile_);
    return written;
}

// What the deck took down since the last slice goes into the file; a WAV
// file that is full ends the recording there.
void Machine::feedRecordingFile() {
    if (recordingFile_ == nullptr || !bus_.state.tape.recording()) return;
    recordingFile_->take(bus_.recording);
    if (recordingFile_->full()) finishRecording();
}

bool Machine::endRecordingFile() {
    const bool written = closeRecordingFile();
    if (written) recordingFile_.reset();
    return written;
}

const TapeRecordingFile* Machine::lastRecordingFile() const {
    return recordingFile_ != nullptr ? recordingFile_.get() : unsavedRecording_.get();
}

bool Machine::saveUnsavedRecording(const std::filesystem::path& path) {
    if (unsavedRecording_ == nullptr || !unsavedRecording_->saveAs(path)) return false;
    recordingFile_ = std::move(unsavedRecording_);
    return true;
}

void Machine::dropUnsavedRecording() {
    unsavedRecording_.reset();  // its new file goes with it
}

// stopCassette brings the deck up to the processor's count first.
void Machine::putTapeIn(std::shared_ptr<const TapeMedia> media) {
    stopCassette();
    bus_.inputs.tape = std::move(media);
    bus_.state.tape.play(*bus_.inputs.tape);
}

void Machine::playTapeWav(WavTape tape) {
    putTapeIn(TapeMedia::wav(std::move(tape)));
}

bool Machine::playTapeBytes(std::vector<std::uint8_t> bytes) {
    if (bytes.empty()) {
        stopCassette();
        return false;
    }
    putTapeIn(TapeMedia::raw(std::move(bytes)));
    return true;
}

bool Machine::recordTape(TapeFormat format, const std::filesystem::path& path,
                         TapeRecordingLimits limits) {
    syncTape();
    finishRecording();
    recordingFile_.reset();
    if (!path.empty()) {
        recordingFile_ = TapeRecordingFile::start(path, format, limits);
        if (recordingFile_ == nullptr) return false;
    }
    bus_.state.tape.startRecording(format, bus_.recording);
    return true;
}

// The tape catches up with the processor; a played tape that ran to its
// end is taken out.
void Machine::syncTape() {
    TapeDeck& deck = bus_.state.tape;
    deck.sync(tstateCounter(), bus_.tapeIo());
    if (!deck.playing() && bus_.inputs.tape) bus_.inputs.tape.reset();
    feedRecordingFile();
}

// --- Quick type ---

QuickTypeResult Machine::startQuickTypeText(std::span<const std::uint8_t> text) {
    const QuickTypeResult result = bus_.state.quickType.start(text.size());
    if (result == QuickTypeResult::ok) {
        bus_.inputs.text = std::make_shared<const QuickTypeText>(text.begin(), text.end());
    }
    return result;
}

std::span<const std::uint8_t> Machine::quickTypeText() const {
    if (!bus_.inputs.text) return {};
    return *bus_.inputs.text;
}

// --- Frames ---

// Turbo frames make no sound: they run far faster than the audio plays.
// Each stage goes on from where a debugger's stop left it (frame_place.h);
// without one the stages simply follow each other.
FrameResult Machine::runFrame(FrameSound sound) {
    if (!running()) return {};
    if (watch_.set != nullptr) watch_.set->stopped = false;
    FramePlace& place = bus_.state.frame;
    if (place.stage == FrameStage::between) {
        beginFrame(sound);
        enterSlice(FrameStage::activeScan, timing().activeScanTStates);
    }
    if (place.stage == FrameStage::activeScan) {
        if (!runSlice()) return stoppedInFrame();
        place.activeScanDone = place.sliceBudget - bus_.state.cpu.cyclesLeft;
        lastFrame_.activeScan = place.activeScanDone;
        syncTape();
        pollJoysticks(JoystickPoll::beforeVerticalBlank);
        enterSlice(FrameStage::verticalBlank, timing().verticalBlankTStates);
        if (watchStopped()) return stoppedInFrame();
    }
    if (!runSlice()) return stoppedInFrame();
    lastFrame_.activeScan = place.activeScanDone;
    lastFrame_.verticalBlank = place.sliceBudget - bus_.state.cpu.cyclesLeft;
    syncTape();
    closeFrameSound();
    scanHostKeyboard();
    place = FramePlace{};
    return {true, lastFrame_, watchStopped(), true};
}

void Machine::beginFrame(FrameSound sound) {
    closeFrameSound();
    SpeakerSink* speaker = sound == FrameSound::on ? host_.speaker : nullptr;
    if (speaker != nullptr) speaker->beginFrameSound(tstateCounter());
    frameSpeaker_.speaker = speaker;
    WatchSet* watch = watch_.set;
    if (watch != nullptr && watch->active && watch->listener != nullptr) {
        watch->listener->frameBegun(watch->clockAt(tstateCounter()));
        watch->aim(tstateCounter());
    }
    pollJoysticks(JoystickPoll::beforeActiveScan);
}

// The slice's budget goes into the processor's cyclesLeft; runSlice spends it.
void Machine::enterSlice(FrameStage stage, std::int32_t budget) {
    FramePlace& place = bus_.state.frame;
    place.stage = stage;
    place.sliceBudget = Processor::clampBudget(budget);
    bus_.state.cpu.cyclesLeft = place.sliceBudget;
}

// Runs the rest of the current slice; false when a debugger stopped it
// before its budget was spent.
bool Machine::runSlice() {
    if (watch_.set != nullptr && watch_.set->active) return runWatchedSlice();
    Processor cpu{bus_, bus_.state.cpu};
    cpu.resumeZ80();
    bus_.state.cpu = cpu.runState();
    return true;
}

FrameResult Machine::stoppedInFrame() const {
    FrameResult result;
    result.ran = true;
    result.stopped = true;
    result.complete = false;
    return result;
}

void Machine::closeFrameSound() {
    if (frameSpeaker_.speaker != nullptr) frameSpeaker_.speaker->endFrameSound();
    frameSpeaker_.speaker = nullptr;
}

std::int64_t Machine::tstatesIntoFrame() const {
    const FramePlace& place = bus_.state.frame;
    const std::int64_t slice = std::int64_t{place.sliceBudget} - bus_.state.cpu.cyclesLeft;
    switch (place.stage) {
        case FrameStage::activeScan:
            return slice;
        case FrameStage::verticalBlank:
            return place.activeScanDone + slice;
        default:
            return 0;
    }
}

void Machine::syncWatchClock(std::int64_t frameStartTStates) {
    WatchSet* watch = watch_.set;
    if (watch == nullptr) return;
    watch->clockBase = frameStartTStates + tstatesIntoFrame();
    watch->counterBase = tstateCounter();
    watch->clock = watch->clockBase;
    watch->aim(tstateCounter());
}

// Both joysticks' states for port FF; with Keys as Joystick the cursor keys
// and Right Ctrl press on joystick 1 as well.
// A replaying tap gives them instead of the host.
void Machine::pollJoysticks(JoystickPoll poll) {
    auto& state = ports().joystickState;
    const JoystickBytes before = state;
    if (inputTap_.tap == nullptr || !inputTap_.tap->replaying()) {
        if (host_.joysticks != nullptr) host_.joysticks->updateJoysticks();
        state[0] = readJoystick(host_.joysticks, 0);
        state[1] = readJoystick(host_.joysticks, 1);
        if (config_.keysasjoystickflag && host_.keys != nullptr) {
            state[0] &= keysJoystick_.read(*host_.keys);
        }
    }
    if (inputTap_.tap != nullptr) inputTap_.tap->joysticksRead(poll, before, state);
}

// While quick type is typing, it sets the key states instead of the host;
// once the text is used up it is let go, and the host keyboard is sampled
// again at once, by its physical layout or, in sensible mode, by what its
// keys type. A replaying tap gives the host's part instead.
void Machine::scanHostKeyboard() {
    QuickType& typist = bus_.state.quickType;
    if (typist.active()) {
        typist.typeFrame(keyboard(), quickTypeText(), lastFrame_.total());
        if (!typist.active()) bus_.inputs.text.reset();
    }
    HostKeyStates& keyStates = keyboard().hostKeyState;
    const HostKeyStates before = keyStates;
    if ((inputTap_.tap == nullptr || !inputTap_.tap->replaying()) && host_.keys != nullptr) {
        host_.keys->nextScan();  // queued host key events move on by one scan
        KeysHiddenFromMatrix keysWithoutJoystick{*host_.keys};
        KeyStateSource& keys = config_.keysasjoystickflag ? keysWithoutJoystick : *host_.keys;
        const bool typing = typist.active();
        keyboard().scanHostKeyboard(keys, typing, config_.emulatedflag);
        if (!typing && !config_.emulatedflag) {
            sensibleKeys_.scanHostKeyboard(keyboard(), keys, config_);
        }
    }
    if (inputTap_.tap != nullptr) inputTap_.tap->keysScanned(before, keyStates);
}

// --- Processor ---

Z80State Machine::registers() const {
    return bus_.state.cpu.registers;
}

// Through the core, which keeps the registers in their ranges.
void Machine::setRegisters(const Z80State& registers) {
    Processor cpu{bus_, bus_.state.cpu};
    cpu.setZ80Registers(registers);
    bus_.state.cpu = cpu.runState();
}

std::int32_t Machine::lastOpcodeAddress() const {
    return bus_.state.cpu.lastOpcodeAddress;
}

int Machine::disassemble(std::uint16_t address, std::span<char, kDisassemblyTextSize> text) const {
    const InstructionByteReader reader = [](void* context, std::uint16_t at) -> std::uint8_t {
        return static_cast<const Machine*>(context)->peek(at);
    };
    return disassembleZ80(text.data(), text.size(), address, reader,
                          const_cast<void*>(static_cast<const void*>(this)));
}

}  // namespace vantorel
