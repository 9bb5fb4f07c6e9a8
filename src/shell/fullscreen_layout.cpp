#include "shell/fullscreen_layout.h"

#include <algorithm>
#include <cmath>

namespace vantorel {

DisplayScale fullscreenScale(DisplayScale windowScale, QSize area) {
    const int pictureWidth = kFrameWidth * std::max(windowScale.x, 1);
    const int pictureHeight = kFrameHeight * std::max(windowScale.y, 1);
    const int steps =
        std::max(1, std::min(area.width() / pictureWidth, area.height() / pictureHeight));
    return {windowScale.x * steps, windowScale.y * steps};
}

FittedPicture fitPicture(DisplayScale windowScale, QSize area, bool smooth) {
    const int clientWidth = kClientWidth * std::max(windowScale.x, 1);
    const int clientHeight = kClientHeight * std::max(windowScale.y, 1);
    const double factor = std::max(
        1.0, std::min(double(area.width()) / clientWidth, double(area.height()) / clientHeight));
    if (smooth) {
        const QSize size(static_cast<int>(std::lround(kFrameWidth * windowScale.x * factor)),
                         static_cast<int>(std::lround(kFrameHeight * windowScale.y * factor)));
        return {centredRect(size, area), windowScale};
    }
    const int steps = static_cast<int>(factor);
    const DisplayScale scale{windowScale.x * steps, windowScale.y * steps};
    return {centredRect(QSize(kFrameWidth * scale.x, kFrameHeight * scale.y), area), scale};
}

QRect centredRect(QSize size, QSize area) {
    return {(area.width() - size.width()) / 2, (area.height() - size.height()) / 2, size.width(),
            size.height()};
}

}  // namespace vantorel
