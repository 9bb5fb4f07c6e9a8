// Runs the machine from Qt's event loop: the idle path of the main window.
//
// Whenever frames may run (the machine is running, the window is active, no
// menu and no modal dialog is open, the user has not paused it), the driver
// asks the frame scheduler (app/frame_scheduler.h) for a pass at the time it
// has set for the next frame, and hands a due screen to the display. Between
// frames it waits without using the processor: a precise single-shot QTimer
// up to shortly before the due time, then a short sleep to the exact tick,
// so frames start as close to their schedule as the host allows. When the
// scheduler runs frames back to back (Fast mode, turbo, files fed with
// "speed up"), passes follow each other, Qt still handling its events
// between two of them. While frames may not run no timer is kept; the first
// pass after that restarts the scheduler's schedule, so the time that passed
// is not caught up.
//
// Owned by the main window, which reports menus, activation and modal
// dialogs to it.
#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>

#include "app/frame_log.h"

namespace vantorel {

class FrameScheduler;

class IdleDriver : public QObject {
    Q_OBJECT

  public:
    IdleDriver(FrameScheduler& scheduler, std::function<void()> screenDue,
               QObject* parent = nullptr);
    ~IdleDriver() override;

    void menuOpened();
    void menuClosed();
    void setWindowActive(bool active);
    // The Pause command: no frames until unpaused.
    void setPaused(bool paused);
    bool paused() const { return paused_; }
    // A remote debugger's client has the machine (it runs the frames itself,
    // shell/remote_debug_poller.h): no frames of the driver's meanwhile.
    void setHeldByDebugger(bool held);
    bool heldByDebugger() const { return heldByDebugger_; }
    // The debugger window holds the machine stopped (a breakpoint, a step,
    // its Stop): no frames until it continues. The next frame then finishes
    // the stopped one from where the machine stands.
    void setStoppedInDebugger(bool stopped);
    bool stoppedInDebugger() const { return stoppedInDebugger_; }
    // Called after a pass whose frame a breakpoint stopped.
    void setStopListener(std::function<void()> listener) { stopListener_ = std::move(listener); }
    // Frames may run now (see the top of this file).
    bool framesAllowed() const;
    // Starts the passes if frames may run and none is scheduled.
    void resume();
    // Stops all passes (shutdown).
    void stop();

    // One idle pass now: the scheduler's pass and, when the screen is due,
    // the display. True when a frame ran.
    bool runPass();
    std::int64_t framesRun() const;
    bool passScheduled() const { return timer_.isActive(); }

  private:
    void onTimer();
    void scheduleNextPass();
    void waitUntilDue();
    void holdFrames();

    FrameScheduler& scheduler_;
    std::function<void()> screenDue_;
    QTimer timer_;
    int openMenus_ = 0;
    bool windowActive_ = false;
    bool paused_ = false;
    bool heldByDebugger_ = false;
    bool stoppedInDebugger_ = false;
    std::function<void()> stopListener_;
    bool stopped_ = false;
    bool held_ = false;  // frames were not allowed since the last pass
    std::unique_ptr<FrameLog> frameLog_;
};

}  // namespace vantorel
