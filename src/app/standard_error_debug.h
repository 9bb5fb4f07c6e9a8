// The program's debug output: the machine's diagnostics (and the sound's
// report at exit) go to standard error when the environment variable
// VANTOREL_DEBUG is set, and nowhere otherwise. Used by the desktop program
// and the headless runner.
#pragma once

#include <cstdlib>
#include <iostream>

#include "hostapi/host_interfaces.h"

namespace vantorel {

class StandardErrorDebugOutput : public DebugOutputSink {
  public:
    void debugOutput(const char* text) override {
        if (std::getenv("VANTOREL_DEBUG") != nullptr) std::cerr << text;
    }
};

}  // namespace vantorel
