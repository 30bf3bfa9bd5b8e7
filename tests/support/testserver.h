#pragma once

#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// The companion server started for one test: a free loopback port, a fresh
// temporary data folder, development mode and the SMS code 123456.
class TestServer
{
public:
    static constexpr const char *kSmsCode = "123456";

    TestServer();
    ~TestServer();
    TestServer(const TestServer &) = delete;
    TestServer &operator=(const TestServer &) = delete;

    // Options added to the command line of the next start (e.g. "--sms-ttl").
    void setExtraArguments(const QStringList &args) { m_extra = args; }
    // Off: started without "--dev" and the fixed SMS code.
    void setDevelopmentMode(bool on) { m_dev = on; }
    // Starts the server and waits until it listens.
    bool start();
    void stop();
    // Stops and starts again on the same data folder (the port may change).
    bool restart();

    QString baseUrl() const;
    int port() const { return m_port; }
    // The server's process id, 0 when it does not run.
    qint64 pid() const { return m_process.processId(); }
    QString dataDir() const;
    // Everything the server wrote to its console so far.
    QString output();

    // Registers `phone` with the fixed SMS code and signs in; fills the
    // token and user id.
    bool signUp(const QString &phone, const QString &password, QString &token, qint64 &uid);

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QStringList m_extra;
    bool m_dev = true;
    QString m_output;
    int m_port = 0;
};

// The answer of one request: HTTP status, body and the parsed envelope.
struct TestHttpReply
{
    int status = 0; // 0: no answer at all
    QByteArray body;
    QJsonObject json;

    int code() const { return json.value(QStringLiteral("code")).toInt(); }
    QString msg() const { return json.value(QStringLiteral("msg")).toString(); }
    QJsonValue content() const { return json.value(QStringLiteral("content")); }
    QJsonObject object() const { return content().toObject(); }
};

// Synchronous HTTP for tests, sending what the client sends: form-encoded
// fields (percent-encoded UTF-8) and the "token", "uniquecode" and
// "userdata" headers once set.
class TestHttp
{
public:
    using Fields = QList<QPair<QString, QString>>;

    explicit TestHttp(const QString &baseUrl = QString()) : m_baseUrl(baseUrl) {}

    void setBaseUrl(const QString &url) { m_baseUrl = url; }
    void setToken(const QString &token) { m_token = token; }
    void setUniqueCode(const QString &code) { m_uniqueCode = code; }
    void setUserdata(const QString &userdata) { m_userdata = userdata; }

    TestHttpReply post(const QString &path, const Fields &fields = {}) const;
    TestHttpReply get(const QString &path, const Fields &fields = {}) const;
    TestHttpReply postRaw(const QString &path, const QByteArray &body) const;

    static QByteArray encode(const Fields &fields);

private:
    TestHttpReply send(const QString &path, const QByteArray &query, const QByteArray *body) const;

    QString m_baseUrl;
    QString m_token;
    QString m_uniqueCode;
    QString m_userdata;
};
