#include "Log/clog.h"
#include "testappdir.h"
#include "testmain.h"

#include <QFile>
#include <QRegularExpression>
#include <QThread>

// The log handler is process-wide, so one log file serves every case here;
// each case looks only at the lines it wrote.
class TestLog : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void lineLayout();
    void droppedMessages_data();
    void droppedMessages();
    void threadsNeverInterleave();
    void appendsToAnExistingFile();
    void minimumLevel();

private:
    QStringList linesContaining(const QString &marker);
    TestAppDir m_dir;
    QString m_file;
};

void TestLog::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_file = m_dir.path() + "/logs/client_test.log";
    CLog::instance()->init(m_file);
    QVERIFY(CLog::instance()->isFileOpen());
}

QStringList TestLog::linesContaining(const QString &marker)
{
    CLog::instance()->flushPending();
    QFile file(m_file);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList out;
    const QStringList lines = QString::fromUtf8(file.readAll()).split("\r\n\n");
    for (const QString &line : lines) {
        if (line.contains(marker))
            out << line;
    }
    return out;
}

void TestLog::lineLayout()
{
    QMessageLogger("a.cpp", 7, "void f()").debug("abc%s", "");
    QMessageLogger("b.cpp", 9, "int g(int)").warning("marker-warn 中文 😀");
    QMessageLogger("c.cpp", 11, "h").info("marker-info");

    CLog::instance()->flushPending();
    QFile file(m_file);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString all = QString::fromUtf8(file.readAll());
    const QRegularExpression debugLine(
        R"(\[Debug\]\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d-\d{1,3}\]\[a\.cpp\]\[7\]\[void f\(\)\]abc\r\n\n)");
    QVERIFY2(debugLine.match(all).hasMatch(), qPrintable(all));
    QVERIFY(all.contains("[b.cpp][9][int g(int)]marker-warn 中文 😀\r\n\n"));
    QVERIFY(all.contains(QRegularExpression(R"(\[Warning\]\[[^\]]+\]\[b\.cpp\])")));
    // Info messages carry no tag: the line starts with the time.
    QVERIFY(all.contains(QRegularExpression(R"(\n\[\d{4}-[^\]]+\]\[c\.cpp\]\[11\]\[h\]marker-info\r\n\n)")));
}

void TestLog::droppedMessages_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("kept");
    QTest::newRow("libpng warning") << int(QtWarningMsg) << "dropped-1 libpng warning: iCCP" << false;
    QTest::newRow("libpng debug is kept") << int(QtDebugMsg) << "kept-1 libpng" << true;
    QTest::newRow("setRenderHint debug")
        << int(QtDebugMsg) << "dropped-2 QPainter::setRenderHint: x" << false;
    QTest::newRow("setRenderHint critical")
        << int(QtCriticalMsg) << "dropped-3 QPainter::setRenderHint" << false;
}

void TestLog::droppedMessages()
{
    QFETCH(int, type);
    QFETCH(QString, text);
    QFETCH(bool, kept);
    QMessageLogger logger("d.cpp", 1, "d");
    if (type == QtWarningMsg)
        logger.warning("%s", qPrintable(text));
    else if (type == QtCriticalMsg)
        logger.critical("%s", qPrintable(text));
    else
        logger.debug("%s", qPrintable(text));
    QCOMPARE(linesContaining(text).size(), kept ? 1 : 0);
}

void TestLog::threadsNeverInterleave()
{
    const int threads = 4, perThread = 200;
    QList<QThread *> workers;
    for (int t = 0; t < threads; ++t) {
        workers << QThread::create([t] {
            for (int i = 0; i < perThread; ++i)
                QMessageLogger("t.cpp", t, "worker")
                    .debug("thread-line %d-%d %s", t, i, QByteArray(60, char('a' + t)).constData());
        });
        workers.last()->start();
    }
    for (QThread *w : qAsConst(workers)) {
        QVERIFY(w->wait(10000));
        delete w;
    }
    const QStringList lines = linesContaining("thread-line");
    QCOMPARE(lines.size(), threads * perThread);
    const QRegularExpression whole(R"(\]\[t\.cpp\]\[(\d)\]\[worker\]thread-line (\d)-\d+ ([a-d])\3{59}$)");
    for (const QString &line : lines) {
        const QRegularExpressionMatch m = whole.match(line);
        QVERIFY2(m.hasMatch() && m.captured(1) == m.captured(2), qPrintable(line));
    }
    // Per thread, the order of handing over is kept.
    QString firstThread;
    int last = -1;
    for (const QString &line : lines) {
        const QRegularExpressionMatch m = QRegularExpression(R"(thread-line 0-(\d+))").match(line);
        if (m.hasMatch()) {
            QVERIFY(m.captured(1).toInt() > last);
            last = m.captured(1).toInt();
        }
    }
    QCOMPARE(last, perThread - 1);
}

void TestLog::appendsToAnExistingFile()
{
    // A second run started in the same second writes into the same file: the
    // first run's lines must stay.
    const int before = linesContaining("marker-warn").size();
    QVERIFY(before >= 1);
    QFile again(m_file);
    QVERIFY(again.open(QIODevice::WriteOnly | QIODevice::Append));
    again.write("second run\r\n\n");
    again.close();
    qDebug() << "after-append";
    QCOMPARE(linesContaining("marker-warn").size(), before);
    QCOMPARE(linesContaining("second run").size(), 1);
    QCOMPARE(linesContaining("after-append").size(), 1);
}

void TestLog::minimumLevel()
{
    CLog::instance()->setMinLevel(QtWarningMsg);
    qDebug() << "below-minimum";
    qWarning() << "at-minimum";
    CLog::instance()->flushPending(); // the level applies when the line is written
    CLog::instance()->setMinLevel(0);
    QCOMPARE(linesContaining("below-minimum").size(), 0);
    QCOMPARE(linesContaining("at-minimum").size(), 1);
}

QUORVIN_TEST_MAIN(TestLog)
#include "tst_log.moc"
