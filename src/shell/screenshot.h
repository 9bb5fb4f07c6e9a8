// Saving the client area as a PNG file: the border and the picture at the
// configured scale, exactly as the window paints them.
//
// Used by the headless runner's --screenshot; needs no display connection
// (QImage works without a QGuiApplication).
#pragma once

#include <string>

namespace vantorel {

class Machine;

// Renders the screen from memory and writes it to `path`; returns an error
// text, empty on success.
std::string writeScreenshot(const Machine& machine, const std::string& path);

}  // namespace vantorel
