#include "cjobmanager.h"

#include "apppaths.h"
#include "csystemmanager.h"

#include <QDebug>
#include <QFileInfo>
#include <QLabel>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
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
    const QString path = AppPaths::dbFile();
    if (!QFileInfo::exists(path)) {
        qWarning() << "database file missing:" << path;
        return false;
    }
    QSqlDatabase db = QSqlDatabase::contains("main") ? QSqlDatabase::database("main")
                                                     : QSqlDatabase::addDatabase("QSQLITE", "main");
    db.setDatabaseName(path);
    if (!db.open()) {
        qWarning() << db.lastError().type() << "  ==  " << db.lastError().text();
        return false;
    }
    QSqlQuery query(db);
    if (!query.exec("select lastUid,lastLoginTime,cateVersion,sensitiveVersion,peopleNameVersion,"
                    "maleCateCount,femaleCateCount from tb_sys limit 1;")) {
        qWarning() << query.lastError().type() << "  ==  " << query.lastError().text();
        return false;
    }

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
