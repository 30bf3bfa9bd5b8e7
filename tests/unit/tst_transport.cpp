// How the client reads the server's answers: which ones refuse a change and
// which only say "not now", what the author reads for every failure a
// request can meet (Chinese, with what to do), and the growing delay of the
// queue's next try.
#include "manager/cretrytimer.h"
#include "remote/ctransportfailure.h"
#include "testmain.h"

#include <QMetaEnum>
#include <QNetworkReply>
#include <QTranslator>

Q_DECLARE_METATYPE(T_TransportFailure)

namespace {

bool hasCjk(const QString &text)
{
    for (const QChar c : text)
        if (c.unicode() >= 0x4e00 && c.unicode() <= 0x9fff)
            return true;
    return false;
}

} // namespace

class TstTransport : public QObject
{
    Q_OBJECT

private:
    QTranslator m_translator;

private slots:
    void initTestCase()
    {
        QVERIFY(m_translator.load(":/res/client.qm"));
        QCoreApplication::installTranslator(&m_translator);
    }

    void answersAreRefusalsOrTransient_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<bool>("answer"); // something to act on
        QTest::addColumn<int>("code");    // its envelope code
        QTest::addColumn<int>("failure"); // else the failure's kind
        const QByteArray ok = R"({"code":200,"msg":"success","content":{}})";
        const QByteArray refused = R"({"code":413,"msg":"章节过长"})";
        const QByteArray html = "<html><body>Bad Gateway</body></html>";
        QTest::newRow("200 envelope") << 200 << ok << true << 200 << 0;
        QTest::newRow("200 sign-in lost")
            << 200 << QByteArray(R"({"code":300,"msg":"x"})") << true << 300 << 0;
        QTest::newRow("200 envelope refusal")
            << 200 << QByteArray(R"({"code":409,"msg":"x"})") << true << 409 << 0;
        QTest::newRow("200 html") << 200 << html << false << 0 << int(T_TransportFailure::NotEnvelope);
        QTest::newRow("200 empty") << 200 << QByteArray() << false << 0
                                   << int(T_TransportFailure::NotEnvelope);
        QTest::newRow("200 json array")
            << 200 << QByteArray("[1]") << false << 0 << int(T_TransportFailure::NotEnvelope);
        QTest::newRow("200 code zero")
            << 200 << QByteArray(R"({"code":0})") << false << 0 << int(T_TransportFailure::NotEnvelope);
        QTest::newRow("200 code fraction")
            << 200 << QByteArray(R"({"code":200.5})") << false << 0 << int(T_TransportFailure::NotEnvelope);
        QTest::newRow("200 code as text")
            << 200 << QByteArray(R"({"code":"200"})") << false << 0 << int(T_TransportFailure::NotEnvelope);
        QTest::newRow("200 truncated")
            << 200 << ok.left(12) << false << 0 << int(T_TransportFailure::NotEnvelope);
        QTest::newRow("200 envelope 500") << 200 << QByteArray(R"({"code":500,"msg":"store"})") << false << 0
                                          << int(T_TransportFailure::Busy);
        QTest::newRow("200 envelope 503")
            << 200 << QByteArray(R"({"code":503,"msg":"x"})") << false << 0 << int(T_TransportFailure::Busy);
        QTest::newRow("200 envelope 429")
            << 200 << QByteArray(R"({"code":429,"msg":"x"})") << false << 0 << int(T_TransportFailure::Busy);
        for (int status : {400, 404, 409, 413, 422}) {
            QTest::addRow("%d own envelope", status) << status << refused << true << 413 << 0;
            QTest::addRow("%d html", status) << status << html << true << status << 0;
        }
        for (int status : {401, 403, 405, 408, 410, 429, 500, 502, 503, 504})
            QTest::addRow("%d", status)
                << status << refused << false << 0 << int(T_TransportFailure::HttpStatus);
    }

    void answersAreRefusalsOrTransient()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, raw);
        QFETCH(bool, answer);
        QFETCH(int, code);
        QFETCH(int, failure);
        QByteArray body;
        T_TransportFailure why;
        QCOMPARE(ReplyCheck::readAnswer(status, "Reason", raw, body, why), answer);
        if (answer) {
            int got = 0;
            QVERIFY(ReplyCheck::isEnvelope(body, &got));
            QCOMPARE(got, code);
            QVERIFY(!why.failed());
        } else {
            QVERIFY(body.isEmpty());
            QCOMPARE(int(why.kind), failure);
            QVERIFY(!why.logText().isEmpty());
        }
    }

    // Every message the client itself can show for a failed request.
    void everyFailureReadsInChinese_data()
    {
        QTest::addColumn<T_TransportFailure>("failure");
        const QMetaEnum errors = QMetaEnum::fromType<QNetworkReply::NetworkError>();
        for (int i = 0; i < errors.keyCount(); ++i) {
            if (errors.value(i) == QNetworkReply::NoError)
                continue;
            QTest::newRow(errors.key(i))
                << T_TransportFailure::network(errors.value(i), QStringLiteral("detail"));
        }
        QTest::newRow("time-out") << T_TransportFailure::timedOut(10000);
        for (int status : {401, 403, 405, 408, 418, 429, 500, 501, 502, 503, 504, 599}) {
            T_TransportFailure http;
            http.kind = T_TransportFailure::HttpStatus;
            http.status = status;
            QTest::addRow("HTTP %d", status) << http;
            T_TransportFailure busy = http;
            busy.kind = T_TransportFailure::Busy;
            QTest::addRow("envelope %d", status) << busy;
        }
        T_TransportFailure garbage;
        garbage.kind = T_TransportFailure::NotEnvelope;
        QTest::newRow("not the envelope") << garbage;
    }

    void everyFailureReadsInChinese()
    {
        QFETCH(T_TransportFailure, failure);
        const QString text = failure.text();
        QVERIFY2(hasCjk(text), qPrintable(text));
        QVERIFY2(!text.contains(QLatin1String("error")), qPrintable(text));
    }

    void timeOutSaysHowLongItWaited()
    {
        QVERIFY(T_TransportFailure::timedOut(10000).text().contains(QLatin1String("10")));
    }

    void retryDelaysDoubleToAMinuteWithJitter_data()
    {
        QTest::addColumn<double>("random");
        QTest::newRow("no jitter") << 0.0;
        QTest::newRow("half") << 0.5;
        QTest::newRow("most") << 0.999;
    }

    void retryDelaysDoubleToAMinuteWithJitter()
    {
        QFETCH(double, random);
        CRetryTimer timer;
        QList<int> armed;
        timer.setArm([&](int delay) { armed << delay; });
        timer.setRandom([random] { return random; });
        int due = 0;
        connect(&timer, &CRetryTimer::sig_Due, this, [&] { ++due; });
        const QList<int> nominal{2000, 4000, 8000, 16000, 32000, 60000, 60000};
        for (int i = 0; i < nominal.size(); ++i) {
            const int delay = timer.schedule();
            QCOMPARE(timer.schedule(), delay); // armed once per wait
            QVERIFY(delay <= nominal[i]);
            QVERIFY(delay >= nominal[i] * 3 / 4);
            if (random == 0.0)
                QCOMPARE(delay, nominal[i]);
            timer.fire();
            QCOMPARE(due, i + 1);
        }
        QCOMPARE(armed.size(), nominal.size());
        // An answer starts the delays again.
        timer.schedule();
        QVERIFY(timer.reset());
        QVERIFY(!timer.isPending());
        timer.fire();
        QCOMPARE(due, nominal.size());
        QVERIFY(timer.schedule() <= 2000);
    }
};

QUORVIN_TEST_MAIN(TstTransport)
#include "tst_transport.moc"
