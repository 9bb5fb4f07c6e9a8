#include "shell/screen_notice.h"

#include <QFont>
#include <QPainter>
#include <QStringList>
#include <algorithm>

namespace vantorel {

ScreenNotice::ScreenNotice(QObject* parent) : QObject(parent) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] {
        told_.clear();
        emit changed();
    });
}

void ScreenNotice::tell(const QString& text) {
    if (!enabled_) return;
    told_ = text;
    timer_.start(kNoticeMilliseconds);
    emit changed();
}

void ScreenNotice::setPaused(bool paused) {
    if (paused == paused_) return;
    paused_ = paused;
    emit changed();
}

void ScreenNotice::setTurbo(bool turbo) {
    if (turbo == turbo_) return;
    turbo_ = turbo;
    emit changed();
}

void ScreenNotice::setEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    told_.clear();
    timer_.stop();
    emit changed();
}

QString ScreenNotice::text() const {
    if (!enabled_) return {};
    if (!told_.isEmpty()) return told_;
    QStringList held;
    if (paused_) held << QStringLiteral("Paused");
    if (turbo_) held << QStringLiteral("Turbo");
    return held.join(QStringLiteral("  "));
}

void paintNotice(QPainter& painter, QRect strip, const QString& text, QColor border,
                 bool overPicture) {
    if (text.isEmpty() || strip.isEmpty()) return;
    QFont font = painter.font();
    font.setPixelSize(std::clamp(strip.height() - 4, 10, 18));
    font.setBold(true);
    painter.save();
    painter.setFont(font);
    const int margin = std::max(4, strip.height() / 4);
    QRect place = painter.fontMetrics().boundingRect(text).adjusted(-margin, -2, margin, 2);
    place.moveTopLeft(QPoint(strip.left() + margin,
                             strip.top() + std::max(0, (strip.height() - place.height()) / 2)));
    QColor ink = qGray(border.rgb()) < 128 ? Qt::white : Qt::black;
    if (overPicture) {
        painter.fillRect(place, QColor(0, 0, 0, 170));
        ink = Qt::white;
    }
    painter.setPen(ink);
    painter.drawText(place, Qt::AlignCenter, text);
    painter.restore();
}

}  // namespace vantorel
