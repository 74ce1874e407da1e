// The system asks by a signal: SIGTERM at logout, shutdown or kill, SIGHUP
// when the terminal goes, SIGINT for Ctrl+C. A signal handler may do almost
// nothing, so it only writes a byte to a socket pair that the event loop
// watches.

#include "components/desktop/SystemEnd.h"

#include <QApplication>
#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::array askingSignals{SIGTERM, SIGHUP, SIGINT};

// The handler writes to the second; the event loop reads the first.
int asked[2] = {-1, -1};

void onSignal(int)
{
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(asked[1], &byte, 1);
    errno = savedErrno;
}

void handleAskingSignals(void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int signal : askingSignals)
        ::sigaction(signal, &action, nullptr);
}

}  // namespace

SystemEnd::SystemEnd(QObject *parent)
    : QObject(parent)
{
    if (asked[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, asked) != 0)
        return;
    auto *notifier = new QSocketNotifier(asked[0], QSocketNotifier::Read, this);
    m_listener = notifier;
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        for (ssize_t count; (count = ::read(asked[0], bytes, sizeof bytes)) > 0;) {
            for (ssize_t i = 0; i < count; ++i)
                onAsked();
        }
    });
    handleAskingSignals(onSignal);
}

SystemEnd::~SystemEnd()
{
    if (m_listener)
        handleAskingSignals(SIG_DFL);
}
