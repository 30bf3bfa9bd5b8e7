// CQuorvinDb: which server each author's rows belong to, and setting an
// author's rows aside when the same user id signs in from another server.
#include "cquorvindb.h"

#include <QDebug>
#include <QFile>
#include <QSqlQuery>

namespace {

// Every table that holds an author's own rows, with the condition that
// picks them. Chapters come before books: their condition reads the books.
const QList<QPair<QString, QString>> &accountTables()
{
    static const QList<QPair<QString, QString>> tables{
        {QStringLiteral("tb_user"), QStringLiteral("uid = %1")},
        {QStringLiteral("tb_system_conf"), QStringLiteral("uid = %1")},
        {QStringLiteral("tb_creation_conf"), QStringLiteral("uid = %1")},
        {QStringLiteral("tb_lock"), QStringLiteral("uid = %1")},
        {QStringLiteral("tb_statistics"), QStringLiteral("uid = %1")},
        {QStringLiteral("tb_sensitive_words"), QStringLiteral("uid = %1")},
        {QStringLiteral("tb_contentblade"), QStringLiteral("uid = %1")},
        {QStringLiteral("tb_job"), QStringLiteral("uid = %1")},
        {QStringLiteral("tb_memo"), QStringLiteral("uid = %1")},
        {QStringLiteral("tb_chapter"),
         QStringLiteral("localBookId in (select localId from main.tb_book where authorId = %1)")},
        {QStringLiteral("tb_book"), QStringLiteral("authorId = %1")},
    };
    return tables;
}

const QString kCreateAccountServer = QStringLiteral("create table if not exists tb_account_server (uid "
                                                    "integer primary key, server text not null default '')");

} // namespace

QString CQuorvinDb::accountServer(int uid)
{
    QSqlQuery query(connection());
    if (!sqlExec(query, kCreateAccountServer) ||
        !sqlExec(query, QStringLiteral("select server from tb_account_server where uid = %1").arg(uid)))
        return QString();
    return query.next() ? query.value(0).toString() : QString();
}

bool CQuorvinDb::setAccountServer(int uid, const QString &server)
{
    QSqlQuery query(connection());
    return sqlExec(query, kCreateAccountServer) &&
           sqlExec(query,
                   QStringLiteral("insert or replace into tb_account_server (uid, server) values (%1, ?)")
                       .arg(uid),
                   {server});
}

bool CQuorvinDb::hasAccountRows(int uid)
{
    QSqlQuery query(connection());
    if (!sqlExec(query, QStringLiteral("select (select count(*) from tb_user where uid = %1) + "
                                       "(select count(*) from tb_book where authorId = %1)")
                            .arg(uid)))
        return true; // unknown: taken as there, so nothing is mixed up
    return query.next() && query.value(0).toInt() > 0;
}

bool CQuorvinDb::moveAccountRows(int uid, const QString &file, bool intoFile)
{
    QSqlQuery query(connection());
    if (!sqlExec(query, QStringLiteral("attach database ? as parked"), {file}))
        return false;
    const bool moved = inTransaction([&] {
        for (const auto &table : accountTables()) {
            const QString where = table.second.arg(uid);
            QStringList statements;
            if (intoFile) {
                statements << QStringLiteral(
                                  "create table if not exists parked.%1 as select * from main.%1 where 0")
                                  .arg(table.first)
                           << QStringLiteral("insert into parked.%1 select * from main.%1 where %2")
                                  .arg(table.first, where);
            } else {
                statements << QStringLiteral(
                                  "create table if not exists parked.%1 as select * from main.%1 where 0")
                                  .arg(table.first)
                           << QStringLiteral("insert into main.%1 select * from parked.%1").arg(table.first)
                           << QStringLiteral("delete from parked.%1").arg(table.first);
            }
            if (!execAll(statements))
                return false;
        }
        if (!intoFile)
            return true;
        // Removed only once every table is copied.
        for (const auto &table : accountTables())
            if (!execAll(
                    {QStringLiteral("delete from main.%1 where %2").arg(table.first, table.second.arg(uid))}))
                return false;
        return true;
    });
    QSqlQuery detach(connection());
    sqlExec(detach, QStringLiteral("detach database parked"));
    return moved;
}

bool CQuorvinDb::parkAccount(int uid, const QString &file)
{
    if (!moveAccountRows(uid, file, true))
        return false;
    qWarning() << "the rows of uid" << uid << "belong to another server: set aside in" << file;
    return true;
}

bool CQuorvinDb::unparkAccount(int uid, const QString &file)
{
    if (!moveAccountRows(uid, file, false))
        return false;
    if (!QFile::remove(file))
        qWarning() << "cannot remove the emptied file" << file;
    qDebug() << "the rows of uid" << uid << "are back from" << file;
    return true;
}
