#include "cjobmanager.h"

#include "apppaths.h"
#include "cbookjobmanager.h"
#include "clocaledits.h"
#include "cmemomanager.h"
#include "crecoveryjournal.h"
#include "cretrytimer.h"
#include "csyndatamanager.h"
#include "csystemmanager.h"
#include "cuimanager.h"
#include "cuserjobmanager.h"
#include "db/cquorvindb.h"
#include "jobheader.h"
#include "platform/quitsignals.h"
#include "remote/chttputil.h"
#include "remote/cquorvinhttp.h"
#include "remote/cquorvinparser.h"
#include "remote/ctransportfailure.h"
#include "settingscheck.h"

#include <QCoreApplication>
#include <QDebug>
#include <QGuiApplication>
#include <QMutexLocker>
#include <QNetworkReply>

CJobManager::CJobManager(QObject *parent)
    : QObject(parent), m_bookJob(CBookJobManager::instance()), m_userJob(CUserJobManager::instance()),
      m_ui(CUiManager::instance()), m_session(&T_SessionData::instance()), m_db(CQuorvinDb::instance()),
      m_system(CSystemManager::instance()), m_synData(CSynDataManager::instance()),
      m_memo(CMemoManager::instance()), m_retry(new CRetryTimer(this))
{
    connect(CQuorvinHttp::instance(), &CQuorvinHttp::sigGetAsynData, this, &CJobManager::onGetAsynData);
    // Any answer of the server, to a call that waits too, ends an outage.
    connect(CQuorvinHttp::instance(), &CQuorvinHttp::sig_ServerAnswered, this, &CJobManager::onServerAnswered,
            Qt::QueuedConnection);
    connect(m_retry, &CRetryTimer::sig_Due, this, &CJobManager::onRetryDue);
    CQuorvinHttp::instance()->setSendGate([this](const T_Http_C &req) { return admitSend(req); });
    connectAccountSignals();
    CLocalEdits::instance().setRefetcher([this](CLocalEdits::Key key) { refetch(key); });
    // What an earlier run (or this one) still had to fetch again goes once
    // a pull has come through.
    connect(m_synData, &CSynDataManager::sig_SynEnded, this, [this](bool ok) {
        if (ok) {
            m_automaticPass = false;
            m_failureTold = false;
            m_failureText.clear();
        }
        if (ok)
            for (const CLocalEdits::Key &key : CLocalEdits::instance().settledPending())
                refetch(key);
    });
}

CJobManager *CJobManager::instance()
{
    static CJobManager *manager = new CJobManager;
    return manager;
}

// Start and sign-in --------------------------------------------------------------

bool CJobManager::init()
{
    m_startupProblem = CSettingsCheck::problem(AppPaths::settingsFile());
    if (!m_startupProblem.isEmpty())
        return false;
    if (!m_db->init()) {
        m_startupProblem = m_db->storeCheck().message;
        return false;
    }
    if (!m_db->getSysData(m_session->author, m_session->synData)) {
        m_db->refuseStart(m_db->lastError());
        m_startupProblem = m_db->storeCheck().message;
        return false;
    }
    {
        QMutexLocker lock(&m_mutex);
        m_lastEarlierJobId = m_db->lastJobId();
    }
    m_system->checkSysData(m_session->synData);
    syncServerClock();

    const int lastUid = m_session->author.uid;
    if (lastUid > 0 && m_db->getUserData(lastUid, m_session->author, m_session->user)) {
        m_session->author.uid = lastUid;
        m_session->user.uid = lastUid;
        if (!m_session->author.token.isEmpty()) {
            startSignedInWork();
            return true;
        }
    }
    m_ui->showLogin();
    return true;
}

bool CJobManager::uninit()
{
    if (m_session->user.uid > 0 && !m_db->updateUserdata(m_session->user))
        qWarning() << "cannot write the author's settings back, uid =" << m_session->user.uid;
    m_ui->closeWindows();
    return true;
}

void CJobManager::saveEverything()
{
    m_ui->saveAll();
    if (m_session->user.uid > 0) {
        if (!m_db->updateUserdata(m_session->user))
            qWarning() << "cannot write the author's settings, uid =" << m_session->user.uid;
        if (!m_db->updateLock(m_session->user))
            qWarning() << "cannot write the writing lock, uid =" << m_session->user.uid;
    }
}

void CJobManager::saveAndQuit()
{
    saveEverything();
    QCoreApplication::quit();
}

void CJobManager::installQuitHandlers(QGuiApplication &app)
{
    Platform::installQuitSignals(&app, [this](int signo) {
        qWarning() << "signal" << signo << ": saving everything and quitting";
        saveAndQuit();
    });
    connect(&app, &QGuiApplication::commitDataRequest, this, &CJobManager::saveAndQuit);
}

bool CJobManager::startSignedInWork()
{
    const int uid = m_session->author.uid;
    if (uid < 1 || m_session->author.token.isEmpty()) {
        m_ui->showLogin();
        return false;
    }
    syncServerClock();
    m_session->user.uid = uid;
    CLocalEdits::instance().setStoreFile(AppPaths::dataDir() +
                                         QStringLiteral("/config/pending-fetches-%1.json").arg(uid));
    if (m_session->author.uniqueCode.isEmpty())
        m_session->author.uniqueCode = HttpUtil::makeUniqueCode(uid);
    CQuorvinHttp *http = CQuorvinHttp::instance();
    http->setToken(m_session->author.token);
    http->setUniqueCode(m_session->author.uniqueCode);

    if (!m_userJob->loadAuthor(uid))
        qDebug() << "loadAuthor gave nothing more, uid =" << uid;
    if (!m_bookJob->loadBooks())
        qWarning() << "cannot read the books of uid" << uid;
    if (!m_memo->loadMemos())
        qDebug() << "loadMemos gave nothing, uid =" << uid;
    m_system->loadAuthorData();
    m_ui->showMain();
    // Text typed in a run that ended before the store took it: saved now,
    // its job queued with the rest, and the author told.
    CRecoveryJournal::instance()->recoverAll(uid);
    checkUserJob();
    return true;
}

void CJobManager::syncServerClock()
{
    if (m_clockSynced || !HttpUtil::isServerClockSet())
        return;
    // HttpUtil keeps local minus server; the store adds its offset to local.
    m_db->setServerTimeOffset(int(-HttpUtil::serverClockOffset()));
    m_clockSynced = true;
}

// Replay -----------------------------------------------------------------------

void CJobManager::checkUserJob()
{
    startPass(false);
}

void CJobManager::startPass(bool automatic)
{
    if (m_session->author.uid < 1 || m_ui->syncRunning())
        return;
    qDebug() << "begin syndata ==== ";
    m_automaticPass = automatic;
    m_ui->setSyncRunning(1);
    replayNext();
}

void CJobManager::replayNext()
{
    for (;;) {
        const int uid = m_session->author.uid;
        if (uid < 1) {
            if (m_ui->syncRunning())
                endSync(false);
            return;
        }
        T_JobData job;
        {
            QMutexLocker lock(&m_mutex);
            if (!m_db->getUserJobData(job, uid)) {
                lock.unlock();
                endSync(false);
                return;
            }
            m_session->currentJob = job;
            if (job.jobId > 0) {
                if (m_sent.contains(job.jobId)) {
                    // On its way: a replay's reply goes on with the chain, and
                    // the chain waits for one sent at once.
                    m_replayWaitsOn = job.jobId;
                    return;
                }
                const T_SentJob sent = sentJob(jobHeader(job));
                if (const int other = sentAboutSameObject(sent, job.jobId)) {
                    // Requests about one object go one after the other, in order.
                    m_replayWaitsOn = other;
                    return;
                }
                m_sent.insert(job.jobId, sent);
                m_everSent.insert(job.jobId);
            }
        }
        if (job.jobId <= 0) {
            if (m_synData->isPulling())
                return;
            if (m_synData->hasPending())
                qDebug() << "change items of an interrupted pull are dropped by a new pull";
            m_synData->fetchChangeList();
            // Nothing to pull; a fetch that failed at once has ended the pass already.
            if (!m_synData->isPulling() && m_ui->syncRunning())
                endSync(true);
            return;
        }
        if (dispatchJob(job))
            return;
        // Nobody sends it: it would block the head of the queue for ever.
        qWarning() << "job sends nothing, deleted: jobType =" << job.jobType << ", jobId =" << job.jobId
                   << ", content =" << job.content.left(200);
        {
            QMutexLocker lock(&m_mutex);
            m_sent.remove(job.jobId);
        }
        if (!m_db->deleteJob(job.jobId)) {
            endSync(false);
            return;
        }
    }
}

bool CJobManager::dispatchJob(const T_JobData &job)
{
    const int type = job.jobType;
    if (type >= 2 && type <= 5)
        return m_userJob->execUserJob(job);
    if (type >= 8 && type <= 26)
        return m_bookJob->execUserJob(job);
    if (type >= 29 && type <= 35)
        return m_system->execUserJob(job);
    if (type >= 37 && type <= 43)
        return m_memo->execUserJob(job);
    return false;
}

void CJobManager::endSync(bool ok, const QString &why)
{
    m_synData->stopPull();
    for (T_Book *book : qAsConst(m_session->books))
        book->isSyncing = false;
    // A pass the retry timer started that fails again for the same reason
    // tells nothing new: the author was told when the outage began.
    const bool tell = ok || !m_automaticPass || !m_failureTold || why != m_failureText;
    m_automaticPass = false;
    m_ui->onSyncEnded(ok, why, tell);
    if (!ok && !why.isEmpty()) {
        m_failureTold = true;
        m_failureText = why;
    }
}

void CJobManager::noteTransientFailure(const T_TransportFailure &failure, bool endsPass)
{
    const int delay = m_retry->schedule();
    qWarning().noquote() << "the server is not reachable, trying again in" << delay
                         << "ms:" << failure.logText();
    const QString why = failure.text();
    if (endsPass) {
        endSync(false, why);
        return;
    }
    // A change sent at once outside a pass: told once per outage.
    if (!m_failureTold || why != m_failureText) {
        m_ui->showTips(tr("Changes cannot reach the server: %1 They are kept on this computer and sent by "
                          "themselves when the server answers.")
                           .arg(why),
                       0);
        m_failureTold = true;
        m_failureText = why;
    }
}

void CJobManager::onServerAnswered()
{
    if (!m_retry->reset())
        return;
    qDebug() << "the server answers again: the queue goes now";
    onRetryDue();
}

void CJobManager::onRetryDue()
{
    startPass(true);
}

// Replies ----------------------------------------------------------------------

void CJobManager::onGetAsynData(QNetworkReply *reply)
{
    if (!reply)
        return;
    syncServerClock();
    T_Http_C route;
    const bool routed =
        HttpUtil::parseUserdata(QString::fromLatin1(reply->request().rawHeader("userdata")), route);
    QByteArray body;
    T_TransportFailure failure;
    if (!ReplyCheck::read(reply, body, failure)) {
        qWarning().noquote() << "no usable answer:" << failure.logText() << ", jobType =" << route.jobType
                             << ", jobId =" << route.jobId;
        reply->deleteLater();
        onNetworkError(route, failure);
        return;
    }
    reply->deleteLater();
    // The server answers: a retry that waited for it goes once this reply is handled.
    const bool retryNow = m_retry->reset();
    if (retryNow)
        QMetaObject::invokeMethod(this, &CJobManager::onRetryDue, Qt::QueuedConnection);

    T_Http_S envelope;
    CQuorvinParser::parse(body, envelope);
    if (!routed)
        route = envelope.userdata;
    envelope.userdata = route;
    printSData(&envelope);

    bool resume = false;   // the replay waited for this job
    bool deferred = false; // the gate kept something back for it
    bool stale = false;
    // A statistics job is settled by its owner: the answer takes out what
    // its request carried, and what was added since stays queued.
    const bool settled = route.jobType == JobType_Statistics;
    if (route.jobId > 0) {
        QMutexLocker lock(&m_mutex);
        if (m_answered.contains(route.jobId)) {
            lock.unlock();
            qDebug() << "reply already handled, jobId =" << route.jobId;
            // A resend's reply still carries the chain on.
            if (route.next == 1 && m_ui->syncRunning())
                replayNext();
            return;
        }
        m_sent.remove(route.jobId);
        stale = m_stale.remove(route.jobId);
        if (m_replayWaitsOn == route.jobId) {
            m_replayWaitsOn = 0;
            resume = route.next != 1; // a replay's own reply goes on with the chain anyway
        }
        deferred = m_deferred;
        m_deferred = false;
        // A job changed while on its way is answered for its older content:
        // it stays queued and goes again.
        if (!stale && !settled && envelope.code != 300)
            m_answered.insert(route.jobId, route.jobType);
    }
    if (envelope.code == 300) {
        if (settled)
            m_system->forgetStatisticsSent(route.jobId);
        if (route.next == 1 || resume || route.jobType == JobType_SynDataFetch || route.synStep != 0)
            endSync(false);
        m_ui->showLogin();
        return;
    }
    if (route.jobId > 0 && !stale && envelope.code != 200)
        reportRefusal(route, envelope);
    T_JobData refused;
    if (route.jobId > 0 && envelope.code != 200 && route.jobType >= 8 && route.jobType <= 26)
        m_db->getJob(route.jobId, refused);
    if (route.jobId > 0 && !stale && !settled)
        m_db->deleteJob(route.jobId);
    routeReply(route, body);
    // A stale job goes again with its newer content; its own refusal comes then.
    if (route.jobId > 0 && !stale && envelope.code != 200 && route.jobType >= 8 && route.jobType <= 26)
        m_bookJob->onRefused(route, envelope.code, refused);
    if (route.jobId > 0 && !stale && route.jobType == JobType_MemoAdd &&
        dropsCreation(route.jobType, envelope.code))
        dropRefusedMemo(route.localMemoId);
    // A change of a memo the server no longer has: it is asked for, and
    // "no such memo" deletes it here.
    if (route.jobId > 0 && !stale && envelope.code == 404 && route.jobType == JobType_MemoEdit)
        m_memo->fetchAgain(route.localMemoId);
    if (route.jobId > 0)
        afterJobAnswered(route, envelope.code);
    if (route.next == 1 || (resume && m_ui->syncRunning()))
        replayNext();
    else if (stale || deferred ||
             (envelope.code == 200 && route.jobId > 0 &&
              (route.jobType == JobType_BookAdd || route.jobType == JobType_ChapterAdd ||
               route.jobType == JobType_MemoAdd)))
        checkUserJob(); // the jobs that waited for this one, or for its server id, can go now
    if (route.synStep != 0)
        m_synData->nextStep();
}

void CJobManager::afterJobAnswered(const T_Http_C &route, int code)
{
    CLocalEdits &edits = CLocalEdits::instance();
    edits.jobAnswered(route);
    // After a move or a recycle the server's order is what counts: the
    // neighbour it swapped with may differ from ours.
    if (code == 200 && (route.jobType == JobType_ChapterMove || route.jobType == JobType_ChapterRecycle))
        edits.requestRefetch(CLocalEdits::Order, route.localBookId);
    for (const CLocalEdits::Key &key : edits.takeSettledRefetches())
        refetch(key);
}

void CJobManager::refetch(const QPair<int, int> &key)
{
    const bool sent = key.first == CLocalEdits::Memo ? m_memo->fetchAgain(key.second)
                                                     : m_bookJob->fetchAgain(key.first, key.second);
    // Gone here, or never on the server: there is nothing to fetch.
    if (!sent)
        CLocalEdits::instance().forget(key);
}

void CJobManager::routeReply(const T_Http_C &route, const QByteArray &body)
{
    const int type = route.jobType;
    if (type >= 2 && type <= 5)
        m_userJob->asynBack(route, body);
    else if (type >= 8 && type <= 26)
        m_bookJob->asynBack(route, body);
    else if (type >= 29 && type <= 35)
        m_system->asynBack(route, body);
    else if (type >= 37 && type <= 43)
        m_memo->asynBack(route, body);
    else if (type == JobType_SynDataFetch)
        m_synData->asynBack(route, body);
}

void CJobManager::onNetworkError(const T_Http_C &route, const T_TransportFailure &failure)
{
    // The job stays queued and leaves the sent set: the next check sends it
    // again (creations are idempotent on the server).
    bool waited = false;
    bool deferred = false;
    {
        QMutexLocker lock(&m_mutex);
        m_sent.remove(route.jobId);
        m_stale.remove(route.jobId);
        if (route.jobId > 0 && m_replayWaitsOn == route.jobId) {
            m_replayWaitsOn = 0;
            waited = true;
        }
        deferred = m_deferred && route.jobId > 0;
        if (deferred)
            m_deferred = false;
    }
    if (route.jobType == JobType_Statistics)
        m_system->forgetStatisticsSent(route.jobId);
    const bool endsPass = route.jobType == JobType_SynDataFetch || route.next == 1 || route.synStep != 0;
    if (endsPass || route.jobId > 0)
        noteTransientFailure(failure, endsPass);
    if (endsPass)
        return;
    if (waited && m_ui->syncRunning())
        replayNext(); // the replay sends it itself; a second failure ends the pass
    else if (deferred)
        checkUserJob(); // a change kept back for this request goes now, or waits for the next pass
}

CJobManager::T_SentJob CJobManager::sentJob(const T_Http_C &req)
{
    T_SentJob sent;
    if (req.localMemoId > 0) {
        sent.objectKind = T_SentJob::Memo;
        sent.objectId = req.localMemoId;
    } else if (req.localChapterId > 0) {
        sent.objectKind = T_SentJob::Chapter;
        sent.objectId = req.localChapterId;
    } else if (req.localBookId > 0) {
        sent.objectKind = T_SentJob::Book;
        sent.objectId = req.localBookId;
    }
    return sent;
}

int CJobManager::sentAboutSameObject(const T_SentJob &job, int jobId) const
{
    if (job.objectKind == T_SentJob::None)
        return 0;
    for (auto it = m_sent.cbegin(); it != m_sent.cend(); ++it)
        if (it.key() != jobId && it->objectKind == job.objectKind && it->objectId == job.objectId)
            return it.key();
    return 0;
}

bool CJobManager::admitSend(const T_Http_C &req)
{
    // Requests without a queued job, and the replay's own (entered in the
    // sent set before they go), pass.
    if (req.jobId <= 0 || req.next == 1)
        return true;
    QMutexLocker lock(&m_mutex);
    if (m_sent.contains(req.jobId)) {
        // The job was merged with newer content while on its way: the reply
        // of the older request must not end it, and the newer one waits.
        m_stale.insert(req.jobId);
        m_deferred = true;
        return false;
    }
    const T_SentJob sent = sentJob(req);
    if (sentAboutSameObject(sent, req.jobId)) {
        // Two requests about one object at once could reach the server in
        // either order; this one stays queued for the replay.
        m_deferred = true;
        return false;
    }
    m_sent.insert(req.jobId, sent);
    m_everSent.insert(req.jobId);
    return true;
}

bool CJobManager::wasSent(int jobId)
{
    QMutexLocker lock(&m_mutex);
    return m_sent.contains(jobId) || m_everSent.contains(jobId);
}

bool CJobManager::mayHaveBeenSent(int jobId)
{
    QMutexLocker lock(&m_mutex);
    return (jobId > 0 && jobId <= m_lastEarlierJobId) || m_sent.contains(jobId) || m_everSent.contains(jobId);
}

void CJobManager::printSData(const T_Http_S *data, const char *className)
{
    if (!data)
        return;
    if (data->userdata.jobType <= 0)
        qDebug().noquote() << QStringLiteral("class : %1 , code=%2 , msg=%3")
                                  .arg(QLatin1String(className))
                                  .arg(data->code)
                                  .arg(data->msg);
    else
        qDebug().noquote() << QStringLiteral("class : %1 , jobType=%2 , jobId=%3 , code=%4 , msg=%5")
                                  .arg(QLatin1String(className))
                                  .arg(data->userdata.jobType)
                                  .arg(data->userdata.jobId)
                                  .arg(data->code)
                                  .arg(data->msg);
}

// Façade: books and chapters -------------------------------------------------------

bool CJobManager::needsBook(const T_Http_C &req)
{
    return req.localBookId >= 1 || (req.synStep != 0 && req.bookId >= 1);
}

bool CJobManager::needsChapter(const T_Http_C &req)
{
    return needsBook(req) && (req.localChapterId >= 1 || (req.synStep != 0 && req.chapterId >= 1));
}

T_Book *CJobManager::booksAddBook(TC_Books_AddBook &req)
{
    return m_bookJob->books_addBook(req);
}

bool CJobManager::booksDelete(TC_Books_Delete &req)
{
    if (!needsBook(req)) {
        qWarning() << "booksDelete localBookId = 0";
        return false;
    }
    return m_bookJob->books_delete(req);
}

bool CJobManager::booksEdit(TC_Books_Edit &req)
{
    if (!needsBook(req)) {
        qWarning() << "booksEdit localBookId = 0";
        return false;
    }
    return m_bookJob->books_edit(req);
}

bool CJobManager::booksInfo(T_Http_C &req)
{
    return m_bookJob->books_info(req);
}

int CJobManager::booksImport(const TC_Books_AddBook &req)
{
    return m_bookJob->books_importStart(req);
}

bool CJobManager::chapterCreate(TC_Chapter_Create &req)
{
    if (!needsBook(req)) {
        qWarning() << "chapterCreate localBookId = 0";
        return false;
    }
    return m_bookJob->chapter_create(req);
}

bool CJobManager::chapterSaveContent(TC_Chapter_Edit &req)
{
    if (!needsChapter(req)) {
        qWarning() << "chapterSaveContent localBookId or localChapterId = 0";
        return false;
    }
    return m_bookJob->chapter_saveContent(req);
}

bool CJobManager::chapterRename(TC_Chapter_Edit &req)
{
    if (!needsChapter(req)) {
        qWarning() << "chapterRename localBookId or localChapterId = 0";
        return false;
    }
    return m_bookJob->chapter_rename(req);
}

bool CJobManager::chapterContentBlade(TC_Chapter_ContentBlade &req)
{
    if (!needsChapter(req)) {
        qWarning() << "chapterContentBlade localBookId or localChapterId = 0";
        return false;
    }
    return m_bookJob->chapter_contentBlade(req);
}

bool CJobManager::chapterMove(TC_Chapter_Move &req)
{
    if (!needsChapter(req)) {
        qWarning() << "chapterMove localBookId or localChapterId = 0";
        return false;
    }
    return m_bookJob->chapter_move(req);
}

bool CJobManager::chapterRecycle(TC_Chapter_Recycle &req)
{
    if (!needsChapter(req)) {
        qWarning() << "chapterRecycle localBookId or localChapterId = 0";
        return false;
    }
    return m_bookJob->chapter_recycle(req);
}

bool CJobManager::chapterDelete(TC_Chapter_Del &req)
{
    if (!needsChapter(req)) {
        qWarning() << "chapterDelete localBookId or localChapterId = 0";
        return false;
    }
    return m_bookJob->chapter_delete(req);
}

bool CJobManager::chapterMenu(TC_Chapter_Menu &req)
{
    return m_bookJob->chapter_menu(req);
}

QString CJobManager::defaultChapterName(int localBookId) const
{
    return m_bookJob->defaultChapterName(localBookId);
}
