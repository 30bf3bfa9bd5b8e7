#include "cmemomanager.h"

#include "clocaledits.h"
#include "db/cquorvindb.h"
#include "jobheader.h"
#include "remote/cquorvinhttp.h"
#include "remote/cquorvinparser.h"
#include "remote/thttpresponses.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString compact(const QJsonObject &object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QJsonObject parseObject(const QString &text)
{
    return QJsonDocument::fromJson(text.toUtf8()).object();
}

// The card's position as the server keeps it beside the pinned chapter.
QString locationText(float x, float y)
{
    return compact(QJsonObject{{QStringLiteral("x"), double(x)}, {QStringLiteral("y"), double(y)}});
}

T_Book *bookByLocalId(const QList<T_Book *> &books, int localBookId)
{
    for (T_Book *book : books)
        if (book->localId == localBookId)
            return book;
    return nullptr;
}

T_Book *bookByServerId(const QList<T_Book *> &books, int bookId)
{
    for (T_Book *book : books)
        if (bookId > 0 && book->bookId == bookId)
            return book;
    return nullptr;
}

T_Chapter *chapterIn(const T_Book &book, int localChapterId, int chapterId)
{
    for (const QList<T_Chapter *> *list : {&book.chapterList, &book.recycleList})
        for (T_Chapter *chapter : *list)
            if ((localChapterId > 0 && chapter->localId == localChapterId) ||
                (localChapterId < 1 && chapterId > 0 && chapter->chapterId == chapterId))
                return chapter;
    return nullptr;
}

} // namespace

CMemoManager::CMemoManager(QObject *parent)
    : QObject(parent), m_http(CQuorvinHttp::instance()), m_db(CQuorvinDb::instance()),
      m_session(&T_SessionData::instance())
{
}

CMemoManager *CMemoManager::instance()
{
    static CMemoManager *manager = new CMemoManager;
    return manager;
}

bool CMemoManager::signedIn() const
{
    return m_session->author.uid >= 1;
}

bool CMemoManager::loadMemos()
{
    if (!signedIn())
        return false;
    m_session->clearMemos();
    if (!m_db->getMemos(m_session->author.uid, m_session->memos))
        return false;
    for (T_Memo *memo : qAsConst(m_session->memos))
        fillNames(*memo);
    return true;
}

void CMemoManager::fillNames(T_Memo &memo) const
{
    memo.bookName.clear();
    memo.chapterName.clear();
    memo.isPinned = false;
    if (memo.localBookId < 1 || memo.localChapterId < 1)
        return;
    const T_Book *book = bookByLocalId(m_session->books, memo.localBookId);
    const T_Chapter *chapter = book ? chapterIn(*book, memo.localChapterId, 0) : nullptr;
    if (!chapter)
        return;
    memo.bookName = book->bookName;
    memo.chapterName = chapter->name;
    memo.isPinned = true;
}

T_Memo *CMemoManager::findMemo(int localMemoId) const
{
    for (T_Memo *memo : m_session->memos)
        if (memo->localId == localMemoId)
            return memo;
    return nullptr;
}

T_Memo *CMemoManager::findMemoByServerId(int memoId) const
{
    for (T_Memo *memo : m_session->memos)
        if (memoId > 0 && memo->memoId == memoId)
            return memo;
    return nullptr;
}

int CMemoManager::rowOf(int localMemoId) const
{
    for (int row = 0; row < m_session->memos.size(); ++row)
        if (m_session->memos.at(row)->localId == localMemoId)
            return row;
    return -1;
}

// Changes --------------------------------------------------------------------

bool CMemoManager::addMemo(TC_Memo_Add &req)
{
    if (!signedIn())
        return false;
    const int uid = m_session->author.uid;
    auto *memo = new T_Memo;
    memo->color = req.color;
    memo->content = req.content;
    memo->memoId = req.synStep ? req.memoId : 0;
    memo->updateTime = req.update_time > 0 ? req.update_time : m_db->currentTime();
    req.uid = uid;
    T_Http_C header;
    // The memo and the job that creates it on the server are stored together.
    if (!m_db->together([&] {
            if (!m_db->insertMemo(uid, *memo))
                return false;
            req.localMemoId = memo->localId;
            if (req.synStep != 0)
                return true;
            header = req;
            header.jobType = JobType_MemoAdd;
            header.memoId = 0;
            const QString content = compact(QJsonObject{{QStringLiteral("color"), memo->color},
                                                        {QStringLiteral("content"), memo->content}});
            return m_db->addJob(header, content, memo->updateTime);
        })) {
        if (memo->localId > 0)
            m_session->user.memoCount -= 1; // counted by the insert that was rolled back
        req.localMemoId = 0;
        delete memo;
        return false;
    }
    m_session->memos.prepend(memo);
    if (req.synStep == 0) {
        TC_Memo_Add send = req;
        static_cast<T_Http_C &>(send) = header;
        send.update_time = memo->updateTime;
        m_http->memoAddAsyn(send);
    }
    emit sig_MemoAdded(memo->localId, 0);
    return true;
}

bool CMemoManager::memoDel(const TC_Memo_Del &req)
{
    if (req.localMemoId <= 0) {
        qWarning() << "memoDel localMemoId = 0";
        return false;
    }
    if (!signedIn())
        return false;
    const int uid = m_session->author.uid;
    T_Memo *memo = findMemo(req.localMemoId);
    const int memoId = memo ? memo->memoId : req.memoId;
    T_Http_C header = req;
    header.uid = uid;
    header.memoId = memoId;
    header.jobType = JobType_MemoDelete;
    const int time = req.update_time > 0 ? req.update_time : m_db->currentTime();
    // The row goes with the job that deletes it on the server, or not at all.
    if (!m_db->together([&] {
            return m_db->deleteMemo(req.localMemoId, uid) &&
                   (req.synStep != 0 || m_db->addJob(header, QString(), time));
        }))
        return false;
    if (memo) {
        m_session->memos.removeOne(memo);
        delete memo;
    }
    if (req.synStep == 0 && memoId > 0) {
        TC_Memo_Del send;
        static_cast<T_Http_C &>(send) = header;
        send.update_time = time;
        m_http->memoDelAsyn(send);
    }
    emit sig_MemoRemoved(req.localMemoId);
    return true;
}

bool CMemoManager::memoEditColor(const TC_Memo_Edit &req)
{
    T_Memo *memo = signedIn() ? findMemo(req.localMemoId) : nullptr;
    if (!memo)
        return false;
    memo->color = req.color;
    return storeEdit(*memo, req, JobType_MemoColor, req.color);
}

bool CMemoManager::memoEditContent(const TC_Memo_Edit &req)
{
    if (req.localMemoId <= 0) {
        qWarning() << "memoDel memoEditContent = 0";
        return false;
    }
    T_Memo *memo = signedIn() ? findMemo(req.localMemoId) : nullptr;
    if (!memo)
        return false;
    memo->content = req.content;
    return storeEdit(*memo, req, JobType_MemoContent, req.content);
}

bool CMemoManager::memoEditLocation(const TC_Memo_Edit &req, float x, float y)
{
    T_Memo *memo = signedIn() ? findMemo(req.localMemoId) : nullptr;
    if (!memo)
        return false;
    memo->localBookId = req.localBookId;
    memo->bookId = req.bookId;
    memo->localChapterId = req.localChapterId;
    memo->chapterId = req.chapterId;
    memo->x = x;
    memo->y = y;
    // The pinned chapter's server ids as memory knows them now.
    if (const T_Book *book = bookByLocalId(m_session->books, req.localBookId)) {
        memo->bookId = book->bookId;
        if (const T_Chapter *chapter = chapterIn(*book, req.localChapterId, 0))
            memo->chapterId = chapter->chapterId;
    }
    fillNames(*memo);
    const QString content = compact(QJsonObject{{QStringLiteral("bookId"), memo->bookId},
                                                {QStringLiteral("localBookId"), memo->localBookId},
                                                {QStringLiteral("chapterId"), memo->chapterId},
                                                {QStringLiteral("localChapterId"), memo->localChapterId},
                                                {QStringLiteral("x"), double(x)},
                                                {QStringLiteral("y"), double(y)}});
    return storeEdit(*memo, req, JobType_MemoLocation, content);
}

bool CMemoManager::storeEdit(T_Memo &memo, const T_Http_C &req, int jobType, const QString &jobContent)
{
    const int time = m_db->currentTime();
    memo.updateTime = time;
    if (jobType != JobType_MemoLocation)
        memo.colorUpdateTime = time;
    T_Http_C header;
    header.uid = m_session->author.uid;
    header.jobType = jobType;
    header.localMemoId = memo.localId;
    header.memoId = memo.memoId;
    header.localBookId = memo.localBookId;
    header.bookId = memo.bookId;
    header.localChapterId = memo.localChapterId;
    header.chapterId = memo.chapterId;
    // The memo and the job that sends the change are stored together.
    if (!m_db->together([&] {
            return m_db->updateMemo(m_session->author.uid, memo) &&
                   (req.synStep != 0 || m_db->addJob(header, jobContent, time));
        }))
        return false;
    if (req.synStep == 0) {
        CLocalEdits::instance().touch(CLocalEdits::Memo, memo.localId);
        // The memo's job may hold other unsent changes: it goes whole.
        if (memo.memoId > 0)
            sendStoredJob(this, m_db, header.jobId);
    }
    emit sig_MemoChanged(memo.localId);
    return true;
}

bool CMemoManager::memoDetail(const T_Http_C &req)
{
    if (req.localMemoId < 1 || req.memoId < 1 || !signedIn())
        return false;
    T_Http_C send = req;
    send.uid = m_session->author.uid;
    send.jobType = JobType_MemoDetail;
    send.jobId = 0;
    CLocalEdits::instance().fetchSent(send);
    m_http->memoDetailAsyn(send);
    return true;
}

bool CMemoManager::fetchAgain(int localMemoId)
{
    const T_Memo *memo = findMemo(localMemoId);
    if (!memo || memo->memoId < 1)
        return false;
    T_Http_C req;
    req.localMemoId = memo->localId;
    req.memoId = memo->memoId;
    return memoDetail(req);
}

// Replay -----------------------------------------------------------------------

bool CMemoManager::execUserJob(const T_JobData &job)
{
    const T_Http_C header = jobHeader(job);
    const QJsonObject content = parseObject(job.content);
    switch (job.jobType) {
    case JobType_MemoAdd: {
        TC_Memo_Add req;
        static_cast<T_Http_C &>(req) = header;
        req.color = content.value(QStringLiteral("color")).toString();
        req.content = content.value(QStringLiteral("content")).toString();
        req.update_time = job.createTime;
        m_http->memoAddAsyn(req);
        return true;
    }
    case JobType_MemoDelete: {
        if (job.memoId < 1)
            return false; // the server never had it
        TC_Memo_Del req;
        static_cast<T_Http_C &>(req) = header;
        m_http->memoDelAsyn(req);
        return true;
    }
    case JobType_MemoEdit: {
        if (job.memoId < 1)
            return false;
        TC_Memo_Edit req;
        static_cast<T_Http_C &>(req) = header;
        req.color = content.value(QStringLiteral("color")).toString();
        req.contentChanged = content.contains(QStringLiteral("content"));
        req.content = content.value(QStringLiteral("content")).toString();
        req.locationChanged = content.contains(QStringLiteral("localChapterId")) ||
                              content.contains(QStringLiteral("chapterId"));
        if (req.locationChanged) {
            req.bookId = content.value(QStringLiteral("bookId")).toInt();
            req.chapterId = content.value(QStringLiteral("chapterId")).toInt();
            // Ids the queue learnt after the job was written.
            if (const T_Memo *memo = findMemo(job.localMemoId)) {
                req.bookId = memo->bookId;
                req.chapterId = memo->chapterId;
            }
            req.location = locationText(float(content.value(QStringLiteral("x")).toDouble()),
                                        float(content.value(QStringLiteral("y")).toDouble()));
        }
        req.update_time = job.createTime;
        m_http->memoEditAsyn(req);
        return true;
    }
    default:
        return false;
    }
}

void CMemoManager::asynBack(const T_Http_C &route, const QByteArray &body)
{
    if (route.jobType == JobType_MemoAdd) {
        TS_Memo_Add res;
        CQuorvinParser::parse(body, res);
        if (res.code != 200 || res.memoId < 1 || route.localMemoId < 1)
            return;
        m_db->setMemoServerId(route.localMemoId, res.memoId);
        if (T_Memo *memo = findMemo(route.localMemoId)) {
            memo->memoId = res.memoId;
        } else if (route.uid == m_session->author.uid) {
            // Deleted here while the creation was on its way: delete it there too.
            T_Http_C del = route;
            del.jobId = 0;
            del.next = 0;
            del.synStep = 0;
            del.memoId = res.memoId;
            del.jobType = JobType_MemoDelete;
            m_db->addJob(del, QString(), m_db->currentTime());
        }
    } else if (route.jobType == JobType_MemoDetail) {
        onDetail(route, body);
    }
}

void CMemoManager::onDetail(const T_Http_C &route, const QByteArray &body)
{
    TS_Memo_Detail res;
    CQuorvinParser::parse(body, res);
    // Memos are deleted for good: one the server no longer has is gone.
    if (res.code == 404 && route.memoId > 0) {
        if (const T_Memo *gone = findMemoByServerId(route.memoId)) {
            qWarning() << "memo" << gone->localId << "(" << route.memoId
                       << ") is no longer on the server: deleted here too";
            TC_Memo_Del del;
            del.localMemoId = gone->localId;
            del.memoId = route.memoId;
            del.synStep = 1; // as the server's own delete: nothing is sent
            memoDel(del);
        }
        return;
    }
    if (res.code != 200 || res.id < 1)
        return;
    T_Memo *memo = route.localMemoId > 0 ? findMemo(route.localMemoId) : nullptr;
    if (!memo)
        memo = findMemoByServerId(res.id);
    // An edit made here since the fetch went out is newer than the fetched card.
    if (!memo || !CLocalEdits::instance().mayApply(CLocalEdits::Memo, memo->localId, route))
        return;
    memo->memoId = res.id;
    memo->color = res.color;
    memo->content = res.content;
    memo->updateTime = res.updateTime;
    memo->colorUpdateTime = res.colorUpdateTime;
    memo->bookId = res.bookId;
    memo->chapterId = res.chapterId;
    memo->localBookId = 0;
    memo->localChapterId = 0;
    if (T_Book *book = bookByServerId(m_session->books, res.bookId)) {
        memo->localBookId = book->localId;
        if (const T_Chapter *chapter = chapterIn(*book, 0, res.chapterId))
            memo->localChapterId = chapter->localId;
    }
    const QJsonObject location = parseObject(res.location);
    if (location.contains(QStringLiteral("x"))) {
        memo->x = float(location.value(QStringLiteral("x")).toDouble());
        memo->y = float(location.value(QStringLiteral("y")).toDouble());
    }
    fillNames(*memo);
    m_db->updateMemo(m_session->author.uid, *memo);
    emit sig_MemoChanged(memo->localId);
}
