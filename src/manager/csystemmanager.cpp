#include "csystemmanager.h"

#include "db/cquorvindb.h"
#include "jobheader.h"
#include "remote/cquorvinhttp.h"
#include "remote/cquorvinparser.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTime>

CSystemManager::CSystemManager(QObject *parent)
    : QObject(parent), m_http(CQuorvinHttp::instance()), m_db(CQuorvinDb::instance()),
      m_session(&T_SessionData::instance())
{
    // The name generator's draws depend on this seed: seconds since local midnight.
    m_random.seed(quint32(QTime(0, 0).secsTo(QTime::currentTime())));
}

QVector<int> CSystemManager::givenNameTypes(int kind, int gender, int length)
{
    QVector<int> types;
    if (kind & 1) {
        if (gender & 1) {
            if (length & 1)
                types << 3;
            if (length & 2)
                types << 5;
        }
        if (gender & 2) {
            if (length & 1)
                types << 4;
            if (length & 2)
                types << 6;
        }
    }
    if (kind & 2) {
        if (gender & 1)
            types << 8;
        if (gender & 2)
            types << 9;
    }
    if (kind & 4) {
        if (gender & 1)
            types << 11;
        if (gender & 2)
            types << 12;
    }
    return types;
}

QVector<int> CSystemManager::surnameTypes(int kind, int surnameChoice)
{
    QVector<int> types;
    if (kind & 1) {
        if (surnameChoice & 1)
            types << 1;
        if (surnameChoice & 2)
            types << 2;
    }
    if (kind & 2)
        types << 7;
    if (kind & 4)
        types << 10;
    return types;
}

const QStringList &CSystemManager::names(int type)
{
    T_SessionData::T_NameCacheEntry &entry = m_session->nameCache[type];
    if (!entry.loaded) {
        QStringList read;
        if (m_db->getNames(type, read)) {
            // A list as stored may end with a separator or hold blanks.
            for (const QString &name : qAsConst(read)) {
                const QString trimmed = name.trimmed();
                if (!trimmed.isEmpty())
                    entry.names.append(trimmed);
            }
        }
        entry.loaded = true;
    }
    return entry.names;
}

QStringList CSystemManager::draw(const QVector<int> &types, int count, const QString &prefix,
                                 const QStringList &prefixes)
{
    QStringList out;
    QVector<const QStringList *> lists;
    quint32 total = 0;
    for (int type : types) {
        const QStringList &list = names(type);
        lists.append(&list);
        total += quint32(list.size());
    }
    if (total == 0)
        return out;
    for (int i = 0; i < count; ++i) {
        quint32 r = m_random.bounded(total);
        QString word;
        for (const QStringList *list : qAsConst(lists)) {
            if (r < quint32(list->size())) {
                word = list->at(int(r));
                break;
            }
            r -= quint32(list->size());
        }
        if (!prefix.isEmpty())
            out.append(prefix + word);
        else
            out.append(prefixes.value(i) + word);
    }
    return out;
}

void CSystemManager::randomNames(int kind, int gender, int surnameChoice, int length, QStringList &out,
                                 int count, const QString &surname)
{
    const QVector<int> given = givenNameTypes(kind, gender, length);
    if (kind == 4) {
        // Western names read given name first, the surname after a middle dot.
        const QStringList surnames =
            surname.isEmpty() ? draw(surnameTypes(kind, surnameChoice), count, QString(), {}) : QStringList();
        out = draw(given, count, QString(), {});
        for (int i = 0; i < out.size(); ++i) {
            const QString family = surname.isEmpty() ? surnames.value(i) : surname;
            if (!family.isEmpty())
                out[i] += QStringLiteral("·") + family;
        }
        return;
    }
    if (!surname.isEmpty()) {
        out = draw(given, count, surname, {});
        return;
    }
    const QStringList surnames = draw(surnameTypes(kind, surnameChoice), count, QString(), {});
    out = draw(given, count, QString(), surnames);
}

void CSystemManager::randomSurnames(int kind, int surnameChoice, QStringList &out, int count)
{
    out = draw(surnameTypes(kind, surnameChoice), count, QString(), {});
}

CSystemManager *CSystemManager::instance()
{
    static CSystemManager *manager = new CSystemManager;
    return manager;
}

int CSystemManager::checkSysData(TS_SynchronizaTion_SynData &stored)
{
    // The first window never waits on the network: everything comes from
    // the store now, and newer data are fetched once the versions arrive.
    m_session->categories.male = QVector<T_Category>(stored.maleCateCount);
    m_session->categories.female = QVector<T_Category>(stored.femaleCateCount);
    m_db->getCateList(m_session->categories);
    m_db->getSensitiveWords(m_session->author.uid, m_session->publicSensitiveWords,
                            m_session->authorSensitiveWords);
    m_session->nameData.clear();
    m_db->getAllNames(m_session->nameData);

    T_Http_C req;
    req.jobType = JobType_VersionCheck;
    m_http->synDataAsyn(req);
    return 200;
}

void CSystemManager::onVersions(const QByteArray &body)
{
    TS_SynchronizaTion_SynData server;
    CQuorvinParser::parse(body, server);
    if (server.code != 200) {
        qWarning() << "version check refused: reference data stay as stored";
        return;
    }
    const TS_SynchronizaTion_SynData &stored = m_session->synData;
    if (server.cateVersion > stored.cateVersion) {
        T_Http_C cate;
        cate.jobType = JobType_CateFetch;
        m_http->booksCateAsyn(cate);
    }
    // The author's own list needs a signed-in author: asked for now when
    // there is one, else in loadAuthorData.
    m_authorWordsNewer = server.sensitiveVersion > stored.sensitiveVersion;
    if (m_authorWordsNewer) {
        requestSensitiveWords(1);
        if (m_session->author.uid >= 1)
            requestSensitiveWords(2);
    }
    if (server.peopleNameVersion > stored.peopleNameVersion) {
        T_Http_C names;
        names.jobType = JobType_NameDataFetch;
        m_http->sensitiveNameDataAsyn(names);
    }
}

void CSystemManager::loadAuthorData()
{
    QString publicWords;
    m_db->getSensitiveWords(m_session->author.uid, publicWords, m_session->authorSensitiveWords);
    if (m_authorWordsNewer)
        requestSensitiveWords(2);
}

void CSystemManager::requestSensitiveWords(int kind)
{
    TC_Sensitive_Get req;
    req.jobType = JobType_SensitiveFetch;
    req.uid = m_session->author.uid;
    req.sensitiveType = kind;
    m_http->sensitiveGetAsyn(req);
}

bool CSystemManager::execUserJob(const T_JobData &job)
{
    if (job.jobType == JobType_SensitiveEdit) {
        TC_Sensitive_Edit req;
        static_cast<T_Http_C &>(req) = jobHeader(job);
        req.words = job.content;
        req.update_time = job.createTime;
        m_http->sensitiveEditAsyn(req);
        return true;
    }
    if (job.jobType == JobType_Statistics) {
        const QJsonObject json = QJsonDocument::fromJson(job.content.toUtf8()).object();
        TC_AuthorCount_Save req;
        static_cast<T_Http_C &>(req) = jobHeader(job);
        req.date = json.value(QStringLiteral("date")).toString();
        if (req.date.isEmpty())
            return false; // a day without a date means nothing to the server
        req.pcWord = json.value(QStringLiteral("wordCount")).toInt();
        req.writeTime = json.value(QStringLiteral("writeTime")).toInt();
        req.speed = json.value(QStringLiteral("writeSpeed")).toInt();
        req.update_time = job.createTime;
        req.channel = 1;
        // One request per job travels at a time (the coordinator's gate keeps
        // a second back): what the first carries is what its answer settles.
        if (!m_statisticsSent.contains(job.jobId))
            m_statisticsSent.insert(job.jobId, qMakePair(req.pcWord, req.writeTime));
        m_http->authorCountSaveAsyn(req);
        return true;
    }
    return false;
}

void CSystemManager::asynBack(const T_Http_C &route, const QByteArray &body)
{
    switch (route.jobType) {
    case JobType_CateFetch:
        onCategories(body);
        break;
    case JobType_SensitiveFetch:
        onSensitiveWords(body);
        break;
    case JobType_NameDataFetch:
        onNameData(body);
        break;
    case JobType_StatisticsFetch:
        onStatistics(body);
        break;
    case JobType_Statistics:
        onStatisticsSaved(route);
        break;
    case JobType_VersionCheck:
        onVersions(body);
        break;
    default:
        break; // 30: the envelope is all there is
    }
}

void CSystemManager::forgetStatisticsSent(int jobId)
{
    m_statisticsSent.remove(jobId);
}

// The server adds what a request carried to its day; only that leaves the
// job, so increments saved while it was on its way are still sent.
void CSystemManager::onStatisticsSaved(const T_Http_C &route)
{
    const auto sent = m_statisticsSent.take(route.jobId);
    if (route.jobId > 0 && !m_db->settleStatisticsJob(route.jobId, sent.first, sent.second))
        qWarning() << "cannot settle the statistics job" << route.jobId;
}

QVector<T_Category> CSystemManager::toCategories(const TS_Books_CateList &list, int channel)
{
    QVector<T_Category> out;
    for (const T_Books_CateItemPtr &item : list) {
        T_Category top;
        top.cateId = item->cateId;
        top.fId = channel;
        top.cateName = item->cateName;
        top.channelType = channel;
        top.childCount = item->children.size();
        for (const T_Books_CateItemPtr &child : item->children) {
            T_Category sub;
            sub.cateId = child->cateId;
            sub.fId = item->cateId;
            sub.cateName = child->cateName;
            sub.channelType = channel;
            top.children.append(sub);
        }
        out.append(top);
    }
    return out;
}

void CSystemManager::onCategories(const QByteArray &body)
{
    TS_Books_Cate res;
    CQuorvinParser::parse(body, res);
    if (res.code != 200)
        return;
    TS_SynchronizaTion_SynData &stored = m_session->synData;
    T_CategoryData categories;
    categories.male = toCategories(res.male, 1);
    categories.female = toCategories(res.female, 2);
    if (res.version > stored.cateVersion &&
        m_db->saveCateList(res.version, categories.male, categories.female)) {
        stored.cateVersion = res.version;
        stored.maleCateCount = categories.male.size();
        stored.femaleCateCount = categories.female.size();
    }
    m_session->categories = categories;
}

void CSystemManager::onSensitiveWords(const QByteArray &body)
{
    TS_Sensitive_Get res;
    CQuorvinParser::parse(body, res);
    if (res.code != 200)
        return;
    const int uid = m_session->author.uid;
    if (res.sensitive_type == 2) {
        // The author's own edit still waiting to be sent is newer than
        // anything the server has: it stays, and its job sends it.
        if (uid >= 1 && m_db->hasWaitingJob(QStringLiteral("uid"), uid, {JobType_SensitiveEdit})) {
            qDebug() << "the server's list of the author's sensitive words waits for the local edit";
            return;
        }
        m_session->authorSensitiveWords = res.sensitiveWords;
        if (uid >= 1)
            m_db->saveSensitiveWords(uid, 2, res.sensitiveWords, res.version);
        return;
    }
    m_session->publicSensitiveWords = res.sensitiveWords;
    TS_SynchronizaTion_SynData &stored = m_session->synData;
    if (res.version > stored.sensitiveVersion &&
        m_db->saveSensitiveWords(uid, 1, res.sensitiveWords, res.version))
        stored.sensitiveVersion = res.version;
}

void CSystemManager::onNameData(const QByteArray &body)
{
    TS_Sensitive_NameData res;
    CQuorvinParser::parse(body, res);
    if (res.code != 200)
        return;
    m_session->nameData.clear();
    for (auto it = res.data.cbegin(); it != res.data.cend(); ++it)
        m_session->nameData.insert(it.key(), it.value().split(QLatin1Char(',')));
    m_session->nameCache.clear();
    TS_SynchronizaTion_SynData &stored = m_session->synData;
    if (res.version > stored.peopleNameVersion && m_db->saveNames(res.data, res.version))
        stored.peopleNameVersion = res.version;
}

void CSystemManager::onStatistics(const QByteArray &body)
{
    TS_AuthorCount_UserData res;
    CQuorvinParser::parse(body, res);
    if (res.code != 200 || m_session->author.uid < 1)
        return;
    m_db->saveStatistics(m_session->author.uid, res.timeData, res.writeTimeData, res.wordData, res.speedData);
}
