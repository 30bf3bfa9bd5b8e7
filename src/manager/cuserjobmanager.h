#pragma once

#include "db/records.h"
#include "remote/thttp.h"

#include <QByteArray>
#include <QObject>

// Account and statistics jobs: sign-in, registration, profile, WeChat, and
// the day's writing statistics.
class CUserJobManager : public QObject
{
    Q_OBJECT
public:
    static CUserJobManager *instance();

    // Loads the signed-in author's record and settings into the session.
    bool loadAuthor(int uid);

    // Sends a queued job of types 2 to 5; false when it sends nothing for it.
    bool execUserJob(const T_JobData &job);
    // Handles the body of an asynchronous reply routed to types 2 to 5.
    void asynBack(const T_Http_C &route, const QByteArray &body);

private:
    explicit CUserJobManager(QObject *parent = nullptr);
};
