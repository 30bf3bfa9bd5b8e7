// Nothing queued is lost against the companion server on loopback: a
// change sent at once carries the whole job it was merged into, statistics
// add up across direct sends, replays and the change feed, and deleting a
// chapter or a book keeps the edits of memos pinned to it.
#include "db/cquorvindb.h"
#include "manager/cbookjobmanager.h"
#include "manager/cjobmanager.h"
#include "manager/cuimanager.h"
#include "manager/cuserjobmanager.h"
#include "remote/chttputil.h"
#include "remote/cquorvinhttp.h"
#include "testappdir.h"
#include "testmain.h"
#include "testserver.h"

#include <QDate>
#include <QImage>
#include <QJsonArray>
#include <QSqlQuery>

namespace {

const QString kPassword = QStringLiteral("25d55ad283aa400af464c76d713c07ad");
const QString kUniqueCode = QStringLiteral("c00d0000000000000000000000000012");

QString today()
{
    return QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
}

} // namespace

class TstQueueIntegrity : public QObject
{
    Q_OBJECT

private:
    TestAppDir *m_app = nullptr;
    TestServer m_server;
    QString m_token;
    qint64 m_uid = 0;
    CJobManager *m_jobs = nullptr;
    CUiManager *m_ui = nullptr;
    T_SessionData &m_session = T_SessionData::instance();

    TestHttp api() const
    {
        TestHttp h(m_server.baseUrl());
        h.setToken(m_token);
        h.setUniqueCode(QStringLiteral("observer0000000000000000000000012"));
        return h;
    }

    static int value(const QString &text)
    {
        QSqlQuery query(QSqlDatabase::database(QStringLiteral("check")));
        query.exec(text);
        return query.next() ? query.value(0).toInt() : -1;
    }

    bool goOffline()
    {
        m_server.stop();
        return true;
    }

    bool goOnline() { return m_server.restart() && CQuorvinHttp::instance()->setBaseUrl(m_server.baseUrl()); }

    // Waits until the queue is empty and no replay runs.
    bool waitIdle()
    {
        return QTest::qWaitFor(
            [this] { return value("select count(*) from tb_job") == 0 && m_ui->syncRunning() == 0; }, 20000);
    }

    bool replay()
    {
        m_jobs->checkUserJob();
        return waitIdle();
    }

    T_Book *onlineBook(const QString &name)
    {
        TC_Books_AddBook req;
        req.bookName = name;
        T_Book *book = m_jobs->booksAddBook(req);
        const bool ok = book && QTest::qWaitFor(
                                    [&] {
                                        return book->bookId > 0 && book->chapterList.size() == 1 &&
                                               book->chapterList.first()->chapterId > 0 && waitIdle();
                                    },
                                    20000);
        return ok ? book : nullptr;
    }

    QJsonObject serverChapter(const T_Book *book, const T_Chapter *chapter) const
    {
        return api()
            .get("/chapter/chapter", {{"book_id", QString::number(book->bookId)},
                                      {"chapter_id", QString::number(chapter->chapterId)}})
            .object();
    }

    QJsonObject serverMemo(int memoId) const
    {
        return api().get("/memo/memoDetail", {{"memo_id", QString::number(memoId)}}).object();
    }

    // Today's words on the server, -1 when the day is not there.
    int serverWordsToday() const
    {
        const QJsonObject data = api().post("/authorcount/userData").object();
        const QJsonArray dates = data.value("timeData").toArray();
        for (int i = 0; i < dates.size(); ++i)
            if (dates.at(i).toString() == today())
                return data.value("wordData").toArray().at(i).toVariant().toInt();
        return -1;
    }

    int localWordsToday() const
    {
        return value(QStringLiteral("select wordCount from tb_statistics where uid = %1 and date = '%2'")
                         .arg(m_uid)
                         .arg(today()));
    }

    void saveWords(int words)
    {
        T_DayStatistics &day = m_session.todayStatistics;
        day.wordCount = words;
        day.writeTime = 60;
        day.writeSpeed = 30;
        QVERIFY(m_jobs->saveDayStatistics());
    }

    // A memo on the server, pinned to the book's first chapter.
    int pinnedMemo(T_Book *book, const QString &text)
    {
        TC_Memo_Add add;
        add.content = text;
        add.color = QStringLiteral("#FFE58F");
        if (!m_jobs->memoAdd(add))
            return 0;
        TC_Memo_Edit pin;
        pin.localMemoId = add.localMemoId;
        pin.localBookId = book->localId;
        pin.localChapterId = book->chapterList.first()->localId;
        if (!QTest::qWaitFor([&] { return waitIdle(); }, 20000) || !m_jobs->memoEditLocation(pin, 10, 20) ||
            !waitIdle())
            return 0;
        return add.localMemoId;
    }

    int memoServerId(int localMemoId) const
    {
        for (const T_Memo *memo : m_session.memos)
            if (memo->localId == localMemoId)
                return memo->memoId;
        return 0;
    }

private slots:
    void initTestCase()
    {
        m_app = new TestAppDir;
        QVERIFY(m_app->isValid());
        QVERIFY(m_server.start());
        QVERIFY(m_server.signUp(QStringLiteral("13700000012"), kPassword, m_token, m_uid));
        QVERIFY(CQuorvinDb::instance()->init());
        QSqlDatabase check = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        check.setDatabaseName(m_app->dbFile());
        QVERIFY(check.open());

        m_session.author.uid = int(m_uid);
        m_session.author.token = m_token;
        m_session.author.uniqueCode = kUniqueCode;
        m_session.user.uid = int(m_uid);
        QVERIFY(CQuorvinDb::instance()->insertUser(m_session.author, m_session.user));
        CQuorvinHttp *http = CQuorvinHttp::instance();
        QVERIFY(http->setBaseUrl(m_server.baseUrl()));
        http->setToken(m_token);
        http->setUniqueCode(kUniqueCode);
        m_jobs = CJobManager::instance();
        m_ui = CUiManager::instance();
    }

    void cleanupTestCase()
    {
        QSqlDatabase::removeDatabase(QStringLiteral("check"));
        delete m_app;
    }

    // Text written offline, then a rename online: the rename goes at once
    // and must carry the text too.
    void renameSentAtOnceCarriesTheUnsentText()
    {
        T_Book *book = onlineBook(QStringLiteral("改名"));
        QVERIFY(book);
        T_Chapter *chapter = book->chapterList.first();
        QVERIFY(goOffline());
        TC_Chapter_Edit save;
        save.localBookId = book->localId;
        save.localChapterId = chapter->localId;
        save.content = QStringLiteral("离线写下的一整段。");
        QVERIFY(m_jobs->chapterSaveContent(save));
        QTRY_COMPARE_WITH_TIMEOUT(m_ui->syncRunning(), 0, 20000);
        QVERIFY(goOnline());
        TC_Chapter_Edit rename;
        rename.localBookId = book->localId;
        rename.localChapterId = chapter->localId;
        rename.chapterName = QStringLiteral("第1章 归来");
        QVERIFY(m_jobs->chapterRename(rename));
        QVERIFY(waitIdle());
        const QJsonObject server = serverChapter(book, chapter);
        QCOMPARE(server.value("content").toString(), QStringLiteral("离线写下的一整段。"));
        QCOMPARE(server.value("chapter_name").toString(), QStringLiteral("第1章 归来"));
    }

    // A memo edited offline, then recoloured online.
    void memoRecolourSentAtOnceCarriesTheUnsentText()
    {
        TC_Memo_Add add;
        add.content = QStringLiteral("旧的");
        add.color = QStringLiteral("#FFE58F");
        QVERIFY(m_jobs->memoAdd(add));
        QVERIFY(waitIdle());
        const int memoId = memoServerId(add.localMemoId);
        QVERIFY(memoId > 0);
        QVERIFY(goOffline());
        TC_Memo_Edit edit;
        edit.localMemoId = add.localMemoId;
        edit.content = QStringLiteral("离线改过的备忘");
        QVERIFY(m_jobs->memoEditContent(edit));
        QTRY_COMPARE_WITH_TIMEOUT(m_ui->syncRunning(), 0, 20000);
        QVERIFY(goOnline());
        edit.color = QStringLiteral("#B7EB8F");
        QVERIFY(m_jobs->memoEditColor(edit));
        QVERIFY(waitIdle());
        const QJsonObject server = serverMemo(memoId);
        QCOMPARE(server.value("content").toString(), QStringLiteral("离线改过的备忘"));
        QCOMPARE(server.value("color").toString(), QStringLiteral("#B7EB8F"));
    }

    // A cover chosen offline, then the introduction edited online.
    void bookEditSentAtOnceCarriesTheUnsentCover()
    {
        T_Book *book = onlineBook(QStringLiteral("封面"));
        QVERIFY(book);
        QTemporaryDir dir;
        const QString cover = dir.filePath(QStringLiteral("cover.png"));
        QImage image(12, 16, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        QVERIFY(image.save(cover));
        QVERIFY(goOffline());
        TC_Books_Edit edit;
        edit.localBookId = book->localId;
        edit.bookName = book->bookName;
        edit.localCover = cover;
        QVERIFY(m_jobs->booksEdit(edit));
        QTRY_COMPARE_WITH_TIMEOUT(m_ui->syncRunning(), 0, 20000);
        QVERIFY(goOnline());
        TC_Books_Edit intro;
        intro.localBookId = book->localId;
        intro.bookName = book->bookName;
        intro.intro = QStringLiteral("新的简介");
        QVERIFY(m_jobs->booksEdit(intro));
        QVERIFY(waitIdle());
        const QJsonObject server =
            api().get("/books/bookinfo", {{"book_id", QString::number(book->bookId)}}).object();
        QCOMPARE(server.value("intro").toString(), QStringLiteral("新的简介"));
        QVERIFY2(!server.value("cover").toString().isEmpty(), qPrintable(QJsonDocument(server).toJson()));
    }

    // Words saved offline, then more online: the server gets them all, and
    // a pull of the server's days adds what is still unsent here.
    void statisticsAddUpOverDirectSendsAndTheFeed()
    {
        QVERIFY(CUserJobManager::instance()->startDay());
        QVERIFY(goOffline());
        saveWords(100);
        QTRY_COMPARE_WITH_TIMEOUT(m_ui->syncRunning(), 0, 20000);
        QVERIFY(goOnline());
        saveWords(50);
        QVERIFY(waitIdle());
        QCOMPARE(serverWordsToday(), 150);
        QCOMPARE(localWordsToday(), 150);

        // Another machine adds 30; this one has 40 unsent when the feed
        // brings the server's day.
        TestHttp other = api();
        QCOMPARE(other
                     .post("/authorcount/saveData", {{"pc_word", "30"},
                                                     {"write_time", "60"},
                                                     {"speed", "30"},
                                                     {"channel", "1"},
                                                     {"date", today()}})
                     .code(),
                 200);
        QVERIFY(goOffline());
        saveWords(40);
        QTRY_COMPARE_WITH_TIMEOUT(m_ui->syncRunning(), 0, 20000);
        QVERIFY(goOnline());
        TC_AuthorCount_UserData fetch;
        fetch.uid = int(m_uid);
        fetch.jobType = JobType_StatisticsFetch;
        CQuorvinHttp::instance()->authorCountUserDataAsyn(fetch);
        QTRY_COMPARE_WITH_TIMEOUT(localWordsToday(), 220, 20000);
        QVERIFY(replay());
        QCOMPARE(serverWordsToday(), 220);
        QCOMPARE(localWordsToday(), 220);
    }

    void deletingTheChapterOrBookKeepsPinnedMemoEdits_data()
    {
        QTest::addColumn<bool>("wholeBook");
        QTest::newRow("chapter") << false;
        QTest::newRow("book") << true;
    }

    void deletingTheChapterOrBookKeepsPinnedMemoEdits()
    {
        QFETCH(bool, wholeBook);
        T_Book *book = onlineBook(wholeBook ? QStringLiteral("删书") : QStringLiteral("删章"));
        QVERIFY(book);
        const int localMemoId = pinnedMemo(book, QStringLiteral("钉住的"));
        QVERIFY(localMemoId > 0);
        const int memoId = memoServerId(localMemoId);
        QVERIFY(memoId > 0);
        QVERIFY(goOffline());
        TC_Memo_Edit edit;
        edit.localMemoId = localMemoId;
        edit.content = QStringLiteral("钉住后又改了");
        QVERIFY(m_jobs->memoEditContent(edit));
        if (wholeBook) {
            TC_Books_Delete del;
            del.localBookId = book->localId;
            QVERIFY(m_jobs->booksDelete(del));
        } else {
            TC_Chapter_Del del;
            del.localBookId = book->localId;
            del.localChapterId = book->chapterList.first()->localId;
            QVERIFY(m_jobs->chapterDelete(del));
        }
        QTRY_COMPARE_WITH_TIMEOUT(m_ui->syncRunning(), 0, 20000);
        QCOMPARE(value("select count(*) from tb_job where jobType = 42"), 1);
        QVERIFY(goOnline());
        QVERIFY(replay());
        QCOMPARE(serverMemo(memoId).value("content").toString(), QStringLiteral("钉住后又改了"));
    }
};

QUORVIN_TEST_MAIN(TstQueueIntegrity)
#include "tst_queueintegrity.moc"
