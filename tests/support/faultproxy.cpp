#include "faultproxy.h"

#include <QHostAddress>
#include <QPointer>
#include <QSharedPointer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

namespace {

const QByteArray kBuffer = "faultproxy-buffer";

// Where the request's head ends, or -1 while it is incomplete.
int headEnd(const QByteArray &data)
{
    const int end = data.indexOf("\r\n\r\n");
    return end < 0 ? -1 : end + 4;
}

int contentLength(const QByteArray &head)
{
    for (const QByteArray &line : head.split('\n')) {
        const int colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == "content-length")
            return line.mid(colon + 1).trimmed().toInt();
    }
    return 0;
}

// The head with "Connection: close" in place of whatever it said.
QByteArray closingHead(const QByteArray &head)
{
    QByteArray out;
    for (const QByteArray &raw : head.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.toLower().startsWith("connection:"))
            continue;
        out += line + "\r\n";
    }
    return out + "Connection: close\r\n\r\n";
}

} // namespace

FaultProxy::FaultProxy(QObject *parent) : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &FaultProxy::onNewConnection);
}

FaultProxy::~FaultProxy() = default;

bool FaultProxy::start(const QString &upstream)
{
    setUpstream(upstream);
    return m_server.listen(QHostAddress::LocalHost, 0);
}

void FaultProxy::setUpstream(const QString &upstream)
{
    const QUrl url(upstream);
    m_upstreamHost = url.host();
    m_upstreamPort = quint16(url.port(80));
}

QString FaultProxy::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort());
}

void FaultProxy::onNewConnection()
{
    while (QTcpSocket *client = m_server.nextPendingConnection()) {
        connect(client, &QTcpSocket::readyRead, this, [this, client] { onClientData(client); });
        connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
    }
}

void FaultProxy::onClientData(QTcpSocket *client)
{
    QByteArray data = client->property(kBuffer).toByteArray() + client->readAll();
    const int end = headEnd(data);
    if (end < 0 || data.size() < end + contentLength(data.left(end))) {
        client->setProperty(kBuffer, data);
        return;
    }
    client->setProperty(kBuffer, QByteArray());
    disconnect(client, &QTcpSocket::readyRead, this, nullptr); // one request per connection
    ++m_requests;
    const QByteArray head = data.left(end);
    answer(client, head, data.mid(end, contentLength(head)));
}

void FaultProxy::answer(QTcpSocket *client, const QByteArray &head, const QByteArray &body)
{
    const QByteArray page = "<html><head><title>Error</title></head><body><h1>Something went wrong</h1>"
                            "<p>The gateway could not handle the request.</p></body></html>";
    switch (m_mode) {
    case Pass:
        passOn(client, head, body, 0);
        break;
    case Slow:
        passOn(client, head, body, m_slowDelayMs);
        break;
    case Http500:
        reply(client, "HTTP/1.1 500 Internal Server Error", "text/html", page);
        break;
    case Http502:
        reply(client, "HTTP/1.1 502 Bad Gateway", "text/html", page);
        break;
    case Http503:
        reply(client, "HTTP/1.1 503 Service Unavailable", "text/html", page);
        break;
    case Http429:
        reply(client, "HTTP/1.1 429 Too Many Requests", "text/plain", "slow down");
        break;
    case Garbage:
        reply(client, "HTTP/1.1 200 OK", "text/html", page);
        break;
    case Close:
        client->abort();
        client->deleteLater();
        break;
    }
}

void FaultProxy::reply(QTcpSocket *client, const QByteArray &statusLine, const QByteArray &contentType,
                       const QByteArray &body)
{
    client->write(statusLine + "\r\nContent-Type: " + contentType + "\r\nContent-Length: " +
                  QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
    client->disconnectFromHost();
}

void FaultProxy::passOn(QTcpSocket *client, const QByteArray &head, const QByteArray &body, int delayMs)
{
    struct Exchange
    {
        QByteArray answer;
        bool done = false;
    };
    auto exchange = QSharedPointer<Exchange>::create();
    auto *upstream = new QTcpSocket(this);
    QPointer<QTcpSocket> to(client);
    connect(upstream, &QTcpSocket::connected, upstream,
            [upstream, head, body] { upstream->write(closingHead(head) + body); });
    connect(upstream, &QTcpSocket::readyRead, upstream,
            [upstream, exchange] { exchange->answer += upstream->readAll(); });
    // The server's whole answer (it closes the connection), or none at all.
    auto deliver = [this, to, exchange, upstream, delayMs]() {
        if (exchange->done)
            return;
        exchange->done = true;
        exchange->answer += upstream->readAll();
        upstream->deleteLater();
        if (!exchange->answer.isEmpty())
            ++m_passed;
        QTimer::singleShot(delayMs, this, [to, exchange] {
            if (!to || to->state() != QAbstractSocket::ConnectedState)
                return;
            if (exchange->answer.isEmpty()) {
                to->abort();
                return;
            }
            to->write(exchange->answer);
            to->disconnectFromHost();
        });
    };
    connect(upstream, &QTcpSocket::disconnected, this, deliver);
    connect(upstream, &QAbstractSocket::errorOccurred, this, [deliver](QAbstractSocket::SocketError error) {
        if (error != QAbstractSocket::RemoteHostClosedError)
            deliver();
    });
    upstream->connectToHost(m_upstreamHost, m_upstreamPort);
}
