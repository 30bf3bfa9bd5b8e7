// Reference data, private sensitive words, writing statistics and the
// change feed of the calling client.
#include "capiroutes.h"
#include "cchangefeed.h"
#include "creferencedata.h"
#include "cstore.h"

#include <QDate>
#include <QJsonArray>

namespace {

constexpr int kMaxPrivateWords = 200000;
constexpr int kStatisticsDays = 366;

bool needAuthor(T_ApiCall &c)
{
    if (c.uid > 0)
        return true;
    c.refuse(Api_SignInInvalid, QStringLiteral("登录已失效，请重新登录"));
    return false;
}

bool needUniqueCode(T_ApiCall &c)
{
    if (!c.uniqueCode.isEmpty())
        return true;
    c.refuse(Api_BadRequest, QStringLiteral("缺少参数“unique_code”"));
    return false;
}

} // namespace

namespace DataApi {

void getCate(T_ApiCall &c)
{
    c.content = CReferenceData::categories();
}

void nameData(T_ApiCall &c)
{
    c.content = QJsonObject{{"version", CReferenceData::kNameVersion}, {"data", CReferenceData::nameLists()}};
}

void synData(T_ApiCall &c)
{
    c.content = QJsonObject{{"cateVersion", CReferenceData::kCategoryVersion},
                            {"peopleNameDataVersion", CReferenceData::kNameVersion},
                            {"sensitiveVersion", CReferenceData::kSensitiveVersion}};
}

// Type 1 (the default) is the public list; type 2 the author's own.
void getSensitive(T_ApiCall &c)
{
    qint64 type = 0;
    if (!c.integer(QStringLiteral("sensitive_type"), type, 1))
        return;
    if (type != 1 && type != 2)
        return c.refuse(Api_BadRequest, QStringLiteral("敏感词类型无效"));
    if (type == 1) {
        c.content = QJsonObject{{"version", CReferenceData::kSensitiveVersion},
                                {"sensitiveWords", CReferenceData::publicSensitiveWords()},
                                {"sensitive_type", 1}};
        return;
    }
    if (!needAuthor(c))
        return;
    bool ok = false;
    QSqlQuery q = CStore::run(QStringLiteral("select words, update_time from private_words where uid = ?"),
                              {c.uid}, &ok);
    if (!ok)
        return c.storeFailure();
    const bool found = q.next();
    c.content = QJsonObject{{"version", found ? q.value(1).toLongLong() : 0},
                            {"sensitiveWords", found ? q.value(0).toString() : QString()},
                            {"sensitive_type", 2}};
}

void editSensitive(T_ApiCall &c)
{
    if (!c.has(QStringLiteral("words")))
        return c.refuse(Api_BadRequest, QStringLiteral("缺少参数“words”"));
    const QString words = c.text(QStringLiteral("words"));
    if (words.size() > kMaxPrivateWords)
        return c.refuse(Api_BadRequest, QStringLiteral("敏感词列表过长"));
    CWriteTx tx;
    bool ok = false;
    CStore::run(
        QStringLiteral("insert or replace into private_words(uid, words, update_time) values(?, ?, ?)"),
        {c.uid, words, c.now}, &ok);
    if (!ok || !CChangeFeed::instance().record(c.uid, c.uniqueCode, Change_PrivateWords, 0, 0, {}, c.now) ||
        !tx.commit())
        c.storeFailure();
}

void synBookData(T_ApiCall &c)
{
    if (!needUniqueCode(c))
        return;
    QJsonArray items;
    if (!CChangeFeed::instance().pending(c.uid, c.uniqueCode, items))
        return c.storeFailure();
    CWriteTx tx;
    if (!CChangeFeed::instance().touch(c.uid, c.uniqueCode, c.now) || !tx.commit())
        return c.storeFailure();
    c.content = items;
}

void synAuthor(T_ApiCall &c)
{
    qint64 taskId = 0, synType = 0;
    if (!needUniqueCode(c) || !c.requireId(QStringLiteral("task_id"), taskId) ||
        !c.integer(QStringLiteral("syn_type"), synType))
        return;
    CWriteTx tx;
    if (!CChangeFeed::instance().acknowledge(c.uid, c.uniqueCode, taskId) || !tx.commit())
        c.storeFailure();
}

// The client sends what it wrote since its last save: words and seconds
// add up for the day, the speed is replaced.
void saveStatistics(T_ApiCall &c)
{
    qint64 words = 0, seconds = 0, speed = 0, channel = 0;
    if (!c.integer(QStringLiteral("pc_word"), words) || !c.integer(QStringLiteral("write_time"), seconds) ||
        !c.integer(QStringLiteral("speed"), speed) || !c.integer(QStringLiteral("channel"), channel))
        return;
    if (words < 0 || seconds < 0 || speed < 0 || seconds > 86400)
        return c.refuse(Api_BadRequest, QStringLiteral("写作统计数据无效（应为正数且不超过一天）"));
    QString date = c.text(QStringLiteral("date"));
    if (date.isEmpty())
        date = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    if (!QDate::fromString(date, QStringLiteral("yyyy-MM-dd")).isValid())
        return c.refuse(Api_BadRequest, QStringLiteral("日期格式应为yyyy-MM-dd"));
    CWriteTx tx;
    bool ok = false;
    CStore::run(QStringLiteral("insert or ignore into statistics(uid, date) values(?, ?)"), {c.uid, date},
                &ok);
    QSqlQuery update;
    if (ok)
        update = CStore::run(
            QStringLiteral(
                "update statistics set pc_word = pc_word + ?, write_time = write_time + ?, speed = ?, "
                "channel = ?, update_time = ? where uid = ? and date = ? and pc_word + ? <= ? and "
                "write_time + ? <= ?"),
            {words, seconds, speed, channel, c.now, c.uid, date, words, T_ApiCall::kMaxInt, seconds,
             T_ApiCall::kMaxInt},
            &ok);
    if (ok && update.numRowsAffected() != 1)
        return c.refuse(Api_BadRequest, QStringLiteral("当天的统计数据超出上限"));
    if (!ok || !CChangeFeed::instance().record(c.uid, c.uniqueCode, Change_Statistics, 0, 0, {}, c.now) ||
        !tx.commit())
        c.storeFailure();
}

void userStatistics(T_ApiCall &c)
{
    bool ok = false;
    QSqlQuery q =
        CStore::run(QStringLiteral("select date, pc_word, write_time, speed from (select * from statistics "
                                   "where uid = ? order by date desc limit %1) order by date")
                        .arg(kStatisticsDays),
                    {c.uid}, &ok);
    if (!ok)
        return c.storeFailure();
    QJsonArray speed, dates, words, times;
    while (q.next()) {
        dates.append(q.value(0).toString());
        words.append(q.value(1).toLongLong());
        times.append(q.value(2).toLongLong());
        speed.append(q.value(3).toLongLong());
    }
    c.content =
        QJsonObject{{"speedData", speed}, {"timeData", dates}, {"wordData", words}, {"writeTimeData", times}};
}

} // namespace DataApi
