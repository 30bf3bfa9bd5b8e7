// Text typed into the chapter editor survives a SIGKILL one second after the
// last key: the program runs as a child process (this executable with
// "--child") on the real X server, signed in against the companion server,
// and is typed into with X key events (xdotool). The child's clock stands
// still, so no idle or typing-time save comes, and fewer than 300
// characters never reach the counted save either: only the recovery
// journal can keep the text. Each seed types a few chunks with pauses of
// its own between them (the kill falls at another moment of the journal's
// timer each time) and kills the child; the next child must show
// everything typed so far, stored with its job, and the last one sends it
// all to the server. One seed takes the child's X server away instead of
// killing the child: the program ends at once, and the text must survive
// that too.
#include "apppaths.h"
#include "childclient.h"
#include "db/cquorvindb.h"
#include "mainwindow.h"
#include "manager/cjobmanager.h"
#include "manager/cqssmanager.h"
#include "manager/cuimanager.h"
#include "resources.h"
#include "testappdir.h"
#include "testserver.h"
#include "ui/creation/creation_textedit.h"
#include "ui/creation/creationclock.h"
#include "ui/creation/widget_creation.h"
#include "ui/creation/widget_creation_content.h"
#include "ui/fonts.h"

#include <QApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSqlQuery>
#include <QTranslator>
#include <QX11Info>
#include <QtTest>
#include <csignal>
#include <cstdio>

namespace {

const QString kBookName = QStringLiteral("雨夜");
const QString kPassword = QStringLiteral("25d55ad283aa400af464c76d713c07ad");
const QString kUniqueCode = QStringLiteral("c00d0000000000000000000000000413");

void say(const QByteArray &line)
{
    std::printf("%s\n", line.constData());
    std::fflush(stdout);
}

int countJobs()
{
    if (!QSqlDatabase::contains(QStringLiteral("jobs"))) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("jobs"));
        db.setDatabaseName(AppPaths::dbFile());
        db.open();
    }
    QSqlQuery q(QSqlDatabase::database(QStringLiteral("jobs")));
    return q.exec("select count(*) from tb_job") && q.next() ? q.value(0).toInt() : -1;
}

// The program as main() runs it, with the creation clock standing still.
// "type": opens the book (made on the first run) in the editor, then
// reports the editor's text as it grows. "replay": reports once every queued
// job has reached the server.
int runChild(int argc, char **argv)
{
    QApplication app(argc, argv);
    quorvinInitResources();
    substituteFonts();
    AppPaths::setAppDirOverride(QString::fromLocal8Bit(argv[2]));
    const bool typing = qstrcmp(argv[3], "type") == 0;
    QTranslator translator;
    if (translator.load(":/res/client.qm"))
        app.installTranslator(&translator);
    CQssManager::instance()->setQssStyle(StyleLight, ":/res/qss/light.qss");
    CQssManager::instance()->setQssStyle(StyleDark, ":/res/qss/dark.qss");
    const int frozen = CreationClock::now();
    CreationClock::setSource([frozen] { return frozen; });

    CJobManager *jobs = CJobManager::instance();
    jobs->installQuitHandlers(app);
    if (!jobs->init())
        return 3;
    CUiManager *ui = CUiManager::instance();
    int step = 0;
    QTimer poll;
    poll.setInterval(100);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        MainWindow *w = ui->mainWindow();
        const bool quiet = w && w->isVisible() && ui->syncRunning() == 0;
        if (!typing) {
            if (quiet && countJobs() == 0) {
                poll.stop();
                say("replayed");
            }
            return;
        }
        QList<T_Book *> &books = T_SessionData::instance().books;
        if (step == 0 && quiet) {
            if (books.isEmpty()) {
                TC_Books_AddBook add;
                add.bookName = kBookName;
                if (!jobs->booksAddBook(add)) {
                    step = 9;
                    say("no book");
                    return;
                }
            }
            step = 1;
        } else if (step == 1 && w && !books.isEmpty() && !books.first()->chapterList.isEmpty()) {
            w->activateWindow();
            ui->showCreation(books.first());
            step = 2;
        } else if (step == 2 && w && ui->creation() && ui->creation()->isVisible()) {
            Widget_Creation_Content *content = ui->creation()->content();
            Creation_TextEdit *edit = content->editor();
            if (!w->isActiveWindow()) {
                w->activateWindow();
                return;
            }
            if (!content->chapter() || !edit->hasFocus())
                return;
            step = 3;
            poll.stop();
            QObject::connect(edit, &QTextEdit::textChanged,
                             [edit] { say("text " + edit->toPlainText().toUtf8().toBase64()); });
            say(QStringLiteral("editing %1 ").arg(content->chapter()->localId).toUtf8() +
                edit->toPlainText().toUtf8().toBase64());
        }
    });
    poll.start();
    say("started");
    const int code = app.exec();
    jobs->uninit();
    return code;
}

} // namespace

class TstJournalKill : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void typedTextSurvivesSigkill_data();
    void typedTextSurvivesSigkill();
    void everythingReachesTheServer();

private:
    // Starts a typing child; its editor's text and chapter in `shown` and `chapterId`.
    bool startTyping(ChildClient &child, QString &shown, int &chapterId,
                     const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());
    QString stored(int localChapterId) const;
    // The chapter's text on the server.
    QString serverText(int localChapterId) const;

    TestServer m_server;
    TestAppDir m_app;
    QString m_token;
    qint64 m_uid = 0;
    QString m_typed; // everything typed so far, over all the seeds
    int m_chapterId = 0;
};

void TstJournalKill::initTestCase()
{
    QVERIFY(QX11Info::isPlatformX11());
    QVERIFY(m_server.start());
    QVERIFY(m_server.signUp(QStringLiteral("13700000413"), kPassword, m_token, m_uid));
    QVERIFY(m_app.isValid());
    qputenv("XDG_CONFIG_HOME", (m_app.path() + "/config").toUtf8());
    m_app.writeSettings(QStringLiteral("[system]\n[server]\nbaseUrl=%1\n").arg(m_server.baseUrl()).toUtf8());
    CQuorvinDb *db = CQuorvinDb::instance();
    QVERIFY(db->init());
    TS_Author_Info author;
    author.uid = int(m_uid);
    author.token = m_token;
    author.uniqueCode = kUniqueCode;
    T_User user;
    user.uid = author.uid;
    user.isSound = 0;
    QVERIFY(db->insertUser(author, user));
    QVERIFY(db->setLastUser(author.uid));
    QSqlDatabase check = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
    check.setDatabaseName(m_app.dbFile());
    QVERIFY(check.open());
}

QString TstJournalKill::stored(int localChapterId) const
{
    QSqlQuery q(QSqlDatabase::database(QStringLiteral("check")));
    q.exec(QStringLiteral("select content from tb_chapter where localId = %1").arg(localChapterId));
    return q.next() ? q.value(0).toString() : QStringLiteral("<none>");
}

QString TstJournalKill::serverText(int localChapterId) const
{
    QSqlQuery ids(QSqlDatabase::database(QStringLiteral("check")));
    if (!ids.exec(QStringLiteral("select bookId, chapterId from tb_chapter where localId = %1")
                      .arg(localChapterId)) ||
        !ids.next())
        return QStringLiteral("<no chapter>");
    TestHttp api(m_server.baseUrl());
    api.setToken(m_token);
    api.setUniqueCode(QStringLiteral("observer0000000000000000000000413"));
    return api
        .get("/chapter/chapter",
             {{"book_id", ids.value(0).toString()}, {"chapter_id", ids.value(1).toString()}})
        .object()
        .value("content")
        .toString();
}

bool TstJournalKill::startTyping(ChildClient &child, QString &shown, int &chapterId,
                                 const QProcessEnvironment &environment)
{
    if (!child.start({"--child", m_app.path(), "type"}, QString(), environment))
        return false;
    return child.waitForLine(
        [&](const QByteArray &line) {
            if (!line.startsWith("editing "))
                return false;
            const QList<QByteArray> parts = line.split(' ');
            chapterId = parts.value(1).toInt();
            shown = QString::fromUtf8(QByteArray::fromBase64(parts.value(2)));
            return true;
        },
        120000);
}

void TstJournalKill::typedTextSurvivesSigkill_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<bool>("xServerDies");
    QTest::newRow("seed 7") << 7u << false;
    QTest::newRow("seed 19") << 19u << false;
    QTest::newRow("seed 2026, the X server dies") << 2026u << true;
    QTest::newRow("seed 31337") << 31337u << false;
}

void TstJournalKill::typedTextSurvivesSigkill()
{
    QFETCH(quint32, seed);
    QFETCH(bool, xServerDies);
    QRandomGenerator random(seed);
    // The child's own X server, when it is to go away.
    QProcess xServer;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const auto stopServer = qScopeGuard([&xServer] {
        if (xServer.state() != QProcess::NotRunning) {
            xServer.kill();
            xServer.waitForFinished(10000);
        }
    });
    if (xServerDies) {
        xServer.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1280x800x24", "-nolisten", "tcp"});
        QVERIFY(xServer.waitForStarted(10000));
        // It tells its display number once it listens.
        QVERIFY(QTest::qWaitFor(
            [&] {
                xServer.waitForReadyRead(50);
                return xServer.canReadLine();
            },
            30000));
        const QString display = QStringLiteral(":") + QString::fromLatin1(xServer.readLine().trimmed());
        environment.insert("DISPLAY", display);
        environment.remove("XAUTHORITY");
    }
    auto xdotool = [&environment](const QStringList &arguments) {
        QProcess tool;
        tool.setProcessEnvironment(environment);
        tool.start("xdotool", arguments);
        return tool.waitForFinished(30000) && tool.exitStatus() == QProcess::NormalExit &&
               tool.exitCode() == 0;
    };
    ChildClient child;
    QString shown;
    int chapterId = 0;
    QVERIFY2(startTyping(child, shown, chapterId, environment), "the child never opened the chapter");
    if (m_chapterId == 0)
        m_chapterId = chapterId;
    QCOMPARE(chapterId, m_chapterId);
    // What the killed child before typed is back, and stored with its job.
    QCOMPARE(shown, m_typed);
    QCOMPARE(stored(chapterId), m_typed);
    // Saved as any save: its job takes it to the server.
    if (!m_typed.isEmpty())
        QTRY_COMPARE_WITH_TIMEOUT(serverText(chapterId), m_typed, 60000);

    // A few chunks, with pauses of the seed's between them.
    const int chunks = 1 + int(random.bounded(3));
    for (int c = 0; c < chunks; ++c) {
        QString word;
        const int letters = 3 + int(random.bounded(10));
        for (int i = 0; i < letters; ++i)
            word += QChar('a' + int(random.bounded(26)));
        if (!m_typed.isEmpty() && random.bounded(3) == 0) {
            QVERIFY(xdotool({"key", "Return"}));
            m_typed += QLatin1Char('\n');
        } else if (!m_typed.isEmpty()) {
            word.prepend(QLatin1Char(' '));
        }
        QVERIFY(xdotool({"type", "--delay", "12", word}));
        m_typed += word;
        QTest::qWait(int(random.bounded(700)));
    }
    QString now;
    QVERIFY2(child.waitForLine(
                 [&](const QByteArray &line) {
                     if (line.startsWith("text "))
                         now = QString::fromUtf8(QByteArray::fromBase64(line.mid(5)));
                     return now == m_typed;
                 },
                 60000),
             qPrintable(QStringLiteral("the editor shows: ") + now));
    // Nothing but the journal holds the text: no save has come.
    QCOMPARE(stored(chapterId), shown);
    // One second after the last key reached the editor, the process dies
    // without a chance to save.
    QTest::qWait(1000);
    if (xServerDies) {
        xServer.kill();
        QVERIFY(xServer.waitForFinished(10000));
        QVERIFY(child.process().waitForFinished(60000));
    } else {
        QVERIFY(child.signal(SIGKILL));
        QCOMPARE(child.process().exitStatus(), QProcess::CrashExit);
    }
}

void TstJournalKill::everythingReachesTheServer()
{
    QVERIFY(m_chapterId > 0);
    ChildClient child;
    QVERIFY(child.start({"--child", m_app.path(), "replay"}));
    QVERIFY2(child.waitForLine([](const QByteArray &line) { return line == "replayed"; }, 120000),
             "the last run never emptied its queue");
    QVERIFY(child.signal(SIGTERM));
    QCOMPARE(stored(m_chapterId), m_typed);
    QCOMPARE(serverText(m_chapterId), m_typed);
}

int main(int argc, char **argv)
{
    if (argc >= 4 && qstrcmp(argv[1], "--child") == 0)
        return runChild(argc, argv);
    QApplication app(argc, argv);
    quorvinInitResources();
    TstJournalKill tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_journalkill_xvfb.moc"
