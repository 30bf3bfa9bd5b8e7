// The coordinator and the book and chapter jobs against the companion
// server on loopback and the real store: offline changes replayed with
// their server ids, merged saves, network failures, duplicate, refused and
// 300 answers, delete-for-good after edits, and the start-up pass.
#include "db/cquorvindb.h"
#include "manager/cbookjobmanager.h"
#include "manager/cjobmanager.h"
#include "manager/cuimanager.h"
#include "remote/chttputil.h"
#include "remote/cquorvinhttp.h"
#include "signedinauthor.h"
#include "testappdir.h"
#include "testmain.h"
#include "testserver.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkReply>
#include <QSqlQuery>

namespace {

const QString kUniqueCode = QStringLiteral("c00d0000000000000000000000000001");

// A finished reply as the network manager would hand it over.
class FakeReply : public QNetworkReply
{
public:
    FakeReply(const T_Http_C &route, const QByteArray &body)
    {
        QNetworkRequest request;
        request.setRawHeader("userdata", HttpUtil::userdataHeader(route));
        setRequest(request);
        m_data = body;
        open(QIODevice::ReadOnly);
        setFinished(true);
    }
    void abort() override {}
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return m_data.size() - m_pos + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 n = qMin<qint64>(maxSize, m_data.size() - m_pos);
        memcpy(data, m_data.constData() + m_pos, size_t(n));
        m_pos += n;
        return n;
    }

private:
    QByteArray m_data;
    qint64 m_pos = 0;
};

QByteArray envelope(int code, const QJsonObject &content = QJsonObject())
{
    return QJsonDocument(QJsonObject{{"code", code}, {"msg", "test"}, {"content", content}}).toJson();
}

} // namespace

class TstCoordinator : public QObject
{
    Q_OBJECT

private:
    SignedInAuthor m_author{QStringLiteral("13700000077"), kUniqueCode};
    CJobManager *m_jobs = nullptr;
    CUiManager *m_ui = nullptr;
    T_SessionData &m_session = T_SessionData::instance();

    TestHttp api() const { return m_author.api(QStringLiteral("observer0000000000000000000000001")); }

    static QSqlQuery sql(const QString &text)
    {
        QSqlQuery query(QSqlDatabase::database(QStringLiteral("check")));
        query.exec(text);
        return query;
    }

    static int value(const QString &text) { return SignedInAuthor::value(text); }

    // The same from the server's database file.
    int serverValue(const QString &text) const
    {
        int result = -1;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("server"));
            db.setDatabaseName(m_author.server().dataDir() + QStringLiteral("/server.db"));
            if (db.open()) {
                QSqlQuery query(db);
                if (query.exec(text) && query.next())
                    result = query.value(0).toInt();
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("server"));
        return result;
    }

    static QList<int> jobTypes()
    {
        QList<int> types;
        QSqlQuery query = sql(QStringLiteral("select jobType from tb_job order by jobId"));
        while (query.next())
            types << query.value(0).toInt();
        return types;
    }

    // A new book, once it and its first chapter are on the server and the
    // queue is empty.
    static T_Book *onlineBook(const QString &name)
    {
        T_Book *book = SignedInAuthor::onlineBook(name);
        return book && SignedInAuthor::waitIdle() ? book : nullptr;
    }

    QJsonObject serverChapter(const T_Book *book, const T_Chapter *chapter) const
    {
        return api()
            .get("/chapter/chapter", {{"book_id", QString::number(book->bookId)},
                                      {"chapter_id", QString::number(chapter->chapterId)}})
            .json;
    }

    int serverBooksNamed(const QString &name) const
    {
        int n = 0;
        for (const QJsonValue &v : api().get("/books/booksList").content().toArray())
            n += v.toObject().value("book_name").toString() == name ? 1 : 0;
        return n;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_author.start());
        m_jobs = CJobManager::instance();
        m_ui = CUiManager::instance();
    }

    void cleanupTestCase() { m_author.finish(); }

    void bookCreatedOfflineGetsServerIdsEverywhere()
    {
        QVERIFY(m_author.goOffline());
        TC_Books_AddBook req;
        req.bookName = QStringLiteral("长夜");
        T_Book *book = m_jobs->booksAddBook(req);
        QVERIFY(book);
        QCOMPARE(book->chapterList.size(), 1);
        T_Chapter *chapter = book->chapterList.first();
        QCOMPARE(jobTypes(), (QList<int>{JobType_BookAdd, JobType_ChapterAdd}));
        QSqlQuery first = sql("select content,ext1 from tb_job where jobType = 14");
        QVERIFY(first.next());
        QCOMPARE(first.value(0).toString(), QString::fromUtf8("第1章 "));
        QCOMPARE(first.value(1).toInt(), 1);
        first.finish(); // an open read would pin this connection to an old snapshot
        sql(QStringLiteral("insert into tb_memo(uid,localBookId,localChapterId,content) values(%1,%2,%3,'m')")
                .arg(m_author.uid())
                .arg(book->localId)
                .arg(chapter->localId));

        QVERIFY(m_author.goOnline());
        QVERIFY(SignedInAuthor::replay());
        QVERIFY(book->bookId > 0);
        QVERIFY(chapter->chapterId > 0);
        const QString byBook = QStringLiteral(" where localBookId = %1").arg(book->localId);
        QCOMPARE(value("select bookId from tb_book where localId = " + QString::number(book->localId)),
                 book->bookId);
        QCOMPARE(value("select bookId from tb_chapter" + byBook), book->bookId);
        QCOMPARE(value("select chapterId from tb_chapter" + byBook), chapter->chapterId);
        QCOMPARE(value("select bookId from tb_memo" + byBook), book->bookId);
        QCOMPARE(value("select chapterId from tb_memo" + byBook), chapter->chapterId);
        const QJsonArray menu = api()
                                    .get("/chapter/chapterMenu", {{"book_id", QString::number(book->bookId)}})
                                    .object()
                                    .value("menu")
                                    .toArray();
        QCOMPARE(menu.size(), 1);
        QCOMPARE(serverBooksNamed(QStringLiteral("长夜")), 1);
    }

    void savingTwiceOfflineKeepsOneJobWithTheLatestText()
    {
        T_Book *book = onlineBook(QStringLiteral("灯下"));
        QVERIFY(book);
        T_Chapter *chapter = book->chapterList.first();
        QVERIFY(m_author.goOffline());
        for (const QString &text : {QStringLiteral("雨夜。"), QStringLiteral("雨夜，有人敲门。")}) {
            TC_Chapter_Edit save;
            save.localBookId = book->localId;
            save.localChapterId = chapter->localId;
            save.content = text;
            QVERIFY(m_jobs->chapterSaveContent(save));
        }
        QCOMPARE(jobTypes(), (QList<int>{JobType_ChapterEdit}));
        QSqlQuery job = sql("select content from tb_job");
        QVERIFY(job.next());
        QCOMPARE(
            QJsonDocument::fromJson(job.value(0).toString().toUtf8()).object().value("content").toString(),
            QStringLiteral("雨夜，有人敲门。"));
        job.finish();
        QVERIFY(m_author.goOnline());
        QVERIFY(SignedInAuthor::replay());
        QCOMPARE(serverChapter(book, chapter).value("content").toObject().value("content").toString(),
                 QStringLiteral("雨夜，有人敲门。"));
    }

    void networkErrorEndsThePassAndTheNextCheckResends()
    {
        QVERIFY(m_author.goOffline());
        TC_Books_AddBook req;
        req.bookName = QStringLiteral("孤灯");
        QVERIFY(m_jobs->booksAddBook(req));
        for (int attempt = 0; attempt < 2; ++attempt) {
            m_jobs->checkUserJob();
            QTRY_COMPARE_WITH_TIMEOUT(m_ui->syncRunning(), 0, 20000);
            QCOMPARE(jobTypes(), (QList<int>{JobType_BookAdd, JobType_ChapterAdd}));
        }
        QVERIFY(m_author.goOnline());
        QVERIFY(SignedInAuthor::replay());
        QCOMPARE(serverBooksNamed(QStringLiteral("孤灯")), 1);
    }

    void duplicateReplyIsHandledOnce()
    {
        T_Book *book = onlineBook(QStringLiteral("重影"));
        QVERIFY(book);
        QVERIFY(m_author.goOffline());
        TC_Chapter_Create create;
        create.localBookId = book->localId;
        QVERIFY(m_jobs->chapterCreate(create));
        QCOMPARE(create.chapterName, QString::fromUtf8("第2章 "));
        const int jobId = value("select jobId from tb_job where jobType = 14");
        QVERIFY(jobId > 0);
        T_Http_C route = create;
        route.jobId = jobId;
        route.jobType = JobType_ChapterAdd;
        T_Chapter *chapter = CBookJobManager::findChapter(book, create.localChapterId);
        QVERIFY(chapter);
        for (int id : {5001, 6002})
            m_jobs->onGetAsynData(new FakeReply(route, envelope(200, {{"chapter_id", id},
                                                                      {"local_id", chapter->localId},
                                                                      {"book_id", book->bookId}})));
        QCOMPARE(chapter->chapterId, 5001);
        QCOMPARE(
            value("select chapterId from tb_chapter where localId = " + QString::number(chapter->localId)),
            5001);
        QCOMPARE(value("select count(*) from tb_job"), 0);
        QTRY_COMPARE_WITH_TIMEOUT(m_ui->syncRunning(), 0, 20000);
        QVERIFY(m_author.goOnline());
    }

    void answer300KeepsTheJobAndAsksForTheLogin()
    {
        QVERIFY(m_author.goOffline());
        TC_Books_AddBook req;
        req.bookName = QStringLiteral("失效");
        req.fromImport = true; // no first chapter, no direct send
        T_Book *book = m_jobs->booksAddBook(req);
        QVERIFY(book);
        const int jobId = value("select jobId from tb_job");
        m_ui->setSyncRunning(1);
        T_Http_C route;
        route.uid = int(m_author.uid());
        route.jobId = jobId;
        route.jobType = JobType_BookAdd;
        route.localBookId = book->localId;
        route.next = 1;
        m_jobs->onGetAsynData(new FakeReply(route, envelope(300)));
        QCOMPARE(value("select count(*) from tb_job"), 1);
        QVERIFY(m_ui->loginDialog());
        QCOMPARE(m_ui->syncRunning(), 0);
        // Signed in again, the next check sends the kept job.
        QVERIFY(m_author.goOnline());
        QVERIFY(SignedInAuthor::replay());
        QVERIFY(book->bookId > 0);
    }

    void refusedAndOwnerlessJobsAreDeletedAndTheChainGoesOn()
    {
        T_Book *book = onlineBook(QStringLiteral("拒绝"));
        QVERIFY(book);
        CQuorvinDb *db = CQuorvinDb::instance();
        T_Http_C refused;
        refused.uid = int(m_author.uid());
        refused.localBookId = book->localId;
        refused.bookId = book->bookId;
        refused.localChapterId = 99999;
        refused.chapterId = 999999;
        refused.jobType = JobType_ChapterDelete;
        QVERIFY(db->addJob(refused, QString(), db->currentTime()));
        for (int type : {99, int(JobType_BookInfo), int(JobType_AuthorInfo)}) {
            T_Http_C ownerless;
            ownerless.uid = int(m_author.uid());
            ownerless.jobType = type;
            QVERIFY(db->insertJob(ownerless, QString(), db->currentTime()));
        }
        T_Http_C edit;
        edit.uid = int(m_author.uid());
        edit.localBookId = book->localId;
        edit.bookId = book->bookId;
        edit.jobType = JobType_BookEdit;
        QVERIFY(db->addJob(edit, QStringLiteral("{\"bookName\":\"拒绝\",\"intro\":\"新简介\"}"),
                           db->currentTime()));
        QVERIFY(SignedInAuthor::replay());
        QCOMPARE(api()
                     .get("/books/bookinfo", {{"book_id", QString::number(book->bookId)}})
                     .object()
                     .value("intro"),
                 QJsonValue(QStringLiteral("新简介")));
    }

    void deleteForGoodAfterUnsentEditsLeavesOnlyTheDelete()
    {
        T_Book *book = onlineBook(QStringLiteral("删章"));
        QVERIFY(book);
        T_Chapter *chapter = book->chapterList.first();
        const int chapterId = chapter->chapterId;
        const int localChapterId = chapter->localId;
        QCOMPARE(serverChapter(book, chapter).value("code").toInt(), 200);
        QVERIFY(m_author.goOffline());
        TC_Chapter_Edit rename;
        rename.localBookId = book->localId;
        rename.localChapterId = localChapterId;
        rename.chapterName = QStringLiteral("新名");
        QVERIFY(m_jobs->chapterRename(rename));
        QVERIFY(!m_jobs->chapterRename(rename)); // unchanged: nothing
        for (const QString &text : {QStringLiteral("草稿一"), QStringLiteral("草稿二")}) {
            TC_Chapter_Edit save;
            save.localBookId = book->localId;
            save.localChapterId = localChapterId;
            save.content = text;
            QVERIFY(m_jobs->chapterSaveContent(save));
        }
        TC_Chapter_Recycle recycle;
        recycle.localBookId = book->localId;
        recycle.localChapterId = localChapterId;
        recycle.status = 0;
        QVERIFY(m_jobs->chapterRecycle(recycle));
        QCOMPARE(jobTypes(), (QList<int>{JobType_ChapterEdit, JobType_ChapterRecycle}));

        TC_Chapter_Del del;
        del.localBookId = book->localId;
        del.localChapterId = localChapterId;
        QVERIFY(m_jobs->chapterDelete(del));
        QCOMPARE(jobTypes(), (QList<int>{JobType_ChapterDelete}));
        QCOMPARE(value("select chapterId from tb_job"), chapterId);
        QCOMPARE(value("select count(*) from tb_chapter where localId = " + QString::number(localChapterId)),
                 0);
        QVERIFY(book->chapterList.isEmpty() && book->recycleList.isEmpty());

        QVERIFY(m_author.goOnline());
        QVERIFY(SignedInAuthor::replay());
        const QJsonArray menu = api()
                                    .get("/chapter/chapterMenu", {{"book_id", QString::number(book->bookId)}})
                                    .object()
                                    .value("menu")
                                    .toArray();
        QCOMPARE(menu.size(), 0);
        QCOMPARE(api()
                     .get("/chapter/chapter", {{"book_id", QString::number(book->bookId)},
                                               {"chapter_id", QString::number(chapterId)}})
                     .code(),
                 404);
    }

    // Changes sent at once while other requests about the same job or object
    // are on their way: each reaches the server once, in order, and the
    // newest content is what the server keeps.
    void moveSentAtOnceDuringAReplayIsSentOnce()
    {
        T_Book *book = onlineBook(QStringLiteral("一次"));
        QVERIFY(book);
        for (int i = 0; i < 2; ++i) {
            TC_Chapter_Create create;
            create.localBookId = book->localId;
            QVERIFY(m_jobs->chapterCreate(create));
        }
        QVERIFY(SignedInAuthor::waitIdle());
        QCOMPARE(book->chapterList.size(), 3);
        T_Chapter *first = book->chapterList.first();
        TC_Chapter_Move move;
        move.localBookId = book->localId;
        move.localChapterId = first->localId;
        move.direction = 2;
        QVERIFY(m_jobs->chapterMove(move)); // sent at once
        m_jobs->checkUserJob();             // a replay finds the same job queued
        QVERIFY(SignedInAuthor::waitIdle());
        QCOMPARE(serverChapter(book, first).value("content").toObject().value("order_num").toInt(), 2);
        QCOMPARE(serverChapter(book, book->chapterList.first())
                     .value("content")
                     .toObject()
                     .value("order_num")
                     .toInt(),
                 1);
    }

    void secondSaveWhileTheFirstIsOnItsWayEndsWithTheLatestText()
    {
        T_Book *book = onlineBook(QStringLiteral("两存"));
        QVERIFY(book);
        T_Chapter *chapter = book->chapterList.first();
        for (const QString &text : {QStringLiteral("旧稿"), QStringLiteral("新稿")}) {
            TC_Chapter_Edit save;
            save.localBookId = book->localId;
            save.localChapterId = chapter->localId;
            save.content = text;
            QVERIFY(m_jobs->chapterSaveContent(save));
        }
        QVERIFY(SignedInAuthor::waitIdle());
        QCOMPARE(serverChapter(book, chapter).value("content").toObject().value("content").toString(),
                 QStringLiteral("新稿"));
    }

    void memoDeletedWhileItsCreationIsOnItsWayIsDeletedThere()
    {
        const int adds = m_author.server().output().count(QStringLiteral("/memo/addMemo"));
        const int deletes = m_author.server().output().count(QStringLiteral("/memo/delMemo"));
        TC_Memo_Add add;
        add.content = QStringLiteral("转瞬即逝");
        add.color = QStringLiteral("#FFE58F");
        QVERIFY(m_jobs->memoAdd(add)); // sent at once
        QVERIFY(add.localMemoId > 0);
        TC_Memo_Del del;
        del.localMemoId = add.localMemoId;
        QVERIFY(m_jobs->memoDel(del)); // before the creation is answered
        QVERIFY(QTest::qWaitFor(
            [&] {
                const QString log = m_author.server().output();
                return log.count(QStringLiteral("/memo/addMemo")) > adds &&
                       log.count(QStringLiteral("/memo/delMemo")) > deletes;
            },
            20000));
        QVERIFY(SignedInAuthor::waitIdle());
        for (const QJsonValue &v : api().get("/memo/memoList").content().toArray())
            QVERIFY(v.toObject().value("content").toString() != QStringLiteral("转瞬即逝"));
    }

    // Many chapters go in several requests, and so do long ones: together
    // they would be above the server's body limit.
    void importedBookReachesTheServerInBatches_data()
    {
        QTest::addColumn<int>("chapters");
        QTest::addColumn<int>("lines"); // of 100 characters each
        QTest::newRow("many short chapters") << 45 << 0;
        QTest::newRow("long chapters") << 3 << 7000;
    }

    void importedBookReachesTheServerInBatches()
    {
        QFETCH(int, chapters);
        QFETCH(int, lines);
        QTemporaryDir dir;
        const QString name = QStringLiteral("导入%1").arg(chapters);
        const QString path = dir.filePath(name + QStringLiteral(".txt"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QByteArray line = QString(100, QChar(0x6C34)).toUtf8() + '\n';
        for (int i = 1; i <= chapters; ++i) {
            file.write(QStringLiteral("第%1章 题\n正文%1\n").arg(i).toUtf8());
            for (int l = 0; l < lines; ++l)
                file.write(line);
        }
        file.close();
        TC_Books_AddBook req;
        req.filePath = path;
        QCOMPARE(m_jobs->booksImport(req), 200);
        T_Book *book = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((book = m_session.books.isEmpty() ? nullptr : m_session.books.first()) &&
                                     book->bookName == name && book->chapterList.size() == chapters,
                                 20000);
        QTRY_VERIFY_WITH_TIMEOUT(book->bookId > 0 && !book->isImporting, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(value("select count(*) from tb_job"), 0, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(value("select count(*) from tb_chapter where chapterId = 0"), 0, 20000);
        QVERIFY(book->chapterList.last()->chapterId > 0);
        QCOMPARE(api()
                     .get("/chapter/chapterMenu", {{"book_id", QString::number(book->bookId)}})
                     .object()
                     .value("menu")
                     .toArray()
                     .size(),
                 chapters);
        const QString lengths = QStringLiteral("select sum(length(content)) from %1 where %2 = %3");
        QCOMPARE(value(lengths.arg("tb_chapter", "localBookId").arg(book->localId)),
                 serverValue(lengths.arg("chapters", "book_id").arg(book->bookId)));
        QVERIFY(value(lengths.arg("tb_chapter", "localBookId").arg(book->localId)) > chapters * lines * 100);
    }

    void facadeRefusesMissingLocalIds()
    {
        TC_Chapter_Edit save;
        save.localBookId = 1;
        QTest::ignoreMessage(QtWarningMsg, "chapterSaveContent localBookId or localChapterId = 0");
        QVERIFY(!m_jobs->chapterSaveContent(save));
        TC_Books_Delete del;
        QTest::ignoreMessage(QtWarningMsg, "booksDelete localBookId = 0");
        QVERIFY(!m_jobs->booksDelete(del));
        TC_Chapter_Create create;
        create.localBookId = 123456; // no such book
        QVERIFY(!m_jobs->chapterCreate(create));
    }

    void startUpRestoresTheAuthorAndReplays()
    {
        CQuorvinDb *db = CQuorvinDb::instance();
        QVERIFY(db->setLastUser(int(m_author.uid())));
        QVERIFY(m_author.goOffline());
        TC_Books_AddBook req;
        req.bookName = QStringLiteral("重启");
        QVERIFY(m_jobs->booksAddBook(req));
        QVERIFY(!jobTypes().isEmpty());
        QVERIFY(m_author.goOnline());

        m_session.clearBooks();
        m_session.author = TS_Author_Info();
        CQuorvinHttp::instance()->clearIdentity();
        QVERIFY(m_jobs->init());
        QCOMPARE(m_session.author.uid, int(m_author.uid()));
        QCOMPARE(m_session.author.token, m_author.token());
        QVERIFY(m_ui->mainWindow());
        QVERIFY(!m_session.books.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(value("select count(*) from tb_job"), 0, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(m_ui->syncRunning(), 0, 20000);
        QCOMPARE(serverBooksNamed(QStringLiteral("重启")), 1);
        // Reference data newer on the server were fetched and stored.
        const int cateVersion = api().get("/synchronization/synData").object().value("cateVersion").toInt();
        QVERIFY(cateVersion > 0);
        QTRY_COMPARE_WITH_TIMEOUT(value("select cateVersion from tb_sys"), cateVersion, 20000);
        QVERIFY(value("select count(*) from tb_cate") > 0);
        QVERIFY(m_jobs->uninit());
    }
};

QUORVIN_TEST_MAIN(TstCoordinator)
#include "tst_coordinator.moc"
