// One program per data folder, with the real client started as a child
// process on this test's X server: a second start brings the first one
// forward and ends, leaving one process and one window; a start after the
// holder was killed takes its lock over; a holder that does not answer is
// told about instead of being started beside.
#include "testappdir.h"
#include "testmain.h"

#include <QProcess>
#include <QTcpServer>
#include <csignal>

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void aSecondStartBringsTheFirstForward();
    void aKilledHoldersLockIsTakenOver();
    void aHolderThatDoesNotAnswerIsTold();

private:
    // Starts the copied client; false when it does not run.
    bool start(QProcess &child);
    static int windowsOf(const QProcess &child);
    static void stop(QProcess &child);

    TestAppDir m_app;
    QString m_program;
    QProcess m_first;
};

void TestSingleInstance::initTestCase()
{
    QVERIFY(m_app.isValid());
    // The client finds its data folder beside its executable: a copy of it
    // lives in this test's folder.
    m_program = m_app.path() + QStringLiteral("/quorvin");
    QVERIFY(QFile::copy(QStringLiteral(QUORVIN_CLIENT_BIN), m_program));
    QVERIFY(QFile::setPermissions(m_program, QFile::permissions(m_program) | QFileDevice::ExeOwner));
    QTcpServer closed; // no server: a closed loopback port refuses at once
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    m_app.writeSettings(
        QStringLiteral("[system]\n[server]\nbaseUrl=http://127.0.0.1:%1\n").arg(port).toUtf8());
}

void TestSingleInstance::cleanupTestCase()
{
    stop(m_first);
}

bool TestSingleInstance::start(QProcess &child)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    child.setProcessEnvironment(env);
    child.start(m_program, QStringList());
    return child.waitForStarted(30000);
}

int TestSingleInstance::windowsOf(const QProcess &child)
{
    // Named windows only: the toolkit keeps an unnamed one of the screen's size.
    QProcess search;
    search.start(QStringLiteral("xdotool"),
                 {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                  QString::number(child.processId()), QStringLiteral("--name"), QStringLiteral(".+")});
    if (!search.waitForFinished(30000))
        return -1;
    const QByteArray out = search.readAllStandardOutput().trimmed();
    return out.isEmpty() ? 0 : out.split('\n').size();
}

void TestSingleInstance::stop(QProcess &child)
{
    if (child.state() == QProcess::NotRunning)
        return;
    ::kill(pid_t(child.processId()), SIGCONT);
    child.kill();
    child.waitForFinished(30000);
}

void TestSingleInstance::aSecondStartBringsTheFirstForward()
{
    QVERIFY(start(m_first));
    QTRY_VERIFY_WITH_TIMEOUT(windowsOf(m_first) == 1 || m_first.state() == QProcess::NotRunning, 90000);
    QCOMPARE(m_first.state(), QProcess::Running);

    QProcess second;
    QVERIFY(start(second));
    QVERIFY(second.waitForFinished(90000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    const QByteArray said = second.readAllStandardError();
    QVERIFY2(said.contains("brought it forward"), said.constData());
    // The first one heard it, and still shows its one window.
    QByteArray heard;
    QTRY_VERIFY_WITH_TIMEOUT((heard += m_first.readAllStandardError()).contains("the window comes forward"),
                             30000);
    QCOMPARE(m_first.state(), QProcess::Running);
    QCOMPARE(windowsOf(m_first), 1);
}

void TestSingleInstance::aHolderThatDoesNotAnswerIsTold()
{
    if (m_first.state() != QProcess::Running) {
        QVERIFY(start(m_first));
        QTRY_VERIFY_WITH_TIMEOUT(windowsOf(m_first) == 1, 90000);
    }
    // Stopped, the holder keeps its lock but answers nothing.
    QCOMPARE(::kill(pid_t(m_first.processId()), SIGSTOP), 0);
    QProcess second;
    QVERIFY(start(second));
    // It says so in a message box, and starts nothing beside the holder.
    QTRY_VERIFY_WITH_TIMEOUT(windowsOf(second) == 1 || second.state() == QProcess::NotRunning, 90000);
    QCOMPARE(second.state(), QProcess::Running);
    QByteArray said;
    QTRY_VERIFY_WITH_TIMEOUT((said += second.readAllStandardError()).contains("does not answer"), 30000);
    stop(second);
    QCOMPARE(::kill(pid_t(m_first.processId()), SIGCONT), 0);
    QCOMPARE(m_first.state(), QProcess::Running);
}

void TestSingleInstance::aKilledHoldersLockIsTakenOver()
{
    if (m_first.state() != QProcess::Running) {
        QVERIFY(start(m_first));
        QTRY_VERIFY_WITH_TIMEOUT(windowsOf(m_first) == 1, 90000);
    }
    m_first.kill(); // SIGKILL: the lock file and the socket stay behind
    QVERIFY(m_first.waitForFinished(30000));
    QVERIFY(QFile::exists(m_app.path() + QStringLiteral("/data/quorvin.lock")));

    QProcess next;
    QVERIFY(start(next));
    QTRY_VERIFY_WITH_TIMEOUT(windowsOf(next) == 1 || next.state() == QProcess::NotRunning, 90000);
    QCOMPARE(next.state(), QProcess::Running);
    // And it is the holder now: a start after it is sent back to it.
    QProcess after;
    QVERIFY(start(after));
    QVERIFY(after.waitForFinished(90000));
    QVERIFY(after.readAllStandardError().contains("brought it forward"));
    stop(next);
}

QUORVIN_TEST_MAIN(TestSingleInstance)
#include "tst_singleinstance_xvfb.moc"
