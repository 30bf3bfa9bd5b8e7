// Machines of one author that change the same objects around each other's
// syncs end equal to the server, and no text is lost on the way: a fetched
// value never replaces a newer local change, items of the bin and of moves
// give way to the server's list, ties in the chapter order are listed alike
// everywhere, a text replaced by an older save is kept as a snapshot, and a
// text whose chapter was deleted elsewhere is kept.
#include "machines.h"
#include "testmain.h"
#include "ui/creation/creation_textedit.h"
#include "ui/creation/widget_creation_content.h"

#include <QDirIterator>
#include <QNetworkReply>
#include <QScopeGuard>
#include <QSignalSpy>

#include <algorithm>

namespace {

// A book's chapters as "name:order" in list order, the bin after "|".
QString listOf(const T_Book *book)
{
    QStringList live, bin;
    for (const T_Chapter *c : book->chapterList)
        live << QStringLiteral("%1:%2").arg(c->name.trimmed()).arg(c->orderNum);
    for (const T_Chapter *c : book->recycleList)
        bin << QStringLiteral("%1:%2").arg(c->name.trimmed()).arg(c->orderNum);
    return live.join(QLatin1Char(',')) + QLatin1Char('|') + bin.join(QLatin1Char(','));
}

// The same from the client's database file, in the order its list is read.
QString storedListOf(int localBookId)
{
    QStringList live, bin;
    for (const QString &row : dbRows(
             QStringLiteral("select trim(name)||':'||orderNum,status from tb_chapter where localBookId = %1 "
                            "order by orderNum,chapterId = 0,chapterId,localId")
                 .arg(localBookId)))
        (row.endsWith(QLatin1String("|0")) ? bin : live) << row.section('|', 0, 0);
    return live.join(QLatin1Char(',')) + QLatin1Char('|') + bin.join(QLatin1Char(','));
}

// The texts of the running machine's recovered folder.
QStringList recoveredTexts()
{
    QStringList texts;
    QDirIterator files(CBookJobManager::recoveredFolder(), QDir::Files);
    while (files.hasNext()) {
        QFile file(files.next());
        if (file.open(QIODevice::ReadOnly))
            texts << QString::fromUtf8(file.readAll());
    }
    return texts;
}

} // namespace

class TstSyncItems : public QObject
{
    Q_OBJECT

    MachinesFixture m_f;
    QScopedPointer<Machine> m_a, m_b;
    int m_nextOffset = 0;

    // The server's list of the book, as the client shows it.
    QString serverListOf(int bookId) const
    {
        QStringList live, bin;
        for (const QString &row :
             dbRows(QStringLiteral("select trim(chapter_name)||':'||order_num,status from "
                                   "chapters where book_id = %1 order by order_num,chapter_id")
                        .arg(bookId),
                    m_f.serverDb()))
            (row.endsWith(QLatin1String("|0")) ? bin : live) << row.section('|', 0, 0);
        return live.join(QLatin1Char(',')) + QLatin1Char('|') + bin.join(QLatin1Char(','));
    }

    // The running machine's book equals the server's, in memory and on disk.
    void compareBookWithServer(const QString &name)
    {
        const T_Book *b = m_f.book(name);
        QVERIFY(b && b->bookId > 0);
        QCOMPARE(listOf(b), serverListOf(b->bookId));
        QCOMPARE(storedListOf(b->localId), serverListOf(b->bookId));
    }

    // A book with the given chapters on the server and on both machines.
    void makeBook(const QString &name, const QStringList &chapters)
    {
        m_f.activate(*m_a);
        TC_Books_AddBook add;
        add.bookName = name;
        QVERIFY(m_f.jobs->booksAddBook(add));
        m_f.settle();
        T_Book *b = m_f.book(name);
        QVERIFY(b && b->bookId > 0);
        for (const QString &chapter : chapters) {
            TC_Chapter_Create create;
            create.localBookId = b->localId;
            create.chapterName = chapter;
            create.order_num = b->chapterList.size() + 1;
            QVERIFY(m_f.jobs->chapterCreate(create));
            m_f.settle();
        }
        m_f.activate(*m_b);
        QVERIFY(m_f.book(name));
    }

    T_Http_C idsOf(const QString &bookName, const QString &chapterName)
    {
        T_Http_C ids;
        const T_Book *b = m_f.book(bookName);
        const T_Chapter *c = MachinesFixture::chapter(b, chapterName);
        if (b)
            ids.localBookId = b->localId;
        if (c)
            ids.localChapterId = c->localId;
        return ids;
    }

    bool saveText(const QString &bookName, const QString &chapterName, const QString &text, int time = 0)
    {
        TC_Chapter_Edit edit;
        static_cast<T_Http_C &>(edit) = idsOf(bookName, chapterName);
        edit.content = text;
        edit.update_time = time;
        return m_f.jobs->chapterSaveContent(edit);
    }

    bool recycle(const QString &bookName, const QString &chapterName, int status)
    {
        TC_Chapter_Recycle req;
        static_cast<T_Http_C &>(req) = idsOf(bookName, chapterName);
        req.status = status;
        return m_f.jobs->chapterRecycle(req);
    }

    bool move(const QString &bookName, const QString &chapterName, int direction)
    {
        TC_Chapter_Move req;
        static_cast<T_Http_C &>(req) = idsOf(bookName, chapterName);
        req.direction = direction;
        return m_f.jobs->chapterMove(req);
    }

    QString storedText(const QString &bookName, const QString &chapterName)
    {
        const T_Chapter *c = MachinesFixture::chapter(m_f.book(bookName), chapterName);
        if (!c)
            return QStringLiteral("<no chapter>");
        const QStringList rows =
            dbRows(QStringLiteral("select content from tb_chapter where localId = %1").arg(c->localId));
        return rows.value(0);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_f.start());
        m_a.reset(new Machine(0));
        m_b.reset(new Machine(100000));
        m_f.activate(*m_a);
        m_f.signIn();
        m_f.activate(*m_b);
        m_f.signIn();
    }

    // Two machines add a chapter offline with the same order number: both
    // list the tie as the server does, and a move between the tied chapters
    // moves the same one everywhere.
    void equalOrderNumbersListAlike()
    {
        const QString name = QStringLiteral("同序");
        makeBook(name, {});
        for (Machine *m : {m_a.data(), m_b.data()}) {
            m_f.load(*m, false);
            TC_Chapter_Create create;
            create.localBookId = m_f.book(name)->localId;
            create.chapterName = m == m_a.data() ? QStringLiteral("甲") : QStringLiteral("乙");
            create.order_num = 2;
            QVERIFY(m_f.jobs->chapterCreate(create));
            QTRY_COMPARE(CUiManager::instance()->syncRunning(), 0);
        }
        m_f.activate(*m_a);
        m_f.activate(*m_b);
        m_f.activate(*m_a);
        compareBookWithServer(name);
        QCOMPARE(listOf(m_f.book(name)), QStringLiteral("第1章:1,甲:2,乙:2|"));
        m_f.activate(*m_b);
        compareBookWithServer(name);

        // The later of the tie moves up past the earlier: it takes one less.
        QVERIFY(move(name, QStringLiteral("乙"), 1));
        m_f.settle();
        compareBookWithServer(name);
        QCOMPARE(listOf(m_f.book(name)), QStringLiteral("第1章:1,乙:1,甲:2|"));
        m_f.activate(*m_a);
        compareBookWithServer(name);
    }

    // A change made on A while A's pull fetches the same object for B's
    // change is not overwritten by the fetched value, and ends on the server
    // and on B.
    void changeDuringFetchWins_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("chapter text") << 0;
        QTest::newRow("chapter name") << 1;
        QTest::newRow("book name") << 2;
        QTest::newRow("memo text") << 3;
    }

    void changeDuringFetchWins()
    {
        QFETCH(int, kind);
        const QString bookName = QStringLiteral("抢写%1").arg(kind);
        makeBook(bookName, {QStringLiteral("章")});
        TC_Memo_Add memo;
        if (kind == 3) {
            memo.content = QStringLiteral("便签%1").arg(kind);
            memo.color = QStringLiteral("#FFF3C4");
            QVERIFY(m_f.jobs->memoAdd(memo));
            m_f.settle();
            m_f.activate(*m_a);
            m_f.activate(*m_b);
        }
        const QString memoText = QStringLiteral("便签%1").arg(kind);
        auto findMemo = [&]() -> T_Memo * {
            for (T_Memo *m : m_f.session->memos)
                if (m->content.startsWith(memoText))
                    return m;
            return nullptr;
        };
        QString bookNow = bookName;
        // Changes the object on the running machine to `value`.
        auto change = [&](const QString &value) {
            switch (kind) {
            case 0:
                return saveText(bookNow, QStringLiteral("章"), value);
            case 1: {
                TC_Chapter_Edit edit;
                T_Chapter *c = m_f.book(bookNow)->chapterList.value(1);
                static_cast<T_Http_C &>(edit) = idsOf(bookNow, c ? c->name : QString());
                edit.chapterName = value;
                return m_f.jobs->chapterRename(edit);
            }
            case 2: {
                T_Book *b = m_f.book(bookNow);
                TC_Books_Edit edit;
                edit.localBookId = b->localId;
                edit.bookName = value;
                edit.intro = b->intro;
                edit.cateId = b->cateId;
                edit.cateFid = b->cateFid;
                edit.channelType = b->channelType;
                return m_f.jobs->booksEdit(edit);
            }
            default: {
                TC_Memo_Edit edit;
                edit.localMemoId = findMemo() ? findMemo()->localId : 0;
                edit.content = memoText + value;
                return m_f.jobs->memoEditContent(edit);
            }
            }
        };
        auto valueHere = [&]() -> QString {
            switch (kind) {
            case 0: {
                T_Chapter *c = MachinesFixture::chapter(m_f.book(bookNow), QStringLiteral("章"));
                CQuorvinDb::instance()->ensureChapterContent(*c);
                return storedText(bookNow, QStringLiteral("章")) + QLatin1Char('/') + c->content;
            }
            case 1:
                return m_f.book(bookNow)->chapterList.value(1)->name;
            case 2:
                return m_f.book(bookNow) ? bookNow : QString();
            default:
                return findMemo() ? findMemo()->content : QString();
            }
        };

        // B changes the object and syncs.
        QVERIFY(change(QStringLiteral("乙改")));
        if (kind == 2)
            bookNow = QStringLiteral("乙改");
        m_f.settle();

        // A changes it while its pull fetches it; the change waits in A's queue.
        m_f.load(*m_a);
        bookNow = bookName;
        const int fetchType = kind <= 1   ? JobType_ChapterContent
                              : kind == 2 ? JobType_BookInfo
                                          : JobType_MemoDetail;
        CQuorvinHttp *http = CQuorvinHttp::instance();
        const CQuorvinHttp::SendGate gate = http->sendGate();
        bool changed = false, holding = false;
        http->setSendGate([&](const T_Http_C &req) {
            if (holding && req.jobId > 0)
                return false;
            if (!changed && req.jobType == fetchType) {
                changed = true;
                holding = true;
                if (!change(QStringLiteral("甲改")))
                    qWarning() << "the change during the fetch was refused";
            }
            return gate(req);
        });
        CSynDataManager::instance()->fetchChangeList();
        QTRY_VERIFY(!CSynDataManager::instance()->isPulling());
        http->setSendGate(gate);
        if (kind == 2)
            bookNow = QStringLiteral("甲改");
        QVERIFY(changed);
        const QString expected = kind == 0   ? QStringLiteral("甲改/甲改")
                                 : kind == 3 ? memoText + QStringLiteral("甲改")
                                             : QStringLiteral("甲改");
        QCOMPARE(valueHere(), expected);

        // Once the change is answered, all three agree.
        m_f.settle();
        QCOMPARE(valueHere(), expected);
        m_f.activate(*m_b);
        QCOMPARE(valueHere(), expected);
        m_f.activate(*m_a);
        QCOMPARE(valueHere(), expected);
        if (kind == 2)
            QCOMPARE(
                dbRows(QStringLiteral("select count(*) from books where book_name = '甲改'"), m_f.serverDb()),
                QStringList{"1"});
        if (kind == 2) {
            // Leave the name free for the next row.
            TC_Books_Delete drop;
            drop.localBookId = m_f.book(bookNow)->localId;
            QVERIFY(m_f.jobs->booksDelete(drop));
            m_f.settle();
            m_f.activate(*m_b);
        }
    }

    // B bins and restores a chapter; A, not synced since, bins it. The
    // server keeps it in the bin, and so do both machines.
    void olderBinItemsDoNotUndoANewerChange()
    {
        const QString name = QStringLiteral("回收");
        makeBook(name, {QStringLiteral("甲"), QStringLiteral("乙")});
        QVERIFY(recycle(name, QStringLiteral("甲"), 0));
        m_f.settle();
        QVERIFY(recycle(name, QStringLiteral("甲"), 1));
        m_f.settle();
        m_f.load(*m_a);
        QVERIFY(recycle(name, QStringLiteral("甲"), 0));
        // A replays, then pulls B's two older items.
        m_f.jobs->checkUserJob();
        m_f.settle();
        QCOMPARE(
            dbRows(QStringLiteral("select status from chapters where chapter_name = '甲' and book_id = %1")
                       .arg(m_f.book(name)->bookId),
                   m_f.serverDb()),
            QStringList{"0"});
        compareBookWithServer(name);
        m_f.activate(*m_b);
        compareBookWithServer(name);
    }

    // A bins C1; B, still showing C1, moves C2 up past it. The server has
    // nothing above C2 and changes nothing; B takes the server's order, and
    // after C1 comes back every list agrees.
    void aMoveIsCheckedAgainstTheServer()
    {
        const QString name = QStringLiteral("移动");
        makeBook(name, {QStringLiteral("C1"), QStringLiteral("C2"), QStringLiteral("C3")});
        m_f.activate(*m_a);
        QVERIFY(recycle(name, QStringLiteral("第1章 "), 0));
        QVERIFY(recycle(name, QStringLiteral("C1"), 0));
        m_f.settle();
        m_f.load(*m_b);
        QVERIFY(recycle(name, QStringLiteral("第1章 "), 0));
        QVERIFY(move(name, QStringLiteral("C2"), 1));
        m_f.settle();
        compareBookWithServer(name);
        QVERIFY(recycle(name, QStringLiteral("C1"), 1));
        m_f.settle();
        compareBookWithServer(name);
        m_f.activate(*m_a);
        compareBookWithServer(name);
    }

    // A saves offline; B saves later. A's older save arrives last and wins,
    // B's newer text is kept as a snapshot on the server and in both time
    // machines, and B tells its author.
    void anOlderSaveKeepsTheNewerTextAsASnapshot()
    {
        const QString name = QStringLiteral("时光");
        makeBook(name, {QStringLiteral("章")});
        m_f.load(*m_a, false);
        const int now = CQuorvinDb::instance()->currentTime();
        QVERIFY(saveText(name, QStringLiteral("章"), QStringLiteral("甲的旧稿"), now - 600));
        QTRY_COMPARE(CUiManager::instance()->syncRunning(), 0);

        m_f.activate(*m_b);
        QVERIFY(saveText(name, QStringLiteral("章"), QStringLiteral("乙的新稿")));
        m_f.settle();

        m_f.activate(*m_a);
        const int chapterId = MachinesFixture::chapter(m_f.book(name), QStringLiteral("章"))->chapterId;
        QCOMPARE(dbRows(QStringLiteral("select content from chapters where chapter_id = %1").arg(chapterId),
                        m_f.serverDb()),
                 QStringList{QStringLiteral("甲的旧稿")});
        QCOMPARE(dbRows(QStringLiteral("select content from blades where chapter_id = %1").arg(chapterId),
                        m_f.serverDb()),
                 QStringList{QStringLiteral("乙的新稿")});
        QCOMPARE(
            dbRows(QStringLiteral("select content from tb_contentblade where chapterId = %1").arg(chapterId)),
            QStringList{QStringLiteral("乙的新稿")});

        QSignalSpy kept(CSynDataManager::instance(), &CSynDataManager::sig_VersionKept);
        m_f.activate(*m_b);
        QCOMPARE(storedText(name, QStringLiteral("章")), QStringLiteral("甲的旧稿"));
        QCOMPARE(
            dbRows(QStringLiteral("select content from tb_contentblade where chapterId = %1").arg(chapterId)),
            QStringList{QStringLiteral("乙的新稿")});
        QCOMPARE(kept.size(), 1);
        QCOMPARE(kept.first().at(1).toInt(),
                 MachinesFixture::chapter(m_f.book(name), QStringLiteral("章"))->localId);
    }

    // B saves a chapter offline that A then deletes for good (or whose whole
    // book A deletes): B keeps the text as a new chapter at the end of the
    // book, or as a file in its recovered folder.
    void aSaveAfterADeleteIsKept_data()
    {
        QTest::addColumn<bool>("wholeBook");
        QTest::newRow("chapter deleted") << false;
        QTest::newRow("book deleted") << true;
    }

    void aSaveAfterADeleteIsKept()
    {
        QFETCH(bool, wholeBook);
        const QString name = wholeBook ? QStringLiteral("删书") : QStringLiteral("删章");
        const QString text = QStringLiteral("乙的最后一稿，") + name;
        makeBook(name, {QStringLiteral("章")});
        m_f.load(*m_b, false);
        QVERIFY(saveText(name, QStringLiteral("章"), text));
        QTRY_COMPARE(CUiManager::instance()->syncRunning(), 0);

        m_f.activate(*m_a);
        if (wholeBook) {
            TC_Books_Delete drop;
            drop.localBookId = m_f.book(name)->localId;
            QVERIFY(m_f.jobs->booksDelete(drop));
        } else {
            TC_Chapter_Del del;
            static_cast<T_Http_C &>(del) = idsOf(name, QStringLiteral("章"));
            QVERIFY(m_f.jobs->chapterDelete(del));
        }
        m_f.settle();

        m_f.activate(*m_b);
        m_f.settle();
        if (wholeBook) {
            QVERIFY(!m_f.book(name));
            const QStringList found = recoveredTexts();
            QCOMPARE(found, QStringList{text});
            return;
        }
        QVERIFY(!MachinesFixture::chapter(m_f.book(name), QStringLiteral("章")));
        const QString kept = m_f.book(name)->chapterList.last()->name;
        QCOMPARE(kept, QStringLiteral("章 (recovered)"));
        QCOMPARE(storedText(name, kept), text);
        QCOMPARE(dbRows(QStringLiteral("select chapter_name from chapters where content = '%1'").arg(text),
                        m_f.serverDb()),
                 QStringList{kept});
        compareBookWithServer(name);
        m_f.activate(*m_a);
        QCOMPARE(storedText(name, kept), text);
    }

    // A deletes a chapter (or its book) while offline; B, not knowing,
    // saves a text to it afterwards, and the text reaches the server first.
    // A's delete still goes through when it arrives, but B's newer text is
    // kept: as a new chapter at the end of the book on every machine, or,
    // with the book gone, in B's recovered folder. B is told where it went.
    void aDeleteOlderThanTheTextKeepsIt_data()
    {
        QTest::addColumn<bool>("wholeBook");
        QTest::newRow("chapter deleted") << false;
        QTest::newRow("book deleted") << true;
    }

    void aDeleteOlderThanTheTextKeepsIt()
    {
        QFETCH(bool, wholeBook);
        const QString name = wholeBook ? QStringLiteral("迟删书") : QStringLiteral("迟删章");
        const QString text = QStringLiteral("乙在删除之后写下的字，") + name;
        const QString kept = QStringLiteral("章（恢复）");
        makeBook(name, {QStringLiteral("章")});
        const int now = CQuorvinDb::instance()->currentTime();
        m_f.activate(*m_a);
        m_f.goOffline();
        if (wholeBook) {
            TC_Books_Delete drop;
            drop.localBookId = m_f.book(name)->localId;
            drop.update_time = now - 100;
            QVERIFY(m_f.jobs->booksDelete(drop));
        } else {
            TC_Chapter_Del del;
            static_cast<T_Http_C &>(del) = idsOf(name, QStringLiteral("章"));
            del.update_time = now - 100;
            QVERIFY(m_f.jobs->chapterDelete(del));
        }

        m_f.activate(*m_b);
        // Later than the delete, which takes the time it was made.
        QVERIFY(saveText(name, QStringLiteral("章"), text, now + 50));
        m_f.settle();

        m_f.activate(*m_a);
        if (!wholeBook) {
            QVERIFY(!MachinesFixture::chapter(m_f.book(name), QStringLiteral("章")));
            QCOMPARE(storedText(name, kept), text);
            compareBookWithServer(name);
        }
        QSignalSpy tipSpy(CUiManager::instance(), &CUiManager::sig_TipShown);
        m_f.activate(*m_b);
        QStringList tips;
        for (const QList<QVariant> &tip : qAsConst(tipSpy))
            tips << tip.at(0).toString();
        if (wholeBook) {
            QVERIFY(!m_f.book(name));
            const QStringList found = recoveredTexts();
            QVERIFY2(found.contains(text), qPrintable(found.join('\n')));
            QVERIFY2(tips.join('\n').contains(CBookJobManager::recoveredFolder()),
                     qPrintable(tips.join('\n')));
            return;
        }
        QVERIFY(!MachinesFixture::chapter(m_f.book(name), QStringLiteral("章")));
        QCOMPARE(storedText(name, kept), text);
        compareBookWithServer(name);
        QVERIFY2(tips.join('\n').contains(kept), qPrintable(tips.join('\n')));
    }

    // The server refuses a change made on A (a text above its cap, or a
    // body above its size limit refused here with 413, a name too long, a
    // memo too long). The refused text is kept, the author is told, and
    // A takes the server's state again: an open editor shows the server's
    // text and sends nothing more.
    void aRefusedChangeTakesTheServersState_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("why");
        QTest::newRow("text above the server's cap, in the editor") << 0 << QStringLiteral("章节正文超过");
        QTest::newRow("text above the body limit (413 here)") << 1 << QStringLiteral("larger than");
        QTest::newRow("chapter name") << 2 << QStringLiteral("章节名过长");
        QTest::newRow("book name") << 3 << QStringLiteral("书名或简介过长");
        QTest::newRow("memo") << 4 << QStringLiteral("便签内容过长");
    }

    void aRefusedChangeTakesTheServersState()
    {
        QFETCH(int, kind);
        QFETCH(QString, why);
        const QString name = QStringLiteral("拒收%1").arg(kind);
        const QString kept = QStringLiteral("服务器上的原文");
        makeBook(name, {QStringLiteral("章")});
        m_f.activate(*m_a);
        QVERIFY(saveText(name, QStringLiteral("章"), kept));
        TC_Memo_Add memo;
        memo.content = QStringLiteral("便签") + name;
        memo.color = QStringLiteral("#FFF3C4");
        QVERIFY(m_f.jobs->memoAdd(memo));
        m_f.settle();
        T_Book *book = m_f.book(name);
        T_Chapter *chapter = MachinesFixture::chapter(book, QStringLiteral("章"));
        T_Memo *note = nullptr;
        for (T_Memo *m : m_f.session->memos)
            if (m->content == memo.content)
                note = m;
        QVERIFY(book && chapter && note && note->memoId > 0);

        // The local value and the server's, as one text each.
        const int bookId = book->bookId, chapterId = chapter->chapterId, memoId = note->memoId;
        const int localBookId = book->localId, localChapterId = chapter->localId, localMemoId = note->localId;
        auto here = [&]() -> QString {
            const QString where = QStringLiteral(" where localId = %1");
            switch (kind) {
            case 0:
            case 1:
                return dbRows(QStringLiteral("select content from tb_chapter") + where.arg(localChapterId))
                           .value(0) +
                       QLatin1Char('/') + chapter->content;
            case 2:
                return dbRows(QStringLiteral("select name from tb_chapter") + where.arg(localChapterId))
                           .value(0) +
                       QLatin1Char('/') + chapter->name;
            case 3:
                return dbRows(QStringLiteral("select bookName from tb_book") + where.arg(localBookId))
                           .value(0) +
                       QLatin1Char('/') + book->bookName;
            default:
                return dbRows(QStringLiteral("select content from tb_memo") + where.arg(localMemoId))
                           .value(0) +
                       QLatin1Char('/') + note->content;
            }
        };
        auto there = [&]() -> QString {
            const QString value =
                dbRows(
                    kind <= 1
                        ? QStringLiteral("select content from chapters where chapter_id = %1").arg(chapterId)
                    : kind == 2 ? QStringLiteral("select chapter_name from chapters where chapter_id = %1")
                                      .arg(chapterId)
                    : kind == 3 ? QStringLiteral("select book_name from books where book_id = %1").arg(bookId)
                                : QStringLiteral("select content from memos where memo_id = %1").arg(memoId),
                    m_f.serverDb())
                    .value(0);
            return value + QLatin1Char('/') + value;
        };
        const QString before = there();
        QCOMPARE(here(), before);

        Widget_Creation_Content editor;
        if (kind == 0)
            QVERIFY(editor.openChapter(book, chapter));
        // Lines, so that the editor lays the text out quickly.
        const QString line = QString(99, kind == 1 ? QChar(0x4E00) : QLatin1Char('x'));
        const QString refused =
            QVector<QString>(kind == 1 ? 19000 : 10001, line).toList().join(QLatin1Char('\n'));
        const QString longName = QString(120, QChar(0x540D));

        QSignalSpy tipSpy(CUiManager::instance(), &CUiManager::sig_TipShown);
        switch (kind) {
        case 0:
            // So large a change saves at once (and takes a snapshot).
            editor.editor()->setPlainText(refused);
            editor.saveChapter();
            break;
        case 1:
            QVERIFY(saveText(name, QStringLiteral("章"), refused));
            break;
        case 2: {
            TC_Chapter_Edit edit;
            static_cast<T_Http_C &>(edit) = idsOf(name, QStringLiteral("章"));
            edit.chapterName = longName;
            QVERIFY(m_f.jobs->chapterRename(edit));
            break;
        }
        case 3: {
            TC_Books_Edit edit;
            edit.localBookId = localBookId;
            edit.bookName = longName;
            edit.intro = book->intro;
            edit.cateId = book->cateId;
            edit.cateFid = book->cateFid;
            edit.channelType = book->channelType;
            QVERIFY(m_f.jobs->booksEdit(edit));
            break;
        }
        default: {
            TC_Memo_Edit edit;
            edit.localMemoId = localMemoId;
            edit.content = refused.left(9000);
            QVERIFY(m_f.jobs->memoEditContent(edit));
            break;
        }
        }
        m_f.settle();
        QTRY_COMPARE_WITH_TIMEOUT(here(), before, 20000);
        QCOMPARE(there(), before);
        // Told (the editor's snapshot of the same text is refused too).
        QStringList tips;
        for (const QList<QVariant> &tip : qAsConst(tipSpy))
            if (tip.at(1).toInt() == 0)
                tips << tip.at(0).toString();
        QVERIFY(!tips.isEmpty() && tips.size() <= 2);
        for (const QString &tip : qAsConst(tips))
            QVERIFY2(tip.contains(why), qPrintable(tip));

        // The refused text is kept: a snapshot of the chapter that a list of
        // the server's snapshots leaves in place, or a file.
        const QString refusedText = kind <= 1 ? refused : kind == 4 ? refused.left(9000) : longName;
        if (kind <= 1) {
            T_Http_C ids;
            ids.localBookId = localBookId;
            ids.bookId = bookId;
            ids.localChapterId = localChapterId;
            ids.chapterId = chapterId;
            bool fetched = false;
            auto watch = connect(CQuorvinHttp::instance(), &CQuorvinHttp::sigGetAsynData, this,
                                 [&fetched](QNetworkReply *reply) {
                                     T_Http_C route;
                                     HttpUtil::parseUserdata(
                                         QString::fromLatin1(reply->request().rawHeader("userdata")), route);
                                     fetched = fetched || route.jobType == JobType_TimeMachine;
                                 });
            const auto unwatch = qScopeGuard([watch] { disconnect(watch); });
            QVERIFY(CBookJobManager::instance()->chapter_timeMachine(ids));
            QTRY_VERIFY_WITH_TIMEOUT(fetched, 20000);
            QCOMPARE(
                dbRows(QStringLiteral("select count(*) from tb_contentblade where localChapterId = %1 and "
                                      "length(content) = %2")
                           .arg(localChapterId)
                           .arg(refusedText.size())),
                QStringList{"1"});
            QVERIFY(tips.first().contains(QLatin1String("time machine")));
        } else {
            QVERIFY2(recoveredTexts().join('\n').contains(refusedText),
                     "the refused text is in the recovered folder");
            QVERIFY2(tips.first().contains(CBookJobManager::recoveredFolder()), qPrintable(tips.first()));
        }

        if (kind == 0) {
            // The editor shows the server's text; a save sends nothing.
            QCOMPARE(editor.currentText(), kept);
            QVERIFY(!editor.saveChapter());
            editor.closeChapter();
            QCOMPARE(dbRows(QStringLiteral("select count(*) from tb_job")), QStringList{"0"});
        }
    }

    // The server refuses a rename; the program quits (here: loses the
    // network) before the fetch of the server's name is answered. The next
    // run still takes the server's name back.
    void aRefusalIsSettledAfterARestart()
    {
        const QString name = QStringLiteral("拒后重启");
        makeBook(name, {QStringLiteral("章")});
        m_f.activate(*m_a);
        const int localChapterId = idsOf(name, QStringLiteral("章")).localChapterId;
        // The refusal's tip comes before the fetch goes out.
        auto cut = connect(CUiManager::instance(), &CUiManager::sig_TipShown, this,
                           [this](const QString &, int kind) {
                               if (kind == 0)
                                   m_f.goOffline();
                           });
        TC_Chapter_Edit edit;
        static_cast<T_Http_C &>(edit) = idsOf(name, QStringLiteral("章"));
        edit.chapterName = QString(120, QChar(0x540D));
        QVERIFY(m_f.jobs->chapterRename(edit));
        QTRY_COMPARE_WITH_TIMEOUT(dbRows("select count(*) from tb_job"), QStringList{"0"}, 20000);
        disconnect(cut);
        QTest::qWait(200); // the fetch fails
        QCOMPARE(dbRows(QStringLiteral("select name from tb_chapter where localId = %1").arg(localChapterId)),
                 QStringList{edit.chapterName});

        m_f.activate(*m_a);
        QTRY_COMPARE_WITH_TIMEOUT(
            dbRows(QStringLiteral("select name from tb_chapter where localId = %1").arg(localChapterId)),
            QStringList{QStringLiteral("章")}, 20000);
        compareBookWithServer(name);
    }

    // B deletes a chapter for good and A misses the feed's item for it (it
    // came before A knew the chapter's server id, or in a run that was
    // killed). A still drops the chapter as soon as it meets the server's
    // state again: a list of the book that leaves it out, or the server
    // refusing a change of it as "no such chapter".
    void aChapterWhoseDeleteWasMissedGoes_data()
    {
        QTest::addColumn<int>("meets");
        QTest::newRow("a list of the book") << 0;
        QTest::newRow("a rename refused") << 1;
        QTest::newRow("a save refused") << 2;
    }

    void aChapterWhoseDeleteWasMissedGoes()
    {
        QFETCH(int, meets);
        const QString name = QStringLiteral("漏删%1").arg(meets);
        const QString gone = QStringLiteral("删");
        makeBook(name, {QStringLiteral("一"), QStringLiteral("二"), gone});
        const int chapterId = MachinesFixture::chapter(m_f.book(name), gone)->chapterId;
        QVERIFY(chapterId > 0);
        TC_Chapter_Del del;
        static_cast<T_Http_C &>(del) = idsOf(name, gone);
        QVERIFY(m_f.jobs->chapterDelete(del));
        m_f.settle();
        // The item that would tell A never reaches it.
        dbRows(QStringLiteral("delete from changes where change_type = 7 and chapter_id = %1").arg(chapterId),
               m_f.serverDb());
        m_f.activate(*m_a);
        QVERIFY(MachinesFixture::chapter(m_f.book(name), gone));

        const QString text = QStringLiteral("甲写进已删章节的字");
        switch (meets) {
        case 0:
            m_f.activate(*m_b);
            QVERIFY(move(name, QStringLiteral("二"), 1));
            m_f.settle();
            m_f.activate(*m_a);
            break;
        case 1: {
            TC_Chapter_Edit edit;
            static_cast<T_Http_C &>(edit) = idsOf(name, gone);
            edit.chapterName = QStringLiteral("改名");
            QVERIFY(m_f.jobs->chapterRename(edit));
            break;
        }
        default:
            QVERIFY(saveText(name, gone, text));
            break;
        }
        m_f.settle();
        for (const T_Chapter *c : m_f.book(name)->chapterList + m_f.book(name)->recycleList)
            QVERIFY2(c->chapterId != chapterId, qPrintable(c->name));
        QCOMPARE(
            dbRows(QStringLiteral("select count(*) from tb_chapter where chapterId = %1").arg(chapterId)),
            QStringList{"0"});
        if (meets == 2) {
            const QString kept = QStringLiteral("删 (recovered)");
            QCOMPARE(storedText(name, kept), text);
        }
        compareBookWithServer(name);
        m_f.activate(*m_b);
        compareBookWithServer(name);
    }

    // The same for a whole book: A misses the item of B's delete, then
    // saves a text into the book. The refusal makes A ask for the book;
    // the server has none, so the book goes here too, its unsent text kept
    // in the recovered folder.
    void aBookWhoseDeleteWasMissedGoes()
    {
        const QString name = QStringLiteral("漏删书");
        const QString text = QStringLiteral("甲写进已删书里的字");
        makeBook(name, {QStringLiteral("章")});
        const int bookId = m_f.book(name)->bookId;
        TC_Books_Delete drop;
        drop.localBookId = m_f.book(name)->localId;
        QVERIFY(m_f.jobs->booksDelete(drop));
        m_f.settle();
        dbRows(QStringLiteral("delete from changes where change_type = 3 and book_id = %1").arg(bookId),
               m_f.serverDb());
        m_f.activate(*m_a);
        QVERIFY(m_f.book(name));

        QVERIFY(saveText(name, QStringLiteral("章"), text));
        m_f.settle();
        QTRY_VERIFY_WITH_TIMEOUT(!m_f.book(name), 20000);
        QCOMPARE(dbRows(QStringLiteral("select count(*) from tb_book where bookId = %1").arg(bookId)),
                 QStringList{"0"});
        const QStringList found = recoveredTexts();
        QVERIFY2(found.contains(text), qPrintable(found.join('\n')));
    }

    // And for a memo: A misses the item of B's delete, then edits the memo.
    void aMemoWhoseDeleteWasMissedGoes()
    {
        m_f.activate(*m_a);
        TC_Memo_Add add;
        add.content = QStringLiteral("漏删的便签");
        add.color = QStringLiteral("#FFF3C4");
        QVERIFY(m_f.jobs->memoAdd(add));
        m_f.settle();
        auto memoOf = [this](const QString &content) -> T_Memo * {
            for (T_Memo *m : m_f.session->memos)
                if (m->content == content)
                    return m;
            return nullptr;
        };
        m_f.activate(*m_b);
        QVERIFY(memoOf(add.content));
        const int memoId = memoOf(add.content)->memoId;
        TC_Memo_Del del;
        del.localMemoId = memoOf(add.content)->localId;
        QVERIFY(m_f.jobs->memoDel(del));
        m_f.settle();
        dbRows(QStringLiteral("delete from changes where change_type = 17 and book_id = %1").arg(memoId),
               m_f.serverDb());
        m_f.activate(*m_a);
        QVERIFY(memoOf(add.content));

        TC_Memo_Edit edit;
        edit.localMemoId = memoOf(add.content)->localId;
        edit.content = QStringLiteral("甲改过的便签");
        QVERIFY(m_f.jobs->memoEditContent(edit));
        m_f.settle();
        QTRY_VERIFY_WITH_TIMEOUT(!memoOf(edit.content), 20000);
        QCOMPARE(dbRows(QStringLiteral("select count(*) from tb_memo where memoId = %1").arg(memoId)),
                 QStringList{"0"});
    }

    // A creation the server refuses (a name or a memo too long, made
    // offline) leaves no object behind that would wait for a server id for
    // ever: it goes, with its waiting changes, and what it held is kept in
    // the recovered folder. The author is told.
    void aRefusedCreationGoes_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("chapter with a text") << 0;
        QTest::newRow("book with a chapter") << 1;
        QTest::newRow("memo") << 2;
    }

    void aRefusedCreationGoes()
    {
        QFETCH(int, kind);
        const QString longName = QString(120, QChar(0x957F));
        const QString text = QStringLiteral("离线写下的正文%1").arg(kind);
        const QString bookName = QStringLiteral("拒建%1").arg(kind);
        makeBook(bookName, {QStringLiteral("章")});
        m_f.activate(*m_a);
        const int booksBefore = m_f.session->books.size();
        const int memosBefore = m_f.session->memos.size();
        const int chaptersBefore = m_f.book(bookName)->chapterList.size();
        const QString serverChaptersBefore = dbRows("select count(*) from chapters", m_f.serverDb()).value(0);
        m_f.goOffline();
        QString kept; // a text that must be in the recovered folder
        switch (kind) {
        case 0: {
            TC_Chapter_Create create;
            create.localBookId = m_f.book(bookName)->localId;
            create.chapterName = longName;
            QVERIFY(m_f.jobs->chapterCreate(create));
            QVERIFY(saveText(bookName, longName, text));
            kept = text;
            break;
        }
        case 1: {
            TC_Books_AddBook add;
            add.bookName = longName;
            QVERIFY(m_f.jobs->booksAddBook(add));
            T_Book *added = m_f.book(longName);
            QVERIFY(added);
            TC_Chapter_Create create;
            create.localBookId = added->localId;
            create.chapterName = QStringLiteral("新章");
            QVERIFY(m_f.jobs->chapterCreate(create));
            QVERIFY(saveText(longName, QStringLiteral("新章"), text));
            kept = text;
            break;
        }
        default: {
            TC_Memo_Add memo;
            memo.content = QString(9000, QChar(0x5907));
            memo.color = QStringLiteral("#FFF3C4");
            QVERIFY(m_f.jobs->memoAdd(memo));
            kept = memo.content;
            break;
        }
        }
        QSignalSpy tipSpy(CUiManager::instance(), &CUiManager::sig_TipShown);
        m_f.activate(*m_a); // back online: the replay meets the refusal
        QCOMPARE(dbRows("select count(*) from tb_job"), QStringList{"0"});
        QCOMPARE(m_f.session->books.size(), booksBefore);
        QCOMPARE(m_f.session->memos.size(), memosBefore);
        QCOMPARE(m_f.book(bookName)->chapterList.size(), chaptersBefore);
        QCOMPARE(dbRows("select count(*) from chapters", m_f.serverDb()).value(0), serverChaptersBefore);
        QVERIFY2(recoveredTexts().join('\n').contains(kept),
                 "what the refused object held is in the recovered folder");
        QStringList tips;
        for (const QList<QVariant> &tip : qAsConst(tipSpy))
            tips << tip.at(0).toString();
        QVERIFY2(tips.join('\n').contains(CBookJobManager::recoveredFolder()), qPrintable(tips.join('\n')));
        compareBookWithServer(bookName);
    }

    void cleanupTestCase() { AppPaths::setAppDirOverride(QString()); }
};

QUORVIN_TEST_MAIN(TstSyncItems)
#include "tst_syncitems.moc"
