#pragma once

#include "db/records.h"
#include "remote/thttp.h"

#include <QByteArray>
#include <QObject>

// The memos of the signed-in author: the store side of the memo list.
class CMemoManager : public QObject
{
    Q_OBJECT
public:
    static CMemoManager *instance();

    // Loads the author's memos (with book and chapter names) into the session.
    bool loadMemos();

    // Sends a queued job of types 37 to 43; false when it sends nothing for it.
    bool execUserJob(const T_JobData &job);
    // Handles the body of an asynchronous reply routed to types 37 to 43.
    void asynBack(const T_Http_C &route, const QByteArray &body);

private:
    explicit CMemoManager(QObject *parent = nullptr);
};
