// CQuorvinDb: the job queue and its merge rules.
#include "cquorvindb.h"

#include "jsonmembers.h"

#include <QDebug>
#include <QJsonDocument>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

namespace {

QJsonObject parseObject(const QString &json)
{
    return QJsonDocument::fromJson(json.toUtf8()).object();
}

QString compact(const QJsonObject &object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

const QStringList &bookEditKeys()
{
    static const QStringList keys = {QStringLiteral("channelType"), QStringLiteral("cateId"),
                                     QStringLiteral("bookName"),    QStringLiteral("intro"),
                                     QStringLiteral("localCover"),  QStringLiteral("cateFid")};
    return keys;
}

const QStringList &memoLocationKeys()
{
    static const QStringList keys = {QStringLiteral("bookId"),    QStringLiteral("localBookId"),
                                     QStringLiteral("chapterId"), QStringLiteral("localChapterId"),
                                     QStringLiteral("x"),         QStringLiteral("y")};
    return keys;
}

} // namespace

bool CQuorvinDb::addJob(T_Http_C &header, const QString &content, int createTime, int ext1)
{
    header.jobId = 0;
    // One transaction: a delete job must not cancel the waiting jobs unless
    // it is itself recorded, and a merge must not race another thread's.
    const bool ok = inTransaction([&] { return addJobUnlocked(header, content, createTime, ext1); });
    if (!ok) {
        header.jobId = 0;
        qWarning() << "addJob failed, jobType =" << header.jobType << ", localBookId =" << header.localBookId
                   << ", localChapterId =" << header.localChapterId
                   << ", localMemoId =" << header.localMemoId;
    }
    return ok;
}

bool CQuorvinDb::saveChapterText(T_Http_C &header, const QString &content, int wordCount, int createTime)
{
    header.jobId = 0;
    header.jobType = JobType_ChapterText;
    const bool ok = inTransaction([&] {
        return setChapterContent(header.localChapterId, content, wordCount) &&
               addJobUnlocked(header, content, createTime, 0);
    });
    if (!ok)
        header.jobId = 0;
    return ok;
}

bool CQuorvinDb::addJobUnlocked(T_Http_C &header, const QString &content, int createTime, int ext1)
{
    switch (header.jobType) {
    case JobType_AuthorInfo: {
        QSqlQuery query(connection());
        if (!sqlExec(query,
                     sqlFormat(QStringLiteral("select jobId from tb_job where uid = %1 and jobType = %2"),
                               {header.uid, header.jobType})))
            return false;
        int jobId = 0;
        while (query.next())
            jobId = query.value(0).toInt();
        if (jobId <= 0)
            return insertJob(header, content, createTime, ext1);
        header.jobId = jobId;
        return sqlExec(query, sqlFormat(QStringLiteral("update tb_job set content = ? where jobId = %1"), {jobId}),
                       {content});
    }
    // The object's own jobs go; edits of memos pinned to it still reach the server.
    case JobType_BookDelete:
        return deleteObjectJobs(QStringLiteral("localBookId"), header.localBookId) &&
               insertJob(header, content, createTime, ext1);
    case JobType_ChapterDelete:
        return deleteObjectJobs(QStringLiteral("localChapterId"), header.localChapterId) &&
               insertJob(header, content, createTime, ext1);
    case JobType_MemoDelete:
        return deleteWhere(QStringLiteral("tb_job"), QStringLiteral("localMemoId"), header.localMemoId) &&
               insertJob(header, content, createTime, ext1);
    case JobType_BookEdit: {
        const JsonMembers changes = jsonMembers(parseObject(content), bookEditKeys());
        return addMergedJob(header, JobType_BookEdit, QStringLiteral("localBookId"), header.localBookId,
                            changes, content, createTime, ext1);
    }
    case JobType_ChapterRename:
    case JobType_ChapterText: {
        const QString key =
            header.jobType == JobType_ChapterRename ? QStringLiteral("name") : QStringLiteral("content");
        const JsonMembers changes{{key, jsonString(content)}};
        return addMergedJob(header, JobType_ChapterEdit, QStringLiteral("localChapterId"),
                            header.localChapterId, changes, jsonObjectText(changes), createTime, ext1);
    }
    case JobType_MemoColor:
    case JobType_MemoContent: {
        const QString key =
            header.jobType == JobType_MemoColor ? QStringLiteral("color") : QStringLiteral("content");
        const JsonMembers changes{{key, jsonString(content)}};
        return addMergedJob(header, JobType_MemoEdit, QStringLiteral("localMemoId"), header.localMemoId,
                            changes, jsonObjectText(changes), createTime, ext1);
    }
    case JobType_MemoLocation: {
        const JsonMembers changes = jsonMembers(parseObject(content), memoLocationKeys());
        return addMergedJob(header, JobType_MemoEdit, QStringLiteral("localMemoId"), header.localMemoId,
                            changes, content, createTime, ext1);
    }
    default:
        return insertJob(header, content, createTime, ext1);
    }
}

// Folds `changes` into the waiting job of `mergedType` for the object, or
// queues a new job of that type holding `newContent`.
bool CQuorvinDb::addMergedJob(T_Http_C &header, int mergedType, const QString &lookupColumn, int lookupId,
                              const JsonMembers &changes, const QString &newContent, int createTime, int ext1)
{
    int jobId = 0;
    QString waiting;
    {
        QSqlQuery query(connection());
        query.setForwardOnly(true);
        const QString sql = sqlFormat(
            QStringLiteral("select jobId,content from tb_job where uid = %1 and jobType = %2 and %3 = %4"),
            {header.uid, mergedType, SqlArg::raw(lookupColumn), lookupId});
        if (!sqlExec(query, sql))
            return false;
        while (query.next()) {
            jobId = query.value(0).toInt();
            waiting = query.value(1).toString();
        }
    }
    header.jobType = mergedType;
    if (jobId <= 0)
        return insertJob(header, newContent, createTime, ext1);
    header.jobId = jobId;
    QSqlQuery query(connection());
    return sqlExec(
        query,
        sqlFormat(QStringLiteral("update tb_job set content = ?,createTime = %1 where jobId = %2"),
                  {createTime, jobId}),
        {mergeJsonMembers(waiting, changes)});
}

bool CQuorvinDb::insertJob(T_Http_C &header, const QString &content, int createTime, int ext1)
{
    const QString sql = sqlFormat(
        QStringLiteral(
            "insert into tb_job(uid,jobType,localBookId,bookId,localChapterId,chapterId,localMemoId,memoId,"
            "content,createTime,ext1) values(%1,%2,%3,%4,%5,%6,%7,%8,?,%9,%10);"),
        {header.uid, header.jobType, header.localBookId, header.bookId, header.localChapterId,
         header.chapterId, header.localMemoId, header.memoId, createTime, ext1});
    if (!execBound(sql, {content}))
        return false;
    header.jobId = lastInsertId(QStringLiteral("tb_job"));
    return true;
}

int CQuorvinDb::addStatisticsJob(int uid, const QString &date, int wordCount, int writeTime, int writeSpeed)
{
    int jobId = 0;
    const bool ok = inTransaction([&] {
        jobId = addStatisticsJobUnlocked(uid, date, wordCount, writeTime, writeSpeed);
        return jobId > 0;
    });
    return ok ? jobId : 0;
}

int CQuorvinDb::addStatisticsJobUnlocked(int uid, const QString &date, int wordCount, int writeTime,
                                         int writeSpeed)
{
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    if (!sqlExec(query,
                 sqlFormat(QStringLiteral("select jobId,content from tb_job where uid = %1 and jobType = %2"),
                           {uid, int(JobType_Statistics)})))
        return 0;
    const QString dateKey = QStringLiteral("date");
    const QString wordKey = QStringLiteral("wordCount");
    const QString timeKey = QStringLiteral("writeTime");
    const QString speedKey = QStringLiteral("writeSpeed");
    while (query.next()) {
        QJsonObject object = parseObject(query.value(1).toString());
        if (!object.contains(dateKey) || object.value(dateKey).toString() != date)
            continue;
        const int jobId = query.value(0).toInt();
        query.finish();
        object.insert(wordKey, object.value(wordKey).toInt() + wordCount);
        object.insert(timeKey, object.value(timeKey).toInt() + writeTime);
        object.insert(speedKey, writeSpeed);
        QSqlQuery update(connection());
        const bool ok = sqlExec(
            update,
            sqlFormat(QStringLiteral("update tb_job set content = ?,createTime = %1 where jobId = %2"),
                      {currentTime(), jobId}),
            {compact(object)});
        return ok ? jobId : 0;
    }
    const QJsonObject object{
        {dateKey, date}, {wordKey, wordCount}, {speedKey, writeSpeed}, {timeKey, writeTime}};
    if (!sqlExec(query,
                 sqlFormat(QStringLiteral("insert into tb_job(content,uid,createTime,jobType) "
                                          "values(?,%1,%2,%3);"),
                           {uid, currentTime(), int(JobType_Statistics)}),
                 {compact(object)}))
        return 0;
    return lastInsertId(QStringLiteral("tb_job"));
}

namespace {

void readJob(const QSqlQuery &query, T_JobData &job)
{
    const QSqlRecord record = query.record();
    auto value = [&](const char *column) { return query.value(record.indexOf(QLatin1String(column))); };
    job.jobId = value("jobId").toInt();
    job.jobType = value("jobType").toInt();
    job.localBookId = value("localBookId").toInt();
    job.bookId = value("bookId").toInt();
    job.localChapterId = value("localChapterId").toInt();
    job.chapterId = value("chapterId").toInt();
    job.localMemoId = value("localMemoId").toInt();
    job.memoId = value("memoId").toInt();
    job.content = value("content").toString();
    job.createTime = value("createTime").toInt();
    job.ext1 = value("ext1").toInt();
}

} // namespace

bool CQuorvinDb::getUserJobData(T_JobData &job, int uid)
{
    job = T_JobData();
    job.uid = uid;
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    if (!sqlExec(query,
                 sqlFormat(QStringLiteral("select * from tb_job where uid = %1 order by jobId asc limit 1;"),
                           {uid})))
        return false;
    if (query.next())
        readJob(query, job);
    qDebug() << "getUserJobData type=" << job.jobType << ",id=" << job.jobId;
    return true;
}

bool CQuorvinDb::getJob(int jobId, T_JobData &job)
{
    job = T_JobData();
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    if (!sqlExec(query, sqlFormat(QStringLiteral("select * from tb_job where jobId = %1;"), {jobId})) ||
        !query.next())
        return false;
    readJob(query, job);
    job.uid = query.value(query.record().indexOf(QStringLiteral("uid"))).toInt();
    return true;
}

bool CQuorvinDb::deleteObjectJobs(const QString &column, int localId, int keepJobId)
{
    return execAll(
        {sqlFormat(QStringLiteral("delete from tb_job where %1 = %2 and localMemoId = 0 and jobId <> %3;"),
                   {SqlArg::raw(column), localId, keepJobId})});
}

int CQuorvinDb::lastJobId()
{
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    if (!sqlExec(query, QStringLiteral("select max(jobId) from tb_job;")) || !query.next())
        return 0;
    return query.value(0).toInt();
}

int CQuorvinDb::findJob(int jobType, const QString &column, int id)
{
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    if (!sqlExec(query, sqlFormat(QStringLiteral("select jobId from tb_job where jobType = %1 and %2 = %3 "
                                                 "order by jobId asc limit 1;"),
                                  {jobType, SqlArg::raw(column), id})) ||
        !query.next())
        return 0;
    return query.value(0).toInt();
}

bool CQuorvinDb::addDeleteBehindCreation(T_Http_C &header, const QString &column, int localId, int keepJobId)
{
    header.jobId = 0;
    const bool ok = inTransaction([&] {
        return deleteObjectJobs(column, localId, keepJobId) && insertJob(header, QString(), currentTime());
    });
    if (!ok)
        header.jobId = 0;
    return ok;
}

bool CQuorvinDb::settleStatisticsJob(int jobId, int wordCount, int writeTime)
{
    const QString wordKey = QStringLiteral("wordCount");
    const QString timeKey = QStringLiteral("writeTime");
    return inTransaction([&] {
        T_JobData job;
        if (!getJob(jobId, job))
            return true; // already gone
        QJsonObject object = parseObject(job.content);
        const int words = object.value(wordKey).toInt() - wordCount;
        const int time = object.value(timeKey).toInt() - writeTime;
        if (words <= 0 && time <= 0)
            return deleteJob(jobId);
        object.insert(wordKey, qMax(0, words));
        object.insert(timeKey, qMax(0, time));
        return execBound(sqlFormat(QStringLiteral("update tb_job set content = ? where jobId = %1"), {jobId}),
                         {compact(object)});
    });
}

bool CQuorvinDb::waitingChapterEdit(int localChapterId, T_JobData &job)
{
    job = T_JobData();
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    if (!sqlExec(query,
                 sqlFormat(QStringLiteral("select * from tb_job where localChapterId = %1 and jobType = "
                                          "%2 order by jobId desc limit 1;"),
                           {localChapterId, int(JobType_ChapterEdit)})) ||
        !query.next())
        return false;
    readJob(query, job);
    return true;
}

bool CQuorvinDb::hasWaitingJob(const QString &column, int localId, const QList<int> &types)
{
    if (localId < 1)
        return false;
    QString sql = QStringLiteral("select 1 from tb_job where %1 = %2").arg(column).arg(localId);
    if (!types.isEmpty()) {
        QStringList numbers;
        for (int type : types)
            numbers << QString::number(type);
        sql += QStringLiteral(" and jobType in (%1)").arg(numbers.join(QLatin1Char(',')));
    }
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    return sqlExec(query, sql + QStringLiteral(" limit 1;")) && query.next();
}

int CQuorvinDb::countJobs(int uid)
{
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    if (!sqlExec(query, sqlFormat(QStringLiteral("select count(*) from tb_job where uid = %1;"), {uid})) ||
        !query.next())
        return -1;
    return query.value(0).toInt();
}

bool CQuorvinDb::deleteJob(int jobId)
{
    return deleteWhere(QStringLiteral("tb_job"), QStringLiteral("jobId"), jobId);
}
