// The tape UART as programs see it: ports FC and FD, and the motor and baud
// bits of port FE, driven by small Z80 programs in a whole machine.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "support/test_machine.h"

namespace vantorel {
namespace {

using testing::TestMachine;

constexpr std::uint16_t kProgram = 0x1000;
constexpr std::uint16_t kBuffer = 0x2000;

// OUT (FE),motorBits; HL = 2000; then for ever: wait for a byte, store it.
void runReceiver(TestMachine& test, std::uint8_t control) {
    test.runFrom(kProgram, {
                               0x3E, control,        // LD A,control
                               0xD3, 0xFE,           // OUT (FE),A
                               0x21, 0x00,    0x20,  // LD HL,2000
                               0xDB, 0xFD,           // wait: IN A,(FD)
                               0xE6, 0x02,           //       AND 02
                               0x28, 0xFA,           //       JR Z,wait
                               0xDB, 0xFC,           //       IN A,(FC)
                               0x77,                 //       LD (HL),A
                               0x23,                 //       INC HL
                               0x18, 0xF4,           //       JR wait
                           });
}

// OUT (FE),control; sends `count` bytes from 3000 as fast as port FD allows,
// then switches the motor off and spins.
void runSender(TestMachine& test, std::uint8_t control, std::uint8_t count) {
    test.runFrom(kProgram, {
                               0x3E, control,        // LD A,control
                               0xD3, 0xFE,           // OUT (FE),A
                               0x21, 0x00,    0x30,  // LD HL,3000
                               0x06, count,          // LD B,count
                               0xDB, 0xFD,           // wait: IN A,(FD)
                               0xE6, 0x01,           //       AND 01
                               0x28, 0xFA,           //       JR Z,wait
                               0x7E,                 //       LD A,(HL)
                               0xD3, 0xFC,           //       OUT (FC),A
                               0x23,                 //       INC HL
                               0x10, 0xF4,           //       DJNZ wait
                               0xDB, 0xFD,           // last: IN A,(FD)  (the last byte
                               0xE6, 0x01,           //       AND 01     leaves the holding
                               0x28, 0xFA,           //       JR Z,last  register)
                               0x18, 0xFE,           //       JR $
                           });
}

void runFrames(TestMachine& test, int frames) {
    for (int frame = 0; frame < frames; ++frame) {
        test.nextFrameTime();
        test.machine.runFrame();
    }
}

std::vector<std::uint8_t> memoryAt(Machine& machine, std::uint16_t address, std::size_t count) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < count; ++i) bytes.push_back(machine.memory().image[address + i]);
    return bytes;
}

// 11 cells a byte: frames needed for `bytes` bytes at `baud`, with a margin.
int framesFor(std::size_t bytes, double baud) {
    return static_cast<int>(static_cast<double>(bytes) * 11.0 / baud * 60.0) + 4;
}

class TapePorts : public ::testing::Test {
  protected:
    std::unique_ptr<TestMachine> test = std::make_unique<TestMachine>();
    Machine& machine = test->machine;
};

TEST_F(TapePorts, AProgramReceivesARawTapeAtBothBaudRates) {
    const std::vector<std::uint8_t> tape = {0x00, 0x01, 0x55, 0xAA, 0x80, 0xFF, 0x7E, 0x42};
    for (const auto& [control, baud] : {std::pair<std::uint8_t, double>{0x10, 300.0},
                                        std::pair<std::uint8_t, double>{0x60, 1200.0}}) {
        test->machine.hardReset();
        ASSERT_TRUE(machine.playTapeBytes(tape));
        runReceiver(*test, control);
        runFrames(*test, framesFor(tape.size(), baud));
        EXPECT_EQ(memoryAt(machine, kBuffer, tape.size()), tape) << baud << " baud";
        EXPECT_EQ(machine.memory().image[kBuffer + tape.size()], 0) << "nothing more arrived";
        EXPECT_FALSE(machine.tapePlaying()) << "the end of the tape ends playing";
        EXPECT_EQ(machine.readPort(0xFD) & (kStatusOverrun | kStatusFramingError), 0);
    }
}

TEST_F(TapePorts, TheTapeMovesOnlyWhileAMotorIsOn) {
    machine.writePort(0xFE, 0x00);  // the latch powers up as FF: motors on
    ASSERT_TRUE(machine.playTapeBytes({0x12, 0x34}));
    runReceiver(*test, 0x00);  // both motors off
    runFrames(*test, 30);
    EXPECT_EQ(machine.memory().image[kBuffer], 0);
    EXPECT_EQ(machine.tape().positionSeconds(), 0.0);
    EXPECT_TRUE(machine.tapePlaying());
    EXPECT_FALSE(machine.tapeMoving());

    machine.writePort(0xFE, 0x20);  // unit 2's motor moves the tape as well
    EXPECT_TRUE(machine.tapeMoving());
    runFrames(*test, framesFor(2, 300.0));
    EXPECT_EQ(memoryAt(machine, kBuffer, 2), (std::vector<std::uint8_t>{0x12, 0x34}));
}

TEST_F(TapePorts, AByteReadTooLateIsAnOverrun) {
    ASSERT_TRUE(machine.playTapeBytes({0x11, 0x22, 0x33}));
    test->runFrom(kProgram, {0x3E, 0x10, 0xD3, 0xFE, 0x18, 0xFE});  // motor on, spin
    runFrames(*test, framesFor(3, 300.0));
    EXPECT_EQ(machine.readPort(0xFD) & 0x0E, kStatusDataReceived | kStatusOverrun);
    EXPECT_EQ(machine.readPort(0xFC), 0x33) << "the newest byte is kept";
    EXPECT_EQ(machine.readPort(0xFD) & kStatusDataReceived, 0) << "reading FC took it";
}

TEST_F(TapePorts, SentBytesAreRecordedWhileTheMotorRuns) {
    const std::vector<std::uint8_t> sent = {0x00, 0xFF, 0x5A, 0xA5, 0x01};
    for (std::size_t i = 0; i < sent.size(); ++i) machine.memory().image[0x3000 + i] = sent[i];
    for (const auto& [control, baud] : {std::pair<std::uint8_t, double>{0x10, 300.0},
                                        std::pair<std::uint8_t, double>{0x50, 1200.0}}) {
        machine.recordTape(TapeFormat::raw);
        runSender(*test, control, static_cast<std::uint8_t>(sent.size()));
        runFrames(*test, framesFor(sent.size(), baud));
        machine.stopCassette();
        EXPECT_EQ(machine.recordedTape().bytes, sent) << baud << " baud";
        EXPECT_NEAR(machine.recordedTape().tstates / kTapeTStatesPerSecond,
                    framesFor(sent.size(), baud) / 60.0, 0.02);
    }

    machine.recordTape(TapeFormat::raw);
    runSender(*test, 0x00, static_cast<std::uint8_t>(sent.size()));  // motors off
    runFrames(*test, framesFor(sent.size(), 300.0));
    EXPECT_TRUE(machine.recordedTape().bytes.empty()) << "a stopped tape records nothing";
    EXPECT_EQ(machine.ports().keyboardLatch, 0x00) << "the latch keeps every bit";
}

TEST_F(TapePorts, WhatIsSentComesBackWhenPlayed) {
    std::vector<std::uint8_t> sent;
    for (int value = 0; value < 256; ++value) sent.push_back(static_cast<std::uint8_t>(value));
    for (std::size_t i = 0; i < sent.size(); ++i) machine.memory().image[0x3000 + i] = sent[i];
    machine.recordTape(TapeFormat::raw);
    runSender(*test, 0x40 | 0x10, 0);  // B = 0: 256 bytes at 1200 baud
    runFrames(*test, framesFor(sent.size(), 1200.0));
    machine.stopCassette();
    ASSERT_EQ(machine.recordedTape().bytes, sent);

    ASSERT_TRUE(machine.playTapeBytes(machine.recordedTape().bytes));
    runReceiver(*test, 0x50);
    runFrames(*test, framesFor(sent.size(), 1200.0));
    EXPECT_EQ(memoryAt(machine, kBuffer, sent.size()), sent);
}

TEST_F(TapePorts, StatusBitsAndEmptyTapes) {
    EXPECT_EQ(machine.readPort(0xFD), kStatusTransmitterEmpty) << "idle UART";
    machine.writePort(0xFC, 0x41);
    EXPECT_EQ(machine.readPort(0xFD), 0) << "the holding register is full";
    EXPECT_FALSE(machine.playTapeBytes({})) << "an empty tape leaves the machine idle";
    EXPECT_FALSE(machine.tapePlaying());
    EXPECT_EQ(machine.readPort(0xFD), kStatusTransmitterEmpty) << "stopping clears the UART";
    EXPECT_EQ(machine.readPort(0x00FE) & 0xE0, 0xE0) << "port FE reads the keyboard as before";
}

TEST_F(TapePorts, ResetsStopTheTape) {
    ASSERT_TRUE(machine.playTapeBytes({1, 2, 3}));
    machine.recordTape(TapeFormat::wav);
    machine.softReset();
    EXPECT_FALSE(machine.tapePlaying());
    EXPECT_FALSE(machine.tapeRecording());
    ASSERT_TRUE(machine.playTapeBytes({1, 2, 3})) << "after a reset a tape plays again";
}

}  // namespace
}  // namespace vantorel
