#include "sound/ay_chip.h"

#include <algorithm>
#include <cstdio>

namespace vantorel {

namespace {

constexpr std::int32_t kAySampleRate = 22050;
constexpr double kVolumeStep = 0.8413951419545804;  // 1.5 dB
constexpr std::uint8_t kMaskTonePeriodHigh = 0x0F;
constexpr std::uint8_t kMaskNoisePeriod = 0x1F;
constexpr std::uint8_t kMaskAmplitude = 0x1F;
constexpr std::uint8_t kMaskEnvelopeShape = 0x0F;
constexpr std::uint8_t kAmplitudeEnvelopeMode = 0x10;
constexpr std::uint8_t kNoiseOffAll = 0x38;  // R7 bits 3-5

enum Register : int {
    kR0 = 0,
    kR5 = 5,
    kR6 = 6,
    kR7 = 7,
    kR8 = 8,
    kR10 = 10,
    kR11 = 11,
    kR12 = 12,
    kR13 = 13,
    kR14 = 14,
    kR15 = 15,
};

// The fields of one tone channel, A (0), B (1) or C (2).
struct ToneChannel {
    std::int32_t& period;
    std::int32_t& count;
    std::uint32_t& volume;
    std::uint8_t& envelope;
    std::uint8_t& output;
};

ToneChannel toneChannel(AyChip& chip, int channel) {
    switch (channel) {
        case 0:
            return {chip.periodA, chip.countA, chip.volumeA, chip.envelopeA, chip.outputA};
        case 1:
            return {chip.periodB, chip.countB, chip.volumeB, chip.envelopeB, chip.outputB};
        default:
            return {chip.periodC, chip.countC, chip.volumeC, chip.envelopeC, chip.outputC};
    }
}

// A counter follows a new period by the difference, and stays positive.
void adjustCounter(std::int32_t& count, std::int32_t oldPeriod, std::int32_t newPeriod) {
    count += newPeriod - oldPeriod;
    if (count <= 0) count = 1;
}

// One tone channel's share of an interval of `units` counter units. With
// `accumulate` the time its output was high is added to `high`; a counter
// that runs out toggles the output once per period.
void advanceTone(ToneChannel tone, std::int32_t units, bool accumulate, std::int32_t& high) {
    if (accumulate && tone.output) high += tone.count;
    tone.count -= units;
    while (tone.count <= 0) {
        tone.count += tone.period;
        if (tone.count > 0) {
            tone.output ^= 1;
            if (accumulate && tone.output) high += tone.period;
            break;
        }
        tone.count += tone.period;
        if (accumulate) high += tone.period;
    }
    if (accumulate && tone.output) high -= tone.count;
}

}  // namespace

std::int32_t AyGenerator::updateStepFor(std::int32_t sampleRate) {
    return static_cast<std::int32_t>(static_cast<double>(sampleRate) * 262144.0 / kAyChipClock);
}

void AyGenerator::ayStart(std::int32_t volumePercent) {
    const std::int32_t maxOutput = volumePercent * 32767 / 100;
    *chip_ = AyChip{};
    volumeTable_ = {};
    chip_->sampleRate = kAySampleRate;
    chip_->updateStep = updateStepFor(chip_->sampleRate);
    ayReset(0);
    double level = maxOutput;
    for (int i = 31; i > 0; --i) {
        volumeTable_[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(level + 0.5);
        level *= kVolumeStep;
    }
    volumeTable_[0] = 0;
}

void AyGenerator::ayReset(int chip) {
    if (chip != 0) return;
    chip_->noiseShift = 1;
    chip_->outputA = chip_->outputB = chip_->outputC = 0;
    chip_->outputNoise = 0xFF;
    for (int reg = kR0; reg <= kR13; ++reg) ayWriteRegister(chip, reg, 0);
}

void AyGenerator::ayWriteRegister(int chip, int reg, int value) {
    if (chip != 0 || reg < 0 || reg > kR15) return;
    auto& registers = chip_->registers;
    registers[static_cast<std::size_t>(reg)] = static_cast<std::uint8_t>(value);
    if (reg <= kR5) {
        registers[static_cast<std::size_t>(reg | 1)] &= kMaskTonePeriodHigh;
        writeTonePeriod(reg / 2);
    } else if (reg == kR6) {
        registers[kR6] &= kMaskNoisePeriod;
        const std::int32_t old = chip_->periodNoise;
        chip_->periodNoise = registers[kR6] * chip_->updateStep;
        if (chip_->periodNoise == 0) chip_->periodNoise = chip_->updateStep;
        adjustCounter(chip_->countNoise, old, chip_->periodNoise);
    } else if (reg >= kR8 && reg <= kR10) {
        registers[static_cast<std::size_t>(reg)] &= kMaskAmplitude;
        writeAmplitude(reg - kR8);
    } else if (reg == kR11 || reg == kR12) {
        const std::int32_t old = chip_->periodEnvelope;
        chip_->periodEnvelope = (registers[kR11] + 256 * registers[kR12]) * chip_->updateStep;
        if (chip_->periodEnvelope == 0) chip_->periodEnvelope = chip_->updateStep / 2;
        adjustCounter(chip_->countEnvelope, old, chip_->periodEnvelope);
    } else if (reg == kR13) {
        registers[kR13] &= kMaskEnvelopeShape;
        writeEnvelopeShape();
    } else if (reg == kR14 || reg == kR15) {
        writePort(reg, value);
    }
}

void AyGenerator::writeTonePeriod(int channel) {
    const auto& registers = chip_->registers;
    const std::size_t low = static_cast<std::size_t>(channel) * 2;
    ToneChannel tone = toneChannel(*chip_, channel);
    const std::int32_t old = tone.period;
    tone.period = (registers[low] + 256 * registers[low + 1]) * chip_->updateStep;
    if (tone.period == 0) tone.period = chip_->updateStep;
    adjustCounter(tone.count, old, tone.period);
}

void AyGenerator::writeAmplitude(int channel) {
    const std::uint8_t value = chip_->registers[static_cast<std::size_t>(kR8 + channel)];
    ToneChannel tone = toneChannel(*chip_, channel);
    tone.envelope = value & kAmplitudeEnvelopeMode;
    if (tone.envelope) {
        tone.volume = chip_->volumeEnvelope;
    } else {
        tone.volume =
            value ? volumeTable_[static_cast<std::size_t>(2 * value + 1)] : volumeTable_[0];
    }
}

// Bit 0 hold, bit 1 alternate, bit 2 attack, bit 3 continue; without
// continue the envelope holds at the end of its first ramp.
void AyGenerator::writeEnvelopeShape() {
    const std::uint8_t shape = chip_->registers[kR13];
    chip_->attack = (shape & 0x04) ? 0x1F : 0x00;
    if ((shape & 0x08) == 0) {
        chip_->hold = 1;
        chip_->alternate = chip_->attack;
    } else {
        chip_->hold = shape & 0x01;
        chip_->alternate = shape & 0x02;
    }
    chip_->countEnvelope = chip_->periodEnvelope;
    chip_->envelopeStep = 31;
    chip_->holding = 0;
    chip_->volumeEnvelope =
        volumeTable_[static_cast<std::size_t>(chip_->envelopeStep ^ chip_->attack)];
    for (int channel = 0; channel < 3; ++channel) {
        ToneChannel tone = toneChannel(*chip_, channel);
        if (tone.envelope) tone.volume = chip_->volumeEnvelope;
    }
}

void AyGenerator::writePort(int reg, int value) {
    const bool portA = reg == kR14;
    const std::uint8_t outputBit = portA ? 0x40 : 0x80;
    if ((chip_->registers[kR7] & outputBit) == 0 && log_ != nullptr) {
        char text[64];
        std::snprintf(text, sizeof text, "warning: write to 8910 #%d Port %c set as input\n", 0,
                      portA ? 'A' : 'B');
        log_->debugOutput(text);
    }
    const AyPortHandler& handler = portA ? portAHandler : portBHandler;
    if (handler) handler(0, value);
}

// Channels whose tone is off, or whose amplitude is 0, and a noise that no
// channel hears, are moved past the whole call so they do not toggle in it
// (they keep their phase). A tone that is off reads as high.
void AyGenerator::keepIdleChannelsStill(std::int32_t count) {
    const std::int32_t units = count * kAyUnitsPerSample;
    const std::uint8_t enable = chip_->registers[kR7];
    for (int channel = 0; channel < 3; ++channel) {
        ToneChannel tone = toneChannel(*chip_, channel);
        if (enable & (1 << channel)) {
            if (tone.count <= units) tone.count += units;
            tone.output = 1;
        } else if (chip_->registers[static_cast<std::size_t>(kR8 + channel)] == 0) {
            if (tone.count <= units) tone.count += units;
        }
    }
    if ((enable & kNoiseOffAll) == kNoiseOffAll && chip_->countNoise <= units) {
        chip_->countNoise += units;
    }
}

void AyGenerator::ayGenerate(int chip, std::span<std::int16_t> channelA,
                             std::span<std::int16_t> channelB, std::span<std::int16_t> channelC,
                             std::int32_t count) {
    if (chip != 0 || count <= 0 || chip_->updateStep == 0) return;  // not started
    const std::size_t samples = std::min(
        {static_cast<std::size_t>(count), channelA.size(), channelB.size(), channelC.size()});
    keepIdleChannelsStill(static_cast<std::int32_t>(samples));
    std::uint8_t mixer = chip_->outputNoise | chip_->registers[kR7];
    for (std::size_t i = 0; i < samples; ++i) {
        std::int32_t high[3] = {0, 0, 0};
        std::int32_t left = kAyUnitsPerSample;
        do {
            const std::int32_t next = chip_->countNoise < left ? chip_->countNoise : left;
            for (int channel = 0; channel < 3; ++channel) {
                const bool heard = (mixer & (0x08 << channel)) != 0;
                advanceTone(toneChannel(*chip_, channel), next, heard, high[channel]);
            }
            chip_->countNoise -= next;
            if (chip_->countNoise <= 0) {
                if ((chip_->noiseShift + 1) & 2) {
                    chip_->outputNoise = static_cast<std::uint8_t>(~chip_->outputNoise);
                    mixer = chip_->outputNoise | chip_->registers[kR7];
                }
                if (chip_->noiseShift & 1) chip_->noiseShift ^= 0x28000;
                chip_->noiseShift >>= 1;
                chip_->countNoise += chip_->periodNoise;
            }
            left -= next;
        } while (left > 0);
        stepEnvelope();
        channelA[i] =
            static_cast<std::int16_t>((chip_->volumeA * static_cast<std::uint32_t>(high[0])) >> 15);
        channelB[i] =
            static_cast<std::int16_t>((chip_->volumeB * static_cast<std::uint32_t>(high[1])) >> 15);
        channelC[i] =
            static_cast<std::int16_t>((chip_->volumeC * static_cast<std::uint32_t>(high[2])) >> 15);
    }
}

// Once per output sample: the step moves once per envelope period; at the
// end of a ramp the envelope holds, or starts again (inverted when it
// alternates).
void AyGenerator::stepEnvelope() {
    if (chip_->holding) return;
    chip_->countEnvelope -= kAyUnitsPerSample;
    if (chip_->countEnvelope > 0) return;
    do {
        --chip_->envelopeStep;
        chip_->countEnvelope += chip_->periodEnvelope;
    } while (chip_->countEnvelope <= 0);
    if (chip_->envelopeStep < 0) {
        if (chip_->hold) {
            if (chip_->alternate) chip_->attack ^= 0x1F;
            chip_->holding = 1;
            chip_->envelopeStep = 0;
        } else {
            if (chip_->alternate && (chip_->envelopeStep & 0x20)) chip_->attack ^= 0x1F;
            chip_->envelopeStep &= 0x1F;
        }
    }
    chip_->volumeEnvelope =
        volumeTable_[static_cast<std::size_t>(chip_->envelopeStep ^ chip_->attack)];
    for (int channel = 0; channel < 3; ++channel) {
        ToneChannel tone = toneChannel(*chip_, channel);
        if (tone.envelope) tone.volume = chip_->volumeEnvelope;
    }
}

}  // namespace vantorel
