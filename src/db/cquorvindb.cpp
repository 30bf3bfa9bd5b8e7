#include "cquorvindb.h"

#include "apppaths.h"
#include "db/cstorecheck.h"
#include "cstorehealth.h"

#include <QAtomicInt>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QSqlError>
#include <QSqlQuery>
#include <QThreadStorage>
#include <QVariant>

namespace {

// Milliseconds a statement waits for another thread's write to finish.
constexpr int kBusyTimeoutMs = 10000;
// Statements longer than this are cut in the log (a chapter can be megabytes).
constexpr int kLoggedSqlLength = 2000;

// The calling thread's connection; removed when the thread ends.
struct ThreadConnection
{
    QString name;
    int generation = -1;
    int transactionDepth = 0;

    ~ThreadConnection() { close(); }

    void close()
    {
        if (name.isEmpty())
            return;
        {
            QSqlDatabase db = QSqlDatabase::database(name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
        name.clear();
        transactionDepth = 0;
    }
};

QThreadStorage<ThreadConnection *> &threadConnections()
{
    static QThreadStorage<ThreadConnection *> storage;
    return storage;
}

ThreadConnection *currentThreadConnection()
{
    if (!threadConnections().hasLocalData())
        threadConnections().setLocalData(new ThreadConnection);
    return threadConnections().localData();
}

QString newConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("quorvin_db_%1").arg(counter.fetchAndAddRelaxed(1) + 1);
}

// Statements whose success says the file takes writes again.
bool isWrite(const QString &sql)
{
    const QStringRef head = sql.leftRef(8).trimmed();
    for (const char *verb : {"insert", "update", "delete", "replace", "commit"})
        if (head.startsWith(QLatin1String(verb), Qt::CaseInsensitive))
            return true;
    return false;
}

QString loggedSql(const QString &sql)
{
    if (sql.size() <= kLoggedSqlLength)
        return sql;
    return sql.left(kLoggedSqlLength) + QStringLiteral("... (%1 characters)").arg(sql.size());
}

} // namespace

CQuorvinDb::CQuorvinDb(QObject *parent) : QObject(parent)
{
    registerRecordMetaTypes();
    // While writes fail, each retry first opens the file again (a file made
    // writable again is only written through a new connection) and tries a
    // write of its own, so the warning goes by itself once the cause is gone.
    CStoreHealth::instance()->setBeforeRetry([this](CStoreHealth::Cause cause) {
        if (cause == CStoreHealth::CauseReadOnly)
            matchSideFiles();
        if (cause != CStoreHealth::CauseFull && cause != CStoreHealth::CauseLocked)
            reconnect();
        QSqlQuery probe(connection());
        sqlExec(probe, QStringLiteral("update tb_sys set lastUid = lastUid"));
    });
}

bool CQuorvinDb::syncToDisk()
{
    // Quietly: a failure here only keeps the caller's own copy a while
    // longer; the failing writes themselves are told where they fail.
    QSqlQuery query(connection());
    return query.exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"));
}

void CQuorvinDb::matchSideFiles()
{
    // SQLite makes the write-ahead log and its index with the mode the file
    // had then: made while the file was read-only, they stay read-only after
    // the file is writable again, and every write still fails.
    const QString path = databasePath();
    const QFile::Permissions mode = QFile::permissions(path);
    if (path.isEmpty() || !(mode & QFile::WriteOwner))
        return;
    for (const QString &suffix : {QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        const QString side = path + suffix;
        if (!QFile::exists(side) || (QFile::permissions(side) & QFile::WriteOwner))
            continue;
        if (QFile::setPermissions(side, mode))
            qDebug() << "made" << side << "writable like" << path;
        else
            qWarning() << "cannot make" << side << "writable like" << path;
    }
}

void CQuorvinDb::reconnect()
{
    QMutexLocker lock(&m_mutex);
    if (m_generation > 0)
        ++m_generation;
}

CQuorvinDb *CQuorvinDb::instance()
{
    static CQuorvinDb *db = new CQuorvinDb;
    return db;
}

bool CQuorvinDb::init()
{
    const QString path = AppPaths::dbFile();
    const T_StoreCheck check = CStoreCheck::prepare(path);
    {
        QMutexLocker lock(&m_mutex);
        m_storeCheck = check;
    }
    if (check.outcome == T_StoreCheck::Refused) {
        qWarning() << "the database cannot be used:" << path << check.message;
        return false;
    }
    {
        QMutexLocker lock(&m_mutex);
        m_path = path;
        ++m_generation;
    }
    QSqlDatabase db = connection();
    if (!db.isOpen()) {
        qWarning() << "cannot open the database" << path << db.lastError().text();
        refuseStart(db.lastError().text());
        return false;
    }
    if (!isDatabaseFile(db)) {
        refuseStart(lastError());
        return false;
    }
    return true;
}

void CQuorvinDb::refuseStart(const QString &cause)
{
    QMutexLocker lock(&m_mutex);
    m_storeCheck.outcome = T_StoreCheck::Refused;
    m_storeCheck.message = tr("The database %1 cannot be opened: %2.\nClose any other program that uses it, "
                              "check that the disk works, then start the program again.")
                               .arg(QDir::toNativeSeparators(m_path), cause);
}

T_StoreCheck CQuorvinDb::storeCheck() const
{
    QMutexLocker lock(&m_mutex);
    return m_storeCheck;
}

QString CQuorvinDb::databasePath() const
{
    QMutexLocker lock(&m_mutex);
    return m_path;
}

QSqlDatabase CQuorvinDb::connection()
{
    ThreadConnection *current = currentThreadConnection();
    int generation = 0;
    {
        QMutexLocker lock(&m_mutex);
        generation = m_generation;
    }
    if (generation == 0)
        return QSqlDatabase(); // init() has not run: every statement fails
    if (current->name.isEmpty() || current->generation != generation) {
        current->close();
        current->name = newConnectionName();
        current->generation = generation;
        return openConnection(current->name);
    }
    return QSqlDatabase::database(current->name, false);
}

QSqlDatabase CQuorvinDb::openConnection(const QString &name)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(databasePath());
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    if (!db.open()) {
        CStoreHealth::instance()->reportFailure(databasePath(), CStoreHealth::CauseCantOpen,
                                                db.lastError().text());
        return db;
    }
    // Write-ahead log: the import thread's writes never block the GUI
    // thread's reads, and a save costs one append instead of a journal
    // round. Only for a file whose system row can be read: an empty or
    // foreign file is left exactly as it is.
    QSqlQuery probe(db);
    if (probe.exec(QStringLiteral("select count(*) from tb_sys"))) {
        probe.finish();
        QSqlQuery pragma(db);
        if (!pragma.exec(QStringLiteral("PRAGMA journal_mode=WAL")))
            qWarning() << "journal_mode=WAL refused:" << pragma.lastError().text();
        // In WAL mode NORMAL keeps every returned write through a crash of
        // the program; only a power cut can cost the writes since the last
        // checkpoint, and it never corrupts the file. FULL would add a disk
        // flush to every save of the editor.
        pragma.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
        // Freed pages are zeroed only where that costs no extra writes: a
        // rewritten chapter frees its old overflow pages on every save.
        pragma.exec(QStringLiteral("PRAGMA secure_delete=FAST"));
    }
    return db;
}

bool CQuorvinDb::isDatabaseFile(QSqlDatabase &db)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("select count(*) from sqlite_master"))) {
        qWarning() << "not a database:" << databasePath() << query.lastError().type()
                   << "  ==  " << query.lastError().text();
        setLastError(query.lastError().text());
        return false;
    }
    return true;
}

bool CQuorvinDb::sqlExec(QSqlQuery &query, const QString &sql)
{
    if (!query.exec(sql))
        return failed(query, sql);
    succeeded(sql);
    return true;
}

bool CQuorvinDb::sqlExec(QSqlQuery &query, const QString &sql, const QStringList &texts)
{
    bool ok = query.prepare(sql);
    if (ok) {
        for (const QString &text : texts)
            query.addBindValue(text.isNull() ? QString(QLatin1String("")) : text);
        ok = query.exec();
    }
    if (!ok)
        return failed(query, sql);
    succeeded(sql);
    return true;
}

void CQuorvinDb::succeeded(const QString &sql)
{
    // Inside a transaction only the commit says the write reached the file.
    if (currentThreadConnection()->transactionDepth > 0 && !sql.startsWith(QLatin1String("COMMIT")))
        return;
    if (isWrite(sql))
        CStoreHealth::instance()->reportSuccess(databasePath());
}

bool CQuorvinDb::failed(const QSqlQuery &query, const QString &sql)
{
    const QSqlError error = query.lastError();
    const QString text = QStringLiteral("[%1] %2").arg(int(error.type())).arg(error.text());
    setLastError(text);
    qDebug() << "sqlStr = " << loggedSql(sql);
    qDebug() << "dbError : err = " << text;
    // Every failure of the file itself (read-only, full, locked, broken) is
    // told in one place, whichever operation met it.
    const CStoreHealth::Cause cause = CStoreHealth::causeOfSqlite(error.nativeErrorCode().toInt());
    if (cause != CStoreHealth::CauseNone)
        CStoreHealth::instance()->reportFailure(databasePath(), cause, error.text());
    return false;
}

void CQuorvinDb::setLastError(const QString &error)
{
    QMutexLocker lock(&m_mutex);
    m_lastError = error;
}

QString CQuorvinDb::lastError() const
{
    QMutexLocker lock(&m_mutex);
    return m_lastError;
}

int CQuorvinDb::lastInsertId(const QString &table)
{
    // One row is enough: last_insert_rowid() is the same on every row, and
    // asking for all of them would read the whole table.
    QSqlQuery query(connection());
    if (!sqlExec(query,
                 QStringLiteral("select last_insert_rowid() from ") + table + QStringLiteral(" limit 1")))
        return 0;
    int id = 0;
    while (query.next())
        id = query.value(0).toInt();
    return id;
}

bool CQuorvinDb::deleteWhere(const QString &table, const QString &column, int value)
{
    QSqlQuery query(connection());
    return sqlExec(query, sqlFormat(QStringLiteral("delete from %1 where %2 = %3;"),
                                    {SqlArg::raw(table), SqlArg::raw(column), value}));
}

bool CQuorvinDb::updateWhere(const QString &table, const QString &column, int value, const QString &keyColumn,
                             int key)
{
    QSqlQuery query(connection());
    return sqlExec(query,
                   sqlFormat(QStringLiteral("update %1 set %2 = %3 where %4 = %5;"),
                             {SqlArg::raw(table), SqlArg::raw(column), value, SqlArg::raw(keyColumn), key}));
}

void CQuorvinDb::fillDbError(T_Http_S &response) const
{
    response.code = 10001;
    response.msg = QStringLiteral("数据库错误\n%1").arg(lastError());
}

void CQuorvinDb::setServerTimeOffset(int seconds)
{
    QMutexLocker lock(&m_mutex);
    m_timeOffset = seconds;
}

int CQuorvinDb::currentTime() const
{
    QMutexLocker lock(&m_mutex);
    return int(QDateTime::currentSecsSinceEpoch()) + m_timeOffset;
}

bool CQuorvinDb::execAll(const QStringList &statements)
{
    QSqlQuery query(connection());
    for (const QString &sql : statements) {
        if (!sqlExec(query, sql))
            return false;
    }
    return true;
}

bool CQuorvinDb::execBound(const QString &sql, const QStringList &texts)
{
    QSqlQuery query(connection());
    return sqlExec(query, sql, texts);
}

bool CQuorvinDb::begin()
{
    ThreadConnection *current = currentThreadConnection();
    if (current->transactionDepth++ > 0)
        return true;
    QSqlQuery query(connection());
    if (sqlExec(query, QStringLiteral("BEGIN IMMEDIATE")))
        return true;
    current->transactionDepth = 0;
    return false;
}

bool CQuorvinDb::commit()
{
    ThreadConnection *current = currentThreadConnection();
    if (--current->transactionDepth > 0)
        return true;
    current->transactionDepth = 0;
    QSqlQuery query(connection());
    if (sqlExec(query, QStringLiteral("COMMIT")))
        return true;
    rollback();
    return false;
}

void CQuorvinDb::rollback()
{
    ThreadConnection *current = currentThreadConnection();
    current->transactionDepth = 0;
    QSqlQuery query(connection());
    query.exec(QStringLiteral("ROLLBACK"));
}
