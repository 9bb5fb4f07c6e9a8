#include "shell/fullscreen_layout.h"

#include <algorithm>

namespace vantorel {

DisplayScale fullscreenScale(DisplayScale windowScale, QSize area) {
    const int pictureWidth = kFrameWidth * std::max(windowScale.x, 1);
    const int pictureHeight = kFrameHeight * std::max(windowScale.y, 1);
    const int steps =
        std::max(1, std::min(area.width() / pictureWidth, area.height() / pictureHeight));
    return {windowScale.x * steps, windowScale.y * steps};
}

QRect centredRect(QSize size, QSize area) {
    return {(area.width() - size.width()) / 2, (area.height() - size.height()) / 2, size.width(),
            size.height()};
}

}  // namespace vantorel
