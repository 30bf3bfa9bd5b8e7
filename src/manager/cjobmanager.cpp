#include "cjobmanager.h"

#include "csystemmanager.h"
#include "db/cquorvindb.h"

#include <QLabel>
#include <QVBoxLayout>

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

    auto *window = new QWidget;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(tr("Quorvin Writing"));
    auto *layout = new QVBoxLayout(window);
    layout->addWidget(new QLabel(tr("Quorvin Writing"), window));
    window->resize(640, 400);
    window->show();
    m_window = window;
    return true;
}

void CJobManager::uninit()
{
    delete m_window;
}
