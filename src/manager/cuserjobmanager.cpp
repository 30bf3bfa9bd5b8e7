#include "cuserjobmanager.h"

CUserJobManager::CUserJobManager(QObject *parent) : QObject(parent) {}

CUserJobManager *CUserJobManager::instance()
{
    static CUserJobManager *manager = new CUserJobManager;
    return manager;
}

bool CUserJobManager::loadAuthor(int uid)
{
    Q_UNUSED(uid)
    return false;
}

bool CUserJobManager::execUserJob(const T_JobData &job)
{
    Q_UNUSED(job)
    return false;
}

void CUserJobManager::asynBack(const T_Http_C &route, const QByteArray &body)
{
    Q_UNUSED(route)
    Q_UNUSED(body)
}
