// Chapters: creation (single and in batches, idempotent per client and
// local id), text and name edits, order, recycle bin, snapshots.
#include "capiroutes.h"
#include "cauthordata.h"
#include "cchangefeed.h"
#include "cformfields.h"
#include "cstore.h"

#include <QJsonArray>
#include <QJsonDocument>

using namespace CAuthorData;

namespace {

constexpr int kMaxChapterName = 100;
constexpr int kMaxChapterText = 1000000;
constexpr int kMaxChaptersPerRequest = 500;

QString tooLongText()
{
    return QStringLiteral("章节正文超过%1字").arg(kMaxChapterText);
}

// An integral JSON number within the range of the client's integers.
bool jsonInteger(const QJsonValue &v, qint64 &out, qint64 fallback = 0)
{
    if (v.isUndefined() || v.isNull()) {
        out = fallback;
        return true;
    }
    const double d = v.toDouble();
    if (!v.isDouble() || d != static_cast<double>(static_cast<qint64>(d)) || d < T_ApiCall::kMinInt ||
        d > T_ApiCall::kMaxInt)
        return false;
    out = static_cast<qint64>(d);
    return true;
}
constexpr int kTimeMachineSize = 10;

const char *const kChapterColumns =
    "select content, chapter_name, word_count, book_id, chapter_id, order_num, "
    "status, create_time, update_time from chapters ";

QJsonObject chapterObject(QSqlQuery &q)
{
    return QJsonObject{{"content", q.value(0).toString()},      {"chapter_name", q.value(1).toString()},
                       {"word_count", q.value(2).toInt()},      {"book_id", q.value(3).toLongLong()},
                       {"chapter_id", q.value(4).toLongLong()}, {"order_num", q.value(5).toInt()},
                       {"status", q.value(6).toInt()},          {"create_time", q.value(7).toLongLong()},
                       {"update_time", q.value(8).toLongLong()}};
}

bool readBookAndChapter(T_ApiCall &c, qint64 &bookId, qint64 &chapterId)
{
    return c.requireId(QStringLiteral("book_id"), bookId) &&
           c.requireId(QStringLiteral("chapter_id"), chapterId);
}

// One new chapter inside the caller's transaction; returns its id, or the
// id an earlier identical request got, or 0 on failure.
qint64 insertChapter(T_ApiCall &c, qint64 bookId, qint64 localId, const QString &name, const QString &content,
                     qint64 orderNum, bool *created)
{
    *created = false;
    const qint64 earlier = createdBefore(c, Creation_Chapter, localId, bookId);
    if (earlier > 0)
        return earlier;
    bool ok = false;
    QSqlQuery q = CStore::run(
        QStringLiteral(
            "insert into chapters(book_id, uid, chapter_name, content, word_count, order_num, status, "
            "create_time, update_time) values(?, ?, ?, ?, ?, ?, 1, ?, ?)"),
        {bookId, c.uid, name, content, wordCount(content), orderNum, c.now, c.now}, &ok);
    const qint64 id = ok ? q.lastInsertId().toLongLong() : 0;
    if (id < 1 || !rememberCreation(c, Creation_Chapter, localId, id, bookId))
        return 0;
    *created = true;
    return id;
}

bool touchBook(qint64 bookId, qint64 now)
{
    bool ok = false;
    CStore::run(QStringLiteral("update books set update_time = ? where book_id = ?"), {now, bookId}, &ok);
    return ok;
}

bool record(T_ApiCall &c, int type, qint64 bookId, qint64 chapterId, const QJsonObject &extra = {})
{
    return CChangeFeed::instance().record(c.uid, c.uniqueCode, type, bookId, chapterId, extra, c.now);
}

bool readBatch(T_ApiCall &c, QJsonArray &items)
{
    QString text;
    if (!c.requireText(QStringLiteral("list"), text))
        return false;
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8());
    if (!doc.isArray()) {
        c.refuse(Api_BadRequest, QStringLiteral("批量创建的章节数据无效"));
        return false;
    }
    items = doc.array();
    for (const QJsonValue &v : qAsConst(items)) {
        const QJsonObject o = v.toObject();
        qint64 localId = 0, orderNum = 0;
        if (!v.isObject() || !jsonInteger(o.value("local_id"), localId) || localId < 1 ||
            !jsonInteger(o.value("order_num"), orderNum) || !o.value("chapter_name").isString() ||
            o.value("chapter_name").toString().size() > kMaxChapterName) {
            c.refuse(Api_BadRequest, QStringLiteral("批量创建的章节数据无效"));
            return false;
        }
    }
    return true;
}

// Moves the chapter past its live neighbour above (1) or below (2) in the
// order every list uses: order number, then chapter id. Different numbers
// are swapped; on equal numbers the mover takes one less (up) or one more
// (down). Nothing happens at either end.
bool swapWithNeighbour(qint64 bookId, qint64 chapterId, qint64 direction)
{
    bool ok = false;
    const int order = CStore::scalar(QStringLiteral("select order_num from chapters where chapter_id = ?"),
                                     {chapterId}, &ok)
                          .toInt();
    if (!ok)
        return false;
    const QString sql =
        direction == 1
            ? QStringLiteral("select chapter_id, order_num from chapters where book_id = ? and status <> 0 "
                             "and (order_num < ? or (order_num = ? and chapter_id < ?)) "
                             "order by order_num desc, chapter_id desc limit 1")
            : QStringLiteral("select chapter_id, order_num from chapters where book_id = ? and status <> 0 "
                             "and (order_num > ? or (order_num = ? and chapter_id > ?)) "
                             "order by order_num asc, chapter_id asc limit 1");
    QSqlQuery q = CStore::run(sql, {bookId, order, order, chapterId}, &ok);
    if (!ok || !q.next())
        return ok;
    const qint64 otherId = q.value(0).toLongLong();
    const int otherOrder = q.value(1).toInt();
    q.finish();
    if (otherOrder == order) {
        CStore::run(QStringLiteral("update chapters set order_num = ? where chapter_id = ?"),
                    {direction == 1 ? order - 1 : order + 1, chapterId}, &ok);
        return ok;
    }
    CStore::run(QStringLiteral("update chapters set order_num = ? where chapter_id = ?"),
                {otherOrder, chapterId}, &ok);
    if (ok)
        CStore::run(QStringLiteral("update chapters set order_num = ? where chapter_id = ?"),
                    {order, otherId}, &ok);
    return ok;
}

// The last save to arrive wins, but a text written on another machine is
// never replaced without a trace: it is kept as a snapshot of the chapter
// that every machine receives. When the incoming save is older than the
// text it replaces, the machine that wrote that text is told so.
bool keepReplacedText(T_ApiCall &c, qint64 bookId, qint64 chapterId, const QString &incoming, qint64 savedAt)
{
    bool ok = false;
    QSqlQuery q = CStore::run(QStringLiteral("select content, content_time, content_code, chapter_name, "
                                             "update_time from chapters where chapter_id = ?"),
                              {chapterId}, &ok);
    if (!ok || !q.next())
        return ok;
    const QString current = q.value(0).toString();
    const qint64 currentTime =
        q.value(1).toLongLong() > 0 ? q.value(1).toLongLong() : q.value(4).toLongLong();
    const QString writer = q.value(2).toString();
    const QString name = q.value(3).toString();
    q.finish();
    if (current.isEmpty() || current == incoming || writer == c.uniqueCode)
        return true;
    const bool kept =
        CStore::scalar(QStringLiteral("select 1 from blades where chapter_id = ? and content = ?"),
                       {chapterId, current}, &ok)
            .isValid();
    if (!ok)
        return false;
    if (!kept) {
        // One snapshot per chapter and second: take the nearest free second.
        bool inserted = false;
        for (qint64 at = currentTime; !inserted && at > currentTime - 60; --at) {
            QSqlQuery insert = CStore::run(
                QStringLiteral(
                    "insert or ignore into blades(uid, book_id, chapter_id, chapter_name, content, "
                    "word_num, create_time) values(?, ?, ?, ?, ?, ?, ?)"),
                {c.uid, bookId, chapterId, name, current, wordCount(current), at}, &ok);
            if (!ok)
                return false;
            inserted = insert.numRowsAffected() == 1;
        }
    }
    CChangeFeed &feed = CChangeFeed::instance();
    if (!feed.record(c.uid, QString(), Change_TimeMachine, bookId, chapterId, {}, c.now))
        return false;
    if (savedAt < currentTime && !writer.isEmpty())
        return feed.recordFor(c.uid, writer, Change_TimeMachine, bookId, chapterId,
                              QJsonObject{{"kept", 1}, {"chapter_name", name}}, c.now);
    return true;
}

// A text saved on another machine after this delete was made (the delete
// waited on a machine that was offline) is not the deleter's to drop: it is
// kept as a new chapter at the end of the book, on every machine.
bool keepNewerText(T_ApiCall &c, qint64 bookId, qint64 chapterId, qint64 deletedAt)
{
    bool ok = false;
    QSqlQuery q = CStore::run(QStringLiteral("select chapter_name, content, content_time, content_code from "
                                             "chapters where chapter_id = ?"),
                              {chapterId}, &ok);
    if (!ok)
        return false;
    if (!q.next())
        return true;
    const QString content = q.value(1).toString();
    if (content.isEmpty() || q.value(2).toLongLong() < deletedAt || q.value(3).toString() == c.uniqueCode)
        return true;
    // As the Chinese client names a chapter it recovers itself.
    const QString suffix = QStringLiteral("（恢复）");
    const QString name = q.value(0).toString().trimmed().left(kMaxChapterName - suffix.size()) + suffix;
    QSqlQuery last = CStore::run(
        QStringLiteral("select coalesce(max(order_num), 0) from chapters where book_id = ?"), {bookId}, &ok);
    if (!ok || !last.next())
        return false;
    const qint64 orderNum = last.value(0).toLongLong() + 1;
    bool created = false;
    const qint64 id = insertChapter(c, bookId, 0, name, content, orderNum, &created);
    if (id < 1)
        return false;
    // The machine that wrote the text is told where it went.
    const QString writer = q.value(3).toString();
    QJsonObject item{{"chapter_name", name}, {"order_num", orderNum}, {"create_time", c.now}};
    CChangeFeed &feed = CChangeFeed::instance();
    if (!feed.record(c.uid, writer, Change_NewChapter, bookId, id, item, c.now))
        return false;
    item.insert(QStringLiteral("recovered_from"), q.value(0).toString());
    if (!writer.isEmpty() && !feed.recordFor(c.uid, writer, Change_NewChapter, bookId, id, item, c.now))
        return false;
    return feed.record(c.uid, QString(), Change_ChapterContent, bookId, id, {}, c.now);
}

} // namespace

namespace ChapterApi {

void createChapter(T_ApiCall &c)
{
    qint64 bookId = 0, localId = 0, orderNum = 0;
    if (!c.requireId(QStringLiteral("book_id"), bookId) ||
        !c.integer(QStringLiteral("local_id"), localId, c.userdata.localChapterId) ||
        !c.integer(QStringLiteral("order_num"), orderNum))
        return;
    const QString name = c.text(QStringLiteral("chapter_name"));
    if (name.size() > kMaxChapterName)
        return c.refuse(Api_BadRequest, QStringLiteral("章节名过长"));
    CWriteTx tx;
    if (!ownBook(c, bookId))
        return;
    bool created = false;
    const qint64 id = insertChapter(c, bookId, localId, name, QString(), orderNum, &created);
    if (id < 1 ||
        (created &&
         !record(c, Change_NewChapter, bookId, id,
                 QJsonObject{{"chapter_name", name}, {"order_num", orderNum}, {"create_time", c.now}})) ||
        !touchBook(bookId, c.now) || !tx.commit())
        return c.storeFailure();
    c.content =
        QJsonObject{{"book_id", bookId}, {"chapter_id", id}, {"local_id", localId}, {"chapter_name", name}};
}

void batchCreateChapter(T_ApiCall &c)
{
    qint64 bookId = 0;
    QJsonArray items;
    if (!c.requireId(QStringLiteral("book_id"), bookId) || !readBatch(c, items))
        return;
    CWriteTx tx;
    if (!ownBook(c, bookId))
        return;
    QJsonArray answer;
    QStringList createdIds;
    for (const QJsonValue &v : qAsConst(items)) {
        const QJsonObject o = v.toObject();
        qint64 localId = 0, orderNum = 0;
        jsonInteger(o.value("local_id"), localId);
        jsonInteger(o.value("order_num"), orderNum);
        const QString content = o.value("content").toString();
        // An oversized chapter is refused alone; the others are created.
        if (content.size() > kMaxChapterText) {
            answer.append(QJsonObject{{"local_id", localId}, {"chapter_id", 0}, {"msg", tooLongText()}});
            continue;
        }
        bool created = false;
        const qint64 id = insertChapter(c, bookId, localId, o.value("chapter_name").toString(), content,
                                        orderNum, &created);
        if (id < 1)
            return c.storeFailure();
        if (created)
            createdIds << QString::number(id);
        answer.append(QJsonObject{{"local_id", localId}, {"chapter_id", id}});
    }
    if (!CChangeFeed::instance().recordChapters(c.uid, c.uniqueCode, bookId, createdIds, c.now) ||
        !touchBook(bookId, c.now) || !tx.commit())
        return c.storeFailure();
    c.content = answer;
}

void recycle(T_ApiCall &c)
{
    qint64 bookId = 0, chapterId = 0, status = 0;
    if (!readBookAndChapter(c, bookId, chapterId) || !c.integer(QStringLiteral("status"), status))
        return;
    if (!c.has(QStringLiteral("status")))
        return c.refuse(Api_BadRequest, QStringLiteral("缺少参数“status”"));
    const int target = status == 0 ? 0 : 1;
    CWriteTx tx;
    if (!ownChapter(c, bookId, chapterId))
        return;
    bool ok = false;
    CStore::run(QStringLiteral("update chapters set status = ?, update_time = ? where chapter_id = ?"),
                {target, c.now, chapterId}, &ok);
    if (!ok ||
        !record(c, target == 0 ? Change_ChapterRecycled : Change_ChapterRestored, bookId, chapterId,
                QJsonObject{{"status", target}}) ||
        !touchBook(bookId, c.now) || !tx.commit())
        c.storeFailure();
}

void deleteChapter(T_ApiCall &c)
{
    qint64 bookId = 0, chapterId = 0, deletedAt = 0;
    if (!readBookAndChapter(c, bookId, chapterId) ||
        !c.integer(QStringLiteral("update_time"), deletedAt, c.now))
        return;
    CWriteTx tx;
    if (!ownChapter(c, bookId, chapterId))
        return;
    if (!keepNewerText(c, bookId, chapterId, deletedAt))
        return c.storeFailure();
    bool ok = false;
    CStore::run(QStringLiteral("delete from blades where chapter_id = ?"), {chapterId}, &ok);
    if (ok)
        CStore::run(QStringLiteral("delete from chapters where chapter_id = ?"), {chapterId}, &ok);
    if (ok)
        CStore::run(
            QStringLiteral("update memos set chapter_id = 0, location = '' where chapter_id = ? and uid = ?"),
            {chapterId, c.uid}, &ok);
    if (!ok || !record(c, Change_ChapterDeleted, bookId, chapterId) || !touchBook(bookId, c.now) ||
        !tx.commit())
        c.storeFailure();
}

void chapterMenu(T_ApiCall &c)
{
    qint64 bookId = 0;
    if (!c.requireId(QStringLiteral("book_id"), bookId) || !ownBook(c, bookId))
        return;
    const QString order = c.text(QStringLiteral("order")) == QLatin1String("desc") ? QStringLiteral("desc")
                                                                                   : QStringLiteral("asc");
    bool ok = false;
    QSqlQuery q =
        CStore::run(QStringLiteral("select book_id, chapter_id, order_num, chapter_name, status, word_count "
                                   "from chapters where book_id = ? order by order_num %1, chapter_id %1")
                        .arg(order),
                    {bookId}, &ok);
    if (!ok)
        return c.storeFailure();
    QJsonArray menu;
    qint64 words = 0;
    while (q.next()) {
        menu.append(QJsonObject{{"book_id", q.value(0).toLongLong()},
                                {"chapter_id", q.value(1).toLongLong()},
                                {"order_num", q.value(2).toInt()},
                                {"chapter_name", q.value(3).toString()},
                                {"status", q.value(4).toInt()}});
        if (q.value(4).toInt() != 0)
            words += q.value(5).toLongLong();
    }
    c.content = QJsonObject{{"order", order}, {"word_num", words}, {"menu", menu}};
}

void chapter(T_ApiCall &c)
{
    qint64 bookId = 0, chapterId = 0;
    if (!readBookAndChapter(c, bookId, chapterId))
        return;
    bool ok = false;
    QSqlQuery q = CStore::run(QString::fromLatin1(kChapterColumns) +
                                  QStringLiteral("where chapter_id = ? and book_id = ? and uid = ?"),
                              {chapterId, bookId, c.uid}, &ok);
    if (!ok)
        return c.storeFailure();
    if (!q.next())
        return c.refuse(Api_NotFound, QStringLiteral("章节不存在"));
    c.content = chapterObject(q);
}

void getChapters(T_ApiCall &c)
{
    qint64 bookId = 0, orderNum = 0, limit = 0;
    if (!c.requireId(QStringLiteral("book_id"), bookId) ||
        !c.integer(QStringLiteral("order_num"), orderNum) || !c.integer(QStringLiteral("limit"), limit, 20))
        return;
    // The ids are read (and refused when there are too many) before the
    // store is asked anything.
    const QString ids = c.text(QStringLiteral("c_ids"));
    QList<qint64> wanted;
    if (!ids.isEmpty()) {
        const CFormFields::Result read = CFormFields::parseIds(ids, kMaxChaptersPerRequest, wanted);
        if (read == CFormFields::Form_TooMany)
            return c.refuse(Api_BadRequest, QStringLiteral("每次最多获取500章"));
        if (read != CFormFields::Form_Ok)
            return c.refuse(Api_BadRequest, QStringLiteral("参数“c_ids”应为逗号分隔的章节编号"));
    }
    if (!ownBook(c, bookId))
        return;
    QVariantList binds{bookId, c.uid};
    QString where = QStringLiteral("where book_id = ? and uid = ? ");
    if (!ids.isEmpty()) {
        QStringList marks;
        for (const qint64 id : qAsConst(wanted)) {
            binds << id;
            marks << QStringLiteral("?");
        }
        where += QStringLiteral("and chapter_id in (%1) ").arg(marks.join(QLatin1Char(',')));
    } else {
        where += QStringLiteral("and order_num >= ? ");
        binds << orderNum;
    }
    const qint64 cap = qBound<qint64>(1, limit, 500);
    bool ok = false;
    QSqlQuery q = CStore::run(
        QString::fromLatin1(kChapterColumns) + where +
            QStringLiteral("order by order_num, chapter_id limit %1").arg(ids.isEmpty() ? cap : 500),
        binds, &ok);
    if (!ok)
        return c.storeFailure();
    // The answer is bounded by size as well; chapters asked for by id that
    // do not fit are announced to the client again, to be fetched next.
    QJsonArray list;
    qint64 bytes = 0;
    QStringList rest;
    while (q.next()) {
        const qint64 size = q.value(0).toString().size() * 3LL;
        if (!list.isEmpty() && (!rest.isEmpty() || bytes + size > CChangeFeed::kMaxBatchBytes)) {
            rest << q.value(4).toString();
            continue;
        }
        bytes += size;
        list.append(chapterObject(q));
    }
    if (!rest.isEmpty() && !ids.isEmpty() && !c.uniqueCode.isEmpty()) {
        CWriteTx tx;
        if (!CChangeFeed::instance().queueFor(c.uid, c.uniqueCode, Change_ChapterBatch, bookId, 0,
                                              QJsonObject{{"cids", rest.join(QLatin1Char(','))}}, c.now) ||
            !tx.commit())
            return c.storeFailure();
    }
    c.content = list;
}

void editChapter(T_ApiCall &c)
{
    qint64 bookId = 0, chapterId = 0;
    if (!readBookAndChapter(c, bookId, chapterId))
        return;
    const bool hasContent = c.has(QStringLiteral("content"));
    const bool hasName = c.has(QStringLiteral("chapter_name"));
    if (!hasContent && !hasName)
        return c.refuse(Api_BadRequest, QStringLiteral("请提交章节正文或章节名"));
    const QString name = c.text(QStringLiteral("chapter_name"));
    if (name.size() > kMaxChapterName)
        return c.refuse(Api_BadRequest, QStringLiteral("章节名过长"));
    const QString content = c.text(QStringLiteral("content"));
    if (content.size() > kMaxChapterText)
        return c.refuse(Api_BadRequest, tooLongText());
    qint64 savedAt = 0;
    if (!c.integer(QStringLiteral("update_time"), savedAt, c.now))
        return;
    CWriteTx tx;
    if (!ownChapter(c, bookId, chapterId))
        return;
    bool ok = true;
    if (hasContent)
        ok = keepReplacedText(c, bookId, chapterId, content, savedAt);
    if (ok && hasContent)
        CStore::run(QStringLiteral("update chapters set content = ?, word_count = ?, update_time = ?, "
                                   "content_time = ?, content_code = ? where chapter_id = ?"),
                    {content, wordCount(content), c.now, savedAt, c.uniqueCode, chapterId}, &ok);
    if (ok && hasName)
        CStore::run(
            QStringLiteral("update chapters set chapter_name = ?, update_time = ? where chapter_id = ?"),
            {name, c.now, chapterId}, &ok);
    if (!ok || !record(c, Change_ChapterContent, bookId, chapterId) || !touchBook(bookId, c.now) ||
        !tx.commit())
        c.storeFailure();
}

void moveChapter(T_ApiCall &c)
{
    qint64 bookId = 0, chapterId = 0, direction = 0;
    if (!readBookAndChapter(c, bookId, chapterId) || !c.integer(QStringLiteral("direction"), direction))
        return;
    if (direction != 1 && direction != 2)
        return c.refuse(Api_BadRequest, QStringLiteral("移动方向无效"));
    CWriteTx tx;
    if (!ownChapter(c, bookId, chapterId))
        return;
    if (!swapWithNeighbour(bookId, chapterId, direction) || !record(c, Change_ChapterMoved, bookId, 0) ||
        !tx.commit())
        c.storeFailure();
}

void contentBlade(T_ApiCall &c)
{
    qint64 bookId = 0, chapterId = 0, createTime = 0;
    if (!readBookAndChapter(c, bookId, chapterId) ||
        !c.integer(QStringLiteral("create_time"), createTime, c.now))
        return;
    const QString content = c.text(QStringLiteral("content"));
    if (content.size() > kMaxChapterText)
        return c.refuse(Api_BadRequest, tooLongText());
    CWriteTx tx;
    if (!ownChapter(c, bookId, chapterId))
        return;
    bool ok = false;
    // A snapshot resent after a lost answer has the same time: kept once.
    CStore::run(QStringLiteral(
                    "insert or ignore into blades(uid, book_id, chapter_id, chapter_name, content, word_num, "
                    "create_time) values(?, ?, ?, ?, ?, ?, ?)"),
                {c.uid, bookId, chapterId, c.text(QStringLiteral("chapter_name")), content,
                 wordCount(content), createTime},
                &ok);
    if (!ok || !record(c, Change_TimeMachine, bookId, chapterId) || !tx.commit())
        c.storeFailure();
}

void timeMachine(T_ApiCall &c)
{
    qint64 bookId = 0, chapterId = 0;
    if (!readBookAndChapter(c, bookId, chapterId))
        return;
    bool ok = false;
    QSqlQuery origin =
        CStore::run(QStringLiteral("select content, create_time, word_count from chapters where "
                                   "chapter_id = ? and book_id = ? and uid = ?"),
                    {chapterId, bookId, c.uid}, &ok);
    if (!ok)
        return c.storeFailure();
    if (!origin.next())
        return c.refuse(Api_NotFound, QStringLiteral("章节不存在"));
    const QJsonObject originObject{{"book_id", bookId},
                                   {"chapter_id", chapterId},
                                   {"content", origin.value(0).toString()},
                                   {"createTime", origin.value(1).toLongLong()},
                                   {"word_count", origin.value(2).toInt()}};
    QSqlQuery q = CStore::run(
        QStringLiteral("select id, content, create_time, word_num from blades where chapter_id = ? "
                       "order by create_time desc limit %1")
            .arg(kTimeMachineSize),
        {chapterId}, &ok);
    if (!ok)
        return c.storeFailure();
    QJsonArray blades;
    while (q.next())
        blades.append(QJsonObject{{"id", q.value(0).toLongLong()},
                                  {"content", q.value(1).toString()},
                                  {"create_time", q.value(2).toLongLong()},
                                  {"word_num", q.value(3).toInt()}});
    c.content = QJsonObject{{"origin", originObject}, {"blade", blades}};
}

} // namespace ChapterApi
