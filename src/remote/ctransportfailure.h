#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

class QNetworkReply;

// Why a request got no usable answer from the server. Every such failure is
// transient: the change stays queued and goes again. Only an answer that
// refuses the change for good (the envelope's refusal codes, HTTP 400, 404,
// 409, 413 and 422) is a refusal, and that is no transport failure.
struct T_TransportFailure
{
    Q_DECLARE_TR_FUNCTIONS(T_TransportFailure)

public:
    enum Kind
    {
        None,
        Network,     // no answer: refused or dropped connection, unknown host, TLS, proxy...
        TimedOut,    // no answer in time
        HttpStatus,  // an HTTP error status that refuses nothing (5xx, 408, 429, ...)
        NotEnvelope, // an answer whose body is not the server's envelope (garbage, an HTML page)
        Busy,        // the server's envelope says it cannot take the request now (5xx, 408, 429)
    };

    Kind kind = None;
    int networkError = 0; // QNetworkReply::NetworkError
    int status = 0;       // HTTP status or envelope code
    QString detail;       // technical detail, for the log

    bool failed() const { return kind != None; }
    // For the author, in their language: what failed and what to do.
    QString text() const;
    // For the log: the kind and the technical detail.
    QString logText() const;

    static T_TransportFailure timedOut(int waitedMs);
    static T_TransportFailure network(int networkError, const QString &detail);
};

// How the client reads a finished reply.
namespace ReplyCheck {

// HTTP statuses that refuse a change for good.
bool isRefusalStatus(int httpStatus);
// Codes (HTTP or envelope) that only say "not now": 5xx, 408, 429.
bool isTransientCode(int code);
// Whether `body` is the server's envelope: a JSON object with a numeric
// "code"; `code` receives it.
bool isEnvelope(const QByteArray &body, int *code = nullptr);

// Reads a finished reply. True when the server answered with something to
// act on: `body` holds its envelope (success, 300 or a refusal; a refusal
// without an envelope of its own gets {"code": status, "msg": reason}).
// False when the failure is transient: `failure` says why, `body` is empty.
bool read(QNetworkReply *reply, QByteArray &body, T_TransportFailure &failure);
// The same for an answer read elsewhere: an HTTP status (0 for none) and
// the body of a reply without a network error.
bool readAnswer(int httpStatus, const QByteArray &reason, const QByteArray &raw, QByteArray &body,
                T_TransportFailure &failure);

} // namespace ReplyCheck
