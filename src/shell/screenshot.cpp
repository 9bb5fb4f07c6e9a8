#include "shell/screenshot.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <memory>
#include <string_view>

#include "config/profile_file.h"
#include "machine/machine.h"
#include "machine/video.h"
#include "shell/client_image.h"

namespace vantorel {

// Encoded in memory first, so that the file is written by the same one-step
// replacement as every other file the program saves.
bool savePngFile(const QImage& image, const std::string& path) {
    if (image.isNull()) return false;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) return false;
    return writeFileAtomically(
        path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

std::string writeScreenshot(const Machine& machine, const std::string& path) {
    const MachineConfig& config = machine.config();
    auto frame = std::make_unique<FrameImage>();
    renderFrameImage(machine, makeVideoPalette(config.colours), *frame);
    const QImage image =
        makeClientImage(*frame, toQColor(config.colours[2]), displayScaleFrom(config));
    if (!savePngFile(image, path)) return "cannot write the PNG file";
    return {};
}

}  // namespace vantorel
