// Saving the client area as a PNG file: the border and the picture at the
// configured scale, exactly as the window paints them.
//
// Used by the headless runner's --screenshot and the Save Screenshot...
// command; needs no display connection (QImage works without a
// QGuiApplication).
#pragma once

#include <string>

class QImage;

namespace vantorel {

class Machine;

// Writes `image` as a PNG file in place of `path`, in one step: a failed save
// leaves any old file as it was. False for a null image or a failed write.
bool savePngFile(const QImage& image, const std::string& path);

// Renders the screen from memory and writes it to `path`; returns an error
// text, empty on success.
std::string writeScreenshot(const Machine& machine, const std::string& path);

}  // namespace vantorel
