// Saving a 200,000-character chapter (text update + job merge) while 10,000
// other jobs wait in the queue. Prints the median and spread of a save.
#include "db/cquorvindb.h"
#include "testappdir.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

// CPU time of the process (the benchmark runs on one thread).
double cpuMs()
{
    return std::clock() * 1000.0 / CLOCKS_PER_SEC;
}

constexpr int kWaitingJobs = 10000;
constexpr int kChapterLength = 200000;
constexpr int kSaves = 200;

// Other authors' books, chapters and memos, each with a waiting job.
bool fillQueue(const QString &path)
{
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
        db.setDatabaseName(path);
        ok = db.open() && db.transaction();
        QSqlQuery query(db);
        ok = ok && query.prepare(QStringLiteral("insert into tb_job(uid,jobType,localBookId,localChapterId,"
                                                "localMemoId,content,createTime) values(1,?,?,?,?,?,?)"));
        const int types[] = {23, 12, 14, 42, 16};
        for (int i = 0; ok && i < kWaitingJobs; ++i) {
            query.addBindValue(types[i % 5]);
            query.addBindValue(1000 + i / 20);
            query.addBindValue(2000 + i);
            query.addBindValue(i % 5 == 3 ? 3000 + i : 0);
            query.addBindValue(
                QStringLiteral("{\"content\":\"%1\"}").arg(QString(QChar(0x6587)).repeated(500)));
            query.addBindValue(i);
            ok = query.exec();
        }
        ok = ok && db.commit();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
    return ok;
}

QString chapterText(int version)
{
    QString text =
        QString::fromUtf8("他说：'今天的风很大。' %1 %10 百分之百。\n").repeated(kChapterLength / 24 + 1);
    text.truncate(kChapterLength - 8);
    return text + QStringLiteral("%1").arg(version, 8, 10, QLatin1Char('0'));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    TestAppDir dir;
    CQuorvinDb *db = CQuorvinDb::instance();
    if (!dir.isValid() || !db->init() || !fillQueue(dir.dbFile())) {
        std::fprintf(stderr, "setup failed\n");
        return 1;
    }
    db->insertBook(1, QStringLiteral("book"), 0);
    T_Chapter chapter;
    chapter.localBookId = db->lastInsertId(QStringLiteral("tb_book"));
    chapter.name = QStringLiteral("chapter");
    db->insertChapterWithContent(chapter);

    std::vector<double> ms;
    std::vector<double> cpu;
    QElapsedTimer timer;
    for (int i = 0; i < kSaves; ++i) {
        const QString text = chapterText(i);
        T_Http_C header;
        header.uid = 1;
        header.localBookId = chapter.localBookId;
        header.localChapterId = chapter.localId;
        header.jobType = JobType_ChapterText;
        const double cpuStart = cpuMs();
        timer.start();
        const bool ok = db->saveChapterText(header, text, text.size(), i);
        ms.push_back(timer.nsecsElapsed() / 1e6);
        cpu.push_back(cpuMs() - cpuStart);
        if (!ok) {
            std::fprintf(stderr, "save %d failed: %s\n", i, qPrintable(db->lastError()));
            return 1;
        }
    }
    std::sort(ms.begin(), ms.end());
    std::sort(cpu.begin(), cpu.end());
    std::printf("chapter save (%d chars, %d jobs waiting), %d saves:\n", kChapterLength, kWaitingJobs,
                kSaves);
    std::printf("  median %.2f ms   p90 %.2f ms   min %.2f ms   max %.2f ms\n", ms[ms.size() / 2],
                ms[ms.size() * 9 / 10], ms.front(), ms.back());
    // CPU time of the saves: the same figure on a machine busy with
    // other work.
    std::printf("  CPU time: median %.2f ms   p90 %.2f ms\n", cpu[cpu.size() / 2], cpu[cpu.size() * 9 / 10]);
    return 0;
}
