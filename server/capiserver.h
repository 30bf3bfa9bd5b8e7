#pragma once

#include "capicall.h"
#include "capiroutes.h"
#include "cserveroptions.h"

#include <QHash>

#include <map>
#include <memory>
#include <string>

class CHttpFront;

namespace httplib {
class ContentReader;
struct Request;
struct Response;
} // namespace httplib

// The HTTP front: routes the catalogue and the pages, reads the form
// fields, checks the token, answers the JSON envelope and logs one line per
// request.
class CApiServer
{
public:
    explicit CApiServer(const T_ServerOptions &options);
    ~CApiServer();

    bool isValid() const;
    // Binds; returns the port, or -1.
    int bind();
    // Serves until stop() is called.
    bool serve();
    void stop();

    // Form or query text "a=1&b=2" into fields, percent-decoded ("+" stays).
    static QHash<QString, QString> parseForm(const std::string &text);
    // The same, refusing (false) broken escapes, text that is not UTF-8 and
    // NUL characters.
    static bool parseFormStrict(const std::string &text, QHash<QString, QString> &out);
    // "http://host:port" (or https) as the client addressed this server.
    static QString baseUrlOf(const httplib::Request &req, bool https);

private:
    void installRoutes();
    void installHooks();
    void readAndAnswer(const T_ApiRoute &route, const httplib::Request &req,
                       const httplib::ContentReader &reader, httplib::Response &res);
    void answer(const T_ApiRoute &route, const httplib::Request &req, const std::string &body,
                httplib::Response &res);
    // False when a field could not be read exactly.
    static bool fillCall(const httplib::Request &req, const std::string &body, T_ApiCall &call, bool https);
    static void writeEnvelope(const T_ApiCall &call, httplib::Response &res);

    T_ServerOptions m_options;
    std::unique_ptr<CHttpFront> m_server;
    std::map<std::string, T_ApiRoute> m_routes;
};
