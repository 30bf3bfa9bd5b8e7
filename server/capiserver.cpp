#include "capiserver.h"

#include "cchangefeed.h"
#include "chttpfront.h"
#include "csessions.h"
#include "cwebpages.h"

#include <httplib.h>

#include <QDateTime>
#include <QDebug>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QTextCodec>
#include <QUrl>

#if defined(Q_OS_LINUX)
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

namespace {

// Timing and envelope code of the request the current worker is serving,
// for the one log line written after the answer.
thread_local QElapsedTimer t_timer;
thread_local int t_envelopeCode = 0;

#if defined(Q_OS_LINUX) && defined(TCP_QUICKACK)
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
    T_ConnectionLimits limits;
    limits.headSeconds = options.requestTimeout;
    limits.bodySeconds = options.requestTimeout;
    limits.idleSeconds = options.idleTimeout;
    limits.perAddress = options.maxPerAddress;
    limits.maxBody = options.maxBody;
    m_server = std::make_unique<CHttpFront>(options.threads, limits, options.certFile, options.keyFile);
    m_server->set_payload_max_length(static_cast<size_t>(options.maxBody));
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

namespace {

void answerWith(httplib::Response &res, int status, int code, const QString &msg)
{
    t_envelopeCode = code;
    res.status = status;
    res.set_content(envelopeText(code, msg).toStdString(), "application/json; charset=utf-8");
}

bool hasBody(const httplib::Request &req)
{
    return req.get_header_value<uint64_t>("Content-Length") > 0 || req.has_header("Transfer-Encoding");
}

} // namespace

void CApiServer::installHooks()
{
    for (const T_ApiRoute &route : apiRoutes())
        m_routes.emplace(route.path, route);
    // Writes take POST only: a GET or HEAD that reached them would change
    // data. Reads take GET (and HEAD) and POST.
    m_server->set_pre_routing_handler([this](const httplib::Request &req, httplib::Response &res) {
        t_timer.start();
        acknowledgeAtOnce(CHttpFront::currentSocket());
        t_envelopeCode = 0;
        const auto found = m_routes.find(req.path);
        if (found == m_routes.end())
            return httplib::Server::HandlerResponse::Unhandled;
        const T_ApiRoute *route = &found->second;
        const bool allowed =
            req.method == "POST" || (!route->writes && (req.method == "GET" || req.method == "HEAD"));
        if (allowed)
            return httplib::Server::HandlerResponse::Unhandled;
        res.set_header("Allow", route->writes ? "POST" : "GET, HEAD, POST");
        answerWith(res, 405, 405,
                   QStringLiteral("this path does not take %1").arg(QString::fromStdString(req.method)));
        if (hasBody(req))
            CHttpFront::closeAfterAnswer(res);
        return httplib::Server::HandlerResponse::Handled;
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
        answerWith(res, 500, Api_StoreFailure, QStringLiteral("internal error"));
    });
}

void CApiServer::installRoutes()
{
    for (const T_ApiRoute &route : apiRoutes()) {
        if (!route.writes)
            m_server->Get(route.path, [this, route](const httplib::Request &req, httplib::Response &res) {
                answer(route, req, std::string(), res);
            });
        // The body is read here rather than by the library, whose own reading
        // refuses form bodies beyond 8 KB; the overall size limit still holds.
        m_server->Post(route.path, [this, route](const httplib::Request &req, httplib::Response &res,
                                                 const httplib::ContentReader &reader) {
            readAndAnswer(route, req, reader, res);
        });
    }
    CWebPages::install(*m_server, m_options);
}

// A body is read only for a request that may be answered: a form, within
// the size limit, with a valid token where the path needs one. Whatever is
// refused before its body is read closes the connection after the answer.
void CApiServer::readAndAnswer(const T_ApiRoute &route, const httplib::Request &req,
                               const httplib::ContentReader &reader, httplib::Response &res)
{
    const qint64 limit = m_options.maxBody;
    if (req.is_multipart_form_data()) {
        CHttpFront::closeAfterAnswer(res);
        return answerWith(res, 400, Api_BadRequest,
                          QStringLiteral("send the fields as a form, not as multipart"));
    }
    if (req.get_header_value<uint64_t>("Content-Length") > static_cast<quint64>(limit)) {
        CHttpFront::closeAfterAnswer(res);
        return answerWith(res, 413, Api_TooLarge,
                          QStringLiteral("the request body is larger than this server accepts"));
    }
    if (route.needsAuthor && CSessions::instance().authorOf(headerText(req, "token")) < 1) {
        if (hasBody(req))
            CHttpFront::closeAfterAnswer(res);
        return answer(route, req, std::string(), res);
    }
    std::string body;
    bool tooLarge = false;
    const int socket = CHttpFront::currentSocket();
    const bool read = reader([&body, &tooLarge, socket, limit](const char *data, size_t length) {
        acknowledgeAtOnce(socket);
        if (static_cast<qint64>(body.size() + length) > limit) {
            tooLarge = true;
            return false;
        }
        body.append(data, length);
        return true;
    });
    if (!read || tooLarge) {
        CHttpFront::closeAfterAnswer(res);
        if (tooLarge || res.status == 413)
            return answerWith(res, 413, Api_TooLarge,
                              QStringLiteral("the request body is larger than this server accepts"));
        return answerWith(res, 400, Api_BadRequest, QStringLiteral("the request body could not be read"));
    }
    answer(route, req, body, res);
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

namespace {

// Percent-decodes one key or value; false for a broken escape, bytes that
// are not UTF-8, or a NUL character.
bool decodeFormText(const QByteArray &raw, QString &out)
{
    QByteArray bytes;
    bytes.reserve(raw.size());
    for (int i = 0; i < raw.size(); ++i) {
        if (raw.at(i) != '%') {
            bytes += raw.at(i);
            continue;
        }
        bool ok = false;
        const int value = i + 2 < raw.size() ? raw.mid(i + 1, 2).toInt(&ok, 16) : 0;
        if (!ok || !isxdigit(static_cast<unsigned char>(raw.at(i + 1))) ||
            !isxdigit(static_cast<unsigned char>(raw.at(i + 2))))
            return false;
        bytes += static_cast<char>(value);
        i += 2;
    }
    if (bytes.contains('\0'))
        return false;
    QTextCodec::ConverterState state;
    out = QTextCodec::codecForMib(106)->toUnicode(bytes.constData(), bytes.size(), &state);
    return state.invalidChars == 0 && state.remainingChars == 0;
}

} // namespace

bool CApiServer::parseFormStrict(const std::string &text, QHash<QString, QString> &out)
{
    const QByteArray all = QByteArray::fromStdString(text);
    for (const QByteArray &pair : all.split('&')) {
        if (pair.isEmpty())
            continue;
        const int eq = pair.indexOf('=');
        QString key, value;
        if (!decodeFormText(eq < 0 ? pair : pair.left(eq), key) ||
            !decodeFormText(eq < 0 ? QByteArray() : pair.mid(eq + 1), value))
            return false;
        out.insert(key, value);
    }
    return true;
}

QString CApiServer::baseUrlOf(const httplib::Request &req, bool https)
{
    return (https ? QStringLiteral("https://") : QStringLiteral("http://")) + hostOf(req);
}

bool CApiServer::fillCall(const httplib::Request &req, const std::string &body, T_ApiCall &call, bool https)
{
    bool wellFormed = true;
    const size_t q = req.target.find('?');
    if (q != std::string::npos)
        wellFormed = parseFormStrict(req.target.substr(q + 1), call.params);
    const std::string type = req.get_header_value("Content-Type");
    if (!body.empty() && type.find("multipart") == std::string::npos) {
        QHash<QString, QString> fields;
        wellFormed = parseFormStrict(body, fields) && wellFormed;
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
    call.baseUrl = baseUrlOf(req, https);
    call.now = QDateTime::currentSecsSinceEpoch();
    call.address = QString::fromStdString(req.remote_addr);
    return wellFormed;
}

void CApiServer::answer(const T_ApiRoute &route, const httplib::Request &req, const std::string &body,
                        httplib::Response &res)
{
    T_ApiCall call;
    const bool wellFormed = fillCall(req, body, call, !m_options.certFile.isEmpty());
    if (!call.token.isEmpty())
        call.uid = CSessions::instance().authorOf(call.token);
    if (route.needsAuthor && call.uid < 1) {
        call.refuse(Api_SignInInvalid, QStringLiteral("please sign in again"));
    } else if (!wellFormed) {
        // Stored as sent or not at all: a field that cannot be read exactly
        // is never guessed at.
        call.refuse(Api_BadRequest, QStringLiteral("a field holds a broken %-escape, text that is not UTF-8, "
                                                   "or a NUL character"));
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
