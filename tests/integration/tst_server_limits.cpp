// The companion server against clients that do not play by the rules:
// bodies beyond the limit (chunked too), bodies without a token, methods
// the catalogue does not give, slow and busy connections.
#include "testmain.h"
#include "testserver.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTcpSocket>
#include <QUrl>

#include <memory>

namespace {

const QString kPassword = QStringLiteral("25d55ad283aa400af464c76d713c07ad");

// A raw connection from a chosen loopback address.
std::unique_ptr<QTcpSocket> connectFrom(const QString &from, int port)
{
    auto socket = std::make_unique<QTcpSocket>();
    socket->bind(QHostAddress(from));
    socket->connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
    return socket;
}

// Reads one answer head from the socket: its status, or 0 when none came.
int readStatus(QTcpSocket &socket, int waitMs = 15000)
{
    QByteArray head;
    QElapsedTimer waited;
    waited.start();
    while (!head.contains("\r\n") && waited.elapsed() < waitMs) {
        if (!socket.bytesAvailable() && !socket.waitForReadyRead(200) &&
            socket.state() != QAbstractSocket::ConnectedState && !socket.bytesAvailable())
            break;
        head += socket.readAll();
    }
    const QList<QByteArray> words = head.left(head.indexOf("\r\n")).split(' ');
    return words.size() >= 2 ? words.at(1).toInt() : 0;
}

// The whole answer that has come until the server closed the connection.
QByteArray readUntilClosed(QTcpSocket &socket, int waitMs = 15000)
{
    QByteArray all;
    QElapsedTimer waited;
    waited.start();
    while (socket.state() == QAbstractSocket::ConnectedState && waited.elapsed() < waitMs) {
        socket.waitForReadyRead(200);
        all += socket.readAll();
    }
    return all + socket.readAll();
}

} // namespace

class TstServerLimits : public QObject
{
    Q_OBJECT

private:
    TestServer m_server;
    QString m_token;
    qint64 m_uid = 0;

    TestHttp author() const
    {
        TestHttp h(m_server.baseUrl());
        h.setToken(m_token);
        h.setUniqueCode(QStringLiteral("limits01"));
        return h;
    }

    QByteArray head(const QByteArray &method, const QByteArray &target, const QByteArray &extra,
                    bool withToken = true) const
    {
        QByteArray h = method + ' ' + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
        if (withToken)
            h += "token: " + m_token.toLatin1() + "\r\n";
        return h + extra + "\r\n";
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.start());
        QVERIFY(m_server.signUp(QStringLiteral("13600000001"), kPassword, m_token, m_uid));
    }

    // A chunked body counts against the same limit as any other.
    void chunkedBodyOverTheLimit()
    {
        auto socket = connectFrom(QStringLiteral("127.0.0.1"), m_server.port());
        QVERIFY(socket->waitForConnected(5000));
        socket->write(
            head("POST", "/books/addBook",
                 "Content-Type: application/x-www-form-urlencoded\r\nTransfer-Encoding: chunked\r\n"));
        const QByteArray piece = "book_name=" + QByteArray(1024 * 1024 - 10, 'a');
        const QByteArray chunk = QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n";
        for (int i = 0; i < 17 && socket->state() == QAbstractSocket::ConnectedState; ++i) {
            socket->write(chunk);
            socket->waitForBytesWritten(5000);
        }
        socket->write("0\r\n\r\n");
        QCOMPARE(readStatus(*socket), 413);
        // Nothing was created from it.
        QCOMPARE(author().get("/books/booksList").content().toArray().size(), 0);
    }

    // A body for a path that needs a signed-in author is not read when the
    // token is missing: the refusal comes while the body has not been sent.
    void bodyWithoutTokenIsNotRead()
    {
        auto socket = connectFrom(QStringLiteral("127.0.0.1"), m_server.port());
        QVERIFY(socket->waitForConnected(5000));
        socket->write(head("POST", "/chapter/editChapter",
                           "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: 10000000\r\n",
                           false));
        const QByteArray answer = readUntilClosed(*socket);
        QVERIFY2(answer.startsWith("HTTP/1.1 200"), answer.left(200).constData());
        const QJsonObject envelope =
            QJsonDocument::fromJson(answer.mid(answer.indexOf("\r\n\r\n") + 4)).object();
        QCOMPARE(envelope.value("code").toInt(), 300);
    }

    void methodsTheCatalogueGives_data()
    {
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QByteArray>("path"); // "%B": a book of the author
        QTest::addColumn<int>("status");
        QTest::newRow("HEAD of a delete")
            << QByteArray("HEAD") << QByteArray("/books/deleteBook?book_id=%B") << 405;
        QTest::newRow("GET of a delete")
            << QByteArray("GET") << QByteArray("/books/deleteBook?book_id=%B") << 405;
        QTest::newRow("GET of an edit")
            << QByteArray("GET") << QByteArray("/books/editBook?book_id=%B&book_name=x") << 405;
        QTest::newRow("PUT of a read") << QByteArray("PUT") << QByteArray("/books/booksList") << 405;
        QTest::newRow("GET of a read")
            << QByteArray("GET") << QByteArray("/books/bookinfo?book_id=%B") << 200;
        QTest::newRow("POST of a read")
            << QByteArray("POST") << QByteArray("/books/bookinfo?book_id=%B") << 200;
    }

    void methodsTheCatalogueGives()
    {
        QFETCH(QByteArray, method);
        QFETCH(QByteArray, path);
        QFETCH(int, status);
        const TestHttp h = author();
        static qint64 book = 0;
        if (!book)
            book = h.post("/books/addBook", {{"book_name", "方法"}, {"local_id", "1"}})
                       .object()
                       .value("book_id")
                       .toInt();
        QVERIFY(book > 0);
        auto socket = connectFrom(QStringLiteral("127.0.0.1"), m_server.port());
        QVERIFY(socket->waitForConnected(5000));
        socket->write(head(method, path.replace("%B", QByteArray::number(book)),
                           method == "POST" || method == "PUT" ? "Content-Length: 0\r\n" : ""));
        QCOMPARE(readStatus(*socket), status);
        QCOMPARE(h.get("/books/bookinfo", {{"book_id", QString::number(book)}}).code(), 200);
    }

    void multipartBodyIsRefused()
    {
        auto socket = connectFrom(QStringLiteral("127.0.0.1"), m_server.port());
        QVERIFY(socket->waitForConnected(5000));
        const QByteArray body =
            "--XyZ\r\nContent-Disposition: form-data; name=\"book_name\"\r\n\r\nx\r\n--XyZ--\r\n";
        socket->write(head("POST", "/books/addBook",
                           "Content-Type: multipart/form-data; boundary=XyZ\r\nContent-Length: " +
                               QByteArray::number(body.size()) + "\r\n") +
                      body);
        QCOMPARE(readStatus(*socket), 400);
    }

    // Text and numbers are stored exactly as sent, or refused: never cut,
    // replaced or wrapped.
    void inputIsStoredExactlyOrRefused_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("body"); // "%B": a book of the author
        QTest::newRow("NUL in a name") << "/books/addBook" << QByteArray("book_name=a%00b&local_id=11");
        QTest::newRow("not UTF-8") << "/books/addBook" << QByteArray("book_name=%FF%FEab&local_id=12");
        QTest::newRow("broken escape") << "/books/addBook" << QByteArray("book_name=ab%G1&local_id=13");
        QTest::newRow("escape cut short") << "/books/addBook" << QByteArray("book_name=ab%4&local_id=14");
        QTest::newRow("NUL after a number")
            << "/chapter/createChapter" << QByteArray("book_id=%B&local_id=15&order_num=6%00");
        QTest::newRow("order beyond 32 bits")
            << "/chapter/createChapter" << QByteArray("book_id=%B&local_id=16&order_num=4294967297");
        QTest::newRow("order far beyond")
            << "/chapter/createChapter" << QByteArray("book_id=%B&local_id=17&order_num=1e300");
        QTest::newRow("order in a batch")
            << "/chapter/batchCreateChapter"
            << QByteArray("book_id=%B&list=") +
                   QUrl::toPercentEncoding(R"([{"chapter_name":"x","local_id":18,"order_num":1e300}])");
        QTest::newRow("local id in a batch")
            << "/chapter/batchCreateChapter"
            << QByteArray("book_id=%B&list=") +
                   QUrl::toPercentEncoding(R"([{"chapter_name":"x","local_id":4294967297,"order_num":1}])");
        QTest::newRow("words beyond the day")
            << "/authorcount/saveData" << QByteArray("pc_word=2147483000&date=2024-06-01");
    }

    void inputIsStoredExactlyOrRefused()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, body);
        const TestHttp h = author();
        static qint64 book = 0;
        if (!book) {
            book = h.post("/books/addBook", {{"book_name", "原样"}, {"local_id", "10"}})
                       .object()
                       .value("book_id")
                       .toInt();
            QCOMPARE(h.post("/authorcount/saveData", {{"pc_word", "1000"}, {"date", "2024-06-01"}}).code(),
                     200);
        }
        QVERIFY(book > 0);
        const QJsonArray booksBefore = h.get("/books/booksList").content().toArray();
        const TestHttpReply r = h.postRaw(path, body.replace("%B", QByteArray::number(book)));
        QCOMPARE(r.status, 200);
        QCOMPARE(r.code(), 400);
        QVERIFY(!r.msg().isEmpty());
        QCOMPARE(h.get("/books/booksList").content().toArray(), booksBefore);
        QCOMPARE(h.get("/chapter/chapterMenu", {{"book_id", QString::number(book)}})
                     .object()
                     .value("menu")
                     .toArray()
                     .size(),
                 0);
        QCOMPARE(h.post("/authorcount/userData").object().value("wordData").toArray(), QJsonArray{1000});
    }

    // Chapter text has a ceiling; a batch refuses only what lies above it.
    void chapterTextHasACeiling()
    {
        const TestHttp h = author();
        const qint64 book = h.post("/books/addBook", {{"book_name", "长卷"}, {"local_id", "20"}})
                                .object()
                                .value("book_id")
                                .toInt();
        const QString tooLong(1000001, QLatin1Char('a'));
        const QByteArray list =
            QJsonDocument(
                QJsonArray{
                    QJsonObject{
                        {"chapter_name", "一"}, {"local_id", 21}, {"order_num", 1}, {"content", "甲"}},
                    QJsonObject{
                        {"chapter_name", "二"}, {"local_id", 22}, {"order_num", 2}, {"content", tooLong}},
                    QJsonObject{
                        {"chapter_name", "三"}, {"local_id", 23}, {"order_num", 3}, {"content", "丙"}}})
                .toJson(QJsonDocument::Compact);
        const TestHttpReply batch =
            h.post("/chapter/batchCreateChapter",
                   {{"book_id", QString::number(book)}, {"list", QString::fromUtf8(list)}});
        QCOMPARE(batch.code(), 200);
        const QJsonArray answers = batch.content().toArray();
        QCOMPARE(answers.size(), 3);
        QVERIFY(answers.at(0).toObject().value("chapter_id").toInt() > 0);
        QCOMPARE(answers.at(1).toObject().value("chapter_id").toInt(), 0);
        QVERIFY(!answers.at(1).toObject().value("msg").toString().isEmpty());
        QVERIFY(answers.at(2).toObject().value("chapter_id").toInt() > 0);
        const QString chapter = QString::number(answers.at(0).toObject().value("chapter_id").toInt());
        const TestHttpReply edit =
            h.post("/chapter/editChapter",
                   {{"book_id", QString::number(book)}, {"chapter_id", chapter}, {"content", tooLong}});
        QCOMPARE(edit.code(), 400);
        QCOMPARE(h.get("/chapter/chapter", {{"book_id", QString::number(book)}, {"chapter_id", chapter}})
                     .object()
                     .value("content")
                     .toString(),
                 QStringLiteral("甲"));
        QCOMPARE(h.post("/chapter/editChapter", {{"book_id", QString::number(book)},
                                                 {"chapter_id", chapter},
                                                 {"content", tooLong.left(1000000)}})
                     .code(),
                 200);
    }

    // A hundred connections from one address trickling a request head do
    // not keep a request from another address waiting.
    void slowConnectionsStarveNobody()
    {
        std::vector<std::unique_ptr<QTcpSocket>> slow;
        for (int i = 0; i < 100; ++i) {
            slow.push_back(connectFrom(QStringLiteral("127.0.0.2"), m_server.port()));
            slow.back()->write("POST /books/addBook HTTP/1.1\r\n");
        }
        QTimer trickle;
        int line = 0;
        connect(&trickle, &QTimer::timeout, this, [&] {
            for (auto &s : slow)
                s->write(QStringLiteral("X-Slow-%1: 1\r\n").arg(++line).toLatin1());
        });
        trickle.start(500);
        QTest::qWait(1000);
        const TestHttpReply r = author().get("/books/booksList");
        QCOMPARE(r.code(), 200);
        int open = 0;
        for (auto &s : slow)
            open += s->state() == QAbstractSocket::ConnectedState;
        QVERIFY2(open > 0, "the slow connections were all closed before the request was answered");
    }

    // A request head that never ends is cut off at its deadline.
    void endlessHeadIsCutOff()
    {
        TestServer quick;
        quick.setExtraArguments({"--request-timeout", "1"});
        QVERIFY(quick.start());
        auto socket = connectFrom(QStringLiteral("127.0.0.3"), quick.port());
        QVERIFY(socket->waitForConnected(5000));
        socket->write("GET /synchronization/synData HTTP/1.1\r\n");
        QTimer trickle;
        connect(&trickle, &QTimer::timeout, this, [&] { socket->write("X-Slow: 1\r\n"); });
        trickle.start(200);
        QTRY_VERIFY_WITH_TIMEOUT(socket->state() != QAbstractSocket::ConnectedState, 20000);
    }

    // Busy clients that keep their connections open take turns when there
    // are more of them than workers: every one is served.
    void busyClientsTakeTurns()
    {
        TestServer few;
        few.setExtraArguments({"--threads", "2", "--max-per-address", "64"});
        QVERIFY(few.start());
        constexpr int kClients = 6;
        bool running = true;
        QVector<int> answers(kClients, 0);
        std::vector<std::unique_ptr<QNetworkAccessManager>> managers;
        std::function<void(int)> ask = [&](int i) {
            QNetworkReply *reply =
                managers[i]->get(QNetworkRequest(QUrl(few.baseUrl() + "/synchronization/synData")));
            connect(reply, &QNetworkReply::finished, this, [&, i, reply] {
                reply->deleteLater();
                if (reply->error() == QNetworkReply::NoError)
                    ++answers[i];
                if (running)
                    ask(i);
            });
        };
        for (int i = 0; i < kClients; ++i) {
            managers.push_back(std::make_unique<QNetworkAccessManager>());
            ask(i);
        }
        QTRY_VERIFY_WITH_TIMEOUT(*std::min_element(answers.begin(), answers.end()) >= 3, 30000);
        running = false;
        QTest::qWait(200);
    }
};

QUORVIN_TEST_MAIN(TstServerLimits)
#include "tst_server_limits.moc"
