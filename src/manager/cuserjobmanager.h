#pragma once

#include "db/records.h"
#include "remote/thttp.h"
#include "remote/thttprequests.h"
#include "remote/thttpresponses.h"

#include <QByteArray>
#include <QDate>
#include <QObject>
#include <functional>

class CQuorvinDb;
class CQuorvinHttp;
class QJsonObject;

// Account and statistics jobs: sign-in, registration, profile, WeChat, and
// the day's writing statistics.
//
// The synchronous account calls return 200 when an answer arrived (the
// caller then reads `code` and `msg` of the response) and 10002 when the
// call failed on the network; the response then carries that code too.
class CUserJobManager : public QObject
{
    Q_OBJECT
public:
    static CUserJobManager *instance();

    // Loads the signed-in author's record and settings into the session.
    bool loadAuthor(int uid);

    // Sends a queued job of types 2 to 5; false when it sends nothing for it.
    bool execUserJob(const T_JobData &job);
    // Handles the body of an asynchronous reply routed to types 2 to 5.
    void asynBack(const T_Http_C &route, const QByteArray &body);

    // Sign-in ----------------------------------------------------------------
    int login(const TC_Author_Login &req, TS_Author_Login &res);
    int registerAuthor(const TC_Author_Register &req, TS_Author_Register &res);
    int sendCode(const TC_Author_SendCode &req, TS_Author_SendCode &res);
    int resetPassword(const TC_Author_EditPwd &req, TS_Author_EditPwd &res);
    int changePassword(const TC_Author_SetNewPwd &req, T_Http_S &res);
    // Signs out on the server, then forgets the author here: headers, the
    // remembered sign-in, the session's author, settings, books and memos.
    int logout(TS_Author_Logout &res);

    // Whether the next sign-in is remembered for the next start.
    void setRemember(bool remember) { m_remember = remember; }
    bool isRemember() const { return m_remember; }
    // Headers, author row (a fresh unique code on this machine's first
    // sign-in of the author), remembered sign-in and the day statistics.
    bool setLoginData(int uid, const QString &token);

    // Profile ----------------------------------------------------------------
    int getAuthorInfo(TS_Author_Info &res);
    // The reply comes back with routing type 2 (and `synStep` as given).
    void getAuthorInfoAsyn(const T_Http_C &route);
    // Copies the answer of "/author/info" into the author, downloads a new
    // head image and writes the author row.
    void storeAuthorInfo(const TS_Author_Info &info);
    // The profile fields of `req` are kept locally first; when the server
    // cannot take them (and the change is not from synchronisation) they
    // wait as the author's one type-2 job.
    int updateAuthor(const TC_Author_Update &req, TS_Author_Update &res);
    // A head image the server cannot take now (no connection, 5xx, ...)
    // is shown here at once and waits in the author's type-2 job, which
    // uploads it when the server answers; a refusal is returned at once.
    int uploadHeadImg(const TC_Author_UploadImg &req, TS_Author_UploadImg &res);
    // The local copy of the head image, downloaded first when missing.
    QString localHeadImg();
    int bannerList(TS_Author_BannerList &res);

    // WeChat -----------------------------------------------------------------
    int wxCodeLogin(const TC_Author_WxCodeLogin &req, TS_Author_WxCodeLogin &res);
    // Polls the sign-in (routing type 4) or the binding (type 5).
    void pollingWx(const QString &nonceStr, bool bind);
    int wxBindPhone(const TC_Author_WxBindPhone &req, TS_Author_Login &res);
    bool isBindPhone() const { return m_isBindPhone; }

    // Day statistics ---------------------------------------------------------
    // Dates the day record today and reads today's row (creating it).
    bool startDay();
    // Adds the increments collected since the last save to today's row,
    // queues them as the day's statistics job and sends it at once. The
    // first save after midnight starts the new day and counts them there.
    bool saveDayStatistics();
    // The seven days up to today, oldest first, with the author's records,
    // as the statistics page reads them.
    QString statisticsJson();
    // The calendar used for the day's date (today by default); tests move it.
    void setDateSource(std::function<QDate()> source) { m_dateSource = std::move(source); }

signals:
    // Name, sex or head image of the author changed.
    void sig_AuthorChanged();
    // An answer of the WeChat polling (jobType 4 sign-in, 5 binding); on a
    // signed-in status the login data are already set.
    void sig_PollingWx(int jobType, int code, int status, int isBindPhone);
    // A profile job was answered: true when the replay may go on.
    void sig_UserJobDone(bool goOn);

private:
    explicit CUserJobManager(QObject *parent = nullptr);

    int callResult(int networkError, T_Http_S &res) const;
    // Makes the store's rows of `uid` those of the current server: rows of
    // the same user id from another server are set aside in a file of
    // their own (data/db/accounts/), and this server's, set aside earlier,
    // come back. False when that fails: nothing may be shown then.
    bool claimAccountHere(int uid);
    // The author's one type-2 job: the current name and sex, and a head
    // image waiting to be uploaded (a data URI) when `headImg` is set or a
    // queued one is there.
    void queueProfileJob(const QString &headImg = QString());
    // The content of the queued type-2 job; empty when there is none.
    QJsonObject queuedProfile();
    // Shows a head image that waits for the server: a local copy of it.
    void keepHeadImgHere(const QString &dataUri);
    // Uploads a queued head image during the replay: false when it must
    // wait (the server cannot be reached), true when settled either way.
    bool replayHeadImg(const T_JobData &job, QJsonObject &content);
    bool replayProfileJob(const T_JobData &job);
    void onPollingBack(const T_Http_C &route, const QByteArray &body);
    void resetSession();
    QString downloadHeadImg(const QString &url);
    QString today() const;
    bool rollOverDay();

    CQuorvinHttp *m_http;
    CQuorvinDb *m_db;
    T_SessionData *m_session;
    bool m_remember = false;
    bool m_isBindPhone = false;
    std::function<QDate()> m_dateSource;
};
