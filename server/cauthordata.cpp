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
        c.refuse(Api_NotFound, QStringLiteral("no such book"));
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
        c.refuse(Api_NotFound, QStringLiteral("no such chapter"));
        return false;
    }
    return true;
}

qint64 createdBefore(const T_ApiCall &c, CreationKind kind, qint64 localId)
{
    if (localId < 1 || c.uniqueCode.isEmpty())
        return 0;
    bool ok = false;
    return CStore::scalar(
               QStringLiteral("select server_id from creations where uid = ? and unique_code = ? and "
                              "kind = ? and local_id = ?"),
               {c.uid, c.uniqueCode, static_cast<int>(kind), localId}, &ok)
        .toLongLong();
}

bool rememberCreation(const T_ApiCall &c, CreationKind kind, qint64 localId, qint64 serverId)
{
    if (localId < 1 || c.uniqueCode.isEmpty())
        return true;
    bool ok = false;
    CStore::run(
        QStringLiteral("insert or replace into creations(uid, unique_code, kind, local_id, server_id) "
                       "values(?, ?, ?, ?, ?)"),
        {c.uid, c.uniqueCode, static_cast<int>(kind), localId, serverId}, &ok);
    return ok;
}

} // namespace CAuthorData
