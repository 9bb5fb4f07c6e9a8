#include "machine/machine.h"

#include <algorithm>
#include <utility>

#include "cassette/tape_files.h"
#include "input/joystick.h"

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
    if (host_.printer != nullptr) host_.printer->machineReset();
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

// Turbo frames make no sound: they run far faster than the audio plays.
FrameResult Machine::runFrame(FrameSound sound) {
    if (!running_) return {};
    SpeakerSink* speaker = sound == FrameSound::on ? host_.speaker : nullptr;
    if (speaker != nullptr) speaker->beginFrameSound(bus_.tstateCounter.tstates);
    pollJoysticks();
    lastFrame_.activeScan = cpu_.runZ80(timing_.activeScanTStates);
    syncTape();
    pollJoysticks();
    lastFrame_.verticalBlank = cpu_.runZ80(timing_.verticalBlankTStates);
    syncTape();
    if (speaker != nullptr) speaker->endFrameSound();
    scanHostKeyboard();
    return {true, lastFrame_};
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
