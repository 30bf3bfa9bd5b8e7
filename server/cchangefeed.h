#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QMutex>
#include <QSet>
#include <QString>

// Kinds of change a client receives from "/synchronization/synBookData".
enum ChangeType
{
    Change_NewBook = 1,
    Change_BookInfo = 2,
    Change_BookDeleted = 3,
    Change_NewChapter = 4,
    Change_ChapterMoved = 5,
    Change_ChapterRecycled = 6,
    Change_ChapterDeleted = 7,
    Change_ChapterRestored = 8,
    Change_ChapterContent = 9,
    Change_TimeMachine = 11,
    Change_Statistics = 12,
    Change_Profile = 13,
    Change_NewMemo = 15,
    Change_MemoChanged = 16,
    Change_MemoDeleted = 17,
    Change_PrivateWords = 18,
    Change_ChapterBatch = 19,
};

// The change feed per author and client unique code. A change made by one
// client is queued for every other client of the same author; a unique
// code seen for the first time is given the whole account. An author has a
// bounded number of active codes, so that one change never fans out to
// more than that; a retired code that comes back starts over with the whole
// account and the deletions made while it was away.
class CChangeFeed
{
public:
    static CChangeFeed &instance();

    // Active unique codes per author; a new one beyond this retires the one
    // unused for longest.
    void setMaxClients(int count) { m_maxClients = count; }
    // The client pulled its feed: it is in use.
    bool touch(qint64 uid, const QString &uniqueCode, qint64 now);

    // Queues a change for every client of `uid` but `fromCode`. Must run
    // inside a write transaction.
    bool record(qint64 uid, const QString &fromCode, int type, qint64 bookId, qint64 chapterId,
                const QJsonObject &extra, qint64 now);
    // Queues a change for the one client `code` of `uid`. Must run inside a
    // write transaction.
    bool recordFor(qint64 uid, const QString &code, int type, qint64 bookId, qint64 chapterId,
                   const QJsonObject &extra, qint64 now);
    // Registers the unique code; the first time, seeds its feed with the
    // author's whole account. Opens its own write transaction.
    bool ensureClient(qint64 uid, const QString &uniqueCode, qint64 now);
    // The pending items of one client, oldest first.
    bool pending(qint64 uid, const QString &uniqueCode, QJsonArray &out);
    // Removes the client's items up to and including `taskId`. Inside a
    // write transaction.
    bool acknowledge(qint64 uid, const QString &uniqueCode, qint64 taskId);
    // Queues a change for one client only. Inside a write transaction.
    bool queueFor(qint64 uid, const QString &code, int type, qint64 bookId, qint64 chapterId,
                  const QJsonObject &extra, qint64 now);
    // New chapters of a book for every other client, in batches that one
    // "/chapter/getChapters" answers whole. Inside a write transaction.
    bool recordChapters(qint64 uid, const QString &fromCode, qint64 bookId, const QStringList &chapterIds,
                        qint64 now);

    static constexpr int kChaptersPerBatch = 20;
    // Chapter text in one batch (and one answer of "/chapter/getChapters").
    static constexpr qint64 kMaxBatchBytes = 4 * 1024 * 1024;

private:
    bool insertItem(qint64 uid, const QString &code, int type, qint64 bookId, qint64 chapterId,
                    const QJsonObject &extra, qint64 now);
    bool seed(qint64 uid, const QString &code, qint64 now);
    bool seedBooks(qint64 uid, const QString &code, qint64 now);
    bool seedRest(qint64 uid, const QString &code, qint64 now);
    // Chapter ids with their text sizes, grouped into batches.
    static QList<QStringList> batches(const QList<QPair<qint64, qint64>> &chapters);

    bool retireBeyondLimit(qint64 uid, const QString &newCode, qint64 now);
    // A retired client that comes back is told what was deleted meanwhile.
    bool seedDeletions(qint64 uid, const QString &code, bool *wasRetired);

    QMutex m_lock;
    QSet<QString> m_known; // "uid:code" already registered
    int m_maxClients = 20;
};
