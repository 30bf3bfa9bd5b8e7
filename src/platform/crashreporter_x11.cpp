#include "crashreporter.h"

#include <QDateTime>
#include <QDir>
#include <QUuid>

#include <csignal>
#include <cstring>
#include <execinfo.h>
#include <fcntl.h>
#include <unistd.h>

// Everything the signal handler touches is prepared beforehand: it may only
// call async-signal-safe functions (open, write, close, backtrace_symbols_fd).
namespace {

char g_reportPath[4096];
int g_logFd = -1;
const int kSignals[] = {SIGSEGV, SIGABRT, SIGFPE, SIGILL, SIGBUS};

void writeText(int fd, const char *text)
{
    if (fd < 0)
        return;
    ssize_t ignored = ::write(fd, text, std::strlen(text));
    (void)ignored;
}

void reportLine(const char *message)
{
    // Same shape as the log's lines, without a time (not safe to format here).
    static const char prefix[] = "[Warning][crash]";
    for (int fd : {STDERR_FILENO, g_logFd}) {
        writeText(fd, prefix);
        writeText(fd, message);
        writeText(fd, "\r\n\n");
    }
}

void onCrash(int sig)
{
    const int fd = ::open(g_reportPath, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
        writeText(fd, "Quorvin crash report\nsignal: ");
        char number[16];
        int n = sig, i = 15;
        number[i] = '\0';
        do {
            number[--i] = char('0' + n % 10);
            n /= 10;
        } while (n > 0 && i > 0);
        writeText(fd, number + i);
        writeText(fd, "\nbacktrace:\n");
        void *frames[64];
        const int count = backtrace(frames, 64);
        backtrace_symbols_fd(frames, count, fd);
        ::close(fd);
        reportLine("Succeed to write minidump");
    } else {
        reportLine("Failed to write minidump");
    }
    // Let the default action end the process (and leave a core where enabled).
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

} // namespace

namespace Platform {

bool installCrashReporter(const QString &dumpDir)
{
    QDir().mkpath(dumpDir);
    const QString name = QUuid::createUuid().toString() + ".dmp";
    const QByteArray path = QDir(dumpDir).absoluteFilePath(name).toLocal8Bit();
    if (size_t(path.size()) >= sizeof(g_reportPath))
        return false;
    std::memcpy(g_reportPath, path.constData(), size_t(path.size()) + 1);

    // An own stack, so that a stack overflow can still be reported.
    static char altStack[64 * 1024];
    stack_t ss{};
    ss.ss_sp = altStack;
    ss.ss_size = sizeof(altStack);
    sigaltstack(&ss, nullptr);

    struct sigaction action
    {
    };
    action.sa_handler = onCrash;
    action.sa_flags = SA_ONSTACK | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    bool ok = true;
    for (int sig : kSignals)
        ok = sigaction(sig, &action, nullptr) == 0 && ok;
    return ok;
}

void setCrashLogFd(int fd)
{
    g_logFd = fd;
}

QString pendingCrashReportPath()
{
    return QString::fromLocal8Bit(g_reportPath);
}

} // namespace Platform
