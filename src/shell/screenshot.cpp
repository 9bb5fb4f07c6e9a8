#include "shell/screenshot.h"

#include <QImage>
#include <QString>
#include <memory>

#include "machine/machine.h"
#include "machine/video.h"
#include "shell/client_image.h"

namespace vantorel {

std::string writeScreenshot(const Machine& machine, const std::string& path) {
    const MachineConfig& config = machine.config();
    auto frame = std::make_unique<FrameImage>();
    renderFrameImage(machine.memory(), makeVideoPalette(config.colours), *frame);
    const QImage image =
        makeClientImage(*frame, toQColor(config.colours[2]), displayScaleFrom(config));
    if (!image.save(QString::fromStdString(path), "PNG")) return "cannot write the PNG file";
    return {};
}

}  // namespace vantorel
