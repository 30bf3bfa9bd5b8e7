// CQuorvinDb: the system row, the author and the author's settings.
#include "cquorvindb.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QPair>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

bool CQuorvinDb::getSysData(TS_Author_Info &author, TS_SynchronizaTion_SynData &synData)
{
    QSqlQuery query(connection());
    if (!query.exec(
            QStringLiteral("select lastUid,lastLoginTime,cateVersion,sensitiveVersion,peopleNameVersion,"
                           "maleCateCount,femaleCateCount from tb_sys limit 1;"))) {
        const QSqlError error = query.lastError();
        setLastError(QStringLiteral("[%1] %2").arg(int(error.type())).arg(error.text()));
        qWarning() << error.type() << "  ==  " << error.text();
        return false;
    }
    if (query.next()) {
        author.uid = query.value(0).toInt();
        author.lastLoginTime = query.value(1).toInt();
        synData.cateVersion = query.value(2).toInt();
        synData.sensitiveVersion = query.value(3).toInt();
        synData.peopleNameVersion = query.value(4).toInt();
        synData.maleCateCount = query.value(5).toInt();
        synData.femaleCateCount = query.value(6).toInt();
    }
    return true;
}

bool CQuorvinDb::setLastUser(int uid)
{
    return execAll({sqlFormat(QStringLiteral("update tb_sys set lastUid = %1,lastLoginTime = %2;"),
                              {uid, currentTime()})});
}

bool CQuorvinDb::clearLastUser()
{
    return execAll({QStringLiteral("update tb_sys set lastUid = 0,lastLoginTime = 0;")});
}

bool CQuorvinDb::insertUser(const TS_Author_Info &author, const T_User &user)
{
    // The author's row and the four settings rows go in together: a row
    // without its settings would be read back with half its data missing.
    return inTransaction([&] {
        const QString sql = sqlFormat(
            QStringLiteral(
                "insert into tb_user(uid,authorName,sex,sign,birthday,isBindWx,headImgUrl,localHeadImg,"
                "token,uniqueCode)values(%1,'%2','%3','%4','%5',%6,'%7','%8','%9','%10');"),
            {author.uid, author.authorName, author.sex, author.sign, author.birthday, author.isBindWx,
             author.headImgUrl, author.localHeadImg, author.token, author.uniqueCode});
        return execAll({sql}) && createUserConf(author, user);
    });
}

bool CQuorvinDb::updateUser(const TS_Author_Info &author)
{
    return execAll({sqlFormat(
        QStringLiteral(
            "update tb_user set authorName = '%1',sex = '%2',sign = '%3',birthday = '%4',isBindWx = %5,"
            "headImgUrl = '%6',token = '%7',localHeadImg = '%8',style = %9,windowSize = %10 where uid = "
            "%11;"),
        {author.authorName, author.sex, author.sign, author.birthday, author.isBindWx, author.headImgUrl,
         author.token, author.localHeadImg, author.style, author.windowSize, author.uid})});
}

bool CQuorvinDb::setToken(int uid, const QString &token)
{
    return execAll(
        {sqlFormat(QStringLiteral("update tb_user set token = '%1' where uid = %2;"), {token, uid})});
}

bool CQuorvinDb::createUserConf(const TS_Author_Info &author, const T_User &user)
{
    const int uid = author.uid;
    const QStringList statements = {
        sqlFormat(QStringLiteral(
                      "insert into tb_creation_conf(uid,fontSize,fontFamily,isBlod,isItalics,isUnderLine,"
                      "isFocusing,isFocusLine,isCenter) values(%1,%2,'%3',%4,%5,%6,%7,%8,%9)"),
                  {uid, user.fontSize, user.fontFamily, user.isBlod, user.isItalics, user.isUnderLine,
                   user.isFocusing, user.isFocusLine, user.isCenter}),
        sqlFormat(
            QStringLiteral("insert into tb_system_conf(uid,isAutoOpen,isShowMsgPt,isRecvMsg,isTray,isSound,"
                           "hideKey,isAutoUpdate,memoCount) values(%1,%2,%3,%4,%5,%6,'%7',%8,%9)"),
            {uid, user.isAutoOpen, user.isShowMsgPt, user.isRecvMsg, user.isTray, user.isSound, user.hideKey,
             user.isAutoUpdate, user.memoCount}),
        sqlFormat(QStringLiteral("insert into tb_sensitive_words(uid,type) values(%1,2);"), {uid}),
        sqlFormat(QStringLiteral("insert into tb_lock(uid,lockType,lockWords,lockTime,writeWords,writeTime) "
                                 "values(%1,0,0,0,0,0);"),
                  {uid}),
    };
    return inTransaction([&] { return execAll(statements); });
}

bool CQuorvinDb::getUserData(int uid, TS_Author_Info &author, T_User &user)
{
    QSqlQuery query(connection());
    if (!sqlExec(query,
                 sqlFormat(QStringLiteral("select authorName,sex,sign,birthday,isBindWx,headImgUrl,"
                                          "localHeadImg,token,uniqueCode,style,windowSize from tb_user where "
                                          "uid = %1 limit 1;"),
                           {uid})))
        return false;
    if (query.next()) {
        author.authorName = query.value(0).toString();
        author.sex = query.value(1).toString();
        author.sign = query.value(2).toString();
        author.birthday = query.value(3).toString();
        author.isBindWx = query.value(4).toBool() ? 1 : 0;
        author.headImgUrl = query.value(5).toString();
        author.localHeadImg = query.value(6).toString();
        author.token = query.value(7).toString();
        author.uniqueCode = query.value(8).toString();
        author.style = query.value(9).toInt();
        author.windowSize = query.value(10).toInt();
    }

    if (!sqlExec(query, sqlFormat(QStringLiteral(
                                      "select fontSize,fontFamily,isBlod,isItalics,isUnderLine,isFocusing,"
                                      "isFocusLine,isCenter from tb_creation_conf where uid = %1 limit 1;"),
                                  {uid})))
        return false;
    if (query.next()) {
        user.fontSize = query.value(0).toInt();
        user.fontFamily = query.value(1).toString();
        user.isBlod = query.value(2).toInt();
        user.isItalics = query.value(3).toInt();
        user.isUnderLine = query.value(4).toInt();
        user.isFocusing = query.value(5).toInt();
        user.isFocusLine = query.value(6).toInt();
        user.isCenter = query.value(7).toInt();
    }

    if (!sqlExec(query,
                 sqlFormat(QStringLiteral("select isAutoOpen,isShowMsgPt,isRecvMsg,isTray,isSound,hideKey,"
                                          "isAutoUpdate,sensitiveStatus,isLock,memoCount from tb_system_conf "
                                          "where uid = %1 limit 1"),
                           {uid})))
        return false;
    if (query.next()) {
        user.isAutoOpen = query.value(0).toInt();
        user.isShowMsgPt = query.value(1).toInt();
        user.isRecvMsg = query.value(2).toInt();
        user.isTray = query.value(3).toInt();
        user.isSound = query.value(4).toInt();
        user.hideKey = query.value(5).toString();
        user.isAutoUpdate = query.value(6).toInt();
        user.sensitiveStatus = query.value(7).toInt();
        user.isLock = query.value(8).toInt();
        user.memoCount = query.value(9).toInt();
    }

    if (!sqlExec(query,
                 sqlFormat(QStringLiteral("select lockType,lockWords,lockTime,writeWords,writeTime from "
                                          "tb_lock where uid = %1;"),
                           {uid})))
        return false;
    if (query.next()) {
        user.lockType = query.value(0).toInt();
        user.lockWords = query.value(1).toInt();
        user.lockTime = query.value(2).toInt();
        user.writeWords = query.value(3).toInt();
        user.writeTime = query.value(4).toInt();
    }
    return true;
}

bool CQuorvinDb::updateUserdata(const T_User &user)
{
    const QStringList statements = {
        sqlFormat(
            QStringLiteral("update tb_system_conf set isAutoOpen=%1,isShowMsgPt=%2,isRecvMsg=%3,isTray=%4,"
                           "isSound=%5,hideKey='%6',isAutoUpdate=%7,sensitiveStatus = %8,isLock = %9  where "
                           "uid = %10;"),
            {user.isAutoOpen, user.isShowMsgPt, user.isRecvMsg, user.isTray, user.isSound, user.hideKey,
             user.isAutoUpdate, user.sensitiveStatus, user.isLock, user.uid}),
        sqlFormat(
            QStringLiteral("update tb_creation_conf set fontSize=%1,fontFamily='%2',isBlod=%3,isItalics=%4,"
                           "isUnderLine=%5,isFocusing=%6,isFocusLine=%7,isCenter=%8 where uid = %9"),
            {user.fontSize, user.fontFamily, user.isBlod, user.isItalics, user.isUnderLine, user.isFocusing,
             user.isFocusLine, user.isCenter, user.uid}),
    };
    // The system and creation settings are written together or not at all.
    const bool ok = inTransaction([&] { return execAll(statements); });
    qDebug() << "CQuorvinDb::updateUserdata == " << ok;
    return ok;
}

bool CQuorvinDb::updateLock(const T_User &user)
{
    return execAll({sqlFormat(
        QStringLiteral("update tb_lock set lockType = %1,lockWords = %2,lockTime = %3,"
                       "writeWords = %4,writeTime = %5 where  uid = %6"),
        {user.lockType, user.lockWords, user.lockTime, user.writeWords, user.writeTime, user.uid})});
}

// Writing statistics -------------------------------------------------------

bool CQuorvinDb::ensureTodayStatistics(int uid, const QString &date)
{
    return inTransaction([&] {
        QSqlQuery query(connection());
        if (!sqlExec(query,
                     sqlFormat(QStringLiteral("select id from tb_statistics where uid = %1 and date = '%2';"),
                               {uid, date})))
            return false;
        if (query.next())
            return true;
        return sqlExec(query,
                       sqlFormat(QStringLiteral("insert into tb_statistics(uid,date,writeTime,wordCount,"
                                                "writeSpeed) values(%1,'%2',0,0,0);"),
                                 {uid, date}));
    });
}

bool CQuorvinDb::getTodayStatistics(int uid, T_DayStatistics &day)
{
    if (day.date.isEmpty())
        return false;
    QSqlQuery query(connection());
    if (!sqlExec(query, sqlFormat(QStringLiteral(
                                      "select writeTime,wordCount,writeSpeed from tb_statistics where uid "
                                      "= %1 and date = '%2'"),
                                  {uid, day.date})))
        return false;
    day.writeTime = 0;
    day.wordCount = 0;
    if (query.next()) {
        day.writeSpeed = query.value(2).toInt();
        return true;
    }
    day.writeSpeed = 0;
    return ensureTodayStatistics(uid, day.date);
}

bool CQuorvinDb::addStatistics(int uid, const T_DayStatistics &day)
{
    if (day.date.isEmpty())
        return false;
    return execAll(
        {sqlFormat(QStringLiteral("update tb_statistics set writeTime=writeTime + %1,wordCount=wordCount + "
                                  "%2,writeSpeed=%3 where uid = %4 and date = '%5';"),
                   {day.writeTime, day.wordCount, day.writeSpeed, uid, day.date})});
}

// The server's days plus what this machine has not sent yet (the queued
// statistics jobs); a day's words and time never go down.
bool CQuorvinDb::saveStatistics(int uid, const QStringList &dates, const QList<int> &writeTimes,
                                const QList<int> &wordCounts, const QList<int> &writeSpeeds)
{
    const int count = dates.size();
    if (writeTimes.size() != count || wordCounts.size() != count || writeSpeeds.size() != count)
        return false;
    return inTransaction([&] {
        QSqlQuery query(connection());
        QMap<QString, QPair<int, int>> unsent; // date -> words, seconds
        if (!sqlExec(query,
                     sqlFormat(QStringLiteral("select content from tb_job where uid = %1 and jobType = %2;"),
                               {uid, int(JobType_Statistics)})))
            return false;
        while (query.next()) {
            const QJsonObject job = QJsonDocument::fromJson(query.value(0).toString().toUtf8()).object();
            QPair<int, int> &day = unsent[job.value(QStringLiteral("date")).toString()];
            day.first += job.value(QStringLiteral("wordCount")).toInt();
            day.second += job.value(QStringLiteral("writeTime")).toInt();
        }
        for (int i = 0; i < count; ++i) {
            if (!sqlExec(query,
                         sqlFormat(QStringLiteral("select count(id) from tb_statistics where date = '%1' and "
                                                  "uid = %2;"),
                                   {dates[i], uid})))
                return false;
            const bool exists = query.next() && query.value(0).toInt() >= 1;
            const int words = wordCounts[i] + unsent.value(dates[i]).first;
            const int seconds = writeTimes[i] + unsent.value(dates[i]).second;
            const QString sql =
                exists ? sqlFormat(QStringLiteral(
                                       "update tb_statistics set writeTime = max(writeTime,%1),wordCount = "
                                       "max(wordCount,%2),writeSpeed = %3 where date = '%4' and uid = %5"),
                                   {seconds, words, writeSpeeds[i], dates[i], uid})
                       : sqlFormat(QStringLiteral(
                                       "insert into tb_statistics(uid,date,writeTime,wordCount,writeSpeed) "
                                       "values(%1,'%2',%3,%4,%5)"),
                                   {uid, dates[i], seconds, words, writeSpeeds[i]});
            if (!sqlExec(query, sql))
                return false;
        }
        return true;
    });
}

bool CQuorvinDb::getStatisticsSummary(int uid, T_WeekStatistics &week)
{
    QSqlQuery query(connection());
    if (!sqlExec(query, sqlFormat(QStringLiteral(
                                      "select max(writeTime),max(wordCount),max(writeSpeed),sum(wordCount),"
                                      "sum(writeTime) from tb_statistics where uid = %1;"),
                                  {uid})))
        return false;
    if (query.next()) {
        week.bestWriteTime = query.value(0).toInt();
        week.bestWordCount = query.value(1).toInt();
        week.bestWriteSpeed = query.value(2).toInt();
        week.totalWords = query.value(3).toInt();
        week.totalWriteTime = query.value(4).toInt();
    }
    if (week.days.isEmpty())
        return true;
    if (!sqlExec(query, sqlFormat(QStringLiteral(
                                      "select date,writeTime,wordCount,writeSpeed from tb_statistics where "
                                      "uid = %1 and date >= '%2'"),
                                  {uid, week.days.first().date})))
        return false;
    while (query.next()) {
        const QString date = query.value(0).toString();
        for (T_DayStatistics &day : week.days) {
            if (day.date == date) {
                day.writeTime = query.value(1).toInt();
                day.wordCount = query.value(2).toInt();
                day.writeSpeed = query.value(3).toInt();
            }
        }
    }
    return true;
}
