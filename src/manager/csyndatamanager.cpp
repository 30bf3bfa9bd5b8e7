#include "csyndatamanager.h"

CSynDataManager::CSynDataManager(QObject *parent) : QObject(parent) {}

CSynDataManager *CSynDataManager::instance()
{
    static CSynDataManager *manager = new CSynDataManager;
    return manager;
}

bool CSynDataManager::hasPending() const
{
    return false;
}

bool CSynDataManager::isPulling() const
{
    return false;
}

void CSynDataManager::fetchChangeList() {}

void CSynDataManager::asynBack(const T_Http_C &route, const QByteArray &body)
{
    Q_UNUSED(route)
    Q_UNUSED(body)
}

void CSynDataManager::nextStep() {}

void CSynDataManager::stopPull() {}
