#include "cwebpages.h"

#include "capicall.h"
#include "capiserver.h"
#include "cimagestore.h"
#include "csessions.h"
#include "cstore.h"
#include "cwechat.h"

#include <httplib.h>
#include <qrencode.h>

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>

namespace {

constexpr int kBannerCount = 3;
constexpr int kMaxFeedback = 2000;

const char *const kHtml = "text/html; charset=utf-8";

const char *const kFeedbackPage = R"(<!DOCTYPE html>
<html lang="zh-CN"><head><meta charset="utf-8"><title>意见反馈</title>
<style>
body{margin:0;font:14px/1.6 "Noto Sans CJK SC",sans-serif;padding:32px 48px;transition:background .2s,color .2s}
body.light{background:#F7F8FA;color:#333333}body.dark{background:#1E2023;color:#E6E6E6}
h1{font-size:20px;margin:0 0 16px}
textarea,input{width:100%;box-sizing:border-box;border-radius:6px;padding:10px;font:inherit;margin-bottom:12px}
.light textarea,.light input{background:#FFFFFF;border:1px solid #DCDFE6;color:#333333}
.dark textarea,.dark input{background:#272B2F;border:1px solid #3A3F45;color:#E6E6E6}
textarea{height:180px;resize:vertical}
button{background:#3B82F6;color:#FFFFFF;border:0;border-radius:6px;padding:9px 28px;font:inherit;cursor:pointer}
button:disabled{opacity:.5;cursor:default}
#note{margin-left:12px}
</style></head>
<body class="light">
<h1>意见反馈</h1>
<textarea id="content" maxlength="2000" placeholder="请描述您遇到的问题或建议（最多2000字）"></textarea>
<input id="contact" maxlength="100" placeholder="联系方式（选填）">
<button id="send">提交</button><span id="note"></span>
<script>
var authorToken = '';
function getTheme(theme, token) {
  document.body.className = (Number(theme) === 2) ? 'dark' : 'light';
  authorToken = token || '';
}
function field(k, v) { return encodeURIComponent(k) + '=' + encodeURIComponent(v); }
document.getElementById('send').onclick = function () {
  var text = document.getElementById('content').value.trim();
  var note = document.getElementById('note');
  if (!text) { note.textContent = '请填写反馈内容'; return; }
  var button = this; button.disabled = true;
  fetch('/webView/feedback', {method: 'POST',
    headers: {'Content-Type': 'application/x-www-form-urlencoded', 'token': authorToken},
    body: field('content', text) + '&' + field('contact', document.getElementById('contact').value)})
  .then(function (r) { return r.json(); })
  .then(function (j) {
    note.textContent = j.code === 200 ? '感谢您的反馈！' : j.msg;
    if (j.code === 200) document.getElementById('content').value = '';
  })
  .catch(function () { note.textContent = '网络异常，请稍后再试'; })
  .finally(function () { button.disabled = false; });
};
</script></body></html>)";

const char *const kTextPage = R"(<!DOCTYPE html>
<html lang="zh-CN"><head><meta charset="utf-8"><title>%1</title>
<style>body{margin:0 auto;max-width:760px;padding:32px;font:15px/1.8 "Noto Sans CJK SC",sans-serif;color:#333}
h1{font-size:22px}h2{font-size:17px;margin-top:24px}</style></head><body><h1>%1</h1>%2</body></html>)";

const char *const kAgreement =
    "<p>欢迎使用 Quorvin 写作。注册即表示您同意本协议。</p>"
    "<h2>一、账号</h2><p>您应使用本人的手机号注册，并妥善保管密码。账号仅限本人使用。</p>"
    "<h2>二、作品</h2><p>您在本软件中创作的作品，其著作权归您所有。我们仅为同步与备份之目的保存作品内容。</p>"
    "<h2>三、使用规范</h2><p>您不得利用本软件创作、存储或传播违反法律法规的内容。</p>"
    "<h2>四、服务变更</h2><p>我们可能调整服务内容，并会在软件内提前告知。</p>";

const char *const kPrivacy =
    "<p>我们重视您的隐私。本政策说明我们收集哪些信息以及如何使用。</p>"
    "<h2>一、收集的信息</"
    "h2><p>手机号（用于登录与找回密码）、昵称、头像，以及您的书籍、章节、便签和写作统计。</p>"
    "<h2>二、使用方式</h2><p>这些信息仅用于在您的设备之间同步数据，不会出售给任何第三方。</p>"
    "<h2>三、安全</h2><p>密码只以不可逆的摘要形式保存；登录凭证以随机令牌发放并仅保存其摘要。</p>"
    "<h2>四、删除</h2><p>您可以随时删除书籍与便签，删除后将从服务器移除。</p>";

const char *const kWxPage = R"(<!DOCTYPE html>
<html lang="zh-CN"><head><meta charset="utf-8"><title>微信扫码</title>
<style>body{margin:0;font:14px/1.6 "Noto Sans CJK SC",sans-serif;text-align:center;padding:18px;color:#333}
svg{width:180px;height:180px}select,button{font:inherit;padding:6px 14px;margin:6px}
button{background:#07C160;color:#fff;border:0;border-radius:4px;cursor:pointer}</style></head>
<body><div>%1</div><p>%2</p>%3<div><button id="ok">%4</button></div><p id="note"></p>
<script>
document.getElementById('ok').onclick = function () {
  var pick = document.getElementById('who');
  var body = 's=' + encodeURIComponent('%5') + (pick ? '&uid=' + encodeURIComponent(pick.value) : '');
  fetch('/wx/confirm', {method: 'POST', headers: {'Content-Type': 'application/x-www-form-urlencoded'}, body: body})
    .then(function (r) { return r.json(); })
    .then(function (j) { document.getElementById('note').textContent = j.code === 200 ? '已确认，请返回程序' : j.msg; });
};
</script></body></html>)";

QString escapeHtml(const QString &text)
{
    return text.toHtmlEscaped();
}

QString qrSvg(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    QRcode *code = QRcode_encodeString(utf8.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1);
    if (!code)
        return QString();
    const int w = code->width;
    QString svg = QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"-2 -2 %1 %1\">"
                                 "<rect x=\"-2\" y=\"-2\" width=\"%1\" height=\"%1\" fill=\"#fff\"/>")
                      .arg(w + 4);
    for (int y = 0; y < w; ++y) {
        for (int x = 0; x < w; ++x) {
            if (code->data[y * w + x] & 1)
                svg += QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"1\" height=\"1\"/>").arg(x).arg(y);
        }
    }
    QRcode_free(code);
    return svg + QStringLiteral("</svg>");
}

// A soft two-colour gradient with a few light bands, one palette per
// banner; drawn pixel by pixel so no display is needed.
QByteArray bannerPng(int index)
{
    static QMutex lock;
    static QHash<int, QByteArray> cache;
    QMutexLocker guard(&lock);
    if (cache.contains(index))
        return cache.value(index);
    const QColor palettes[kBannerCount][2] = {
        {QColor(0x3B, 0x82, 0xF6), QColor(0x8B, 0x5C, 0xF6)},
        {QColor(0x10, 0xB9, 0x81), QColor(0x06, 0x6F, 0xA8)},
        {QColor(0xF5, 0x9E, 0x0B), QColor(0xEF, 0x44, 0x44)},
    };
    const QColor a = palettes[index][0], b = palettes[index][1];
    QImage img(547, 416, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const double t = (x + y) / double(img.width() + img.height());
            const bool band = ((x - y * 2 + 4000) / 60) % 5 == 0;
            const double lift = band ? 0.12 : 0.0;
            auto mix = [&](int ca, int cb) { return qBound(0, int(ca + (cb - ca) * t + 255 * lift), 255); };
            line[x] = qRgb(mix(a.red(), b.red()), mix(a.green(), b.green()), mix(a.blue(), b.blue()));
        }
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "PNG");
    cache.insert(index, png);
    return png;
}

void sendEnvelope(httplib::Response &res, int code, const QString &msg)
{
    const QJsonObject o{{"code", code},
                        {"msg", msg},
                        {"server_time", QDateTime::currentSecsSinceEpoch()},
                        {"userdata", QString()},
                        {"content", QJsonObject()}};
    res.set_content(QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString(),
                    "application/json; charset=utf-8");
}

QString sessionOf(const httplib::Request &req)
{
    return QString::fromStdString(req.get_param_value("s"));
}

// The dev page lets the tester pick which account "scanned" the code.
QString accountChoice()
{
    bool ok = false;
    QSqlQuery q =
        CStore::run(QStringLiteral("select uid, author_name, coalesce(phone, '') from authors order by uid "
                                   "limit 200"),
                    {}, &ok);
    QString options = QStringLiteral("<option value=\"0\">新的微信账号（未绑定手机）</option>");
    while (ok && q.next()) {
        const QString phone = q.value(2).toString();
        const QString shown = phone.size() == 11 ? phone.left(3) + QStringLiteral("****") + phone.right(4)
                                                 : QStringLiteral("未绑定手机");
        options += QStringLiteral("<option value=\"%1\">%2（%3）</option>")
                       .arg(q.value(0).toLongLong())
                       .arg(escapeHtml(q.value(1).toString()), shown);
    }
    return QStringLiteral("<select id=\"who\">%1</select>").arg(options);
}

void wxPage(const httplib::Request &req, httplib::Response &res, bool bind)
{
    const QString id = sessionOf(req);
    T_WxSession s;
    if (!CWeChat::isNonce(id) || !CWeChat::instance().find(id, s) || s.bind != bind) {
        res.status = 404;
        res.set_content(
            QString::fromUtf8(kTextPage).arg(QStringLiteral("二维码已失效"), QString()).toStdString(), kHtml);
        return;
    }
    const QString page = QString::fromUtf8(kWxPage).arg(
        qrSvg(id), bind ? QStringLiteral("使用微信扫码绑定账号") : QStringLiteral("使用微信扫码登录"),
        bind ? QString() : accountChoice(), bind ? QStringLiteral("确认绑定") : QStringLiteral("确认登录"),
        id);
    res.set_content(page.toStdString(), kHtml);
}

void serveFile(const httplib::Request &req, httplib::Response &res, const QString &folder)
{
    const QString file = CImageStore::fileFor(folder, QString::fromStdString(req.matches[1]));
    QFile f(file);
    if (file.isEmpty() || !f.open(QIODevice::ReadOnly)) {
        res.status = 404;
        return;
    }
    const QString suffix = file.section(QLatin1Char('.'), -1);
    const std::string type = suffix == QLatin1String("jpg") ? "image/jpeg" : "image/" + suffix.toStdString();
    res.set_content(f.readAll().toStdString(), type);
}

void feedback(const httplib::Request &req, httplib::Response &res)
{
    const qint64 uid = CSessions::instance().authorOf(QString::fromStdString(req.get_header_value("token")));
    if (uid < 1)
        return sendEnvelope(res, Api_SignInInvalid, QStringLiteral("请重新登录后再提交"));
    const QHash<QString, QString> form = CApiServer::parseForm(req.body);
    const QString content = form.value(QStringLiteral("content")).trimmed();
    const QString contact = form.value(QStringLiteral("contact")).trimmed().left(100);
    if (content.isEmpty() || content.size() > kMaxFeedback)
        return sendEnvelope(res, Api_BadRequest, QStringLiteral("反馈内容应为1到2000字"));
    CWriteTx tx;
    bool ok = false;
    CStore::run(QStringLiteral("insert into feedback(uid, content, contact, create_time) values(?, ?, ?, ?)"),
                {uid, content, contact, QDateTime::currentSecsSinceEpoch()}, &ok);
    if (!ok || !tx.commit())
        return sendEnvelope(res, Api_StoreFailure, QStringLiteral("提交失败，请稍后再试"));
    sendEnvelope(res, Api_Ok, QStringLiteral("success"));
}

void wxConfirm(const httplib::Request &req, httplib::Response &res)
{
    const QHash<QString, QString> form = CApiServer::parseForm(req.body);
    const QString id = form.value(QStringLiteral("s"));
    bool isNumber = false;
    const qint64 uid = form.value(QStringLiteral("uid"), QStringLiteral("0")).toLongLong(&isNumber);
    if (!CWeChat::isNonce(id) || !isNumber)
        return sendEnvelope(res, Api_BadRequest, QStringLiteral("无效的请求"));
    QString msg = QStringLiteral("success");
    const int code = CWeChat::instance().confirm(id, uid, QDateTime::currentSecsSinceEpoch(), msg);
    sendEnvelope(res, code, msg);
}

} // namespace

namespace CWebPages {

QJsonArray bannerList(const QString &baseUrl)
{
    const char *const texts[kBannerCount] = {"每天写一点，故事就会长大", "多台电脑，进度随时同步",
                                             "时光机：每一版都找得回来"};
    QJsonArray out;
    for (int i = 0; i < kBannerCount; ++i)
        out.append(QJsonObject{{"content", QString::fromUtf8(texts[i])},
                               {"pic_url", baseUrl + QStringLiteral("/static/banner/%1.png").arg(i + 1)},
                               {"link_url", baseUrl + QStringLiteral("/agreement.html")}});
    return out;
}

void install(httplib::Server &server, const T_ServerOptions &options)
{
    server.Get("/webView/feedback.html", [](const httplib::Request &, httplib::Response &res) {
        res.set_content(kFeedbackPage, kHtml);
    });
    server.Post("/webView/feedback", feedback);
    server.Get("/agreement.html", [](const httplib::Request &, httplib::Response &res) {
        res.set_content(QString::fromUtf8(kTextPage)
                            .arg(QStringLiteral("用户协议"), QString::fromUtf8(kAgreement))
                            .toStdString(),
                        kHtml);
    });
    server.Get("/privacy.html", [](const httplib::Request &, httplib::Response &res) {
        res.set_content(QString::fromUtf8(kTextPage)
                            .arg(QStringLiteral("隐私政策"), QString::fromUtf8(kPrivacy))
                            .toStdString(),
                        kHtml);
    });
    server.Get(R"(/static/banner/([1-9])\.png)", [](const httplib::Request &req, httplib::Response &res) {
        const int index = std::stoi(req.matches[1]) - 1;
        if (index >= kBannerCount) {
            res.status = 404;
            return;
        }
        res.set_content(bannerPng(index).toStdString(), "image/png");
    });
    server.Get(R"(/static/img/([0-9a-z.]+))", [](const httplib::Request &req, httplib::Response &res) {
        serveFile(req, res, QStringLiteral("img"));
    });
    server.Get(R"(/static/cover/([0-9a-z.]+))", [](const httplib::Request &req, httplib::Response &res) {
        serveFile(req, res, QStringLiteral("cover"));
    });
    if (!options.dev)
        return;
    server.Get("/wx/login",
               [](const httplib::Request &req, httplib::Response &res) { wxPage(req, res, false); });
    server.Get("/wx/bind",
               [](const httplib::Request &req, httplib::Response &res) { wxPage(req, res, true); });
    server.Post("/wx/confirm", wxConfirm);
}

} // namespace CWebPages
