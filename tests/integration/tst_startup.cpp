// Start-up on a real X server of its own (a chosen DPI): the program finds
// its settings beside the executable however it was started, and the system
// scale is read as the X server states it, whatever scaling the toolkit
// applies on top. Child processes: the real client, and this test run again
// with "--scale" to print the system scale it computes.
#include "platform/systemscale.h"
#include "testappdir.h"

#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <cstdio>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

// The child: the toolkit's automatic high-DPI scaling on ("auto") or off.
int printSystemScale(int argc, char **argv)
{
    if (qstrcmp(argv[2], "auto") == 0)
        QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QGuiApplication app(argc, argv);
    std::printf("scale %.4f\n", Platform::systemScale());
    return 0;
}

// An X server for this test alone, at `dpi` dots per inch.
class XServer
{
public:
    bool start(int dpi)
    {
        // -displayfd picks a free display and writes its number to stdout.
        m_process.start(QStringLiteral("Xvfb"),
                        {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                         QStringLiteral("0"), QStringLiteral("1920x1080x24"), QStringLiteral("-dpi"),
                         QString::number(dpi), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        if (!m_process.waitForStarted(30000))
            return false;
        QByteArray out;
        while (!out.contains('\n') && m_process.waitForReadyRead(30000))
            out += m_process.readAllStandardOutput();
        m_display = ":" + QString::fromLatin1(out.trimmed());
        // The server resets (dropping root properties) whenever its last
        // client leaves: this connection stays for the test's life.
        m_connection = out.contains('\n') ? XOpenDisplay(m_display.toLatin1().constData()) : nullptr;
        return m_connection != nullptr;
    }
    ~XServer()
    {
        if (m_connection)
            XCloseDisplay(m_connection);
        m_process.terminate();
        m_process.waitForFinished(10000);
    }
    QString display() const { return m_display; }

    // Sets the desktop's "Xft.dpi" resource (0 removes every resource).
    bool setXftDpi(int dpi) const
    {
        Display *x = m_connection;
        if (!x)
            return false;
        const Atom resources = XInternAtom(x, "RESOURCE_MANAGER", False);
        if (dpi > 0) {
            const QByteArray text = "Xft.dpi:\t" + QByteArray::number(dpi) + "\n";
            XChangeProperty(x, DefaultRootWindow(x), resources, XA_STRING, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char *>(text.constData()), text.size());
        } else {
            XDeleteProperty(x, DefaultRootWindow(x), resources);
        }
        XSync(x, False);
        return true;
    }

private:
    QProcess m_process;
    QString m_display;
    Display *m_connection = nullptr;
};

QProcessEnvironment environmentOn(const QString &display)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("QT_XCB_GL_INTEGRATION"), QStringLiteral("none"));
    for (const char *name : {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_AUTO_SCREEN_SCALE_FACTOR",
                             "QT_SCALE_FACTOR_ROUNDING_POLICY", "QT_FONT_DPI"})
        env.remove(QLatin1String(name));
    return env;
}

} // namespace

class TstStartup : public QObject
{
    Q_OBJECT

private slots:
    void systemScaleIgnoresToolkitScaling_data()
    {
        QTest::addColumn<bool>("automatic");
        QTest::addColumn<QString>("variable");
        QTest::addColumn<int>("xftDpi");
        QTest::addColumn<double>("expected");
        // The server runs at 192 dots per inch: a 200 % screen.
        QTest::newRow("no scaling") << false << QString() << 0 << 2.0;
        QTest::newRow("QT_SCALE_FACTOR") << false << "QT_SCALE_FACTOR=1.25" << 0 << 2.0;
        QTest::newRow("QT_SCREEN_SCALE_FACTORS") << false << "QT_SCREEN_SCALE_FACTORS=1.5" << 0 << 2.0;
        QTest::newRow("automatic") << true << QString() << 0 << 2.0;
        QTest::newRow("automatic, pass-through")
            << true << "QT_SCALE_FACTOR_ROUNDING_POLICY=PassThrough" << 0 << 2.0;
        QTest::newRow("automatic with QT_SCALE_FACTOR") << true << "QT_SCALE_FACTOR=1.25" << 0 << 2.0;
        // The desktop's own setting wins over the screen's millimetres.
        QTest::newRow("Xft.dpi 144") << false << QString() << 144 << 1.5;
        QTest::newRow("Xft.dpi 144, automatic") << true << QString() << 144 << 1.5;
    }

    void systemScaleIgnoresToolkitScaling()
    {
        QFETCH(bool, automatic);
        QFETCH(QString, variable);
        QFETCH(int, xftDpi);
        QFETCH(double, expected);
        if (m_server.display().isEmpty())
            QVERIFY(m_server.start(192));
        QVERIFY(m_server.setXftDpi(xftDpi));

        QProcessEnvironment env = environmentOn(m_server.display());
        if (!variable.isEmpty())
            env.insert(variable.section('=', 0, 0), variable.section('=', 1));
        QProcess child;
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--scale"), automatic ? QStringLiteral("auto") : QStringLiteral("off")});
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitCode(), 0);
        const QByteArray out = child.readAllStandardOutput().trimmed();
        QVERIFY2(out.startsWith("scale "), out.constData());
        QCOMPARE(out.mid(6).toDouble(), expected);
    }

    // Started by bare name through PATH from another folder, the program
    // still reads the scale settings beside its executable.
    void bareNameThroughPathFindsSettings()
    {
        XServer server;
        QVERIFY(server.start(144)); // 150 %: what the settings below say
        TestAppDir app;
        QVERIFY(app.isValid());
        const QString program = app.path() + "/quorvin";
        QVERIFY(QFile::copy(QStringLiteral(QUORVIN_CLIENT_BIN), program));
        QVERIFY(QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner));
        QTcpServer closed; // no server: a closed loopback port refuses at once
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        app.writeSettings(QStringLiteral("[system]\ndpiScale=1.5\nrwidth=1920\nrheight=1080\n"
                                         "[server]\nbaseUrl=http://127.0.0.1:%1\n")
                              .arg(port)
                              .toUtf8());
        QTemporaryDir elsewhere;
        QVERIFY(elsewhere.isValid());

        QProcess child;
        QProcessEnvironment env = environmentOn(server.display());
        env.insert(QStringLiteral("PATH"), app.path());
        child.setProcessEnvironment(env);
        child.setWorkingDirectory(elsewhere.path());
        // env(1) looks the bare name up in the PATH given above and runs it
        // as itself, with argv[0] = "quorvin".
        child.start(QStringLiteral("/usr/bin/env"),
                    {QStringLiteral("PATH=") + app.path(), QStringLiteral("quorvin")});
        QVERIFY(child.waitForStarted(30000));
        const QDir logs(app.path() + "/logs");
        auto started = [&] {
            for (const QString &name : logs.entryList({QStringLiteral("client_*.log")}, QDir::Files)) {
                QFile log(logs.filePath(name));
                if (log.open(QIODevice::ReadOnly) && log.readAll().contains("started in"))
                    return true;
            }
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT(started() || child.state() == QProcess::NotRunning, 60000);
        QCOMPARE(child.state(), QProcess::Running);
        QCOMPARE(::kill(pid_t(child.processId()), SIGTERM), 0);
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitCode(), 0);

        const QByteArray err = child.readAllStandardError();
        // 1080 pixels at 150 % leave fewer than 830: the factor 1.25 is chosen.
        QVERIFY2(err.contains("repair scale: 1.25"), err.constData());
        QVERIFY2(!QDir(elsewhere.path()).exists(QStringLiteral("logs")),
                 "logs written into the working folder");
    }

private:
    XServer m_server;
};

int main(int argc, char **argv)
{
    if (argc >= 3 && qstrcmp(argv[1], "--scale") == 0)
        return printSystemScale(argc, argv);
    QCoreApplication app(argc, argv);
    TstStartup tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_startup.moc"
