// Any bytes from a GDB client, as the remote debugging port would receive
// them, answered by the server over a toy target. Whatever arrives, every
// packet sent back is framed right (its checksum holds, it fits the
// advertised packet size) and a run the bytes started stops within a few
// slices or on Ctrl-C between packets.
#include <string>

#include "debug/fake_gdb_target.h"
#include "debug/gdb_packets.h"
#include "debug/gdb_server.h"
#include "fuzz/fuzz_machine.h"
#include "fuzz/fuzz_targets.h"

namespace vantorel::fuzz {

namespace {

// Every packet in the server's output arrives whole and with its checksum.
void checkReplies(const std::string& output) {
    GdbPacketReader reader;
    for (const char byte : output) {
        const std::optional<GdbInput> input = reader.take(byte);
        if (!input) continue;
        check(input->kind != GdbInputKind::badPacket, "a reply framed wrong or too long");
    }
}

}  // namespace

void fuzzGdbPackets(Bytes bytes) {
    testing::FakeGdbTarget target;
    target.sliceInstructions = 8;
    target.historyLimit = 16;
    target.load(0, {0x3C, 0x32, 0x00, 0x90, 0x3A, 0x00, 0x91, 0xC3, 0x00, 0x00});
    GdbServer server{target};
    server.receive({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
    for (int slice = 0; slice < 3; ++slice) server.runSlice();
    // Ctrl-C, after ending any packet the bytes left open (within a packet
    // 0x03 is a byte of it, not an interrupt).
    if (server.running()) server.receive("#00\x03");
    check(!server.running(), "Ctrl-C did not stop the run");
    checkReplies(server.takeOutput());
}

}  // namespace vantorel::fuzz
