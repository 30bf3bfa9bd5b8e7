#include "Log/clog.h"
#include "platform/crashreporter.h"
#include "testappdir.h"
#include "testmain.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

// Start-up failures of the log and the crash report, each in a child process
// so that the process-wide log of this test stays untouched.
class TestCrashLog : public QObject
{
    Q_OBJECT
private slots:
    void crashWritesReportAndLogLine_data();
    void crashWritesReportAndLogLine();
    void unwritableLogsFolderKeepsRunning();
};

void TestCrashLog::crashWritesReportAndLogLine_data()
{
    QTest::addColumn<int>("sig");
    QTest::newRow("segmentation fault") << SIGSEGV;
    QTest::newRow("abort") << SIGABRT;
}

void TestCrashLog::crashWritesReportAndLogLine()
{
    QFETCH(int, sig);
    TestAppDir dir;
    const QString logFile = dir.path() + "/logs/client_crash.log";
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        CLog::instance()->init(logFile);
        raise(sig);
        _exit(0);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFSIGNALED(status));
    QCOMPARE(WTERMSIG(status), sig);

    const QStringList reports = QDir(dir.path() + "/logs/crashes").entryList({"{*}.dmp"}, QDir::Files);
    QCOMPARE(reports.size(), 1);
    QFile report(dir.path() + "/logs/crashes/" + reports.first());
    QVERIFY(report.open(QIODevice::ReadOnly));
    QVERIFY(report.readAll().contains("signal: " + QByteArray::number(sig)));

    QFile log(logFile);
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(log.readAll().contains("Succeed to write minidump\r\n\n"));
}

void TestCrashLog::unwritableLogsFolderKeepsRunning()
{
    TestAppDir dir;
    QFile blocker(dir.path() + "/logs");
    QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
    blocker.close();
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        CLog::instance()->init(dir.path() + "/logs/client_x.log");
        qWarning() << "still running";
        CLog::instance()->flushPending();
        _exit(CLog::instance()->isFileOpen() ? 1 : 7);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 7);
}

QUORVIN_TEST_MAIN(TestCrashLog)
#include "tst_crashlog.moc"
