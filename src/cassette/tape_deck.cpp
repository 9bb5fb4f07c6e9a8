#include "cassette/tape_deck.h"

#include <algorithm>
#include <span>

namespace vantorel {

namespace {

// Takes down what the transmitter sends while the recorder runs: into the
// recording (when one is kept) and into the deck's count of it.
struct RecorderInput {
    TapeRecording* recording;  // null: nothing is kept
    bool recorderRuns;         // a recording is made and a motor is on
    TapeFormat format;
    TapeBaud baud;
    std::uint64_t& bytes;
    std::uint64_t& cells;

    bool wantsCells() const { return recorderRuns && format == TapeFormat::wav; }
    void frameStarted(std::uint8_t value) {
        if (!recorderRuns) return;
        ++bytes;
        if (recording != nullptr) recording->bytes.push_back(value);
    }
    void cell(std::uint8_t level) {
        if (!wantsCells()) return;
        ++cells;
        if (recording != nullptr) recording->cells.push_back(recordedCell(level, baud));
    }
};

std::span<const std::uint8_t> mediaData(const TapeIo& io) {
    if (io.media == nullptr) return {};
    return io.media->data;
}

}  // namespace

std::uint8_t TapeDeck::readData(std::uint32_t counter, const TapeIo& io) {
    sync(counter, io);
    return receiver_.readData();
}

std::uint8_t TapeDeck::readStatus(std::uint32_t counter, const TapeIo& io) {
    sync(counter, io);
    std::uint8_t status = 0;
    if (transmitter_.holdingEmpty()) status |= kStatusTransmitterEmpty;
    if (receiver_.dataReceived()) status |= kStatusDataReceived;
    if (receiver_.overrun()) status |= kStatusOverrun;
    if (receiver_.framingError()) status |= kStatusFramingError;
    return status;
}

void TapeDeck::writeData(std::uint8_t value, std::uint32_t counter, const TapeIo& io) {
    sync(counter, io);
    transmitter_.write(value);
}

void TapeDeck::writeControl(std::uint8_t latch, std::uint32_t counter, const TapeIo& io) {
    sync(counter, io);
    const bool wasOn = motorOn();
    control_ = latch;
    const double bit = bitTStates(baud());
    if (!wasOn && motorOn()) receiver_.setLine(now_, tapeLevelNow(io), bit);
    if (wasOn && !motorOn()) {
        wav_.pause();
        receiver_.setLine(now_, kMark, bit);  // no signal: the line rests
    }
}

void TapeDeck::sync(std::uint32_t counter, const TapeIo& io) {
    const std::uint32_t elapsed = counter - lastCounter_;  // the counter wraps
    lastCounter_ = counter;
    if (elapsed != 0) advance(elapsed, io);
}

void TapeDeck::advance(double tstates, const TapeIo& io) {
    const double bit = bitTStates(baud());
    if (motorOn()) {
        if (playing_) playTape(tstates, bit, io);
        if (recording_) {
            recordedTStates_ += tstates;
            if (io.recording != nullptr) io.recording->tstates = recordedTStates_;
        }
    }
    now_ += tstates;
    receiver_.runUntil(receiverLimit(), bit);
    RecorderInput input{io.recording, recording_ && motorOn(), recordingFormat_,
                        baud(),       recordedBytes_,          recordedCells_};
    transmitter_.runUntil(now_, bit, input.wantsCells(), input);
}

void TapeDeck::playTape(double tstates, double bitTStates, const TapeIo& io) {
    if (kind_ == TapeKind::raw) {
        raw_.play(mediaData(io), now_, tstates, bitTStates, receiver_);
        if (raw_.ended()) endPlayback(now_ + tstates);
    } else {
        wav_.play(mediaData(io), now_, tstates, baud(), receiver_);
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

std::uint8_t TapeDeck::tapeLevelNow(const TapeIo& io) const {
    return playing_ && kind_ == TapeKind::raw ? raw_.levelNow(mediaData(io)) : kMark;
}

void TapeDeck::play(const TapeMedia& media) {
    eject();
    if (media.format == TapeFormat::raw) {
        raw_ = RawTapeSignal::ofSize(media.data.size());
        kind_ = TapeKind::raw;
    } else {
        wav_ = WavTapeSignal::ofSamples(media.sampleRate, media.data.size());
        kind_ = TapeKind::wav;
    }
    playing_ = true;
    playbackEnded_ = false;
    if (motorOn()) receiver_.setLine(now_, tapeLevelNow({&media, nullptr}), bitTStates(baud()));
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

void TapeDeck::startRecording(TapeFormat format, TapeRecording& recording) {
    ++recordingNumber_;
    recording = TapeRecording{};
    recording.number = recordingNumber_;
    recording.format = format;
    recordingFormat_ = format;
    recordedTStates_ = 0;
    recordedBytes_ = 0;
    recordedCells_ = 0;
    recording_ = true;
}

double TapeDeck::positionSeconds() const {
    if (kind_ == TapeKind::wav) return wav_.positionSeconds();
    if (kind_ == TapeKind::raw) return raw_.positionCells() / baudRate(baud());
    return recordedTStates_ / kTapeTStatesPerSecond;
}

double TapeDeck::lengthSeconds() const {
    if (kind_ == TapeKind::wav) return wav_.lengthSeconds();
    if (kind_ == TapeKind::raw) return raw_.totalCells() / baudRate(baud());
    return recordedTStates_ / kTapeTStatesPerSecond;
}

}  // namespace vantorel
