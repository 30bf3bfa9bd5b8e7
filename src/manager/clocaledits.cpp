#include "clocaledits.h"

#include "db/cquorvindb.h"
#include "db/records.h"

#include <QTimer>

CLocalEdits &CLocalEdits::instance()
{
    static CLocalEdits edits;
    return edits;
}

void CLocalEdits::touch(Kind kind, int localId)
{
    if (localId > 0)
        m_touched.insert(Key(kind, localId), ++m_clock);
}

QList<CLocalEdits::Key> CLocalEdits::keysOfJob(const T_Http_C &route)
{
    QList<Key> keys;
    switch (route.jobType) {
    case JobType_BookAdd:
    case JobType_BookEdit:
        keys << Key(Book, route.localBookId);
        break;
    case JobType_ChapterAdd:
    case JobType_ChapterRename:
    case JobType_ChapterText:
    case JobType_ChapterEdit:
        keys << Key(Chapter, route.localChapterId);
        break;
    case JobType_ChapterRecycle:
    case JobType_ChapterDelete:
    case JobType_ChapterMove:
        keys << Key(Chapter, route.localChapterId) << Key(Order, route.localBookId);
        break;
    case JobType_MemoAdd:
    case JobType_MemoEdit:
    case JobType_MemoColor:
    case JobType_MemoContent:
    case JobType_MemoLocation:
        keys << Key(Memo, route.localMemoId);
        break;
    default:
        break;
    }
    return keys;
}

void CLocalEdits::jobAnswered(const T_Http_C &route)
{
    for (const Key &key : keysOfJob(route))
        touch(Kind(key.first), key.second);
}

QString CLocalEdits::fetchKey(const T_Http_C &route)
{
    return QStringLiteral("%1:%2:%3:%4")
        .arg(route.jobType)
        .arg(route.localBookId)
        .arg(route.localChapterId)
        .arg(route.localMemoId);
}

void CLocalEdits::fetchSent(const T_Http_C &route)
{
    m_fetches.insert(fetchKey(route), m_clock);
}

bool CLocalEdits::hasWaitingChange(Kind kind, int localId)
{
    CQuorvinDb *db = CQuorvinDb::instance();
    switch (kind) {
    case Book:
        return db->hasWaitingJob(QStringLiteral("localBookId"), localId, {JobType_BookAdd, JobType_BookEdit});
    case Chapter:
        return db->hasWaitingJob(QStringLiteral("localChapterId"), localId,
                                 {JobType_ChapterAdd, JobType_ChapterEdit, JobType_ChapterRecycle,
                                  JobType_ChapterDelete, JobType_ChapterMove});
    case Order:
        // A creation on its way counts too: a list fetched meanwhile may hold
        // the new chapter before its answer tells us its server id.
        return db->hasWaitingJob(QStringLiteral("localBookId"), localId,
                                 {JobType_ChapterAdd, JobType_ChapterBatchAdd, JobType_ChapterRecycle,
                                  JobType_ChapterDelete, JobType_ChapterMove});
    case Memo:
        return db->hasWaitingJob(QStringLiteral("localMemoId"), localId, {JobType_MemoAdd, JobType_MemoEdit});
    }
    return false;
}

bool CLocalEdits::mayApply(Kind kind, int localId, const T_Http_C &fetch)
{
    const Key key(kind, localId);
    const quint64 sentAt = m_fetches.value(fetchKey(fetch), 0);
    const bool waiting = hasWaitingChange(kind, localId);
    if (m_touched.value(key, 0) <= sentAt && !waiting)
        return true;
    if (waiting || !m_refetcher) {
        m_refetch.insert(key); // once the change is answered
    } else {
        // The change was answered while the fetch was on its way: the
        // server's value is worth fetching now.
        auto refetch = m_refetcher;
        QTimer::singleShot(0, [refetch, key] { refetch(key); });
    }
    return false;
}

void CLocalEdits::chapterDeleted(int chapterId)
{
    if (chapterId > 0)
        m_deletedChapters.insert(chapterId);
}

void CLocalEdits::requestRefetch(Kind kind, int localId)
{
    if (localId > 0)
        m_refetch.insert(Key(kind, localId));
}

QList<CLocalEdits::Key> CLocalEdits::takeSettledRefetches()
{
    QList<Key> settled;
    for (auto it = m_refetch.begin(); it != m_refetch.end();) {
        if (!hasWaitingChange(Kind(it->first), it->second)) {
            settled << *it;
            it = m_refetch.erase(it);
        } else {
            ++it;
        }
    }
    return settled;
}
