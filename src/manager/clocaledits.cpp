#include "clocaledits.h"

#include "db/cquorvindb.h"
#include "db/records.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
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
    if (m_touched.value(key, 0) <= sentAt && !waiting) {
        if (m_pending.remove(key))
            savePending();
        return true;
    }
    keepPending(key);
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
    if (localId < 1)
        return;
    m_refetch.insert(Key(kind, localId));
    keepPending(Key(kind, localId));
}

void CLocalEdits::keepPending(const Key &key)
{
    if (!m_pending.contains(key)) {
        m_pending.insert(key);
        savePending();
    }
}

void CLocalEdits::forget(const Key &key)
{
    m_refetch.remove(key);
    if (m_pending.remove(key))
        savePending();
}

void CLocalEdits::setStoreFile(const QString &path)
{
    m_storeFile = path;
    m_pending.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    for (const QJsonValue &value : QJsonDocument::fromJson(file.readAll()).array()) {
        const QJsonArray pair = value.toArray();
        const int kind = pair.at(0).toInt(-1), localId = pair.at(1).toInt();
        if (kind >= Book && kind <= Memo && localId > 0)
            m_pending.insert(Key(kind, localId));
    }
}

void CLocalEdits::savePending()
{
    if (m_storeFile.isEmpty())
        return;
    if (m_pending.isEmpty()) {
        QFile::remove(m_storeFile);
        return;
    }
    QJsonArray keys;
    for (const Key &key : qAsConst(m_pending))
        keys.append(QJsonArray{key.first, key.second});
    QDir().mkpath(QFileInfo(m_storeFile).absolutePath());
    QSaveFile file(m_storeFile);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QJsonDocument(keys).toJson(QJsonDocument::Compact)) < 0 || !file.commit())
        qWarning() << "cannot keep the objects still to fetch in" << m_storeFile;
}

QList<CLocalEdits::Key> CLocalEdits::settledPending() const
{
    QList<Key> settled;
    for (const Key &key : m_pending)
        if (!hasWaitingChange(Kind(key.first), key.second))
            settled << key;
    return settled;
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
