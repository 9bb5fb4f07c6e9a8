// A file handed to the program from outside the menus: named on the command
// line (`vantorel FILE`) or dropped on the window.
//
// The extension, in any case, says what the file is: ".rom" or ".bin" a game
// ROM, ".snp" a snapshot. The file is then loaded as Load Game ROM or Load
// .SNP would load it. Unlike the menu commands, a refusal is reported in
// words, since the user gave no dialog a chance to show what fits.
#pragma once

#include <filesystem>
#include <string>

namespace vantorel {

class Machine;

enum class InsertKind { gameRom, snapshot, unknown };

InsertKind insertKindOf(const std::filesystem::path& path);

struct InsertResult {
    InsertKind kind = InsertKind::unknown;
    bool ok = false;          // the file is in the machine
    bool fileOpened = false;  // the file was opened (its folder may become a start folder)
    std::string message;      // why it was refused, empty when ok
};

InsertResult insertFile(Machine& machine, const std::filesystem::path& path);

}  // namespace vantorel
