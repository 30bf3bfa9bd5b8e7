#pragma once

#include <QHash>
#include <QString>

#include <shared_mutex>

// Sign-in tokens: 256 random bits handed to the client once, kept only as
// their SHA-256 digest. Lookups are cached in memory; a revoked token
// leaves the cache at once.
class CSessions
{
public:
    static CSessions &instance();

    // A fresh token for `uid`, stored; empty when storing failed. Must run
    // inside a write transaction.
    QString issue(qint64 uid, qint64 now);
    // The author of a token, 0 when it is missing, unknown or revoked.
    qint64 authorOf(const QString &token);
    // Inside a write transaction.
    bool revoke(const QString &token);
    bool revokeAllOf(qint64 uid);

private:
    std::shared_mutex m_lock;
    QHash<QString, qint64> m_cache; // token digest -> uid
};
