#include "shell/display_widget.h"

#include <QFocusEvent>
#include <QPainter>

#include "machine/machine.h"
#include "shell/client_image.h"
#include "shell/fullscreen_layout.h"

namespace vantorel {

DisplayWidget::DisplayWidget(Machine& machine, DisplayScale scale, QWidget* parent)
    : QWidget(parent), machine_(machine), scale_(scale), notice_(new ScreenNotice(this)) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(clientSize());
    connect(notice_, &ScreenNotice::changed, this, qOverload<>(&QWidget::update));
}

void DisplayWidget::createDisplay() {
    releaseDisplay();
    frame_ = std::make_unique<FrameImage>();
    presented_ = std::make_unique<FrameImage>();
    palette_ = makeVideoPalette(machine_.config().colours);
    borderColour_ = toQColor(machine_.config().colours[2]);
    frame_->fill(palette_.background);
    *presented_ = *frame_;
    rescalePicture();
    update();
}

void DisplayWidget::releaseDisplay() {
    frame_.reset();
    presented_.reset();
    picture_ = QImage();
    update();
}

void DisplayWidget::setDisplayScale(DisplayScale scale) {
    scale_ = scale;
    setMinimumSize(fullscreen_ ? QSize(1, 1) : clientSize());
    rescalePicture();
    updateGeometry();
    update();
}

QSize DisplayWidget::clientSize() const {
    const PixelRect client = clientRect(scale_);
    return {client.width, client.height};
}

void DisplayWidget::paintDisplay() {
    if (!frame_) return;
    if (!throttle_.shouldDraw(machine_.quickTypeActive(), machine_.tapeMoving())) return;
    if (refreshPicture()) update();
}

bool DisplayWidget::refreshPicture() {
    renderFrameImage(machine_, palette_, *frame_);
    if (*frame_ == *presented_) return false;  // same picture: nothing to repaint
    *presented_ = *frame_;
    rescalePicture();
    return true;
}

void DisplayWidget::rescalePicture() {
    if (presented_) scaleFrameImage(*presented_, pictureScale(), picture_);
}

void DisplayWidget::setFullscreen(bool fullscreen) {
    fullscreen_ = fullscreen;
    // A full screen may be smaller than the window's client area.
    setMinimumSize(fullscreen_ ? QSize(1, 1) : clientSize());
    rescalePicture();
    update();
}

void DisplayWidget::setFit(bool fit, bool smooth) {
    fit_ = fit;
    smooth_ = smooth;
    rescalePicture();
    update();
}

DisplayScale DisplayWidget::pictureScale() const {
    if (fit_) return fitPicture(scale_, size(), smooth_).scale;
    return fullscreen_ ? fullscreenScale(scale_, size()) : scale_;
}

QRect DisplayWidget::pictureRect() const {
    if (fit_) return fitPicture(scale_, size(), smooth_).rect;
    const DisplayScale scale = pictureScale();
    const QSize picture(kFrameWidth * scale.x, kFrameHeight * scale.y);
    if (fullscreen_) return centredRect(picture, size());
    const PixelRect place = imageRect(scale_);
    return {place.left, place.top, picture.width(), picture.height()};
}

void DisplayWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (centred()) rescalePicture();
}

// Full screen or fitted: the border colour all round, the picture centred
// (stretched to its place when fitted smoothly).
void DisplayWidget::paintCentred(QPainter& painter) {
    painter.fillRect(rect(), frame_ ? borderColour_ : palette().color(QPalette::Window));
    if (!frame_) return;
    if (!machine_.quickTypeActive() && !machine_.tapePlaying()) refreshPicture();
    const QRect place = pictureRect();
    if (place.size() == picture_.size()) {
        painter.drawImage(place.topLeft(), picture_);
    } else {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(place, picture_);
    }
    paintNoticeText(painter);
}

// Over the strip above the picture when there is one a line of text fits
// in, else over the picture's top edge.
void DisplayWidget::paintNoticeText(QPainter& painter) {
    const QString text = notice_->text();
    if (text.isEmpty()) return;
    const QRect picture = pictureRect();
    constexpr int kFewestStripPixels = 14;
    if (picture.top() >= kFewestStripPixels) {
        paintNotice(painter, QRect(picture.left(), 0, picture.width(), picture.top()), text,
                    borderColour_, false);
    } else {
        const int band = std::max(kFewestStripPixels, picture.height() / 16);
        paintNotice(painter,
                    QRect(picture.left(), std::max(0, picture.top()), picture.width(), band), text,
                    borderColour_, true);
    }
}

QImage DisplayWidget::clientImage() const {
    if (!presented_) return {};
    return makeClientImage(*presented_, borderColour_, scale_);
}

void DisplayWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (centred()) {
        paintCentred(painter);
        return;
    }
    const PixelRect client = clientRect(scale_);
    const QColor background = palette().color(QPalette::Window);
    // Client area beyond the picture's size (a larger window).
    painter.fillRect(QRect(client.width, 0, std::max(0, width() - client.width), height()),
                     background);
    painter.fillRect(QRect(0, client.height, client.width, std::max(0, height() - client.height)),
                     background);
    if (!frame_) {
        painter.fillRect(QRect(0, 0, client.width, client.height), background);
        return;
    }
    if (!machine_.quickTypeActive() && !machine_.tapeMoving()) refreshPicture();
    for (const PixelRect& strip : borderRects(scale_)) {
        painter.fillRect(QRect(strip.left, strip.top, strip.width, strip.height), borderColour_);
    }
    painter.drawImage(pictureRect().topLeft(), picture_);
    paintNoticeText(painter);
}

void DisplayWidget::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    emit focusLost();
}

// Tab is a key of the emulated keyboard, not a move to another widget.
bool DisplayWidget::focusNextPrevChild(bool) {
    return false;
}

}  // namespace vantorel
