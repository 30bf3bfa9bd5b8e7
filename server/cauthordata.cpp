#include "cauthordata.h"

#include "cstore.h"

namespace CAuthorData {

int wordCount(const QString &text)
{
    int n = 0;
    for (const QChar ch : text) {
        if (ch != QLatin1Char(' ') && ch != QLatin1Char('\n') && ch != QLatin1Char('\r'))
            ++n;
    }
    return n;
}

bool ownBook(T_ApiCall &c, qint64 bookId)
{
    bool ok = false;
    const QVariant found = CStore::scalar(QStringLiteral("select 1 from books where book_id = ? and uid = ?"),
                                          {bookId, c.uid}, &ok);
    if (!ok) {
        c.storeFailure();
        return false;
    }
    if (!found.isValid()) {
        c.refuse(Api_NotFound, QStringLiteral("作品不存在"));
        return false;
    }
    return true;
}

bool ownChapter(T_ApiCall &c, qint64 bookId, qint64 chapterId)
{
    bool ok = false;
    const QVariant found = CStore::scalar(
        QStringLiteral("select 1 from chapters where chapter_id = ? and book_id = ? and uid = ?"),
        {chapterId, bookId, c.uid}, &ok);
    if (!ok) {
        c.storeFailure();
        return false;
    }
    if (!found.isValid()) {
        c.refuse(Api_NotFound, QStringLiteral("章节不存在"));
        return false;
    }
    return true;
}

qint64 createdBefore(const T_ApiCall &c, CreationKind kind, qint64 localId, qint64 parentId)
{
    if (localId < 1 || c.uniqueCode.isEmpty())
        return 0;
    bool ok = false;
    const qint64 id =
        CStore::scalar(QStringLiteral("select server_id from creations where uid = ? and unique_code = ? and "
                                      "kind = ? and parent_id = ? and local_id = ?"),
                       {c.uid, c.uniqueCode, static_cast<int>(kind), parentId, localId}, &ok)
            .toLongLong();
    if (id < 1)
        return 0;
    QString sql;
    QVariantList binds{id, c.uid};
    switch (kind) {
    case Creation_Book:
        sql = QStringLiteral("select 1 from books where book_id = ? and uid = ?");
        break;
    case Creation_Chapter:
        sql = QStringLiteral("select 1 from chapters where chapter_id = ? and uid = ? and book_id = ?");
        binds << parentId;
        break;
    case Creation_Memo:
        sql = QStringLiteral("select 1 from memos where memo_id = ? and uid = ?");
        break;
    }
    return CStore::scalar(sql, binds, &ok).isValid() ? id : 0;
}

bool rememberCreation(const T_ApiCall &c, CreationKind kind, qint64 localId, qint64 serverId, qint64 parentId)
{
    if (localId < 1 || c.uniqueCode.isEmpty())
        return true;
    bool ok = false;
    CStore::run(
        QStringLiteral("insert or replace into creations(uid, unique_code, kind, parent_id, local_id, "
                       "server_id) values(?, ?, ?, ?, ?, ?)"),
        {c.uid, c.uniqueCode, static_cast<int>(kind), parentId, localId, serverId}, &ok);
    return ok;
}

} // namespace CAuthorData
