#include "cstorecheck.h"

#include "db/schemascript.h"
#include "platform/writeprobe.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStorageInfo>

namespace {

const char *const kSuffixes[] = {"", "-wal", "-shm", "-journal"};

QString causeOf(const Platform::WriteProbe &probe)
{
    switch (probe.failure) {
    case Platform::WriteFailure::None:
        return QString();
    case Platform::WriteFailure::NoPermission:
        return CStoreCheck::tr("you have no permission to write there");
    case Platform::WriteFailure::ReadOnlyDisk:
        return CStoreCheck::tr("the disk is mounted read-only");
    case Platform::WriteFailure::DiskFull:
        return CStoreCheck::tr("the disk is full");
    case Platform::WriteFailure::NotAFolder:
        return CStoreCheck::tr("a file of that name stands where the folder should be");
    case Platform::WriteFailure::Other:
        break;
    }
    return CStoreCheck::tr("system error %1").arg(probe.code);
}

QString readCauseOf(const Platform::WriteProbe &probe)
{
    switch (probe.failure) {
    case Platform::WriteFailure::NoPermission:
        return CStoreCheck::tr("you have no permission to read it");
    case Platform::WriteFailure::NotAFolder:
        return CStoreCheck::tr("it is a folder, not a file");
    default:
        return causeOf(probe);
    }
}

// What SQLite says of a file it could open, "" when it is ours and usable.
struct Inspection
{
    bool damaged = false;
    int version = 0;
    QString error;
};

Inspection inspect(const QString &path)
{
    static QAtomicInt counter;
    const QString name = QStringLiteral("store_check_%1").arg(counter.fetchAndAddRelaxed(1));
    Inspection result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open()) {
            result.error = db.lastError().text();
        } else {
            QSqlQuery query(db);
            // The header and the schema are read first; tb_sys is the
            // program's own table: a file without it is not our store.
            const QStringList probes = {QStringLiteral("PRAGMA user_version"),
                                        QStringLiteral("select count(*) from sqlite_master"),
                                        QStringLiteral("select count(*) from tb_sys")};
            for (const QString &sql : probes) {
                if (!query.exec(sql)) {
                    const QSqlError error = query.lastError();
                    const QString code = error.nativeErrorCode();
                    // SQLITE_CORRUPT, SQLITE_NOTADB, or a file that is not ours.
                    const QString text = error.databaseText();
                    if (code == QLatin1String("26") || text.contains(QLatin1String("not a database"))) {
                        result.damaged = true;
                        result.error = CStoreCheck::tr("it is not a database file");
                    } else if (code == QLatin1String("11") || text.contains(QLatin1String("malformed"))) {
                        result.damaged = true;
                        result.error = CStoreCheck::tr("its contents are damaged");
                    } else if (text.contains(QLatin1String("no such table"))) {
                        result.damaged = true;
                        result.error = CStoreCheck::tr("it is a database of another program");
                    } else {
                        result.error = text.isEmpty() ? error.text() : text;
                    }
                    break;
                }
                if (sql.startsWith(QLatin1String("PRAGMA")) && query.next())
                    result.version = query.value(0).toInt();
                query.finish();
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

bool hasSqliteHeader(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(16) == QByteArray("SQLite format 3\0", 16);
}

} // namespace

T_StoreCheck CStoreCheck::prepare(const QString &dbPath)
{
    T_StoreCheck check;
    const QString folder = QFileInfo(dbPath).absolutePath();
    if (!checkFolder(folder, check))
        return check;

    const QFileInfo file(dbPath);
    if (!file.exists() && !file.isSymLink()) {
        makeFromSchema(dbPath, check);
        return check;
    }
    const Platform::WriteProbe read = Platform::probeRead(dbPath);
    if (read.failure != Platform::WriteFailure::None) {
        check.outcome = T_StoreCheck::Refused;
        check.message = tr("The database %1 cannot be read: %2.\nCheck that it is a file you may read "
                           "and write (or put back the file you moved), then start the program again.")
                            .arg(QDir::toNativeSeparators(dbPath), readCauseOf(read));
        return check;
    }
    if (file.size() == 0) {
        // Left by a start that failed half-way: it never held anything.
        qWarning() << "the database is an empty file, made again:" << dbPath;
        QFile::remove(dbPath);
        makeFromSchema(dbPath, check);
        return check;
    }
    if (!hasSqliteHeader(dbPath)) {
        moveAside(dbPath, tr("it is not a database file"), check);
        return check;
    }

    const Inspection found = inspect(dbPath);
    if (found.damaged) {
        moveAside(dbPath, found.error, check);
        return check;
    }
    if (!found.error.isEmpty()) {
        check.outcome = T_StoreCheck::Refused;
        check.message =
            tr("The database %1 cannot be opened: %2.\nIf another copy of the program runs on this "
               "data folder, close it; otherwise restart the computer and try again.")
                .arg(QDir::toNativeSeparators(dbPath), found.error);
        return check;
    }
    if (found.version > SchemaScript::kVersion) {
        check.outcome = T_StoreCheck::Refused;
        check.message = tr("The database %1 was written by a newer version of the program (format %2; this "
                           "version reads up to %3).\nInstall the newer version to go on writing; the file "
                           "has not been changed.")
                            .arg(QDir::toNativeSeparators(dbPath))
                            .arg(found.version)
                            .arg(SchemaScript::kVersion);
        return check;
    }
    return check;
}

bool CStoreCheck::checkFolder(const QString &folder, T_StoreCheck &check)
{
    const QString shown = QDir::toNativeSeparators(folder);
    if (!QDir().mkpath(folder)) {
        // The deepest part that exists says why the rest cannot be made.
        QString existing = folder;
        while (!QFileInfo::exists(existing) && QFileInfo(existing).absolutePath() != existing)
            existing = QFileInfo(existing).absolutePath();
        Platform::WriteProbe probe = Platform::probeWrite(existing, 0);
        if (!QFileInfo(existing).isDir())
            probe.failure = Platform::WriteFailure::NotAFolder;
        check.outcome = T_StoreCheck::Refused;
        check.message = tr("The data folder %1 cannot be created: %2.\nMake sure the program's folder is "
                           "writable (or install it where you may write), then start it again.")
                            .arg(shown, causeOf(probe));
        return false;
    }
    const Platform::WriteProbe probe = Platform::probeWrite(folder, 64 * 1024);
    const QStorageInfo storage(folder);
    const bool full =
        probe.failure == Platform::WriteFailure::DiskFull ||
        (storage.isValid() && storage.bytesAvailable() >= 0 && storage.bytesAvailable() < kMinFreeBytes);
    if (full) {
        check.outcome = T_StoreCheck::Refused;
        check.message =
            tr("The disk that holds %1 is full (%2 free): nothing you write could be saved.\n"
               "Free some space on it, then start the program again.")
                .arg(shown, QLocale::system().formattedDataSize(qMax<qint64>(0, storage.bytesAvailable())));
        return false;
    }
    if (probe.failure != Platform::WriteFailure::None) {
        check.outcome = T_StoreCheck::Refused;
        check.message = tr("The data folder %1 takes no file: %2.\nNothing you write could be saved. Give "
                           "yourself write permission on it, then start the program again.")
                            .arg(shown, causeOf(probe));
        return false;
    }
    return true;
}

bool CStoreCheck::makeFromSchema(const QString &dbPath, T_StoreCheck &check)
{
    QFile schema(QStringLiteral(":/res/db/schema.sql"));
    QString error;
    const QString temp = dbPath + QStringLiteral(".new");
    for (const char *suffix : kSuffixes)
        QFile::remove(temp + QLatin1String(suffix));
    bool ok = schema.open(QIODevice::ReadOnly);
    if (!ok)
        error = tr("the program's copy of the database layout is missing");
    ok = ok && SchemaScript::build(QString::fromUtf8(schema.readAll()), temp, &error);
    // Journal files without their database would be replayed into the new one.
    for (const char *suffix : {"-wal", "-shm", "-journal"})
        QFile::remove(dbPath + QLatin1String(suffix));
    // Made under another name and renamed: a kill half-way never leaves a
    // file that stops the next start.
    if (ok && !QFile::rename(temp, dbPath)) {
        error = tr("it cannot be renamed into place");
        QFile::remove(temp);
        ok = false;
    }
    if (!ok) {
        check.outcome = T_StoreCheck::Refused;
        check.message = tr("A new database cannot be made at %1: %2.\nCheck that the folder is writable and "
                           "the disk has space, then start the program again.")
                            .arg(QDir::toNativeSeparators(dbPath), error);
        return false;
    }
    if (check.outcome == T_StoreCheck::Ready)
        check.outcome = T_StoreCheck::Made;
    qDebug() << "the database was made from the schema:" << dbPath;
    return true;
}

bool CStoreCheck::moveAside(const QString &dbPath, const QString &cause, T_StoreCheck &check)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = dbPath + QStringLiteral(".damaged-") + stamp;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = dbPath + QStringLiteral(".damaged-%1-%2").arg(stamp).arg(n);
    for (const char *suffix : kSuffixes) {
        const QString from = dbPath + QLatin1String(suffix);
        if (QFileInfo::exists(from) && !QFile::rename(from, target + QLatin1String(suffix))) {
            check.outcome = T_StoreCheck::Refused;
            check.message =
                tr("The database %1 is damaged (%2) and cannot be moved aside.\nCopy it somewhere "
                   "safe, delete it, then start the program again: a new one is made and your "
                   "books come back from the server after you sign in.")
                    .arg(QDir::toNativeSeparators(dbPath), cause);
            return false;
        }
    }
    qWarning() << "damaged database moved aside:" << dbPath << "->" << target << ":" << cause;
    check.outcome = T_StoreCheck::MovedAside;
    check.movedTo = target;
    if (!makeFromSchema(dbPath, check))
        return false;
    check.outcome = T_StoreCheck::MovedAside;
    check.message = tr("The database %1 was damaged (%2).\nIt has been kept unchanged as %3 and a new one "
                       "made. Sign in to get your books back from the server; anything not yet sent is "
                       "still in the kept file: keep it, and write to support to recover it.")
                        .arg(QDir::toNativeSeparators(dbPath), cause, QDir::toNativeSeparators(target));
    return true;
}
