// The cassette recorder and the UART behind ports FC and FD.
//
// Port FC: IN takes the received byte, OUT sends one. Port FD (IN): bit 0
// transmitter holding register empty, bit 1 data received, bit 2 overrun,
// bit 3 framing error; the other bits read 0. Port FE output bits 4 and 5
// switch the motors of tape units 1 and 2, bit 6 selects 1200 baud (set) or
// 300 baud (clear). There is one tape; it moves while either motor is on.
//
// Everything runs on emulated time: the deck follows TStateCounter and
// catches up lazily, whenever a tape port is touched and at the end of each
// processor slice, so a byte arrives at the same emulated moment however
// often the program looks.
//
// The deck is plain data, a part of the machine's state record: the tape
// it plays (tape_media.h) and the recording it makes (tape_recording.h) are
// kept outside it and handed to every call that moves the tape, as a TapeIo.
// The deck names them by value: the tape's kind and length, and the
// recording's number and how many bytes and cells it holds.
//
// Use (by MachineBus and Machine):
//   1. play(media) puts a tape in, startRecording starts a recording;
//   2. the bus hands IN/OUT of FC, FD and OUT of FE to the port calls with
//      the present T-state count and the TapeIo, and the machine calls sync
//      at slice ends;
//   3. a played tape that reaches its end stops by itself (playbackEnded);
//   4. finishRecording ends a recording, which stays in its TapeRecording;
//      eject stops playback and clears the UART.
#pragma once

#include <cstdint>

#include "cassette/raw_tape_signal.h"
#include "cassette/tape_media.h"
#include "cassette/tape_recording.h"
#include "cassette/tape_timing.h"
#include "cassette/uart_receiver.h"
#include "cassette/uart_transmitter.h"
#include "cassette/wav_tape_signal.h"

namespace vantorel {

inline constexpr std::uint8_t kTapeDataPort = 0xFC;
inline constexpr std::uint8_t kTapeStatusPort = 0xFD;

// Port FD bits.
inline constexpr std::uint8_t kStatusTransmitterEmpty = 0x01;
inline constexpr std::uint8_t kStatusDataReceived = 0x02;
inline constexpr std::uint8_t kStatusOverrun = 0x04;
inline constexpr std::uint8_t kStatusFramingError = 0x08;

class TapeDeck {
  public:
    // --- Ports (`counter` is TStateCounter at the access) ---
    std::uint8_t readData(std::uint32_t counter, const TapeIo& io);
    std::uint8_t readStatus(std::uint32_t counter, const TapeIo& io);
    void writeData(std::uint8_t value, std::uint32_t counter, const TapeIo& io);
    void writeControl(std::uint8_t latch, std::uint32_t counter,
                      const TapeIo& io);  // every OUT to FE
    // Brings the tape and the UART up to `counter`.
    void sync(std::uint32_t counter, const TapeIo& io);
    // TStateCounter was cleared (a reset): count on from 0.
    void counterCleared() { lastCounter_ = 0; }

    // --- Tapes ---
    // Puts `media` in at its start (it plays while a motor runs); every
    // later call is given it as io.media, until the tape is ejected or ends.
    void play(const TapeMedia& media);
    // Stops playback and clears the UART; a recording goes on.
    void eject();
    // Starts a new recording (the next number) in the empty `recording`.
    void startRecording(TapeFormat format, TapeRecording& recording);
    void finishRecording() { recording_ = false; }

    bool playing() const { return playing_; }
    bool playbackEnded() const { return playbackEnded_; }
    bool recording() const { return recording_; }
    bool motorOn() const { return (control_ & (kMotorOneBit | kMotorTwoBit)) != 0; }
    TapeBaud baud() const {
        return (control_ & kFastBaudBit) != 0 ? TapeBaud::baud1200 : TapeBaud::baud300;
    }
    std::uint8_t control() const { return control_; }

    // The recording the deck last started (0: none yet) and how far it got:
    // what a TapeRecording of that number holds.
    std::uint32_t recordingNumber() const { return recordingNumber_; }
    TapeFormat recordingFormat() const { return recordingFormat_; }
    std::uint64_t recordedBytes() const { return recordedBytes_; }
    std::uint64_t recordedCells() const { return recordedCells_; }
    double recordedTStates() const { return recordedTStates_; }

    // Where a played tape is and how long it is, in emulated seconds (a raw
    // tape's length at the present baud rate).
    double positionSeconds() const;
    double lengthSeconds() const;

    const UartReceiver& receiver() const { return receiver_; }
    const UartTransmitter& transmitter() const { return transmitter_; }

  private:
    void advance(double tstates, const TapeIo& io);
    void playTape(double tstates, double bitTStates, const TapeIo& io);
    void endPlayback(double endTime);
    std::uint8_t tapeLevelNow(const TapeIo& io) const;
    double receiverLimit() const;

    enum class TapeKind : std::uint8_t { none, raw, wav };

    double now_ = 0;              // T-states the deck has run, since power-up
    double recordedTStates_ = 0;  // motor-on time of the recording
    std::uint64_t recordedBytes_ = 0;
    std::uint64_t recordedCells_ = 0;
    std::uint32_t recordingNumber_ = 0;
    std::uint32_t lastCounter_ = 0;  // TStateCounter at the last sync
    std::uint8_t control_ = 0xFF;    // port FE latch (as at power-up)
    bool playing_ = false;
    bool playbackEnded_ = false;  // the tape last played ran to its end
    bool recording_ = false;
    TapeKind kind_ = TapeKind::none;
    TapeFormat recordingFormat_ = TapeFormat::raw;
    RawTapeSignal raw_;
    WavTapeSignal wav_;
    UartReceiver receiver_;
    UartTransmitter transmitter_;
};

}  // namespace vantorel
