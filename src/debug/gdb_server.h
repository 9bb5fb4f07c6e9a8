// The GDB remote serial protocol's commands, over a GdbTarget.
//
// Takes the client's bytes (framed by gdb_packets.h), answers each packet
// and drives the target: registers (g G p P), memory (m M X), breakpoints
// and watchpoints (Z0-Z4, z0-z4), running (c s, and bs bc backwards, with
// Ctrl-C to stop), the stop reason (?), the target description
// (qXfer:features:read:target.xml: architecture z80 and the 12 registers
// af bc de hl af' bc' de' hl' ix iy sp pc), monitor commands (qRcmd), the
// single thread's queries, kill (k) and detach (D). An unknown packet gets
// the empty reply, as the protocol asks.
//
//   GdbServer server{target};
//   while (server.serve(channel)) channel.waitForInput(...);  // or once per frame
//
// The machine is stopped when the session starts (at its first
// instruction for a fresh run) and stays stopped until the client resumes.
// Called by the headless runner and the window's idle loop.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "debug/gdb_packets.h"
#include "debug/gdb_target.h"

namespace vantorel {

class ByteChannel;

class GdbServer {
  public:
    explicit GdbServer(GdbTarget& target) : target_(target) {}

    // The client's bytes, in whatever pieces they came.
    void receive(std::string_view bytes);
    // While the target runs: one slice of it, and the stop reply when it
    // stops. Does nothing while stopped.
    void runSlice();
    // What is to be sent to the client, taken.
    std::string takeOutput() { return std::exchange(output_, {}); }

    // One round over a connection: what arrived, one slice when running,
    // the replies sent. False once the session is over (killed, detached,
    // or the connection closed).
    bool serve(ByteChannel& channel);

    bool running() const { return running_; }
    bool finished() const { return finished_; }

  private:
    void take(const GdbInput& input);
    void handle(std::string_view payload);
    void reply(std::string_view payload);
    void stopped(const GdbStop& stop);
    void resume(GdbResume how, std::string_view addressText);

    std::string readRegisters();
    std::string writeRegisters(std::string_view hex);
    std::string readRegister(std::string_view args);
    std::string writeRegister(std::string_view args);
    std::string readMemory(std::string_view args);
    std::string writeMemory(std::string_view args, bool binary);
    std::string breakpoint(std::string_view args, bool insert);
    std::string query(std::string_view payload);
    std::string supported(std::string_view features);
    std::string features(std::string_view args);
    std::string monitor(std::string_view hex);

    GdbTarget& target_;
    GdbPacketReader reader_;
    std::string output_;
    std::string lastReply_;  // sent again on "-"
    std::string lastStop_ = "S05";
    bool acks_ = true;
    bool running_ = false;
    bool finished_ = false;
    bool swbreak_ = false;  // the client understands "swbreak" stop reasons
};

}  // namespace vantorel
