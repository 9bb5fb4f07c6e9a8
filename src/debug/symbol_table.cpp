#include "debug/symbol_table.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace vantorel {

namespace {

bool lowerAddress(const Symbol& a, const Symbol& b) {
    return a.value != b.value ? a.value < b.value : a.name < b.name;
}

}  // namespace

SymbolTable::SymbolTable(std::vector<Symbol> symbols) {
    // The last value of a name wins: keep the last occurrence of each name.
    std::map<std::string, std::uint16_t, std::less<>> names;
    for (Symbol& symbol : symbols) names.insert_or_assign(std::move(symbol.name), symbol.value);
    byAddress_.reserve(names.size());
    for (const auto& [name, value] : names) byAddress_.push_back({name, value});
    std::sort(byAddress_.begin(), byAddress_.end(), lowerAddress);
    byName_ = std::move(names);
}

void SymbolTable::add(std::string name, std::uint16_t value) {
    if (const auto found = byName_.find(name); found != byName_.end()) {
        const Symbol old{found->first, found->second};
        const auto at = std::lower_bound(byAddress_.begin(), byAddress_.end(), old, lowerAddress);
        byAddress_.erase(at);
        found->second = value;
    } else {
        byName_.emplace(name, value);
    }
    Symbol symbol{std::move(name), value};
    const auto at = std::upper_bound(byAddress_.begin(), byAddress_.end(), symbol, lowerAddress);
    byAddress_.insert(at, std::move(symbol));
}

void SymbolTable::merge(const SymbolTable& other) {
    std::vector<Symbol> all = byAddress_;
    all.insert(all.end(), other.byAddress_.begin(), other.byAddress_.end());
    *this = SymbolTable(std::move(all));
}

void SymbolTable::clear() {
    byAddress_.clear();
    byName_.clear();
}

std::optional<std::uint16_t> SymbolTable::valueOf(std::string_view name) const {
    const auto found = byName_.find(name);
    if (found == byName_.end()) return std::nullopt;
    return found->second;
}

std::optional<SymbolAt> SymbolTable::nearest(std::uint16_t address) const {
    // The first symbol above the address; the one before it is at or below.
    auto above = std::upper_bound(
        byAddress_.begin(), byAddress_.end(), address,
        [](std::uint16_t value, const Symbol& symbol) { return value < symbol.value; });
    if (above == byAddress_.begin()) return std::nullopt;
    auto at = std::prev(above);
    // Of several labels at one value, the first by name.
    while (at != byAddress_.begin() && std::prev(at)->value == at->value) --at;
    return SymbolAt{at->name, static_cast<std::uint16_t>(address - at->value)};
}

std::string SymbolTable::labelFor(std::uint16_t address, std::uint16_t maxOffset) const {
    const std::optional<SymbolAt> at = nearest(address);
    if (!at || at->offset > maxOffset) return {};
    std::string text(at->name);
    if (at->offset != 0) {
        char offset[8];
        std::snprintf(offset, sizeof offset, "+%X", static_cast<unsigned>(at->offset));
        text += offset;
    }
    return text;
}

}  // namespace vantorel
