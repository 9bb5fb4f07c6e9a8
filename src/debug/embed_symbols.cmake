# Writes the monitor's symbol file (pasmo's, made when the monitor ROM is
# assembled) into a C++ source as one string, so that the debugger shows the
# built-in monitor's labels without a file beside the program.
#   cmake -DINPUT=monitor.sym -DOUTPUT=builtin_symbol_text.cpp -P embed_symbols.cmake
file(READ ${INPUT} TEXT)
file(WRITE ${OUTPUT}
  "// Generated from the monitor's symbol file by src/debug/embed_symbols.cmake; do not edit.\n"
  "#include \"debug/builtin_symbols.h\"\n\n"
  "namespace vantorel {\n\n"
  "std::string_view builtinMonitorSymbolText() {\n"
  "    return R\"symbols(${TEXT})symbols\";\n"
  "}\n\n"
  "}  // namespace vantorel\n")
