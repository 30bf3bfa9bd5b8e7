// Text typed into the chapter editor just before a SIGTERM survives: the
// program runs as a child process (this executable with "--child") on the
// real X server, signed in against the companion server. The author opens a
// book with a click on the bookshelf and types with X key events (xdotool);
// the child's clock stands still, so no idle second and no typing-time save
// come before the signal, and fewer than 300 characters never reach the
// counted save either: only the quit handler can keep the text. A second
// child then starts, replays the queue, and the store and the server hold
// the typed text.
#include "apppaths.h"
#include "db/cquorvindb.h"
#include "mainwindow.h"
#include "manager/cjobmanager.h"
#include "manager/cqssmanager.h"
#include "manager/cuimanager.h"
#include "resources.h"
#include "testappdir.h"
#include "testserver.h"
#include "ui/bookshelf/cbooklistdelegate.h"
#include "ui/bookshelf/cbooklistmodel.h"
#include "ui/bookshelf/widget_bookshelf.h"
#include "ui/bookshelf/widget_bookshelflist.h"
#include "ui/creation/creation_textedit.h"
#include "ui/creation/creationclock.h"
#include "ui/creation/widget_creation.h"
#include "ui/creation/widget_creation_content.h"
#include "ui/fonts.h"

#include <QApplication>
#include <QListView>
#include <QProcess>
#include <QScopeGuard>
#include <QSqlQuery>
#include <QTranslator>
#include <QX11Info>
#include <QtTest>
#include <csignal>
#include <cstdio>

namespace {

const QString kBookName = QStringLiteral("夜雨");
const QString kPassword = QStringLiteral("25d55ad283aa400af464c76d713c07ad");
const QString kUniqueCode = QStringLiteral("c00d0000000000000000000000000312");
// Typed as below: two lines, the last key a Backspace.
const QString kTyped = QStringLiteral("Rain on the river\nThe ferry waits");

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
// "type": creates the book once the bookshelf is up, tells where its cover
// is, then reports the editor's text as it grows. "replay": reports once
// every queued job has reached the server.
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
    T_Book *book = nullptr;
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
        if (step == 0 && quiet) {
            TC_Books_AddBook add;
            add.bookName = kBookName;
            book = jobs->booksAddBook(add);
            step = book ? 1 : 9;
        } else if (step == 1 && quiet && book->bookId > 0 && !book->chapterList.isEmpty() &&
                   book->chapterList.first()->chapterId > 0) {
            // What a window manager does for a new window: it gets the keyboard.
            w->activateWindow();
            Widget_BookShelfList *shelf = ui->bookshelf()->bookList();
            const QModelIndex index = shelf->model()->index(shelf->model()->rowOf(book->localId));
            const QRect item = shelf->listView()->visualRect(index);
            if (!index.isValid() || !shelf->listView()->viewport()->rect().contains(item))
                return;
            const QPoint at = shelf->listView()->viewport()->mapToGlobal(
                CBookListDelegate::hitRect(CBookListModel::Grid, item).center());
            step = 2;
            say(QStringLiteral("click %1 %2").arg(at.x()).arg(at.y()).toUtf8());
        } else if (step == 2 && ui->creation() && ui->creation()->isVisible()) {
            Creation_TextEdit *edit = ui->creation()->content()->editor();
            if (!ui->creation()->content()->chapter() || !edit->hasFocus() || !w->isActiveWindow())
                return;
            step = 3;
            QObject::connect(edit, &QTextEdit::textChanged,
                             [edit] { say("text " + edit->toPlainText().toUtf8().toBase64()); });
            say(QStringLiteral("editing %1").arg(ui->creation()->content()->chapter()->localId).toUtf8());
        }
    });
    poll.start();
    say("started");
    const int code = app.exec();
    jobs->uninit();
    return code;
}

} // namespace

class TstQuitWhileTyping : public QObject
{
    Q_OBJECT

private slots:
    void typedTextSurvivesSigterm();

private:
    // Runs the child until `until` returns true for one of its lines.
    static bool waitForLine(QProcess &child, QByteArray &pending,
                            const std::function<bool(const QByteArray &)> &until, int ms);
};

bool TstQuitWhileTyping::waitForLine(QProcess &child, QByteArray &pending,
                                     const std::function<bool(const QByteArray &)> &until, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        while (pending.contains('\n')) {
            const int end = pending.indexOf('\n');
            const QByteArray line = pending.left(end).trimmed();
            pending.remove(0, end + 1);
            if (until(line))
                return true;
        }
        if (child.state() == QProcess::NotRunning)
            return false;
        child.waitForReadyRead(100);
        pending += child.readAllStandardOutput();
    }
    return false;
}

void TstQuitWhileTyping::typedTextSurvivesSigterm()
{
    QVERIFY(QX11Info::isPlatformX11());
    TestServer server;
    QVERIFY(server.start());
    QString token;
    qint64 uid = 0;
    QVERIFY(server.signUp(QStringLiteral("13700000312"), kPassword, token, uid));
    TestAppDir app;
    QVERIFY(app.isValid());
    qputenv("XDG_CONFIG_HOME", (app.path() + "/config").toUtf8());
    app.writeSettings(QStringLiteral("[system]\n[server]\nbaseUrl=%1\n").arg(server.baseUrl()).toUtf8());
    {
        // A signed-in author, as a previous run leaves the store.
        CQuorvinDb *db = CQuorvinDb::instance();
        QVERIFY(db->init());
        TS_Author_Info author;
        author.uid = int(uid);
        author.token = token;
        author.uniqueCode = kUniqueCode;
        T_User user;
        user.uid = author.uid;
        user.isSound = 0;
        QVERIFY(db->insertUser(author, user));
        QVERIFY(db->setLastUser(author.uid));
    }
    {
        QSqlDatabase check = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        check.setDatabaseName(app.dbFile());
        QVERIFY(check.open());
    }
    const auto dropCheck = qScopeGuard([] { QSqlDatabase::removeDatabase(QStringLiteral("check")); });
    auto stored = [](int localChapterId) {
        QSqlQuery q(QSqlDatabase::database(QStringLiteral("check")));
        q.exec(QStringLiteral("select content from tb_chapter where localId = %1").arg(localChapterId));
        return q.next() ? q.value(0).toString() : QStringLiteral("<none>");
    };

    // First run: open the book with a click, type, and quit by SIGTERM.
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {"--child", app.path(), "type"});
    QVERIFY(child.waitForStarted(30000));
    const auto stopChild = qScopeGuard([&child] {
        if (child.state() != QProcess::NotRunning) {
            child.kill();
            child.waitForFinished(10000);
        }
    });
    QByteArray pending;
    QPoint cover;
    QVERIFY2(waitForLine(
                 child, pending,
                 [&](const QByteArray &line) {
                     const QList<QByteArray> parts = line.split(' ');
                     if (parts.size() != 3 || parts.first() != "click")
                         return false;
                     cover = QPoint(parts.at(1).toInt(), parts.at(2).toInt());
                     return true;
                 },
                 90000),
             "the bookshelf never showed the book");
    QCOMPARE(QProcess::execute("xdotool", {"mousemove", QString::number(cover.x()),
                                           QString::number(cover.y()), "click", "1"}),
             0);
    int chapterId = 0;
    QVERIFY2(waitForLine(
                 child, pending,
                 [&](const QByteArray &line) {
                     if (!line.startsWith("editing "))
                         return false;
                     chapterId = line.mid(8).toInt();
                     return true;
                 },
                 60000),
             "the click did not open the book into the editor");
    QVERIFY(chapterId > 0);

    // Keys through the X server, to whichever window has the keyboard.
    QCOMPARE(QProcess::execute("xdotool", {"type", "--delay", "15", "Rain on the river"}), 0);
    QCOMPARE(QProcess::execute("xdotool", {"key", "Return"}), 0);
    QCOMPARE(QProcess::execute("xdotool", {"type", "--delay", "15", "The ferry waitsX"}), 0);
    QCOMPARE(QProcess::execute("xdotool", {"key", "BackSpace"}), 0);
    QString shown;
    const bool arrived = waitForLine(
        child, pending,
        [&](const QByteArray &line) {
            if (line.startsWith("text "))
                shown = QString::fromUtf8(QByteArray::fromBase64(line.mid(5)));
            return shown == kTyped;
        },
        60000);
    QVERIFY2(arrived, qPrintable(QStringLiteral("the editor shows: ") + shown));
    // Nothing has saved the typing yet: only the signal's save can keep it.
    QCOMPARE(stored(chapterId), QString());

    QCOMPARE(::kill(pid_t(child.processId()), SIGTERM), 0);
    QVERIFY(child.waitForFinished(60000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    QCOMPARE(stored(chapterId), kTyped);

    // Second run, a new process: the queued save reaches the server and the
    // start-up synchronisation leaves the text in place.
    QProcess again;
    again.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    again.start(QCoreApplication::applicationFilePath(), {"--child", app.path(), "replay"});
    QVERIFY(again.waitForStarted(30000));
    const auto stopAgain = qScopeGuard([&again] {
        if (again.state() != QProcess::NotRunning) {
            again.kill();
            again.waitForFinished(10000);
        }
    });
    pending.clear();
    QVERIFY2(waitForLine(
                 again, pending, [](const QByteArray &line) { return line == "replayed"; }, 90000),
             "the second run never emptied its queue");
    QCOMPARE(::kill(pid_t(again.processId()), SIGTERM), 0);
    QVERIFY(again.waitForFinished(60000));
    QCOMPARE(again.exitCode(), 0);
    QCOMPARE(stored(chapterId), kTyped);

    QSqlQuery ids(QSqlDatabase::database(QStringLiteral("check")));
    QVERIFY(
        ids.exec(
            QStringLiteral("select bookId, chapterId from tb_chapter where localId = %1").arg(chapterId)) &&
        ids.next());
    TestHttp api(server.baseUrl());
    api.setToken(token);
    api.setUniqueCode(QStringLiteral("observer0000000000000000000000312"));
    const QJsonObject onServer = api.get("/chapter/chapter", {{"book_id", ids.value(0).toString()},
                                                              {"chapter_id", ids.value(1).toString()}})
                                     .object();
    QCOMPARE(onServer.value("content").toString(), kTyped);
}

int main(int argc, char **argv)
{
    if (argc >= 4 && qstrcmp(argv[1], "--child") == 0)
        return runChild(argc, argv);
    QApplication app(argc, argv);
    quorvinInitResources();
    TstQuitWhileTyping tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_quitwhiletyping_xvfb.moc"
