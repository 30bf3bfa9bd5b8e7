#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

#include <functional>
#include <mutex>
#include <vector>

// The server's own SQLite file in WAL mode. Every worker thread gets its own
// connection; writers are serialised by one mutex so that they never spin
// on SQLite's busy handler, while readers run beside them.
class CStore
{
public:
    static bool init(const QString &dataDir);
    static QString dataDir();
    // The calling thread's connection, opened on first use.
    static QSqlDatabase connection();
    static std::mutex &writeMutex();

    // Runs one prepared statement; `ok` is false (and the error logged)
    // when it fails.
    static QSqlQuery run(const QString &sql, const QVariantList &binds, bool *ok);
    // The first column of the first row, or an invalid value.
    static QVariant scalar(const QString &sql, const QVariantList &binds, bool *ok);

private:
    static bool createSchema(QSqlDatabase &db);
    static bool addMissingColumns(QSqlDatabase &db);
    static bool upgradeCreations(QSqlDatabase &db);
    static bool addColumn(QSqlDatabase &db, const char *table, const char *column, const char *fill);
};

// One write transaction holding the write mutex for its lifetime; rolled
// back unless committed.
class CWriteTx
{
public:
    CWriteTx();
    ~CWriteTx();
    CWriteTx(const CWriteTx &) = delete;
    CWriteTx &operator=(const CWriteTx &) = delete;

    bool isOpen() const { return m_open; }
    bool commit();

    // Runs `fn` once the write transaction open on this thread has been
    // committed (at once when none is open); dropped on a rollback. For
    // what other threads must see only after the change is in the store.
    static void afterCommit(std::function<void()> fn);

private:
    std::unique_lock<std::mutex> m_lock;
    bool m_open = false;
    CWriteTx *m_outer = nullptr;
    std::vector<std::function<void()>> m_afterCommit;
};
