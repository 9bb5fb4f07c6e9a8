// Short messages over the picture's border: what just happened ("Snapshot
// saved", "Tape ended", ...) for about two seconds, and what holds while it
// lasts ("Paused", "Turbo").
//
// A message told replaces the one showing and goes after kNoticeMilliseconds;
// while none shows, the states held are shown ("Paused  Turbo"). The display
// widget owns one, paints its text over the top border strip (over the
// picture's top edge when no strip is left, as in full screen) and repaints
// when it changes; screenshots never include it. The main window tells it
// what happens.
#pragma once

#include <QColor>
#include <QObject>
#include <QRect>
#include <QString>
#include <QTimer>

class QPainter;

namespace vantorel {

inline constexpr int kNoticeMilliseconds = 2000;

class ScreenNotice : public QObject {
    Q_OBJECT

  public:
    explicit ScreenNotice(QObject* parent = nullptr);

    // Shows `text` for kNoticeMilliseconds.
    void tell(const QString& text);
    void setPaused(bool paused);
    void setTurbo(bool turbo);
    // Off: nothing is shown (what is told meanwhile is forgotten).
    void setEnabled(bool enabled);
    bool enabled() const { return enabled_; }

    // What shows now; empty for nothing.
    QString text() const;

  signals:
    void changed();

  private:
    QTimer timer_;
    QString told_;
    bool paused_ = false;
    bool turbo_ = false;
    bool enabled_ = true;
};

// Paints `text` in `strip` (the top border strip, or the top edge of the
// picture when `overPicture`) in a colour that stands out from `border`;
// over the picture a dark band keeps it readable.
void paintNotice(QPainter& painter, QRect strip, const QString& text, QColor border,
                 bool overPicture);

}  // namespace vantorel
