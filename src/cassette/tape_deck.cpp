#include "cassette/tape_deck.h"

#include <algorithm>
#include <utility>

namespace vantorel {

namespace {

// Takes down what the transmitter sends while the recorder runs.
struct RecorderInput {
    TapeRecording* recording;  // null: nothing is recorded
    TapeBaud baud;

    bool wantsCells() const { return recording != nullptr && recording->format == TapeFormat::wav; }
    void frameStarted(std::uint8_t value) {
        if (recording != nullptr) recording->bytes.push_back(value);
    }
    void cell(std::uint8_t level) {
        if (wantsCells()) recording->cells.push_back(recordedCell(level, baud));
    }
};

}  // namespace

std::uint8_t TapeDeck::readData(std::uint32_t counter) {
    sync(counter);
    return receiver_.readData();
}

std::uint8_t TapeDeck::readStatus(std::uint32_t counter) {
    sync(counter);
    std::uint8_t status = 0;
    if (transmitter_.holdingEmpty()) status |= kStatusTransmitterEmpty;
    if (receiver_.dataReceived()) status |= kStatusDataReceived;
    if (receiver_.overrun()) status |= kStatusOverrun;
    if (receiver_.framingError()) status |= kStatusFramingError;
    return status;
}

void TapeDeck::writeData(std::uint8_t value, std::uint32_t counter) {
    sync(counter);
    transmitter_.write(value);
}

void TapeDeck::writeControl(std::uint8_t latch, std::uint32_t counter) {
    sync(counter);
    const bool wasOn = motorOn();
    control_ = latch;
    const double bit = bitTStates(baud());
    if (!wasOn && motorOn()) receiver_.setLine(now_, tapeLevelNow(), bit);
    if (wasOn && !motorOn()) {
        wav_.pause();
        receiver_.setLine(now_, kMark, bit);  // no signal: the line rests
    }
}

void TapeDeck::sync(std::uint32_t counter) {
    const std::uint32_t elapsed = counter - lastCounter_;  // the counter wraps
    lastCounter_ = counter;
    if (elapsed != 0) advance(elapsed);
}

void TapeDeck::advance(double tstates) {
    const double bit = bitTStates(baud());
    if (motorOn()) {
        if (playing_) playTape(tstates, bit);
        if (recording_) recorded_.tstates += tstates;
    }
    now_ += tstates;
    receiver_.runUntil(receiverLimit(), bit);
    RecorderInput input{recording_ && motorOn() ? &recorded_ : nullptr, baud()};
    transmitter_.runUntil(now_, bit, input.wantsCells(), input);
}

void TapeDeck::playTape(double tstates, double bitTStates) {
    if (kind_ == TapeKind::raw) {
        raw_.play(now_, tstates, bitTStates, receiver_);
        if (raw_.ended()) endPlayback(now_ + tstates);
    } else {
        wav_.play(now_, tstates, baud(), receiver_);
        if (wav_.ended()) endPlayback(wav_.decidedUntil());
    }
}

// Past its end the tape carries no signal: the line rests at mark.
void TapeDeck::endPlayback(double endTime) {
    receiver_.setLine(endTime, kMark, bitTStates(baud()));
    playing_ = false;
    playbackEnded_ = true;
    kind_ = TapeKind::none;
    raw_ = RawTapeSignal{};
    wav_ = WavTapeSignal{};
}

// The receiver may not run past what the WAV decoder has decided.
double TapeDeck::receiverLimit() const {
    if (playing_ && motorOn() && kind_ == TapeKind::wav) return std::min(now_, wav_.decidedUntil());
    return now_;
}

std::uint8_t TapeDeck::tapeLevelNow() const {
    return playing_ && kind_ == TapeKind::raw ? raw_.levelNow() : kMark;
}

void TapeDeck::playRaw(std::vector<std::uint8_t> bytes) {
    eject();
    raw_ = RawTapeSignal{std::move(bytes)};
    kind_ = TapeKind::raw;
    startPlayback();
}

void TapeDeck::playWav(WavTape tape) {
    eject();
    wav_ = WavTapeSignal{std::move(tape)};
    kind_ = TapeKind::wav;
    startPlayback();
}

void TapeDeck::startPlayback() {
    playing_ = true;
    playbackEnded_ = false;
    if (motorOn()) receiver_.setLine(now_, tapeLevelNow(), bitTStates(baud()));
}

void TapeDeck::eject() {
    playing_ = false;
    playbackEnded_ = false;
    kind_ = TapeKind::none;
    raw_ = RawTapeSignal{};
    wav_ = WavTapeSignal{};
    receiver_.reset();
    transmitter_.reset();
}

void TapeDeck::startRecording(TapeFormat format) {
    recorded_ = TapeRecording{};
    recorded_.format = format;
    recording_ = true;
}

double TapeDeck::positionSeconds() const {
    if (kind_ == TapeKind::wav) return wav_.positionSeconds();
    if (kind_ == TapeKind::raw) return raw_.positionCells() / baudRate(baud());
    return recorded_.tstates / kTapeTStatesPerSecond;
}

double TapeDeck::lengthSeconds() const {
    if (kind_ == TapeKind::wav) return wav_.lengthSeconds();
    if (kind_ == TapeKind::raw) return raw_.totalCells() / baudRate(baud());
    return recorded_.tstates / kTapeTStatesPerSecond;
}

}  // namespace vantorel
