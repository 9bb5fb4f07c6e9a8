#include "machine/machine.h"

#include <algorithm>
#include <utility>

#include "cassette/tape_files.h"
#include "input/joystick.h"
#include "files/binary_file.h"

namespace vantorel {

namespace {

constexpr std::uint16_t kScreenNoiseStart = kVisibleScreenStart;  // F080-F7FF
constexpr std::uint16_t kScreenNoiseEnd = kCharacterRomStart;
constexpr std::uint32_t kCharacterNoiseStart = kProgrammableCharactersStart;  // FC00-FFFF
constexpr std::uint32_t kCharacterNoiseEnd = 0x10000;

}  // namespace

Machine::Machine() = default;

Machine::Machine(const MachineHost& host) {
    attachHost(host);
}

void Machine::attachHost(const MachineHost& host) {
    host_ = host;
    bus_.speaker = host.speaker;
    bus_.debugSink = host.debug;
    bus_.printer = host.printer;
}

void Machine::computeTiming() {
    timing_ = vantorel::computeTiming(bus_.config);
}

void Machine::setUpPacing() {
    pacing_.setUp(host_.clock, timing_.framesPerSecond);
}

void Machine::useAudioFramePeriod(std::int32_t frameBytes, std::int32_t ratePpm) {
    pacing_.useAudioFramePeriod(frameBytes, ratePpm);
}

void Machine::initKeyLayout() {
    if (host_.keys == nullptr) return;
    bus_.keyboard.initKeyLayout(*host_.keys);
    sensibleKeys_.init(bus_.keyboard.layout, *host_.keys);
}

void Machine::hardReset() {
    reset(true);
}

void Machine::softReset() {
    reset(false);
}

void Machine::reset(bool hard) {
    stopCassette();
    if (hard) {
        bus_.memory.snapshotRam = false;
        clearMemoryWithNoise();
    }
    cpu_.resetZ80();
    bus_.tstateCounter.clear();
    bus_.tape.counterCleared();
    bus_.memory.bootReadCounter = 0;
    running_ = true;
}

// RAM powers up as zeros, except that the screen and the programmable
// characters show noise, drawn in ascending address order.
void Machine::clearMemoryWithNoise() {
    auto& image = bus_.memory.image;
    std::fill(image.begin(), image.end(), std::uint8_t{0});
    for (std::uint32_t address = kScreenNoiseStart; address < kScreenNoiseEnd; ++address) {
        image[address] = static_cast<std::uint8_t>(random_.next() & 0xFF);
    }
    for (std::uint32_t address = kCharacterNoiseStart; address < kCharacterNoiseEnd; ++address) {
        image[address] = static_cast<std::uint8_t>(random_.next() & 0xFF);
    }
}

bool Machine::stopCassette() {
    bus_.tape.sync(bus_.tstateCounter.tstates);
    bus_.tape.eject();
    tapePlaying_ = false;
    return finishRecording();
}

bool Machine::finishRecording() {
    if (!bus_.tape.recording()) return true;
    bus_.tape.finishRecording();
    const std::filesystem::path path = std::exchange(recordingPath_, {});
    return path.empty() || writeRecordingFile(path, bus_.tape.recorded());
}

TapePlayResult Machine::playCassetteFile(const std::filesystem::path& path, TapeFormat format) {
    TapePlayResult result;
    if (!openBinaryFile(path)) return result;
    result.opened = true;
    stopCassette();
    if (format == TapeFormat::raw) {
        RawTapeFile file = readRawTapeFile(path);
        result.playing = file.result == RawTapeRead::loaded && playTapeBytes(std::move(file.bytes));
        return result;
    }
    WavReadResult wav = readWavFile(path);
    result.error = wav.error;
    if (wav.error != WavError::none) return result;
    playTapeWav(std::move(wav.tape));
    result.playing = true;
    return result;
}

// stopCassette has brought the deck up to the processor's count.
void Machine::playTapeWav(WavTape tape) {
    stopCassette();
    bus_.tape.playWav(std::move(tape));
    tapePlaying_ = true;
}

bool Machine::playTapeBytes(std::vector<std::uint8_t> bytes) {
    stopCassette();
    if (bytes.empty()) return false;
    bus_.tape.playRaw(std::move(bytes));
    tapePlaying_ = true;
    return true;
}

bool Machine::recordTape(TapeFormat format, std::filesystem::path path) {
    bus_.tape.sync(bus_.tstateCounter.tstates);
    const bool written = finishRecording();
    bus_.tape.startRecording(format);
    recordingPath_ = std::move(path);
    return written;
}

// The tape catches up with the processor; a played tape that ran to its end
// ends the tape-playing state.
void Machine::syncTape() {
    bus_.tape.sync(bus_.tstateCounter.tstates);
    if (tapePlaying_ && bus_.tape.playbackEnded()) tapePlaying_ = false;
}

bool Machine::runFrame() {
    if (!running_) return false;
    const std::uint32_t frameStartTStates = bus_.tstateCounter.tstates;
    const std::uint32_t startMs = host_.clock != nullptr ? host_.clock->milliseconds() : 0;
    const PacingDecision decision =
        pacing_.decide(host_.clock, startMs, bus_.config, timing_.framesPerSecond);
    if (!decision.frameDue && !filesBeingFed() && !turbo_) return decision.screenDue;

    beginFrameSound(frameStartTStates);
    pollJoysticks();
    lastFrame_.activeScan = cpu_.runZ80(timing_.activeScanTStates);
    syncTape();
    pollJoysticks();
    lastFrame_.verticalBlank = cpu_.runZ80(timing_.verticalBlankTStates);
    syncTape();
    endFrameSound();
    scanHostKeyboard();
    speedMeter_.update(startMs, lastFrame_.total());
    return decision.screenDue;
}

// With "Speed up when accessing files" quick type, or a tape that moves,
// runs frames on every pass, whatever the clock says. A tape that sits in the
// recorder with its motor off does not: the monitor's prompt keeps its pace.
bool Machine::filesBeingFed() const {
    return bus_.config.speedupfilesflag && (bus_.quickTypeActive || tapeMoving());
}

// Turbo frames make no sound: they run far faster than the audio plays.
void Machine::beginFrameSound(std::uint32_t frameStartTStates) {
    if (host_.speaker != nullptr && !turbo_) host_.speaker->beginFrameSound(frameStartTStates);
}

// Both joysticks' states for port FF; with Keys as Joystick the cursor keys
// and Right Ctrl press on joystick 1 as well.
void Machine::pollJoysticks() {
    auto& state = bus_.ports.joystickState;
    if (host_.joysticks != nullptr) host_.joysticks->updateJoysticks();
    state[0] = readJoystick(host_.joysticks, 0);
    state[1] = readJoystick(host_.joysticks, 1);
    if (bus_.config.keysasjoystickflag && host_.keys != nullptr) {
        state[0] &= keysJoystick_.read(*host_.keys);
    }
}

void Machine::endFrameSound() {
    if (host_.speaker != nullptr && !turbo_) host_.speaker->endFrameSound();
}

// While quick type is typing, it sets the key states instead of the host;
// once the text is used up the host keyboard is sampled again at once, by
// its physical layout or, in sensible mode, by what its keys type.
void Machine::scanHostKeyboard() {
    if (quickType_.active()) {
        quickType_.typeFrame(bus_.keyboard, lastFrame_.total());
        bus_.quickTypeActive = quickType_.active();
    }
    if (host_.keys == nullptr) return;
    KeysHiddenFromMatrix keysWithoutJoystick{*host_.keys};
    KeyStateSource& keys = bus_.config.keysasjoystickflag ? keysWithoutJoystick : *host_.keys;
    bus_.keyboard.scanHostKeyboard(keys, bus_.quickTypeActive, bus_.config.emulatedflag);
    if (!bus_.quickTypeActive && !bus_.config.emulatedflag) {
        sensibleKeys_.scanHostKeyboard(bus_.keyboard, keys, bus_.config);
    }
}

Z80State Machine::registers() const {
    Z80State state;
    cpu_.getZ80Registers(state);
    return state;
}

void Machine::setRegisters(const Z80State& registers) {
    cpu_.setZ80Registers(registers);
}

std::int32_t Machine::lastOpcodeAddress() const {
    return cpu_.lastOpcodeAddress();
}

}  // namespace vantorel
