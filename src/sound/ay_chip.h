// A software AY-3-8910 programmable sound generator.
//
// Three square-wave tone channels (A, B, C), one noise generator and one
// envelope generator behind sixteen 8-bit registers (R0-R15, the published
// register map), producing one stream of 16-bit samples per channel at 22050
// samples per second from a 1789773 Hz chip clock. Time is counted in
// "counter units": one output sample is 32768 of them and a period register
// value of 1 is `updateStep` (3229) units, so every sample is built from the
// whole intervals between noise events rather than from chip cycles.
//
// The Sorcerer has no such chip: no port or address reaches it, so only its
// own reset writes the registers and it stays silent. The sound output
// starts it and runs it every frame into voices 1-3 anyway, as a connection
// would need; tests drive ayWriteRegister directly. The chip's registers and
// counters (AyChip) are plain data: the generator renders its own, or, once
// told with useChip, those of the machine's state record, so that capturing
// the machine captures the chip. The volume table and the port handlers are
// the generator's.
//
//   1. AyGenerator ay; ay.ayStart(ayvolpct);     // clears, resets, volume table
//   2. ay.ayWriteRegister(0, r, value);          // as a port would
//   3. ay.ayGenerate(0, a, b, c, frameSamples);  // once per emulated frame
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>

#include "hostapi/host_interfaces.h"

namespace vantorel {

inline constexpr std::int32_t kAyChipClock = 1789773;     // Hz
inline constexpr std::int32_t kAyUnitsPerSample = 32768;  // counter units per output sample

// Called with 0 and the value written to R14 (port A) or R15 (port B).
using AyPortHandler = std::function<void(int offset, int value)>;

// The state of one chip, in its fields' order: its registers and counters,
// plain data, so that a machine can keep it in its state record.
struct AyChip {
    std::int32_t sampleRate = 0;                          // samples per second (22050)
    std::array<std::uint8_t, 16> registers{};             // R0-R15 as last written, masked
    std::int32_t updateStep = 0;                          // counter units per period register unit
    std::int32_t periodA = 0, periodB = 0, periodC = 0;   // tone periods, counter units
    std::int32_t periodNoise = 0, periodEnvelope = 0;     // counter units
    std::int32_t countA = 0, countB = 0, countC = 0;      // units left to the next toggle
    std::int32_t countNoise = 0, countEnvelope = 0;       // units left to the next step
    std::uint32_t volumeA = 0, volumeB = 0, volumeC = 0;  // current output level
    std::uint32_t volumeEnvelope = 0;                     // the envelope's level
    std::uint8_t envelopeA = 0, envelopeB = 0, envelopeC = 0;  // non-zero: amplitude bit 4
    std::uint8_t outputA = 0, outputB = 0, outputC = 0;        // tone outputs, 0 or 1
    std::uint8_t outputNoise = 0;                              // 0x00 or 0xFF
    std::int8_t envelopeStep = 0;                              // counts down from 31
    std::uint8_t hold = 0, alternate = 0;
    std::uint8_t attack = 0;      // 0x00 or 0x1F, exclusive-ored into the step
    std::uint8_t holding = 0;     // the envelope has stopped
    std::int32_t noiseShift = 0;  // 17-bit noise shift register, 1 after reset
};

// Output level by 5-bit volume, built from the volume setting.
using AyVolumeTable = std::array<std::uint32_t, 32>;

class AyGenerator {
  public:
    AyGenerator() = default;
    AyGenerator(const AyGenerator&) = delete;
    AyGenerator& operator=(const AyGenerator&) = delete;

    // sample rate x 262144 / chip clock, truncated: 3229.
    static std::int32_t updateStepFor(std::int32_t sampleRate);

    // Builds the chip: clears it, resets it, then builds its volume table
    // for a maximum output of percent x 32767 / 100.
    void ayStart(std::int32_t volumePercent);
    void ayReset(int chip);
    // Register numbers above 15 (and chips other than 0) are ignored.
    void ayWriteRegister(int chip, int reg, int value);
    // Fills the first `count` samples of each channel's area.
    void ayGenerate(int chip, std::span<std::int16_t> channelA, std::span<std::int16_t> channelB,
                    std::span<std::int16_t> channelC, std::int32_t count);

    // From now on the registers and counters are `chip`, kept elsewhere (the
    // machine's state record); null goes back to the generator's own.
    void useChip(AyChip* chip) { chip_ = chip != nullptr ? chip : &own_; }
    AyChip& chip() { return *chip_; }
    const AyChip& chip() const { return *chip_; }
    const AyVolumeTable& volumeTable() const { return volumeTable_; }
    // Where the "port set as input" warnings go (null: nowhere).
    void setDebugLog(DebugOutputSink* log) { log_ = log; }

    // Called with 0 and the value written to R14 (port A) or R15 (port B);
    // none in this machine.
    AyPortHandler portAHandler;
    AyPortHandler portBHandler;

  private:
    void writeTonePeriod(int channel);
    void writeAmplitude(int channel);
    void writeEnvelopeShape();
    void writePort(int reg, int value);
    void stepEnvelope();
    void keepIdleChannelsStill(std::int32_t count);

    AyChip own_;
    AyChip* chip_ = &own_;  // the chip rendered: own_ or the machine's
    AyVolumeTable volumeTable_{};
    DebugOutputSink* log_ = nullptr;
};

}  // namespace vantorel
