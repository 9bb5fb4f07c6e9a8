#include "cassette/uart_receiver.h"

#include <algorithm>

#include "cassette/tape_timing.h"

namespace vantorel {

void UartReceiver::setLine(double time, std::uint8_t level, double bitTStates) {
    time = std::max(time, handledUntil_);  // a change cannot come before what was handled
    runUntil(time, bitTStates);
    if (!inFrame_ && line_ == kMark && level == kSpace) {
        inFrame_ = true;
        frameStart_ = time;
        nextCell_ = 0;
        shift_ = 0;
    }
    line_ = level;
}

void UartReceiver::runUntil(double time, double bitTStates) {
    handledUntil_ = std::max(handledUntil_, time);
    while (inFrame_ && frameStart_ + (nextCell_ + 0.5) * bitTStates < time) sampleCell();
}

void UartReceiver::sampleCell() {
    if (nextCell_ == 0) {
        if (line_ == kMark) inFrame_ = false;  // too short for a start bit
        nextCell_ = 1;
        return;
    }
    if (nextCell_ <= 8) {
        shift_ = static_cast<std::uint8_t>(shift_ | (line_ << (nextCell_ - 1)));
        ++nextCell_;
        return;
    }
    receive(shift_, line_ == kSpace);
    // A line still at space after the stop bit starts nothing: the next
    // frame needs a change from mark to space.
    inFrame_ = false;
}

void UartReceiver::receive(std::uint8_t value, bool framingError) {
    overrun_ = dataReceived_;
    framingError_ = framingError;
    data_ = value;
    dataReceived_ = true;
}

std::uint8_t UartReceiver::readData() {
    dataReceived_ = false;
    return data_;
}

void UartReceiver::reset() {
    const double handled = handledUntil_;
    *this = UartReceiver{};
    handledUntil_ = handled;
}

}  // namespace vantorel
