#pragma once

#include <QString>
#include <QThread>

// Runs one book import (CBookJobManager::books_import) off the GUI thread.
// Made by the import request, started once, deleted when it has finished.
class CThreadImportBook : public QThread
{
    Q_OBJECT
public:
    CThreadImportBook(const QString &filePath, int uid, QObject *parent = nullptr);

protected:
    void run() override;

private:
    QString m_filePath;
    int m_uid;
};
