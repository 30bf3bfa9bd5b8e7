// Memos: creation (idempotent per client and local memo id), edits,
// deletion, detail and list. Feed items of memos carry the memo id in
// "book_id".
#include "capiroutes.h"
#include "cauthordata.h"
#include "cchangefeed.h"
#include "cstore.h"

#include <QJsonArray>
#include <QRegularExpression>

using namespace CAuthorData;

namespace {

constexpr int kMaxMemoText = 8000;

const char *const kMemoColumns = "select memo_id, uid, color, content, update_time, color_update_time, "
                                 "book_id, chapter_id, location from memos ";

QJsonObject memoObject(QSqlQuery &q)
{
    return QJsonObject{
        {"id", q.value(0).toLongLong()},          {"uid", q.value(1).toLongLong()},
        {"color", q.value(2).toString()},         {"content", q.value(3).toString()},
        {"update_time", q.value(4).toLongLong()}, {"color_update_time", q.value(5).toLongLong()},
        {"book_id", q.value(6).toLongLong()},     {"chapter_id", q.value(7).toLongLong()},
        {"location", q.value(8).toString()}};
}

bool checkColor(T_ApiCall &c, const QString &color)
{
    static const QRegularExpression re(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
    if (color.isEmpty() || re.match(color).hasMatch())
        return true;
    c.refuse(Api_BadRequest, QStringLiteral("便签颜色无效"));
    return false;
}

bool ownMemo(T_ApiCall &c, qint64 memoId)
{
    bool ok = false;
    const QVariant found = CStore::scalar(QStringLiteral("select 1 from memos where memo_id = ? and uid = ?"),
                                          {memoId, c.uid}, &ok);
    if (!ok)
        c.storeFailure();
    else if (!found.isValid())
        c.refuse(Api_NotFound, QStringLiteral("便签不存在"));
    return ok && found.isValid();
}

// The chapter a memo is pinned to must be the author's own (0 unpins).
bool checkPlacement(T_ApiCall &c, qint64 bookId, qint64 chapterId)
{
    if (chapterId > 0)
        return ownChapter(c, bookId, chapterId);
    if (bookId > 0)
        return ownBook(c, bookId);
    return true;
}

bool record(T_ApiCall &c, int type, qint64 memoId)
{
    return CChangeFeed::instance().record(c.uid, c.uniqueCode, type, memoId, 0, {}, c.now);
}

} // namespace

namespace MemoApi {

void addMemo(T_ApiCall &c)
{
    const QString content = c.text(QStringLiteral("content"));
    const QString color = c.text(QStringLiteral("color"));
    if (content.size() > kMaxMemoText)
        return c.refuse(Api_BadRequest, QStringLiteral("便签内容过长"));
    if (!checkColor(c, color))
        return;
    const qint64 localId = c.userdata.localMemoId;
    CWriteTx tx;
    qint64 memoId = createdBefore(c, Creation_Memo, localId);
    if (memoId < 1) {
        bool ok = false;
        QSqlQuery q = CStore::run(
            QStringLiteral("insert into memos(uid, color, content, update_time, color_update_time) "
                           "values(?, ?, ?, ?, ?)"),
            {c.uid, color, content, c.now, c.now}, &ok);
        memoId = ok ? q.lastInsertId().toLongLong() : 0;
        if (memoId < 1 || !rememberCreation(c, Creation_Memo, localId, memoId) ||
            !record(c, Change_NewMemo, memoId))
            return c.storeFailure();
    }
    if (!tx.commit())
        return c.storeFailure();
    c.content = QJsonObject{{"memo_id", memoId}};
}

void deleteMemo(T_ApiCall &c)
{
    qint64 memoId = 0;
    if (!c.requireId(QStringLiteral("memo_id"), memoId))
        return;
    CWriteTx tx;
    if (!ownMemo(c, memoId))
        return;
    bool ok = false;
    CStore::run(QStringLiteral("delete from memos where memo_id = ?"), {memoId}, &ok);
    if (!ok || !record(c, Change_MemoDeleted, memoId) || !tx.commit())
        c.storeFailure();
}

void editMemo(T_ApiCall &c)
{
    qint64 memoId = 0, bookId = 0, chapterId = 0;
    if (!c.requireId(QStringLiteral("memo_id"), memoId) || !c.integer(QStringLiteral("book_id"), bookId) ||
        !c.integer(QStringLiteral("chapter_id"), chapterId))
        return;
    const QString color = c.text(QStringLiteral("color"));
    if (!checkColor(c, color))
        return;
    if (c.text(QStringLiteral("content")).size() > kMaxMemoText ||
        c.text(QStringLiteral("location")).size() > 1000)
        return c.refuse(Api_BadRequest, QStringLiteral("便签内容过长"));
    const bool placement = c.has(QStringLiteral("book_id")) || c.has(QStringLiteral("chapter_id"));
    CWriteTx tx;
    if (!ownMemo(c, memoId) || (placement && !checkPlacement(c, bookId, chapterId)))
        return;
    bool ok = true;
    if (!color.isEmpty())
        CStore::run(QStringLiteral("update memos set color = ?, color_update_time = ? where memo_id = ?"),
                    {color, c.now, memoId}, &ok);
    if (ok && c.has(QStringLiteral("content")))
        CStore::run(QStringLiteral("update memos set content = ?, color_update_time = ? where memo_id = ?"),
                    {c.text(QStringLiteral("content")), c.now, memoId}, &ok);
    if (ok && placement)
        CStore::run(
            QStringLiteral("update memos set book_id = ?, chapter_id = ?, location = ? where memo_id = ?"),
            {bookId, chapterId, c.text(QStringLiteral("location")), memoId}, &ok);
    if (ok)
        CStore::run(QStringLiteral("update memos set update_time = ? where memo_id = ?"), {c.now, memoId},
                    &ok);
    if (!ok || !record(c, Change_MemoChanged, memoId) || !tx.commit())
        c.storeFailure();
}

void memoDetail(T_ApiCall &c)
{
    qint64 memoId = 0;
    if (!c.requireId(QStringLiteral("memo_id"), memoId))
        return;
    bool ok = false;
    QSqlQuery q =
        CStore::run(QString::fromLatin1(kMemoColumns) + QStringLiteral("where memo_id = ? and uid = ?"),
                    {memoId, c.uid}, &ok);
    if (!ok)
        return c.storeFailure();
    if (!q.next())
        return c.refuse(Api_NotFound, QStringLiteral("便签不存在"));
    c.content = memoObject(q);
}

void memoList(T_ApiCall &c)
{
    bool ok = false;
    QSqlQuery q =
        CStore::run(QString::fromLatin1(kMemoColumns) +
                        QStringLiteral("where uid = ? order by color_update_time desc, memo_id desc"),
                    {c.uid}, &ok);
    if (!ok)
        return c.storeFailure();
    QJsonArray list;
    while (q.next())
        list.append(memoObject(q));
    c.content = list;
}

} // namespace MemoApi
