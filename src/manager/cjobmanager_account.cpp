// CJobManager: the façade of the account, statistics and memo calls, and the
// sign-in path that leads into the signed-in work.
#include "cjobmanager.h"

#include "cmemomanager.h"
#include "cretrytimer.h"
#include "csyndatamanager.h"
#include "cuimanager.h"
#include "cuserjobmanager.h"
#include "db/cquorvindb.h"
#include "remote/cquorvinhttp.h"
#include "remote/quorvinerror.h"

#include <QDebug>
#include <QMutexLocker>

namespace {

bool anyEmpty(std::initializer_list<QString> fields)
{
    for (const QString &field : fields)
        if (field.isEmpty())
            return true;
    return false;
}

// A refusal before sending: the page shows the message like a server's.
int refuseMissing(T_Http_S &res)
{
    fillParamMissing(res);
    return QE_PARAM_MISSING;
}

} // namespace

void CJobManager::connectAccountSignals()
{
    connect(m_userJob, &CUserJobManager::sig_UserJobDone, this, &CJobManager::onUserJobDone);
    connect(m_userJob, &CUserJobManager::sig_PollingWx, this, &CJobManager::onPollingWx);
}

int CJobManager::accountCall(int result, T_Http_S &res, const char *className)
{
    printSData(&res, className);
    syncServerClock();
    if (result == 200 && res.code == 300)
        m_ui->showLogin();
    // A change the call could not deliver waits in the queue (a profile or
    // head image): it goes by itself once the server answers.
    if (result == QE_NETWORK_ERROR && m_session->author.uid > 0 && m_db->countJobs(m_session->author.uid) > 0)
        m_retry->schedule();
    return result;
}

// The synchronous profile job has been answered.
void CJobManager::onUserJobDone(bool goOn)
{
    {
        QMutexLocker lock(&m_mutex);
        m_sent.remove(m_session->currentJob.jobId);
    }
    if (goOn)
        QMetaObject::invokeMethod(this, &CJobManager::replayNext, Qt::QueuedConnection);
    else if (CQuorvinHttp::instance()->lastFailure().failed())
        noteTransientFailure(CQuorvinHttp::instance()->lastFailure(), true);
    else
        endSync(false);
}

void CJobManager::onPollingWx(int jobType, int code, int status, int isBindPhone)
{
    qDebug() << "pollingWx:" << jobType << code << status << isBindPhone;
    // With a phone bound the author is in; otherwise the binding view comes first.
    if (jobType == JobType_WxLoginPolling && code == 200 && status == 1 && isBindPhone == 1)
        startSignedInWork();
}

// Account ------------------------------------------------------------------------

int CJobManager::authorLogin(const TC_Author_Login &req, TS_Author_Login &res)
{
    if (anyEmpty({req.phone, req.password}))
        return refuseMissing(res);
    const int result = accountCall(m_userJob->login(req, res), res, "TS_Author_Login");
    if (result == 200 && res.code == 200)
        startSignedInWork();
    return result;
}

int CJobManager::authorRegister(const TC_Author_Register &req, TS_Author_Register &res)
{
    if (anyEmpty({req.phone, req.code, req.password}))
        return refuseMissing(res);
    return accountCall(m_userJob->registerAuthor(req, res), res, "TS_Author_Register");
}

int CJobManager::authorSendCode(const TC_Author_SendCode &req, TS_Author_SendCode &res)
{
    if (anyEmpty({req.phone}))
        return refuseMissing(res);
    return accountCall(m_userJob->sendCode(req, res), res, "TS_Author_SendCode");
}

int CJobManager::authorResetPwd(const TC_Author_EditPwd &req, TS_Author_EditPwd &res)
{
    if (anyEmpty({req.phone, req.code, req.password}))
        return refuseMissing(res);
    return accountCall(m_userJob->resetPassword(req, res), res, "TS_Author_EditPwd");
}

int CJobManager::authorChangePwd(const TC_Author_SetNewPwd &req, T_Http_S &res)
{
    if (anyEmpty({req.oldPwd, req.newPwd}))
        return refuseMissing(res);
    return accountCall(m_userJob->changePassword(req, res), res, "T_Http_S");
}

int CJobManager::authorInfo(TS_Author_Info &res)
{
    const int result = accountCall(m_userJob->getAuthorInfo(res), res, "TS_Author_Info");
    if (result == 200 && res.code == 200)
        m_userJob->storeAuthorInfo(res);
    return result;
}

int CJobManager::authorUpdate(const TC_Author_Update &req, TS_Author_Update &res)
{
    return accountCall(m_userJob->updateAuthor(req, res), res, "TS_Author_Update");
}

int CJobManager::authorUploadImg(const TC_Author_UploadImg &req, TS_Author_UploadImg &res)
{
    if (anyEmpty({req.img}))
        return refuseMissing(res);
    return accountCall(m_userJob->uploadHeadImg(req, res), res, "TS_Author_UploadImg");
}

int CJobManager::authorBannerList(TS_Author_BannerList &res)
{
    return accountCall(m_userJob->bannerList(res), res, "TS_Author_BannerList");
}

int CJobManager::authorWxCodeLogin(const TC_Author_WxCodeLogin &req, TS_Author_WxCodeLogin &res)
{
    if (anyEmpty({req.nonceStr}))
        return refuseMissing(res);
    return accountCall(m_userJob->wxCodeLogin(req, res), res, "TS_Author_WxCodeLogin");
}

void CJobManager::authorPollingWx(const QString &nonceStr, bool bind)
{
    if (!nonceStr.isEmpty())
        m_userJob->pollingWx(nonceStr, bind);
}

int CJobManager::authorWxBindPhone(const TC_Author_WxBindPhone &req, TS_Author_Login &res)
{
    if (anyEmpty({req.phone, req.code}))
        return refuseMissing(res);
    const int result = accountCall(m_userJob->wxBindPhone(req, res), res, "TS_Author_Login");
    if (result == 200 && res.code == 200)
        startSignedInWork();
    return result;
}

int CJobManager::authorLogout(TS_Author_Logout &res)
{
    const bool running = m_ui->syncRunning();
    const int result = m_userJob->logout(res);
    printSData(&res, "TS_Author_Logout");
    if (result == 200 && m_session->author.uid < 1 && running)
        endSync(false);
    return result;
}

QString CJobManager::localHeadImg()
{
    return m_userJob->localHeadImg();
}

// Statistics -----------------------------------------------------------------------

bool CJobManager::saveDayStatistics()
{
    return m_userJob->saveDayStatistics();
}

QString CJobManager::statisticsJson()
{
    return m_userJob->statisticsJson();
}

// Memos ----------------------------------------------------------------------------

bool CJobManager::memoAdd(TC_Memo_Add &req)
{
    return m_memo->addMemo(req);
}

bool CJobManager::memoDel(const TC_Memo_Del &req)
{
    return m_memo->memoDel(req);
}

bool CJobManager::memoEditColor(const TC_Memo_Edit &req)
{
    if (req.localMemoId < 1)
        return false;
    return m_memo->memoEditColor(req);
}

bool CJobManager::memoEditContent(const TC_Memo_Edit &req)
{
    return m_memo->memoEditContent(req);
}

bool CJobManager::memoEditLocation(const TC_Memo_Edit &req, float x, float y)
{
    if (req.localMemoId < 1)
        return false;
    return m_memo->memoEditLocation(req, x, y);
}

bool CJobManager::memoDetail(const T_Http_C &req)
{
    return m_memo->memoDetail(req);
}
