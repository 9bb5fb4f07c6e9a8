// z80cpm: runs a CP/M .COM program on the Vantorel Z80 core (console output
// through BDOS functions 2 and 9). See cpm_command.h for the command line.
#include <iostream>
#include <string>
#include <vector>

#include "cpm_command.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return vantorel::cpm::runCpmCommand(arguments, std::cout, std::cerr);
}
