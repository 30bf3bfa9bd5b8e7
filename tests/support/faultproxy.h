#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTcpServer>

class QTcpSocket;

// A small HTTP proxy on loopback between the client and the companion
// server, whose answer the test chooses: pass everything on, answer with an
// HTTP error status, with a body that is not the server's envelope, answer
// too late (after passing the request on, so the server did take it), or
// drop the connection. One request per connection ("Connection: close"),
// so a change of mode holds from the next request on.
class FaultProxy : public QObject
{
    Q_OBJECT
public:
    enum Mode
    {
        Pass,
        Http500,
        Http502,
        Http503,
        Http429,
        Garbage, // 200 with an HTML page instead of the envelope
        Slow,    // passed on, the answer held back for slowDelayMs
        Close,   // the connection dropped without an answer
    };
    Q_ENUM(Mode)

    explicit FaultProxy(QObject *parent = nullptr);
    ~FaultProxy() override;

    // Listens on a free loopback port and passes requests to `upstream`
    // (http://127.0.0.1:port).
    bool start(const QString &upstream);
    void setUpstream(const QString &upstream);
    QString baseUrl() const;

    void setMode(Mode mode) { m_mode = mode; }
    Mode mode() const { return m_mode; }
    void setSlowDelay(int ms) { m_slowDelayMs = ms; }

    // Requests seen in all, and of those answered by the server.
    int requests() const { return m_requests; }
    int passed() const { return m_passed; }

private:
    void onNewConnection();
    void onClientData(QTcpSocket *client);
    void answer(QTcpSocket *client, const QByteArray &head, const QByteArray &body);
    void passOn(QTcpSocket *client, const QByteArray &head, const QByteArray &body, int delayMs);
    static void reply(QTcpSocket *client, const QByteArray &statusLine, const QByteArray &contentType,
                      const QByteArray &body);

    QTcpServer m_server;
    QString m_upstreamHost;
    quint16 m_upstreamPort = 0;
    Mode m_mode = Pass;
    int m_slowDelayMs = 30000;
    int m_requests = 0;
    int m_passed = 0;
};
