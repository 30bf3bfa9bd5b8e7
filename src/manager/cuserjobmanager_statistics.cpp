// CUserJobManager: the day's writing statistics and the statistics page's data.
#include "cuserjobmanager.h"

#include "csystemmanager.h"
#include "cuimanager.h"
#include "db/cquorvindb.h"
#include "jobheader.h"
#include "remote/cquorvinhttp.h"

#include <QDate>
#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

constexpr int kWeekDays = 7;

int wholeMinutes(int seconds)
{
    return (seconds + 59) / 60;
}

} // namespace

bool CUserJobManager::startDay()
{
    T_DayStatistics &day = m_session->todayStatistics;
    day = T_DayStatistics();
    if (m_session->author.uid < 1)
        return false;
    day.date = today();
    return m_db->getTodayStatistics(m_session->author.uid, day);
}

bool CUserJobManager::rollOverDay()
{
    // Past midnight (or never started): the new day begins here, and what was
    // written since the last save counts for it. Yesterday's row keeps what
    // it had.
    T_DayStatistics &day = m_session->todayStatistics;
    const int writeTime = day.writeTime;
    const int wordCount = day.wordCount;
    const bool dirty = day.dirty;
    if (!day.date.isEmpty())
        qDebug() << "day statistics: the day" << day.date << "is over, counting goes on for" << today();
    if (!startDay())
        return false;
    day.writeTime = writeTime;
    day.wordCount = wordCount;
    day.dirty = dirty;
    return true;
}

bool CUserJobManager::saveDayStatistics()
{
    T_DayStatistics &day = m_session->todayStatistics;
    const int uid = m_session->author.uid;
    if (uid < 1)
        return false;
    if (day.date != today() && !rollOverDay())
        return false;
    const bool stored = m_db->addStatistics(uid, day);
    const int jobId = m_db->addStatisticsJob(uid, day.date, day.wordCount, day.writeTime, day.writeSpeed);
    // The job holds every unsent increment of the day: it goes whole.
    if (jobId > 0)
        sendStoredJob(CSystemManager::instance(), m_db, jobId);
    day.writeTime = 0;
    day.wordCount = 0;
    day.dirty = false;
    return stored && jobId > 0;
}

QString CUserJobManager::statisticsJson()
{
    T_WeekStatistics week;
    const QDate last = QDate::fromString(today(), QStringLiteral("yyyy-MM-dd"));
    for (int i = kWeekDays - 1; i >= 0; --i) {
        T_DayStatistics day;
        day.date = last.addDays(-i).toString(QStringLiteral("yyyy-MM-dd"));
        week.days.append(day);
    }
    if (m_session->author.uid > 0 && !m_db->getStatisticsSummary(m_session->author.uid, week))
        qWarning() << "statistics could not be read";

    QJsonArray speedData, timeData, wordData, writeTimeData;
    for (const T_DayStatistics &day : qAsConst(week.days)) {
        speedData.append(QString::number(day.writeSpeed));
        timeData.append(day.date);
        wordData.append(QString::number(day.wordCount));
        writeTimeData.append(QString::number(wholeMinutes(day.writeTime)));
    }
    const QJsonObject history{{QStringLiteral("max_speed"), week.bestWriteSpeed},
                              {QStringLiteral("max_word"), week.bestWordCount},
                              {QStringLiteral("max_write_time"), wholeMinutes(week.bestWriteTime)},
                              {QStringLiteral("sum_word"), week.totalWords},
                              {QStringLiteral("sum_write_time"), wholeMinutes(week.totalWriteTime)}};
    const QJsonObject root{{QStringLiteral("historyData"), history},
                           {QStringLiteral("speedData"), speedData},
                           {QStringLiteral("timeData"), timeData},
                           {QStringLiteral("wordData"), wordData},
                           {QStringLiteral("writeTimeData"), writeTimeData}};
    return QString::fromUtf8(QJsonDocument(root).toJson());
}
