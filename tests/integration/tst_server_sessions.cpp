// Sign-ins of the companion server: limits on failed attempts, sessions
// that end, answers that do not tell whether an account exists, and SMS
// codes sent by the operator's command outside development mode.
#include "testmain.h"
#include "testserver.h"

#include <QFile>
#include <QJsonDocument>
#include <QTcpSocket>
#include <QTemporaryDir>

namespace {

const QString kPassword = QStringLiteral("25d55ad283aa400af464c76d713c07ad");

// A form POST from a chosen loopback address; the envelope of the answer.
QJsonObject postFrom(const QString &from, int port, const QByteArray &path, const QByteArray &body)
{
    QTcpSocket socket;
    socket.bind(QHostAddress(from));
    socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
    if (!socket.waitForConnected(5000))
        return {};
    socket.write("POST " + path +
                 " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n"
                 "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                 QByteArray::number(body.size()) + "\r\n\r\n" + body);
    QByteArray answer;
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(15000))
        answer += socket.readAll();
    answer += socket.readAll();
    return QJsonDocument::fromJson(answer.mid(answer.indexOf("\r\n\r\n") + 4)).object();
}

TestHttpReply login(const TestServer &server, const QString &phone, const QString &password)
{
    return TestHttp(server.baseUrl()).post("/author/login", {{"phone", phone}, {"password", password}});
}

} // namespace

class TstServerSessions : public QObject
{
    Q_OBJECT

    TestServer m_shared;

private slots:
    void failedSignInsAreLimited()
    {
        TestServer server;
        server.setExtraArguments({"--login-limits", "3,5"});
        QVERIFY(server.start());
        QString token;
        qint64 uid = 0;
        QVERIFY(server.signUp("13500000001", kPassword, token, uid));
        QVERIFY(server.signUp("13500000002", kPassword, token, uid));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(login(server, "13500000001", "guess").code(), 403);
        // This address may not try the account for a while, even with the
        // right password.
        const TestHttpReply closed = login(server, "13500000001", kPassword);
        QCOMPARE(closed.code(), 429);
        QVERIFY2(closed.msg().contains(QRegularExpression("请[1-9][0-9]*秒后再试")),
                 qPrintable(closed.msg()));
        // The address has two failures left: the other account still signs in.
        QCOMPARE(login(server, "13500000002", kPassword).code(), 200);
        QCOMPARE(login(server, "13500000002", "guess").code(), 403);
        QCOMPARE(login(server, "13500000009", "guess").code(), 403);
        QCOMPARE(login(server, "13500000002", kPassword).code(), 429);
        // Another address is not held back by this one.
        const QJsonObject elsewhere = postFrom("127.0.0.2", server.port(), "/author/login",
                                               "phone=13500000002&password=" + kPassword.toLatin1());
        QCOMPARE(elsewhere.value("code").toInt(), 200);
    }

    void passwordChangeEndsOtherSessions()
    {
        TestServer server;
        QVERIFY(server.start());
        QString first;
        qint64 uid = 0;
        QVERIFY(server.signUp("13500000011", kPassword, first, uid));
        const QString second = login(server, "13500000011", kPassword).object().value("token").toString();
        TestHttp a(server.baseUrl()), b(server.baseUrl());
        a.setToken(first);
        b.setToken(second);
        QCOMPARE(b.get("/author/info").code(), 200);
        QCOMPARE(a.post("/author/setNewPwd", {{"old_pwd", kPassword}, {"new_pwd", "fresh"}}).code(), 200);
        QCOMPARE(a.get("/author/info").code(), 200);
        QCOMPARE(b.get("/author/info").code(), 300);
        QCOMPARE(server.restart(), true);
        a.setBaseUrl(server.baseUrl());
        b.setBaseUrl(server.baseUrl());
        QCOMPARE(a.get("/author/info").code(), 200);
        QCOMPARE(b.get("/author/info").code(), 300);
    }

    void unusedSessionEnds()
    {
        TestServer server;
        server.setExtraArguments({"--session-idle", "5"});
        QVERIFY(server.start());
        QString idle, busy;
        qint64 uid = 0;
        QVERIFY(server.signUp("13500000021", kPassword, idle, uid));
        busy = login(server, "13500000021", kPassword).object().value("token").toString();
        TestHttp a(server.baseUrl()), b(server.baseUrl());
        a.setToken(idle);
        b.setToken(busy);
        for (int i = 0; i < 14; ++i) {
            QTest::qWait(500);
            QCOMPARE(b.get("/author/info").code(), 200);
        }
        QCOMPARE(a.get("/author/info").code(), 300);
    }

    // Until the SMS code is checked, a number with an account and one
    // without get the same answers.
    void answersDoNotRevealAccounts_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("secretKey");
        QTest::newRow("register") << "/author/register"
                                  << "code";
        QTest::newRow("password reset") << "/author/editPass"
                                        << "code";
        QTest::newRow("login") << "/author/login"
                               << "password";
    }

    void answersDoNotRevealAccounts()
    {
        QFETCH(QString, path);
        QFETCH(QString, secretKey);
        TestServer &server = m_shared;
        static int round = 0;
        if (!round++) {
            QVERIFY(server.start());
            QString token;
            qint64 uid = 0;
            QVERIFY(server.signUp("13500000031", kPassword, token, uid));
        }
        const TestHttp h(server.baseUrl());
        const QString fresh = QStringLiteral("1350000004%1").arg(round);
        const TestHttpReply known =
            h.post(path, {{"phone", "13500000031"}, {secretKey, "000000"}, {"password", kPassword.left(8)}});
        const TestHttpReply unknown =
            h.post(path, {{"phone", fresh}, {secretKey, "000000"}, {"password", kPassword.left(8)}});
        QCOMPARE(known.code(), unknown.code());
        QCOMPARE(known.msg(), unknown.msg());
    }

    void smsCommandSendsCodes()
    {
        QTemporaryDir dir;
        const QString sent = dir.filePath("sent.txt");
        TestServer server;
        server.setDevelopmentMode(false);
        server.setExtraArguments(
            {"--sms-command", QStringLiteral("case \"$QUORVIN_SMS_PHONE\" in 13500000059) exit 3;; esac; "
                                             "echo \"$QUORVIN_SMS_PHONE $QUORVIN_SMS_CODE\" >> '%1'")
                                  .arg(sent)});
        QVERIFY(server.start());
        const TestHttp h(server.baseUrl());
        QCOMPARE(h.post("/author/sendCode", {{"phone", "13500000051"}}).code(), 200);
        QFile file(sent);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> line = file.readAll().trimmed().split(' ');
        QCOMPARE(line.size(), 2);
        QCOMPARE(line.at(0), QByteArray("13500000051"));
        QCOMPARE(line.at(1).size(), 6);
        QCOMPARE(h.post("/author/register", {{"phone", "13500000051"},
                                             {"code", QString::fromLatin1(line.at(1))},
                                             {"password", kPassword}})
                     .code(),
                 200);
        QCOMPARE(login(server, "13500000051", kPassword).code(), 200);
        // A failed send is reported, and the number may ask again at once.
        QCOMPARE(h.post("/author/sendCode", {{"phone", "13500000059"}}).code(), 503);
        QCOMPARE(h.post("/author/sendCode", {{"phone", "13500000059"}}).code(), 503);
        QVERIFY(!server.output().contains(QString::fromLatin1(line.at(1))));

        TestServer closed;
        closed.setDevelopmentMode(false);
        QVERIFY(closed.start());
        QCOMPARE(TestHttp(closed.baseUrl()).post("/author/sendCode", {{"phone", "13500000052"}}).code(), 503);
    }
};

QUORVIN_TEST_MAIN(TstServerSessions)
#include "tst_server_sessions.moc"
