// Where the picture goes when the window fills the screen.
//
// Full screen shows the 512 x 240 picture as large as the screen allows in
// whole-number steps of the window's display scale (so a 1 x 2 scale gives
// 2 x 4, 3 x 6, ...; never smaller than the window's own), centred, with
// the rest of the screen in the border colour. Used by the display widget
// while the window is full screen.
#pragma once

#include <QRect>
#include <QSize>

#include "machine/video.h"

namespace vantorel {

// The largest whole multiple of `windowScale` whose picture fits in `area`
// (at least windowScale itself).
DisplayScale fullscreenScale(DisplayScale windowScale, QSize area);

// A rectangle of `size` centred in `area` (cut off evenly when larger).
QRect centredRect(QSize size, QSize area);

}  // namespace vantorel
