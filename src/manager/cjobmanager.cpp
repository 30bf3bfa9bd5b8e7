#include "cjobmanager.h"

#include "csystemmanager.h"
#include "cuimanager.h"
#include "db/cquorvindb.h"

CJobManager::CJobManager(QObject *parent) : QObject(parent) {}

CJobManager *CJobManager::instance()
{
    static CJobManager *manager = new CJobManager;
    return manager;
}

bool CJobManager::init()
{
    CSystemManager::instance();
    CQuorvinDb *db = CQuorvinDb::instance();
    T_SessionData &session = T_SessionData::instance();
    if (!db->init() || !db->getSysData(session.author, session.synData))
        return false;

    if (session.author.uid != 0)
        CUiManager::instance()->showMain();
    else
        CUiManager::instance()->showLogin();
    return true;
}

void CJobManager::uninit()
{
    CUiManager::instance()->closeWindows();
}
