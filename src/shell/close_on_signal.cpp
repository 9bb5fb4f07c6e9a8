#include "shell/close_on_signal.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace vantorel {

namespace {

constexpr std::array<int, 3> kClosingSignals = {SIGTERM, SIGINT, SIGHUP};

// The pipe's ends; one program, one window, so one pipe.
int signalPipe[2] = {-1, -1};

extern "C" void onClosingSignal(int signalNumber) {
    const int savedErrno = errno;
    const char byte = static_cast<char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}

bool openSignalPipe() {
    if (signalPipe[0] >= 0) return true;
    if (::pipe(signalPipe) != 0) return false;
    for (int end : signalPipe) {
        ::fcntl(end, F_SETFD, FD_CLOEXEC);
        ::fcntl(end, F_SETFL, ::fcntl(end, F_GETFL) | O_NONBLOCK);
    }
    return true;
}

void installHandlers(void (*handler)(int), int flags) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = flags;
    for (int signalNumber : kClosingSignals) ::sigaction(signalNumber, &action, nullptr);
}

}  // namespace

CloseOnSignal::CloseOnSignal(std::function<void()> close, QObject* parent)
    : QObject(parent), close_(std::move(close)) {
    if (!openSignalPipe()) return;
    notifier_ = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &CloseOnSignal::onSignal);
    installHandlers(&onClosingSignal, SA_RESTART | SA_RESETHAND);
}

CloseOnSignal::~CloseOnSignal() {
    if (notifier_) installHandlers(SIG_DFL, 0);
}

void CloseOnSignal::onSignal() {
    char bytes[16];
    while (::read(signalPipe[0], bytes, sizeof bytes) > 0) {
    }
    if (close_) close_();
}

}  // namespace vantorel
