// A session that ends with SIGTERM (a logout, a power action, a package
// upgrade), SIGINT or SIGHUP loses nothing: the program saves the open
// editor's text, the settings and the theme, and quits cleanly. The test
// runs itself a second time as the program (with "--child") and signals it.
#include "apppaths.h"
#include "db/cquorvindb.h"
#include "manager/cjobmanager.h"
#include "manager/cqssmanager.h"
#include "manager/cuimanager.h"
#include "resources.h"
#include "testappdir.h"

#include <QApplication>
#include <QProcess>
#include <QScopeGuard>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTimer>
#include <QtTest>
#include <csignal>
#include <cstdio>

namespace {

const QString kSavedText = QStringLiteral("已经保存的一段。");
const QString kEditorText = QStringLiteral("编辑器里还没保存的字。");

// The program with a signed-in author and an open chapter: its text is
// saved once, a setting and the theme change in memory only, and an editor
// still holds newer text that it saves when asked to.
int runChild(int argc, char **argv)
{
    QApplication app(argc, argv);
    quorvinInitResources();
    AppPaths::setAppDirOverride(QString::fromLocal8Bit(argv[2]));
    CJobManager *jobs = CJobManager::instance();
    jobs->installQuitHandlers(app);
    if (!jobs->init())
        return 3;
    TC_Books_AddBook add;
    add.bookName = QStringLiteral("终止");
    T_Book *book = jobs->booksAddBook(add);
    if (!book || book->chapterList.isEmpty())
        return 4;
    TC_Chapter_Edit save;
    save.localBookId = book->localId;
    save.localChapterId = book->chapterList.first()->localId;
    save.content = kSavedText;
    if (!jobs->chapterSaveContent(save))
        return 5;
    T_SessionData &session = T_SessionData::instance();
    session.user.isSound = 0;
    session.user.fontSize = 23;
    session.author.style = StyleDark;
    QObject::connect(CUiManager::instance(), &CUiManager::sig_SaveAll, [&] {
        TC_Chapter_Edit editor = save;
        editor.content = kEditorText;
        jobs->chapterSaveContent(editor);
    });
    std::printf("ready\n");
    std::fflush(stdout);
    // The session manager's commit request: QSessionManager cannot be made
    // here, so the slot the request is connected to is called directly.
    if (argc >= 4 && qstrcmp(argv[3], "commit") == 0)
        QTimer::singleShot(0, jobs, &CJobManager::saveAndQuit);
    const int code = app.exec();
    jobs->uninit();
    return code;
}

} // namespace

class TstQuitSignals : public QObject
{
    Q_OBJECT

private slots:
    void signalSavesEverythingAndQuits_data()
    {
        QTest::addColumn<int>("signo");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGHUP") << int(SIGHUP);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("commit request") << 0;
    }

    void signalSavesEverythingAndQuits()
    {
        QFETCH(int, signo);
        TestAppDir app;
        QVERIFY(app.isValid());
        // No server: a closed loopback port refuses at once.
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        app.writeSettings(
            QStringLiteral("[system]\n[server]\nbaseUrl=http://127.0.0.1:%1\n").arg(port).toUtf8());
        CQuorvinDb *db = CQuorvinDb::instance();
        QVERIFY(db->init());
        TS_Author_Info author;
        author.uid = 7001;
        author.token = QStringLiteral("token");
        author.uniqueCode = QStringLiteral("c00d0000000000000000000000007001");
        T_User user;
        user.uid = author.uid;
        QVERIFY(db->insertUser(author, user));
        QVERIFY(db->setLastUser(author.uid));

        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QStringList args{QStringLiteral("--child"), app.path()};
        if (signo == 0)
            args << QStringLiteral("commit");
        child.start(QCoreApplication::applicationFilePath(), args);
        QVERIFY(child.waitForStarted(30000));
        QByteArray out; // the macro reads its condition more than once
        QTRY_VERIFY_WITH_TIMEOUT((out += child.readAllStandardOutput()).contains("ready") ||
                                     child.state() == QProcess::NotRunning,
                                 60000);
        if (signo != 0) {
            QCOMPARE(child.state(), QProcess::Running);
            QCOMPARE(::kill(pid_t(child.processId()), signo), 0);
        }
        QVERIFY(child.state() == QProcess::NotRunning || child.waitForFinished(60000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);

        {
            QSqlDatabase check =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
            check.setDatabaseName(app.dbFile());
            QVERIFY(check.open());
        }
        const auto dropCheck = qScopeGuard([] { QSqlDatabase::removeDatabase(QStringLiteral("check")); });
        QSqlQuery query(QSqlDatabase::database(QStringLiteral("check")));
        QVERIFY(query.exec("select isSound from tb_system_conf where uid = 7001") && query.next());
        QCOMPARE(query.value(0).toInt(), 0);
        QVERIFY(query.exec("select fontSize from tb_creation_conf where uid = 7001") && query.next());
        QCOMPARE(query.value(0).toInt(), 23);
        QVERIFY(query.exec("select style from tb_user where uid = 7001") && query.next());
        QCOMPARE(query.value(0).toInt(), int(StyleDark));
        QVERIFY(query.exec("select content from tb_chapter") && query.next());
        QCOMPARE(query.value(0).toString(), kEditorText);
    }
};

int main(int argc, char **argv)
{
    if (argc >= 3 && qstrcmp(argv[1], "--child") == 0)
        return runChild(argc, argv);
    QApplication app(argc, argv);
    quorvinInitResources();
    TstQuitSignals tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_quitsignals.moc"
