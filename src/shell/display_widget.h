// The window's client area: the emulated screen inside its border.
//
// Holds the frame image and the three pixel values of the configured
// colours. When the frame scheduler says the screen is due, paintDisplay
// renders all 1,920 cells from memory (only every 16th request while quick
// type or a tape feeds the machine) and repaints if the picture changed.
// Painting fills the border strips in the border colour, draws the picture
// enlarged by the display scale at (16X, 16Y), and leaves any further client
// area, when the window is larger, in the window's background colour. Full
// screen (setFullscreen) instead fills the whole widget in the border colour
// and centres the picture at the largest whole step of the scale that fits
// (fullscreen_layout.h). "Fit the picture to the window" (setFit) does the
// same in a window, keeping the border strips' proportions around the
// picture, in whole steps or smoothly. Short messages (screen_notice.h)
// are painted over the top border strip, or over the picture's top edge
// where no strip is left; they are never part of clientImage().
// Keys typed while it has the focus go to its parent (the main window),
// Tab included.
//
// Created by the main window: createDisplay at window creation and after the
// colours change, releaseDisplay at shutdown.
#pragma once

#include <QImage>
#include <QWidget>
#include <memory>

#include "machine/video.h"
#include "shell/screen_notice.h"

namespace vantorel {

class Machine;

class DisplayWidget : public QWidget {
    Q_OBJECT

  public:
    DisplayWidget(Machine& machine, DisplayScale scale, QWidget* parent = nullptr);

    // (Re)creates the frame image and the pixel values of the configured colours.
    void createDisplay();
    // Forgets the frame image; painting then shows the background only.
    void releaseDisplay();
    bool hasDisplay() const { return frame_ != nullptr; }

    void setDisplayScale(DisplayScale scale);
    DisplayScale displayScale() const { return scale_; }
    // Full screen: the picture centred and enlarged to fit the widget.
    void setFullscreen(bool fullscreen);
    bool fullscreen() const { return fullscreen_; }
    // The picture grows with the widget (aspect kept): in whole steps of the
    // scale, or smoothly to any size.
    void setFit(bool fit, bool smooth);
    bool fit() const { return fit_; }
    // The short messages shown over the border.
    ScreenNotice& notice() const { return *notice_; }
    // The scale the picture is drawn at now, and where it goes.
    DisplayScale pictureScale() const;
    QRect pictureRect() const;
    // 544X x 272Y.
    QSize clientSize() const;

    // The screen is due: render (unless throttled) and repaint when changed.
    void paintDisplay();
    // The client area as painted now (border and picture), for screenshots.
    QImage clientImage() const;
    const PaintThrottle& throttle() const { return throttle_; }

    QSize sizeHint() const override { return clientSize(); }

  signals:
    // The widget lost the keyboard focus (keys must be released).
    void focusLost();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;

  private:
    // Renders the frame image and rebuilds the enlarged picture if it
    // changed; true when it did.
    bool refreshPicture();
    void rescalePicture();
    void paintCentred(QPainter& painter);
    void paintNoticeText(QPainter& painter);
    bool centred() const { return fullscreen_ || fit_; }

    Machine& machine_;
    DisplayScale scale_;
    bool fullscreen_ = false;
    bool fit_ = false;
    bool smooth_ = false;
    ScreenNotice* notice_;
    VideoPalette palette_;
    QColor borderColour_;
    PaintThrottle throttle_;
    std::unique_ptr<FrameImage> frame_;      // rendered at every paint
    std::unique_ptr<FrameImage> presented_;  // what the enlarged picture shows
    QImage picture_;                         // presented_ enlarged by pictureScale()
};

}  // namespace vantorel
