#include "schemascript.h"

#include <QAtomicInt>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace SchemaScript {

namespace {

QString stripComments(const QString &sql)
{
    QStringList lines;
    const QStringList all = sql.split(QLatin1Char('\n'));
    for (const QString &line : all)
        if (!line.trimmed().startsWith(QLatin1String("--")))
            lines << line;
    return lines.join(QLatin1Char('\n'));
}

} // namespace

QStringList statements(const QString &sql)
{
    // The schema holds plain DDL and inserts: statements end with ';' outside quotes.
    QStringList out;
    QString current;
    bool quoted = false;
    for (const QChar c : stripComments(sql)) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (c == QLatin1Char(';') && !quoted) {
            if (!current.trimmed().isEmpty())
                out << current.trimmed();
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.trimmed().isEmpty())
        out << current.trimmed();
    return out;
}

bool build(const QString &sql, const QString &target, QString *error)
{
    static QAtomicInt counter;
    const QString name = QStringLiteral("schema_build_%1").arg(counter.fetchAndAddRelaxed(1));
    bool ok = false;
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(target);
        ok = db.open();
        if (!ok)
            failure = db.lastError().text();
        if (ok) {
            ok = db.transaction();
            const QStringList all = statements(sql);
            for (const QString &statement : all) {
                QSqlQuery query(db);
                if (!query.exec(statement)) {
                    failure = query.lastError().text() + QStringLiteral(" (") + statement.left(80) +
                              QLatin1Char(')');
                    ok = false;
                    break;
                }
            }
            if (ok && !db.commit()) {
                failure = db.lastError().text();
                ok = false;
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (!ok) {
        for (const char *suffix : {"", "-journal", "-wal", "-shm"})
            QFile::remove(target + QLatin1String(suffix));
        if (error)
            *error = failure;
    }
    return ok;
}

} // namespace SchemaScript
