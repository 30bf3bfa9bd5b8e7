#pragma once

// Reads the test's database file through a connection of its own, the way
// another program would see it.

#include "db/cquorvindb.h"

#include <QDebug>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QVariant>

// Rows of `sql`, each as its columns joined by '|'.
inline QStringList dbRows(const QString &sql, const QString &path = CQuorvinDb::instance()->databasePath())
{
    const QString name = QStringLiteral("dbprobe");
    QStringList out;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open())
            qWarning() << "dbprobe cannot open" << path << db.lastError().text();
        if (db.isOpen()) {
            QSqlQuery query(db);
            // A failed read must not pass for an empty table.
            if (!query.exec(sql))
                qWarning() << "dbprobe:" << path << query.lastError().text() << sql;
            while (query.next()) {
                QStringList cols;
                for (int i = 0; i < query.record().count(); ++i)
                    cols << query.value(i).toString();
                out << cols.join(QLatin1Char('|'));
            }
        }
    }
    QSqlDatabase::removeDatabase(name);
    return out;
}
