// Tape signals made by the tests themselves: byte frames as bit cells, a
// continuous-phase sine FSK generator independent of the program's encoder
// (with speed error, noise and DC offset), and a deck driven by a polling
// loop that collects what its UART receives.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "cassette/tape_deck.h"
#include "cassette/tape_recording.h"

namespace vantorel::testing {

// `leadCells` cells of resting line, then one frame per byte, then two more
// resting cells.
inline std::vector<std::uint8_t> frameCells(const std::vector<std::uint8_t>& bytes, TapeBaud baud,
                                            int leadCells = 40) {
    std::vector<std::uint8_t> cells(static_cast<std::size_t>(leadCells), recordedCell(kMark, baud));
    for (std::uint8_t byte : bytes) {
        for (int cell = 0; cell < kFrameCells; ++cell)
            cells.push_back(recordedCell(frameCellLevel(byte, cell), baud));
    }
    cells.push_back(recordedCell(kMark, baud));
    cells.push_back(recordedCell(kMark, baud));
    return cells;
}

struct SineTape {
    double speed = 1.0;     // 1.03: the tape runs 3% fast
    double amplitude = 90;  // sample steps
    double offset = 0;      // DC offset, sample steps
    double noise = 0;       // uniform noise of plus or minus this much
};

// The cells as a sine wave whose phase runs half a turn per half-cycle of
// the tape format: 1200/2400 Hz at 300 baud, 600/1200 Hz at 1200 baud.
inline std::vector<std::uint8_t> sineSignal(const std::vector<std::uint8_t>& cells, TapeBaud baud,
                                            std::uint32_t sampleRate, const SineTape& shape) {
    const double baudHz = baudRate(baud) * shape.speed;
    const bool fast = baud == TapeBaud::baud1200;
    const double seconds = static_cast<double>(cells.size()) / baudHz;
    const auto count = static_cast<std::size_t>(seconds * sampleRate);
    std::vector<std::uint8_t> samples;
    samples.reserve(count);
    std::uint32_t random = 12345;
    auto halfTurnsOf = [fast](std::uint8_t cell) -> double {
        return (cell & 1) != 0 ? (fast ? 2 : 16) : (fast ? 1 : 8);
    };
    std::size_t cell = 0;
    double halfTurnsBefore = 0;  // half-turns of the cells before `cell`
    for (std::size_t n = 0; n < count; ++n) {
        const double cellPosition = static_cast<double>(n) / sampleRate * baudHz;
        while (cell + 1 < cells.size() && static_cast<double>(cell + 1) <= cellPosition) {
            halfTurnsBefore += halfTurnsOf(cells[cell]);
            ++cell;
        }
        const double inCell = (cellPosition - static_cast<double>(cell)) * halfTurnsOf(cells[cell]);
        random = random * 1103515245u + 12345u;
        const double noise =
            shape.noise * ((static_cast<double>(random >> 8 & 0xFFFF) / 32767.5) - 1.0);
        const double value =
            128 + shape.offset + noise +
            shape.amplitude * std::sin((halfTurnsBefore + inCell) * std::numbers::pi);
        samples.push_back(static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0, 255.0))));
    }
    return samples;
}

// Plays `tape` in a deck with the motor on at `baud`, polling port FD every
// `pollTStates` as a program would, and returns every byte read from FC
// (with the status bits seen for it in `statuses`).
struct Received {
    std::vector<std::uint8_t> bytes;
    std::vector<std::uint8_t> statuses;
};

inline Received receiveWav(WavTape tape, TapeBaud baud, std::uint32_t pollTStates = 300) {
    const auto media = TapeMedia::wav(std::move(tape));
    const TapeIo io{media.get(), nullptr};
    TapeDeck deck;
    deck.writeControl(
        static_cast<std::uint8_t>(kMotorOneBit | (baud == TapeBaud::baud1200 ? kFastBaudBit : 0)),
        0, io);
    deck.play(*media);
    Received received;
    std::uint32_t tstates = 0;
    while (deck.playing() || (deck.readStatus(tstates, io) & kStatusDataReceived) != 0) {
        tstates += pollTStates;
        const std::uint8_t status = deck.readStatus(tstates, io);
        if ((status & kStatusDataReceived) == 0) continue;
        received.statuses.push_back(status);
        received.bytes.push_back(deck.readData(tstates, io));
    }
    return received;
}

inline std::vector<std::uint8_t> everyByteValue() {
    std::vector<std::uint8_t> bytes;
    for (int value = 0; value < 256; ++value) bytes.push_back(static_cast<std::uint8_t>(value));
    return bytes;
}

}  // namespace vantorel::testing
