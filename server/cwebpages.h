#pragma once

#include "cserveroptions.h"

#include <QJsonArray>
#include <QString>

namespace httplib {
class Server;
}

// The pages the client shows from this server: feedback (with
// getTheme(theme, token)), agreement, privacy, banner images, stored
// images and the development WeChat QR pages.
namespace CWebPages {

void install(httplib::Server &server, const T_ServerOptions &options);
// [{"content", "pic_url", "link_url"}, ...]
QJsonArray bannerList(const QString &baseUrl);

} // namespace CWebPages
