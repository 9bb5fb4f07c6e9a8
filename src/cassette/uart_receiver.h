// The receiving half of the tape UART: the serial line in, port FC/FD out.
//
// The line is a level over emulated time (1 mark, 0 space) that the tape
// signals hand in as changes, in time order. A change from mark to space
// starts a frame; the receiver then samples the middle of each bit cell, as
// a UART clocked at 16 times the baud rate does: the start bit (a mark there
// was a glitch, and the receiver waits for the next start), eight data bits
// least significant first, and the first stop bit (a space there is a
// framing error). The byte is ready at the middle of that stop bit.
//
// Status, as port FD shows it: data received (cleared by reading FC),
// overrun (this byte arrived before the one before it was read) and framing
// error, both describing the last byte received.
//
// Owned by TapeDeck, which feeds it from the tape while a motor is on.
#pragma once

#include <cstdint>

namespace vantorel {

class UartReceiver {
  public:
    // The line takes `level` from `time` on (times in T-states, never
    // decreasing); every sampling instant before `time` is handled first.
    void setLine(double time, std::uint8_t level, double bitTStates);
    // Handles every sampling instant before `time` on the present level.
    void runUntil(double time, double bitTStates);

    std::uint8_t readData();  // port FC: the last byte received; clears dataReceived
    bool dataReceived() const { return dataReceived_; }
    bool overrun() const { return overrun_; }
    bool framingError() const { return framingError_; }
    std::uint8_t line() const { return line_; }
    bool inFrame() const { return inFrame_; }

    // Forgets the frame in progress and the status (the tape was stopped).
    void reset();

  private:
    void sampleCell();
    void receive(std::uint8_t value, bool framingError);

    double handledUntil_ = 0;  // T-state time up to which the line has been sampled
    std::uint8_t line_ = 1;    // present line level
    bool inFrame_ = false;     // a start bit was seen
    double frameStart_ = 0;    // T-state time of the start bit's leading edge
    int nextCell_ = 0;         // 0 start bit, 1-8 data bits, 9 first stop bit
    std::uint8_t shift_ = 0;   // data bits gathered so far
    std::uint8_t data_ = 0;    // received data register
    bool dataReceived_ = false;
    bool overrun_ = false;
    bool framingError_ = false;
};

}  // namespace vantorel
