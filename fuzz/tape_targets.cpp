// Play Cassette File... with any file, as a WAV tape or as a raw tape. A
// tape that loads is played into the machine with motor 1 on, and every
// byte its UART receives is read through ports FD and FC between frames, as
// a program polling the status port would. A raw tape must arrive byte for
// byte; a WAV tape's signal gives what it gives. Files of odd length play at
// 1200 baud, the others at 300.
//
// The processor waits in a HALT and the frames are short (3,000 T-states,
// less than one byte's time at either speed), so a tape's emulated seconds
// cost little and no byte is overrun between two reads.
#include <algorithm>
#include <vector>

#include "app/fed_files.h"
#include "cassette/tape_deck.h"
#include "fuzz/fuzz_machine.h"
#include "fuzz/fuzz_targets.h"

namespace vantorel::fuzz {

namespace {

void prepareToListen(FuzzMachine& fuzz, bool fast) {
    MachineConfig& config = fuzz.machine.config();
    config.cpuspeedopt = 2;  // Custom
    config.activescancust = 2000;
    config.vblankcust = 1000;
    fuzz.machine.computeTiming();
    fuzz.halt();
    fuzz.machine.writePort(0xFE, fast ? 0x50 : 0x10);  // motor 1 on, the speed
}

// Plays until the tape has ended by itself, or for kLongestTapeTStates;
// the bytes that arrived.
std::vector<std::uint8_t> listenToEnd(FuzzMachine& fuzz, bool& ended) {
    std::vector<std::uint8_t> received;
    const FrameTiming& timing = fuzz.machine.timing();
    const std::int64_t frameTStates =
        std::int64_t{timing.activeScanTStates} + timing.verticalBlankTStates;
    for (std::int64_t played = 0; played < kLongestTapeTStates && fuzz.machine.tapePlaying();
         played += frameTStates) {
        fuzz.runFrames(1);
        if ((fuzz.machine.readPort(kTapeStatusPort) & kStatusDataReceived) != 0) {
            received.push_back(fuzz.machine.readPort(kTapeDataPort));
        }
    }
    ended = !fuzz.machine.tapePlaying();
    return received;
}

// Play Cassette File... with `file` as `format`; true when the tape plays,
// ready to listen to.
bool insertTape(FuzzMachine& fuzz, ScratchFile& scratch, Bytes file, TapeFormat format) {
    const TapePlayResult result = playCassetteFile(fuzz.machine, scratch.write(file), format);
    check(result.opened, "the tape's file did not open");
    const bool loads = format == TapeFormat::wav ? result.error == WavError::none : !file.empty();
    check(result.playing == loads, "a tape was taken or refused wrongly");
    if (result.playing) prepareToListen(fuzz, file.size() % 2 != 0);
    return result.playing;
}

}  // namespace

void fuzzWavTape(Bytes file) {
    static ScratchFile scratch("tape.wav");
    FuzzMachine fuzz;
    if (!insertTape(fuzz, scratch, file, TapeFormat::wav)) return;
    bool ended = false;
    listenToEnd(fuzz, ended);
    fuzz.machine.stopCassette();
    check(!fuzz.machine.tapePlaying(), "Stop Cassette left the tape playing");
}

void fuzzRawTape(Bytes file) {
    static ScratchFile scratch("tape.cvz");
    FuzzMachine fuzz;
    if (!insertTape(fuzz, scratch, file, TapeFormat::raw)) return;
    bool ended = false;
    const std::vector<std::uint8_t> received = listenToEnd(fuzz, ended);
    check(received.size() <= file.size(), "more bytes arrived than the tape holds");
    if (ended) check(received.size() == file.size(), "the tape ended before all its bytes arrived");
    check(std::equal(received.begin(), received.end(), file.begin()),
          "the bytes that arrived differ from the tape's");
}

}  // namespace vantorel::fuzz
