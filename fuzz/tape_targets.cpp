// Play Cassette File... with any file, as a WAV tape or as a raw tape. A
// tape that loads is played into the machine: a small program in RAM starts
// the motor and stores every byte the UART receives from 2000 on. A raw
// tape must arrive byte for byte; a WAV tape's signal gives what it gives.
// Files of odd length play at 1200 baud, the others at 300.
#include <algorithm>
#include <vector>

#include "cassette/tape_deck.h"
#include "fuzz/fuzz_machine.h"
#include "fuzz/fuzz_targets.h"

namespace vantorel::fuzz {

namespace {

constexpr std::uint16_t kProgramStart = 0x0100;
constexpr std::uint16_t kReceivedStart = 0x2000;

// Motor 1 on at the chosen speed, then: wait for a byte, store it at (HL),
// move on, repeat.
void loadReceiver(FuzzMachine& fuzz, bool fast) {
    const std::uint8_t control = fast ? 0x50 : 0x10;
    const std::uint8_t program[] = {
        0x3E, control,  // LD A,control
        0xD3, 0xFE,     // OUT (FE),A
        0xDB, 0xFD,     // wait: IN A,(FD)
        0xE6, 0x02,     // AND 02
        0x28, 0xFA,     // JR Z,wait
        0xDB, 0xFC,     // IN A,(FC)
        0x77,           // LD (HL),A
        0x23,           // INC HL
        0x18, 0xF4,     // JR wait
    };
    std::copy(std::begin(program), std::end(program),
              fuzz.machine.memory().image.begin() + kProgramStart);
    Z80State registers = fuzz.machine.registers();
    registers.PC = kProgramStart;
    registers.HL = kReceivedStart;
    registers.IFF1 = registers.IFF2 = 0;
    fuzz.machine.setRegisters(registers);
}

// Plays until the tape has ended by itself, or for kLongestTapeFrames.
// True when it ended.
bool playToEnd(FuzzMachine& fuzz) {
    for (int frame = 0; frame < kLongestTapeFrames && fuzz.machine.tapePlaying(); ++frame) {
        fuzz.runFrames(1);
    }
    return !fuzz.machine.tapePlaying();
}

std::size_t bytesReceived(FuzzMachine& fuzz) {
    return static_cast<std::uint16_t>(fuzz.machine.registers().HL - kReceivedStart);
}

}  // namespace

void fuzzWavTape(Bytes file) {
    static ScratchFile scratch("tape.wav");
    FuzzMachine fuzz;
    const TapePlayResult result =
        fuzz.machine.playCassetteFile(scratch.write(file), TapeFormat::wav);
    check(result.opened, "the WAV tape's file did not open");
    check(result.playing == (result.error == WavError::none), "a refused WAV tape plays");
    if (!result.playing) return;
    loadReceiver(fuzz, file.size() % 2 != 0);
    playToEnd(fuzz);
    fuzz.machine.stopCassette();
    check(!fuzz.machine.tapePlaying(), "Stop Cassette left the tape playing");
}

void fuzzRawTape(Bytes file) {
    static ScratchFile scratch("tape.cvz");
    FuzzMachine fuzz;
    const TapePlayResult result =
        fuzz.machine.playCassetteFile(scratch.write(file), TapeFormat::raw);
    check(result.opened, "the raw tape's file did not open");
    check(result.playing == !file.empty(), "a raw tape was taken or refused wrongly");
    if (!result.playing) return;
    loadReceiver(fuzz, file.size() % 2 != 0);
    const bool ended = playToEnd(fuzz);
    const std::size_t received = bytesReceived(fuzz);
    check(received <= file.size(), "more bytes arrived than the tape holds");
    if (ended) check(received == file.size(), "the tape ended before all its bytes arrived");
    const auto& memory = fuzz.machine.memory().image;
    check(std::equal(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(received),
                     memory.begin() + kReceivedStart),
          "the bytes that arrived differ from the tape's");
}

}  // namespace vantorel::fuzz
