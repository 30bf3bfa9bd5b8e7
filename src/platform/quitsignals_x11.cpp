#include "quitsignals.h"

#include <QDebug>
#include <QObject>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The self-pipe: the signal handler only writes the signal's number; the
// event loop reads it.
int g_pipe[2] = {-1, -1};

void onSignal(int signo)
{
    const char byte = char(signo);
    const ssize_t written = ::write(g_pipe[1], &byte, 1);
    (void)written; // a full pipe already holds a wake-up
}

bool openPipe()
{
    if (g_pipe[0] >= 0)
        return true;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0)
        return false;
    for (int fd : g_pipe)
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    return true;
}

} // namespace

namespace Platform {

bool installQuitSignals(QObject *context, std::function<void(int)> handler)
{
    if (!context || !openPipe()) {
        qWarning() << "quit signals cannot be caught";
        return false;
    }
    auto *notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [handler] {
        char byte = 0;
        while (::read(g_pipe[0], &byte, 1) == 1)
            handler(int(byte));
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signo : {SIGTERM, SIGINT, SIGHUP})
        if (::sigaction(signo, &action, nullptr) != 0)
            qWarning() << "cannot catch signal" << signo;
    return true;
}

} // namespace Platform
