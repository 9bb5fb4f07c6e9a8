#include "shell/idle_driver.h"

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <thread>

#ifdef __linux__
#include <sys/prctl.h>
#endif

#include "app/frame_scheduler.h"
#include "machine/machine.h"

namespace vantorel {

namespace {

using Nanoseconds = std::chrono::nanoseconds;

// The timer wakes this long before a frame is due; the rest is slept
// precisely. Qt's precise timers keep to about a millisecond.
constexpr std::int64_t kTimerMarginNs = 2'000'000;
// The sleep before a frame ends this long before it is due; the rest is
// spun. Sleeps on a desktop overshoot by some tens of microseconds.
constexpr std::int64_t kSpinNs = 150'000;
// While a modal dialog is open, look again this often whether it closed.
constexpr int kPausedPollMs = 25;
// Without a high-resolution counter, look every millisecond.
constexpr int kMillisecondPollMs = 1;

std::int64_t steadyMicroseconds() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Linux lets a sleeping thread wake up to 50 microseconds late by default
// to save power; frames want their tick, so ask for 1 microsecond.
void reduceTimerSlack() {
#ifdef __linux__
    prctl(PR_SET_TIMERSLACK, 1000UL, 0UL, 0UL, 0UL);
#endif
}

}  // namespace

IdleDriver::IdleDriver(FrameScheduler& scheduler, std::function<void()> screenDue, QObject* parent)
    : QObject(parent),
      scheduler_(scheduler),
      screenDue_(std::move(screenDue)),
      frameLog_(FrameLog::fromEnvironment()) {
    reduceTimerSlack();
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &IdleDriver::onTimer);
}

IdleDriver::~IdleDriver() = default;

void IdleDriver::menuOpened() {
    ++openMenus_;
    holdFrames();
}

// Frames were not allowed for a while: the next one starts the schedule
// again rather than catching up on that time.
void IdleDriver::holdFrames() {
    timer_.stop();
    held_ = true;
}

void IdleDriver::menuClosed() {
    openMenus_ = std::max(0, openMenus_ - 1);
    resume();
}

void IdleDriver::setWindowActive(bool active) {
    windowActive_ = active;
    if (active) {
        resume();
    } else {
        holdFrames();
    }
}

void IdleDriver::setPaused(bool paused) {
    paused_ = paused;
    if (paused) {
        holdFrames();
    } else {
        resume();
    }
}

void IdleDriver::setHeldByDebugger(bool held) {
    heldByDebugger_ = held;
    if (held) {
        holdFrames();
    } else {
        resume();
    }
}

void IdleDriver::setStoppedInDebugger(bool stopped) {
    stoppedInDebugger_ = stopped;
    if (stopped) {
        holdFrames();
    } else {
        resume();
    }
}

bool IdleDriver::framesAllowed() const {
    return !stopped_ && !paused_ && !heldByDebugger_ && !stoppedInDebugger_ &&
           scheduler_.machine().running() && windowActive_ && openMenus_ == 0 &&
           QApplication::activeModalWidget() == nullptr;
}

void IdleDriver::resume() {
    if (framesAllowed() && !timer_.isActive()) scheduleNextPass();
}

void IdleDriver::stop() {
    stopped_ = true;
    holdFrames();
}

bool IdleDriver::runPass() {
    const std::int64_t startUs = frameLog_ ? steadyMicroseconds() : 0;
    const FramePass pass = scheduler_.runPass();
    if (pass.frameRan && frameLog_) frameLog_->frameStarted(startUs);
    if (pass.screenDue && screenDue_) screenDue_();
    if (pass.frame.stopped && stopListener_) stopListener_();
    return pass.frameRan;
}

std::int64_t IdleDriver::framesRun() const {
    return scheduler_.framesRun();
}

void IdleDriver::onTimer() {
    if (!framesAllowed()) {
        held_ = true;
        // A modal dialog gives no sign when it closes if the window was not
        // deactivated; look again shortly.
        if (!stopped_ && QApplication::activeModalWidget() != nullptr) {
            timer_.start(kPausedPollMs);
        }
        return;
    }
    if (held_) {
        scheduler_.restartSchedule();
        held_ = false;
    }
    waitUntilDue();
    runPass();
    scheduleNextPass();  // none while a breakpoint has stopped the machine
}

void IdleDriver::scheduleNextPass() {
    if (!framesAllowed()) return;
    if (scheduler_.runsBackToBack()) {
        timer_.start(0);
        return;
    }
    if (!scheduler_.pacing().counterAvailable()) {
        timer_.start(kMillisecondPollMs);
        return;
    }
    const std::int64_t waitNs = scheduler_.nanosecondsUntilDue();
    if (waitNs <= kTimerMarginNs) {
        timer_.start(0);
        return;
    }
    timer_.start(static_cast<int>((waitNs - kTimerMarginNs) / 1'000'000 + 1));
}

// The last stretch before a frame is slept, and its final few microseconds
// spun, so the frame starts on its tick rather than whenever the event loop
// next looks: the schedule makes up for a late frame, but the screen and
// the sound would show its jitter.
void IdleDriver::waitUntilDue() {
    if (scheduler_.runsBackToBack() || !scheduler_.pacing().counterAvailable()) return;
    const std::int64_t waitNs = scheduler_.nanosecondsUntilDue();
    if (waitNs <= 0 || waitNs > kTimerMarginNs + 1'000'000) return;
    if (waitNs > kSpinNs) std::this_thread::sleep_for(Nanoseconds(waitNs - kSpinNs));
    while (scheduler_.nanosecondsUntilDue() > 0) {
    }
}

}  // namespace vantorel
