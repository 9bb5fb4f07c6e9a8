// Closes the window program on SIGTERM, SIGINT and SIGHUP as File > Exit
// does: a logout, a shutdown, `kill PID` or a terminal's Ctrl+C then end it
// with a tape recording in progress written, rather than killing it.
//
// The signal handler only writes a byte into a pipe (all a handler may
// safely do); a QSocketNotifier on the other end calls `close` from Qt's
// event loop, between frames. Each handler is installed for one delivery:
// a second signal of the same kind ends the program at once, should the
// closing hang. SDL leaves these signals alone (its "no signal handlers"
// hint is set before any part of it starts, host/).
//
// Made once by the desktop program (desktop_program.cpp) after the window.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace vantorel {

class CloseOnSignal : public QObject {
    Q_OBJECT

  public:
    // Installs the handlers; `close` runs once per signal received.
    explicit CloseOnSignal(std::function<void()> close, QObject* parent = nullptr);
    // Puts the default handlers back.
    ~CloseOnSignal() override;
    CloseOnSignal(const CloseOnSignal&) = delete;
    CloseOnSignal& operator=(const CloseOnSignal&) = delete;

    bool installed() const { return notifier_ != nullptr; }

  private:
    void onSignal();

    std::function<void()> close_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace vantorel
