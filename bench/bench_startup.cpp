// Start-up: time from starting the program to its first window, against the
// companion server and against a server that accepts connections but never
// answers, and the resident memory at that window (main window of a
// signed-in author; login dialog of a first start). Each case runs in a
// process of its own, five times; the medians are printed. Run it on a real
// X display for the memory figure (e.g. xvfb-run -a bench/bench_startup):
// the GL integration that start-up switches off exists only there.
#include "apppaths.h"
#include "db/cquorvindb.h"
#include "mainwindow.h"
#include "manager/cjobmanager.h"
#include "manager/cqssmanager.h"
#include "manager/cuimanager.h"
#include "resources.h"
#include "testappdir.h"
#include "testserver.h"
#include "ui/fonts.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QtTest>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int kRuns = 5;

long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

// The program's start, as main() does it, up to the first window.
int runChild(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
    QApplication app(argc, argv);
    quorvinInitResources();
    substituteFonts();
    AppPaths::setAppDirOverride(QString::fromLocal8Bit(argv[2]));
    CQssManager::instance()->setQssStyle(StyleLight, QStringLiteral(":/res/qss/light.qss"));
    CQssManager::instance()->setQssStyle(StyleDark, QStringLiteral(":/res/qss/dark.qss"));
    if (!CJobManager::instance()->init())
        return 2;
    CUiManager *ui = CUiManager::instance();
    QWidget *window = ui->mainWindow();
    if (!window)
        window = ui->loginDialog();
    if (!window || !QTest::qWaitForWindowExposed(window, 30000))
        return 3;
    std::printf("shown %ld\n", residentKb());
    std::fflush(stdout);
    std::_Exit(0); // the figures are taken; nothing else to measure
}

struct Figures
{
    qint64 ms = -1;
    long rssKb = -1;
};

Figures startOnce(const QString &appDir)
{
    Figures figures;
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), appDir});
    QByteArray out;
    while (child.waitForReadyRead(60000)) {
        out += child.readAllStandardOutput();
        if (out.contains('\n'))
            break;
    }
    figures.ms = timer.elapsed();
    const QList<QByteArray> words = out.trimmed().split(' ');
    if (words.size() == 2 && words.first() == "shown")
        figures.rssKb = words.last().toLong();
    else
        figures.ms = -1;
    child.waitForFinished(30000);
    return figures;
}

Figures median(const QString &appDir)
{
    QList<qint64> times;
    QList<long> memory;
    for (int i = 0; i < kRuns; ++i) {
        const Figures f = startOnce(appDir);
        times << f.ms;
        memory << f.rssKb;
    }
    std::sort(times.begin(), times.end());
    std::sort(memory.begin(), memory.end());
    return Figures{times.at(kRuns / 2), memory.at(kRuns / 2)};
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
    if (argc >= 3 && qstrcmp(argv[1], "--child") == 0)
        return runChild(argc, argv);
    QCoreApplication app(argc, argv);
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

    std::printf("platform: %s, %d runs each, medians\n",
                qgetenv("QT_QPA_PLATFORM").isEmpty() ? "xcb" : qgetenv("QT_QPA_PLATFORM").constData(), kRuns);
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
        if (!dir.isValid() || !prepare(dir, c.url, c.signedIn ? uid : 0, token)) {
            std::printf("%s: cannot prepare\n", c.name);
            continue;
        }
        const Figures f = median(dir.path());
        std::printf("%-28s first window %6lld ms   RSS %6.1f MB\n", c.name, static_cast<long long>(f.ms),
                    f.rssKb / 1024.0);
    }
    return 0;
}
