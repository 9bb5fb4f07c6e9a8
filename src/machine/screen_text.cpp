#include "machine/screen_text.h"

namespace vantorel {

namespace {

char printable(std::uint8_t code) {
    return code >= 0x20 && code <= 0x7E ? static_cast<char>(code) : '.';
}

}  // namespace

std::string screenText(const MachineMemory& memory) {
    std::string text;
    text.reserve((kScreenColumns + 1) * kScreenRows);
    for (int row = 0; row < kScreenRows; ++row) {
        const std::size_t rowStart =
            kVisibleScreenStart + static_cast<std::size_t>(row) * kScreenColumns;
        for (int column = 0; column < kScreenColumns; ++column) {
            text += printable(memory.image[rowStart + static_cast<std::size_t>(column)]);
        }
        text += '\n';
    }
    return text;
}

}  // namespace vantorel
