#include "debug/builtin_symbols.h"

#include "debug/symbol_files.h"

namespace vantorel {

const SymbolTable& builtinMonitorSymbols() {
    static const SymbolTable table =
        readSymbols(builtinMonitorSymbolText(), SymbolFormat::equList).table;
    return table;
}

}  // namespace vantorel
