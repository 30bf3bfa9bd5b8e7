#include "capiserver.h"

#include "cchangefeed.h"
#include "cformfields.h"
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

#include <atomic>
#include <malloc.h>

namespace {

// Timing and envelope code of the request the current worker is serving,
// for the one log line written after the answer.
thread_local QElapsedTimer t_timer;
thread_local int t_envelopeCode = 0;

QString headerText(const httplib::Request &req, const char *name)
{
    return QString::fromLatin1(QByteArray::fromStdString(req.get_header_value(name))).trimmed();
}

// The base of every address the server hands out (images, banners, the
// WeChat page): the configured public address, never a request's Host.
QString g_publicUrl;

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
    // Blocks of a megabyte and more come straight from the system and go
    // back to it when freed (the adaptive threshold would keep them).
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    T_ConnectionLimits limits;
    limits.headSeconds = options.requestTimeout;
    limits.bodySeconds = options.requestTimeout;
    limits.idleSeconds = options.idleTimeout;
    limits.perAddress = options.maxPerAddress;
    limits.maxBody = options.maxBody;
    limits.bodyMemory = options.bodyMemory;
    m_server = std::make_unique<CHttpFront>(options.threads, limits, options.certFile, options.keyFile);
    m_server->set_payload_max_length(static_cast<size_t>(options.maxBody));
    m_server->set_tcp_nodelay(true);
    m_server->setBodyFilter([this](const T_RequestHead &head) { return bodyWanted(head); });
    installHooks();
    installRoutes();
}

// Whether the reader should take in a request's body: only a POST that a
// handler will read, and for a path that needs an author only with a valid
// token. Anything else is answered from its head.
bool CApiServer::bodyWanted(const T_RequestHead &head) const
{
    if (head.method != "POST")
        return false;
    const std::string path = head.target.substr(0, head.target.find('?'));
    const auto header = [&head](const char *name) {
        const auto it = head.headers.find(name);
        return it == head.headers.end()
                   ? QString()
                   : QString::fromLatin1(QByteArray::fromStdString(it->second)).trimmed();
    };
    const auto found = m_routes.find(path);
    if (found != m_routes.end())
        return !found->second.needsAuthor || CSessions::instance().peekAuthorOf(header("token")) > 0;
    if (!CWebPages::takesPost(path) || header("Content-Length").toLongLong() > CWebPages::postLimit())
        return false;
    return !CWebPages::postNeedsAuthor(path) || CSessions::instance().peekAuthorOf(header("token")) > 0;
}

CApiServer::~CApiServer() = default;

bool CApiServer::isValid() const
{
    return m_server && m_server->is_valid();
}

int CApiServer::bind()
{
    const std::string host = m_options.listen.toStdString();
    const int port = m_options.port == 0
                         ? m_server->bind_to_any_port(host)
                         : (m_server->bind_to_port(host, m_options.port) ? m_options.port : -1);
    if (port <= 0 || !m_server->setBacklog(m_options.backlog))
        return -1;
    g_publicUrl = publicUrlFor(m_options, port);
    return port;
}

QString CApiServer::publicUrlFor(const T_ServerOptions &options, int port)
{
    if (!options.publicUrl.isEmpty())
        return options.publicUrl;
    QString host = options.listen;
    if (host == QLatin1String("0.0.0.0") || host == QLatin1String("::") || host.isEmpty())
        host = QStringLiteral("127.0.0.1");
    else if (host.contains(QLatin1Char(':')))
        host = QLatin1Char('[') + host + QLatin1Char(']');
    return (options.certFile.isEmpty() ? QStringLiteral("http://") : QStringLiteral("https://")) + host +
           QLatin1Char(':') + QString::number(port);
}

QString CApiServer::publicUrl()
{
    return g_publicUrl;
}

bool CApiServer::serve()
{
    return m_server->serve();
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

// A request whose length is told two ways, or by a coding we do not read,
// could be framed differently by a proxy in front of us: its body might be
// taken for the next request. Such requests are refused and the connection
// closed.
bool framedAmbiguously(const httplib::Request &req)
{
    if (!req.has_header("Transfer-Encoding"))
        return req.get_header_value_count("Content-Length") > 1;
    return req.has_header("Content-Length") || req.get_header_value_count("Transfer-Encoding") > 1 ||
           QByteArray::fromStdString(req.get_header_value("Transfer-Encoding")).trimmed().toLower() !=
               "chunked";
}

} // namespace

void CApiServer::installHooks()
{
    for (const T_ApiRoute &route : apiRoutes())
        m_routes.emplace(route.path, route);
    // Writes take POST only: a GET or HEAD that reached them would change
    // data. Reads take GET (and HEAD) and POST. A body that no handler reads
    // (that of a GET, or of a request refused here) is never read as the
    // next request: the connection closes after the answer.
    m_server->set_pre_routing_handler([this](const httplib::Request &req, httplib::Response &res) {
        t_timer.start();
        t_envelopeCode = 0;
        if (framedAmbiguously(req)) {
            CHttpFront::closeAfterAnswer(res);
            answerWith(res, 400, Api_BadRequest, QStringLiteral("请求格式错误：请求长度不明确"));
            return httplib::Server::HandlerResponse::Handled;
        }
        if (req.method != "POST" && hasBody(req))
            CHttpFront::closeAfterAnswer(res);
        const auto found = m_routes.find(req.path);
        if (found == m_routes.end()) {
            if (req.method == "POST" && !CWebPages::takesPost(req.path)) {
                // Not read at all: the library would read it whole first.
                if (hasBody(req))
                    CHttpFront::closeAfterAnswer(res);
                answerWith(res, 404, 404, QStringLiteral("请求的地址不存在"));
                return httplib::Server::HandlerResponse::Handled;
            }
            return httplib::Server::HandlerResponse::Unhandled;
        }
        const T_ApiRoute *route = &found->second;
        const bool allowed =
            req.method == "POST" || (!route->writes && (req.method == "GET" || req.method == "HEAD"));
        if (allowed)
            return httplib::Server::HandlerResponse::Unhandled;
        res.set_header("Allow", route->writes ? "POST" : "GET, HEAD, POST");
        answerWith(res, 405, 405,
                   QStringLiteral("此地址不接受%1请求").arg(QString::fromStdString(req.method)));
        if (hasBody(req))
            CHttpFront::closeAfterAnswer(res);
        return httplib::Server::HandlerResponse::Handled;
    });
    // No browser guesses another type for what we serve (an uploaded image
    // that holds a page, for one).
    m_server->set_post_routing_handler([](const httplib::Request &, httplib::Response &res) {
        CHttpFront::tidyConnectionHeader(res);
        res.set_header("X-Content-Type-Options", "nosniff");
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
        QString msg = QStringLiteral("请求被拒绝");
        if (res.status == 404)
            msg = QStringLiteral("请求的地址不存在");
        else if (res.status == 413)
            msg = QStringLiteral("请求内容过大，服务器无法接收");
        else if (res.status == 400)
            msg = QStringLiteral("请求格式错误");
        t_envelopeCode = res.status;
        res.set_content(envelopeText(res.status, msg).toStdString(), "application/json; charset=utf-8");
    });
    m_server->set_exception_handler([](const httplib::Request &, httplib::Response &res, std::exception_ptr) {
        answerWith(res, 500, Api_StoreFailure, QStringLiteral("服务器内部错误，请稍后再试"));
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
        return answerWith(res, 400, Api_BadRequest, QStringLiteral("请求格式错误：请以表单方式提交"));
    }
    if (req.get_header_value<uint64_t>("Content-Length") > static_cast<quint64>(limit)) {
        CHttpFront::closeAfterAnswer(res);
        return answerWith(res, 413, Api_TooLarge, QStringLiteral("请求内容过大，服务器无法接收"));
    }
    if (route.needsAuthor && CSessions::instance().authorOf(headerText(req, "token")) < 1) {
        if (hasBody(req))
            CHttpFront::closeAfterAnswer(res);
        return answer(route, req, std::string(), res);
    }
    std::string body;
    body.reserve(static_cast<size_t>(qMin<qint64>(req.get_header_value<uint64_t>("Content-Length"), limit)));
    bool tooLarge = false;
    const bool read = reader([&body, &tooLarge, limit](const char *data, size_t length) {
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
            return answerWith(res, 413, Api_TooLarge, QStringLiteral("请求内容过大，服务器无法接收"));
        return answerWith(res, 400, Api_BadRequest, QStringLiteral("请求内容未能完整接收，请重试"));
    }
    answer(route, req, body, res);
}

QHash<QString, QString> CApiServer::parseForm(const std::string &text)
{
    QHash<QString, QString> out;
    CFormFields::parseLenient(text.data(), text.size(), out);
    return out;
}

CFormFields::Result CApiServer::fillCall(const httplib::Request &req, const std::string &body,
                                         T_ApiCall &call)
{
    CFormFields::Result read = CFormFields::Form_Ok;
    const size_t q = req.target.find('?');
    if (q != std::string::npos)
        read = CFormFields::parse(req.target.data() + q + 1, req.target.size() - q - 1, call.params);
    const std::string type = req.get_header_value("Content-Type");
    if (read == CFormFields::Form_Ok && !body.empty() && type.find("multipart") == std::string::npos)
        read = CFormFields::parse(body.data(), body.size(), call.params);
    call.token = headerText(req, "token");
    call.uniqueCode = headerText(req, "uniquecode");
    if (call.uniqueCode.isEmpty())
        call.uniqueCode = call.params.value(QStringLiteral("unique_code")).trimmed();
    if (call.uniqueCode.size() > 64)
        call.uniqueCode.truncate(64);
    call.userdataText = QString::fromLatin1(QByteArray::fromStdString(req.get_header_value("userdata")));
    call.userdata = T_UserData::parse(call.userdataText);
    call.baseUrl = g_publicUrl;
    call.now = QDateTime::currentSecsSinceEpoch();
    call.address = QString::fromStdString(req.remote_addr);
    return read;
}

void CApiServer::answer(const T_ApiRoute &route, const httplib::Request &req, const std::string &body,
                        httplib::Response &res)
{
    T_ApiCall call;
    const CFormFields::Result read = fillCall(req, body, call);
    if (!call.token.isEmpty())
        call.uid = CSessions::instance().authorOf(call.token);
    if (route.needsAuthor && call.uid < 1) {
        call.refuse(Api_SignInInvalid, QStringLiteral("登录已失效，请重新登录"));
    } else if (read == CFormFields::Form_TooMany) {
        call.refuse(Api_BadRequest, QStringLiteral("请求的字段过多"));
    } else if (read != CFormFields::Form_Ok) {
        // Stored as sent or not at all: a field that cannot be read exactly
        // is never guessed at.
        call.refuse(Api_BadRequest, QStringLiteral("请求内容含有无法识别的字符"));
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
