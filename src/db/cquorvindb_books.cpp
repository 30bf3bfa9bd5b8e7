// CQuorvinDb: books, chapters and time-machine snapshots.
#include "cquorvindb.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

namespace {

T_Book *readBook(const QSqlQuery &query, const QSqlRecord &record)
{
    auto value = [&](const char *column) { return query.value(record.indexOf(QLatin1String(column))); };
    auto *book = new T_Book;
    book->localId = value("localId").toInt();
    book->bookId = value("bookId").toInt();
    book->authorId = value("authorId").toInt();
    book->bookName = value("bookName").toString();
    book->cateId = value("cateId").toInt();
    book->cateFid = value("cateFid").toInt();
    book->channelType = value("channelType").toInt();
    book->chapterCount = value("chapterCount").toInt();
    book->coverUrl = value("coverUrl").toString();
    book->localCover = value("localCover").toString();
    book->intro = value("intro").toString();
    book->wordNum = value("wordNum").toInt();
    book->createTime = value("createTime").toInt();
    book->updateTime = value("updateTime").toInt();
    book->lastEditChapterId = value("lastEditChapterId").toInt();
    book->orderType = value("orderType").toInt();
    book->money = value("money").toDouble();
    return book;
}

// The columns of the chapter list: every column but the text, which is read
// when the chapter is first opened.
T_Chapter *readChapter(const QSqlQuery &query)
{
    auto *chapter = new T_Chapter;
    chapter->localId = query.value(0).toInt();
    chapter->chapterId = query.value(1).toInt();
    chapter->localBookId = query.value(2).toInt();
    chapter->bookId = query.value(3).toInt();
    chapter->name = query.value(4).toString();
    chapter->wordCount = query.value(5).toInt();
    chapter->status = query.value(6).toInt();
    chapter->orderNum = query.value(7).toInt();
    chapter->createTime = query.value(8).toInt();
    chapter->updateTime = query.value(9).toInt();
    return chapter;
}

} // namespace

bool CQuorvinDb::getBooks(int authorId, QList<T_Book *> &books)
{
    qDeleteAll(books);
    books.clear();
    {
        QSqlQuery query(connection());
        query.setForwardOnly(true);
        if (!sqlExec(query,
                     sqlFormat(QStringLiteral(
                                   "select * from tb_book where authorId = %1 order by updateTime desc;"),
                               {authorId})))
            return false;
        const QSqlRecord record = query.record();
        while (query.next())
            books.append(readBook(query, record));
    }
    bool ok = true;
    for (T_Book *book : qAsConst(books))
        ok = getChapters(*book) && ok;
    return ok;
}

bool CQuorvinDb::getChapters(T_Book &book)
{
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    if (!sqlExec(query, sqlFormat(QStringLiteral(
                                      "select localId,chapterId,localBookId,bookId,name,wordCount,status,"
                                      "orderNum,createTime,updateTime from tb_chapter where localBookId = "
                                      "%1 order by orderNum ASC,chapterId = 0,chapterId,localId"),
                                  {book.localId})))
        return false;
    book.clearChapters();
    while (query.next()) {
        T_Chapter *chapter = readChapter(query);
        if (chapter->status == 0)
            book.recycleList.append(chapter);
        else
            book.chapterList.append(chapter);
    }
    book.isChaptersLoaded = true;
    return true;
}

bool CQuorvinDb::getChapterContent(int localChapterId, QString &content)
{
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    if (!sqlExec(query, sqlFormat(QStringLiteral("select content from tb_chapter where localId = %1;"),
                                  {localChapterId})))
        return false;
    if (query.next())
        content = query.value(0).toString();
    return true;
}

bool CQuorvinDb::chapterExists(int localChapterId)
{
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    // A failed read counts as present: nothing is deleted on a guess.
    return !sqlExec(query, sqlFormat(QStringLiteral("select 1 from tb_chapter where localId = %1;"),
                                     {localChapterId})) ||
           query.next();
}

bool CQuorvinDb::ensureChapterContent(T_Chapter &chapter)
{
    if (chapter.isContentLoaded)
        return true;
    if (!getChapterContent(chapter.localId, chapter.content))
        return false;
    chapter.isContentLoaded = true;
    return true;
}

bool CQuorvinDb::insertBook(int uid, const QString &bookName, int bookId)
{
    return execAll({sqlFormat(QStringLiteral("insert into tb_book(authorId,bookName,createTime,bookId) "
                                             "values(%1,'%2',%3,%4);"),
                              {uid, bookName, currentTime(), bookId})});
}

bool CQuorvinDb::updateBook(const T_Book &book)
{
    return execAll({sqlFormat(
        QStringLiteral(
            "update tb_book set bookName = '%1',cateId = %2,channelType = %3, chapterCount = %4,coverUrl = "
            "'%5',localCover = '%6',intro = '%7',updateTime = %8,wordNum = %9,bookId = %10,cateFid = %11 "
            "where localId = %12;"),
        {book.bookName, book.cateId, book.channelType, book.chapterCount, book.coverUrl, book.localCover,
         book.intro, book.updateTime, book.wordNum, book.bookId, book.cateFid, book.localId})});
}

bool CQuorvinDb::touchBook(int localBookId)
{
    return updateWhere(QStringLiteral("tb_book"), QStringLiteral("updateTime"), currentTime(),
                       QStringLiteral("localId"), localBookId);
}

bool CQuorvinDb::setLastEditChapter(int localBookId, int localChapterId)
{
    return execAll({sqlFormat(
        QStringLiteral("update tb_book set lastEditChapterId = %1,updateTime = %2 where localId = %3;"),
        {localChapterId, currentTime(), localBookId})});
}

bool CQuorvinDb::setBookMoney(int localBookId, double money)
{
    return execAll({sqlFormat(QStringLiteral("update tb_book set money = %1 where localId = %2"),
                              {money, localBookId})});
}

bool CQuorvinDb::deleteBook(int localBookId)
{
    // Together: chapters left without their book would be orphans forever.
    const QStringList statements = {
        sqlFormat(QStringLiteral("delete from tb_book where localId = %1"), {localBookId}),
        sqlFormat(QStringLiteral("delete from tb_chapter where localBookId = %1"), {localBookId}),
    };
    return inTransaction([&] { return execAll(statements); });
}

bool CQuorvinDb::setBookServerId(int localBookId, int bookId)
{
    const QString column = QStringLiteral("bookId");
    const QString key = QStringLiteral("localBookId");
    return inTransaction([&] {
        return updateWhere(QStringLiteral("tb_book"), column, bookId, QStringLiteral("localId"),
                           localBookId) &&
               updateWhere(QStringLiteral("tb_chapter"), column, bookId, key, localBookId) &&
               updateWhere(QStringLiteral("tb_contentblade"), column, bookId, key, localBookId) &&
               updateWhere(QStringLiteral("tb_job"), column, bookId, key, localBookId) &&
               updateWhere(QStringLiteral("tb_memo"), column, bookId, key, localBookId);
    });
}

bool CQuorvinDb::insertChapter(const T_Chapter &chapter)
{
    return execAll(
        {sqlFormat(QStringLiteral("insert into tb_chapter(localBookId,bookId,name,createTime,orderNum,"
                                  "chapterId) values(%1,%2,'%3',%4,%5,%6);"),
                   {chapter.localBookId, chapter.bookId, chapter.name, chapter.createTime, chapter.orderNum,
                    chapter.chapterId})});
}

bool CQuorvinDb::insertChapterWithContent(T_Chapter &chapter)
{
    const QString sql = sqlFormat(
        QStringLiteral("insert into tb_chapter(localBookId,bookId,name,createTime,orderNum,chapterId,content,"
                       "wordCount) values(%1,%2,?,%3,%4,%5,?,%6);"),
        {chapter.localBookId, chapter.bookId, chapter.createTime, chapter.orderNum, chapter.chapterId,
         chapter.wordCount});
    if (!execBound(sql, {chapter.name, chapter.content}))
        return false;
    chapter.localId = lastInsertId(QStringLiteral("tb_chapter"));
    chapter.isContentLoaded = true;
    return true;
}

bool CQuorvinDb::setChapterOrder(int localChapterId, int orderNum, int status, int updateTime)
{
    if (updateTime > 0)
        return execAll({sqlFormat(
            QStringLiteral(
                "update tb_chapter set orderNum = %1,status = %2,updateTime = %3 where localId = %4;"),
            {orderNum, status, updateTime, localChapterId})});
    return execAll(
        {sqlFormat(QStringLiteral("update tb_chapter set orderNum = %1,status = %2 where localId = %3;"),
                   {orderNum, status, localChapterId})});
}

bool CQuorvinDb::updateChapter(const T_Chapter &chapter)
{
    // A chapter whose text was never read holds no text to write back.
    if (!chapter.isContentLoaded)
        return execAll({sqlFormat(
            QStringLiteral("update tb_chapter set chapterId = %1,localBookId = %2,bookId = %3,orderNum = %4,"
                           "name = '%5',status = %6,createTime = %7 where localId = %8"),
            {chapter.chapterId, chapter.localBookId, chapter.bookId, chapter.orderNum, chapter.name,
             chapter.status, chapter.createTime, chapter.localId})});
    return execBound(
        sqlFormat(
            QStringLiteral("update tb_chapter set chapterId = %1,localBookId = %2,bookId = %3,orderNum = "
                           "%4,name = ?,content = ?,wordCount = %5,status = %6,createTime = %7 where "
                           "localId = %8"),
            {chapter.chapterId, chapter.localBookId, chapter.bookId, chapter.orderNum, chapter.wordCount,
             chapter.status, chapter.createTime, chapter.localId}),
        {chapter.name, chapter.content});
}

bool CQuorvinDb::renameChapter(int localChapterId, const QString &name)
{
    return execAll({sqlFormat(QStringLiteral("update tb_chapter set name = '%1' where localId = %2"),
                              {name, localChapterId})});
}

bool CQuorvinDb::setChapterContent(int localChapterId, const QString &content, int wordCount)
{
    return execBound(
        sqlFormat(QStringLiteral("update tb_chapter set content = ?,wordCount = %1 where localId = %2"),
                  {wordCount, localChapterId}),
        {content});
}

bool CQuorvinDb::deleteChapter(int localChapterId, int keepJobId)
{
    const QStringList statements = {
        sqlFormat(QStringLiteral("delete from tb_chapter where localId = %1;"), {localChapterId}),
    };
    return inTransaction([&] {
        return execAll(statements) &&
               deleteObjectJobs(QStringLiteral("localChapterId"), localChapterId, keepJobId);
    });
}

bool CQuorvinDb::setChapterServerId(int localChapterId, int chapterId)
{
    const QString column = QStringLiteral("chapterId");
    const QString key = QStringLiteral("localChapterId");
    return inTransaction([&] {
        return updateWhere(QStringLiteral("tb_chapter"), column, chapterId, QStringLiteral("localId"),
                           localChapterId) &&
               updateWhere(QStringLiteral("tb_contentblade"), column, chapterId, key, localChapterId) &&
               updateWhere(QStringLiteral("tb_job"), column, chapterId, key, localChapterId) &&
               updateWhere(QStringLiteral("tb_memo"), column, chapterId, key, localChapterId);
    });
}

bool CQuorvinDb::clearUserData()
{
    return inTransaction([&] {
        return execAll({QStringLiteral("delete from tb_book;"), QStringLiteral("delete from tb_chapter;"),
                        QStringLiteral("delete from tb_job;"), QStringLiteral("delete from tb_memo;")});
    });
}

// Time-machine snapshots ---------------------------------------------------

bool CQuorvinDb::insertContentBlade(int uid, int localBookId, int localChapterId, int bookId, int chapterId,
                                    const QString &content)
{
    return execBound(
        sqlFormat(QStringLiteral("insert into tb_contentblade(uid,localBookId,localChapterId,bookId,"
                                 "chapterId,content,wordCount,createTime)values(%1,%2,%3,%4,%5,?,%6,%7)"),
                  {uid, localBookId, localChapterId, bookId, chapterId, content.size(), currentTime()}),
        {content});
}

bool CQuorvinDb::keepContentBladeHere(int uid, int localBookId, int localChapterId, int bookId, int chapterId,
                                      const QString &content)
{
    return inTransaction([&] {
        QSqlQuery query(connection());
        const QString same =
            sqlFormat(QStringLiteral("localChapterId = %1 and content = ?"), {localChapterId});
        if (!sqlExec(query, QStringLiteral("select count(*) from tb_contentblade where ") + same,
                     {content}) ||
            !query.next())
            return false;
        if (query.value(0).toInt() > 0)
            return sqlExec(query,
                           sqlFormat(QStringLiteral("update tb_contentblade set bladeId = %1 where "
                                                    "bladeId = 0 and "),
                                     {kKeptHereBladeId}) +
                               same,
                           {content});
        return sqlExec(
            query,
            sqlFormat(
                QStringLiteral("insert into tb_contentblade(uid,localBookId,localChapterId,bookId,chapterId,"
                               "bladeId,content,wordCount,createTime)values(%1,%2,%3,%4,%5,%6,?,%7,%8)"),
                {uid, localBookId, localChapterId, bookId, chapterId, kKeptHereBladeId, content.size(),
                 currentTime()}),
            {content});
    });
}

bool CQuorvinDb::replaceContentBlades(int uid, int localBookId, int localChapterId, int bookId, int chapterId,
                                      const QList<T_ContentBlade> &serverList)
{
    // Snapshots of chapters not yet on the server all carry chapterId 0: a
    // list for "chapter 0" would wipe every one of them.
    if (chapterId < 1)
        return false;
    return inTransaction([&] {
        QSqlQuery query(connection());
        if (!sqlExec(query,
                     sqlFormat(QStringLiteral(
                                   "delete from tb_contentblade where chapterId = %1 and bladeId <> %2;"),
                               {chapterId, kKeptHereBladeId})))
            return false;
        for (const T_ContentBlade &blade : serverList) {
            const QString sql = sqlFormat(
                QStringLiteral(
                    "insert into tb_contentblade(uid,localBookId,localChapterId,bookId,chapterId,bladeId,"
                    "content,createTime,wordCount) values(%1,%2,%3,%4,%5,%6,?,%7,%8);"),
                {uid, localBookId, localChapterId, bookId, chapterId, blade.bladeId, blade.createTime,
                 blade.wordCount});
            if (!sqlExec(query, sql, {blade.content}))
                break;
        }
        return true;
    });
}

bool CQuorvinDb::getContentBlades(int localChapterId, QList<T_ContentBlade> &list)
{
    list.clear();
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    if (!sqlExec(query, sqlFormat(QStringLiteral(
                                      "select localBookId,localChapterId,bookId,chapterId,content,wordCount,"
                                      "createTime,localId,bladeId from tb_contentblade where "
                                      "localChapterId = %1 order by createTime DESC, localId DESC limit 10;"),
                                  {localChapterId})))
        return false;
    while (query.next()) {
        T_ContentBlade blade;
        blade.localBookId = query.value(0).toInt();
        blade.localChapterId = query.value(1).toInt();
        blade.bookId = query.value(2).toInt();
        blade.chapterId = query.value(3).toInt();
        blade.content = query.value(4).toString();
        blade.wordCount = query.value(5).toInt();
        blade.createTime = query.value(6).toInt();
        blade.localId = query.value(7).toInt();
        blade.bladeId = query.value(8).toInt();
        list.append(blade);
    }
    return true;
}
