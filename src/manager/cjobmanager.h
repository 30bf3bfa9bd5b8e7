#pragma once

#include "db/records.h"
#include "remote/thttp.h"
#include "remote/thttprequests.h"
#include "remote/thttpresponses.h"

#include <QMap>
#include <QMutex>
#include <QObject>
#include <QSet>
#include <QString>

class QGuiApplication;
class QJsonObject;
class QNetworkReply;
class CBookJobManager;
class CMemoManager;
class CQuorvinDb;
class CRetryTimer;
struct T_TransportFailure;
class CSynDataManager;
class CSystemManager;
class CUiManager;
class CUserJobManager;

// The coordinator of the signed-in author's data and of the job queue: every
// change is stored and queued first, then replayed to the server one job at
// a time, oldest first; every asynchronous reply is routed here to the
// manager that owns its job type. Also the façade the pages call.
class CJobManager : public QObject
{
    Q_OBJECT
public:
    static CJobManager *instance();

    // Opens the database, reads tb_sys, brings the reference data up to date
    // and restores the last author or shows the login dialog. False when the
    // database cannot be opened or tb_sys cannot be read.
    bool init();
    // Why init() failed, for the author: what, where and what to do.
    QString startupProblem() const { return m_startupProblem; }
    // Writes the author's settings back; runs once per pass after init.
    bool uninit();

    // Saves everything (open pages through CUiManager::sig_SaveAll, the
    // author record, settings and writing lock) and quits the event loop.
    // The road of SIGTERM, SIGINT, SIGHUP and the session manager's commit
    // request, installed by installQuitHandlers.
    void saveEverything();
    void installQuitHandlers(QGuiApplication &app);

    // After a sign-in (the session holds the author and token): identity
    // headers, the author's data, the main window and a first replay.
    bool startSignedInWork();
    // Starts a replay pass unless one is running.
    void checkUserJob();
    // Sends the oldest queued job; fetches the server's changes once the
    // queue is empty.
    void replayNext();
    // Whether the queued job has been sent in this run (it may have reached
    // the server even when no answer came back).
    bool wasSent(int jobId);
    // Whether the queued job may have reached the server: sent in this run,
    // or queued by an earlier run (which may have sent it, its answer lost).
    bool mayHaveBeenSent(int jobId);
    // When the queue tries the server again after a transient failure
    // (tests take over its wake-up).
    CRetryTimer *retryTimer() const { return m_retry; }
    // What the last transient failure was, for the author; empty once the
    // server answered again.
    QString lastFailureText() const { return m_failureText; }
    // Logs a response: "class : %1 , code=%2 , msg=%3" or, for a routed one,
    // "class : %1 , jobType=%2 , jobId=%3 , code=%4 , msg=%5".
    void printSData(const T_Http_S *data, const char *className = "T_Http_S");

    // Books and chapters (CBookJobManager). Each needs localBookId >= 1 and,
    // for chapter calls, localChapterId >= 1; false refuses without change.
    T_Book *booksAddBook(TC_Books_AddBook &req);
    bool booksDelete(TC_Books_Delete &req);
    bool booksEdit(TC_Books_Edit &req);
    bool booksInfo(T_Http_C &req);
    // 0 for an empty path; otherwise the import runs on its own thread and
    // its result is shown as a tip.
    int booksImport(const TC_Books_AddBook &req);
    bool chapterCreate(TC_Chapter_Create &req);
    bool chapterSaveContent(TC_Chapter_Edit &req);
    bool chapterRename(TC_Chapter_Edit &req);
    bool chapterContentBlade(TC_Chapter_ContentBlade &req);
    bool chapterMove(TC_Chapter_Move &req);
    bool chapterRecycle(TC_Chapter_Recycle &req);
    bool chapterDelete(TC_Chapter_Del &req);
    bool chapterMenu(TC_Chapter_Menu &req);
    QString defaultChapterName(int localBookId) const;

    // Account (CUserJobManager). 200 when the server answered (its verdict
    // is the response's code and msg), 10002 on a network failure, 10004
    // "参数不足" without a request when a required field is empty. A code 300
    // answer shows the login dialog.
    // A successful sign-in (password, WeChat with a bound phone, phone
    // binding) goes on with startSignedInWork().
    int authorLogin(const TC_Author_Login &req, TS_Author_Login &res);
    int authorRegister(const TC_Author_Register &req, TS_Author_Register &res);
    int authorSendCode(const TC_Author_SendCode &req, TS_Author_SendCode &res);
    int authorResetPwd(const TC_Author_EditPwd &req, TS_Author_EditPwd &res);
    int authorChangePwd(const TC_Author_SetNewPwd &req, T_Http_S &res);
    int authorInfo(TS_Author_Info &res);
    int authorUpdate(const TC_Author_Update &req, TS_Author_Update &res);
    int authorUploadImg(const TC_Author_UploadImg &req, TS_Author_UploadImg &res);
    int authorBannerList(TS_Author_BannerList &res);
    int authorWxCodeLogin(const TC_Author_WxCodeLogin &req, TS_Author_WxCodeLogin &res);
    // Answers come as CUserJobManager::sig_PollingWx.
    void authorPollingWx(const QString &nonceStr, bool bind);
    int authorWxBindPhone(const TC_Author_WxBindPhone &req, TS_Author_Login &res);
    // Signs out; the session returns to its defaults and the login dialog shows.
    int authorLogout(TS_Author_Logout &res);
    QString localHeadImg();

    // The day's writing statistics (CUserJobManager).
    bool saveDayStatistics();
    QString statisticsJson();

    // The author's own sensitive words (cjobmanager_tools.cpp): replaces the
    // matcher's custom list, stores it and queues job 30 in one transaction,
    // then starts a replay. False for an author without uid or when the
    // store refuses (nothing changes then).
    bool sensitiveEditCustom(const QString &words);
    // The name generator (CSystemManager).
    void randomNames(int kind, int gender, int surnameChoice, int length, QStringList &out, int count,
                     const QString &surname);
    void randomSurnames(int kind, int surnameChoice, QStringList &out, int count);

    // Memos (CMemoManager); each needs localMemoId >= 1 (detail also memoId).
    bool memoAdd(TC_Memo_Add &req);
    bool memoDel(const TC_Memo_Del &req);
    bool memoEditColor(const TC_Memo_Edit &req);
    bool memoEditContent(const TC_Memo_Edit &req);
    bool memoEditLocation(const TC_Memo_Edit &req, float x, float y);
    bool memoDetail(const T_Http_C &req);

public slots:
    void onGetAsynData(QNetworkReply *reply);
    // What the quit signals and the session manager's commit request call.
    void saveAndQuit();

private:
    explicit CJobManager(QObject *parent = nullptr);

    // cjobmanager_account.cpp
    void connectAccountSignals();
    int accountCall(int result, T_Http_S &res, const char *className);
    void onUserJobDone(bool goOn);
    void onPollingWx(int jobType, int code, int status, int isBindPhone);

    // Gives the store the server clock once the first answer has fixed it.
    void syncServerClock();
    bool dispatchJob(const T_JobData &job);
    void routeReply(const T_Http_C &route, const QByteArray &body);
    // A queued job's reply was handled: values kept back from fetches while
    // it was on its way are fetched again once their object is settled.
    void afterJobAnswered(const T_Http_C &route, int code);
    // Fetches a book, chapter, chapter list or memo again (a CLocalEdits key).
    void refetch(const QPair<int, int> &key);
    // A request got no usable answer (no connection, time-out, 5xx, 408,
    // 429, a body that is not the envelope): nothing is refused, the job
    // stays queued and the queue is tried again after a growing delay.
    void onNetworkError(const T_Http_C &route, const T_TransportFailure &failure);
    // Schedules the next try and tells the author once per outage.
    void noteTransientFailure(const T_TransportFailure &failure, bool endsPass);
    // The server answered again: a waiting retry goes at once.
    void onServerAnswered();
    void onRetryDue();
    // Starts a replay pass unless one runs; `automatic` when the retry timer starts it.
    void startPass(bool automatic);
    // cjobmanager_refusal.cpp: the server refused a queued job. The author
    // is told what could not be saved and why; the refused text is kept
    // (chapter text as a local snapshot of the chapter, names, introductions
    // and memos as a file in the recovered folder), and the object is
    // fetched again to take the server's state. The job then leaves the queue.
    void reportRefusal(const T_Http_C &route, const T_Http_S &envelope);
    // Where the refused job's text was kept, for the author; empty when it
    // carried none.
    QString keepRefusedText(const T_JobData &job, int code, const T_Book *book, const T_Chapter *chapter);
    // Whether a refusal of this job leaves its object nothing to be on the
    // server: it is then removed here.
    static bool dropsCreation(int jobType, int code);
    // A memo whose creation the server refused goes, with its waiting changes.
    void dropRefusedMemo(int localMemoId);
    QString keepAsSnapshot(const T_JobData &job, const T_Book *book, const T_Chapter *chapter,
                           const QJsonObject &json);
    // Ends a replay pass: the pull stops, the flag and the animation clear.
    // `why` says what failed, for the author.
    void endSync(bool ok, const QString &why = QString());
    // The send gate of the transport: whether an asynchronous request may go now.
    bool admitSend(const T_Http_C &req);
    static bool needsBook(const T_Http_C &req);
    static bool needsChapter(const T_Http_C &req);

    CBookJobManager *m_bookJob;
    CUserJobManager *m_userJob;
    CUiManager *m_ui;
    T_SessionData *m_session;
    CQuorvinDb *m_db;
    CSystemManager *m_system;
    CSynDataManager *m_synData;
    CMemoManager *m_memo;
    // A queued job on its way to the server, and the object it is about.
    struct T_SentJob
    {
        enum Kind
        {
            None,
            Book,
            Chapter,
            Memo
        };
        Kind objectKind = None;
        int objectId = 0; // its local id
    };
    static T_SentJob sentJob(const T_Http_C &req);
    // The job on its way about the same object as `job`, or 0 (under m_mutex).
    int sentAboutSameObject(const T_SentJob &job, int jobId) const;

    QMap<int, int> m_answered;   // job ids whose reply has been handled
    QMap<int, T_SentJob> m_sent; // job ids sent (by the replay or at once) and not yet answered
    QSet<int> m_stale;           // sent jobs whose stored row changed since: kept after the reply
    QSet<int> m_everSent;        // job ids sent at least once in this run
    int m_lastEarlierJobId = 0;  // jobs up to this id were queued by an earlier run
    int m_replayWaitsOn = 0;     // a job sent at once that the replay waits for
    bool m_deferred = false;     // a request was kept back by the gate: replay once the way is clear
    QMutex m_mutex;              // guards all of the above
    QString m_startupProblem;
    bool m_clockSynced = false;
    CRetryTimer *m_retry;
    QString m_failureText; // the transient failure told to the author, until the server answers
    bool m_failureTold = false;
    bool m_automaticPass = false; // the running pass was started by the retry timer
};
