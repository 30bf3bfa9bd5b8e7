#include "cwebpages.h"

#include "capicall.h"
#include "capiserver.h"
#include "chttpfront.h"
#include "cimagestore.h"
#include "csessions.h"
#include "csmscodes.h"
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

const char *const kWxStyle = R"(<style>
body{margin:0;font:13px/1.5 "Noto Sans CJK SC",sans-serif;text-align:center;padding:4px 12px;color:#333;background:#fff}
svg{width:128px;height:128px}input{font:inherit;padding:5px 8px;margin:3px;border:1px solid #DCDFE6;border-radius:4px;width:150px}
button{font:inherit;padding:5px 12px;margin:3px;border:0;border-radius:4px;cursor:pointer;background:#07C160;color:#fff}
button.plain{background:#fff;color:#07C160;border:1px solid #07C160}h1{font-size:15px;margin:4px 0}
p{margin:2px 0}#note{color:#E5484D;min-height:18px}
html.dark body{color:#E6E8EC;background:#24272C}html.dark input{color:#E6E8EC;background:#2C3036;border-color:#34383F}
html.dark button.plain{background:#24272C}html.dark #note{color:#FF6B6B}</style>
<script>if (/[?&]theme=2(&|$)/.test(location.search)) document.documentElement.className = 'dark';</script>)";

// The login page: the "phone" side of a scan. Confirming as an existing
// account needs that account's phone number and an SMS code sent to it;
// a new WeChat account needs nothing and binds a phone in the program.
const char *const kWxLoginPage = R"(<!DOCTYPE html>
<html lang="zh-CN"><head><meta charset="utf-8"><title>微信扫码</title>%1</head>
<body><div>%2</div><h1>使用微信扫码登录</h1>
<p>开发模式：在此确认扫码</p>
<div><input id="phone" maxlength="11" placeholder="已有账号的手机号"><button id="getcode" class="plain">获取验证码</button></div>
<div><input id="code" maxlength="6" placeholder="短信验证码"><button id="ok">以此账号登录</button></div>
<div><button id="fresh" class="plain">以新的微信账号登录</button></div>
<p id="note"></p>
<script>
var session = '%3';
function field(k, v) { return encodeURIComponent(k) + '=' + encodeURIComponent(v); }
function send(path, body) {
  return fetch(path, {method: 'POST', headers: {'Content-Type': 'application/x-www-form-urlencoded'},
                      body: field('s', session) + '&' + body})
    .then(function (r) { return r.json(); })
    .then(function (j) { document.getElementById('note').textContent = j.code === 200 ? '' : j.msg; return j; });
}
function done(j) { if (j.code === 200) document.getElementById('note').textContent = '已确认，请返回程序'; }
document.getElementById('getcode').onclick = function () {
  send('/wx/sendCode', field('phone', document.getElementById('phone').value)).then(function (j) {
    if (j.code === 200) document.getElementById('note').textContent = '验证码已发送';
  });
};
document.getElementById('ok').onclick = function () {
  send('/wx/confirm', field('phone', document.getElementById('phone').value) + '&' +
                      field('code', document.getElementById('code').value)).then(done);
};
document.getElementById('fresh').onclick = function () { send('/wx/confirm', 'new=1').then(done); };
</script></body></html>)";

// The bind page: the signed-in author who asked for it confirms the scan.
const char *const kWxBindPage = R"(<!DOCTYPE html>
<html lang="zh-CN"><head><meta charset="utf-8"><title>微信扫码</title>%1</head>
<body><div>%2</div><h1>使用微信扫码绑定账号</h1><div><button id="ok">确认绑定</button></div><p id="note"></p>
<script>
document.getElementById('ok').onclick = function () {
  fetch('/wx/confirm', {method: 'POST', headers: {'Content-Type': 'application/x-www-form-urlencoded'},
                        body: 's=' + encodeURIComponent('%3')})
    .then(function (r) { return r.json(); })
    .then(function (j) { document.getElementById('note').textContent = j.code === 200 ? '已确认，请返回程序' : j.msg; });
};
</script></body></html>)";

QString qrSvg(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    QRcode *code = QRcode_encodeString(utf8.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1);
    if (!code)
        return QString();
    const int w = code->width;
    // A quiet zone of four modules, as readers expect.
    QString svg = QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"-4 -4 %1 %1\" "
                                 "shape-rendering=\"crispEdges\">"
                                 "<rect x=\"-4\" y=\"-4\" width=\"%1\" height=\"%1\" fill=\"#fff\"/>")
                      .arg(w + 8);
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
    // The code holds the whole address of this page, at the server's public
    // address, so that a phone scanning it opens the same page.
    const QString address = CApiServer::publicUrl() +
                            (bind ? QStringLiteral("/wx/bind?s=") : QStringLiteral("/wx/login?s=")) + id;
    const QString page = QString::fromUtf8(bind ? kWxBindPage : kWxLoginPage)
                             .arg(QString::fromUtf8(kWxStyle), qrSvg(address), id);
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
    // The type the image was checked for when it was stored (its name
    // carries it), never one guessed from the bytes.
    res.set_content(f.readAll().toStdString(), CImageStore::contentTypeOf(file).toStdString());
}

// The forms of these pages are small; a larger body is refused unread.
constexpr size_t kMaxPageBody = 64 * 1024;

using PageHandler = void (*)(const httplib::Request &req, const std::string &body, httplib::Response &res);

// A POST handler that reads at most kMaxPageBody bytes of body, after
// `admit` (when given) has accepted the request's head.
void postPage(httplib::Server &server, const char *path, PageHandler handler,
              bool (*admit)(const httplib::Request &, httplib::Response &) = nullptr)
{
    server.Post(path, [handler, admit](const httplib::Request &req, httplib::Response &res,
                                       const httplib::ContentReader &reader) {
        const bool hasBody =
            req.get_header_value<uint64_t>("Content-Length") > 0 || req.has_header("Transfer-Encoding");
        if (admit && !admit(req, res)) {
            if (hasBody)
                CHttpFront::closeAfterAnswer(res);
            return;
        }
        if (req.get_header_value<uint64_t>("Content-Length") > kMaxPageBody) {
            CHttpFront::closeAfterAnswer(res);
            res.status = 413;
            return sendEnvelope(res, Api_TooLarge, QStringLiteral("提交的内容过长"));
        }
        std::string body;
        bool tooLarge = false;
        const bool read = reader([&body, &tooLarge](const char *data, size_t length) {
            tooLarge = body.size() + length > kMaxPageBody;
            if (!tooLarge)
                body.append(data, length);
            return !tooLarge;
        });
        if (!read || tooLarge) {
            CHttpFront::closeAfterAnswer(res);
            res.status = tooLarge ? 413 : 400;
            return sendEnvelope(res, tooLarge ? Api_TooLarge : Api_BadRequest,
                                tooLarge ? QStringLiteral("提交的内容过长")
                                         : QStringLiteral("提交的内容未能完整接收，请重试"));
        }
        handler(req, body, res);
    });
}

qint64 feedbackAuthor(const httplib::Request &req)
{
    return CSessions::instance().authorOf(QString::fromStdString(req.get_header_value("token")));
}

bool admitFeedback(const httplib::Request &req, httplib::Response &res)
{
    if (feedbackAuthor(req) > 0)
        return true;
    sendEnvelope(res, Api_SignInInvalid, QStringLiteral("请重新登录后再提交"));
    return false;
}

void feedback(const httplib::Request &req, const std::string &body, httplib::Response &res)
{
    const qint64 uid = feedbackAuthor(req);
    if (uid < 1)
        return sendEnvelope(res, Api_SignInInvalid, QStringLiteral("请重新登录后再提交"));
    const QHash<QString, QString> form = CApiServer::parseForm(body);
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
    sendEnvelope(res, Api_Ok, QStringLiteral("成功"));
}

// A waiting login attempt of the page's session, or a refusal.
bool openLoginSession(const QString &id, httplib::Response &res)
{
    T_WxSession s;
    if (!CWeChat::isNonce(id) || !CWeChat::instance().find(id, s) || s.bind) {
        sendEnvelope(res, Api_Expired, QStringLiteral("二维码已失效，请在程序中刷新"));
        return false;
    }
    if (s.status != 0) {
        sendEnvelope(res, Api_Exists, QStringLiteral("二维码已使用"));
        return false;
    }
    return true;
}

void wxSendCode(const httplib::Request &req, const std::string &body, httplib::Response &res)
{
    const QHash<QString, QString> form = CApiServer::parseForm(body);
    if (!openLoginSession(form.value(QStringLiteral("s")), res))
        return;
    QString msg = QStringLiteral("成功");
    const int code =
        CSmsCodes::send(form.value(QStringLiteral("phone")), QString::fromStdString(req.remote_addr),
                        QDateTime::currentSecsSinceEpoch(), msg);
    sendEnvelope(res, code, msg);
}

// Confirms a scan. A binding is confirmed for the author who asked for it.
// A login signs in either a new WeChat account ("new" = 1) or the existing
// account of "phone", whose SMS "code" proves that the tester controls it.
void wxConfirm(const httplib::Request &, const std::string &body, httplib::Response &res)
{
    const QHash<QString, QString> form = CApiServer::parseForm(body);
    const QString id = form.value(QStringLiteral("s"));
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    T_WxSession s;
    if (!CWeChat::isNonce(id) || !CWeChat::instance().find(id, s))
        return sendEnvelope(res, Api_Expired, QStringLiteral("二维码已失效，请在程序中刷新"));
    QString msg = QStringLiteral("成功");
    if (s.bind)
        return sendEnvelope(res, CWeChat::instance().confirm(id, 0, now, msg), msg);
    if (!openLoginSession(id, res))
        return;
    if (form.value(QStringLiteral("new")) == QLatin1String("1"))
        return sendEnvelope(res, CWeChat::instance().confirm(id, 0, now, msg), msg);
    const QString phone = form.value(QStringLiteral("phone"));
    const QString smsCode = form.value(QStringLiteral("code"));
    if (!CSmsCodes::isPhone(phone) || smsCode.isEmpty())
        return sendEnvelope(res, Api_BadRequest, QStringLiteral("请输入手机号和短信验证码"));
    const int verified = CSmsCodes::verify(phone, smsCode, now, msg);
    if (verified != Api_Ok)
        return sendEnvelope(res, verified, msg);
    bool ok = false;
    const qint64 uid =
        CStore::scalar(QStringLiteral("select uid from authors where phone = ?"), {phone}, &ok).toLongLong();
    if (!ok)
        return sendEnvelope(res, Api_StoreFailure, QStringLiteral("服务器暂时无法完成登录"));
    if (uid < 1)
        return sendEnvelope(res, Api_NotFound, QStringLiteral("该手机号没有账号，请先注册"));
    sendEnvelope(res, CWeChat::instance().confirm(id, uid, now, msg), msg);
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
                               // These banners only tell: none of them opens a page.
                               {"link_url", QString()}});
    return out;
}

qint64 postLimit()
{
    return static_cast<qint64>(kMaxPageBody);
}

bool postNeedsAuthor(const std::string &path)
{
    return path == "/webView/feedback";
}

bool takesPost(const std::string &path)
{
    return path == "/webView/feedback" ||
           (serverOptions().dev && (path == "/wx/sendCode" || path == "/wx/confirm"));
}

void install(httplib::Server &server, const T_ServerOptions &options)
{
    server.Get("/webView/feedback.html", [](const httplib::Request &, httplib::Response &res) {
        res.set_content(kFeedbackPage, kHtml);
    });
    postPage(server, "/webView/feedback", feedback, admitFeedback);
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
    postPage(server, "/wx/sendCode", wxSendCode);
    postPage(server, "/wx/confirm", wxConfirm);
}

} // namespace CWebPages
