// The WAV tape decoder and the UART together, on signals the tests make:
// every byte value at both baud rates and four sample rates, a tape running
// 3% fast or slow, noise and a DC offset, and the program's own encoder.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "cassette/tape_signals.h"
#include "cassette/wav_encoder.h"

namespace vantorel {
namespace {

using testing::everyByteValue;
using testing::frameCells;
using testing::receiveWav;
using testing::sineSignal;
using testing::SineTape;

constexpr std::uint32_t kSampleRates[] = {11025, 22050, 44100, 48000};
constexpr TapeBaud kBauds[] = {TapeBaud::baud300, TapeBaud::baud1200};

const char* name(TapeBaud baud) {
    return baud == TapeBaud::baud1200 ? "1200 baud" : "300 baud";
}

void expectClean(const testing::Received& received, const std::vector<std::uint8_t>& bytes,
                 const std::string& what) {
    EXPECT_EQ(received.bytes, bytes) << what;
    for (std::uint8_t status : received.statuses) {
        ASSERT_EQ(status & (kStatusOverrun | kStatusFramingError), 0) << what;
    }
}

TEST(WavDecoder, EveryByteFromTheEncoderAtEveryRate) {
    const std::vector<std::uint8_t> bytes = everyByteValue();
    for (TapeBaud baud : kBauds) {
        for (std::uint32_t rate : kSampleRates) {
            const auto samples = encodeTapeSignal(frameCells(bytes, baud), rate);
            expectClean(receiveWav(WavTape{rate, samples}, baud), bytes,
                        std::string(name(baud)) + " at " + std::to_string(rate) + " Hz");
        }
    }
}

TEST(WavDecoder, EveryByteFromASineTapeThreePercentFastOrSlow) {
    const std::vector<std::uint8_t> bytes = everyByteValue();
    for (TapeBaud baud : kBauds) {
        for (std::uint32_t rate : kSampleRates) {
            for (double speed : {0.97, 1.03}) {
                const auto samples =
                    sineSignal(frameCells(bytes, baud), baud, rate, SineTape{.speed = speed});
                expectClean(receiveWav(WavTape{rate, samples}, baud), bytes,
                            std::string(name(baud)) + " at " + std::to_string(rate) +
                                " Hz, speed " + std::to_string(speed));
            }
        }
    }
}

TEST(WavDecoder, NoiseAndADcOffsetAreIgnored) {
    const std::vector<std::uint8_t> bytes = everyByteValue();
    const SineTape shapes[] = {
        {.amplitude = 70, .noise = 20},                              // hiss
        {.amplitude = 70, .offset = 25},                             // DC offset up
        {.amplitude = 70, .offset = -25, .noise = 10},               // offset down, with hiss
        {.speed = 1.03, .amplitude = 40, .offset = 10, .noise = 6},  // a quiet, fast tape
    };
    for (TapeBaud baud : kBauds) {
        for (std::uint32_t rate : kSampleRates) {
            int shapeIndex = 0;
            for (const SineTape& shape : shapes) {
                const auto samples = sineSignal(frameCells(bytes, baud), baud, rate, shape);
                expectClean(receiveWav(WavTape{rate, samples}, baud), bytes,
                            std::string(name(baud)) + " at " + std::to_string(rate) +
                                " Hz, shape " + std::to_string(shapeIndex));
                ++shapeIndex;
            }
        }
    }
}

TEST(WavDecoder, SilenceAndTheWrongSpeedGiveNoGoodBytes) {
    const std::vector<std::uint8_t> silence(44100 * 2, 128);
    EXPECT_TRUE(receiveWav(WavTape{44100, silence}, TapeBaud::baud300).bytes.empty())
        << "no signal rests at mark";
    const std::vector<std::uint8_t> bytes = {0x12, 0x34, 0x56};
    const auto fast = encodeTapeSignal(frameCells(bytes, TapeBaud::baud1200), 44100);
    EXPECT_NE(receiveWav(WavTape{44100, fast}, TapeBaud::baud300).bytes, bytes);
}

TEST(WavDecoder, BytesArriveAtTheMiddleOfTheirFirstStopBit) {
    // 300 baud at 44100 Hz: 147 samples a cell. Byte k's stop bit middle lies
    // (lead + 11 k + 9.5) cells into the tape.
    const std::vector<std::uint8_t> bytes = {0xA5, 0x5A};
    const auto samples = encodeTapeSignal(frameCells(bytes, TapeBaud::baud300, 10), 44100);
    const auto media = TapeMedia::wav(WavTape{44100, samples});
    const TapeIo io{media.get(), nullptr};
    TapeDeck deck;
    deck.writeControl(kMotorOneBit, 0, io);
    deck.play(*media);
    const double cell = bitTStates(TapeBaud::baud300);
    const double due = (10 + 9.5) * cell;
    EXPECT_EQ(
        deck.readStatus(static_cast<std::uint32_t>(due - cell * 0.1), io) & kStatusDataReceived, 0);
    EXPECT_NE(
        deck.readStatus(static_cast<std::uint32_t>(due + cell * 0.1), io) & kStatusDataReceived, 0);
    EXPECT_EQ(deck.readData(static_cast<std::uint32_t>(due + cell * 0.1), io), 0xA5);
}

TEST(WavDecoder, AMotorStoppedBetweenBytesLosesNothing) {
    // Two blocks with 100 resting cells between them; the motor stops for a
    // second in the middle of the rest and the tape waits where it was.
    std::vector<std::uint8_t> cells = frameCells({0x11, 0x22, 0x33}, TapeBaud::baud300, 20);
    cells.resize(cells.size() + 100, recordedCell(kMark, TapeBaud::baud300));
    const std::vector<std::uint8_t> second = frameCells({0x44, 0x55}, TapeBaud::baud300, 0);
    cells.insert(cells.end(), second.begin(), second.end());
    const auto media = TapeMedia::wav(WavTape{22050, encodeTapeSignal(cells, 22050)});
    const TapeIo io{media.get(), nullptr};
    TapeDeck deck;
    deck.writeControl(kMotorOneBit, 0, io);
    deck.play(*media);
    const double cell = bitTStates(TapeBaud::baud300);
    const auto stopAt = static_cast<std::uint32_t>((20 + 33 + 50) * cell);
    const auto pause = static_cast<std::uint32_t>(kTapeTStatesPerSecond);
    std::vector<std::uint8_t> bytes;
    for (std::uint32_t t = 0; deck.playing(); t += 250) {
        if (t >= stopAt && t < stopAt + 250) deck.writeControl(0, t, io);
        if (t >= stopAt + pause && t < stopAt + pause + 250) deck.writeControl(kMotorOneBit, t, io);
        if ((deck.readStatus(t, io) & kStatusDataReceived) != 0) {
            bytes.push_back(deck.readData(t, io));
        }
        if (t > stopAt && t < stopAt + pause) {
            ASSERT_EQ(bytes.size(), 3u);
        }
    }
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0x11, 0x22, 0x33, 0x44, 0x55}));
    EXPECT_TRUE(deck.playbackEnded());
}

}  // namespace
}  // namespace vantorel
