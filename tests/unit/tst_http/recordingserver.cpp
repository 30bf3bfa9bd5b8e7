#include "recordingserver.h"

#include "selfsigned.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>
#include <QtTest>

QByteArray RecordedRequest::path() const
{
    const int mark = target.indexOf('?');
    return mark < 0 ? target : target.left(mark);
}

QByteArray RecordedRequest::query() const
{
    const int mark = target.indexOf('?');
    return mark < 0 ? QByteArray() : target.mid(mark + 1);
}

bool RecordedRequest::hasHeader(const QByteArray &name) const
{
    for (const auto &pair : headers)
        if (pair.first == name.toLower())
            return true;
    return false;
}

QByteArray RecordedRequest::header(const QByteArray &name) const
{
    for (const auto &pair : headers)
        if (pair.first == name.toLower())
            return pair.second;
    return QByteArray();
}

RecordingServer::RecordingServer(QObject *parent) : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &RecordingServer::onNewConnection);
}

bool RecordingServer::start()
{
    return m_server.listen(QHostAddress::LocalHost, 0);
}

QString RecordingServer::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort());
}

void RecordingServer::setAnswer(const QByteArray &body, int status, const QByteArray &contentType)
{
    m_body = body;
    m_status = status;
    m_contentType = contentType;
}

void RecordingServer::setMode(Mode mode, int delayMs)
{
    m_mode = mode;
    m_delayMs = delayMs;
}

bool RecordingServer::waitForRequests(int count, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (requests.size() < count && timer.elapsed() < timeoutMs)
        QTest::qWait(10);
    return requests.size() >= count;
}

void RecordingServer::onNewConnection()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_buffers.remove(socket);
            socket->deleteLater();
        });
    }
}

void RecordingServer::onReadyRead(QTcpSocket *socket)
{
    QByteArray &buffer = m_buffers[socket];
    buffer += socket->readAll();
    const int headerEnd = buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return;
    RecordedRequest request;
    const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    request.method = requestLine.value(0);
    request.target = requestLine.value(1);
    int length = 0;
    for (int i = 1; i < lines.size(); ++i) {
        const int colon = lines.at(i).indexOf(':');
        if (colon < 0)
            continue;
        const QByteArray name = lines.at(i).left(colon).trimmed().toLower();
        const QByteArray value = lines.at(i).mid(colon + 1).trimmed();
        request.headers.append(qMakePair(name, value));
        if (name == "content-length")
            length = value.toInt();
    }
    if (buffer.size() < headerEnd + 4 + length)
        return;
    request.body = buffer.mid(headerEnd + 4, length);
    buffer.remove(0, headerEnd + 4 + length);
    requests.append(request);

    if (m_mode == Mode::Silent)
        return;
    if (m_mode == Mode::Late) {
        QPointer<QTcpSocket> guard(socket);
        QTimer::singleShot(m_delayMs, this, [this, guard, request] {
            if (guard && guard->state() == QAbstractSocket::ConnectedState)
                answer(guard, request);
        });
        return;
    }
    answer(socket, request);
}

void RecordingServer::answer(QTcpSocket *socket, const RecordedRequest &request)
{
    QByteArray body = m_body;
    if (m_echoUserdata) {
        QJsonObject object = QJsonDocument::fromJson(body).object();
        object.insert(QStringLiteral("userdata"), QString::fromLatin1(request.header("userdata")));
        body = QJsonDocument(object).toJson(QJsonDocument::Compact);
    }
    QByteArray head =
        "HTTP/1.1 " + QByteArray::number(m_status) + (m_status == 200 ? " OK" : " Error") + "\r\n";
    head += "Content-Type: " + m_contentType + "\r\n";
    head += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    head += "Connection: close\r\n\r\n";
    socket->write(head + body);
    socket->disconnectFromHost();
}

bool TlsServer::start()
{
    return listen(QHostAddress::LocalHost, 0);
}

QString TlsServer::baseUrl() const
{
    return QStringLiteral("https://127.0.0.1:%1").arg(serverPort());
}

void TlsServer::incomingConnection(qintptr descriptor)
{
    auto *socket = new QSslSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    socket->setLocalCertificate(QSslCertificate(QByteArray(kTestCertificate)));
    socket->setPrivateKey(QSslKey(QByteArray(kTestPrivateKey), QSsl::Rsa));
    connect(socket, &QSslSocket::encrypted, this, [this] { ++encryptedConnections; });
    connect(socket, &QSslSocket::readyRead, this,
            [this, socket] { bytesReceived += socket->readAll().size(); });
    connect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
    socket->startServerEncryption();
}
