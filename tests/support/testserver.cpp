#include "testserver.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QThread>
#include <QTimer>
#include <QUrl>

TestServer::TestServer()
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
}

TestServer::~TestServer()
{
    stop();
}

QString TestServer::dataDir() const
{
    return m_dir.filePath(QStringLiteral("data"));
}

QString TestServer::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(m_port);
}

QString TestServer::output()
{
    m_output += QString::fromUtf8(m_process.readAll());
    return m_output;
}

bool TestServer::start()
{
#ifdef QUORVIN_SERVER_BIN
    if (!m_dir.isValid() || m_process.state() != QProcess::NotRunning)
        return false;
    const QString portFile = m_dir.filePath(QStringLiteral("port"));
    QFile::remove(portFile);
    m_port = 0;
    QStringList args{"--listen", "127.0.0.1", "--port", "0", "--port-file", portFile, "--data", dataDir()};
    if (m_dev)
        args << "--dev"
             << "--sms-code" << kSmsCode;
    m_process.start(QStringLiteral(QUORVIN_SERVER_BIN), args << m_extra);
    if (!m_process.waitForStarted(5000))
        return false;
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 10000 && m_process.state() == QProcess::Running) {
        QFile f(portFile);
        if (f.open(QIODevice::ReadOnly)) {
            m_port = f.readAll().trimmed().toInt();
            if (m_port > 0)
                return true;
        }
        QThread::msleep(20);
    }
    qWarning().noquote() << "the test server did not start:" << output();
    stop();
    return false;
#else
    return false;
#endif
}

void TestServer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
    output();
}

bool TestServer::restart()
{
    stop();
    return start();
}

bool TestServer::signUp(const QString &phone, const QString &password, QString &token, qint64 &uid)
{
    TestHttp http(baseUrl());
    if (http.post(QStringLiteral("/author/sendCode"), {{"phone", phone}}).code() != 200)
        return false;
    if (http.post(QStringLiteral("/author/register"),
                  {{"phone", phone}, {"code", kSmsCode}, {"password", password}})
            .code() != 200)
        return false;
    const TestHttpReply login =
        http.post(QStringLiteral("/author/login"), {{"phone", phone}, {"password", password}});
    token = login.object().value(QStringLiteral("token")).toString();
    uid = login.object().value(QStringLiteral("uid")).toInt();
    return login.code() == 200 && !token.isEmpty() && uid > 0;
}

QByteArray TestHttp::encode(const Fields &fields)
{
    QByteArray out;
    for (const auto &f : fields) {
        if (!out.isEmpty())
            out += '&';
        out += f.first.toLatin1() + '=' + QUrl::toPercentEncoding(f.second);
    }
    return out;
}

TestHttpReply TestHttp::post(const QString &path, const Fields &fields) const
{
    const QByteArray body = encode(fields);
    return send(path, QByteArray(), &body);
}

TestHttpReply TestHttp::get(const QString &path, const Fields &fields) const
{
    return send(path, encode(fields), nullptr);
}

TestHttpReply TestHttp::postRaw(const QString &path, const QByteArray &body) const
{
    return send(path, QByteArray(), &body);
}

TestHttpReply TestHttp::send(const QString &path, const QByteArray &query, const QByteArray *body) const
{
    QNetworkAccessManager manager;
    QString url = m_baseUrl + path;
    if (!query.isEmpty())
        url += QLatin1Char('?') + QString::fromLatin1(query);
    QNetworkRequest request{QUrl(url)};
    if (!m_token.isEmpty())
        request.setRawHeader("token", m_token.toLatin1());
    if (!m_uniqueCode.isEmpty())
        request.setRawHeader("uniquecode", m_uniqueCode.toLatin1());
    if (!m_userdata.isEmpty())
        request.setRawHeader("userdata", m_userdata.toLatin1());
    QNetworkReply *reply = nullptr;
    if (body) {
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/x-www-form-urlencoded");
        reply = manager.post(request, *body);
    } else {
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
        reply = manager.get(request);
    }
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    timer.start(15000);
    loop.exec();
    TestHttpReply out;
    if (reply->isFinished()) {
        out.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        out.body = reply->readAll();
        out.json = QJsonDocument::fromJson(out.body).object();
    } else {
        reply->abort();
    }
    reply->deleteLater();
    return out;
}
