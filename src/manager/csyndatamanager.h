#pragma once

#include "remote/thttp.h"

#include <QByteArray>
#include <QObject>

// Pulls the server's change feed once the job queue is empty and applies
// it item by item to the local store.
class CSynDataManager : public QObject
{
    Q_OBJECT
public:
    static CSynDataManager *instance();

    // Whether change items are still waiting to be applied.
    bool hasPending() const;
    // Whether a pull is running.
    bool isPulling() const;
    // Fetches the change list (routing type 45); nothing while a pull runs.
    void fetchChangeList();
    // Handles the reply of the change-list fetch (type 45).
    void asynBack(const T_Http_C &route, const QByteArray &body);
    // A reply made for the current item has been handled: drop it, apply the next.
    void nextStep();
    // Ends the pull without acknowledging (for example after a network error).
    void stopPull();

private:
    explicit CSynDataManager(QObject *parent = nullptr);
};
