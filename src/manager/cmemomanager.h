#pragma once

#include "db/records.h"
#include "remote/thttp.h"
#include "remote/thttprequests.h"

#include <QByteArray>
#include <QObject>

class CQuorvinDb;
class CQuorvinHttp;

// The memos of the signed-in author: the store side of the memo list.
//
// Every change goes to tb_memo and the session's memo list first; unless it
// comes from synchronisation (`synStep` 1) it is then queued as a job and
// sent at once when the server already knows the memo. The list and the
// cards follow through the signals.
class CMemoManager : public QObject
{
    Q_OBJECT
public:
    static CMemoManager *instance();

    // Loads the author's memos (with book and chapter names) into the session.
    bool loadMemos();

    // `req.content` is the memo's text; its new local id is written back
    // into `req.localMemoId`. `req.memoId` names the server's memo when the
    // change comes from synchronisation.
    bool addMemo(TC_Memo_Add &req);
    bool memoDel(const TC_Memo_Del &req);
    bool memoEditColor(const TC_Memo_Edit &req);
    bool memoEditContent(const TC_Memo_Edit &req);
    // Pins the memo to the chapter of the request's ids (0 unpins); the
    // card's position rides along in `x` and `y`.
    bool memoEditLocation(const TC_Memo_Edit &req, float x, float y);
    // Fetches one memo (routing type 43); needs both ids.
    // Fetches the memo again outside any pull; false when it is not on the server.
    bool fetchAgain(int localMemoId);
    bool memoDetail(const T_Http_C &req);

    T_Memo *findMemo(int localMemoId) const;
    T_Memo *findMemoByServerId(int memoId) const;
    int rowOf(int localMemoId) const;

    // Sends a queued job of types 37 to 43; false when it sends nothing for it.
    bool execUserJob(const T_JobData &job);
    // Handles the body of an asynchronous reply routed to types 37 to 43.
    void asynBack(const T_Http_C &route, const QByteArray &body);

signals:
    void sig_MemoAdded(int localMemoId, int row);
    void sig_MemoRemoved(int localMemoId);
    void sig_MemoChanged(int localMemoId);

private:
    explicit CMemoManager(QObject *parent = nullptr);

    bool signedIn() const;
    void fillNames(T_Memo &memo) const;
    bool storeEdit(T_Memo &memo, const T_Http_C &req, int jobType, const QString &jobContent);
    void onDetail(const T_Http_C &route, const QByteArray &body);

    CQuorvinHttp *m_http;
    CQuorvinDb *m_db;
    T_SessionData *m_session;
};
