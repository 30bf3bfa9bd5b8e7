// Start-up of the real client: time from starting the program to its first
// window on screen, against the companion server and against a server that
// accepts connections but never answers, and the client's resident memory
// at that window (main window of a signed-in author; login dialog of a
// first start), read from /proc/<pid>/status by this process the moment the
// window is mapped, and again two seconds later. Each case starts a copy of
// the client laid in a fresh application folder, five times; medians are
// printed. Needs a real X display: xvfb-run -a bench/bench_startup.
#include "db/cquorvindb.h"
#include "testappdir.h"
#include "testserver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QThread>
#include <algorithm>
#include <csignal>
#include <cstdio>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

constexpr int kRuns = 5;

long residentKb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

// Whether a top-level window of process `pid` is mapped on `display`.
bool windowMapped(Display *display, qint64 pid)
{
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", True);
    if (pidAtom == None)
        return false;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return false;
    bool found = false;
    for (unsigned int i = 0; i < count && !found; ++i) {
        Atom type = None;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char *data = nullptr;
        if (XGetWindowProperty(display, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                               &items, &after, &data) == Success &&
            data && items == 1 && format == 32) {
            if (qint64(*reinterpret_cast<unsigned long *>(data)) == pid) {
                XWindowAttributes attributes;
                found = XGetWindowAttributes(display, children[i], &attributes) &&
                        attributes.map_state == IsViewable;
            }
        }
        if (data)
            XFree(data);
    }
    if (children)
        XFree(children);
    return found;
}

struct Figures
{
    qint64 ms = -1;
    long rssKb = -1;     // at the first window
    long settledKb = -1; // two seconds later
};

Figures startOnce(const QString &program, Display *display)
{
    Figures figures;
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    child.start(program, QStringList());
    if (!child.waitForStarted(30000))
        return figures;
    const qint64 pid = child.processId();
    while (!windowMapped(display, pid)) {
        if (child.state() == QProcess::NotRunning || timer.elapsed() > 60000)
            return figures;
        QThread::msleep(2);
    }
    figures.ms = timer.elapsed();
    figures.rssKb = residentKb(pid);
    QThread::msleep(2000);
    figures.settledKb = residentKb(pid);
    ::kill(pid_t(pid), SIGTERM);
    if (!child.waitForFinished(30000))
        child.kill();
    return figures;
}

Figures median(const QString &program, Display *display)
{
    QList<qint64> times;
    QList<long> memory, settled;
    for (int i = 0; i < kRuns; ++i) {
        const Figures f = startOnce(program, display);
        times << f.ms;
        memory << f.rssKb;
        settled << f.settledKb;
    }
    std::sort(times.begin(), times.end());
    std::sort(memory.begin(), memory.end());
    std::sort(settled.begin(), settled.end());
    return Figures{times.at(kRuns / 2), memory.at(kRuns / 2), settled.at(kRuns / 2)};
}

// An application folder whose settings name `baseUrl`; with `uid`, that
// author is signed in and comes back at start.
bool prepare(TestAppDir &dir, const QString &baseUrl, qint64 uid, const QString &token)
{
    dir.writeSettings(QStringLiteral("[system]\n[server]\nbaseUrl=%1\n").arg(baseUrl).toUtf8());
    if (uid < 1)
        return true;
    CQuorvinDb *db = CQuorvinDb::instance();
    TS_Author_Info author;
    author.uid = int(uid);
    author.token = token;
    author.uniqueCode = QStringLiteral("b00d0000000000000000000000000001");
    T_User user;
    user.uid = int(uid);
    return db->init() && db->insertUser(author, user) && db->setLastUser(int(uid));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::printf("no X display: run under xvfb-run -a\n");
        return 1;
    }
    TestServer server;
    QString token;
    qint64 uid = 0;
    if (!server.start() || !server.signUp(QStringLiteral("13900000001"), QStringLiteral("p"), token, uid)) {
        std::printf("the companion server did not start\n");
        return 1;
    }
    QTcpServer silent; // accepts connections, never answers
    if (!silent.listen(QHostAddress::LocalHost)) {
        std::printf("no silent server\n");
        return 1;
    }
    const QString silentUrl = QStringLiteral("http://127.0.0.1:%1").arg(silent.serverPort());

    std::printf("the client on X display %s, %d runs each, medians\n", DisplayString(display), kRuns);
    struct Case
    {
        const char *name;
        QString url;
        bool signedIn;
    };
    for (const Case &c : {Case{"main window, live server", server.baseUrl(), true},
                          Case{"main window, silent server", silentUrl, true},
                          Case{"login dialog, live server", server.baseUrl(), false}}) {
        TestAppDir dir;
        const QString program = dir.path() + QStringLiteral("/quorvin");
        if (!dir.isValid() || !prepare(dir, c.url, c.signedIn ? uid : 0, token) ||
            !QFile::copy(QStringLiteral(QUORVIN_CLIENT_BIN), program)) {
            std::printf("%s: cannot prepare\n", c.name);
            continue;
        }
        // The copy is the client: it finds this folder beside itself.
        QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner);
        const Figures f = median(program, display);
        std::printf("%-28s first window %6lld ms   RSS %6.1f MB (%6.1f MB two seconds later)\n", c.name,
                    static_cast<long long>(f.ms), f.rssKb / 1024.0, f.settledKb / 1024.0);
    }
    XCloseDisplay(display);
    return 0;
}
