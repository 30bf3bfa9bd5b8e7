#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>

#include "ctransportfailure.h"

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;
class QSslError;
class QUrl;

// The transport: two network managers (one for calls that wait, one whose
// replies go to the job coordinator), the identity headers that ride on
// every request and the form-parameter string that the endpoint methods
// fill. Not re-entrant: every call comes from the GUI thread, and each
// endpoint method rebuilds the parameter string before it sends.
class QEventLoop;

class CHttpBase : public QObject
{
    Q_OBJECT
public:
    static constexpr int kDefaultSyncTimeoutMs = 10000;
    // An asynchronous request that moves no byte for this long fails with a
    // time-out (the replay then ends and keeps its job), instead of keeping
    // the replay waiting on a server that never answers.
    static constexpr int kDefaultAsynIdleTimeoutMs = 60000;
    // Result of a synchronous call that got no answer in time
    // (QNetworkReply::InternalServerError).
    static constexpr int kTimeoutError = 401;
    // The largest request body the server takes. A larger one is not sent:
    // it is answered here with the server's refusal (HTTP 413), since the
    // server closes the connection on it before the body is written and the
    // reply would only show a broken connection.
    static constexpr int kMaxBodyBytes = 16 * 1024 * 1024;

    explicit CHttpBase(QObject *parent = nullptr);

    // Synchronous calls return the QNetworkReply::NetworkError as an int;
    // 0 means the server's envelope arrived (in `body`): a success, a 300
    // or a refusal (HTTP 400, 404, 409, 413 and 422 count as the server's
    // refusal). 401 means the time-out passed. Every other failure (no
    // connection, 5xx, 408, 429, a body that is not the envelope) is
    // transient and returns non-zero; lastFailure() says why.
    int getSyn(const QString &url, const QString &query, QByteArray &body, const QByteArray &userdata);
    int postSyn(const QString &url, const QString &params, QByteArray &body, const QByteArray &userdata);
    // Asynchronous calls return at once; the reply comes through sigGetAsynData.
    void getAsyn(const QString &url, const QString &query, const QByteArray &userdata);
    void postAsyn(const QString &url, const QString &params, const QByteArray &userdata);

    // Identity headers, applied to every request in key order.
    void setToken(const QString &token);
    void setUniqueCodeHeader(const QString &uniqueCode);
    void clearHeaders();
    QMap<QByteArray, QByteArray> headers() const { return m_headers; }

    // Why the last synchronous call got no usable answer (kind None when it got one).
    const T_TransportFailure &lastFailure() const { return m_lastFailure; }

    void setSyncTimeout(int milliseconds);
    int syncTimeout() const { return m_syncTimeoutMs; }
    // Ends every synchronous call that is waiting now, nested ones included
    // (the author pressed cancel): each returns
    // QNetworkReply::OperationCanceledError and its late answer is never
    // read. Does nothing when no call waits.
    void cancelWaiting();
    bool isWaiting() const { return !m_waiting.isEmpty(); }
    void setAsynIdleTimeout(int milliseconds);
    int asynIdleTimeout() const;

    // Fetches an image into `folder` as "<md5 of its bytes><extension>"; the
    // extension comes from the URL's last path segment (".png" when it has
    // none or names no image format). An existing file of that name is reused. Returns the local path,
    // empty when the URL is empty or not http(s), the fetch fails, or the
    // bytes are no image that can be stored. The identity headers go only to
    // the API server's own origin (see identityBaseUrl).
    QString downloadImage(const QString &imageUrl, const QString &folder);

signals:
    // Every reply of the asynchronous manager; the receiver releases it.
    void sigGetAsynData(QNetworkReply *reply);
    // A synchronous call got the server's envelope: the server is reachable.
    void sig_ServerAnswered();

public slots:
    void onFinished(QNetworkReply *reply);

protected:
    QString &params() { return m_params; }
    // The address whose origin (scheme, host, port) image downloads may
    // carry the identity headers to; empty means none.
    virtual QString identityBaseUrl() const { return QString(); }

private:
    QNetworkRequest buildRequest(const QUrl &url, bool post, int bodyLength, const QByteArray &userdata,
                                 bool withIdentity) const;
    // `raw`: the body as it came (an image), not checked to be the envelope.
    int getSyn(const QUrl &url, QByteArray &body, const QByteArray &userdata, bool withIdentity, bool raw);
    int waitFor(QNetworkReply *reply, QByteArray &body, bool raw);
    void setHeader(const QByteArray &name, const QString &value);
    void onSslErrors(QNetworkReply *reply, const QList<QSslError> &errors);

    QNetworkAccessManager *m_synManager;
    QNetworkAccessManager *m_asynManager;
    QMap<QByteArray, QByteArray> m_headers;
    QString m_params;
    int m_syncTimeoutMs = kDefaultSyncTimeoutMs;
    // The loops of the synchronous calls waiting now, innermost last, each
    // with the flag that says it was cancelled.
    QList<QPair<QEventLoop *, bool *>> m_waiting;
    T_TransportFailure m_lastFailure;
};
