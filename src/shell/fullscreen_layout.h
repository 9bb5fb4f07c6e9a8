// Where the picture goes when the window fills the screen, or when the
// picture is fitted to the window.
//
// Full screen shows the 512 x 240 picture as large as the screen allows in
// whole-number steps of the window's display scale (so a 1 x 2 scale gives
// 2 x 4, 3 x 6, ...; never smaller than the window's own), centred, with
// the rest of the screen in the border colour. "Fit the picture to the
// window" grows the whole client area (picture and border strips) with the
// window, keeping the display scale's proportions, in the same whole steps
// or smoothly to any size, and centres the picture. Used by the display
// widget.
#pragma once

#include <QRect>
#include <QSize>

#include "machine/video.h"

namespace vantorel {

// The largest whole multiple of `windowScale` whose picture fits in `area`
// (at least windowScale itself).
DisplayScale fullscreenScale(DisplayScale windowScale, QSize area);

// The picture fitted to a window of `area`: where it goes, and the whole
// scale it is rendered at (when smooth, the window's own scale, stretched
// to the rectangle).
struct FittedPicture {
    QRect rect;
    DisplayScale scale;
};
FittedPicture fitPicture(DisplayScale windowScale, QSize area, bool smooth);

// A rectangle of `size` centred in `area` (cut off evenly when larger).
QRect centredRect(QSize size, QSize area);

}  // namespace vantorel
