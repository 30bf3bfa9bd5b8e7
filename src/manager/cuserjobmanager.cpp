#include "cuserjobmanager.h"

#include "apppaths.h"
#include "cuimanager.h"
#include "db/cquorvindb.h"
#include "jobheader.h"
#include "remote/chttputil.h"
#include "remote/cquorvinhttp.h"
#include "remote/cquorvinparser.h"
#include "remote/quorvinerror.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUuid>

namespace {

constexpr int kReached = 200;

// The identity of this machine: 32 hex digits like HttpUtil::makeUniqueCode,
// with a random part, so that two machines signing in within the same
// second do not share one change feed.
QString freshUniqueCode(int uid)
{
    return HttpUtil::md5HexLatin1(QStringLiteral("%1+Quorvin+%2+%3")
                                      .arg(uid)
                                      .arg(HttpUtil::serverTimeNow())
                                      .arg(QUuid::createUuid().toString(QUuid::WithoutBraces)));
}

void logResponse(const char *what, const T_Http_S &res)
{
    qDebug().noquote() << QStringLiteral("class : %1 , code=%2 , msg=%3")
                              .arg(QLatin1String(what))
                              .arg(res.code)
                              .arg(res.msg);
}

} // namespace

CUserJobManager::CUserJobManager(QObject *parent)
    : QObject(parent), m_http(CQuorvinHttp::instance()), m_db(CQuorvinDb::instance()),
      m_session(&T_SessionData::instance())
{
}

CUserJobManager *CUserJobManager::instance()
{
    static CUserJobManager *manager = new CUserJobManager;
    return manager;
}

int CUserJobManager::callResult(int networkError, T_Http_S &res) const
{
    if (networkError == 0)
        return kReached;
    res.code = QE_NETWORK_ERROR;
    // What the author reads; the technical detail is in the log already.
    res.msg = m_http->lastFailure().failed() ? m_http->lastFailure().text()
                                             : T_TransportFailure::network(networkError, QString()).text();
    return QE_NETWORK_ERROR;
}

QString CUserJobManager::today() const
{
    if (m_dateSource)
        return m_dateSource().toString(QStringLiteral("yyyy-MM-dd"));
    return HttpUtil::todayText();
}

bool CUserJobManager::loadAuthor(int uid)
{
    if (uid < 1)
        return false;
    TS_Author_Info author;
    T_User user;
    if (!m_db->getUserData(uid, author, user))
        return false;
    author.uid = uid;
    author.lastLoginTime = m_session->author.lastLoginTime;
    user.uid = uid;
    m_session->author = author;
    m_session->user = user;
    if (!author.token.isEmpty())
        m_http->setToken(author.token);
    if (!author.uniqueCode.isEmpty())
        m_http->setUniqueCode(author.uniqueCode);
    startDay();
    return true;
}

// Sign-in --------------------------------------------------------------------

int CUserJobManager::login(const TC_Author_Login &req, TS_Author_Login &res)
{
    const int result = callResult(m_http->authorLogin(req, res), res);
    logResponse("TS_Author_Login", res);
    if (result == kReached && res.code == 200) {
        m_remember = req.autoLogin;
        // The store could not be made this server's account's: no sign-in.
        if (!setLoginData(res.uid, res.token) && m_db->accountServer(res.uid) != m_http->baseUrl()) {
            res.code = QE_DB_ERROR;
            res.msg = tr("The local data could not be switched to this account; please check the data "
                         "folder and try again.");
        }
    }
    return result;
}

int CUserJobManager::registerAuthor(const TC_Author_Register &req, TS_Author_Register &res)
{
    return callResult(m_http->authorRegister(req, res), res);
}

int CUserJobManager::sendCode(const TC_Author_SendCode &req, TS_Author_SendCode &res)
{
    return callResult(m_http->authorSendCode(req, res), res);
}

int CUserJobManager::resetPassword(const TC_Author_EditPwd &req, TS_Author_EditPwd &res)
{
    return callResult(m_http->authorEditPwd(req, res), res);
}

int CUserJobManager::changePassword(const TC_Author_SetNewPwd &req, T_Http_S &res)
{
    return callResult(m_http->authorSetNewPwd(req, res), res);
}

bool CUserJobManager::claimAccountHere(int uid)
{
    const QString server = m_http->baseUrl();
    const QString recorded = m_db->accountServer(uid);
    if (recorded == server)
        return true;
    const QString folder = AppPaths::dataDir() + QStringLiteral("/db/accounts/");
    auto parkedFile = [&folder, uid](const QString &owner) {
        return folder + QStringLiteral("%1-%2.db").arg(uid).arg(HttpUtil::md5HexLatin1(owner).left(16));
    };
    const QString pendingFetches =
        AppPaths::dataDir() + QStringLiteral("/config/pending-fetches-%1.json").arg(uid);
    if (!recorded.isEmpty()) {
        // The same user id from another server: those rows are that
        // account's, set aside whole until it signs in here again.
        if (!QDir().mkpath(folder) || !m_db->parkAccount(uid, parkedFile(recorded)))
            return false;
        QFile::remove(parkedFile(recorded) + QStringLiteral(".fetches"));
        QFile::rename(pendingFetches, parkedFile(recorded) + QStringLiteral(".fetches"));
    }
    // Rows recorded for no server yet are taken as this server's.
    const QString mine = parkedFile(server);
    if ((recorded.isEmpty() ? !m_db->hasAccountRows(uid) : true) && QFileInfo::exists(mine)) {
        if (!m_db->unparkAccount(uid, mine))
            return false;
        QFile::rename(mine + QStringLiteral(".fetches"), pendingFetches);
    }
    return m_db->setAccountServer(uid, server);
}

bool CUserJobManager::setLoginData(int uid, const QString &token)
{
    if (uid < 1 || token.isEmpty())
        return false;
    if (!claimAccountHere(uid)) {
        qWarning() << "cannot set the rows of another server's account aside, uid =" << uid
                   << m_db->lastError();
        CUiManager::instance()->showTips(
            tr("The local data could not be switched to this server's account (%1). Nothing of another "
               "account is shown or sent; please check the data folder and sign in again.")
                .arg(m_db->lastError()),
            0);
        return false;
    }
    if (HttpUtil::isServerClockSet())
        m_db->setServerTimeOffset(int(-HttpUtil::serverClockOffset())); // local minus server kept there
    m_http->setToken(token);

    TS_Author_Info stored;
    T_User user;
    if (!m_db->getUserData(uid, stored, user))
        return false;
    bool ok = true;
    if (stored.uniqueCode.isEmpty()) {
        // This machine has never seen the author: a fresh identity. The
        // profile fetch goes out without a unique code so that the server
        // registers the new code only once it is the one in use.
        m_http->setUniqueCode(QString());
        m_session->author = TS_Author_Info();
        m_session->author.uid = uid;
        TS_Author_Info info;
        if (getAuthorInfo(info) == kReached && info.code == 200)
            storeAuthorInfo(info);
        m_session->author.uid = uid;
        m_session->author.token = token;
        m_session->author.uniqueCode = freshUniqueCode(uid);
        T_User fresh;
        fresh.uid = uid;
        ok = m_db->insertUser(m_session->author, fresh);
        m_session->user = fresh;
    } else {
        if (stored.token != token)
            ok = m_db->setToken(uid, token);
        stored.uid = uid;
        stored.token = token;
        user.uid = uid;
        m_session->author = stored;
        m_session->user = user;
    }
    m_session->author.lastLoginTime = m_db->currentTime();
    if (m_remember)
        m_db->setLastUser(uid);
    else
        m_db->clearLastUser();
    m_http->setUniqueCode(m_session->author.uniqueCode);
    startDay();
    return ok;
}

int CUserJobManager::logout(TS_Author_Logout &res)
{
    T_Http_C req;
    req.uid = m_session->author.uid;
    const int result = callResult(m_http->authorLogout(req, res), res);
    logResponse("TS_Author_Logout", res);
    // A token the server no longer knows is signed out already.
    if (result != kReached || (res.code != 200 && res.code != 300))
        return result;
    m_http->clearIdentity();
    m_db->clearLastUser();
    resetSession();
    CUiManager::instance()->showLogin();
    return result;
}

void CUserJobManager::resetSession()
{
    m_session->author = TS_Author_Info();
    m_session->user = T_User();
    m_session->clearBooks();
    m_session->clearMemos();
    m_session->todayStatistics = T_DayStatistics();
    m_session->writingSession = T_WritingSession();
    m_session->currentJob = T_JobData();
    m_isBindPhone = false;
}

// Profile --------------------------------------------------------------------

int CUserJobManager::getAuthorInfo(TS_Author_Info &res)
{
    T_Http_C req;
    req.uid = m_session->author.uid;
    return callResult(m_http->authorInfo(req, res), res);
}

void CUserJobManager::getAuthorInfoAsyn(const T_Http_C &route)
{
    T_Http_C req = route;
    req.uid = m_session->author.uid;
    req.jobType = JobType_AuthorInfo;
    req.jobId = 0;
    m_http->authorInfoAsyn(req);
}

void CUserJobManager::storeAuthorInfo(const TS_Author_Info &info)
{
    TS_Author_Info &author = m_session->author;
    author.authorName = info.authorName;
    author.sex = info.sex;
    author.sign = info.sign;
    author.birthday = info.birthday;
    author.isBindWx = info.isBindWx;
    if (!info.headImgUrl.isEmpty() &&
        (info.headImgUrl != author.headImgUrl || !QFileInfo(author.localHeadImg).isFile())) {
        const QString local = downloadHeadImg(info.headImgUrl);
        if (!local.isEmpty())
            author.localHeadImg = local;
    }
    author.headImgUrl = info.headImgUrl;
    if (author.uid < 1)
        return;
    TS_Author_Info stored;
    T_User user;
    if (m_db->getUserData(author.uid, stored, user) && !stored.uniqueCode.isEmpty())
        m_db->updateUser(author);
    else if (!author.uniqueCode.isEmpty())
        m_db->insertUser(author, m_session->user);
    emit sig_AuthorChanged();
}

int CUserJobManager::updateAuthor(const TC_Author_Update &req, TS_Author_Update &res)
{
    TS_Author_Info &author = m_session->author;
    if (!req.authorName.isEmpty())
        author.authorName = req.authorName;
    if (!req.sex.isEmpty())
        author.sex = req.sex;
    if (!req.sign.isEmpty())
        author.sign = req.sign;
    if (!req.birthday.isEmpty())
        author.birthday = req.birthday;
    if (!m_db->updateUser(author))
        m_db->insertUser(author, m_session->user);

    TC_Author_Update call = req;
    call.uid = author.uid;
    call.jobType = JobType_AuthorInfo;
    const int result = callResult(m_http->authorUpdate(call, res), res);
    logResponse("TS_Author_Update", res);
    // Only what the server could not take now waits; a refusal is the
    // caller's to show, and nothing of it is queued to be refused again.
    const bool wait = result != kReached || res.code == 300;
    if (wait || res.code != 200) {
        if (wait && req.synStep == 0)
            queueProfileJob();
    } else {
        if (!res.authorName.isEmpty())
            author.authorName = res.authorName;
        if (!res.sex.isEmpty())
            author.sex = res.sex;
        if (!res.sign.isEmpty())
            author.sign = res.sign;
        if (!res.birthday.isEmpty())
            author.birthday = res.birthday;
        m_db->updateUser(author);
        // A head image still waiting goes with the name and sex now stored.
        if (req.synStep == 0 && !queuedProfile().isEmpty())
            queueProfileJob();
    }
    emit sig_AuthorChanged();
    return result;
}

QJsonObject CUserJobManager::queuedProfile()
{
    const int jobId = m_db->findJob(JobType_AuthorInfo, QStringLiteral("uid"), m_session->author.uid);
    T_JobData job;
    if (jobId < 1 || !m_db->getJob(jobId, job))
        return QJsonObject();
    return QJsonDocument::fromJson(job.content.toUtf8()).object();
}

void CUserJobManager::queueProfileJob(const QString &headImg)
{
    QJsonObject content{{QStringLiteral("sex"), m_session->author.sex},
                        {QStringLiteral("name"), m_session->author.authorName}};
    const QString waiting =
        headImg.isEmpty() ? queuedProfile().value(QStringLiteral("headImg")).toString() : headImg;
    if (!waiting.isEmpty())
        content.insert(QStringLiteral("headImg"), waiting);
    T_Http_C header;
    header.uid = m_session->author.uid;
    header.jobType = JobType_AuthorInfo;
    m_db->addJob(header, QString::fromUtf8(QJsonDocument(content).toJson(QJsonDocument::Compact)),
                 m_db->currentTime());
}

bool CUserJobManager::replayHeadImg(const T_JobData &job, QJsonObject &content)
{
    TC_Author_UploadImg upload;
    static_cast<T_Http_C &>(upload) = jobHeader(job);
    upload.synStep = 1; // a failure queues nothing new
    upload.img = content.value(QStringLiteral("headImg")).toString();
    TS_Author_UploadImg res;
    const int result = uploadHeadImg(upload, res);
    if (result != kReached || res.code == 300)
        return false;
    if (res.code != 200)
        CUiManager::instance()->showTips(tr("The head image could not be saved to the server: %1")
                                             .arg(res.msg.isEmpty() ? QString::number(res.code) : res.msg),
                                         0);
    // Settled: the job goes on without it.
    content.remove(QStringLiteral("headImg"));
    T_Http_C header;
    header.uid = job.uid;
    header.jobType = JobType_AuthorInfo;
    m_db->addJob(header, QString::fromUtf8(QJsonDocument(content).toJson(QJsonDocument::Compact)),
                 m_db->currentTime());
    return true;
}

bool CUserJobManager::replayProfileJob(const T_JobData &job)
{
    QJsonObject content = QJsonDocument::fromJson(job.content.toUtf8()).object();
    if (content.contains(QStringLiteral("headImg")) && !replayHeadImg(job, content)) {
        emit sig_UserJobDone(false);
        return true;
    }
    TC_Author_Update req;
    static_cast<T_Http_C &>(req) = jobHeader(job);
    req.synStep = 1;
    req.authorName = content.value(QStringLiteral("name")).toString();
    req.sex = content.value(QStringLiteral("sex")).toString();
    TS_Author_Update res;
    const int result = callResult(m_http->authorUpdate(req, res), res);
    qDebug().noquote() << QStringLiteral(
                              "class : TS_Author_Update , jobType=%1 , jobId=%2 , code=%3 , msg=%4")
                              .arg(job.jobType)
                              .arg(job.jobId)
                              .arg(res.code)
                              .arg(res.msg);
    // A refusal ends the job like any other refused job; only a network
    // failure or a sign-in that is no longer valid (300) keeps it queued.
    const bool ok = result == kReached && res.code != 300;
    if (ok) {
        m_db->deleteJob(job.jobId);
        if (res.code != 200)
            CUiManager::instance()->showTips(
                tr("The profile could not be saved to the server: %1")
                    .arg(res.msg.isEmpty() ? QString::number(res.code) : res.msg),
                0);
    }
    // A failed replay ends the pass through the coordinator, which tells why.
    emit sig_UserJobDone(ok);
    return true;
}

int CUserJobManager::uploadHeadImg(const TC_Author_UploadImg &req, TS_Author_UploadImg &res)
{
    TC_Author_UploadImg call = req;
    call.uid = m_session->author.uid;
    const int result = callResult(m_http->authorUploadImg(call, res), res);
    logResponse("TS_Author_UploadImg", res);
    if (result == kReached && res.code == 200 && !res.headImg.isEmpty()) {
        m_session->author.headImgUrl = res.headImg;
        const QString local = downloadHeadImg(res.headImg);
        if (!local.isEmpty())
            m_session->author.localHeadImg = local;
        m_db->updateUser(m_session->author);
        emit sig_AuthorChanged();
    } else if ((result != kReached || res.code == 300) && req.synStep == 0) {
        // Not refused, only not delivered: shown here and sent later.
        keepHeadImgHere(req.img);
        queueProfileJob(req.img);
    }
    return result;
}

void CUserJobManager::keepHeadImgHere(const QString &dataUri)
{
    const int comma = dataUri.indexOf(QLatin1Char(','));
    const QString prefix = dataUri.left(comma);
    if (comma < 0 || !prefix.startsWith(QLatin1String("data:image/")))
        return;
    const QString suffix = prefix.mid(11).section(QLatin1Char(';'), 0, 0);
    const QByteArray bytes = QByteArray::fromBase64(dataUri.mid(comma + 1).toLatin1());
    const QString folder = AppPaths::dataDir() + QStringLiteral("/img/");
    QDir().mkpath(folder);
    const QString path = folder + HttpUtil::md5Hex(bytes) + QLatin1Char('.') + suffix;
    QFile file(path);
    if (!QFileInfo::exists(path) &&
        (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())) {
        qWarning() << "cannot keep the waiting head image in" << path << file.errorString();
        return;
    }
    file.close();
    m_session->author.localHeadImg = path;
    if (m_session->author.uid > 0)
        m_db->updateUser(m_session->author);
    emit sig_AuthorChanged();
}

QString CUserJobManager::downloadHeadImg(const QString &url)
{
    const QString folder = AppPaths::dataDir() + QStringLiteral("/img/");
    QDir().mkpath(folder);
    return m_http->downloadImage(url, folder);
}

QString CUserJobManager::localHeadImg()
{
    TS_Author_Info &author = m_session->author;
    if (author.headImgUrl.isEmpty() || QFileInfo(author.localHeadImg).isFile())
        return author.localHeadImg;
    const QString local = downloadHeadImg(author.headImgUrl);
    if (!local.isEmpty() && local != author.localHeadImg) {
        author.localHeadImg = local;
        if (author.uid > 0)
            m_db->updateUser(author);
    }
    return author.localHeadImg;
}

int CUserJobManager::bannerList(TS_Author_BannerList &res)
{
    TC_Author_BannerList req;
    req.uid = m_session->author.uid;
    const int result = callResult(m_http->authorBannerList(req, res), res);
    if (result != kReached || res.code != 200)
        return result;
    const QString folder = AppPaths::dataDir() + QStringLiteral("/banner/");
    QDir().mkpath(folder);
    for (const T_Author_BannerListItemPtr &item : qAsConst(res.bannerList))
        item->localPic = m_http->downloadImage(item->picUrl, folder);
    return result;
}

// WeChat ---------------------------------------------------------------------

int CUserJobManager::wxCodeLogin(const TC_Author_WxCodeLogin &req, TS_Author_WxCodeLogin &res)
{
    return callResult(m_http->authorWxCodeLogin(req, res), res);
}

void CUserJobManager::pollingWx(const QString &nonceStr, bool bind)
{
    TC_Author_PollingWx req;
    req.uid = m_session->author.uid;
    req.jobType = bind ? JobType_WxBindPolling : JobType_WxLoginPolling;
    req.nonceStr = nonceStr;
    m_http->authorPollingWxAsyn(req);
}

void CUserJobManager::onPollingBack(const T_Http_C &route, const QByteArray &body)
{
    TS_Author_PollingWx res;
    CQuorvinParser::parse(body, res);
    if (route.jobType == JobType_WxBindPolling) {
        qDebug() << "tPollingBindWx.status = " << res.status;
        if (res.code == 200 && res.status == 1 && m_session->author.uid > 0) {
            m_session->author.isBindWx = 1;
            m_db->updateUser(m_session->author);
            emit sig_AuthorChanged();
        }
    } else if (res.code == 200 && res.status == 1) {
        m_isBindPhone = res.isBindPhone == 1;
        setLoginData(res.uid, res.token);
    }
    emit sig_PollingWx(route.jobType, res.code, res.status, res.isBindPhone);
}

int CUserJobManager::wxBindPhone(const TC_Author_WxBindPhone &req, TS_Author_Login &res)
{
    const int result = callResult(m_http->authorWxBindPhone(req, res), res);
    logResponse("TS_Author_Login", res);
    if (result != kReached || res.code != 200)
        return result;
    m_isBindPhone = true;
    const int uid = res.uid > 0 ? res.uid : m_session->author.uid;
    const QString token = res.token.isEmpty() ? m_session->author.token : res.token;
    m_remember = true;
    setLoginData(uid, token);
    TS_Author_Info info;
    if (getAuthorInfo(info) == kReached && info.code == 200)
        storeAuthorInfo(info);
    return result;
}

// Replay and replies -----------------------------------------------------------

bool CUserJobManager::execUserJob(const T_JobData &job)
{
    if (job.jobType != JobType_AuthorInfo)
        return false;
    return replayProfileJob(job);
}

void CUserJobManager::asynBack(const T_Http_C &route, const QByteArray &body)
{
    switch (route.jobType) {
    case JobType_AuthorInfo: {
        TS_Author_Info info;
        CQuorvinParser::parse(body, info);
        if (info.code == 200)
            storeAuthorInfo(info);
        break;
    }
    case JobType_WxLoginPolling:
    case JobType_WxBindPolling:
        onPollingBack(route, body);
        break;
    default:
        break;
    }
}
