#include "cmemomanager.h"

CMemoManager::CMemoManager(QObject *parent) : QObject(parent) {}

CMemoManager *CMemoManager::instance()
{
    static CMemoManager *manager = new CMemoManager;
    return manager;
}

bool CMemoManager::loadMemos()
{
    return false;
}

bool CMemoManager::execUserJob(const T_JobData &job)
{
    Q_UNUSED(job)
    return false;
}

void CMemoManager::asynBack(const T_Http_C &route, const QByteArray &body)
{
    Q_UNUSED(route)
    Q_UNUSED(body)
}
