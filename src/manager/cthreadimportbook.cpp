#include "cthreadimportbook.h"

#include "manager/cbookjobmanager.h"

CThreadImportBook::CThreadImportBook(const QString &filePath, int uid, QObject *parent)
    : QThread(parent), m_filePath(filePath), m_uid(uid)
{
}

void CThreadImportBook::run()
{
    CBookJobManager::instance()->books_import(m_filePath, m_uid);
}
