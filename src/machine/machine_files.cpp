#include "machine/machine_files.h"

#include <algorithm>
#include <array>
#include <memory>
#include <new>
#include <optional>
#include <system_error>

#include "config/profile_file.h"
#include "files/binary_file.h"
#include "files/replacement_file.h"
#include "machine/machine.h"
#include "machine/snapshot_header.h"

namespace vantorel {

namespace {

FileResult failure(FileStatus status, std::string message) {
    return {status, std::move(message)};
}

FileResult busyResult(const Machine& machine) {
    return failure(FileStatus::busy,
                   machine.tapePlaying() ? "a cassette is playing" : "quick type is typing");
}

template <class Buffer>
std::unique_ptr<Buffer> allocateFilled(std::uint8_t value) {
    std::unique_ptr<Buffer> buffer(new (std::nothrow) Buffer);
    if (buffer) buffer->fill(value);
    return buffer;
}

// A shared buffer, or none when there is no memory for it.
template <class Buffer>
std::shared_ptr<Buffer> allocateShared() {
    std::unique_ptr<Buffer> buffer(new (std::nothrow) Buffer);
    if (!buffer) return nullptr;
    try {
        return std::shared_ptr<Buffer>(std::move(buffer));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

std::string sizeText(std::uintmax_t bytes) {
    return std::to_string(bytes) + " bytes";
}

// A new image of a slot's (or ROM's) size holding the first bytes of `from`.
template <class Buffer>
std::shared_ptr<Buffer> imageFrom(const std::uint8_t* from) {
    std::shared_ptr<Buffer> image = allocateShared<Buffer>();
    if (image) std::copy_n(from, image->size(), image->begin());
    return image;
}

// Puts the first bytes of a 16K game ROM buffer into the slot its size chooses.
bool plugGameRom(Machine& machine, const SlotA000& rom, std::uintmax_t size) {
    if (size <= std::tuple_size_v<SlotD000>) {
        auto slot = imageFrom<SlotD000>(rom.data());
        if (!slot) return false;
        machine.fillSlot(std::shared_ptr<const SlotD000>(std::move(slot)));
    } else if (size <= std::tuple_size_v<SlotC000>) {
        auto slot = imageFrom<SlotC000>(rom.data());
        if (!slot) return false;
        machine.fillSlot(std::shared_ptr<const SlotC000>(std::move(slot)));
    } else {
        auto slot = imageFrom<SlotA000>(rom.data());
        if (!slot) return false;
        machine.fillSlot(std::shared_ptr<const SlotA000>(std::move(slot)));
    }
    return true;
}

using SnapshotMemory = std::array<std::uint8_t, kMemoryBytes>;

// Memory, ROM images, C000 slot and RAM flag from a snapshot's 64K.
void applySnapshotMemory(Machine& machine, const SnapshotMemory& snapshot) {
    MachineMemory& memory = machine.memory();
    memory.image = snapshot;
    auto monitor = imageFrom<MonitorRom>(snapshot.data() + kMonitorStart);
    auto characters = imageFrom<CharacterRom>(snapshot.data() + kCharacterRomStart);
    if (monitor) machine.roms().monitor = std::move(monitor);
    if (characters) machine.roms().characters = std::move(characters);
    auto slot = imageFrom<SlotC000>(snapshot.data() + kSlotC000);
    if (slot) machine.fillSlot(std::shared_ptr<const SlotC000>(std::move(slot)));
    memory.snapshotRam = true;
}

}  // namespace

bool fileAccessBusy(const Machine& machine) {
    return machine.tapePlaying() || machine.quickTypeActive();
}

FileResult loadGameRom(Machine& machine, const std::filesystem::path& path) {
    if (fileAccessBusy(machine)) return busyResult(machine);
    auto file = openBinaryFile(path);
    if (!file) return failure(FileStatus::cannotOpen, "cannot open the file");
    const auto size = fileSizeBySeeking(*file);
    if (!size) return failure(FileStatus::cannotOpen, "cannot find the file's size");
    if (*size < 1 || *size > kMaximumGameRomBytes) {
        return failure(FileStatus::wrongSize,
                       "wrong size for a game ROM: " + sizeText(*size) + " (1 to 16384 bytes fit)");
    }
    removeGameRom(machine);
    auto rom = allocateFilled<SlotA000>(0xFF);
    if (!rom) return failure(FileStatus::outOfMemory, "not enough memory for the game ROM");
    if (!readExactly(*file, rom->data(), static_cast<std::size_t>(*size))) {
        return failure(FileStatus::shortRead, "the file ended before its " + sizeText(*size));
    }
    if (!plugGameRom(machine, *rom, *size)) {
        return failure(FileStatus::outOfMemory, "not enough memory for the game ROM");
    }
    return {};
}

void removeGameRom(Machine& machine) {
    machine.emptySlots();
    const std::int32_t address = machine.lastOpcodeAddress();
    if (address >= kSlotA000 && address < kMonitorStart) machine.hardReset();
}

FileResult loadSnapshot(Machine& machine, const std::filesystem::path& path) {
    if (fileAccessBusy(machine)) return busyResult(machine);
    auto file = openBinaryFile(path);
    if (!file) return failure(FileStatus::cannotOpen, "cannot open the file");
    const auto size = fileSizeBySeeking(*file);
    if (!size) return failure(FileStatus::cannotOpen, "cannot find the file's size");
    if (*size != kSnapshotFileBytes) {
        return failure(FileStatus::wrongSize,
                       "wrong size for a snapshot: " + sizeText(*size) + " (65564 bytes fit)");
    }
    removeGameRom(machine);
    auto snapshot = allocateFilled<SnapshotMemory>(0xFF);
    if (!snapshot) return failure(FileStatus::outOfMemory, "not enough memory for the snapshot");
    std::array<std::uint8_t, kSnapshotHeaderBytes> header{};
    if (!readExactly(*file, header.data(), header.size()) ||
        !readExactly(*file, snapshot->data(), snapshot->size())) {
        return failure(FileStatus::shortRead, "the file ended before its " + sizeText(*size));
    }
    applySnapshotMemory(machine, *snapshot);
    Z80State registers = machine.registers();
    applySnapshotHeader(header, registers);
    machine.setRegisters(registers);
    return {};
}

// Written beside the old file and renamed over it, as Save .SNP is: a save
// that fails part way leaves the old image as it was.
FileResult saveRam(const Machine& machine, const std::filesystem::path& path) {
    ReplacementFile file;
    if (!file.create(path)) return failure(FileStatus::cannotOpen, "cannot create the file");
    const auto& image = machine.memory().image;
    const std::string_view bytes(reinterpret_cast<const char*>(image.data()), image.size());
    if (!file.write(bytes) || !file.commit()) {
        return failure(FileStatus::writeFailed, "could not write all 65536 bytes");
    }
    return {};
}

std::array<std::uint8_t, 65536> snapshotMemory(const Machine& machine) {
    std::array<std::uint8_t, 65536> bytes{};
    for (std::uint32_t address = 0; address < bytes.size(); ++address) {
        bytes[address] = machine.peek(static_cast<std::uint16_t>(address));
    }
    return bytes;
}

FileResult saveSnapshot(const Machine& machine, const std::filesystem::path& path) {
    const auto header = makeSnapshotHeader(machine.registers());
    const auto memory = snapshotMemory(machine);
    std::string bytes;
    bytes.reserve(kSnapshotFileBytes);
    bytes.append(header.begin(), header.end());
    bytes.append(memory.begin(), memory.end());
    if (!writeFileAtomically(path, bytes)) {
        return failure(FileStatus::writeFailed, "cannot write the snapshot file");
    }
    return {};
}

std::string directoryOfPath(std::string_view path) {
    const std::size_t separator = path.find_last_of('/');
    if (separator == std::string_view::npos) return {};
    return std::string(path.substr(0, separator + 1));
}

}  // namespace vantorel
