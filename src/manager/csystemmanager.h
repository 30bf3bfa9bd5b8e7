#pragma once

#include <QObject>

// Ties the API client, the database and the session record together; brings
// the reference data up to date at start and draws random names.
class CSystemManager : public QObject
{
    Q_OBJECT
public:
    static CSystemManager *instance();

private:
    explicit CSystemManager(QObject *parent = nullptr);
};
