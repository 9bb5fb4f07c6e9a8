#include "shell/remote_debug_poller.h"

#include <utility>

#include "shell/idle_driver.h"

namespace vantorel {

RemoteDebugPoller::RemoteDebugPoller(std::unique_ptr<RemoteDebugPort> port, IdleDriver& driver,
                                     int periodMs, std::function<void()> repaint,
                                     std::function<void()> quit)
    : port_(std::move(port)),
      driver_(driver),
      repaint_(std::move(repaint)),
      quit_(std::move(quit)),
      periodMs_(periodMs) {
    connect(&timer_, &QTimer::timeout, this, [this] { poll(); });
    timer_.start(periodMs);
}

void RemoteDebugPoller::setSuspended(bool suspended) {
    if (suspended) {
        timer_.stop();
    } else if (!timer_.isActive()) {
        timer_.start(periodMs_);
    }
}

void RemoteDebugPoller::poll() {
    const bool ran = port_->running();
    port_->poll();
    driver_.setHeldByDebugger(port_->connected());
    if (ran || port_->connected()) repaint_();
    if (!port_->connected() && port_->killed()) {
        timer_.stop();
        quit_();
    }
}

}  // namespace vantorel
