// Rows written and read back through the store's operations.
#include "tst_db.h"

#include <QtTest>

namespace {

QString bigChapter()
{
    const QString line = QString::fromUtf8("第一章 山雨欲来。他说：'走吧' %1 %10 %% \\n 😀\r\n");
    QString text;
    while (text.size() < 1024 * 1024)
        text += line;
    return text;
}

} // namespace

void TestDb::textRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("quotes") << QString("it's 'quoted' ''twice''");
    QTest::newRow("markers") << QString("%1 %2 %10 %11 %% %");
    QTest::newRow("backslashes") << QString("C:\\path\\to \\' \\\\");
    QTest::newRow("line breaks") << QString("one\r\ntwo\nthree\r");
    QTest::newRow("non-BMP") << QString::fromUtf8("😀🐉𠀀 and 𝄞");
    QTest::newRow("chinese") << QString::fromUtf8("第十二章 风起云涌，“引号”与‘单引号’");
    QTest::newRow("1 MB chapter") << bigChapter();
}

// Every text column that holds the author's words comes back unchanged.
void TestDb::textRoundTrip()
{
    QFETCH(QString, text);

    QVERIFY(m_db->insertBook(7, text, 0));
    const int localBookId = m_db->lastInsertId("tb_book");
    QVERIFY(localBookId > 0);
    const int localChapterId = addChapter(localBookId, text, text);
    QVERIFY(localChapterId > 0);
    const int second = addChapter(localBookId, "second", QString(), 2);
    QVERIFY(m_db->renameChapter(second, text));
    QVERIFY(m_db->setChapterContent(second, text, text.size()));

    QList<T_Book *> books;
    QVERIFY(m_db->getBooks(7, books));
    QCOMPARE(books.size(), 1);
    T_Book *book = books.first();
    QCOMPARE(book->bookName, text);
    book->intro = text;
    book->localCover = text;
    QVERIFY(m_db->updateBook(*book));
    QCOMPARE(book->chapterList.size(), 2);
    for (T_Chapter *chapter : qAsConst(book->chapterList)) {
        QCOMPARE(chapter->name, text);
        QVERIFY(!chapter->isContentLoaded);
        QVERIFY(chapter->content.isEmpty());
        // Written back before its text was read, a chapter keeps its stored text.
        QVERIFY(m_db->updateChapter(*chapter));
        QVERIFY(m_db->ensureChapterContent(*chapter));
        QVERIFY(chapter->isContentLoaded);
        QCOMPARE(chapter->content, text);
    }
    QVERIFY(m_db->getBooks(7, books));
    QCOMPARE(books.first()->intro, text);
    QCOMPARE(books.first()->localCover, text);
    qDeleteAll(books);

    // The job keeps the text inside its JSON exactly once escaped.
    T_Http_C header;
    header.uid = 7;
    header.localBookId = localBookId;
    header.localChapterId = localChapterId;
    header.jobType = JobType_ChapterText;
    QVERIFY(m_db->addJob(header, text, 1));
    T_JobData job;
    QVERIFY(m_db->getUserJobData(job, 7));
    QCOMPARE(QJsonDocument::fromJson(job.content.toUtf8()).object().value("content").toString(), text);

    QVERIFY(m_db->insertContentBlade(7, localBookId, localChapterId, 0, 0, text));
    QList<T_ContentBlade> blades;
    QVERIFY(m_db->getContentBlades(localChapterId, blades));
    QCOMPARE(blades.size(), 1);
    QCOMPARE(blades.first().content, text);
    QCOMPARE(blades.first().wordCount, text.size());

    T_Memo memo;
    memo.color = "#FFAA00";
    memo.content = text;
    memo.updateTime = 5;
    QVERIFY(m_db->insertMemo(7, memo));
    QList<T_Memo *> memos;
    QVERIFY(m_db->getMemos(7, memos));
    QCOMPARE(memos.size(), 1);
    QCOMPARE(memos.first()->content, text);
    qDeleteAll(memos);

    TS_Author_Info author;
    author.uid = 7;
    author.sign = text;
    author.authorName = text;
    T_User user;
    user.hideKey = text;
    user.fontFamily = text;
    QVERIFY(m_db->insertUser(author, user));
    TS_Author_Info readAuthor;
    T_User readUser;
    QVERIFY(m_db->getUserData(7, readAuthor, readUser));
    QCOMPARE(readAuthor.sign, text);
    QCOMPARE(readAuthor.authorName, text);
    QCOMPARE(readUser.hideKey, text);
    QCOMPARE(readUser.fontFamily, text);

    QVERIFY(m_db->saveSensitiveWords(7, 2, text, 0));
    QString publicWords, authorWords;
    QVERIFY(m_db->getSensitiveWords(7, publicWords, authorWords));
    QCOMPARE(authorWords, text);
}

void TestDb::chapterTextsStoredAsGiven_data()
{
    QTest::addColumn<QString>("text");
    QString chapter;
    while (chapter.size() < 200000)
        chapter += QString::fromUtf8("他说：'走吧' \\' \"引号\" ? ?1 :name @x $y 😀 %1\n");
    QTest::newRow("200k chapter") << chapter;
    QTest::newRow("NULs") << QString("before") + QChar(0) + "after" + QChar(0);
    QTest::newRow("quotes and backslashes") << QString("'); drop table tb_chapter; -- \\' \\\\ ''");
    QTest::newRow("placeholders") << QString("? ?2 :content @a $b");
    QTest::newRow("emoji") << QString::fromUtf8("👩‍👩‍👧 🇨🇳 1️⃣ 𠀀");
    QTest::newRow("empty") << QString("");
    QTest::newRow("null") << QString();
}

// The chapter's text, its job and its snapshots keep every character as
// given, and hold text (an empty text too, never NULL) as they always have.
void TestDb::chapterTextsStoredAsGiven()
{
    QFETCH(QString, text);
    const QString expected = text.isNull() ? QString("") : text;
    const QByteArray utf8 = expected.toUtf8();

    QVERIFY(m_db->insertBook(7, "book", 0));
    const int localBookId = m_db->lastInsertId("tb_book");
    const int localChapterId = addChapter(localBookId, text, text);
    QVERIFY(localChapterId > 0);
    auto checkColumn = [&](const QString &table, const QString &where) {
        const QString from = QStringLiteral(" from %1 where %2").arg(table, where);
        QCOMPARE(scalar("select typeof(content)" + from).toString(), QString("text"));
        QCOMPARE(scalar("select hex(content)" + from).toByteArray(), utf8.toHex().toUpper());
    };
    checkColumn("tb_chapter", QString("localId = %1").arg(localChapterId));
    QCOMPARE(scalar(QString("select hex(name) from tb_chapter where localId = %1").arg(localChapterId))
                 .toByteArray(),
             utf8.toHex().toUpper());

    T_Chapter chapter;
    chapter.localId = localChapterId;
    chapter.localBookId = localBookId;
    chapter.name = text;
    chapter.content = "other";
    chapter.isContentLoaded = true;
    QVERIFY(m_db->updateChapter(chapter));
    QVERIFY(m_db->setChapterContent(localChapterId, text, 3));
    checkColumn("tb_chapter", QString("localId = %1").arg(localChapterId));
    QString read;
    QVERIFY(m_db->getChapterContent(localChapterId, read));
    QCOMPARE(read, expected);

    // Saved twice, the text folds into one job that carries it as JSON.
    T_Http_C header;
    header.uid = 7;
    header.localBookId = localBookId;
    header.localChapterId = localChapterId;
    QVERIFY(m_db->saveChapterText(header, "first", 5, 1));
    QVERIFY(m_db->saveChapterText(header, text, 3, 2));
    QCOMPARE(count("tb_job"), 1);
    checkColumn("tb_chapter", QString("localId = %1").arg(localChapterId));
    T_JobData job;
    QVERIFY(m_db->getJob(header.jobId, job));
    QCOMPARE(QJsonDocument::fromJson(job.content.toUtf8()).object().value("content").toString(), expected);

    // A snapshot, the same one kept here, and the server's list.
    QVERIFY(m_db->insertContentBlade(7, localBookId, localChapterId, 0, 0, text));
    QVERIFY(m_db->keepContentBladeHere(7, localBookId, localChapterId, 0, 0, text));
    QCOMPARE(count("tb_contentblade"), 1);
    checkColumn("tb_contentblade", QString("bladeId = %1").arg(CQuorvinDb::kKeptHereBladeId));
    QVERIFY(m_db->setChapterServerId(localChapterId, 66));
    T_ContentBlade fromServer;
    fromServer.bladeId = 9;
    fromServer.content = text;
    QVERIFY(m_db->replaceContentBlades(7, localBookId, localChapterId, 0, 66, {fromServer}));
    checkColumn("tb_contentblade", "bladeId = 9");
    QList<T_ContentBlade> blades;
    QVERIFY(m_db->getContentBlades(localChapterId, blades));
    QCOMPARE(blades.size(), 2);
    for (const T_ContentBlade &blade : qAsConst(blades))
        QCOMPARE(blade.content, expected);
}

void TestDb::booksAndChapters()
{
    QVERIFY(m_db->insertBook(3, "older", 0));
    const int older = m_db->lastInsertId("tb_book");
    QVERIFY(m_db->insertBook(3, "newer", 55));
    const int newer = m_db->lastInsertId("tb_book");
    QVERIFY(m_db->insertBook(4, "someone else's", 0));
    QVERIFY(m_db->updateWhere("tb_book", "updateTime", 100, "localId", older));
    QVERIFY(m_db->updateWhere("tb_book", "updateTime", 200, "localId", newer));
    QVERIFY(m_db->setBookMoney(older, 12.5));
    QVERIFY(m_db->setLastEditChapter(older, 9));

    const int third = addChapter(older, "third", "ccc", 3);
    const int first = addChapter(older, "first", "a", 1);
    const int recycled = addChapter(older, "recycled", "bb", 2);
    QVERIFY(m_db->setChapterOrder(recycled, 2, 0));
    T_Chapter plain;
    plain.localBookId = older;
    plain.name = "no text yet";
    plain.orderNum = 4;
    QVERIFY(m_db->insertChapter(plain));
    QCOMPARE(scalar("select status from tb_chapter where name = 'no text yet'").toInt(), 1);

    QList<T_Book *> books;
    QVERIFY(m_db->getBooks(3, books));
    QCOMPARE(books.size(), 2);
    QCOMPARE(books[0]->localId, older); // setLastEditChapter touched it last
    QCOMPARE(books[1]->bookId, 55);
    T_Book *book = books[0];
    QVERIFY(book->isChaptersLoaded);
    QCOMPARE(book->money, 12.5);
    QCOMPARE(book->lastEditChapterId, 9);
    QCOMPARE(book->chapterList.size(), 3);
    QCOMPARE(book->chapterList[0]->localId, first);
    QCOMPARE(book->chapterList[1]->localId, third);
    QCOMPARE(book->chapterList[1]->wordCount, 3);
    QCOMPARE(book->recycleList.size(), 1);
    QCOMPARE(book->recycleList[0]->localId, recycled);

    T_Chapter *chapter = book->chapterList[1];
    chapter->name = "renamed";
    chapter->content = "new text"; // a text given is a text known
    chapter->isContentLoaded = true;
    chapter->wordCount = 8;
    chapter->status = 0;
    QVERIFY(m_db->updateChapter(*chapter));
    QVERIFY(m_db->getChapters(*book));
    QCOMPARE(book->recycleList.size(), 2);
    QString content;
    QVERIFY(m_db->getChapterContent(third, content));
    QCOMPARE(content, QString("new text"));
    qDeleteAll(books);

    QVERIFY(m_db->deleteChapter(first));
    QCOMPARE(count("tb_chapter", "localBookId = " + QString::number(older)), 3);
    QVERIFY(m_db->deleteBook(older));
    QCOMPARE(count("tb_book", "localId = " + QString::number(older)), 0);
    QCOMPARE(count("tb_chapter"), 0);

    QVERIFY(m_db->clearUserData());
    QCOMPARE(count("tb_book"), 0);
}

// When the second statement fails the first one is undone: a book row is
// never deleted while its chapters stay behind.
void TestDb::deleteBookIsAllOrNothing()
{
    QVERIFY(m_db->insertBook(3, "book", 0));
    const int localBookId = m_db->lastInsertId("tb_book");
    addChapter(localBookId, "one", "text");
    execRaw(
        "create trigger keep_chapters before delete on tb_chapter begin select raise(abort, 'refused'); end");

    QVERIFY(!m_db->deleteBook(localBookId));
    QVERIFY(m_db->lastError().contains("refused"));
    QCOMPARE(count("tb_book"), 1);
    QCOMPARE(count("tb_chapter"), 1);
}

void TestDb::serverIdsReachEveryTable()
{
    QVERIFY(m_db->insertBook(3, "book", 0));
    const int localBookId = m_db->lastInsertId("tb_book");
    const int localChapterId = addChapter(localBookId, "one", "text");
    QVERIFY(m_db->insertContentBlade(3, localBookId, localChapterId, 0, 0, "snapshot"));
    T_Memo memo;
    memo.color = "#000000";
    QVERIFY(m_db->insertMemo(3, memo));
    T_Memo pinned = memo;
    pinned.localBookId = localBookId;
    pinned.localChapterId = localChapterId;
    pinned.x = 1.5f;
    pinned.y = 0.25f;
    QVERIFY(m_db->updateMemo(3, pinned));
    T_Http_C header;
    header.uid = 3;
    header.localBookId = localBookId;
    header.localChapterId = localChapterId;
    header.localMemoId = memo.localId;
    header.jobType = JobType_ChapterText;
    QVERIFY(m_db->addJob(header, "text", 1));

    QVERIFY(m_db->setBookServerId(localBookId, 501));
    QVERIFY(m_db->setChapterServerId(localChapterId, 601));
    QVERIFY(m_db->setMemoServerId(memo.localId, 701));

    for (const char *table : {"tb_book", "tb_chapter", "tb_contentblade", "tb_job", "tb_memo"})
        QCOMPARE(count(table, "bookId = 501"), 1);
    for (const char *table : {"tb_chapter", "tb_contentblade", "tb_job", "tb_memo"})
        QCOMPARE(count(table, "chapterId = 601"), 1);
    for (const char *table : {"tb_job", "tb_memo"})
        QCOMPARE(count(table, "memoId = 701"), 1);

    QList<T_Memo *> memos;
    QVERIFY(m_db->getMemos(3, memos));
    QCOMPARE(memos.first()->x, 1.5f);
    QCOMPARE(memos.first()->y, 0.25f);
    QCOMPARE(memos.first()->bookId, 501);
    qDeleteAll(memos);
}

void TestDb::newAuthorGetsDefaults()
{
    TS_Author_Info author;
    author.uid = 12;
    author.token = "tok";
    author.uniqueCode = "code";
    author.isBindWx = 1;
    const T_User defaults;
    QVERIFY(m_db->insertUser(author, defaults));
    for (const char *table : {"tb_user", "tb_creation_conf", "tb_system_conf", "tb_lock"})
        QCOMPARE(count(table, "uid = 12"), 1);
    QCOMPARE(count("tb_sensitive_words", "uid = 12 and type = 2"), 1);

    TS_Author_Info readAuthor;
    T_User user;
    user.fontSize = 99;
    user.isSound = 0;
    user.sensitiveStatus = 0;
    user.lockType = 5;
    QVERIFY(m_db->getUserData(12, readAuthor, user));
    QCOMPARE(readAuthor.token, QString("tok"));
    QCOMPARE(readAuthor.uniqueCode, QString("code"));
    QCOMPARE(readAuthor.isBindWx, 1);
    QCOMPARE(readAuthor.style, 1);
    QCOMPARE(user.fontSize, 14);
    QCOMPARE(user.fontFamily, QString("Microsoft Yahei"));
    QCOMPARE(user.isFocusing, 1);
    QCOMPARE(user.isSound, 1);
    QCOMPARE(user.isShowMsgPt, 1);
    QCOMPARE(user.hideKey, QString("Ctrl+Shift+N"));
    QCOMPARE(user.sensitiveStatus, 3);
    QCOMPARE(user.lockType, 0);

    user.uid = 12;
    user.fontSize = 20;
    user.isTray = 1;
    user.hideKey = "Ctrl+Alt+H";
    user.lockType = 2;
    user.lockWords = 3000;
    QVERIFY(m_db->updateUserdata(user));
    QVERIFY(m_db->updateLock(user));
    readAuthor.style = 2;
    readAuthor.windowSize = 1;
    readAuthor.uid = 12;
    QVERIFY(m_db->updateUser(readAuthor));
    QVERIFY(m_db->setToken(12, "fresh"));

    T_User again;
    TS_Author_Info againAuthor;
    QVERIFY(m_db->getUserData(12, againAuthor, again));
    QCOMPARE(again.fontSize, 20);
    QCOMPARE(again.isTray, 1);
    QCOMPARE(again.hideKey, QString("Ctrl+Alt+H"));
    QCOMPARE(again.lockWords, 3000);
    QCOMPARE(againAuthor.style, 2);
    QCOMPARE(againAuthor.windowSize, 1);
    QCOMPARE(againAuthor.token, QString("fresh"));

    // A missing author leaves the records as they were.
    T_User untouched;
    untouched.fontSize = 33;
    QVERIFY(m_db->getUserData(404, againAuthor, untouched));
    QCOMPARE(untouched.fontSize, 33);
}

void TestDb::insertUserIsAllOrNothing()
{
    execRaw("create trigger no_lock before insert on tb_lock begin select raise(abort, 'refused'); end");
    TS_Author_Info author;
    author.uid = 12;
    QVERIFY(!m_db->insertUser(author, T_User()));
    for (const char *table :
         {"tb_user", "tb_creation_conf", "tb_system_conf", "tb_lock", "tb_sensitive_words"})
        QCOMPARE(count(table), 0);
}

void TestDb::memoAndSettingsWritesAreAllOrNothing_data()
{
    QTest::addColumn<QString>("refusedTable");
    QTest::newRow("insertMemo: the memo count") << "tb_system_conf";
    QTest::newRow("updateUserdata: the creation settings") << "tb_creation_conf";
}

// A second statement that fails undoes the first: no memo row without its
// count, no system settings stored without the creation settings.
void TestDb::memoAndSettingsWritesAreAllOrNothing()
{
    QFETCH(QString, refusedTable);
    TS_Author_Info author;
    author.uid = 12;
    T_User user;
    user.uid = 12;
    QVERIFY(m_db->insertUser(author, user));
    execRaw(
        QStringLiteral("create trigger refuse before update on %1 begin select raise(abort, 'refused'); end")
            .arg(refusedTable));
    if (refusedTable == "tb_system_conf") {
        T_Memo memo;
        memo.content = "note";
        QVERIFY(!m_db->insertMemo(12, memo));
        QCOMPARE(count("tb_memo"), 0);
    } else {
        user.isSound = 0;
        user.fontSize = 30;
        QVERIFY(!m_db->updateUserdata(user));
        QCOMPARE(scalar("select isSound from tb_system_conf where uid = 12").toInt(), 1);
    }
}

void TestDb::memos()
{
    TS_Author_Info author;
    author.uid = 8;
    QVERIFY(m_db->insertUser(author, T_User()));
    T_SessionData::instance().user.memoCount = 0;

    T_Memo first;
    first.color = "#111111";
    first.content = "first";
    first.updateTime = 100;
    QVERIFY(m_db->insertMemo(8, first));
    T_Memo second;
    second.color = "#222222";
    second.content = "second";
    second.updateTime = 200;
    QVERIFY(m_db->insertMemo(8, second));
    QVERIFY(first.localId > 0 && second.localId > first.localId);
    QCOMPARE(T_SessionData::instance().user.memoCount, 2);
    QCOMPARE(scalar("select memoCount from tb_system_conf where uid = 8").toInt(), 2);

    QList<T_Memo *> memos;
    QVERIFY(m_db->getMemos(8, memos));
    QCOMPARE(memos.size(), 2);
    QCOMPARE(memos[0]->content, QString("second"));
    QCOMPARE(memos[1]->colorUpdateTime, 100);
    qDeleteAll(memos);
    memos.clear();

    QVERIFY(m_db->deleteMemo(second.localId, 9)); // another author's id: nothing
    QCOMPARE(count("tb_memo"), 2);
    QVERIFY(m_db->deleteMemo(second.localId, 8));
    QVERIFY(m_db->getMemos(8, memos));
    QCOMPARE(memos.size(), 1);
    qDeleteAll(memos);

    // The record travels through QVariant under its registered name.
    QVERIFY(QMetaType::type("T_Memo") != QMetaType::UnknownType);
    const QVariant v = QVariant::fromValue(first);
    QCOMPARE(QString(v.typeName()), QString("T_Memo"));
    QCOMPARE(v.value<T_Memo>().content, QString("first"));
}

void TestDb::contentBlades()
{
    for (int i = 0; i < 12; ++i) {
        QVERIFY(m_db->insertContentBlade(1, 2, 3, 0, 0, QString("v%1").arg(i)));
        execRaw(QString("update tb_contentblade set createTime = %1 where content = 'v%1'").arg(i));
    }
    QList<T_ContentBlade> list;
    QVERIFY(m_db->getContentBlades(3, list));
    QCOMPARE(list.size(), 10);
    QCOMPARE(list.first().content, QString("v11"));
    QCOMPARE(list.last().content, QString("v2"));
    QVERIFY(list.first().localId > 0);

    // The server's list replaces the snapshots of that server chapter only;
    // a list for a chapter that has no server id replaces nothing.
    QVERIFY(m_db->insertContentBlade(1, 2, 4, 0, 77, "other chapter"));
    QVERIFY(m_db->setChapterServerId(3, 66));
    T_ContentBlade fromServer;
    fromServer.bladeId = 9;
    fromServer.content = "server's";
    fromServer.createTime = 50;
    fromServer.wordCount = 8;
    QVERIFY(!m_db->replaceContentBlades(1, 2, 5, 0, 0, {fromServer}));
    QCOMPARE(count("tb_contentblade"), 13);
    QVERIFY(m_db->replaceContentBlades(1, 2, 3, 0, 66, {fromServer, fromServer}));
    QVERIFY(m_db->getContentBlades(3, list));
    QCOMPARE(list.size(), 2);
    QCOMPARE(list.first().bladeId, 9);
    QCOMPARE(count("tb_contentblade", "chapterId = 77"), 1);
}

void TestDb::statistics()
{
    T_DayStatistics day;
    QVERIFY(!m_db->getTodayStatistics(5, day)); // no date: counting suspended
    day.date = "2026-03-02";
    day.writeTime = 9;
    QVERIFY(m_db->getTodayStatistics(5, day));
    QCOMPARE(day.writeTime, 0);
    QCOMPARE(count("tb_statistics"), 1);
    QVERIFY(m_db->ensureTodayStatistics(5, day.date));
    QCOMPARE(count("tb_statistics"), 1);

    day.writeTime = 60;
    day.wordCount = 500;
    day.writeSpeed = 3000;
    QVERIFY(m_db->addStatistics(5, day));
    QVERIFY(m_db->addStatistics(5, day));
    T_DayStatistics again;
    again.date = day.date;
    QVERIFY(m_db->getTodayStatistics(5, again));
    QCOMPARE(again.wordCount, 0); // counts what is added from now on
    QCOMPARE(again.writeSpeed, 3000);
    QCOMPARE(scalar("select wordCount from tb_statistics where uid = 5").toInt(), 1000);

    QVERIFY(!m_db->saveStatistics(5, {"2026-03-01"}, {1, 2}, {1}, {1}));
    QVERIFY(m_db->saveStatistics(5, {"2026-03-01", "2026-03-02"}, {100, 200}, {10, 4000}, {7, 8}));
    QCOMPARE(count("tb_statistics"), 2);

    T_WeekStatistics week;
    for (int i = 0; i < 7; ++i) {
        T_DayStatistics d;
        d.date = QDate(2026, 2, 24).addDays(i).toString("yyyy-MM-dd");
        week.days.append(d);
    }
    QVERIFY(m_db->getStatisticsSummary(5, week));
    QCOMPARE(week.bestWordCount, 4000);
    QCOMPARE(week.totalWords, 4010);
    QCOMPARE(week.totalWriteTime, 300);
    QCOMPARE(week.days[5].wordCount, 10);
    QCOMPARE(week.days[6].writeSpeed, 8);
    QCOMPARE(week.days[0].wordCount, 0);
}

void TestDb::namesAndSensitiveWords()
{
    QMap<int, QString> names{{2, "Li,Wang,,Zhao"}, {1, "A,B"}, {12, "x"}};
    QVERIFY(m_db->saveNames(names, 6));
    QVERIFY(names.isEmpty());
    TS_Author_Info author;
    TS_SynchronizaTion_SynData syn;
    QVERIFY(m_db->getSysData(author, syn));
    QCOMPARE(syn.peopleNameVersion, 6);

    QStringList list{"unchanged"};
    QVERIFY(m_db->getNames(2, list));
    QCOMPARE(list, QStringList({"Li", "Wang", "", "Zhao"}));
    for (int type : {0, 13}) {
        QStringList keep{"unchanged"};
        m_db->getNames(type, keep);
        QCOMPARE(keep, QStringList{"unchanged"});
    }
    QMap<int, QStringList> all;
    QVERIFY(m_db->getAllNames(all));
    QCOMPARE(all.keys(), QList<int>({1, 2, 12}));
    QCOMPARE(all.value(1), QStringList({"A", "B"}));

    QVERIFY(m_db->saveSensitiveWords(0, 1, "bad|worse", 3));
    QVERIFY(m_db->saveSensitiveWords(0, 1, "only|these", 4));
    QCOMPARE(count("tb_sensitive_words", "type = 1"), 1);
    QVERIFY(m_db->getSysData(author, syn));
    QCOMPARE(syn.sensitiveVersion, 4);
    QString publicWords, authorWords;
    QVERIFY(m_db->getSensitiveWords(1, publicWords, authorWords));
    QCOMPARE(publicWords, QString("only|these"));
}

void TestDb::categories()
{
    auto node = [](int id, int fId, const QString &name, int channel, QVector<T_Category> children = {}) {
        T_Category c;
        c.cateId = id;
        c.fId = fId;
        c.cateName = name;
        c.channelType = channel;
        c.childCount = children.size();
        c.children = children;
        return c;
    };
    const QVector<T_Category> male{
        node(10, 1, "Fantasy", 1, {node(101, 10, "High", 1), node(102, 10, "Low", 1)}),
        node(11, 1, "City", 1)};
    const QVector<T_Category> female{node(20, 2, "Romance", 2, {node(201, 20, "Palace's", 2)})};
    QVERIFY(m_db->saveCateList(9, male, female));
    TS_Author_Info author;
    TS_SynchronizaTion_SynData syn;
    QVERIFY(m_db->getSysData(author, syn));
    QCOMPARE(syn.cateVersion, 9);
    QCOMPARE(syn.maleCateCount, 2);
    QCOMPARE(syn.femaleCateCount, 1);

    T_CategoryData data;
    data.male.resize(syn.maleCateCount);
    data.female.resize(syn.femaleCateCount);
    QVERIFY(m_db->getCateList(data));
    QCOMPARE(data.male[0].cateName, QString("Fantasy"));
    QCOMPARE(data.male[0].children.size(), 2);
    QCOMPARE(data.male[0].children[1].cateId, 102);
    QCOMPARE(data.male[1].cateId, 11);
    QCOMPARE(data.female[0].children[0].cateName, QString("Palace's"));

    // A failure part-way keeps the old list and its version.
    execRaw("create trigger no_city before insert on tb_cate when new.cateId = 11 begin select raise(abort, "
            "'x'); "
            "end");
    QVERIFY(!m_db->saveCateList(10, male, female));
    QVERIFY(m_db->getSysData(author, syn));
    QCOMPARE(syn.cateVersion, 9);
    QCOMPARE(count("tb_cate"), 6);
}
