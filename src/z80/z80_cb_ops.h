// The CB instruction page of the Z80 core: rotates, shifts (SLL included),
// BIT, RES and SET on B, C, D, E, H, L, (HL) and A. Included by z80.h; the
// handlers run from the CB prefix dispatcher.
#pragma once

#include <cstddef>
#include <utility>

#include "z80/z80.h"
#include "z80/z80_alu.h"

namespace vantorel {

template <Z80Bus Bus>
struct Z80CbOps {
    using Cpu = Z80<Bus>;
    using Handler = typename Cpu::Handler;
    using HandlerTable = typename Cpu::HandlerTable;

    template <unsigned Op>
    static void op(Cpu& c) {
        Z80State& s = c.state_;
        constexpr unsigned group = Op >> 6;
        constexpr unsigned field = (Op >> 3) & 7;
        constexpr unsigned z = Op & 7;
        if constexpr (z == kRegMem) {
            const std::uint32_t value = c.readByte(s.HL);
            if constexpr (group == 1) {
                alu::bitTest<field>(s, value);
            } else {
                c.writeByte(s.HL, alu::bitOperation<Op>(s, value));
            }
        } else if constexpr (group == 1) {
            alu::bitTest<field>(s, get8<z>(s));
        } else {
            set8<z>(s, alu::bitOperation<Op>(s, get8<z>(s)));
        }
    }

    template <std::size_t... Op>
    static constexpr HandlerTable makeTable(std::index_sequence<Op...>) {
        return HandlerTable{&op<Op>...};
    }
};

template <Z80Bus Bus>
const typename Z80<Bus>::HandlerTable Z80<Bus>::cbHandlers =
    Z80CbOps<Bus>::makeTable(std::make_index_sequence<256>{});

}  // namespace vantorel
