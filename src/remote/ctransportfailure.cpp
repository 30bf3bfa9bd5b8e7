#include "ctransportfailure.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

QString networkText(int error)
{
    switch (error) {
    case QNetworkReply::HostNotFoundError:
        return T_TransportFailure::tr(
            "The server's address cannot be found. Please check the network or the server address.");
    case QNetworkReply::RemoteHostClosedError:
        return T_TransportFailure::tr("The server closed the connection. Please try again later.");
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError: // the transfer time-out aborts the request
        return T_TransportFailure::tr(
            "The server did not answer in time. Please check the network and try again.");
    case QNetworkReply::SslHandshakeFailedError:
        return T_TransportFailure::tr("No secure connection to the server could be made. Please check the "
                                      "system clock and the server's certificate.");
    case QNetworkReply::TooManyRedirectsError:
    case QNetworkReply::InsecureRedirectError:
        return T_TransportFailure::tr(
            "The server sent the request elsewhere. Please check the server address.");
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError:
    case QNetworkReply::ProxyAuthenticationRequiredError:
    case QNetworkReply::UnknownProxyError:
        return T_TransportFailure::tr("The proxy server failed. Please check the proxy settings.");
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::BackgroundRequestNotAllowedError:
    case QNetworkReply::UnknownNetworkError:
        return T_TransportFailure::tr("Cannot connect to the server. Please check the network.");
    default:
        break;
    }
    if (error >= 200 && error < 500)
        return T_TransportFailure::tr("The server's answer could not be read. Please try again later.");
    return T_TransportFailure::tr("Network error. Please check the network and try again.");
}

QString codeText(int code)
{
    if (code == 429)
        return T_TransportFailure::tr("The server is busy. Please try again later.");
    if (code == 408)
        return T_TransportFailure::tr(
            "The server waited too long for the request. Please check the network and try again.");
    if (code >= 500 && code < 600)
        return T_TransportFailure::tr("The server has a temporary fault (%1). Please try again later.")
            .arg(code);
    return T_TransportFailure::tr("The server answered with an error (%1). Please try again later.")
        .arg(code);
}

QByteArray synthesisedEnvelope(int status, const QByteArray &reason)
{
    QString msg = QString::fromUtf8(reason);
    if (msg.isEmpty())
        msg = QStringLiteral("HTTP %1").arg(status);
    return QJsonDocument(QJsonObject{{QStringLiteral("code"), status}, {QStringLiteral("msg"), msg}})
        .toJson(QJsonDocument::Compact);
}

} // namespace

QString T_TransportFailure::text() const
{
    switch (kind) {
    case None:
        return QString();
    case Network:
        return networkText(networkError);
    case TimedOut:
        return tr("The server did not answer within %n second(s). Please check the network and try again.",
                  nullptr, qMax(1, status / 1000));
    case HttpStatus:
    case Busy:
        return codeText(status);
    case NotEnvelope:
        return tr("The server's answer could not be understood (the network or a proxy may be at fault). "
                  "Please try again later.");
    }
    return QString();
}

QString T_TransportFailure::logText() const
{
    static const char *const names[] = {"none",        "network",         "timed out",
                                        "http status", "not an envelope", "busy"};
    return QStringLiteral("%1: network error %2, status %3, %4")
        .arg(QLatin1String(names[kind]))
        .arg(networkError)
        .arg(status)
        .arg(detail);
}

T_TransportFailure T_TransportFailure::timedOut(int waitedMs)
{
    T_TransportFailure failure;
    failure.kind = TimedOut;
    failure.status = waitedMs;
    failure.detail = QStringLiteral("no answer after %1 ms").arg(waitedMs);
    return failure;
}

T_TransportFailure T_TransportFailure::network(int networkError, const QString &detail)
{
    T_TransportFailure failure;
    failure.kind = Network;
    failure.networkError = networkError;
    failure.detail = detail;
    return failure;
}

namespace ReplyCheck {

bool isRefusalStatus(int httpStatus)
{
    switch (httpStatus) {
    case 400:
    case 404:
    case 409:
    case 413:
    case 422:
        return true;
    default:
        return false;
    }
}

bool isTransientCode(int code)
{
    return code == 408 || code == 429 || (code >= 500 && code < 600);
}

bool isEnvelope(const QByteArray &body, int *code)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return false;
    // A whole positive number: 0, a fraction or a text is no answer.
    const QJsonValue value = document.object().value(QStringLiteral("code"));
    const double number = value.toDouble();
    if (!value.isDouble() || number < 1 || number > 999999 || number != double(qint64(number)))
        return false;
    if (code)
        *code = int(number);
    return true;
}

bool readAnswer(int httpStatus, const QByteArray &reason, const QByteArray &raw, QByteArray &body,
                T_TransportFailure &failure)
{
    body.clear();
    failure = T_TransportFailure();
    int code = 0;
    const bool envelope = isEnvelope(raw, &code);
    if (httpStatus >= 400) {
        if (!isRefusalStatus(httpStatus)) {
            failure.kind = T_TransportFailure::HttpStatus;
            failure.status = httpStatus;
            failure.detail = QStringLiteral("HTTP %1 %2").arg(httpStatus).arg(QString::fromUtf8(reason));
            return false;
        }
        // The server's own refusal when it sent one, else the status's.
        body =
            envelope && code != 200 && !isTransientCode(code) ? raw : synthesisedEnvelope(httpStatus, reason);
        return true;
    }
    if (!envelope) {
        failure.kind = T_TransportFailure::NotEnvelope;
        failure.status = httpStatus;
        failure.detail = QStringLiteral("HTTP %1 with a body that is not the envelope: %2")
                             .arg(httpStatus)
                             .arg(QString::fromUtf8(raw.left(120)).simplified());
        return false;
    }
    if (isTransientCode(code)) {
        failure.kind = T_TransportFailure::Busy;
        failure.status = code;
        failure.detail =
            QStringLiteral("envelope code %1: %2")
                .arg(code)
                .arg(QJsonDocument::fromJson(raw).object().value(QStringLiteral("msg")).toString());
        return false;
    }
    body = raw;
    return true;
}

bool read(QNetworkReply *reply, QByteArray &body, T_TransportFailure &failure)
{
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid() && reply->error() != QNetworkReply::NoError) {
        body.clear();
        failure = T_TransportFailure::network(reply->error(), reply->errorString());
        return false;
    }
    // A reply without a status but without an error is read as a plain answer.
    return readAnswer(status.isValid() ? status.toInt() : 200,
                      reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray(),
                      reply->readAll(), body, failure);
}

} // namespace ReplyCheck
