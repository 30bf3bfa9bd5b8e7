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
#include "signedinauthor.h"
#include "testappdir.h"
#include "testmain.h"
#include "testserver.h"

#include <QDate>
#include <QElapsedTimer>
#include <QImage>
#include <QJsonArray>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTcpServer>

namespace {

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
    SignedInAuthor m_author{QStringLiteral("13700000012"), kUniqueCode};
    CJobManager *m_jobs = nullptr;
    CUiManager *m_ui = nullptr;
    T_SessionData &m_session = T_SessionData::instance();

    TestHttp api() const { return m_author.api(QStringLiteral("observer0000000000000000000000012")); }

    static int value(const QString &text) { return SignedInAuthor::value(text); }

    // Every row of the tables a change and its job touch, as text.
    static QString storedState()
    {
        QString state;
        for (const char *table : {"tb_book", "tb_chapter", "tb_contentblade", "tb_memo", "tb_job"}) {
            QSqlQuery q(QSqlDatabase::database(QStringLiteral("check")));
            if (!q.exec(QStringLiteral("select * from %1 order by rowid").arg(QLatin1String(table))))
                return QStringLiteral("cannot read ") + QLatin1String(table);
            while (q.next()) {
                for (int i = 0; i < q.record().count(); ++i)
                    state += q.value(i).toString() + QLatin1Char('|');
                state += QLatin1Char('\n');
            }
        }
        return state;
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
                         .arg(m_author.uid())
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
        if (!QTest::qWaitFor([&] { return SignedInAuthor::waitIdle(); }, 20000) ||
            !m_jobs->memoEditLocation(pin, 10, 20) || !SignedInAuthor::waitIdle())
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
        QVERIFY(m_author.start());
        m_jobs = CJobManager::instance();
        m_ui = CUiManager::instance();
    }

    void cleanupTestCase() { m_author.finish(); }

    // A local change and the job that sends it are stored together: when
    // the job cannot be written, the change is not kept either (it would
    // otherwise never reach the server).
    void aChangeIsNeverStoredWithoutItsJob_data()
    {
        QTest::addColumn<QString>("change");
        for (const char *change :
             {"rename", "snapshot", "new chapter", "move", "recycle", "restore", "delete", "book edit",
              "book delete", "new book", "memo add", "memo edit", "memo delete"})
            QTest::newRow(change) << QString::fromLatin1(change);
    }

    void aChangeIsNeverStoredWithoutItsJob()
    {
        QFETCH(QString, change);
        T_Book *book = onlineBook(QStringLiteral("同存") + change);
        QVERIFY(book);
        TC_Chapter_Create second;
        second.localBookId = book->localId;
        second.chapterName = QStringLiteral("第2章 次");
        QVERIFY(m_jobs->chapterCreate(second));
        T_Chapter *chapter = book->chapterList.first();
        if (change == QLatin1String("restore")) {
            TC_Chapter_Recycle recycle;
            recycle.localBookId = book->localId;
            recycle.localChapterId = chapter->localId;
            QVERIFY(m_jobs->chapterRecycle(recycle));
        }
        int localMemoId = 0;
        if (change.startsWith(QLatin1String("memo ")) && change != QLatin1String("memo add")) {
            TC_Memo_Add add;
            add.content = QStringLiteral("备忘");
            add.color = QStringLiteral("#FFE58F");
            QVERIFY(m_jobs->memoAdd(add));
            localMemoId = add.localMemoId;
        }
        QVERIFY(SignedInAuthor::waitIdle());
        const int localBookId = book->localId, books = m_session.books.size(), memos = m_session.memos.size();
        const int chapters = book->chapterList.size(), recycled = book->recycleList.size();
        const QString name = chapter->name, bookName = book->bookName;
        const QString before = storedState();

        value(QStringLiteral("create trigger no_job before insert on tb_job begin select raise(abort, "
                             "'the disk is full'); end"));
        bool done = true;
        if (change == QLatin1String("rename")) {
            TC_Chapter_Edit edit;
            edit.localBookId = book->localId;
            edit.localChapterId = chapter->localId;
            edit.chapterName = QStringLiteral("新名");
            done = m_jobs->chapterRename(edit);
        } else if (change == QLatin1String("snapshot")) {
            TC_Chapter_ContentBlade blade;
            blade.localBookId = book->localId;
            blade.localChapterId = chapter->localId;
            blade.content = QStringLiteral("快照的字");
            done = CBookJobManager::instance()->chapter_contentBlade(blade);
        } else if (change == QLatin1String("new chapter")) {
            TC_Chapter_Create create;
            create.localBookId = book->localId;
            create.chapterName = QStringLiteral("新章");
            done = m_jobs->chapterCreate(create);
        } else if (change == QLatin1String("move")) {
            TC_Chapter_Move move;
            move.localBookId = book->localId;
            move.localChapterId = chapter->localId;
            move.direction = 2;
            done = m_jobs->chapterMove(move);
        } else if (change == QLatin1String("recycle") || change == QLatin1String("restore")) {
            TC_Chapter_Recycle recycle;
            recycle.localBookId = book->localId;
            recycle.localChapterId = chapter->localId;
            recycle.status = change == QLatin1String("restore") ? 1 : 0;
            done = m_jobs->chapterRecycle(recycle);
        } else if (change == QLatin1String("delete")) {
            TC_Chapter_Del del;
            del.localBookId = book->localId;
            del.localChapterId = chapter->localId;
            done = m_jobs->chapterDelete(del);
        } else if (change == QLatin1String("book edit")) {
            TC_Books_Edit edit;
            edit.localBookId = book->localId;
            edit.bookName = QStringLiteral("改过的书名");
            edit.intro = QStringLiteral("新简介");
            done = m_jobs->booksEdit(edit);
        } else if (change == QLatin1String("book delete")) {
            TC_Books_Delete del;
            del.localBookId = book->localId;
            done = m_jobs->booksDelete(del);
        } else if (change == QLatin1String("new book")) {
            TC_Books_AddBook add;
            add.bookName = QStringLiteral("存不下的书");
            done = m_jobs->booksAddBook(add) != nullptr;
        } else if (change == QLatin1String("memo add")) {
            TC_Memo_Add add;
            add.content = QStringLiteral("存不下的备忘");
            add.color = QStringLiteral("#FFE58F");
            done = m_jobs->memoAdd(add);
        } else if (change == QLatin1String("memo edit")) {
            TC_Memo_Edit edit;
            edit.localMemoId = localMemoId;
            edit.content = QStringLiteral("改过的备忘");
            done = m_jobs->memoEditContent(edit);
        } else if (change == QLatin1String("memo delete")) {
            TC_Memo_Del del;
            del.localMemoId = localMemoId;
            done = m_jobs->memoDel(del);
        }
        value(QStringLiteral("drop trigger no_job"));
        QVERIFY(!done);
        // Not a row changed, and memory still shows what the store holds.
        QCOMPARE(storedState(), before);
        QCOMPARE(m_session.books.size(), books);
        QCOMPARE(m_session.memos.size(), memos);
        book = nullptr;
        for (T_Book *present : m_session.books)
            if (present->localId == localBookId)
                book = present;
        QVERIFY(book);
        QCOMPARE(book->chapterList.size(), chapters);
        QCOMPARE(book->recycleList.size(), recycled);
        QCOMPARE(book->bookName, bookName);
        QCOMPARE(chapter->name, name);
    }

    // Text written offline, then a rename online: the rename goes at once
    // and must carry the text too.
    void renameSentAtOnceCarriesTheUnsentText()
    {
        T_Book *book = onlineBook(QStringLiteral("改名"));
        QVERIFY(book);
        T_Chapter *chapter = book->chapterList.first();
        QVERIFY(m_author.goOffline());
        TC_Chapter_Edit save;
        save.localBookId = book->localId;
        save.localChapterId = chapter->localId;
        save.content = QStringLiteral("离线写下的一整段。");
        QVERIFY(m_jobs->chapterSaveContent(save));
        QTRY_COMPARE_WITH_TIMEOUT(m_ui->syncRunning(), 0, 20000);
        QVERIFY(m_author.goOnline());
        TC_Chapter_Edit rename;
        rename.localBookId = book->localId;
        rename.localChapterId = chapter->localId;
        rename.chapterName = QStringLiteral("第1章 归来");
        QVERIFY(m_jobs->chapterRename(rename));
        QVERIFY(SignedInAuthor::waitIdle());
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
        QVERIFY(SignedInAuthor::waitIdle());
        const int memoId = memoServerId(add.localMemoId);
        QVERIFY(memoId > 0);
        QVERIFY(m_author.goOffline());
        TC_Memo_Edit edit;
        edit.localMemoId = add.localMemoId;
        edit.content = QStringLiteral("离线改过的备忘");
        QVERIFY(m_jobs->memoEditContent(edit));
        QTRY_COMPARE_WITH_TIMEOUT(m_ui->syncRunning(), 0, 20000);
        QVERIFY(m_author.goOnline());
        edit.color = QStringLiteral("#B7EB8F");
        QVERIFY(m_jobs->memoEditColor(edit));
        QVERIFY(SignedInAuthor::waitIdle());
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
        QVERIFY(m_author.goOffline());
        TC_Books_Edit edit;
        edit.localBookId = book->localId;
        edit.bookName = book->bookName;
        edit.localCover = cover;
        QVERIFY(m_jobs->booksEdit(edit));
        QTRY_COMPARE_WITH_TIMEOUT(m_ui->syncRunning(), 0, 20000);
        QVERIFY(m_author.goOnline());
        TC_Books_Edit intro;
        intro.localBookId = book->localId;
        intro.bookName = book->bookName;
        intro.intro = QStringLiteral("新的简介");
        QVERIFY(m_jobs->booksEdit(intro));
        QVERIFY(SignedInAuthor::waitIdle());
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
        QVERIFY(m_author.goOffline());
        saveWords(100);
        QTRY_COMPARE_WITH_TIMEOUT(m_ui->syncRunning(), 0, 20000);
        QVERIFY(m_author.goOnline());
        saveWords(50);
        QVERIFY(SignedInAuthor::waitIdle());
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
        QVERIFY(m_author.goOffline());
        saveWords(40);
        QTRY_COMPARE_WITH_TIMEOUT(m_ui->syncRunning(), 0, 20000);
        QVERIFY(m_author.goOnline());
        TC_AuthorCount_UserData fetch;
        fetch.uid = int(m_author.uid());
        fetch.jobType = JobType_StatisticsFetch;
        CQuorvinHttp::instance()->authorCountUserDataAsyn(fetch);
        QTRY_COMPARE_WITH_TIMEOUT(localWordsToday(), 220, 20000);
        QVERIFY(SignedInAuthor::replay());
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
        QVERIFY(m_author.goOffline());
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
        QVERIFY(m_author.goOnline());
        QVERIFY(SignedInAuthor::replay());
        QCOMPARE(serverMemo(memoId).value("content").toString(), QStringLiteral("钉住后又改了"));
    }

    // Whatever the server answers is a refusal, not a network failure: the
    // author is told, refused text is kept as a snapshot, the queue goes on.
    void refusalsAreToldKeptAndTheQueueGoesOn_data()
    {
        QTest::addColumn<bool>("tooLarge");
        QTest::addColumn<QString>("why");
        QTest::newRow("text too large (HTTP 413)")
            << true << QStringLiteral("larger than this server accepts");
        QTest::newRow("name refused") << false << QStringLiteral("章节名过长");
    }

    void refusalsAreToldKeptAndTheQueueGoesOn()
    {
        QFETCH(bool, tooLarge);
        QFETCH(QString, why);
        T_Book *book = onlineBook(tooLarge ? QStringLiteral("太长") : QStringLiteral("名长"));
        QVERIFY(book);
        T_Chapter *chapter = book->chapterList.first();
        const QString chapterName = chapter->name;
        QVERIFY(m_author.goOffline());
        // 17 MB on the wire once percent-encoded, above the server's 16 MB.
        const QString text = QString(1900000, QChar(0x4E00));
        TC_Chapter_Edit change;
        change.localBookId = book->localId;
        change.localChapterId = chapter->localId;
        if (tooLarge) {
            change.content = text;
            QVERIFY(m_jobs->chapterSaveContent(change));
        } else {
            change.chapterName = QString(120, QChar(0x540D));
            QVERIFY(m_jobs->chapterRename(change));
        }
        TC_Books_Edit after;
        after.localBookId = book->localId;
        after.bookName = book->bookName;
        after.intro = QStringLiteral("排在被拒之后");
        QVERIFY(m_jobs->booksEdit(after));
        QTRY_COMPARE_WITH_TIMEOUT(m_ui->syncRunning(), 0, 20000);

        QStringList tips;
        auto connection =
            connect(m_ui, &CUiManager::sig_TipShown, this, [&tips](const QString &tip, int type) {
                // Refusals only: a send that met the server still down is told apart.
                if (type == 0 && tip.contains(QLatin1String("could not be saved")))
                    tips << tip;
            });
        QVERIFY(m_author.goOnline());
        QVERIFY(SignedInAuthor::replay());
        disconnect(connection);
        QCOMPARE(api()
                     .get("/books/bookinfo", {{"book_id", QString::number(book->bookId)}})
                     .object()
                     .value("intro")
                     .toString(),
                 QStringLiteral("排在被拒之后"));
        QVERIFY2(tips.size() == 1, qPrintable(tips.join(QLatin1String(" | "))));
        QVERIFY2(tips.first().contains(book->bookName) && tips.first().contains(why),
                 qPrintable(tips.first()));
        if (tooLarge) {
            QVERIFY2(tips.first().contains(chapterName), qPrintable(tips.first()));
            QList<T_ContentBlade> snapshots;
            QVERIFY(CQuorvinDb::instance()->getContentBlades(chapter->localId, snapshots));
            QCOMPARE(snapshots.size(), 1);
            QCOMPARE(snapshots.first().content.size(), text.size());
        }
    }

    // Deleting a book while its import thread still hands over chapters is
    // refused with a tip (it freed the book under the thread before); once
    // the import is done the book goes, with every row and job of it.
    void deletingABookWhileItIsImportedWaitsForTheImport()
    {
        QVERIFY(m_author.goOffline());
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("长篇.txt"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        for (int i = 1; i <= 20000; ++i)
            file.write(QStringLiteral("第%1章 题\n正文%1\n").arg(i).toUtf8());
        file.close();
        QStringList tips;
        auto connection =
            connect(m_ui, &CUiManager::sig_TipShown, this, [&tips](const QString &tip, int type) {
                if (type == 0)
                    tips << tip;
            });
        TC_Books_AddBook req;
        req.filePath = path;
        QCOMPARE(m_jobs->booksImport(req), 200);
        T_Book *book = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((book = m_session.books.isEmpty() ? nullptr : m_session.books.first()) &&
                                     book->bookName == QStringLiteral("长篇"),
                                 20000);
        const int localBookId = book->localId;
        TC_Books_Delete del;
        del.localBookId = localBookId;
        QVERIFY(!m_jobs->booksDelete(del));
        disconnect(connection);
        QCOMPARE(tips.size(), 1);
        QVERIFY2(tips.first().contains(QStringLiteral("长篇")), qPrintable(tips.first()));
        QTRY_VERIFY_WITH_TIMEOUT(!m_ui->importRunning(), 120000);
        QCOMPARE(book->chapterList.size(), 20000);
        QVERIFY(m_jobs->booksDelete(del));
        const QString of = QStringLiteral(" where localBookId = %1").arg(localBookId);
        QCOMPARE(value("select count(*) from tb_chapter" + of), 0);
        // The book's creation went out (and failed): it stays, with the delete behind it.
        QCOMPARE(value("select count(*) from tb_job" + of + " and jobType not in (8, 11)"), 0);
        QVERIFY(m_author.goOnline());
        QVERIFY(SignedInAuthor::replay());
    }

    // A creation that went out and got no answer may still have reached the
    // server. Deleting the object then keeps the creation queued with the
    // delete behind it: the creation's (idempotent) answer brings the
    // server id, and the delete removes the object there too.
    void deletedAfterItsCreationWentOutIsDeletedThere_data()
    {
        QTest::addColumn<bool>("wholeBook");
        QTest::newRow("book") << true;
        QTest::newRow("chapter") << false;
    }

    void deletedAfterItsCreationWentOutIsDeletedThere()
    {
        QFETCH(bool, wholeBook);
        T_Book *book = wholeBook ? nullptr : onlineBook(QStringLiteral("章亡"));
        QVERIFY(wholeBook || book);
        QVERIFY(m_author.goOffline());
        const QString name = wholeBook ? QStringLiteral("书亡") : QStringLiteral("第2章 亡");
        TC_Chapter_Create create;
        if (wholeBook) {
            TC_Books_AddBook add;
            add.bookName = name;
            book = m_jobs->booksAddBook(add); // sent at once, fails
            QVERIFY(book);
        } else {
            create.localBookId = book->localId;
            create.chapterName = name;
            create.order_num = 2;
            QVERIFY(m_jobs->chapterCreate(create)); // sent at once, fails
        }
        QTRY_COMPARE_WITH_TIMEOUT(m_ui->syncRunning(), 0, 20000);
        QVERIFY(m_author.goOnline());
        // What the lost request did on the server.
        TestHttp client = api();
        client.setUniqueCode(kUniqueCode);
        const TestHttpReply created =
            wholeBook
                ? client.post("/books/addBook",
                              {{"book_name", name}, {"local_id", QString::number(book->localId)}})
                : client.post("/chapter/createChapter", {{"book_id", QString::number(book->bookId)},
                                                         {"local_id", QString::number(create.localChapterId)},
                                                         {"chapter_name", name},
                                                         {"order_num", "2"}});
        QCOMPARE(created.code(), 200);
        const int bookId = wholeBook ? created.object().value("book_id").toInt() : book->bookId;
        if (wholeBook) {
            TC_Books_Delete del;
            del.localBookId = book->localId;
            QVERIFY(m_jobs->booksDelete(del));
        } else {
            TC_Chapter_Del del;
            del.localBookId = book->localId;
            del.localChapterId = create.localChapterId;
            QVERIFY(m_jobs->chapterDelete(del));
        }
        QVERIFY(SignedInAuthor::replay());
        if (wholeBook) {
            for (const QJsonValue &v : api().get("/books/booksList").content().toArray())
                QVERIFY(v.toObject().value("book_name").toString() != name);
        } else {
            const QJsonArray menu = api()
                                        .get("/chapter/chapterMenu", {{"book_id", QString::number(bookId)}})
                                        .object()
                                        .value("menu")
                                        .toArray();
            for (const QJsonValue &v : menu)
                QVERIFY(v.toObject().value("chapter_name").toString() != name);
            QCOMPARE(menu.size(), 1);
        }
    }

    // A chapter of an imported book deleted here before the batch that
    // creates it went out, or while the batch was out: the batch still
    // creates it on the server, and its answer queues the delete.
    void chapterOfAnImportBatchDeletedHereIsDeletedThere_data()
    {
        QTest::addColumn<bool>("whileOut");
        QTest::newRow("before the batch went out") << false;
        QTest::newRow("while the batch was out") << true;
    }

    void chapterOfAnImportBatchDeletedHereIsDeletedThere()
    {
        QFETCH(bool, whileOut);
        QVERIFY(m_author.goOffline());
        QTemporaryDir dir;
        const QString bookName = whileOut ? QStringLiteral("批中删") : QStringLiteral("批前删");
        QFile file(dir.filePath(bookName + QStringLiteral(".txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("第1章 一\n正文一\n第2章 二\n正文二\n第3章 三\n正文三\n").toUtf8());
        file.close();
        TC_Books_AddBook req;
        req.filePath = file.fileName();
        QCOMPARE(m_jobs->booksImport(req), 200);
        T_Book *book = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((book = m_session.books.isEmpty() ? nullptr : m_session.books.first()) &&
                                     book->bookName == bookName,
                                 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!m_ui->importRunning(), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(m_ui->syncRunning(), 0, 20000);
        QCOMPARE(book->chapterList.size(), 3);
        const T_Chapter *doomed = book->chapterList.at(1);
        const QString doomedName = doomed->name;
        TC_Chapter_Del del;
        del.localBookId = book->localId;
        del.localChapterId = doomed->localId;
        const int batchJob =
            value(QStringLiteral("select jobId from tb_job where jobType = %1 and localBookId = %2")
                      .arg(int(JobType_ChapterBatchAdd))
                      .arg(book->localId));
        QVERIFY(batchJob > 0);
        bool deletedWhileOut = false;
        QMetaObject::Connection connection;
        if (whileOut) {
            // Runs after the coordinator's handler of each answer: the
            // book's answer sends the batch, whose own answer is still to come.
            connection = connect(CQuorvinHttp::instance(), &CQuorvinHttp::sigGetAsynData, this, [&] {
                if (deletedWhileOut || !m_jobs->wasSent(batchJob) ||
                    value(QStringLiteral("select count(*) from tb_job where jobId = %1").arg(batchJob)) != 1)
                    return;
                deletedWhileOut = m_jobs->chapterDelete(del);
            });
        } else {
            QVERIFY(m_jobs->chapterDelete(del));
        }
        QVERIFY(m_author.goOnline());
        QVERIFY(SignedInAuthor::replay());
        disconnect(connection);
        QCOMPARE(deletedWhileOut, whileOut);
        QVERIFY(book->bookId > 0);
        const QJsonArray menu = api()
                                    .get("/chapter/chapterMenu", {{"book_id", QString::number(book->bookId)}})
                                    .object()
                                    .value("menu")
                                    .toArray();
        for (const QJsonValue &v : menu)
            QVERIFY2(v.toObject().value("chapter_name").toString() != doomedName, qPrintable(doomedName));
        QCOMPARE(menu.size(), 2);
    }

    // A chapter creation queued by an earlier run, whose request reached
    // the server but whose answer was lost, then the chapter deleted here in
    // this run before the replay got to it: the creation stays queued with
    // the delete behind it, and the chapter goes from the server too.
    void deletedAfterAnEarlierRunSentItsCreationIsDeletedThere()
    {
        const T_Book *book = onlineBook(QStringLiteral("前次"));
        QVERIFY(book);
        const int localBookId = book->localId;
        const int bookId = book->bookId;
        QVERIFY(m_author.goOffline());
        // At the head of the queue: the replay at start-up fails on it and
        // never reaches the creation.
        TC_Books_Edit edit;
        edit.localBookId = localBookId;
        edit.bookName = book->bookName;
        edit.intro = QStringLiteral("前次的简介");
        QVERIFY(m_jobs->booksEdit(edit));
        QTRY_COMPARE_WITH_TIMEOUT(m_ui->syncRunning(), 0, 20000);
        // What the earlier run stored and queued.
        CQuorvinDb *db = CQuorvinDb::instance();
        const QString name = QStringLiteral("第2章 前次");
        T_Chapter chapter;
        chapter.localBookId = localBookId;
        chapter.bookId = bookId;
        chapter.name = name;
        chapter.orderNum = 2;
        chapter.createTime = db->currentTime();
        QVERIFY(db->insertChapterWithContent(chapter));
        T_Http_C creation;
        creation.uid = int(m_author.uid());
        creation.jobType = JobType_ChapterAdd;
        creation.localBookId = localBookId;
        creation.bookId = bookId;
        creation.localChapterId = chapter.localId;
        QVERIFY(db->addJob(creation, name, db->currentTime(), 2));
        // What its request did on the server.
        QVERIFY(m_author.goOnline());
        TestHttp client = api();
        client.setUniqueCode(kUniqueCode);
        QCOMPARE(client
                     .post("/chapter/createChapter", {{"book_id", QString::number(bookId)},
                                                      {"local_id", QString::number(chapter.localId)},
                                                      {"chapter_name", name},
                                                      {"order_num", "2"}})
                     .code(),
                 200);
        QVERIFY(m_author.goOffline());

        // This run.
        QVERIFY(db->setLastUser(int(m_author.uid())));
        m_session.clearBooks();
        m_session.author = TS_Author_Info();
        CQuorvinHttp::instance()->clearIdentity();
        QVERIFY(m_jobs->init());
        QTRY_COMPARE_WITH_TIMEOUT(m_ui->syncRunning(), 0, 20000);
        QVERIFY(!m_jobs->wasSent(creation.jobId));
        T_Book *again = nullptr;
        for (T_Book *b : qAsConst(m_session.books))
            if (b->localId == localBookId)
                again = b;
        QVERIFY(again);
        QVERIFY(again->isChaptersLoaded || db->getChapters(*again));
        TC_Chapter_Del del;
        del.localBookId = localBookId;
        del.localChapterId = chapter.localId;
        QVERIFY(m_jobs->chapterDelete(del));
        QCOMPARE(value(QStringLiteral("select count(*) from tb_job where jobId = %1").arg(creation.jobId)),
                 1);

        QVERIFY(m_author.goOnline());
        QVERIFY(SignedInAuthor::replay());
        const QJsonArray menu = api()
                                    .get("/chapter/chapterMenu", {{"book_id", QString::number(bookId)}})
                                    .object()
                                    .value("menu")
                                    .toArray();
        for (const QJsonValue &v : menu)
            QVERIFY(v.toObject().value("chapter_name").toString() != name);
        QCOMPARE(menu.size(), 1);
        QVERIFY(m_jobs->uninit());
    }

    // Start-up against a server that accepts connections and never answers:
    // the main window comes from the local data at once (the version check
    // of the reference data used to hold it for the whole request time-out).
    void firstWindowDoesNotWaitForTheServer()
    {
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        CQuorvinHttp *http = CQuorvinHttp::instance();
        QVERIFY(CQuorvinDb::instance()->setLastUser(int(m_author.uid())));
        http->setSyncTimeout(120000);
        http->setAsynIdleTimeout(2000);
        QVERIFY(http->setBaseUrl(QStringLiteral("http://127.0.0.1:%1").arg(silent.serverPort())));
        m_session.clearBooks();
        m_session.author = TS_Author_Info();
        http->clearIdentity();

        QElapsedTimer started;
        started.start();
        QVERIFY(m_jobs->init());
        const qint64 elapsed = started.elapsed();
        QVERIFY(m_ui->mainWindow());
        QCOMPARE(m_session.author.uid, int(m_author.uid()));
        // Far below the 120 s a blocking request would take.
        QVERIFY2(elapsed < 60000, qPrintable(QString::number(elapsed)));
        QTRY_COMPARE_WITH_TIMEOUT(m_ui->syncRunning(), 0, 60000);

        http->setSyncTimeout(0);
        http->setAsynIdleTimeout(0);
        QVERIFY(http->setBaseUrl(m_author.server().baseUrl()));
        QVERIFY(m_jobs->uninit());
    }

    // A profile change the server refuses leaves the queue like any other.
    void refusedProfileJobDoesNotHoldTheQueue()
    {
        T_Book *book = onlineBook(QStringLiteral("资料"));
        QVERIFY(book);
        CQuorvinDb *db = CQuorvinDb::instance();
        QVERIFY(m_author.goOffline());
        T_Http_C profile;
        profile.uid = int(m_author.uid());
        profile.jobType = JobType_AuthorInfo;
        QVERIFY(db->addJob(profile, QStringLiteral("{\"sex\":\"X\",\"name\":\"某\"}"), db->currentTime()));
        TC_Books_Edit after;
        after.localBookId = book->localId;
        after.bookName = book->bookName;
        after.intro = QStringLiteral("资料之后");
        QVERIFY(m_jobs->booksEdit(after));
        QTRY_COMPARE_WITH_TIMEOUT(m_ui->syncRunning(), 0, 20000);
        QVERIFY(m_author.goOnline());
        QVERIFY(SignedInAuthor::replay());
        QCOMPARE(api()
                     .get("/books/bookinfo", {{"book_id", QString::number(book->bookId)}})
                     .object()
                     .value("intro")
                     .toString(),
                 QStringLiteral("资料之后"));
    }
};

QUORVIN_TEST_MAIN(TstQueueIntegrity)
#include "tst_queueintegrity.moc"
