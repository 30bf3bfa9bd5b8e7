// Books: creation (idempotent per client and local id), list, information,
// editing with a cover, deletion, and the one-request import.
#include "capiroutes.h"
#include "cauthordata.h"
#include "cchangefeed.h"
#include "cimagestore.h"
#include "creferencedata.h"
#include "cstore.h"

#include <QHash>
#include <QJsonArray>

using namespace CAuthorData;

namespace {

constexpr int kMaxBookName = 100;
constexpr int kMaxIntro = 5000;

qint64 localIdOf(T_ApiCall &c, int fallback, bool *ok)
{
    qint64 id = 0;
    *ok = c.integer(QStringLiteral("local_id"), id, fallback);
    return id;
}

// Creates the book inside the caller's transaction; returns its id or 0.
qint64 insertBook(T_ApiCall &c, const QString &name, qint64 localId)
{
    const qint64 earlier = createdBefore(c, Creation_Book, localId);
    if (earlier > 0)
        return earlier;
    bool ok = false;
    QSqlQuery q = CStore::run(
        QStringLiteral("insert into books(uid, book_name, create_time, update_time) values(?, ?, ?, ?)"),
        {c.uid, name, c.now, c.now}, &ok);
    const qint64 bookId = ok ? q.lastInsertId().toLongLong() : 0;
    if (bookId < 1 || !rememberCreation(c, Creation_Book, localId, bookId) ||
        !CChangeFeed::instance().record(c.uid, c.uniqueCode, Change_NewBook, bookId, 0,
                                        QJsonObject{{"book_name", name}, {"create_time", c.now}}, c.now))
        return 0;
    return bookId;
}

bool readBookName(T_ApiCall &c, QString &name)
{
    if (!c.requireText(QStringLiteral("book_name"), name))
        return false;
    name = name.trimmed();
    if (name.isEmpty() || name.size() > kMaxBookName) {
        c.refuse(Api_BadRequest, QStringLiteral("书名应为1到%1个字").arg(kMaxBookName));
        return false;
    }
    return true;
}

QJsonObject bookObject(const T_ApiCall &c, QSqlQuery &q)
{
    return QJsonObject{{"author_id", q.value(0).toLongLong()},
                       {"book_id", q.value(1).toLongLong()},
                       {"book_name", q.value(2).toString()},
                       {"cate_id", q.value(3).toLongLong()},
                       {"channel_type", q.value(4).toInt()},
                       {"chapter_count", q.value(5).toInt()},
                       {"cover", CImageStore::urlFor(c.baseUrl, q.value(6).toString())},
                       {"create_time", q.value(7).toLongLong()},
                       {"first_cate_id", q.value(8).toLongLong()},
                       {"intro", q.value(9).toString()},
                       {"update_time", q.value(10).toLongLong()},
                       {"word_num", q.value(11).toLongLong()}};
}

const char *const kBookColumns =
    "select b.uid, b.book_id, b.book_name, b.cate_id, b.channel_type, "
    "(select count(*) from chapters c where c.book_id = b.book_id and c.status <> 0), b.cover, "
    "b.create_time, "
    "b.first_cate_id, b.intro, b.update_time, "
    "(select coalesce(sum(word_count), 0) from chapters c where c.book_id = b.book_id and c.status <> 0) "
    "from books b ";

bool applyCover(T_ApiCall &c, qint64 bookId)
{
    const QString uri = c.text(QStringLiteral("cover"));
    if (uri.isEmpty())
        return true;
    QString path, msg;
    if (!CImageStore::saveDataUri(uri, QStringLiteral("cover"), path, msg)) {
        c.refuse(Api_BadRequest, msg);
        return false;
    }
    bool ok = false;
    CStore::run(QStringLiteral("update books set cover = ? where book_id = ?"), {path, bookId}, &ok);
    if (!ok)
        c.storeFailure();
    return ok;
}

// Updates the text and number fields the request carries.
bool applyBookFields(T_ApiCall &c, qint64 bookId)
{
    qint64 channel = 0, cate = 0;
    if (!c.integer(QStringLiteral("channel_type"), channel) || !c.integer(QStringLiteral("cate_id"), cate))
        return false;
    if (c.has(QStringLiteral("channel_type")) && channel != 0 && channel != 1 && channel != 2) {
        c.refuse(Api_BadRequest, QStringLiteral("作品频道无效"));
        return false;
    }
    if (c.has(QStringLiteral("cate_id")) && cate != 0 && !CReferenceData::isCategory(cate)) {
        c.refuse(Api_BadRequest, QStringLiteral("作品分类不存在"));
        return false;
    }
    const QString name = c.text(QStringLiteral("book_name")).trimmed();
    const QString intro = c.text(QStringLiteral("intro"));
    if (name.size() > kMaxBookName || intro.size() > kMaxIntro) {
        c.refuse(Api_BadRequest, QStringLiteral("书名或简介过长"));
        return false;
    }
    bool ok = true;
    auto set = [&](const char *column, const QVariant &value) {
        if (ok)
            CStore::run(
                QStringLiteral("update books set %1 = ? where book_id = ?").arg(QLatin1String(column)),
                {value, bookId}, &ok);
    };
    if (!name.isEmpty())
        set("book_name", name);
    if (c.has(QStringLiteral("intro")))
        set("intro", intro);
    if (channel > 0)
        set("channel_type", channel);
    if (cate > 0) {
        set("cate_id", cate);
        set("first_cate_id", CReferenceData::parentOf(cate));
    }
    set("update_time", c.now);
    if (!ok)
        c.storeFailure();
    return ok;
}

} // namespace

namespace BookApi {

void addBook(T_ApiCall &c)
{
    QString name;
    bool ok = false;
    const qint64 localId = localIdOf(c, c.userdata.localBookId, &ok);
    if (!ok || !readBookName(c, name))
        return;
    CWriteTx tx;
    const qint64 bookId = insertBook(c, name, localId);
    if (bookId < 1 || !tx.commit())
        return c.storeFailure();
    c.content = QJsonObject{{"book_id", bookId}, {"local_id", localId}, {"uid", c.uid}};
}

void booksList(T_ApiCall &c)
{
    bool ok = false;
    QSqlQuery q = CStore::run(QString::fromLatin1(kBookColumns) +
                                  QStringLiteral("where b.uid = ? order by b.update_time desc"),
                              {c.uid}, &ok);
    if (!ok)
        return c.storeFailure();
    QJsonArray list;
    while (q.next()) {
        const QJsonObject b = bookObject(c, q);
        list.append(QJsonObject{{"book_id", b.value("book_id")},
                                {"book_name", b.value("book_name")},
                                {"cover", b.value("cover")},
                                {"word_num", b.value("word_num")}});
    }
    c.content = list;
}

void bookInfo(T_ApiCall &c)
{
    qint64 bookId = 0;
    if (!c.requireId(QStringLiteral("book_id"), bookId))
        return;
    bool ok = false;
    QSqlQuery q =
        CStore::run(QString::fromLatin1(kBookColumns) + QStringLiteral("where b.book_id = ? and b.uid = ?"),
                    {bookId, c.uid}, &ok);
    if (!ok)
        return c.storeFailure();
    if (!q.next())
        return c.refuse(Api_NotFound, QStringLiteral("作品不存在"));
    c.content = bookObject(c, q);
}

void deleteBook(T_ApiCall &c)
{
    qint64 bookId = 0, deletedAt = 0;
    if (!c.requireId(QStringLiteral("book_id"), bookId) ||
        !c.integer(QStringLiteral("update_time"), deletedAt, c.now))
        return;
    CWriteTx tx;
    if (!ownBook(c, bookId))
        return;
    // Texts saved on other machines after this delete was made (it waited
    // on a machine that was offline) go back to the machine that wrote
    // them, which keeps them in its recovered folder.
    bool ok = false;
    QSqlQuery texts = CStore::run(
        QStringLiteral(
            "select c.chapter_name, c.content, c.content_code, b.book_name from chapters c join books "
            "b on b.book_id = c.book_id where c.book_id = ? and c.content <> '' and c.content_code "
            "<> '' and c.content_code <> ? and c.content_time >= ? order by c.chapter_id"),
        {bookId, c.uniqueCode, deletedAt}, &ok);
    if (!ok)
        return c.storeFailure();
    QHash<QString, QJsonObject> keptFor;
    while (texts.next()) {
        QJsonObject &kept = keptFor[texts.value(2).toString()];
        kept.insert(QStringLiteral("book_name"), texts.value(3).toString());
        QJsonArray chapters = kept.value(QStringLiteral("kept")).toArray();
        chapters.append(
            QJsonObject{{"chapter_name", texts.value(0).toString()}, {"content", texts.value(1).toString()}});
        kept.insert(QStringLiteral("kept"), chapters);
    }
    for (const char *table : {"blades", "chapters", "books"}) {
        if (ok)
            CStore::run(QStringLiteral("delete from %1 where book_id = ?").arg(QLatin1String(table)),
                        {bookId}, &ok);
    }
    if (ok)
        CStore::run(
            QStringLiteral("update memos set book_id = 0, chapter_id = 0, location = '' where book_id = ? "
                           "and uid = ?"),
            {bookId, c.uid}, &ok);
    CChangeFeed &feed = CChangeFeed::instance();
    if (!ok || !feed.record(c.uid, c.uniqueCode, Change_BookDeleted, bookId, 0, {}, c.now))
        return c.storeFailure();
    for (auto it = keptFor.cbegin(); it != keptFor.cend(); ++it)
        if (!feed.recordFor(c.uid, it.key(), Change_BookDeleted, bookId, 0, it.value(), c.now))
            return c.storeFailure();
    if (!tx.commit())
        c.storeFailure();
}

void editBook(T_ApiCall &c)
{
    qint64 bookId = 0;
    if (!c.requireId(QStringLiteral("book_id"), bookId))
        return;
    CWriteTx tx;
    if (!ownBook(c, bookId) || !applyBookFields(c, bookId) || !applyCover(c, bookId))
        return;
    if (!CChangeFeed::instance().record(c.uid, c.uniqueCode, Change_BookInfo, bookId, 0, {}, c.now) ||
        !tx.commit())
        return c.storeFailure();
    bool ok = false;
    QSqlQuery q =
        CStore::run(QString::fromLatin1(kBookColumns) + QStringLiteral("where b.book_id = ?"), {bookId}, &ok);
    if (!ok || !q.next())
        return c.storeFailure();
    const QJsonObject b = bookObject(c, q);
    c.content = QJsonObject{{"cover", b.value("cover").toString()},
                            {"intro", b.value("intro").toString()},
                            {"cate_id", QString::number(b.value("cate_id").toVariant().toLongLong())},
                            {"book_name", b.value("book_name").toString()},
                            {"channel_type", QString::number(b.value("channel_type").toInt())}};
}

void importBook(T_ApiCall &c)
{
    QString name;
    bool ok = false;
    const qint64 localId = localIdOf(c, c.userdata.localBookId, &ok);
    if (!ok || !readBookName(c, name))
        return;
    qint64 bookId = 0;
    {
        CWriteTx tx;
        bookId = insertBook(c, name, localId);
        if (bookId < 1 || !tx.commit())
            return c.storeFailure();
    }
    QJsonArray chapters;
    if (!c.text(QStringLiteral("list")).isEmpty()) {
        c.params.insert(QStringLiteral("book_id"), QString::number(bookId));
        ChapterApi::batchCreateChapter(c);
        if (c.failed())
            return;
        chapters = c.content.toArray();
    }
    c.content =
        QJsonObject{{"book_id", bookId}, {"local_id", localId}, {"uid", c.uid}, {"chapters", chapters}};
}

} // namespace BookApi
