// The companion server over real HTTP: envelope, accounts, SMS codes,
// tokens and refusals.
#include "testmain.h"
#include "testserver.h"

#include <QJsonArray>
#include <QRegularExpression>

namespace {
const QString kPassword = QStringLiteral("e10adc3949ba59abbe56e057f20f883e");
}

class TstServerAccount : public QObject
{
    Q_OBJECT

private:
    TestServer m_server;
    TestHttp http() const { return TestHttp(m_server.baseUrl()); }

private slots:
    void initTestCase() { QVERIFY(m_server.start()); }

    void envelopeEchoesUserdata()
    {
        TestHttp h = http();
        h.setUserdata(QStringLiteral("5,18,3,0,9,0,7,1,0,0,0"));
        const TestHttpReply r = h.get(QStringLiteral("/synchronization/synData"));
        QCOMPARE(r.status, 200);
        QCOMPARE(r.code(), 200);
        QCOMPARE(r.json.value("userdata").toString(), QStringLiteral("5,18,3,0,9,0,7,1,0,0,0"));
        QVERIFY(r.json.value("server_time").toInt() > 1600000000);
        QVERIFY(r.object().value("cateVersion").toInt() >= 1);
        QCOMPARE(h.get(QStringLiteral("/no/such/path")).status, 404);
    }

    void registerLoginAndProfile()
    {
        QString token;
        qint64 uid = 0;
        QVERIFY(m_server.signUp(QStringLiteral("13900000001"), kPassword, token, uid));
        TestHttp h = http();
        QCOMPARE(
            h.post(QStringLiteral("/author/login"), {{"phone", "13900000001"}, {"password", "wrong"}}).code(),
            403);
        // The registration used its code, so a new one may follow at once;
        // a second unused one within the minute is refused.
        QCOMPARE(h.post(QStringLiteral("/author/sendCode"), {{"phone", "13900000001"}}).code(), 200);
        QCOMPARE(h.post(QStringLiteral("/author/sendCode"), {{"phone", "13900000001"}}).code(), 429);
        h.setToken(token);
        TestHttpReply r =
            h.post(QStringLiteral("/author/updateAuthor"),
                   {{"author_name", QStringLiteral("墨 & 白")}, {"sex", "F"}, {"sign", "a+b=c"}});
        QCOMPARE(r.code(), 200);
        QCOMPARE(r.object().value("author_name").toString(), QStringLiteral("墨 & 白"));
        r = h.get(QStringLiteral("/author/info"));
        QCOMPARE(r.object().value("sex").toString(), QStringLiteral("F"));
        QCOMPARE(r.object().value("sign").toString(), QStringLiteral("a+b=c"));
        QCOMPARE(r.object().value("isBindWx").toBool(), false);
        QVERIFY(!m_server.output().contains(token));
        QVERIFY(!m_server.output().contains(kPassword));
    }

    // The image goes unencoded, so "+" in its base64 must survive.
    void headImageIsStoredAndServed()
    {
        QString token;
        qint64 uid = 0;
        QVERIFY(m_server.signUp(QStringLiteral("13900000002"), kPassword, token, uid));
        QByteArray png("\x89PNG\r\n\x1a\n", 8);
        png += QByteArray(300, '\xfb'); // base64 of 0xfb bytes is full of "+"
        const QByteArray body = "img=data:image/png;base64," + png.toBase64();
        QVERIFY(body.contains('+'));
        TestHttp h = http();
        h.setToken(token);
        const TestHttpReply r = h.postRaw(QStringLiteral("/author/uploadimg"), body);
        QCOMPARE(r.code(), 200);
        const QString url = r.object().value("headimg").toString();
        QVERIFY(url.startsWith(m_server.baseUrl() + "/static/img/"));
        TestHttp plain(url);
        const TestHttpReply image = plain.get(QString());
        QCOMPARE(image.status, 200);
        QCOMPARE(image.body, png);
        QCOMPARE(h.postRaw(QStringLiteral("/author/uploadimg"), "img=data:image/png;base64,bm90IGFuIGltYWdl")
                     .code(),
                 400);
    }

    void smsCodeRefusals_data()
    {
        QTest::addColumn<QString>("phone");
        QTest::addColumn<QStringList>("codes"); // tried in turn; the last answer is checked
        QTest::addColumn<int>("expected");
        QTest::newRow("wrong code") << "13900000010" << QStringList{"000000"} << 403;
        QTest::newRow("five wrong tries void the code")
            << "13900000012" << QStringList{"1", "2", "3", "4", "5", "123456"} << 403;
        QTest::newRow("no code asked") << "13900000013" << QStringList{"__none__"} << 403;
        QTest::newRow("malformed phone") << "1390000" << QStringList{"123456"} << 400;
    }

    void smsCodeRefusals()
    {
        QFETCH(QString, phone);
        QFETCH(QStringList, codes);
        QFETCH(int, expected);
        TestHttp h = http();
        if (!codes.contains("__none__") && phone.size() == 11)
            QCOMPARE(h.post(QStringLiteral("/author/sendCode"), {{"phone", phone}}).code(), 200);
        TestHttpReply r;
        for (const QString &code : codes)
            r = h.post(QStringLiteral("/author/register"),
                       {{"phone", phone}, {"code", code}, {"password", kPassword}});
        QCOMPARE(r.code(), expected);
        QVERIFY(!r.msg().isEmpty());
    }

    void expiredCodeIsRefused()
    {
        TestServer quick;
        quick.setExtraArguments({"--sms-ttl", "1"});
        QVERIFY(quick.start());
        TestHttp h(quick.baseUrl());
        QCOMPARE(h.post(QStringLiteral("/author/sendCode"), {{"phone", "13900000020"}}).code(), 200);
        QTest::qWait(2200);
        const TestHttpReply r =
            h.post(QStringLiteral("/author/register"),
                   {{"phone", "13900000020"}, {"code", "123456"}, {"password", kPassword}});
        QCOMPARE(r.code(), 410);
    }

    void usedCodeAndPasswordChange()
    {
        QString token;
        qint64 uid = 0;
        QVERIFY(m_server.signUp(QStringLiteral("13900000003"), kPassword, token, uid));
        TestHttp h = http();
        // The code of the registration is spent.
        QCOMPARE(h.post(QStringLiteral("/author/editPass"),
                        {{"phone", "13900000003"}, {"code", "123456"}, {"password", "x"}})
                     .code(),
                 403);
        h.setToken(token);
        QCOMPARE(h.post(QStringLiteral("/author/setNewPwd"), {{"old_pwd", "bad"}, {"new_pwd", "n"}}).code(),
                 403);
        QCOMPARE(
            h.post(QStringLiteral("/author/setNewPwd"), {{"old_pwd", kPassword}, {"new_pwd", "newdigest"}})
                .code(),
            200);
        TestHttp anon = http();
        QCOMPARE(
            anon.post(QStringLiteral("/author/login"), {{"phone", "13900000003"}, {"password", "newdigest"}})
                .code(),
            200);
    }

    void staleOrMissingTokenGets300_data()
    {
        QTest::addColumn<QString>("token");
        QTest::newRow("missing") << QString();
        QTest::newRow("garbage") << QStringLiteral("not-a-token");
        QTest::newRow("well formed but unknown") << QString(64, QLatin1Char('a'));
    }

    void staleOrMissingTokenGets300()
    {
        QFETCH(QString, token);
        TestHttp h = http();
        h.setToken(token);
        for (const char *path : {"/author/info", "/author/logOut", "/books/addBook", "/books/booksList",
                                 "/chapter/editChapter", "/memo/addMemo", "/synchronization/synBookData",
                                 "/authorcount/saveData", "/sensitive/editSensitive", "/author/wxBindPhone"})
            QCOMPARE(h.post(QLatin1String(path), {{"book_id", "1"}}).code(), 300);
    }

    void logoutMakesTokenStale()
    {
        QString token;
        qint64 uid = 0;
        QVERIFY(m_server.signUp(QStringLiteral("13900000004"), kPassword, token, uid));
        TestHttp h = http();
        h.setToken(token);
        QCOMPARE(h.get(QStringLiteral("/author/info")).code(), 200);
        QCOMPARE(h.post(QStringLiteral("/author/logOut")).code(), 200);
        QCOMPARE(h.get(QStringLiteral("/author/info")).code(), 300);
    }

    void malformedInputIsRefused_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("body");
        QTest::newRow("id not a number") << "/books/bookinfo"
                                         << "book_id=abc";
        QTest::newRow("id missing") << "/chapter/chapter"
                                    << "book_id=1";
        QTest::newRow("negative id") << "/books/deleteBook"
                                     << "book_id=-4";
        QTest::newRow("book name missing") << "/books/addBook"
                                           << "local_id=3";
        QTest::newRow("list not json") << "/chapter/batchCreateChapter"
                                       << "book_id=1&list=%5Bnope";
        QTest::newRow("bad colour") << "/memo/addMemo"
                                    << "content=x&color=red";
        QTest::newRow("bad direction") << "/chapter/moveChapter"
                                       << "book_id=1&chapter_id=1&direction=7";
        QTest::newRow("bad date") << "/authorcount/saveData"
                                  << "pc_word=1&date=yesterday";
        QTest::newRow("bad percent escapes") << "/books/addBook"
                                             << "book_name=%ZZ%&local_id=x";
        QTest::newRow("ack without task") << "/synchronization/synAuthor"
                                          << "syn_type=2";
    }

    void malformedInputIsRefused()
    {
        QFETCH(QString, path);
        QFETCH(QString, body);
        static QString token;
        if (token.isEmpty()) {
            qint64 uid = 0;
            QVERIFY(m_server.signUp(QStringLiteral("13900000005"), kPassword, token, uid));
        }
        TestHttp h = http();
        h.setToken(token);
        h.setUniqueCode(QStringLiteral("c0ffee"));
        const TestHttpReply r = h.postRaw(path, body.toLatin1());
        QCOMPARE(r.status, 200);
        QVERIFY2(r.code() >= 400 && r.code() < 500, qPrintable(QString::number(r.code()) + r.msg()));
        QVERIFY(!r.msg().isEmpty());
        // The server is still answering.
        QCOMPARE(h.get(QStringLiteral("/author/info")).code(), 200);
    }

    void bodyOverTheLimitIsRefused()
    {
        const QByteArray body = "book_name=" + QByteArray(17 * 1024 * 1024, 'a');
        const TestHttpReply r = http().postRaw(QStringLiteral("/books/addBook"), body);
        QCOMPARE(r.status, 413);
        QCOMPARE(r.code(), 413);
    }

    void weChatLoginInDevelopmentMode()
    {
        QString token;
        qint64 uid = 0;
        QVERIFY(m_server.signUp(QStringLiteral("13900000006"), kPassword, token, uid));
        TestHttp h = http();
        const QString nonce = QStringLiteral("0123456789abcdef0123456789abcdef");
        const TestHttpReply page = h.post(QStringLiteral("/author/wxCodeLogin"), {{"nonce_str", nonce}});
        QCOMPARE(page.code(), 200);
        TestHttp pageHttp(page.object().value("url").toString());
        const TestHttpReply html = pageHttp.get(QString());
        QCOMPARE(html.status, 200);
        QVERIFY(html.body.contains("<svg"));
        QCOMPARE(h.get(QStringLiteral("/author/pollingWx"), {{"nonce_str", nonce}})
                     .object()
                     .value("status")
                     .toInt(),
                 0);
        // The page names no account, and a uid in the form signs in nobody.
        QVERIFY(!html.body.contains("13900000006"));
        QVERIFY(!html.body.contains("<option"));
        const QByteArray session = "s=" + nonce.toLatin1();
        QCOMPARE(h.postRaw(QStringLiteral("/wx/confirm"), session + "&uid=" + QByteArray::number(uid)).code(),
                 400);
        // An existing account proves itself with its phone and an SMS code.
        QCOMPARE(h.postRaw(QStringLiteral("/wx/confirm"), session + "&phone=13900000006&code=654321").code(),
                 403);
        QCOMPARE(h.postRaw(QStringLiteral("/wx/sendCode"), session + "&phone=13900000006").code(), 200);
        QCOMPARE(h.postRaw(QStringLiteral("/wx/confirm"), session + "&phone=13900000006&code=999999").code(),
                 403);
        QCOMPARE(h.get(QStringLiteral("/author/pollingWx"), {{"nonce_str", nonce}})
                     .object()
                     .value("status")
                     .toInt(),
                 0);
        QCOMPARE(h.postRaw(QStringLiteral("/wx/confirm"), session + "&phone=13900000006&code=123456").code(),
                 200);
        const QJsonObject polled =
            h.get(QStringLiteral("/author/pollingWx"), {{"nonce_str", nonce}}).object();
        QCOMPARE(polled.value("status").toInt(), 1);
        QCOMPARE(polled.value("isBindPhone").toInt(), 1);
        QCOMPARE(polled.value("uid").toInt(), int(uid));
        h.setToken(polled.value("token").toString());
        QCOMPARE(h.get(QStringLiteral("/author/info")).object().value("isBindWx").toBool(), true);
    }

    void weChatAccountBindsAPhone()
    {
        TestHttp h = http();
        const QString nonce = QStringLiteral("fedcba9876543210fedcba9876543210");
        QCOMPARE(h.post(QStringLiteral("/author/wxCodeLogin"), {{"nonce_str", nonce}}).code(), 200);
        QCOMPARE(h.postRaw(QStringLiteral("/wx/confirm"), "s=" + nonce.toLatin1() + "&new=1").code(), 200);
        const QJsonObject polled =
            h.get(QStringLiteral("/author/pollingWx"), {{"nonce_str", nonce}}).object();
        QCOMPARE(polled.value("isBindPhone").toInt(), 2);
        h.setToken(polled.value("token").toString());
        QCOMPARE(h.post(QStringLiteral("/author/sendCode"), {{"phone", "13900000007"}}).code(), 200);
        const TestHttpReply bound =
            h.post(QStringLiteral("/author/wxBindPhone"), {{"phone", "13900000007"}, {"code", "123456"}});
        QCOMPARE(bound.code(), 200);
        QCOMPARE(bound.object().value("uid").toInt(), polled.value("uid").toInt());
        h.setToken(bound.object().value("token").toString());
        QCOMPARE(h.get(QStringLiteral("/author/info")).code(), 200);
    }

    void pagesAreServed()
    {
        const TestHttpReply feedback = http().get(QStringLiteral("/webView/feedback.html"));
        QCOMPARE(feedback.status, 200);
        QVERIFY(feedback.body.contains("function getTheme(theme, token)"));
        QCOMPARE(http().get(QStringLiteral("/agreement.html")).status, 200);
        QCOMPARE(http().get(QStringLiteral("/privacy.html")).status, 200);
        const QJsonArray banners =
            http().get(QStringLiteral("/author/bannerList")).object().value("bannerList").toArray();
        QCOMPARE(banners.size(), 3);
        TestHttp image(banners.at(0).toObject().value("pic_url").toString());
        QVERIFY(image.get(QString()).body.startsWith("\x89PNG"));

        QString token;
        qint64 uid = 0;
        QVERIFY(m_server.signUp(QStringLiteral("13900000008"), kPassword, token, uid));
        TestHttp h = http();
        QCOMPARE(h.post(QStringLiteral("/webView/feedback"), {{"content", "hello"}}).code(), 300);
        h.setToken(token);
        QCOMPARE(
            h.post(QStringLiteral("/webView/feedback"), {{"content", QStringLiteral("编辑器很好用")}}).code(),
            200);
    }

    void referenceData()
    {
        const QJsonObject cate = http().get(QStringLiteral("/books/getCate")).object();
        QVERIFY(cate.value("male").toArray().size() >= 8);
        QVERIFY(!cate.value("female").toArray().at(0).toObject().value("children").toArray().isEmpty());
        const QJsonArray names =
            http().get(QStringLiteral("/sensitive/nameData")).object().value("data").toArray();
        QCOMPARE(names.size(), 12);
        for (const QJsonValue &v : names)
            QVERIFY(v.toObject().value("content").toString().split(',').size() >= 15);
        const QJsonObject words = http().post(QStringLiteral("/sensitive/getSensitive")).object();
        QCOMPARE(words.value("sensitive_type").toInt(), 1);
        QVERIFY(words.value("sensitiveWords").toString().contains(QStringLiteral("、")));
    }
};

QUORVIN_TEST_MAIN(TstServerAccount)
#include "tst_server_account.moc"
