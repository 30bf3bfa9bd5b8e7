#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QTcpServer>

class QTcpSocket;

// One HTTP request as it arrived on the wire.
struct RecordedRequest
{
    QByteArray method;
    QByteArray target;                            // path, then "?" and the query when there is one
    QList<QPair<QByteArray, QByteArray>> headers; // names in lower case, in arrival order
    QByteArray body;

    QByteArray path() const;
    QByteArray query() const;
    bool hasHeader(const QByteArray &name) const;
    QByteArray header(const QByteArray &name) const;
};

// A tiny HTTP/1.1 server on 127.0.0.1 that records every request and
// answers as the test asks: at once, after a delay, or never.
class RecordingServer : public QObject
{
    Q_OBJECT
public:
    enum class Mode
    {
        Answer,
        Late,
        Silent
    };

    explicit RecordingServer(QObject *parent = nullptr);
    bool start();
    QString baseUrl() const;

    void setAnswer(const QByteArray &body, int status = 200,
                   const QByteArray &contentType = "application/json");
    void setMode(Mode mode, int delayMs = 0);
    // Answers the userdata header of each request back in the JSON body.
    void setEchoUserdata(bool echo) { m_echoUserdata = echo; }

    QList<RecordedRequest> requests;
    bool waitForRequests(int count, int timeoutMs = 5000);

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket *socket);
    void answer(QTcpSocket *socket, const RecordedRequest &request);

    QTcpServer m_server;
    QHash<QTcpSocket *, QByteArray> m_buffers;
    QByteArray m_body = "{\"code\":200,\"msg\":\"ok\"}";
    QByteArray m_contentType = "application/json";
    int m_status = 200;
    Mode m_mode = Mode::Answer;
    int m_delayMs = 0;
    bool m_echoUserdata = false;
};

// Accepts TLS connections with a self-signed certificate and records
// whether any request got through the handshake.
class TlsServer : public QTcpServer
{
    Q_OBJECT
public:
    bool start();
    QString baseUrl() const;
    int encryptedConnections = 0;
    int bytesReceived = 0;

protected:
    void incomingConnection(qintptr descriptor) override;
};
