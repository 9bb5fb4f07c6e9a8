// The capture box of the Configure Keyboard dialog: a framed strip that
// shows one line of text and takes every key for itself.
//
// While it has the focus no key moves the focus, presses a button or
// triggers a shortcut (Tab, Enter, Esc and Alt mnemonics included): key
// events are swallowed here, after the dialog has noted them in the host
// key states. A left click asks the dialog to capture the keys held down
// now (clicked), then takes the focus.
#pragma once

#include <QFrame>
#include <QString>

namespace vantorel {

class KeyCaptureBox : public QFrame {
    Q_OBJECT

  public:
    explicit KeyCaptureBox(QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const { return text_; }

    QSize sizeHint() const override;

  signals:
    void clicked();

  protected:
    bool event(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    QString text_;  // what the box shows, at most 255 characters
};

}  // namespace vantorel
