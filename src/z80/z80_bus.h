// What the Z80 core needs of the machine it runs in.
//
// The core is a class template over its bus type, so every memory and port
// access is a direct (inlinable) call: a flat 64K test bus and the Sorcerer's
// memory map both plug in without a virtual call per access. A bus provides:
//
//   fetchOpcode(addr)    opcode, prefix and operand bytes
//   readMemory(addr)     data reads
//   writeMemory(addr, v) data writes and pushes
//   readPort(port)       IN; port is 16 bits (high byte A or B)
//   writePort(port, v)   OUT
//   advanceTStates(n)    after every step, the cycles the step consumed
//   trapHook(state)      opcode ED FE
//   retiHook()           every RETI
//   debugOutput(text)    the debug-output sink (the RETN text)
#pragma once

#include <concepts>
#include <cstdint>

#include "z80/z80_state.h"

namespace vantorel {

template <class B>
concept Z80Bus = requires(B& bus, std::uint16_t address, std::uint8_t value, std::uint32_t tstates,
                          Z80State& state, const char* text) {
    { bus.fetchOpcode(address) } -> std::convertible_to<std::uint8_t>;
    { bus.readMemory(address) } -> std::convertible_to<std::uint8_t>;
    bus.writeMemory(address, value);
    { bus.readPort(address) } -> std::convertible_to<std::uint8_t>;
    bus.writePort(address, value);
    bus.advanceTStates(tstates);
    bus.trapHook(state);
    bus.retiHook();
    bus.debugOutput(text);
};

}  // namespace vantorel
