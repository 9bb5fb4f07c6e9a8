// A label file with any contents, read in each of the three formats and in
// the one its contents suggest. Whatever the bytes, every symbol taken has
// a name an assembler could write and is found again by its name and by its
// address; no more symbols than lines, and every line is either taken,
// passed over or counted as bad.
#include <algorithm>
#include <string_view>

#include "debug/symbol_files.h"
#include "fuzz/fuzz_machine.h"
#include "fuzz/fuzz_targets.h"

namespace vantorel::fuzz {

namespace {

void checkRead(const SymbolRead& read, std::string_view text) {
    const auto lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    const SymbolTable& table = read.table;
    check(table.size() + read.badLines <= lines, "more symbols and bad lines than lines");
    check((read.badLines == 0) == (read.firstBadLine == 0), "the first bad line without bad lines");
    check(read.firstBadLine <= lines, "the first bad line beyond the text");
    const std::vector<Symbol>& all = table.byAddress();
    for (std::size_t i = 0; i < all.size(); ++i) {
        const Symbol& symbol = all[i];
        check(!symbol.name.empty() && symbol.name.size() <= kLongestSymbolName,
              "a symbol name empty or too long");
        check(table.valueOf(symbol.name) == symbol.value, "a symbol not found by its name");
        const std::optional<SymbolAt> at = table.nearest(symbol.value);
        check(at && at->offset == 0, "a symbol's address has no label at offset 0");
        if (i > 0) check(all[i - 1].value <= symbol.value, "the symbols out of address order");
    }
}

}  // namespace

void fuzzSymbolFile(Bytes file) {
    const std::string_view text(reinterpret_cast<const char*>(file.data()), file.size());
    for (const SymbolFormat format : {SymbolFormat::equList, SymbolFormat::sdccNoi,
                                      SymbolFormat::sdccMap, detectSymbolFormat("input", text)}) {
        checkRead(readSymbols(text, format), text);
    }
}

}  // namespace vantorel::fuzz
