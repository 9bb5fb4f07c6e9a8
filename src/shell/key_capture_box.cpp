#include "shell/key_capture_box.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace vantorel {

namespace {

constexpr int kMaxTextLength = 255;
constexpr int kTextMargin = 4;  // pixels between the frame and the text

}  // namespace

KeyCaptureBox::KeyCaptureBox(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void KeyCaptureBox::setText(const QString& text) {
    text_ = text.left(kMaxTextLength);
    update();
}

QSize KeyCaptureBox::sizeHint() const {
    const QFontMetrics metrics = fontMetrics();
    return {metrics.averageCharWidth() * 40, metrics.height() + 2 * (frameWidth() + kTextMargin)};
}

// Every key, and the shortcut check before it, stops here.
bool KeyCaptureBox::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::ShortcutOverride:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            event->accept();
            return true;
        default:
            return QFrame::event(event);
    }
}

bool KeyCaptureBox::focusNextPrevChild(bool /*next*/) {
    return false;
}

void KeyCaptureBox::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect inside = contentsRect().adjusted(kTextMargin, kTextMargin, -kTextMargin, 0);
    painter.drawText(inside, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text_);
}

void KeyCaptureBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QFrame::mousePressEvent(event);
        return;
    }
    event->accept();
    emit clicked();
    setFocus(Qt::MouseFocusReason);
}

}  // namespace vantorel
