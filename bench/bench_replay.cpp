// Replaying 1,000 queued chapter-content jobs of 5,000 characters to the
// companion server on loopback; prints jobs per second (target: 300).
#include "db/cquorvindb.h"
#include "manager/cjobmanager.h"
#include "manager/cuimanager.h"
#include "remote/cquorvinhttp.h"
#include "testappdir.h"
#include "testserver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>
#include <QTimer>
#include <cstdio>

namespace {

constexpr int kJobs = 1000;
constexpr int kContentLength = 5000;
const char *kUniqueCode = "bench00000000000000000000000000r";

int queued()
{
    QSqlQuery query(QSqlDatabase::database(QStringLiteral("check")));
    query.exec(QStringLiteral("select count(*) from tb_job"));
    return query.next() ? query.value(0).toInt() : -1;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TestAppDir appDir;
    TestServer server;
    QString token;
    qint64 uid = 0;
    if (!appDir.isValid() || !server.start() ||
        !server.signUp(QStringLiteral("13700000999"), QStringLiteral("25d55ad283aa400af464c76d713c07ad"),
                       token, uid) ||
        !CQuorvinDb::instance()->init())
        return 1;
    {
        QSqlDatabase check = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        check.setDatabaseName(appDir.dbFile());
        check.open();
    }
    TestHttp http(server.baseUrl());
    http.setToken(token);
    http.setUniqueCode(QLatin1String(kUniqueCode));
    const int bookId = http.post("/books/addBook", {{"book_name", "bench"}, {"local_id", "1"}})
                           .object()
                           .value("book_id")
                           .toInt();

    CQuorvinDb *db = CQuorvinDb::instance();
    const QString content = QString(kContentLength, QChar(0x6587));
    const QString json =
        QString::fromUtf8(QJsonDocument(QJsonObject{{"content", content}}).toJson(QJsonDocument::Compact));
    QElapsedTimer setup;
    setup.start();
    for (int i = 1; i <= kJobs; ++i) {
        const int chapterId =
            http.post("/chapter/createChapter", {{"book_id", QString::number(bookId)},
                                                 {"local_id", QString::number(i)},
                                                 {"chapter_name", QStringLiteral("c%1").arg(i)},
                                                 {"order_num", QString::number(i)}})
                .object()
                .value("chapter_id")
                .toInt();
        T_Http_C header;
        header.uid = int(uid);
        header.jobType = JobType_ChapterEdit;
        header.localBookId = 1;
        header.bookId = bookId;
        header.localChapterId = i;
        header.chapterId = chapterId;
        if (chapterId < 1 || !db->insertJob(header, json, db->currentTime()))
            return 1;
    }

    std::printf("set-up: %d chapters created by plain requests in %lld ms\n", kJobs, setup.elapsed());
    T_SessionData &session = T_SessionData::instance();
    session.author.uid = int(uid);
    CQuorvinHttp::instance()->setBaseUrl(server.baseUrl());
    CQuorvinHttp::instance()->setToken(token);
    CQuorvinHttp::instance()->setUniqueCode(QLatin1String(kUniqueCode));
    CJobManager *jobs = CJobManager::instance();
    QElapsedTimer clock;
    clock.start();
    jobs->checkUserJob();
    // The event loop runs freely while a timer looks at the queue now and then;
    // QTest::qWaitFor would sleep 10 ms between rounds of events and time itself.
    QEventLoop loop;
    QTimer poll;
    bool done = false;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (queued() == 0 && CUiManager::instance()->syncRunning() == 0) {
            done = true;
            loop.quit();
        } else if (clock.elapsed() > 120000) {
            loop.quit();
        }
    });
    poll.start(5);
    loop.exec();
    const qint64 ms = clock.elapsed();
    std::printf("replayed %d content jobs of %d characters in %lld ms: %.0f jobs/s (target 300)%s\n", kJobs,
                kContentLength, ms, kJobs * 1000.0 / qMax<qint64>(1, ms), done ? "" : " NOT FINISHED");
    return done ? 0 : 1;
}
