// --gdb-port in the window: the remote debugging port (app/remote_debug_port.h)
// polled from Qt's event loop.
//
// A timer polls the port once per frame period. While a GDB client is
// connected it has the machine: the idle driver runs no frames, the client's
// runs go one frame per poll (so about real speed, without sound), and the
// screen is repainted after each poll that ran one. When the client
// detaches the window's frames go on; when it kills, the window closes.
// Made by desktop_program.cpp.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/remote_debug_port.h"

namespace vantorel {

class IdleDriver;

class RemoteDebugPoller : public QObject {
  public:
    // `repaint` shows the machine's screen; `quit` ends the program.
    RemoteDebugPoller(std::unique_ptr<RemoteDebugPort> port, IdleDriver& driver, int periodMs,
                      std::function<void()> repaint, std::function<void()> quit);

    RemoteDebugPort& port() { return *port_; }
    // While the debugger window has the machine, no client is taken (one
    // that connects waits until the window closes).
    void setSuspended(bool suspended);

  private:
    void poll();

    std::unique_ptr<RemoteDebugPort> port_;
    IdleDriver& driver_;
    std::function<void()> repaint_;
    std::function<void()> quit_;
    QTimer timer_;
    int periodMs_;
};

}  // namespace vantorel
