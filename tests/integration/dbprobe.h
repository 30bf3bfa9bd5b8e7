#pragma once

// Reads the test's database file through a connection of its own, the way
// another program would see it.

#include "db/cquorvindb.h"

#include <QSqlDatabase>
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
        if (db.open()) {
            QSqlQuery query(db);
            query.exec(sql);
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
