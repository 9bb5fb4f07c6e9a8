#include "timeline/state_file.h"

#include <cstring>
#include <fstream>

#include "files/binary_file.h"
#include "files/replacement_file.h"
#include "timeline/byte_stream.h"
#include "timeline/packed_state.h"

namespace vantorel {

namespace {

constexpr char kMagic[8] = {'V', 'T', 'S', 'T', 'A', 'T', 'E', 0x1A};
constexpr std::size_t kMostInputBytes = std::size_t{1} << 30;  // a tape or a text
constexpr std::uintmax_t kMostFileBytes = std::uintmax_t{3} << 30;

template <class Rom>
std::uint64_t hashOf(const std::shared_ptr<const Rom>& rom) {
    if (!rom) return 0;
    return contentHash({rom->data(), rom->size()});
}

void writeHeader(ByteWriter& out, const StateFileHeader& header) {
    out.raw(kMagic, sizeof kMagic);
    out.u32(kStateFormatVersion);
    out.u32(static_cast<std::uint32_t>(sizeof(MachineState)));
    const std::string_view version = std::string_view(header.programVersion).substr(0, 255);
    out.u8(static_cast<std::uint8_t>(version.size()));
    out.raw(version.data(), version.size());
    for (std::uint64_t hash : {header.roms.monitor, header.roms.characters, header.roms.a000,
                               header.roms.c000, header.roms.d000}) {
        out.u64(hash);
    }
    out.u32(static_cast<std::uint32_t>(header.ramexpanders));
    out.u32(static_cast<std::uint32_t>(header.timing.framesPerSecond));
    out.u32(static_cast<std::uint32_t>(header.timing.activeScanTStates));
    out.u32(static_cast<std::uint32_t>(header.timing.verticalBlankTStates));
    out.u64(static_cast<std::uint64_t>(header.emulatedFrames));
    out.u64(static_cast<std::uint64_t>(header.savedAtSeconds));
}

// The header; "" or the problem with it.
std::string readHeader(ByteReader& in, StateFileHeader& header, std::uint32_t& recordSize) {
    const std::uint8_t* magic = in.take(sizeof kMagic);
    if (magic == nullptr || std::memcmp(magic, kMagic, sizeof kMagic) != 0) {
        return "it is not a Vantorel state file";
    }
    header.format = in.u32();
    recordSize = in.u32();
    const std::uint8_t length = in.u8();
    const std::uint8_t* version = in.take(length);
    if (version != nullptr) header.programVersion.assign(version, version + length);
    header.roms.monitor = in.u64();
    header.roms.characters = in.u64();
    header.roms.a000 = in.u64();
    header.roms.c000 = in.u64();
    header.roms.d000 = in.u64();
    header.ramexpanders = static_cast<std::int32_t>(in.u32());
    header.timing.framesPerSecond = static_cast<std::int32_t>(in.u32());
    header.timing.activeScanTStates = static_cast<std::int32_t>(in.u32());
    header.timing.verticalBlankTStates = static_cast<std::int32_t>(in.u32());
    header.emulatedFrames = static_cast<std::int64_t>(in.u64());
    header.savedAtSeconds = static_cast<std::int64_t>(in.u64());
    if (!in.ok()) return "the file is cut short";
    return "";
}

std::string versionProblem(const StateFileHeader& header, std::uint32_t recordSize,
                           std::string_view programVersion) {
    if (header.format != kStateFormatVersion || recordSize != sizeof(MachineState) ||
        header.programVersion != programVersion) {
        return "it was saved by Vantorel " + header.programVersion + " (state format " +
               std::to_string(header.format) + "); this is Vantorel " +
               std::string(programVersion) + " (state format " +
               std::to_string(kStateFormatVersion) + ")";
    }
    return "";
}

std::string romProblem(const RomHashes& saved, const RomHashes& now) {
    if (saved.monitor != now.monitor || saved.characters != now.characters) {
        return "it was saved with another monitor or character ROM";
    }
    if (saved.a000 != now.a000 || saved.c000 != now.c000 || saved.d000 != now.d000) {
        return "it was saved with another game ROM in the slots (load that game ROM first)";
    }
    return "";
}

// The record must name what came with it: the tape, the text, the slots.
bool recordFitsInputs(const MachineState& state, const MachineInputs& inputs) {
    if (state.tape.playing() && !inputs.tape) return false;
    if (state.quickType.active() &&
        (!inputs.text || inputs.text->size() != state.quickType.textBytes())) {
        return false;
    }
    if (state.quickType.active() && state.quickType.readPosition() > state.quickType.textBytes()) {
        return false;
    }
    const std::uint8_t slots = (inputs.gameRoms.a000 ? kSlotA000Filled : 0) |
                               (inputs.gameRoms.c000 ? kSlotC000Filled : 0) |
                               (inputs.gameRoms.d000 ? kSlotD000Filled : 0);
    return state.memory.filledSlots == slots && state.running <= 1 && state.ramexpanders >= 0 &&
           state.ramexpanders <= 3 && state.timing.framesPerSecond >= 1 &&
           state.timing.activeScanTStates >= 1 && state.timing.verticalBlankTStates >= 1;
}

}  // namespace

std::uint64_t contentHash(std::span<const std::uint8_t> bytes) {
    std::uint64_t hash = 1469598103934665603ull;
    for (std::uint8_t byte : bytes) hash = (hash ^ byte) * 1099511628211ull;
    return hash;
}

RomHashes romHashesOf(const Machine& machine) {
    const MachineInputs& inputs = machine.inputs();
    return {hashOf(inputs.roms.monitor), hashOf(inputs.roms.characters),
            hashOf(inputs.gameRoms.a000), hashOf(inputs.gameRoms.c000),
            hashOf(inputs.gameRoms.d000)};
}

std::uint64_t programKey(const RomHashes& hashes) {
    std::uint64_t key = 1469598103934665603ull;
    for (std::uint64_t hash :
         {hashes.monitor, hashes.characters, hashes.a000, hashes.c000, hashes.d000}) {
        key = (key ^ hash) * 1099511628211ull;
    }
    return key;
}

StateFileHeader stateHeaderFor(const Machine& machine, std::string_view programVersion,
                               std::int64_t emulatedFrames, std::int64_t savedAtSeconds) {
    StateFileHeader header;
    header.format = kStateFormatVersion;
    header.programVersion = std::string(programVersion);
    header.roms = romHashesOf(machine);
    header.ramexpanders = machine.state().ramexpanders;
    header.timing = machine.timing();
    header.emulatedFrames = emulatedFrames;
    header.savedAtSeconds = savedAtSeconds;
    return header;
}

std::vector<std::uint8_t> writeStateBytes(const Machine& machine, const StateFileHeader& header) {
    return writeStateBytes(MachineSnapshot{machine.state(), machine.inputs()}, header);
}

std::vector<std::uint8_t> writeStateBytes(const MachineSnapshot& snapshot,
                                          const StateFileHeader& header) {
    ByteWriter out;
    writeHeader(out, header);
    const MachineInputs& inputs = snapshot.inputs;
    out.u8(inputs.tape ? 1 : 0);
    if (inputs.tape) {
        out.u8(static_cast<std::uint8_t>(inputs.tape->format));
        out.u32(inputs.tape->sampleRate);
        out.block(inputs.tape->data);
    }
    out.u8(inputs.text ? 1 : 0);
    if (inputs.text) out.block(*inputs.text);
    out.block(packState(snapshot.state, nullptr));
    out.u64(contentHash(out.bytes));
    return std::move(out.bytes);
}

std::optional<StateFileHeader> readStateHeader(std::span<const std::uint8_t> bytes) {
    ByteReader in{bytes};
    StateFileHeader header;
    std::uint32_t recordSize = 0;
    if (!readHeader(in, header, recordSize).empty()) return std::nullopt;
    return header;
}

StateFileRead readStateBytes(std::span<const std::uint8_t> bytes, const Machine& machine,
                             std::string_view programVersion) {
    StateFileRead result;
    ByteReader in{bytes};
    std::uint32_t recordSize = 0;
    result.problem = readHeader(in, result.header, recordSize);
    if (!result.problem.empty()) return result;
    result.problem = versionProblem(result.header, recordSize, programVersion);
    if (!result.problem.empty()) return result;
    result.problem = romProblem(result.header.roms, romHashesOf(machine));
    if (!result.problem.empty()) return result;

    MachineSnapshot snapshot;
    snapshot.inputs.roms = machine.roms();
    snapshot.inputs.gameRoms = machine.gameRoms();
    if (in.u8() != 0) {
        TapeMedia media;
        const std::uint8_t format = in.u8();
        media.format = format == 0 ? TapeFormat::raw : TapeFormat::wav;
        media.sampleRate = in.u32();
        const auto data = in.block(kMostInputBytes);
        media.data.assign(data.begin(), data.end());
        if (format > 1 || (media.format == TapeFormat::wav && media.sampleRate == 0)) {
            result.problem = "the file is damaged (its tape)";
            return result;
        }
        snapshot.inputs.tape = std::make_shared<const TapeMedia>(std::move(media));
    }
    if (in.u8() != 0) {
        const auto text = in.block(kMostInputBytes);
        snapshot.inputs.text = std::make_shared<const QuickTypeText>(text.begin(), text.end());
    }
    const auto packed = in.block(kMostInputBytes);
    const std::size_t checked = in.at();
    const std::uint64_t checksum = in.u64();
    if (!in.ok()) {
        result.problem = "the file is cut short";
        return result;
    }
    if (in.at() != bytes.size() || checksum != contentHash(bytes.first(checked))) {
        result.problem = "the file is damaged (its check sum does not match)";
        return result;
    }
    if (!unpackState(packed, nullptr, snapshot.state) ||
        !recordFitsInputs(snapshot.state, snapshot.inputs)) {
        result.problem = "the file is damaged (its machine state)";
        return result;
    }
    result.snapshot = std::move(snapshot);
    return result;
}

std::optional<std::string> saveStateFile(const std::filesystem::path& path, const Machine& machine,
                                         const StateFileHeader& header) {
    const std::vector<std::uint8_t> bytes = writeStateBytes(machine, header);
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    ReplacementFile file;
    if (!file.create(path) ||
        !file.write({reinterpret_cast<const char*>(bytes.data()), bytes.size()}) ||
        !file.commit()) {
        return "The state could not be saved to " + path.string() + ".";
    }
    return std::nullopt;
}

StateFileRead loadStateFile(const std::filesystem::path& path, const Machine& machine,
                            std::string_view programVersion) {
    const auto bytes = readWholeFile(path, kMostFileBytes);
    if (!bytes) {
        StateFileRead result;
        result.problem = "it cannot be read";
        return result;
    }
    return readStateBytes(*bytes, machine, programVersion);
}

}  // namespace vantorel
