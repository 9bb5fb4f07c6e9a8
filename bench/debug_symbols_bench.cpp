// The debugger's symbols and remote protocol: reading a large label file,
// looking up "label+offset" for an address (the disassembly asks once per
// line), and reading the whole 64K through the GDB server's "m" packets
// (framing and hex included, no socket).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "debug/gdb_packets.h"
#include "debug/gdb_server.h"
#include "debug/symbol_files.h"

namespace vantorel {
namespace {

// A pasmo symbol file of `count` labels spread over the 64K.
std::string pasmoText(int count) {
    std::string text;
    char line[64];
    for (int i = 0; i < count; ++i) {
        std::snprintf(line, sizeof line, "LABEL_%06d\t\tEQU 0%04XH\n", i, (i * 7919) & 0xFFFF);
        text += line;
    }
    return text;
}

void BM_ReadPasmoSymbols(benchmark::State& state) {
    const std::string text = pasmoText(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        SymbolRead read = readSymbols(text, SymbolFormat::equList);
        benchmark::DoNotOptimize(read.table.size());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ReadPasmoSymbols)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_LabelForAddress(benchmark::State& state) {
    const SymbolTable table = readSymbols(pasmoText(10000), SymbolFormat::equList).table;
    std::uint16_t address = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(table.labelFor(address, 0x100));
        address = static_cast<std::uint16_t>(address + 37);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LabelForAddress);

// Memory is all there is to this target.
class MemoryOnlyTarget : public GdbTarget {
  public:
    GdbRegisters readRegisters() override { return {}; }
    void writeRegisters(const GdbRegisters&) override {}
    std::uint8_t peek(std::uint16_t address) override { return static_cast<std::uint8_t>(address); }
    void poke(std::uint16_t, std::uint8_t) override {}
    bool insertBreakpoint(GdbBreakKind, std::uint16_t, std::uint16_t) override { return true; }
    bool removeBreakpoint(GdbBreakKind, std::uint16_t, std::uint16_t) override { return true; }
    void resume(GdbResume) override {}
    std::optional<GdbStop> runSlice() override { return GdbStop{}; }
    GdbStop interrupt() override { return GdbStop{}; }
    std::string monitorCommand(std::string_view) override { return {}; }
    void kill() override {}
    void detach() override {}
};

void BM_GdbReadAllMemory(benchmark::State& state) {
    MemoryOnlyTarget target;
    GdbServer server{target};
    std::string requests;
    for (unsigned address = 0; address < 0x10000; address += 0x1000) {
        char args[32];
        std::snprintf(args, sizeof args, "m%x,1000", address);
        requests += frameGdbPacket(args) + "+";
    }
    for (auto _ : state) {
        server.receive(requests);
        benchmark::DoNotOptimize(server.takeOutput());
    }
    state.SetBytesProcessed(state.iterations() * 0x10000);
}
BENCHMARK(BM_GdbReadAllMemory)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vantorel
