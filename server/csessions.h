#pragma once

#include <QHash>
#include <QString>

#include <functional>
#include <shared_mutex>

// Sign-in tokens: 256 random bits handed to the client once, kept only as
// their SHA-256 digest. Lookups are cached in memory; a revoked token
// leaves the cache at once and again once its removal is committed. A
// lookup that read the store fills the cache only when no revocation
// happened since it began, so a reader racing a sign-out never brings the
// token back. A token unused for longer than the idle limit is stale.
class CSessions
{
public:
    static CSessions &instance();

    void setIdleLimit(qint64 seconds) { m_idleLimit = seconds; }

    // A fresh token for `uid`, stored; empty when storing failed. Must run
    // inside a write transaction.
    QString issue(qint64 uid, qint64 now);
    // The author of a token, 0 when it is missing, unknown, revoked or stale.
    // Notes the use; must not run inside a write transaction.
    qint64 authorOf(const QString &token, qint64 now = 0);
    // The same without noting the use: never writes, so it never waits for
    // a writer (for the connection reader).
    qint64 peekAuthorOf(const QString &token);
    // Inside a write transaction.
    bool revoke(const QString &token);
    // Every token of the author but `keep` (a token, or empty).
    bool revokeAllOf(qint64 uid, const QString &keep = QString());

private:
    struct T_Session
    {
        qint64 uid = 0;
        qint64 lastUsed = 0;
    };
    void noteUse(const QString &digest, qint64 now);
    qint64 lookUp(const QString &token, qint64 now, bool note);
    // Drops what matches from the cache and counts a revocation.
    void forget(const std::function<bool(const QString &, const T_Session &)> &match);

    std::shared_mutex m_lock;
    QHash<QString, T_Session> m_cache; // token digest -> session
    quint64 m_revocations = 0;         // under m_lock
    qint64 m_idleLimit = 30LL * 24 * 3600;
};
