#include "capiserver.h"

#include "cchangefeed.h"
#include "csessions.h"
#include "cwebpages.h"

#include <httplib.h>

#include <QDateTime>
#include <QDebug>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QUrl>

#if defined(Q_OS_LINUX)
#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

// Timing and envelope code of the request the current worker is serving,
// for the one log line written after the answer.
thread_local QElapsedTimer t_timer;
thread_local int t_envelopeCode = 0;

#if defined(Q_OS_LINUX) && defined(TCP_QUICKACK)
// The port of a socket address, or -1 when it is not an internet address.
int portOf(const sockaddr_storage &addr)
{
    if (addr.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in &>(addr).sin_port);
    if (addr.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6 &>(addr).sin6_port);
    return -1;
}

// Whether fd is the connection the request came in on: the same two ports at both ends.
bool isConnectionOf(int fd, const httplib::Request &req)
{
    sockaddr_storage peer{};
    sockaddr_storage local{};
    socklen_t peerLength = sizeof peer;
    socklen_t localLength = sizeof local;
    return getpeername(fd, reinterpret_cast<sockaddr *>(&peer), &peerLength) == 0 &&
           getsockname(fd, reinterpret_cast<sockaddr *>(&local), &localLength) == 0 &&
           portOf(peer) == req.remote_port && portOf(local) == req.local_port;
}

// The socket of the connection a request came in on, or -1. A worker serves
// one connection at a time, so the socket found is kept for the requests
// that follow on the same connection.
int connectionSocket(const httplib::Request &req)
{
    thread_local int t_socket = -1;
    if (t_socket >= 0 && isConnectionOf(t_socket, req))
        return t_socket;
    t_socket = -1;
    if (DIR *dir = opendir("/proc/self/fd")) {
        while (const dirent *entry = readdir(dir)) {
            const int fd = atoi(entry->d_name);
            if (fd > 2 && fd != dirfd(dir) && isConnectionOf(fd, req)) {
                t_socket = fd;
                break;
            }
        }
        closedir(dir);
    }
    return t_socket;
}

// A client that writes the request head and its body in pieces (Qt does)
// holds each piece back until the one before is acknowledged, and Linux
// delays acknowledgements by 40 ms on a connection that has answered before:
// every POST would wait for it, once or more. Acknowledging at once when the
// head and each piece of the body have been read lets the rest follow.
void acknowledgeAtOnce(int fd)
{
    const int on = 1;
    if (fd >= 0)
        setsockopt(fd, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
}
#else
int connectionSocket(const httplib::Request &)
{
    return -1;
}

void acknowledgeAtOnce(int) {}
#endif

QString headerText(const httplib::Request &req, const char *name)
{
    return QString::fromLatin1(QByteArray::fromStdString(req.get_header_value(name))).trimmed();
}

// "host:port" as the client used it, reduced to characters a host may hold.
QString hostOf(const httplib::Request &req)
{
    QString host = headerText(req, "Host");
    for (const QChar ch : host) {
        if (!(ch.isLetterOrNumber() || ch == '.' || ch == ':' || ch == '-' || ch == '[' || ch == ']'))
            return QStringLiteral("127.0.0.1");
    }
    if (host.isEmpty())
        host = QString::fromStdString(req.local_addr) + QLatin1Char(':') + QString::number(req.local_port);
    return host;
}

QString envelopeText(int code, const QString &msg)
{
    QJsonObject o{{"code", code},
                  {"msg", msg},
                  {"server_time", QDateTime::currentSecsSinceEpoch()},
                  {"userdata", QString()},
                  {"content", QJsonObject()}};
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

} // namespace

CApiServer::CApiServer(const T_ServerOptions &options) : m_options(options)
{
    if (!options.certFile.isEmpty() && !options.keyFile.isEmpty())
        m_server = std::make_unique<httplib::SSLServer>(options.certFile.toLocal8Bit().constData(),
                                                        options.keyFile.toLocal8Bit().constData());
    else
        m_server = std::make_unique<httplib::Server>();
    const int threads = options.threads;
    m_server->new_task_queue = [threads] { return new httplib::ThreadPool(static_cast<size_t>(threads)); };
    m_server->set_payload_max_length(static_cast<size_t>(options.maxBody));
    m_server->set_keep_alive_max_count(10000);
    m_server->set_tcp_nodelay(true);
    installHooks();
    installRoutes();
}

CApiServer::~CApiServer() = default;

bool CApiServer::isValid() const
{
    return m_server && m_server->is_valid();
}

int CApiServer::bind()
{
    const std::string host = m_options.listen.toStdString();
    if (m_options.port == 0)
        return m_server->bind_to_any_port(host);
    return m_server->bind_to_port(host, m_options.port) ? m_options.port : -1;
}

bool CApiServer::serve()
{
    return m_server->listen_after_bind();
}

void CApiServer::stop()
{
    m_server->stop();
}

void CApiServer::installHooks()
{
    m_server->set_pre_routing_handler([](const httplib::Request &req, httplib::Response &) {
        t_timer.start();
        acknowledgeAtOnce(connectionSocket(req));
        t_envelopeCode = 0;
        return httplib::Server::HandlerResponse::Unhandled;
    });
    // Never the query or body: they may carry codes and passwords.
    m_server->set_logger([](const httplib::Request &req, const httplib::Response &res) {
        const qint64 micros = t_timer.isValid() ? t_timer.nsecsElapsed() / 1000 : 0;
        t_timer.invalidate();
        qInfo().noquote() << QString::fromStdString(req.method) << QString::fromStdString(req.path)
                          << res.status
                          << (t_envelopeCode ? QString::number(t_envelopeCode) : QStringLiteral("-"))
                          << QStringLiteral("%1 ms").arg(micros / 1000.0, 0, 'f', 2);
    });
    m_server->set_error_handler([](const httplib::Request &, httplib::Response &res) {
        if (!res.body.empty())
            return;
        QString msg = QStringLiteral("request refused");
        if (res.status == 404)
            msg = QStringLiteral("no such path");
        else if (res.status == 413)
            msg = QStringLiteral("the request body is larger than this server accepts");
        else if (res.status == 400)
            msg = QStringLiteral("malformed request");
        t_envelopeCode = res.status;
        res.set_content(envelopeText(res.status, msg).toStdString(), "application/json; charset=utf-8");
    });
    m_server->set_exception_handler([](const httplib::Request &, httplib::Response &res, std::exception_ptr) {
        res.status = 500;
        t_envelopeCode = Api_StoreFailure;
        res.set_content(envelopeText(Api_StoreFailure, QStringLiteral("internal error")).toStdString(),
                        "application/json; charset=utf-8");
    });
}

void CApiServer::installRoutes()
{
    for (const T_ApiRoute &route : apiRoutes()) {
        m_server->Get(route.path, [this, route](const httplib::Request &req, httplib::Response &res) {
            answer(route, req, std::string(), res);
        });
        // The body is read here rather than by the library, whose own reading
        // refuses form bodies beyond 8 KB; the overall size limit still holds.
        m_server->Post(route.path, [this, route](const httplib::Request &req, httplib::Response &res,
                                                 const httplib::ContentReader &reader) {
            std::string body;
            const int socket = connectionSocket(req);
            const bool read = reader([&body, socket](const char *data, size_t length) {
                acknowledgeAtOnce(socket);
                body.append(data, length);
                return true;
            });
            if (!read) {
                t_envelopeCode = Api_TooLarge;
                res.status = 413;
                res.set_content(
                    envelopeText(Api_TooLarge, QStringLiteral("the request body is larger than this "
                                                              "server accepts"))
                        .toStdString(),
                    "application/json; charset=utf-8");
                return;
            }
            answer(route, req, body, res);
        });
    }
    CWebPages::install(*m_server, m_options);
}

QHash<QString, QString> CApiServer::parseForm(const std::string &text)
{
    QHash<QString, QString> out;
    const QByteArray all = QByteArray::fromStdString(text);
    for (const QByteArray &pair : all.split('&')) {
        if (pair.isEmpty())
            continue;
        const int eq = pair.indexOf('=');
        const QByteArray key = eq < 0 ? pair : pair.left(eq);
        const QByteArray value = eq < 0 ? QByteArray() : pair.mid(eq + 1);
        out.insert(QString::fromUtf8(QByteArray::fromPercentEncoding(key)),
                   QString::fromUtf8(QByteArray::fromPercentEncoding(value)));
    }
    return out;
}

void CApiServer::fillCall(const httplib::Request &req, const std::string &body, T_ApiCall &call, bool https)
{
    const size_t q = req.target.find('?');
    if (q != std::string::npos)
        call.params = parseForm(req.target.substr(q + 1));
    const std::string type = req.get_header_value("Content-Type");
    if (!body.empty() && type.find("multipart") == std::string::npos) {
        const QHash<QString, QString> fields = parseForm(body);
        for (auto it = fields.constBegin(); it != fields.constEnd(); ++it)
            call.params.insert(it.key(), it.value());
    }
    call.token = headerText(req, "token");
    call.uniqueCode = headerText(req, "uniquecode");
    if (call.uniqueCode.isEmpty())
        call.uniqueCode = call.params.value(QStringLiteral("unique_code")).trimmed();
    if (call.uniqueCode.size() > 64)
        call.uniqueCode.truncate(64);
    call.userdataText = QString::fromLatin1(QByteArray::fromStdString(req.get_header_value("userdata")));
    call.userdata = T_UserData::parse(call.userdataText);
    call.baseUrl = (https ? QStringLiteral("https://") : QStringLiteral("http://")) + hostOf(req);
    call.now = QDateTime::currentSecsSinceEpoch();
}

void CApiServer::answer(const T_ApiRoute &route, const httplib::Request &req, const std::string &body,
                        httplib::Response &res)
{
    T_ApiCall call;
    fillCall(req, body, call, !m_options.certFile.isEmpty());
    if (!call.token.isEmpty())
        call.uid = CSessions::instance().authorOf(call.token);
    if (route.needsAuthor && call.uid < 1) {
        call.refuse(Api_SignInInvalid, QStringLiteral("please sign in again"));
    } else {
        if (call.uid > 0 && !CChangeFeed::instance().ensureClient(call.uid, call.uniqueCode, call.now))
            call.storeFailure();
        else
            route.handler(call);
    }
    writeEnvelope(call, res);
}

void CApiServer::writeEnvelope(const T_ApiCall &call, httplib::Response &res)
{
    QJsonObject o{{"code", call.code},
                  {"msg", call.msg},
                  {"server_time", QDateTime::currentSecsSinceEpoch()},
                  {"userdata", call.userdataText},
                  {"content", call.content}};
    t_envelopeCode = call.code;
    res.status = 200;
    res.set_content(QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString(),
                    "application/json; charset=utf-8");
}
