#pragma once

#include "capicall.h"
#include "capiroutes.h"
#include "cformfields.h"
#include "cserveroptions.h"

#include <QHash>

#include <map>
#include <memory>
#include <string>

class CHttpFront;
struct T_RequestHead;

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

    // Form or query text "a=1&b=2" into fields, percent-decoded ("+" stays);
    // nothing for a text with more fields than any request sends.
    static QHash<QString, QString> parseForm(const std::string &text);

    // The address clients reach this server at, as handed out in answers:
    // --public-url, else the listening address and port.
    static QString publicUrl();
    static QString publicUrlFor(const T_ServerOptions &options, int port);

private:
    void installRoutes();
    bool bodyWanted(const T_RequestHead &head) const;
    void installHooks();
    void readAndAnswer(const T_ApiRoute &route, const httplib::Request &req,
                       const httplib::ContentReader &reader, httplib::Response &res);
    void answer(const T_ApiRoute &route, const httplib::Request &req, const std::string &body,
                httplib::Response &res);
    static CFormFields::Result fillCall(const httplib::Request &req, const std::string &body,
                                        T_ApiCall &call);
    static void writeEnvelope(const T_ApiCall &call, httplib::Response &res);

    T_ServerOptions m_options;
    std::unique_ptr<CHttpFront> m_server;
    std::map<std::string, T_ApiRoute> m_routes;
};
