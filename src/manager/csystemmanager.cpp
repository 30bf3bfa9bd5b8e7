#include "csystemmanager.h"

#include <QTime>
#include <cstdlib>

CSystemManager::CSystemManager(QObject *parent) : QObject(parent)
{
    // The name generator's draws depend on this seed: seconds since local midnight.
    std::srand(unsigned(QTime(0, 0).secsTo(QTime::currentTime())));
}

CSystemManager *CSystemManager::instance()
{
    static CSystemManager *manager = new CSystemManager;
    return manager;
}
