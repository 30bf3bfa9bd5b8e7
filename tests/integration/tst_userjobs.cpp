// Account and statistics jobs against the companion server: first and later
// sign-ins on one machine, the remembered sign-in, the offline profile job
// and its replay, logout, and the day statistics with the statistics JSON.
#include "db/cquorvindb.h"
#include "dbprobe.h"
#include "manager/cjobmanager.h"
#include "manager/cuserjobmanager.h"
#include "remote/chttputil.h"
#include "remote/cquorvinhttp.h"
#include "remote/cquorvinparser.h"
#include "testappdir.h"
#include "testmain.h"
#include "testserver.h"

#include <QDate>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkReply>
#include <QSqlQuery>
#include <QTcpServer>

namespace {

const QString kPhone = QStringLiteral("13800000001");
const QString kPassword = HttpUtil::passwordDigest(QStringLiteral("secret-123"));

QStringList rows(const QString &sql)
{
    return dbRows(sql);
}

// An address on loopback where nothing listens.
QString deadAddress()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    return QStringLiteral("http://127.0.0.1:%1").arg(port);
}

} // namespace

class TstUserJobs : public QObject
{
    Q_OBJECT

private:
    TestServer m_server;
    QScopedPointer<TestAppDir> m_app;
    CUserJobManager *m_user = nullptr;
    T_SessionData *m_session = nullptr;
    CQuorvinHttp *m_http = nullptr;
    QList<QPair<int, QByteArray>> m_replies; // jobType, body

    bool signIn(bool remember)
    {
        TC_Author_Login req;
        req.phone = kPhone;
        req.password = kPassword;
        req.autoLogin = remember;
        TS_Author_Login res;
        return m_user->login(req, res) == 200 && res.code == 200;
    }

    int jobCount(int type)
    {
        return rows(QStringLiteral("select jobId from tb_job where jobType = %1").arg(type)).size();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.start());
        QString token;
        qint64 uid = 0;
        QVERIFY(m_server.signUp(kPhone, kPassword, token, uid));
        m_user = CUserJobManager::instance();
        m_session = &T_SessionData::instance();
        m_http = CQuorvinHttp::instance();
        // The test looks at every reply; once the coordinator exists (the
        // statistics tests) it routes them as well.
        connect(m_http, &CQuorvinHttp::sigGetAsynData, this, [this](QNetworkReply *reply) {
            T_Http_C route;
            HttpUtil::parseUserdata(QString::fromLatin1(reply->request().rawHeader("userdata")), route);
            m_replies.append({route.jobType, reply->peek(reply->bytesAvailable())});
            reply->deleteLater();
        });
    }

    void init()
    {
        m_app.reset(new TestAppDir);
        QVERIFY(m_app->isValid());
        QVERIFY(CQuorvinDb::instance()->init());
        QVERIFY(m_http->setBaseUrl(m_server.baseUrl()));
        m_http->clearIdentity();
        m_session->author = TS_Author_Info();
        m_session->user = T_User();
        m_replies.clear();
    }

    void cleanup() { m_app.reset(); }

    void firstSignInMakesTheIdentityLaterOnesKeepIt()
    {
        QVERIFY(signIn(true));
        const int uid = m_session->author.uid;
        QVERIFY(uid > 0);
        const QString code = m_session->author.uniqueCode;
        QCOMPARE(code.size(), 32);
        QCOMPARE(m_http->uniqueCode(), code);
        QCOMPARE(rows("select uid,uniqueCode from tb_user"),
                 QStringList{QStringLiteral("%1|%2").arg(uid).arg(code)});
        QCOMPARE(rows("select lastUid from tb_sys"), QStringList{QString::number(uid)});
        // The settings rows come with the author row.
        QCOMPARE(rows("select hideKey from tb_system_conf where uid = " + QString::number(uid)),
                 QStringList{"Ctrl+Shift+N"});

        const QString firstToken = m_session->author.token;
        QVERIFY(signIn(false));
        QCOMPARE(m_session->author.uniqueCode, code);
        QVERIFY(m_session->author.token != firstToken);
        QCOMPARE(rows("select count(*),token from tb_user"),
                 QStringList{QStringLiteral("1|%1").arg(m_session->author.token)});
        // Not remembered: the next start shows the login dialog.
        QCOMPARE(rows("select lastUid,lastLoginTime from tb_sys"), QStringList{"0|0"});
    }

    void refusedAndUnreachableSignIns()
    {
        TC_Author_Login req;
        req.phone = kPhone;
        req.password = HttpUtil::passwordDigest(QStringLiteral("wrong"));
        TS_Author_Login res;
        QCOMPARE(m_user->login(req, res), 200);
        QCOMPARE(res.code, 403);
        QCOMPARE(m_session->author.uid, 0);

        QVERIFY(m_http->setBaseUrl(deadAddress()));
        req.password = kPassword;
        QCOMPARE(m_user->login(req, res), 10002);
        QCOMPARE(res.code, 10002);
        QVERIFY(rows("select uid from tb_user").isEmpty());
    }

    void offlineProfileUpdateIsOneJobReplayedLater()
    {
        QVERIFY(signIn(true));
        QVERIFY(m_http->setBaseUrl(deadAddress()));
        TC_Author_Update req;
        req.authorName = QStringLiteral("夜行者");
        req.sex = QStringLiteral("M");
        TS_Author_Update res;
        QCOMPARE(m_user->updateAuthor(req, res), 10002);
        req.authorName = QStringLiteral("晨行者");
        req.sex = QStringLiteral("F");
        QCOMPARE(m_user->updateAuthor(req, res), 10002);
        const QStringList jobs = rows("select jobId,content from tb_job where jobType = 2");
        QCOMPARE(jobs.size(), 1);
        const QJsonObject json = QJsonDocument::fromJson(jobs.first().section('|', 1).toUtf8()).object();
        QCOMPARE(json.value("name").toString(), QStringLiteral("晨行者"));
        QCOMPARE(json.value("sex").toString(), QStringLiteral("F"));
        // Kept locally at once.
        QCOMPARE(rows("select authorName from tb_user"), QStringList{QStringLiteral("晨行者")});

        // Replayed while the server still cannot be reached: the job stays.
        T_JobData job;
        QVERIFY(CQuorvinDb::instance()->getUserJobData(job, m_session->author.uid));
        QSignalSpy done(m_user, &CUserJobManager::sig_UserJobDone);
        QVERIFY(m_user->execUserJob(job));
        QCOMPARE(done.takeFirst().at(0).toBool(), false);
        QCOMPARE(jobCount(2), 1);

        QVERIFY(m_http->setBaseUrl(m_server.baseUrl()));
        QVERIFY(m_user->execUserJob(job));
        QCOMPARE(done.takeFirst().at(0).toBool(), true);
        QCOMPARE(jobCount(2), 0);
        TS_Author_Info info;
        QCOMPARE(m_user->getAuthorInfo(info), 200);
        QCOMPARE(info.authorName, QStringLiteral("晨行者"));
        QCOMPARE(info.sex, QStringLiteral("F"));
    }

    void logoutForgetsTheAuthor()
    {
        QVERIFY(signIn(true));
        m_session->user.hideKey = QStringLiteral("Ctrl+Alt+H");
        TS_Author_Logout res;
        QCOMPARE(m_user->logout(res), 200);
        QCOMPARE(res.code, 200);
        QVERIFY(m_http->headers().isEmpty());
        QVERIFY(m_http->uniqueCode().isEmpty());
        QCOMPARE(m_session->author.uid, 0);
        QVERIFY(m_session->author.token.isEmpty());
        QCOMPARE(m_session->user.hideKey, QStringLiteral("Ctrl+Shift+N"));
        QCOMPARE(rows("select lastUid,lastLoginTime from tb_sys"), QStringList{"0|0"});
    }

    void statisticsJsonOfANewAuthor()
    {
        QVERIFY(signIn(true));
        const QJsonObject json = QJsonDocument::fromJson(m_user->statisticsJson().toUtf8()).object();
        for (const char *key : {"speedData", "timeData", "wordData", "writeTimeData"}) {
            const QJsonArray array = json.value(key).toArray();
            QCOMPARE(array.size(), 7);
            for (const QJsonValue &v : array)
                QVERIFY(v.isString());
        }
        const QJsonArray dates = json.value("timeData").toArray();
        QCOMPARE(dates.first().toString(), QDate::currentDate().addDays(-6).toString("yyyy-MM-dd"));
        QCOMPARE(dates.last().toString(), QDate::currentDate().toString("yyyy-MM-dd"));
        QCOMPARE(json.value("wordData").toArray().last().toString(), QStringLiteral("0"));
        QCOMPARE(json.value("historyData").toObject().value("sum_word").toInt(), 0);
    }

    // Statistics replies are settled by the coordinator: each answer takes
    // out of the day's job what its request carried.
    int statisticsReplies() const
    {
        int n = 0;
        for (const auto &reply : m_replies)
            n += reply.first == JobType_Statistics ? 1 : 0;
        return n;
    }

    void saveSendsTheDayAndTheJsonShowsIt()
    {
        CJobManager::instance();
        QVERIFY(signIn(true));
        const int uid = m_session->author.uid;
        T_DayStatistics &day = m_session->todayStatistics;
        QCOMPARE(day.date, QDate::currentDate().toString("yyyy-MM-dd"));
        day.wordCount = 120;
        day.writeTime = 61;
        day.writeSpeed = 40;
        QVERIFY(m_user->saveDayStatistics());
        QCOMPARE(day.wordCount, 0);
        QCOMPARE(day.writeTime, 0);
        day.wordCount = 30;
        day.writeTime = 60;
        day.writeSpeed = 45;
        QVERIFY(m_user->saveDayStatistics());
        // One job for the day, holding both saves.
        const QStringList jobs = rows("select content from tb_job where jobType = 33");
        QCOMPARE(jobs.size(), 1);
        const QJsonObject job = QJsonDocument::fromJson(jobs.first().toUtf8()).object();
        QCOMPARE(job.value("wordCount").toInt(), 150);
        QCOMPARE(job.value("writeTime").toInt(), 121);
        // The second save waits for the first request's answer and then
        // goes with what is left.
        QTRY_COMPARE(statisticsReplies(), 2);
        QTRY_COMPARE(jobCount(JobType_Statistics), 0);
        for (const auto &reply : qAsConst(m_replies)) {
            if (reply.first != JobType_Statistics)
                continue;
            T_Http_S envelope;
            CQuorvinParser::parse(reply.second, envelope);
            QCOMPARE(envelope.code, 200);
        }
        TestHttp http(m_server.baseUrl());
        http.setToken(m_session->author.token);
        const QJsonObject server = http.get("/authorcount/userData").object();
        QCOMPARE(server.value("wordData").toArray().last().toInt(), 150);

        const QJsonObject json = QJsonDocument::fromJson(m_user->statisticsJson().toUtf8()).object();
        QCOMPARE(json.value("wordData").toArray().last().toString(), QStringLiteral("150"));
        QCOMPARE(json.value("speedData").toArray().last().toString(), QStringLiteral("45"));
        // 121 seconds are three begun minutes.
        QCOMPARE(json.value("writeTimeData").toArray().last().toString(), QStringLiteral("3"));
        QCOMPARE(json.value("historyData").toObject().value("sum_word").toInt(), 150);
        QCOMPARE(json.value("historyData").toObject().value("max_speed").toInt(), 45);
        QCOMPARE(rows("select wordCount,writeTime from tb_statistics where uid = " + QString::number(uid)),
                 QStringList{"150|121"});
    }

    // Writing across midnight: the first save of the new day starts it,
    // and what was written since the last save counts for the new day. The
    // day before keeps its own totals, here and on the server.
    void writingPastMidnightCountsForTheNewDay()
    {
        const QDate today = QDate::currentDate();
        const QDate yesterday = today.addDays(-1);
        QDate shown = yesterday;
        m_user->setDateSource([&shown] { return shown; });
        QVERIFY(signIn(true));
        const int uid = m_session->author.uid;
        TestHttp http(m_server.baseUrl());
        http.setToken(m_session->author.token);
        // Other tests of this run wrote to the same account.
        const auto serverWords = [&http](int fromEnd) {
            const QJsonArray words = http.get("/authorcount/userData").object().value("wordData").toArray();
            return words.at(words.size() - 1 - fromEnd).toInt();
        };
        const int before[] = {serverWords(0), serverWords(1)};
        T_DayStatistics &day = m_session->todayStatistics;
        QCOMPARE(day.date, yesterday.toString("yyyy-MM-dd"));
        day.wordCount = 500;
        day.writeTime = 300;
        day.writeSpeed = 3600;
        QVERIFY(m_user->saveDayStatistics());

        shown = today; // midnight passes while the author writes
        day.wordCount = 40;
        day.writeTime = 20;
        QVERIFY(m_user->saveDayStatistics());
        QCOMPARE(day.date, today.toString("yyyy-MM-dd"));
        QCOMPARE(day.writeSpeed, 0); // the new day has its own best speed
        day.wordCount = 2;
        day.writeTime = 1;
        day.writeSpeed = 1800;
        QVERIFY(m_user->saveDayStatistics());
        m_user->setDateSource({});
        // A restart starts the day again from its row: the best speed stays,
        // the increments begin at 0.
        day = T_DayStatistics();
        QVERIFY(m_user->loadAuthor(uid));
        QCOMPARE(day.date, today.toString("yyyy-MM-dd"));
        QCOMPARE(day.writeSpeed, 1800);
        QCOMPARE(day.wordCount, 0);

        QCOMPARE(rows(QStringLiteral("select date,wordCount,writeTime from tb_statistics where uid = %1 "
                                     "order by date")
                          .arg(uid)),
                 (QStringList{yesterday.toString("yyyy-MM-dd") + "|500|300",
                              today.toString("yyyy-MM-dd") + "|42|21"}));
        // The server ends up with both days.
        QTRY_COMPARE(jobCount(JobType_Statistics), 0);
        QTRY_COMPARE(serverWords(0), before[0] + 42);
        QCOMPARE(serverWords(1), before[1] + 500);
        const QJsonArray dates = http.get("/authorcount/userData").object().value("timeData").toArray();
        QCOMPARE(dates.last().toString(), today.toString("yyyy-MM-dd"));
    }
};

QUORVIN_TEST_MAIN(TstUserJobs)
#include "tst_userjobs.moc"
