// The companion server over real HTTP: the change feed between two
// machines, idempotent creations, the whole account for a new machine,
// isolation between authors and a restart on the same data.
#include "testmain.h"
#include "testserver.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

const QString kPassword = QStringLiteral("25d55ad283aa400af464c76d713c07ad");

QList<int> typesOf(const QJsonArray &items)
{
    QList<int> out;
    for (const QJsonValue &v : items)
        out << v.toObject().value("change_type").toInt();
    return out;
}

} // namespace

class TstServerSync : public QObject
{
    Q_OBJECT

private:
    TestServer m_server;
    QString m_token;
    qint64 m_uid = 0;
    qint64 m_resentBook = 0;

    // The author on machine `code`.
    TestHttp machine(const QString &code) const
    {
        TestHttp h(m_server.baseUrl());
        h.setToken(m_token);
        h.setUniqueCode(code);
        return h;
    }

    qint64 addBook(const TestHttp &h, const QString &name, int localId)
    {
        return h.post("/books/addBook", {{"book_name", name}, {"local_id", QString::number(localId)}})
            .object()
            .value("book_id")
            .toInt();
    }

    qint64 addChapter(const TestHttp &h, qint64 bookId, int localId, int order)
    {
        return h
            .post("/chapter/createChapter", {{"book_id", QString::number(bookId)},
                                             {"local_id", QString::number(localId)},
                                             {"chapter_name", QStringLiteral("第%1章 ").arg(order)},
                                             {"order_num", QString::number(order)}})
            .object()
            .value("chapter_id")
            .toInt();
    }

    // Pulls and acknowledges everything pending for a machine.
    static void drain(const TestHttp &h)
    {
        const QJsonArray items = h.post("/synchronization/synBookData").content().toArray();
        if (!items.isEmpty())
            QCOMPARE(h.post("/synchronization/synAuthor",
                            {{"task_id", QString::number(items.last().toObject().value("id").toInt())},
                             {"syn_type", "2"}})
                         .code(),
                     200);
        QCOMPARE(h.post("/synchronization/synBookData").content().toArray().size(), 0);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.start());
        QVERIFY(m_server.signUp(QStringLiteral("13700000001"), kPassword, m_token, m_uid));
    }

    void secondMachineReceivesExactlyTheChanges()
    {
        const TestHttp a = machine(QStringLiteral("aaaa0001"));
        const TestHttp b = machine(QStringLiteral("bbbb0001"));
        // Both machines are known, and have taken their first sync, before
        // the changes are made.
        drain(a);
        drain(b);
        const qint64 book = addBook(a, QStringLiteral("长夜"), 101);
        const qint64 c1 = addChapter(a, book, 201, 1);
        const qint64 c2 = addChapter(a, book, 202, 2);
        QVERIFY(book > 0 && c1 > 0 && c2 > 0);
        QCOMPARE(a.post("/chapter/editChapter", {{"book_id", QString::number(book)},
                                                 {"chapter_id", QString::number(c1)},
                                                 {"content", QStringLiteral("雨夜，灯下。")}})
                     .code(),
                 200);
        QCOMPARE(a.post("/chapter/editChapter", {{"book_id", QString::number(book)},
                                                 {"chapter_id", QString::number(c1)},
                                                 {"content", QStringLiteral("雨夜，灯下，有人敲门。")}})
                     .code(),
                 200);
        QCOMPARE(
            a.post("/chapter/recycle",
                   {{"book_id", QString::number(book)}, {"chapter_id", QString::number(c2)}, {"status", "0"}})
                .code(),
            200);

        QCOMPARE(a.post("/synchronization/synBookData").content().toArray().size(), 0);
        const QJsonArray items = b.post("/synchronization/synBookData").content().toArray();
        QCOMPARE(typesOf(items), (QList<int>{1, 4, 4, 9, 6}));
        const QJsonObject newBook =
            QJsonDocument::fromJson(items.at(0).toObject().value("extra").toString().toUtf8()).object();
        QCOMPARE(newBook.value("book_name").toString(), QStringLiteral("长夜"));
        const QJsonObject newChapter =
            QJsonDocument::fromJson(items.at(2).toObject().value("extra").toString().toUtf8()).object();
        QCOMPARE(newChapter.value("order_num").toInt(), 2);
        QCOMPARE(items.at(3).toObject().value("chapter_id").toInt(), int(c1));
        const TestHttpReply text = b.get(
            "/chapter/chapter", {{"book_id", QString::number(book)}, {"chapter_id", QString::number(c1)}});
        QCOMPARE(text.object().value("content").toString(), QStringLiteral("雨夜，灯下，有人敲门。"));
        QCOMPARE(text.object().value("word_count").toInt(), 11);

        // Acknowledging the first two leaves the rest, once.
        const int second = items.at(1).toObject().value("id").toInt();
        QCOMPARE(
            b.post("/synchronization/synAuthor", {{"task_id", QString::number(second)}, {"syn_type", "2"}})
                .code(),
            200);
        QCOMPARE(typesOf(b.post("/synchronization/synBookData").content().toArray()), (QList<int>{4, 9, 6}));
        const int last = items.last().toObject().value("id").toInt();
        QCOMPARE(b.post("/synchronization/synAuthor", {{"task_id", QString::number(last)}, {"syn_type", "2"}})
                     .code(),
                 200);
        QCOMPARE(b.post("/synchronization/synBookData").content().toArray().size(), 0);
    }

    void creationsAreIdempotent()
    {
        const TestHttp a = machine(QStringLiteral("aaaa0002"));
        const qint64 book = addBook(a, QStringLiteral("重发"), 7);
        QCOMPARE(addBook(a, QStringLiteral("重发"), 7), book);
        m_resentBook = book;
        QVERIFY(addBook(machine(QStringLiteral("other")), QStringLiteral("重发"), 7) != book);
        const qint64 chapter = addChapter(a, book, 9, 1);
        QCOMPARE(addChapter(a, book, 9, 1), chapter);
        const QByteArray list = QJsonDocument(QJsonArray{QJsonObject{{"chapter_name", "一"},
                                                                     {"local_id", 31},
                                                                     {"update_time", 1},
                                                                     {"order_num", 2},
                                                                     {"content", "甲"}},
                                                         QJsonObject{{"chapter_name", "二"},
                                                                     {"local_id", 32},
                                                                     {"update_time", 1},
                                                                     {"order_num", 3},
                                                                     {"content", "乙"}}})
                                    .toJson(QJsonDocument::Compact);
        const QJsonArray first = a.post("/chapter/batchCreateChapter", {{"book_id", QString::number(book)},
                                                                        {"list", QString::fromUtf8(list)}})
                                     .content()
                                     .toArray();
        const QJsonArray again = a.post("/chapter/batchCreateChapter", {{"book_id", QString::number(book)},
                                                                        {"list", QString::fromUtf8(list)}})
                                     .content()
                                     .toArray();
        QCOMPARE(first.size(), 2);
        QCOMPARE(again, first);
        TestHttp memo = a;
        memo.setUserdata(QStringLiteral("%1,37,0,0,0,0,5,1,0,44,0").arg(m_uid));
        const int memoId =
            memo.post("/memo/addMemo",
                      {{"content", "{\"color\":\"#FFE58F\",\"content\":\"伏笔\"}"}, {"color", "#FFE58F"}})
                .object()
                .value("memo_id")
                .toInt();
        QVERIFY(memoId > 0);
        QCOMPARE(memo.post("/memo/addMemo", {{"content", "x"}, {"color", "#FFE58F"}})
                     .object()
                     .value("memo_id")
                     .toInt(),
                 memoId);
        QCOMPARE(a.get("/chapter/chapterMenu", {{"book_id", QString::number(book)}, {"order", "asc"}})
                     .object()
                     .value("menu")
                     .toArray()
                     .size(),
                 3);
    }

    // A change made after the other machine fetched the feed, but before it
    // acknowledged what it fetched, is announced on its next pull.
    void changeAfterTheFetchIsAnnouncedAgain_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("fields"); // "%B" book, "%C" chapter, "%M" memo, "%N" a fresh text
        QTest::addColumn<int>("type");
        QTest::newRow("chapter text")
            << "/chapter/editChapter" << QStringList{"book_id", "%B", "chapter_id", "%C", "content", "%N"}
            << 9;
        QTest::newRow("book information")
            << "/books/editBook" << QStringList{"book_id", "%B", "intro", "%N"} << 2;
        QTest::newRow("memo") << "/memo/editMemo" << QStringList{"memo_id", "%M", "content", "%N"} << 16;
        QTest::newRow("profile") << "/author/updateAuthor" << QStringList{"sign", "%N"} << 13;
        QTest::newRow("statistics") << "/authorcount/saveData"
                                    << QStringList{"pc_word", "7", "write_time", "9"} << 12;
        QTest::newRow("private words") << "/sensitive/editSensitive" << QStringList{"words", "%N"} << 18;
    }

    void changeAfterTheFetchIsAnnouncedAgain()
    {
        QFETCH(QString, path);
        QFETCH(QStringList, fields);
        QFETCH(int, type);
        const TestHttp a = machine(QStringLiteral("aaaa0008"));
        const TestHttp b = machine(QStringLiteral("bbbb0008"));
        static qint64 book = 0, chapter = 0, memo = 0;
        if (!book) {
            book = addBook(a, QStringLiteral("回声"), 801);
            chapter = addChapter(a, book, 802, 1);
            memo = a.post("/memo/addMemo", {{"content", "初稿"}, {"color", "#FFFFFF"}})
                       .object()
                       .value("memo_id")
                       .toInt();
            QVERIFY(book > 0 && chapter > 0 && memo > 0);
        }
        drain(a);
        drain(b);
        static int round = 0;
        auto change = [&]() {
            TestHttp::Fields form;
            for (int i = 0; i + 1 < fields.size(); i += 2) {
                QString v = fields.at(i + 1);
                v.replace("%B", QString::number(book)).replace("%C", QString::number(chapter));
                v.replace("%M", QString::number(memo)).replace("%N", QStringLiteral("第%1稿").arg(++round));
                form.append({fields.at(i), v});
            }
            const TestHttpReply r = a.post(path, form);
            QVERIFY2(r.code() == 200, qPrintable(r.msg()));
        };
        change();
        const QJsonArray fetched = b.post("/synchronization/synBookData").content().toArray();
        QCOMPARE(typesOf(fetched), QList<int>{type});
        change(); // while b applies what it fetched
        QCOMPARE(b.post("/synchronization/synAuthor",
                        {{"task_id", QString::number(fetched.last().toObject().value("id").toInt())},
                         {"syn_type", "2"}})
                     .code(),
                 200);
        const QJsonArray next = b.post("/synchronization/synBookData").content().toArray();
        QCOMPARE(typesOf(next), QList<int>{type});
        QVERIFY(next.first().toObject().value("id").toInt() > fetched.last().toObject().value("id").toInt());
        // Two changes before any fetch are still announced once.
        drain(b);
        change();
        change();
        QCOMPARE(typesOf(b.post("/synchronization/synBookData").content().toArray()), QList<int>{type});
    }

    // The same local id names different chapters in different books, and a
    // creation resent after its object was deleted makes a live one.
    void creationKeysAndDeletedObjects()
    {
        const TestHttp a = machine(QStringLiteral("aaaa0009"));
        const qint64 first = addBook(a, QStringLiteral("甲书"), 901);
        const qint64 second = addBook(a, QStringLiteral("乙书"), 902);
        const qint64 c1 = addChapter(a, first, 77, 1);
        const qint64 c2 = addChapter(a, second, 77, 1);
        QVERIFY(c1 > 0 && c2 > 0);
        QVERIFY(c1 != c2);
        const TestHttpReply inSecond = a.get(
            "/chapter/chapter", {{"book_id", QString::number(second)}, {"chapter_id", QString::number(c2)}});
        QCOMPARE(inSecond.code(), 200);
        QCOMPARE(addChapter(a, second, 77, 1), c2);

        // Deleted elsewhere, then the creation comes again (its answer was lost).
        QCOMPARE(a.post("/chapter/delChapter",
                        {{"book_id", QString::number(first)}, {"chapter_id", QString::number(c1)}})
                     .code(),
                 200);
        const qint64 again = addChapter(a, first, 77, 1);
        QVERIFY(again > 0 && again != c1);
        QCOMPARE(a.post("/chapter/editChapter", {{"book_id", QString::number(first)},
                                                 {"chapter_id", QString::number(again)},
                                                 {"content", "重来"}})
                     .code(),
                 200);
        QCOMPARE(addChapter(a, first, 77, 1), again);

        QCOMPARE(a.post("/books/deleteBook", {{"book_id", QString::number(second)}}).code(), 200);
        const qint64 reborn = addBook(a, QStringLiteral("乙书"), 902);
        QVERIFY(reborn > 0 && reborn != second);
        QCOMPARE(a.get("/books/bookinfo", {{"book_id", QString::number(reborn)}}).code(), 200);

        TestHttp memo = a;
        memo.setUserdata(QStringLiteral("%1,37,0,0,0,0,5,1,0,903,0").arg(m_uid));
        const int memoId = memo.post("/memo/addMemo", {{"content", "a"}, {"color", "#FFFFFF"}})
                               .object()
                               .value("memo_id")
                               .toInt();
        QCOMPARE(a.post("/memo/delMemo", {{"memo_id", QString::number(memoId)}}).code(), 200);
        const int memoAgain = memo.post("/memo/addMemo", {{"content", "a"}, {"color", "#FFFFFF"}})
                                  .object()
                                  .value("memo_id")
                                  .toInt();
        QVERIFY(memoAgain > 0 && memoAgain != memoId);
        QCOMPARE(a.post("/memo/editMemo", {{"memo_id", QString::number(memoAgain)}, {"content", "b"}}).code(),
                 200);
    }

    // Batches in the feed and answers of "/chapter/getChapters" stay within
    // a size; what an answer leaves out is announced again.
    void chapterListsAreBoundedBySize()
    {
        const TestHttp a = machine(QStringLiteral("aaaa0010"));
        const TestHttp b = machine(QStringLiteral("bbbb0010"));
        const qint64 book = addBook(a, QStringLiteral("巨著"), 1001);
        drain(b);
        QJsonArray list;
        for (int i = 0; i < 3; ++i)
            list.append(QJsonObject{{"chapter_name", QStringLiteral("第%1章").arg(i + 1)},
                                    {"local_id", 1010 + i},
                                    {"order_num", i + 1},
                                    {"content", QString(1000000, QLatin1Char('a' + i))}});
        const QJsonArray created =
            a.post("/chapter/batchCreateChapter",
                   {{"book_id", QString::number(book)},
                    {"list", QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Compact))}})
                .content()
                .toArray();
        QCOMPARE(created.size(), 3);
        QStringList all;
        for (const QJsonValue &v : created)
            all << QString::number(v.toObject().value("chapter_id").toInt());
        const QJsonArray items = b.post("/synchronization/synBookData").content().toArray();
        QCOMPARE(typesOf(items), (QList<int>{19, 19, 19}));
        drain(b);

        const QJsonArray first =
            b.get("/chapter/getChapters", {{"book_id", QString::number(book)}, {"c_ids", all.join(',')}})
                .content()
                .toArray();
        QCOMPARE(first.size(), 1);
        QCOMPARE(first.at(0).toObject().value("content").toString(), QString(1000000, QLatin1Char('a')));
        const QJsonArray rest = b.post("/synchronization/synBookData").content().toArray();
        QCOMPARE(typesOf(rest), QList<int>{19});
        const QString cids = QJsonDocument::fromJson(rest.at(0).toObject().value("extra").toString().toUtf8())
                                 .object()
                                 .value("cids")
                                 .toString();
        QCOMPARE(cids, all.mid(1).join(','));
        drain(b);
    }

    // An author has a bounded number of active machines: a new one retires
    // the one unused for longest, which starts over when it comes back,
    // told of what was deleted meanwhile.
    void machinesBeyondTheLimitAreRetired()
    {
        TestServer server;
        server.setExtraArguments({"--max-devices", "3"});
        QVERIFY(server.start());
        QString token;
        qint64 uid = 0;
        QVERIFY(server.signUp(QStringLiteral("13700000010"), kPassword, token, uid));
        auto on = [&](const QString &code) {
            TestHttp h(server.baseUrl());
            h.setToken(token);
            h.setUniqueCode(code);
            return h;
        };
        const TestHttp a = on("aaaa0011"), b = on("bbbb0011"), c = on("cccc0011"), d = on("dddd0011");
        drain(a);
        const qint64 gone = addBook(a, QStringLiteral("将删"), 1101);
        const qint64 kept = addBook(a, QStringLiteral("留下"), 1102);
        for (const TestHttp *h : {&b, &c, &a}) {
            QTest::qWait(1100); // a later second of use each
            drain(*h);
        }
        drain(d); // the fourth machine: b, unused for longest, is retired
        QCOMPARE(a.post("/books/deleteBook", {{"book_id", QString::number(gone)}}).code(), 200);
        QTRY_VERIFY(server.output().contains("is retired"));

        const QJsonArray back = b.post("/synchronization/synBookData").content().toArray();
        QVERIFY(!back.isEmpty());
        QCOMPARE(back.first().toObject().value("change_type").toInt(), 3);
        QCOMPARE(back.first().toObject().value("book_id").toInt(), int(gone));
        QList<int> newBooks;
        for (const QJsonValue &v : back) {
            if (v.toObject().value("change_type").toInt() == 1)
                newBooks << v.toObject().value("book_id").toInt();
        }
        QCOMPARE(newBooks, QList<int>{int(kept)});
    }

    void freshMachineReceivesTheWholeAccount()
    {
        const TestHttp fresh = machine(QStringLiteral("ffff0003"));
        const QJsonArray items = fresh.post("/synchronization/synBookData").content().toArray();
        const QJsonArray books = fresh.get("/books/booksList").content().toArray();
        QVERIFY(books.size() >= 2);
        int newBooks = 0, memos = 0, profiles = 0;
        QSet<int> fetchedChapters;
        for (const QJsonValue &v : items) {
            const QJsonObject item = v.toObject();
            const int type = item.value("change_type").toInt();
            newBooks += type == 1;
            memos += type == 15;
            profiles += type == 13;
            if (type != 19)
                continue;
            const QString cids = QJsonDocument::fromJson(item.value("extra").toString().toUtf8())
                                     .object()
                                     .value("cids")
                                     .toString();
            const QJsonArray chapters =
                fresh
                    .get("/chapter/getChapters",
                         {{"book_id", QString::number(item.value("book_id").toInt())}, {"c_ids", cids}})
                    .content()
                    .toArray();
            QCOMPARE(chapters.size(), cids.split(',').size());
            for (const QJsonValue &c : chapters)
                fetchedChapters.insert(c.toObject().value("chapter_id").toInt());
        }
        QCOMPARE(newBooks, books.size());
        QCOMPARE(memos, fresh.post("/memo/memoList").content().toArray().size());
        QCOMPARE(profiles, 1);
        int serverChapters = 0;
        for (const QJsonValue &b : books)
            serverChapters += fresh
                                  .get("/chapter/chapterMenu",
                                       {{"book_id", QString::number(b.toObject().value("book_id").toInt())}})
                                  .object()
                                  .value("menu")
                                  .toArray()
                                  .size();
        QCOMPARE(fetchedChapters.size(), serverChapters);
    }

    void otherAuthorReachesNothing_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("fields"); // "%B" book, "%C" chapter, "%M" memo
        QTest::newRow("bookinfo") << "/books/bookinfo" << QStringList{"book_id", "%B"};
        QTest::newRow("editBook") << "/books/editBook" << QStringList{"book_id", "%B", "book_name", "x"};
        QTest::newRow("deleteBook") << "/books/deleteBook" << QStringList{"book_id", "%B"};
        QTest::newRow("createChapter")
            << "/chapter/createChapter" << QStringList{"book_id", "%B", "local_id", "1"};
        QTest::newRow("batch") << "/chapter/batchCreateChapter" << QStringList{"book_id", "%B", "list", "[]"};
        QTest::newRow("recycle") << "/chapter/recycle"
                                 << QStringList{"book_id", "%B", "chapter_id", "%C", "status", "0"};
        QTest::newRow("delChapter") << "/chapter/delChapter"
                                    << QStringList{"book_id", "%B", "chapter_id", "%C"};
        QTest::newRow("menu") << "/chapter/chapterMenu" << QStringList{"book_id", "%B"};
        QTest::newRow("chapter") << "/chapter/chapter" << QStringList{"book_id", "%B", "chapter_id", "%C"};
        QTest::newRow("getChapters") << "/chapter/getChapters" << QStringList{"book_id", "%B", "c_ids", "%C"};
        QTest::newRow("edit") << "/chapter/editChapter"
                              << QStringList{"book_id", "%B", "chapter_id", "%C", "content", "x"};
        QTest::newRow("move") << "/chapter/moveChapter"
                              << QStringList{"book_id", "%B", "chapter_id", "%C", "direction", "1"};
        QTest::newRow("blade") << "/chapter/contentBlade"
                               << QStringList{"book_id", "%B", "chapter_id", "%C", "content", "x"};
        QTest::newRow("timeMachine") << "/chapter/timeMachine"
                                     << QStringList{"book_id", "%B", "chapter_id", "%C"};
        QTest::newRow("delMemo") << "/memo/delMemo" << QStringList{"memo_id", "%M"};
        QTest::newRow("editMemo") << "/memo/editMemo" << QStringList{"memo_id", "%M", "content", "x"};
        QTest::newRow("memoDetail") << "/memo/memoDetail" << QStringList{"memo_id", "%M"};
        QTest::newRow("pin own memo to foreign chapter")
            << "/memo/editMemo" << QStringList{"memo_id", "%OWN", "book_id", "%B", "chapter_id", "%C"};
    }

    void otherAuthorReachesNothing()
    {
        QFETCH(QString, path);
        QFETCH(QStringList, fields);
        const TestHttp owner = machine(QStringLiteral("aaaa0004"));
        static qint64 book = 0, chapter = 0, memo = 0, ownMemo = 0;
        static QString intruderToken;
        if (!book) {
            book = addBook(owner, QStringLiteral("私密"), 501);
            chapter = addChapter(owner, book, 502, 1);
            QCOMPARE(owner
                         .post("/chapter/editChapter", {{"book_id", QString::number(book)},
                                                        {"chapter_id", QString::number(chapter)},
                                                        {"content", "秘密"}})
                         .code(),
                     200);
            memo = owner.post("/memo/addMemo", {{"content", "秘密"}, {"color", "#FFFFFF"}})
                       .object()
                       .value("memo_id")
                       .toInt();
            qint64 uid = 0;
            QVERIFY(m_server.signUp(QStringLiteral("13700000002"), kPassword, intruderToken, uid));
            TestHttp intruder(m_server.baseUrl());
            intruder.setToken(intruderToken);
            ownMemo = intruder.post("/memo/addMemo", {{"content", "mine"}, {"color", "#FFFFFF"}})
                          .object()
                          .value("memo_id")
                          .toInt();
        }
        TestHttp intruder(m_server.baseUrl());
        intruder.setToken(intruderToken);
        intruder.setUniqueCode(QStringLiteral("eeee0004"));
        TestHttp::Fields form;
        for (int i = 0; i + 1 < fields.size(); i += 2) {
            QString v = fields.at(i + 1);
            v.replace("%OWN", QString::number(ownMemo)).replace("%B", QString::number(book));
            v.replace("%C", QString::number(chapter)).replace("%M", QString::number(memo));
            form.append({fields.at(i), v});
        }
        const TestHttpReply r = intruder.post(path, form);
        QCOMPARE(r.code(), 404);
        QVERIFY(!r.body.contains("秘密"));
        // Nothing changed for the owner.
        const QJsonObject text = owner
                                     .get("/chapter/chapter", {{"book_id", QString::number(book)},
                                                               {"chapter_id", QString::number(chapter)}})
                                     .object();
        QCOMPARE(text.value("content").toString(), QStringLiteral("秘密"));
        QCOMPARE(text.value("status").toInt(), 1);
        QCOMPARE(owner.get("/memo/memoDetail", {{"memo_id", QString::number(memo)}})
                     .object()
                     .value("content")
                     .toString(),
                 QStringLiteral("秘密"));
        QCOMPARE(intruder.get("/books/booksList").content().toArray().size(), 0);
        QCOMPARE(intruder.post("/authorcount/userData").object().value("timeData").toArray().size(), 0);
    }

    // Far beyond the 8 KB the HTTP library would read into a form by itself.
    void longChapterRoundTrips()
    {
        const TestHttp a = machine(QStringLiteral("aaaa0007"));
        const qint64 book = addBook(a, QStringLiteral("长篇"), 701);
        const qint64 chapter = addChapter(a, book, 702, 1);
        const QString text = QStringLiteral("风起于青萍之末，浪成于微澜之间。\n").repeated(2000);
        QCOMPARE(a.post("/chapter/editChapter", {{"book_id", QString::number(book)},
                                                 {"chapter_id", QString::number(chapter)},
                                                 {"content", text}})
                     .code(),
                 200);
        const QJsonObject back = a.get("/chapter/chapter", {{"book_id", QString::number(book)},
                                                            {"chapter_id", QString::number(chapter)}})
                                     .object();
        QCOMPARE(back.value("content").toString(), text);
        QCOMPARE(back.value("word_count").toInt(), 16 * 2000);
    }

    void statisticsAddUpPerDay()
    {
        const TestHttp a = machine(QStringLiteral("aaaa0005"));
        QCOMPARE(a.post("/authorcount/saveData",
                        {{"pc_word", "100"}, {"write_time", "60"}, {"speed", "900"}, {"date", "2024-05-01"}})
                     .code(),
                 200);
        QCOMPARE(a.post("/authorcount/saveData",
                        {{"pc_word", "50"}, {"write_time", "30"}, {"speed", "1200"}, {"date", "2024-05-01"}})
                     .code(),
                 200);
        const QJsonObject s = a.post("/authorcount/userData").object();
        QCOMPARE(s.value("timeData").toArray().first().toString(), QStringLiteral("2024-05-01"));
        QCOMPARE(s.value("wordData").toArray().first().toInt(), 150);
        QCOMPARE(s.value("writeTimeData").toArray().first().toInt(), 90);
        QCOMPARE(s.value("speedData").toArray().first().toInt(), 1200);
    }

    void restartKeepsEverything()
    {
        const TestHttp before = machine(QStringLiteral("aaaa0006"));
        const QJsonArray books = before.get("/books/booksList").content().toArray();
        QVERIFY(!books.isEmpty());
        QVERIFY(m_server.restart());
        const TestHttp after = machine(QStringLiteral("aaaa0006"));
        QCOMPARE(after.get("/author/info").code(), 200);
        QCOMPARE(after.get("/books/booksList").content().toArray(), books);
        // The creation memory survives too.
        QCOMPARE(addBook(machine(QStringLiteral("aaaa0002")), QStringLiteral("重发"), 7), m_resentBook);
    }
};

QUORVIN_TEST_MAIN(TstServerSync)
#include "tst_server_sync.moc"
