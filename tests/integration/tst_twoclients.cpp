// Two machines of one author and the companion server on loopback: what A
// writes reaches B through A's replay and B's pull; a brand-new machine gets
// the whole account in one sync; deletions reach B; and the edge cases of the
// pull itself.
//
// The clients take turns inside this one process, each with its own
// application folder and database: switching runs the real start-up path
// (CJobManager::init on the client's folder), which restores the client's
// remembered author and unique code and replays and pulls. The coordinator's
// sets of sent and answered job ids live for the process, as in the program;
// so that the clients' job ids never meet there, each client's tb_job
// numbering starts at its own offset.
#include "machines.h"
#include "testmain.h"

#include <QNetworkReply>

namespace {

const char *kBooks = "select bookId,bookName from tb_book order by bookId";
const char *kChapters =
    "select bookId,chapterId,name,orderNum,status,content from tb_chapter order by bookId,chapterId";
const char *kMemos = "select memoId,color,content from tb_memo order by memoId";

} // namespace

class TstTwoClients : public QObject
{
    Q_OBJECT

private:
    MachinesFixture m_f;
    QScopedPointer<Machine> m_a, m_b;
    CJobManager *m_jobs = m_f.jobs;
    T_SessionData *m_session = m_f.session;
    QList<T_Http_C> m_routes; // every asynchronous reply, as it came

    void activate(Machine &machine) { m_f.activate(machine); }
    void signIn() { m_f.signIn(); }
    void settle() { m_f.settle(); }
    T_Book *book(const QString &name) const { return m_f.book(name); }
    static T_Chapter *chapter(const T_Book *b, const QString &name)
    {
        return MachinesFixture::chapter(b, name);
    }

    // The session's books, chapters and memos in the form of the queries above.
    QStringList memoryChapters() const
    {
        QStringList out;
        QList<T_Chapter *> all;
        for (const T_Book *b : m_session->books)
            all << b->chapterList << b->recycleList;
        std::sort(all.begin(), all.end(), [](const T_Chapter *l, const T_Chapter *r) {
            return qMakePair(l->bookId, l->chapterId) < qMakePair(r->bookId, r->chapterId);
        });
        for (const T_Chapter *c : all)
            out << QStringLiteral("%1|%2|%3|%4|%5")
                       .arg(c->bookId)
                       .arg(c->chapterId)
                       .arg(c->name)
                       .arg(c->orderNum)
                       .arg(c->status);
        return out;
    }

    static QStringList withoutContent(const QStringList &rows)
    {
        QStringList out;
        for (const QString &row : rows)
            out << row.section('|', 0, 4);
        return out;
    }

    QStringList memoryMemos() const
    {
        QStringList out;
        QList<T_Memo *> memos = m_session->memos;
        std::sort(memos.begin(), memos.end(),
                  [](const T_Memo *l, const T_Memo *r) { return l->memoId < r->memoId; });
        for (const T_Memo *m : memos)
            out << QStringLiteral("%1|%2|%3").arg(m->memoId).arg(m->color, m->content);
        return out;
    }

    void compareWith(const Machine &source)
    {
        const QString other = source.app.dbFile();
        QCOMPARE(dbRows(kBooks), dbRows(kBooks, other));
        QCOMPARE(dbRows(kChapters), dbRows(kChapters, other));
        QCOMPARE(dbRows(kMemos), dbRows(kMemos, other));
        QCOMPARE(memoryChapters(), withoutContent(dbRows(kChapters, other)));
        QCOMPARE(memoryMemos(), dbRows(kMemos, other));
        QCOMPARE(m_session->books.size(), dbRows(kBooks, other).size());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_f.start());
        connect(CQuorvinHttp::instance(), &CQuorvinHttp::sigGetAsynData, this, [this](QNetworkReply *reply) {
            T_Http_C route;
            HttpUtil::parseUserdata(QString::fromLatin1(reply->request().rawHeader("userdata")), route);
            m_routes << route;
        });
        m_a.reset(new Machine(0));
        m_b.reset(new Machine(100000));
        activate(*m_a);
        signIn();
        activate(*m_b);
        signIn();
        QVERIFY(dbRows("select uniqueCode from tb_user") !=
                dbRows("select uniqueCode from tb_user", m_a->app.dbFile()));
    }

    void whatAWritesBHolds()
    {
        activate(*m_a);
        TC_Books_AddBook add;
        add.bookName = QStringLiteral("长夜");
        QVERIFY(m_jobs->booksAddBook(add));
        settle();
        T_Book *night = book(QStringLiteral("长夜"));
        QVERIFY(night && night->bookId > 0);
        for (const char *name : {"第2章 ", "第3章 ", "第4章 "}) {
            TC_Chapter_Create create;
            create.localBookId = night->localId;
            create.chapterName = QString::fromUtf8(name);
            create.order_num = night->chapterList.size() + 1;
            create.update_time = CQuorvinDb::instance()->currentTime() + create.order_num;
            QVERIFY(m_jobs->chapterCreate(create));
        }
        settle();
        auto ids = [&](const QString &name, T_Http_C &req) {
            T_Chapter *c = chapter(night, name);
            QVERIFY(c);
            req.localBookId = night->localId;
            req.localChapterId = c->localId;
        };
        TC_Chapter_Edit text;
        ids(QStringLiteral("第1章 "), text);
        text.content = QStringLiteral("雨夜，灯下，有人敲门。");
        QVERIFY(m_jobs->chapterSaveContent(text));
        TC_Chapter_Edit rename;
        ids(QStringLiteral("第2章 "), rename);
        rename.chapterName = QStringLiteral("第2章 旧友");
        QVERIFY(m_jobs->chapterRename(rename));
        TC_Chapter_Move move;
        ids(QStringLiteral("第3章 "), move);
        move.direction = 1;
        QVERIFY(m_jobs->chapterMove(move));
        // Requests sent at once travel side by side; a move must not meet the
        // recycle of its neighbour on the server in the other order.
        settle();
        TC_Chapter_Recycle recycle;
        ids(QStringLiteral("第2章 旧友"), recycle);
        recycle.status = 0;
        QVERIFY(m_jobs->chapterRecycle(recycle));
        settle();
        TC_Chapter_Recycle restore;
        ids(QStringLiteral("第2章 旧友"), restore);
        restore.status = 1;
        QVERIFY(m_jobs->chapterRecycle(restore));
        TC_Chapter_Recycle binned;
        ids(QStringLiteral("第3章 "), binned);
        binned.status = 0;
        QVERIFY(m_jobs->chapterRecycle(binned));
        TC_Chapter_Del del;
        ids(QStringLiteral("第4章 "), del);
        QVERIFY(m_jobs->chapterDelete(del));

        TC_Memo_Add memo;
        memo.content = QStringLiteral("主角的旧伤在左肩");
        memo.color = QStringLiteral("#FFF3C4");
        QVERIFY(m_jobs->memoAdd(memo));
        TC_Memo_Add gone;
        gone.content = QStringLiteral("删掉我");
        gone.color = QStringLiteral("#D8F0FF");
        QVERIFY(m_jobs->memoAdd(gone));
        settle();
        TC_Memo_Edit colour;
        colour.localMemoId = memo.localMemoId;
        colour.color = QStringLiteral("#4F4F4F");
        QVERIFY(m_jobs->memoEditColor(colour));
        TC_Memo_Edit content;
        content.localMemoId = memo.localMemoId;
        content.content = QStringLiteral("主角的旧伤在右肩");
        QVERIFY(m_jobs->memoEditContent(content));
        TC_Memo_Del memoDel;
        memoDel.localMemoId = gone.localMemoId;
        QVERIFY(m_jobs->memoDel(memoDel));
        m_session->todayStatistics.wordCount = 321;
        m_session->todayStatistics.writeTime = 600;
        QVERIFY(m_jobs->saveDayStatistics());
        settle();
        QCOMPARE(dbRows("select count(*) from tb_chapter where status = 0"), QStringList{"1"});

        activate(*m_b);
        compareWith(*m_a);
        QCOMPARE(dbRows("select name,status,content from tb_chapter order by orderNum"),
                 (QStringList{QStringLiteral("第1章 |1|雨夜，灯下，有人敲门。"), QStringLiteral("第3章 |0|"),
                              QStringLiteral("第2章 旧友|1|")}));
        QCOMPARE(dbRows("select color,content from tb_memo"),
                 QStringList{QStringLiteral("#4F4F4F|主角的旧伤在右肩")});
        QCOMPARE(book(QStringLiteral("长夜"))->chapterList.size(), 2);
        QCOMPARE(book(QStringLiteral("长夜"))->recycleList.size(), 1);
    }

    void aBrandNewMachineGetsTheWholeAccount()
    {
        Machine c(200000);
        activate(c);
        signIn();
        compareWith(*m_a);
        QCOMPARE(dbRows("select sum(wordCount) from tb_statistics"), QStringList{"321"});
    }

    void deletionsReachB()
    {
        activate(*m_b);
        T_Book *night = book(QStringLiteral("长夜"));
        QVERIFY(night);
        T_Chapter *first = chapter(night, QStringLiteral("第1章 "));
        QVERIFY(first);
        const int doomed = first->localId;
        // B edits the chapter while the server cannot be reached: the edit waits.
        QVERIFY(CQuorvinHttp::instance()->setBaseUrl(deadAddress()));
        TC_Chapter_Edit text;
        text.localBookId = night->localId;
        text.localChapterId = doomed;
        text.content = QStringLiteral("B 的草稿");
        QVERIFY(m_jobs->chapterSaveContent(text));
        QTRY_COMPARE(CUiManager::instance()->syncRunning(), 0);
        QCOMPARE(dbRows(QStringLiteral("select count(*) from tb_job where localChapterId = %1").arg(doomed)),
                 QStringList{"1"});

        // Meanwhile A deletes that chapter for good, and the other book.
        activate(*m_a);
        T_Book *aNight = book(QStringLiteral("长夜"));
        TC_Chapter_Del del;
        del.localBookId = aNight->localId;
        del.localChapterId = chapter(aNight, QStringLiteral("第1章 "))->localId;
        QVERIFY(m_jobs->chapterDelete(del));
        TC_Books_AddBook spare;
        spare.bookName = QStringLiteral("短篇");
        QVERIFY(m_jobs->booksAddBook(spare));
        settle();
        TC_Books_Delete drop;
        drop.localBookId = book(QStringLiteral("短篇"))->localId;
        QVERIFY(m_jobs->booksDelete(drop));
        settle();

        // B pulls before its replay: the chapter goes, and its waiting job with
        // it; B's draft stays as a new chapter at the end of the book.
        AppPaths::setAppDirOverride(m_b->app.path());
        m_session->author = TS_Author_Info();
        m_session->clearBooks();
        m_session->clearMemos();
        QVERIFY(CQuorvinDb::instance()->init());
        TS_SynchronizaTion_SynData versions;
        QVERIFY(CQuorvinDb::instance()->getSysData(m_session->author, versions));
        QVERIFY(CUserJobManager::instance()->loadAuthor(m_session->author.uid));
        QVERIFY(CBookJobManager::instance()->loadBooks());
        QVERIFY(CMemoManager::instance()->loadMemos());
        QVERIFY(CQuorvinHttp::instance()->setBaseUrl(m_f.server.baseUrl()));
        CSynDataManager::instance()->fetchChangeList();
        QTRY_VERIFY(!CSynDataManager::instance()->isPulling());
        QCOMPARE(dbRows(QStringLiteral("select count(*) from tb_job where localChapterId = %1").arg(doomed)),
                 QStringList{"0"});
        QCOMPARE(dbRows(QStringLiteral("select count(*) from tb_chapter where localId = %1").arg(doomed)),
                 QStringList{"0"});
        QVERIFY(!chapter(book(QStringLiteral("长夜")), QStringLiteral("第1章 ")));
        QCOMPARE(dbRows(QStringLiteral("select name,content from tb_chapter where content <> ''")),
                 QStringList{QStringLiteral("第1章 (recovered)|B 的草稿")});
        settle();
        activate(*m_a);
        compareWith(*m_b);
    }

    void emptyListEndsThePullWithoutAcknowledging()
    {
        activate(*m_b);
        CSynDataManager *syn = CSynDataManager::instance();
        QSignalSpy ended(syn, &CSynDataManager::sig_SynEnded);
        m_routes.clear();
        syn->fetchChangeList();
        syn->fetchChangeList(); // a second pull while one runs does nothing
        QVERIFY(syn->isPulling());
        QTRY_COMPARE(ended.size(), 1);
        QCOMPARE(ended.first().at(0).toBool(), true);
        QVERIFY(!syn->isPulling());
        QTest::qWait(0);
        int lists = 0, acks = 0;
        for (const T_Http_C &route : qAsConst(m_routes)) {
            lists += route.jobType == JobType_SynDataFetch;
            acks += route.jobType == 46;
        }
        QCOMPARE(lists, 1);
        QCOMPARE(acks, 0);
    }

    void invalidTypeIsLoggedAndAcknowledged()
    {
        activate(*m_b);
        CSynDataManager *syn = CSynDataManager::instance();
        m_routes.clear();
        syn->fetchChangeList();
        T_Http_C route;
        route.jobType = JobType_SynDataFetch;
        QTest::ignoreMessage(QtDebugMsg, "syndata item 无效同步类型[5,6,1]");
        QTest::ignoreMessage(QtDebugMsg, "syndata apply 无效同步类型[5,6,1]");
        syn->asynBack(
            route,
            R"({"code":200,"msg":"","content":[{"id":1,"book_id":5,"chapter_id":6,"change_type":77,"extra":"{}"}]})");
        QVERIFY(!syn->isPulling());
        QVERIFY(!syn->hasPending());
        QTRY_VERIFY(
            std::any_of(m_routes.begin(), m_routes.end(), [](const T_Http_C &r) { return r.jobType == 46; }));
    }

    // A fetch made for an item that fails on the network ends the pull:
    // nothing stays flagged, nothing is acknowledged, the next pull asks again.
    void failedItemFetchEndsThePull()
    {
        activate(*m_b);
        CSynDataManager *syn = CSynDataManager::instance();
        QSignalSpy ended(syn, &CSynDataManager::sig_SynEnded);
        syn->fetchChangeList();
        QVERIFY(syn->isPulling());
        QVERIFY(CQuorvinHttp::instance()->setBaseUrl(deadAddress()));
        T_Http_C route;
        route.jobType = JobType_SynDataFetch;
        m_routes.clear();
        syn->asynBack(
            route,
            R"({"code":200,"msg":"","content":[{"id":9,"book_id":0,"chapter_id":0,"change_type":13,"extra":"{}"},{"id":10,"book_id":0,"chapter_id":0,"change_type":14,"extra":"{}"}]})");
        QVERIFY(syn->hasPending());
        QTRY_VERIFY(!ended.isEmpty());
        QCOMPARE(ended.last().at(0).toBool(), false);
        QVERIFY(!syn->isPulling());
        QVERIFY(!syn->hasPending());
        QCOMPARE(CUiManager::instance()->syncRunning(), 0);
        QVERIFY(CQuorvinHttp::instance()->setBaseUrl(m_f.server.baseUrl()));
        m_jobs->checkUserJob();
        QTRY_VERIFY(CUiManager::instance()->syncRunning() == 0 && !syn->isPulling());
        for (const T_Http_C &r : qAsConst(m_routes))
            QVERIFY(r.jobType != 46);
    }

    void cleanupTestCase() { AppPaths::setAppDirOverride(QString()); }
};

QUORVIN_TEST_MAIN(TstTwoClients)
#include "tst_twoclients.moc"
