#pragma once

#include "db/records.h"
#include "remote/thttp.h"
#include "remote/thttpresponses.h"

#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QPair>
#include <QRandomGenerator>
#include <QStringList>
#include <QVector>

class CQuorvinDb;
class CQuorvinHttp;

// Ties the API client, the database and the session record together; brings
// the reference data up to date at start, replays the private sensitive
// words and daily statistics jobs, and applies the replies of types 29 to 34.
class CSystemManager : public QObject
{
    Q_OBJECT
public:
    static CSystemManager *instance();

    // Loads the reference data from the store, then asks the server for
    // its versions without waiting; what is newer there is fetched and
    // applied when it arrives. Always 200.
    int checkSysData(TS_SynchronizaTion_SynData &stored);
    // After a sign-in: the author's own sensitive words, from the store or,
    // when the version check found newer words, from the server.
    void loadAuthorData();

    // Sends a queued job of types 29 to 34; false when it sends nothing for it.
    bool execUserJob(const T_JobData &job);
    // A statistics request that got no answer (network failure, 300): the
    // job keeps everything and its next request carries it.
    void forgetStatisticsSent(int jobId);
    // Applies the reply of a job or call routed to types 29 to 34.
    void asynBack(const T_Http_C &route, const QByteArray &body);

    // The name generator. Kind bits: 1 Chinese, 2 and 4 the two foreign
    // kinds; gender bits 1 male, 2 female; surname choice bits 1 single,
    // 2 compound; length bits (Chinese given names) 1 one, 2 two characters.
    // Every list of the chosen types is drawn from in proportion to its
    // length; a Western name (kind 4 alone) reads "given·surname". `out` is
    // replaced; it stays empty when the lists are.
    void randomNames(int kind, int gender, int surnameChoice, int length, QStringList &out, int count,
                     const QString &surname);
    void randomSurnames(int kind, int surnameChoice, QStringList &out, int count);
    // The list types a choice draws from, in drawing order.
    static QVector<int> givenNameTypes(int kind, int gender, int length);
    static QVector<int> surnameTypes(int kind, int surnameChoice);
    // Restarts the generator (tests draw from a fixed seed).
    void setRandomSeed(quint32 seed) { m_random.seed(seed); }

    // Category tree of the server as the store keeps it (channel 1 male, 2 female).
    static QVector<T_Category> toCategories(const TS_Books_CateList &list, int channel);

private:
    explicit CSystemManager(QObject *parent = nullptr);

    void requestSensitiveWords(int kind);
    void onCategories(const QByteArray &body);
    void onSensitiveWords(const QByteArray &body);
    void onNameData(const QByteArray &body);
    void onStatistics(const QByteArray &body);
    void onStatisticsSaved(const T_Http_C &route);
    void onVersions(const QByteArray &body);
    // `count` words drawn from the lists of `types`, the i-th prefixed by
    // `prefix` or else by the i-th of `prefixes` when there is one.
    QStringList draw(const QVector<int> &types, int count, const QString &prefix,
                     const QStringList &prefixes);
    const QStringList &names(int type);

    QRandomGenerator m_random;
    CQuorvinHttp *m_http;
    CQuorvinDb *m_db;
    T_SessionData *m_session;
    bool m_authorWordsNewer = false;
    // Statistics jobs on their way: the words and seconds each request
    // carried, which its answer takes out of the job.
    QMap<int, QPair<int, int>> m_statisticsSent;
};
