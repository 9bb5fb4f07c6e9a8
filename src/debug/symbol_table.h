// The labels of the program being debugged: name -> 16-bit value.
//
// Filled from the assembler's or compiler's label files (symbol_files.h)
// and from the built-in monitor's own labels (builtin_symbols.h). Looked up
// by name (an expression or a breakpoint that names a label) and by address
// (the disassembly and the stop messages show "label+offset": the nearest
// label at or below the address). Each name has one value; adding a name
// again moves it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantorel {

struct Symbol {
    std::string name;
    std::uint16_t value = 0;  // 0000-FFFF
};

// The nearest label at or below an address, and how far above it the
// address is.
struct SymbolAt {
    std::string_view name;
    std::uint16_t offset = 0;  // address - the label's value, in bytes
};

class SymbolTable {
  public:
    SymbolTable() = default;
    // Many symbols at once (a file's): a name given twice keeps its last
    // value. Sorts once, so a file of any size loads in n log n.
    explicit SymbolTable(std::vector<Symbol> symbols);

    // Adds `name`, or moves it to `value` when it is there already.
    void add(std::string name, std::uint16_t value);
    // Adds every symbol of `other`; its values win for names in both.
    void merge(const SymbolTable& other);
    void clear();

    std::optional<std::uint16_t> valueOf(std::string_view name) const;
    // The label at or below `address` (of those at one address, the first
    // by name); nothing below the lowest label.
    std::optional<SymbolAt> nearest(std::uint16_t address) const;
    // "name" at a label, "name+1A" (hex offset) within `maxOffset` bytes
    // above one, empty otherwise.
    std::string labelFor(std::uint16_t address, std::uint16_t maxOffset = 0xFFFF) const;

    std::size_t size() const { return byAddress_.size(); }
    bool empty() const { return byAddress_.empty(); }
    // Every symbol, by value and then by name.
    const std::vector<Symbol>& byAddress() const { return byAddress_; }

  private:
    std::vector<Symbol> byAddress_;
    std::map<std::string, std::uint16_t, std::less<>> byName_;
};

}  // namespace vantorel
