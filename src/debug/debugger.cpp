#include "debug/debugger.h"

namespace vantorel {

class Debugger::Impl {
  public:
    std::vector<Breakpoint> breakpoints;
    StopReason last;
    DebugRecording recording;
    std::vector<std::uint64_t> profile = std::vector<std::uint64_t>(0x10000);
};

namespace {
StopReason notYet() {
    StopReason reason;
    reason.kind = StopKind::failed;
    reason.message = "not built yet";
    return reason;
}
}  // namespace

Debugger::Debugger(Machine& machine, Timeline& timeline)
    : machine_(machine), timeline_(timeline), impl_(std::make_unique<Impl>()) {}
Debugger::~Debugger() = default;
void Debugger::attach() {}
void Debugger::detach() {}
bool Debugger::attached() const {
    return false;
}
BreakpointResult Debugger::addBreakpoint(const BreakpointSpec&) {
    return {0, "not built yet"};
}
bool Debugger::removeBreakpoint(int) {
    return false;
}
bool Debugger::enableBreakpoint(int, bool) {
    return false;
}
void Debugger::clearBreakpoints() {}
const std::vector<Breakpoint>& Debugger::breakpoints() const {
    return impl_->breakpoints;
}
void Debugger::setLogSink(LogSink) {}
std::string Debugger::checkCondition(std::string_view) {
    return "not built yet";
}
bool Debugger::evaluate(std::string_view, std::int64_t&, std::string& error) const {
    error = "not built yet";
    return false;
}
StopReason Debugger::stepInto() {
    return notYet();
}
StopReason Debugger::stepOver() {
    return notYet();
}
StopReason Debugger::stepOut() {
    return notYet();
}
StopReason Debugger::runToAddress(std::uint16_t) {
    return notYet();
}
StopReason Debugger::runFrame() {
    return notYet();
}
StopReason Debugger::resume(std::int64_t) {
    return notYet();
}
void Debugger::pause() {}
const StopReason& Debugger::lastStop() const {
    return impl_->last;
}
StopReason Debugger::stepBack() {
    return notYet();
}
StopReason Debugger::stepBackFrame() {
    return notYet();
}
StopReason Debugger::stepOutBack() {
    return notYet();
}
StopReason Debugger::reverseContinue() {
    return notYet();
}
StopReason Debugger::goToTState(std::int64_t) {
    return notYet();
}
WriteRecord Debugger::whoWrote(std::uint16_t) {
    return {};
}
std::int64_t Debugger::now() const {
    return timeline_.positionTStates();
}
std::int64_t Debugger::frameTState() const {
    return 0;
}
Z80State Debugger::registers() const {
    return machine_.registers();
}
void Debugger::setRegisters(const Z80State& registers) {
    machine_.setRegisters(registers);
}
std::uint8_t Debugger::peek(std::uint16_t address) const {
    return machine_.peek(address);
}
void Debugger::readMemory(std::uint16_t address, std::span<std::uint8_t> out) const {
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = machine_.peek(static_cast<std::uint16_t>(address + i));
    }
}
void Debugger::writeMemory(std::uint16_t, std::span<const std::uint8_t>) {}
std::vector<DisassemblyLine> Debugger::disassembly(std::uint16_t, int, int) const {
    return {};
}
void Debugger::setRecording(const DebugRecording& recording) {
    impl_->recording = recording;
}
const DebugRecording& Debugger::recording() const {
    return impl_->recording;
}
std::vector<CallFrame> Debugger::callStack() const {
    return {};
}
std::vector<TraceEntry> Debugger::trace() const {
    return {};
}
bool Debugger::saveTrace(const std::filesystem::path&, std::string& error) const {
    error = "not built yet";
    return false;
}
std::span<const std::uint64_t> Debugger::profile() const {
    return impl_->profile;
}
std::vector<RoutineProfile> Debugger::profileRoutines(std::span<const RoutineRange>) const {
    return {};
}
void Debugger::clearProfile() {}
AccessMark Debugger::accessMark(std::uint16_t) const {
    return {};
}
TapeView Debugger::tape() const {
    return {};
}

}  // namespace vantorel
