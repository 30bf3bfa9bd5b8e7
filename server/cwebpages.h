#pragma once

#include "cserveroptions.h"

#include <QJsonArray>
#include <QString>

#include <string>

namespace httplib {
class Server;
}

// The pages the client shows from this server: feedback (with
// getTheme(theme, token)), agreement, privacy, banner images, stored
// images and the development WeChat QR pages.
namespace CWebPages {

void install(httplib::Server &server, const T_ServerOptions &options);
// Whether one of these pages takes a POST at `path`.
bool takesPost(const std::string &path);
// The largest body such a POST may have; whether it needs a signed-in author.
qint64 postLimit();
bool postNeedsAuthor(const std::string &path);
// [{"content", "pic_url", "link_url"}, ...]
QJsonArray bannerList(const QString &baseUrl);

} // namespace CWebPages
