// quorvin-mkdb SCHEMA TARGET
// Builds a fresh database from SCHEMA and puts it at TARGET, unless TARGET
// already holds an author's data (any row outside tb_sys), which is kept.
#include "db/schemascript.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <cstdio>

namespace {

bool holdsAuthorData(const QString &path)
{
    bool found = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "probe");
        db.setDatabaseName(path);
        db.setConnectOptions("QSQLITE_OPEN_READONLY");
        if (db.open()) {
            QSqlQuery tables(db);
            // A file SQLite cannot read as a database may still be someone's data: keep it.
            found = !tables.exec("select name from sqlite_master where type='table' and name <> 'tb_sys' "
                                 "and name not like 'sqlite_%'");
            QStringList names;
            while (tables.next())
                names << tables.value(0).toString();
            for (const QString &name : qAsConst(names)) {
                if (found)
                    break;
                QSqlQuery q(db);
                if (q.exec(QString("select 1 from \"%1\" limit 1").arg(name)) && q.next()) {
                    found = true;
                    break;
                }
            }
        } else {
            // Not readable as a database: keep it rather than destroy what may be data.
            found = QFileInfo(path).size() > 0;
        }
        db.close();
    }
    QSqlDatabase::removeDatabase("probe");
    return found;
}

bool build(const QString &schemaPath, const QString &out)
{
    QFile schema(schemaPath);
    if (!schema.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "mkdb: cannot read %s\n", qPrintable(schemaPath));
        return false;
    }
    QFile::remove(out);
    QString error;
    if (!SchemaScript::build(QString::fromUtf8(schema.readAll()), out, &error)) {
        std::fprintf(stderr, "mkdb: %s\n", qPrintable(error));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: quorvin-mkdb SCHEMA TARGET\n");
        return 2;
    }
    const QString target = args[2];
    if (QFileInfo::exists(target) && holdsAuthorData(target)) {
        std::printf("mkdb: %s holds data; left as it is\n", qPrintable(target));
        return 0;
    }
    QDir().mkpath(QFileInfo(target).absolutePath());
    const QString temp = target + ".new";
    if (!build(args[1], temp)) {
        QFile::remove(temp);
        return 1;
    }
    // Journal files of the old file must not be replayed into the new one.
    for (const char *suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(target + suffix);
    return QFile::rename(temp, target) ? 0 : 1;
}
