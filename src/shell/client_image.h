// The emulated screen as the window shows it, in Qt images.
//
// The 512 x 240 frame image (16-bit 5-5-5 pixels) is enlarged by whole
// factors with no smoothing into a 32-bit image of 512X x 240Y; the client
// area adds the border around it: 544X x 272Y with the picture at
// (16X, 16Y). The display widget paints these pieces; the screenshot writer
// saves the client area; both therefore show the same pixels. Works without
// a QGuiApplication, so the headless runner can use it.
#pragma once

#include <QColor>
#include <QImage>

#include "config/machine_config.h"
#include "machine/video.h"

namespace vantorel {

QColor toQColor(RgbColour colour);

// The 32-bit colour Qt shows for a 5-5-5 pixel value.
QRgb pixel555ToRgb(std::uint16_t pixel);

// Scales `frame` into `target` (resized to 512X x 240Y, Format_RGB32, only
// when its size is wrong).
void scaleFrameImage(const FrameImage& frame, DisplayScale scale, QImage& target);

// Border and picture, 544X x 272Y, Format_RGB32.
QImage makeClientImage(const FrameImage& frame, QColor border, DisplayScale scale);

}  // namespace vantorel
