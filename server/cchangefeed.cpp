#include "cchangefeed.h"

#include "cstore.h"

#include <QDateTime>
#include <QDebug>
#include <QJsonDocument>
#include <QStringList>

namespace {

// Changes that make the receiver fetch the current state: one waiting item
// per kind and object is enough, as long as it is the newest one.
bool isRefetch(int type)
{
    switch (type) {
    case Change_BookInfo:
    case Change_ChapterMoved:
    case Change_ChapterContent:
    case Change_TimeMachine:
    case Change_Statistics:
    case Change_Profile:
    case Change_MemoChanged:
    case Change_PrivateWords:
        return true;
    default:
        return false;
    }
}

QString compact(const QJsonObject &o)
{
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

QString clientKey(qint64 uid, const QString &code)
{
    return QString::number(uid) + QLatin1Char(':') + code;
}

} // namespace

CChangeFeed &CChangeFeed::instance()
{
    static CChangeFeed feed;
    return feed;
}

bool CChangeFeed::insertItem(qint64 uid, const QString &code, int type, qint64 bookId, qint64 chapterId,
                             const QJsonObject &extra, qint64 now)
{
    bool ok = true;
    // The client may already have fetched the waiting item and acknowledge
    // it after this change: it goes, and the change is announced anew
    // behind everything the client has seen. An item with details of its
    // own replaces only an equal one.
    if (isRefetch(type))
        CStore::run(
            QStringLiteral("delete from changes where uid = ? and unique_code = ? and change_type = ? "
                           "and book_id = ? and chapter_id = ? and extra = ?"),
            {uid, code, type, bookId, chapterId, compact(extra)}, &ok);
    if (!ok)
        return false;
    CStore::run(
        QStringLiteral("insert into changes(uid, unique_code, change_type, book_id, chapter_id, extra, "
                       "create_time) values(?, ?, ?, ?, ?, ?, ?)"),
        {uid, code, type, bookId, chapterId, compact(extra), now}, &ok);
    return ok;
}

bool CChangeFeed::record(qint64 uid, const QString &fromCode, int type, qint64 bookId, qint64 chapterId,
                         const QJsonObject &extra, qint64 now)
{
    bool ok = false;
    if (type == Change_BookDeleted || type == Change_ChapterDeleted || type == Change_MemoDeleted) {
        CStore::run(
            QStringLiteral("insert into tombstones(uid, change_type, book_id, chapter_id, create_time) "
                           "values(?, ?, ?, ?, ?)"),
            {uid, type, bookId, chapterId, now}, &ok);
        if (!ok)
            return false;
    }
    QSqlQuery q =
        CStore::run(QStringLiteral("select unique_code from clients where uid = ? and unique_code <> ?"),
                    {uid, fromCode}, &ok);
    if (!ok)
        return false;
    QStringList codes;
    while (q.next())
        codes << q.value(0).toString();
    for (const QString &code : codes) {
        if (!insertItem(uid, code, type, bookId, chapterId, extra, now))
            return false;
    }
    return true;
}

bool CChangeFeed::recordFor(qint64 uid, const QString &code, int type, qint64 bookId, qint64 chapterId,
                            const QJsonObject &extra, qint64 now)
{
    return insertItem(uid, code, type, bookId, chapterId, extra, now);
}

bool CChangeFeed::ensureClient(qint64 uid, const QString &uniqueCode, qint64 now)
{
    if (uid < 1 || uniqueCode.isEmpty())
        return true;
    const QString key = clientKey(uid, uniqueCode);
    {
        QMutexLocker guard(&m_lock);
        if (m_known.contains(key))
            return true;
    }
    CWriteTx tx;
    if (!tx.isOpen())
        return false;
    bool ok = false;
    QSqlQuery q = CStore::run(
        QStringLiteral("insert or ignore into clients(uid, unique_code, first_seen) values(?, ?, ?)"),
        {uid, uniqueCode, now}, &ok);
    if (!ok)
        return false;
    if (q.numRowsAffected() == 1) {
        q.finish();
        bool wasRetired = false;
        CStore::run(QStringLiteral("update clients set last_seen = ? where uid = ? and unique_code = ?"),
                    {now, uid, uniqueCode}, &ok);
        if (!ok || !seedDeletions(uid, uniqueCode, &wasRetired) || !seed(uid, uniqueCode, now) ||
            !retireBeyondLimit(uid, uniqueCode, now))
            return false;
    }
    if (!tx.commit())
        return false;
    QMutexLocker guard(&m_lock);
    m_known.insert(key);
    return true;
}

bool CChangeFeed::touch(qint64 uid, const QString &uniqueCode, qint64 now)
{
    bool ok = false;
    CStore::run(QStringLiteral("update clients set last_seen = ? where uid = ? and unique_code = ?"),
                {now, uid, uniqueCode}, &ok);
    return ok;
}

bool CChangeFeed::retireBeyondLimit(qint64 uid, const QString &newCode, qint64 now)
{
    bool ok = false;
    QSqlQuery q = CStore::run(QStringLiteral("select unique_code, last_seen from clients where uid = ? and "
                                             "unique_code <> ? order by last_seen desc, first_seen desc"),
                              {uid, newCode}, &ok);
    if (!ok)
        return false;
    QList<QPair<QString, qint64>> beyond;
    for (int kept = 1; q.next();) {
        if (kept < m_maxClients)
            ++kept;
        else
            beyond.append({q.value(0).toString(), q.value(1).toLongLong()});
    }
    q.finish();
    for (const auto &client : beyond) {
        for (const char *sql : {"delete from changes where uid = ? and unique_code = ?",
                                "delete from clients where uid = ? and unique_code = ?"}) {
            CStore::run(QString::fromLatin1(sql), {uid, client.first}, &ok);
            if (!ok)
                return false;
        }
        CStore::run(QStringLiteral("insert or replace into retired_clients(uid, unique_code, last_seen) "
                                   "values(?, ?, ?)"),
                    {uid, client.first, client.second}, &ok);
        if (!ok)
            return false;
        qInfo().noquote() << QStringLiteral("author %1: a client unused since %2 is retired")
                                 .arg(uid)
                                 .arg(QDateTime::fromSecsSinceEpoch(client.second).toString(Qt::ISODate));
        QMutexLocker guard(&m_lock);
        m_known.remove(clientKey(uid, client.first));
    }
    Q_UNUSED(now)
    return true;
}

bool CChangeFeed::seedDeletions(qint64 uid, const QString &code, bool *wasRetired)
{
    bool ok = false;
    const QVariant lastSeen = CStore::scalar(
        QStringLiteral("select last_seen from retired_clients where uid = ? and unique_code = ?"),
        {uid, code}, &ok);
    *wasRetired = lastSeen.isValid();
    if (!ok || !*wasRetired)
        return ok;
    // A day of overlap: a deletion it may have missed before it was last
    // seen is announced too; one it applied already is skipped on arrival.
    QSqlQuery q =
        CStore::run(QStringLiteral("select change_type, book_id, chapter_id, create_time from tombstones "
                                   "where uid = ? and create_time >= ? order by rowid"),
                    {uid, lastSeen.toLongLong() - 86400}, &ok);
    if (!ok)
        return false;
    QList<QList<qint64>> deletions;
    while (q.next())
        deletions.append({q.value(0).toLongLong(), q.value(1).toLongLong(), q.value(2).toLongLong(),
                          q.value(3).toLongLong()});
    q.finish();
    for (const QList<qint64> &d : deletions) {
        if (!insertItem(uid, code, static_cast<int>(d.at(0)), d.at(1), d.at(2), {}, d.at(3)))
            return false;
    }
    CStore::run(QStringLiteral("delete from retired_clients where uid = ? and unique_code = ?"), {uid, code},
                &ok);
    return ok;
}

bool CChangeFeed::seed(qint64 uid, const QString &code, qint64 now)
{
    return seedBooks(uid, code, now) && seedRest(uid, code, now);
}

// Every book as "new book" plus its information, then its chapters (text
// included, recycled ones too) in batches for "/chapter/getChapters".
bool CChangeFeed::seedBooks(qint64 uid, const QString &code, qint64 now)
{
    bool ok = false;
    QSqlQuery books = CStore::run(
        QStringLiteral("select book_id, book_name, create_time from books where uid = ? order by book_id"),
        {uid}, &ok);
    if (!ok)
        return false;
    QList<QPair<qint64, QJsonObject>> list;
    while (books.next())
        list.append({books.value(0).toLongLong(), QJsonObject{{"book_name", books.value(1).toString()},
                                                              {"create_time", books.value(2).toLongLong()}}});
    for (const auto &book : list) {
        if (!insertItem(uid, code, Change_NewBook, book.first, 0, book.second, now) ||
            !insertItem(uid, code, Change_BookInfo, book.first, 0, {}, now))
            return false;
        QSqlQuery chapters = CStore::run(
            QStringLiteral("select chapter_id, length(content) from chapters where book_id = ? order by "
                           "order_num, chapter_id"),
            {book.first}, &ok);
        if (!ok)
            return false;
        QList<QPair<qint64, qint64>> sized;
        while (chapters.next())
            sized.append({chapters.value(0).toLongLong(), chapters.value(1).toLongLong() * 3});
        chapters.finish();
        for (const QStringList &ids : batches(sized)) {
            if (!insertItem(uid, code, Change_ChapterBatch, book.first, 0,
                            QJsonObject{{"cids", ids.join(QLatin1Char(','))}}, now))
                return false;
        }
    }
    return true;
}

QList<QStringList> CChangeFeed::batches(const QList<QPair<qint64, qint64>> &chapters)
{
    QList<QStringList> out;
    QStringList ids;
    qint64 bytes = 0;
    for (const auto &chapter : chapters) {
        if (!ids.isEmpty() && (ids.size() == kChaptersPerBatch || bytes + chapter.second > kMaxBatchBytes)) {
            out << ids;
            ids.clear();
            bytes = 0;
        }
        ids << QString::number(chapter.first);
        bytes += chapter.second;
    }
    if (!ids.isEmpty())
        out << ids;
    return out;
}

bool CChangeFeed::recordChapters(qint64 uid, const QString &fromCode, qint64 bookId,
                                 const QStringList &chapterIds, qint64 now)
{
    QList<QPair<qint64, qint64>> sized;
    for (const QString &id : chapterIds) {
        bool ok = false;
        const qint64 length =
            CStore::scalar(QStringLiteral("select length(content) from chapters where chapter_id = ?"), {id},
                           &ok)
                .toLongLong();
        if (!ok)
            return false;
        sized.append({id.toLongLong(), length * 3});
    }
    for (const QStringList &ids : batches(sized)) {
        if (!record(uid, fromCode, Change_ChapterBatch, bookId, 0,
                    QJsonObject{{"cids", ids.join(QLatin1Char(','))}}, now))
            return false;
    }
    return true;
}

bool CChangeFeed::queueFor(qint64 uid, const QString &code, int type, qint64 bookId, qint64 chapterId,
                           const QJsonObject &extra, qint64 now)
{
    return insertItem(uid, code, type, bookId, chapterId, extra, now);
}

// Memos, snapshots, statistics, private words and the profile.
bool CChangeFeed::seedRest(qint64 uid, const QString &code, qint64 now)
{
    bool ok = false;
    QSqlQuery memos =
        CStore::run(QStringLiteral("select memo_id from memos where uid = ? order by memo_id"), {uid}, &ok);
    if (!ok)
        return false;
    QList<qint64> memoIds;
    while (memos.next())
        memoIds << memos.value(0).toLongLong();
    for (qint64 id : memoIds) {
        if (!insertItem(uid, code, Change_NewMemo, id, 0, {}, now))
            return false;
    }
    QSqlQuery blades = CStore::run(
        QStringLiteral("select distinct book_id, chapter_id from blades where uid = ? order by chapter_id"),
        {uid}, &ok);
    if (!ok)
        return false;
    QList<QPair<qint64, qint64>> bladeChapters;
    while (blades.next())
        bladeChapters.append({blades.value(0).toLongLong(), blades.value(1).toLongLong()});
    for (const auto &c : bladeChapters) {
        if (!insertItem(uid, code, Change_TimeMachine, c.first, c.second, {}, now))
            return false;
    }
    const bool hasStats =
        CStore::scalar(QStringLiteral("select 1 from statistics where uid = ? limit 1"), {uid}, &ok)
            .isValid();
    if (!ok || (hasStats && !insertItem(uid, code, Change_Statistics, 0, 0, {}, now)))
        return false;
    const bool hasWords =
        CStore::scalar(QStringLiteral("select 1 from private_words where uid = ? and words <> '' limit 1"),
                       {uid}, &ok)
            .isValid();
    if (!ok || (hasWords && !insertItem(uid, code, Change_PrivateWords, 0, 0, {}, now)))
        return false;
    return insertItem(uid, code, Change_Profile, 0, 0, {}, now);
}

bool CChangeFeed::pending(qint64 uid, const QString &uniqueCode, QJsonArray &out)
{
    bool ok = false;
    QSqlQuery q = CStore::run(
        QStringLiteral(
            "select task_id, book_id, change_type, chapter_id, extra from changes where uid = ? and "
            "unique_code = ? order by task_id limit 1000"),
        {uid, uniqueCode}, &ok);
    if (!ok)
        return false;
    while (q.next()) {
        out.append(QJsonObject{{"id", q.value(0).toLongLong()},
                               {"book_id", q.value(1).toLongLong()},
                               {"change_type", q.value(2).toInt()},
                               {"chapter_id", q.value(3).toLongLong()},
                               {"extra", q.value(4).toString()}});
    }
    return true;
}

bool CChangeFeed::acknowledge(qint64 uid, const QString &uniqueCode, qint64 taskId)
{
    bool ok = false;
    CStore::run(QStringLiteral("delete from changes where uid = ? and unique_code = ? and task_id <= ?"),
                {uid, uniqueCode, taskId}, &ok);
    return ok;
}
