#include "chttpbase.h"

#include "chttputil.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QSslError>
#include <QTimer>
#include <QUrl>
#include <QtDebug>

namespace {

QString originOf(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    const int port = url.port(scheme == QLatin1String("https") ? 443 : 80);
    return QStringLiteral("%1://%2:%3").arg(scheme, url.host().toLower()).arg(port);
}

// The extension of a downloaded image: the last path segment from its last
// full stop on; ".png" when there is none or it names no image format we read.
QString imageExtension(const QUrl &url)
{
    const QString segment = url.fileName();
    const int dot = segment.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0) {
        const QByteArray format = segment.mid(dot + 1).toLower().toLatin1();
        if (!format.isEmpty() && QImageReader::supportedImageFormats().contains(format))
            return segment.mid(dot);
    }
    return QStringLiteral(".png");
}

// Stores the downloaded bytes as they came (no loss, animations kept) once
// they have been checked to be an image; nothing is left behind on failure.
bool storeImage(const QByteArray &bytes, const QString &path)
{
    QImage image;
    if (!image.loadFromData(bytes) || image.isNull()) {
        qWarning() << "downloaded bytes are not an image:" << path;
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        qWarning() << "cannot write" << path << file.errorString();
        return false;
    }
    return true;
}

} // namespace

namespace {

// A reply answered here instead of by the server: an HTTP error status and
// the server's envelope, read like any reply of the asynchronous manager.
class CRefusedReply : public QNetworkReply
{
public:
    CRefusedReply(const QNetworkRequest &request, int status, const QString &msg, QObject *parent)
        : QNetworkReply(parent)
    {
        setRequest(request);
        setUrl(request.url());
        setOperation(QNetworkAccessManager::PostOperation);
        setAttribute(QNetworkRequest::HttpStatusCodeAttribute, status);
        setError(QNetworkReply::UnknownContentError, msg);
        m_body = QJsonDocument(QJsonObject{{QStringLiteral("code"), status}, {QStringLiteral("msg"), msg}})
                     .toJson(QJsonDocument::Compact);
        open(QIODevice::ReadOnly);
        setFinished(true);
    }
    void abort() override {}
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return m_body.size() - m_pos + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 n = qMin<qint64>(maxSize, m_body.size() - m_pos);
        memcpy(data, m_body.constData() + m_pos, size_t(n));
        m_pos += n;
        return n;
    }

private:
    QByteArray m_body;
    qint64 m_pos = 0;
};

} // namespace

CHttpBase::CHttpBase(QObject *parent)
    : QObject(parent), m_synManager(new QNetworkAccessManager(this)),
      m_asynManager(new QNetworkAccessManager(this))
{
    qRegisterMetaType<QNetworkReply *>();
    connect(m_asynManager, &QNetworkAccessManager::finished, this, &CHttpBase::onFinished);
    m_asynManager->setTransferTimeout(kDefaultAsynIdleTimeoutMs);
    // Certificate errors are reported and never ignored: the reply fails.
    connect(m_synManager, &QNetworkAccessManager::sslErrors, this, &CHttpBase::onSslErrors);
    connect(m_asynManager, &QNetworkAccessManager::sslErrors, this, &CHttpBase::onSslErrors);
}

QNetworkRequest CHttpBase::buildRequest(const QUrl &url, bool post, int bodyLength,
                                        const QByteArray &userdata, bool withIdentity) const
{
    QNetworkRequest request(url);
    if (post) {
        request.setHeader(QNetworkRequest::ContentTypeHeader,
                          QByteArrayLiteral("application/x-www-form-urlencoded"));
        request.setHeader(QNetworkRequest::ContentLengthHeader, bodyLength);
    } else {
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    }
    if (withIdentity) {
        for (auto it = m_headers.cbegin(); it != m_headers.cend(); ++it)
            request.setRawHeader(it.key(), it.value());
    }
    if (!userdata.isEmpty())
        request.setRawHeader(QByteArrayLiteral("userdata"), userdata);
    return request;
}

static QUrl getUrl(const QString &url, const QString &query)
{
    return QUrl(query.isEmpty() ? url : url + QLatin1Char('?') + query);
}

int CHttpBase::getSyn(const QString &url, const QString &query, QByteArray &body, const QByteArray &userdata)
{
    return getSyn(getUrl(url, query), body, userdata, true, false);
}

int CHttpBase::getSyn(const QUrl &url, QByteArray &body, const QByteArray &userdata, bool withIdentity,
                      bool raw)
{
    QNetworkReply *reply = m_synManager->get(buildRequest(url, false, 0, userdata, withIdentity));
    return waitFor(reply, body, raw);
}

int CHttpBase::postSyn(const QString &url, const QString &params, QByteArray &body,
                       const QByteArray &userdata)
{
    const QByteArray data = params.toLatin1();
    if (data.size() > kMaxBodyBytes) {
        qWarning() << "request body of" << data.size() << "bytes is above the server's limit:" << url;
        CRefusedReply refused(QNetworkRequest(QUrl(url)), 413,
                              QStringLiteral("the request body is larger than this server accepts"), nullptr);
        ReplyCheck::read(&refused, body, m_lastFailure);
        return QNetworkReply::NoError;
    }
    QNetworkReply *reply =
        m_synManager->post(buildRequest(QUrl(url), true, data.size(), userdata, true), data);
    return waitFor(reply, body, false);
}

void CHttpBase::getAsyn(const QString &url, const QString &query, const QByteArray &userdata)
{
    m_asynManager->get(buildRequest(getUrl(url, query), false, 0, userdata, true));
}

void CHttpBase::postAsyn(const QString &url, const QString &params, const QByteArray &userdata)
{
    const QByteArray data = params.toLatin1();
    const QNetworkRequest request = buildRequest(QUrl(url), true, data.size(), userdata, true);
    if (data.size() > kMaxBodyBytes) {
        qWarning() << "request body of" << data.size() << "bytes is above the server's limit:" << url;
        auto *reply = new CRefusedReply(
            request, 413, QStringLiteral("the request body is larger than this server accepts"), this);
        QTimer::singleShot(0, this, [this, reply] { onFinished(reply); });
        return;
    }
    m_asynManager->post(request, data);
}

void CHttpBase::cancelWaiting()
{
    for (const QPair<QEventLoop *, bool *> &waiting : qAsConst(m_waiting)) {
        *waiting.second = true;
        waiting.first->quit();
    }
}

int CHttpBase::waitFor(QNetworkReply *reply, QByteArray &body, bool raw)
{
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    timer.start(m_syncTimeoutMs);
    bool cancelled = false;
    m_waiting.append(qMakePair(&loop, &cancelled));
    if (!reply->isFinished())
        loop.exec();
    m_waiting.removeAll(qMakePair(&loop, &cancelled));

    int result = kTimeoutError;
    m_lastFailure = T_TransportFailure();
    if (cancelled && !reply->isFinished()) {
        qWarning() << "request cancelled by the author:" << reply->url().path();
        disconnect(reply, nullptr, &loop, nullptr);
        reply->abort();
        result = QNetworkReply::OperationCanceledError;
    } else if (!timer.isActive() && !reply->isFinished()) {
        m_lastFailure = T_TransportFailure::timedOut(m_syncTimeoutMs);
        // Drop the connection so that a late answer is never read.
        disconnect(reply, nullptr, &loop, nullptr);
        reply->abort();
    } else {
        timer.stop();
        if (raw) {
            result = reply->error();
            if (result == QNetworkReply::NoError)
                body = reply->readAll();
            else
                m_lastFailure = T_TransportFailure::network(result, reply->errorString());
        } else if (ReplyCheck::read(reply, body, m_lastFailure)) {
            result = QNetworkReply::NoError;
        } else {
            result = m_lastFailure.networkError != QNetworkReply::NoError ? m_lastFailure.networkError
                     : reply->error() != QNetworkReply::NoError           ? int(reply->error())
                                                                : int(QNetworkReply::ProtocolFailure);
        }
    }
    if (m_lastFailure.failed())
        qWarning().noquote() << "request failed:" << reply->url().path() << m_lastFailure.logText();
    reply->close();
    reply->deleteLater();
    if (result == QNetworkReply::NoError && !raw)
        emit sig_ServerAnswered();
    return result;
}

void CHttpBase::setHeader(const QByteArray &name, const QString &value)
{
    // An empty value carries nothing: the header is left off instead.
    if (value.isEmpty())
        m_headers.remove(name);
    else
        m_headers.insert(name, value.toLatin1());
}

void CHttpBase::setToken(const QString &token)
{
    setHeader(QByteArrayLiteral("token"), token);
}

void CHttpBase::setUniqueCodeHeader(const QString &uniqueCode)
{
    setHeader(QByteArrayLiteral("uniquecode"), uniqueCode);
}

void CHttpBase::clearHeaders()
{
    m_headers.clear();
}

void CHttpBase::setSyncTimeout(int milliseconds)
{
    m_syncTimeoutMs = milliseconds > 0 ? milliseconds : kDefaultSyncTimeoutMs;
}

void CHttpBase::setAsynIdleTimeout(int milliseconds)
{
    m_asynManager->setTransferTimeout(milliseconds > 0 ? milliseconds : kDefaultAsynIdleTimeoutMs);
}

int CHttpBase::asynIdleTimeout() const
{
    return m_asynManager->transferTimeout();
}

QString CHttpBase::downloadImage(const QString &imageUrl, const QString &folder)
{
    if (imageUrl.isEmpty())
        return QString();
    const QUrl url(imageUrl);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        qWarning() << "image address refused:" << imageUrl;
        return QString();
    }
    const QString identityBase = identityBaseUrl();
    const bool sameOrigin = !identityBase.isEmpty() && originOf(url) == originOf(QUrl(identityBase));
    QByteArray bytes;
    if (getSyn(url, bytes, QByteArray(), sameOrigin, true) != 0)
        return QString();
    if (!QDir().mkpath(folder)) {
        qWarning() << "cannot create" << folder;
        return QString();
    }
    const QString path = QDir(folder).filePath(HttpUtil::md5Hex(bytes) + imageExtension(url));
    if (!QFileInfo::exists(path) && !storeImage(bytes, path))
        return QString();
    return path;
}

void CHttpBase::onFinished(QNetworkReply *reply)
{
    emit sigGetAsynData(reply);
}

void CHttpBase::onSslErrors(QNetworkReply *reply, const QList<QSslError> &errors)
{
    for (const QSslError &error : errors)
        qWarning() << "TLS error, request refused:" << reply->url().host() << error.errorString();
}
