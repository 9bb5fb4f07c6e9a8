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
// Use (by MachineBus and Machine):
//   1. playRaw / playWav loads a tape, startRecording starts a recording;
//   2. the bus hands IN/OUT of FC, FD and OUT of FE to the port calls with
//      the present T-state count, and the machine calls sync at slice ends;
//   3. a played tape that reaches its end stops by itself (playbackEnded);
//   4. finishRecording ends a recording, which stays readable in recorded();
//      eject stops playback and clears the UART.
// A recording that goes to a file is taken out of the deck as it grows
// (takeRecorded, after every slice), so the deck holds only what was sent
// since.
#pragma once

#include <cstdint>
#include <vector>

#include "cassette/raw_tape_signal.h"
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
    std::uint8_t readData(std::uint32_t counter);
    std::uint8_t readStatus(std::uint32_t counter);
    void writeData(std::uint8_t value, std::uint32_t counter);
    void writeControl(std::uint8_t latch, std::uint32_t counter);  // every OUT to FE
    // Brings the tape and the UART up to `counter`.
    void sync(std::uint32_t counter);
    // TStateCounter was cleared (a reset): count on from 0.
    void counterCleared() { lastCounter_ = 0; }

    // --- Tapes ---
    // Puts a raw or WAV tape in at its start (it plays while a motor runs).
    void playRaw(std::vector<std::uint8_t> bytes);
    void playWav(WavTape tape);
    // Stops playback and clears the UART; a recording goes on.
    void eject();
    void startRecording(TapeFormat format);
    void finishRecording() { recording_ = false; }

    bool playing() const { return playing_; }
    bool playbackEnded() const { return playbackEnded_; }
    bool recording() const { return recording_; }
    bool motorOn() const { return (control_ & (kMotorOneBit | kMotorTwoBit)) != 0; }
    TapeBaud baud() const {
        return (control_ & kFastBaudBit) != 0 ? TapeBaud::baud1200 : TapeBaud::baud300;
    }
    std::uint8_t control() const { return control_; }
    const TapeRecording& recorded() const { return recorded_; }
    // The recording, for its file to take the bytes and cells out of.
    TapeRecording& takeRecorded() { return recorded_; }

    // Where a played tape is and how long it is, in emulated seconds (a raw
    // tape's length at the present baud rate).
    double positionSeconds() const;
    double lengthSeconds() const;

    const UartReceiver& receiver() const { return receiver_; }
    const UartTransmitter& transmitter() const { return transmitter_; }

  private:
    void advance(double tstates);
    void playTape(double tstates, double bitTStates);
    void endPlayback(double endTime);
    void startPlayback();
    std::uint8_t tapeLevelNow() const;
    double receiverLimit() const;

    enum class TapeKind : std::uint8_t { none, raw, wav };

    double now_ = 0;                 // T-states the deck has run, since power-up
    std::uint32_t lastCounter_ = 0;  // TStateCounter at the last sync
    std::uint8_t control_ = 0xFF;    // port FE latch (as at power-up)
    bool playing_ = false;
    bool playbackEnded_ = false;  // the tape last played ran to its end
    bool recording_ = false;
    TapeKind kind_ = TapeKind::none;
    RawTapeSignal raw_;
    WavTapeSignal wav_;
    TapeRecording recorded_;
    UartReceiver receiver_;
    UartTransmitter transmitter_;
};

}  // namespace vantorel
