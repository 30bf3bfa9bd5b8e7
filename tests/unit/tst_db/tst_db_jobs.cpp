// The job queue: merge rules of addJob and addStatisticsJob.
#include "tst_db.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {

T_Http_C header(int jobType, int localBookId = 0, int localChapterId = 0, int localMemoId = 0)
{
    T_Http_C h;
    h.uid = 1;
    h.jobType = jobType;
    h.localBookId = localBookId;
    h.localChapterId = localChapterId;
    h.localMemoId = localMemoId;
    return h;
}

QString json(const QJsonObject &object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

} // namespace

void TestDb::chapterChangesFoldIntoOneJob()
{
    T_Http_C h = header(JobType_ChapterRename, 2, 3);
    QVERIFY(m_db->addJob(h, "first name", 10));
    QCOMPARE(h.jobType, int(JobType_ChapterEdit));
    const int jobId = h.jobId;
    QVERIFY(jobId > 0);

    h = header(JobType_ChapterRename, 2, 3);
    QVERIFY(m_db->addJob(h, "Tom's name", 11));
    QCOMPARE(h.jobId, jobId);
    h = header(JobType_ChapterText, 2, 3);
    QVERIFY(m_db->addJob(h, "text with %1 and 'quotes'", 12));
    QCOMPARE(h.jobId, jobId);
    h = header(JobType_ChapterText, 2, 4); // another chapter: a job of its own
    QVERIFY(m_db->addJob(h, "other", 13));
    QVERIFY(h.jobId != jobId);

    QCOMPARE(count("tb_job"), 2);
    QCOMPARE(count("tb_job", "jobType in (21, 22)"), 0);
    T_JobData job;
    QVERIFY(m_db->getUserJobData(job, 1));
    QCOMPARE(job.jobId, jobId);
    QCOMPARE(job.jobType, int(JobType_ChapterEdit));
    QCOMPARE(job.createTime, 12);
    const QJsonObject object = QJsonDocument::fromJson(job.content.toUtf8()).object();
    QCOMPARE(object.value("name").toString(), QString("Tom's name"));
    QCOMPARE(object.value("content").toString(), QString("text with %1 and 'quotes'"));
    QCOMPARE(scalar("select count(*) from tb_job where content like '%Tom''s%' and content not like "
                    "'%Tom''''s%'")
                 .toInt(),
             1);
}

void TestDb::bookEditsMerge()
{
    T_Http_C h = header(JobType_BookEdit, 5);
    QVERIFY(m_db->addJob(h, json({{"bookName", "Old"}, {"intro", "first intro"}, {"cateId", 3}}), 10));
    const int jobId = h.jobId;
    h = header(JobType_BookEdit, 5);
    QVERIFY(m_db->addJob(h, json({{"intro", "last intro"}, {"channelType", 2}, {"ignored", 1}}), 20));
    QCOMPARE(h.jobId, jobId);
    h = header(JobType_BookEdit, 6);
    QVERIFY(m_db->addJob(h, json({{"intro", "another book"}}), 30));

    QCOMPARE(count("tb_job", "jobType = 12"), 2);
    T_JobData job;
    QVERIFY(m_db->getUserJobData(job, 1));
    const QJsonObject object = QJsonDocument::fromJson(job.content.toUtf8()).object();
    QCOMPARE(object.value("bookName").toString(), QString("Old"));
    QCOMPARE(object.value("intro").toString(), QString("last intro"));
    QCOMPARE(object.value("cateId").toInt(), 3);
    QCOMPARE(object.value("channelType").toInt(), 2);
    QVERIFY(!object.contains("ignored"));
    QCOMPARE(job.createTime, 20);
}

void TestDb::memoChangesFoldIntoOneJob()
{
    T_Http_C h = header(JobType_MemoColor, 0, 0, 4);
    QVERIFY(m_db->addJob(h, "#FF0000", 1));
    QCOMPARE(h.jobType, int(JobType_MemoEdit));
    const int jobId = h.jobId;
    h = header(JobType_MemoContent, 0, 0, 4);
    QVERIFY(m_db->addJob(h, "memo text", 2));
    h = header(JobType_MemoLocation, 0, 0, 4);
    QVERIFY(m_db->addJob(h,
                         json({{"bookId", 7},
                               {"localBookId", 8},
                               {"chapterId", 9},
                               {"localChapterId", 10},
                               {"x", 1.5},
                               {"y", 2.5}}),
                         3));
    h = header(JobType_MemoColor, 0, 0, 4);
    QVERIFY(m_db->addJob(h, "#00FF00", 4));
    QCOMPARE(h.jobId, jobId);

    QCOMPARE(count("tb_job"), 1);
    T_JobData job;
    QVERIFY(m_db->getUserJobData(job, 1));
    const QJsonObject object = QJsonDocument::fromJson(job.content.toUtf8()).object();
    QCOMPARE(object.value("color").toString(), QString("#00FF00"));
    QCOMPARE(object.value("content").toString(), QString("memo text"));
    QCOMPARE(object.value("localChapterId").toInt(), 10);
    QCOMPARE(object.value("y").toDouble(), 2.5);
}

void TestDb::profileJobOnePerAuthor()
{
    T_Http_C h = header(JobType_AuthorInfo);
    QVERIFY(m_db->addJob(h, "first", 1));
    h = header(JobType_AuthorInfo);
    QVERIFY(m_db->addJob(h, "second", 2));
    h = header(JobType_AuthorInfo);
    h.uid = 2;
    QVERIFY(m_db->addJob(h, "other author", 3));
    QCOMPARE(count("tb_job", "uid = 1"), 1);
    QCOMPARE(scalar("select content from tb_job where uid = 1").toString(), QString("second"));
    QCOMPARE(count("tb_job", "uid = 2"), 1);
}

void TestDb::deleteJobsCancelWaitingJobs_data()
{
    QTest::addColumn<int>("deleteType");
    QTest::addColumn<int>("survivors"); // jobs of other objects that must stay
    QTest::newRow("book") << int(JobType_BookDelete) << 2;
    QTest::newRow("chapter") << int(JobType_ChapterDelete) << 4;
    QTest::newRow("memo") << int(JobType_MemoDelete) << 4;
}

// Waiting jobs: book 1 (edit), chapter 2 of book 1 (text), chapter 3 of
// book 1 (text), memo 4 (colour), and book 9 (new chapter). Deleting book
// 1, chapter 2 or memo 4 cancels the waiting jobs of that object first.
void TestDb::deleteJobsCancelWaitingJobs()
{
    QFETCH(int, deleteType);
    QFETCH(int, survivors);
    T_Http_C h = header(JobType_BookEdit, 1);
    QVERIFY(m_db->addJob(h, json({{"intro", "x"}}), 1));
    h = header(JobType_ChapterText, 1, 2);
    QVERIFY(m_db->addJob(h, "text", 1));
    h = header(JobType_ChapterRename, 1, 3);
    QVERIFY(m_db->addJob(h, "name", 1));
    h = header(JobType_MemoColor, 0, 0, 4);
    QVERIFY(m_db->addJob(h, "#123456", 1));
    h = header(JobType_ChapterAdd, 9, 10);
    QVERIFY(m_db->addJob(h, "new", 1, 7));
    QCOMPARE(scalar("select ext1 from tb_job where jobType = 14").toInt(), 7);

    if (deleteType == JobType_BookDelete)
        h = header(deleteType, 1);
    else if (deleteType == JobType_ChapterDelete)
        h = header(deleteType, 1, 2);
    else
        h = header(deleteType, 0, 0, 4);
    QVERIFY(m_db->addJob(h, QString(), 2));
    QVERIFY(h.jobId > 0);
    QCOMPARE(count("tb_job", "jobType = " + QString::number(deleteType)), 1);
    QCOMPARE(count("tb_job") - 1, survivors);
}

// A delete job that cannot be recorded must not cancel the waiting jobs:
// the server would never hear of the change.
void TestDb::deleteJobNotRecordedKeepsWaitingJobs()
{
    T_Http_C h = header(JobType_ChapterText, 1, 2);
    QVERIFY(m_db->addJob(h, "text", 1));
    execRaw("create trigger no_delete_job before insert on tb_job when new.jobType = 17 begin select "
            "raise(abort, "
            "'refused'); end");
    h = header(JobType_ChapterDelete, 1, 2);
    QVERIFY(!m_db->addJob(h, QString(), 2));
    QCOMPARE(h.jobId, 0);
    QCOMPARE(count("tb_job"), 1);
    QCOMPARE(count("tb_job", "jobType = 23"), 1);
}

// The editor's save stores the text and its job together or not at all.
void TestDb::saveChapterTextIsAllOrNothing()
{
    QVERIFY(m_db->insertBook(1, "book", 0));
    const int localBookId = m_db->lastInsertId("tb_book");
    const int localChapterId = addChapter(localBookId, "one", "first text");
    T_Http_C h = header(JobType_ChapterRename, localBookId, localChapterId);
    QVERIFY(m_db->addJob(h, "one", 1));

    h = header(0, localBookId, localChapterId);
    QVERIFY(m_db->saveChapterText(h, "second text", 11, 2));
    QCOMPARE(h.jobType, int(JobType_ChapterEdit));
    QVERIFY(h.jobId > 0);
    QCOMPARE(scalar("select content from tb_chapter").toString(), QString("second text"));
    QCOMPARE(scalar("select wordCount from tb_chapter").toInt(), 11);
    QCOMPARE(scalar("select content from tb_job").toString(),
             QString(R"({"name":"one","content":"second text"})"));

    execRaw("create trigger no_job before update on tb_job begin select raise(abort, 'refused'); end");
    h = header(0, localBookId, localChapterId);
    QVERIFY(!m_db->saveChapterText(h, "third text", 10, 3));
    QCOMPARE(h.jobId, 0);
    QCOMPARE(scalar("select content from tb_chapter").toString(), QString("second text"));
}

void TestDb::statisticsJobsAddUp()
{
    const int first = m_db->addStatisticsJob(1, "2026-03-02", 100, 60, 3000);
    QVERIFY(first > 0);
    QCOMPARE(m_db->addStatisticsJob(1, "2026-03-02", 50, 30, 2000), first);
    const int otherDay = m_db->addStatisticsJob(1, "2026-03-03", 5, 5, 5);
    QVERIFY(otherDay > first);
    QVERIFY(m_db->addStatisticsJob(2, "2026-03-02", 1, 1, 1) > otherDay);

    const QJsonObject object =
        QJsonDocument::fromJson(
            scalar("select content from tb_job where jobId = " + QString::number(first)).toString().toUtf8())
            .object();
    QCOMPARE(object.value("date").toString(), QString("2026-03-02"));
    QCOMPARE(object.value("wordCount").toInt(), 150);
    QCOMPARE(object.value("writeTime").toInt(), 90);
    QCOMPARE(object.value("writeSpeed").toInt(), 2000);
    QCOMPARE(count("tb_job", "jobType = 33"), 3);
}

void TestDb::oldestJobFirst()
{
    T_JobData job;
    job.content = "stale";
    job.jobId = 99;
    QVERIFY(m_db->getUserJobData(job, 1));
    QCOMPARE(job.jobId, 0);
    QCOMPARE(job.uid, 1);
    QVERIFY(job.content.isEmpty());

    T_Http_C h = header(JobType_BookAdd, 1);
    QVERIFY(m_db->addJob(h, "a", 1));
    const int first = h.jobId;
    h = header(JobType_ChapterAdd, 1, 2);
    QVERIFY(m_db->addJob(h, "b", 2));
    QVERIFY(m_db->getUserJobData(job, 1));
    QCOMPARE(job.jobId, first);
    QCOMPARE(job.jobType, int(JobType_BookAdd));
    QVERIFY(m_db->deleteJob(first));
    QVERIFY(m_db->getUserJobData(job, 1));
    QCOMPARE(job.jobId, h.jobId);
    QCOMPARE(job.localChapterId, 2);
}
