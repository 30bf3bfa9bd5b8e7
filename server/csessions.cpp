#include "csessions.h"

#include "ccrypto.h"
#include "cstore.h"

#include <QDateTime>

#include <mutex>

CSessions &CSessions::instance()
{
    static CSessions s;
    return s;
}

QString CSessions::issue(qint64 uid, qint64 now)
{
    const QString token = CCrypto::randomToken();
    const QString digest = CCrypto::sha256Hex(token.toLatin1());
    bool ok = false;
    CStore::run(
        QStringLiteral("insert into tokens(token_hash, uid, create_time, last_used) values(?, ?, ?, ?)"),
        {digest, uid, now, now}, &ok);
    if (!ok)
        return QString();
    std::unique_lock<std::shared_mutex> guard(m_lock);
    m_cache.insert(digest, T_Session{uid, now});
    return token;
}

qint64 CSessions::authorOf(const QString &token, qint64 now)
{
    // Tokens we hand out are 64 hexadecimal characters; anything else is
    // refused without touching the store.
    if (token.size() != 64)
        return 0;
    if (now <= 0)
        now = QDateTime::currentSecsSinceEpoch();
    const QString digest = CCrypto::sha256Hex(token.toLatin1());
    T_Session session;
    bool cached = false;
    {
        std::shared_lock<std::shared_mutex> guard(m_lock);
        const auto it = m_cache.constFind(digest);
        if (it != m_cache.constEnd()) {
            session = *it;
            cached = true;
        }
    }
    if (!cached) {
        bool ok = false;
        QSqlQuery q = CStore::run(QStringLiteral("select uid, last_used from tokens where token_hash = ?"),
                                  {digest}, &ok);
        if (!ok || !q.next())
            return 0;
        session = T_Session{q.value(0).toLongLong(), q.value(1).toLongLong()};
        std::unique_lock<std::shared_mutex> guard(m_lock);
        m_cache.insert(digest, session);
    }
    if (now - session.lastUsed > m_idleLimit)
        return 0;
    // Written down now and then, not on every request.
    if (now - session.lastUsed > qMin<qint64>(m_idleLimit / 30, 24 * 3600))
        noteUse(digest, now);
    return session.uid;
}

void CSessions::noteUse(const QString &digest, qint64 now)
{
    {
        std::unique_lock<std::shared_mutex> guard(m_lock);
        const auto it = m_cache.find(digest);
        if (it == m_cache.end())
            return;
        it->lastUsed = now;
    }
    CWriteTx tx;
    bool ok = false;
    CStore::run(QStringLiteral("update tokens set last_used = ? where token_hash = ?"), {now, digest}, &ok);
    if (ok)
        tx.commit();
}

bool CSessions::revoke(const QString &token)
{
    const QString digest = CCrypto::sha256Hex(token.toLatin1());
    bool ok = false;
    CStore::run(QStringLiteral("delete from tokens where token_hash = ?"), {digest}, &ok);
    std::unique_lock<std::shared_mutex> guard(m_lock);
    m_cache.remove(digest);
    return ok;
}

bool CSessions::revokeAllOf(qint64 uid, const QString &keep)
{
    const QString kept = keep.isEmpty() ? QString() : CCrypto::sha256Hex(keep.toLatin1());
    bool ok = false;
    CStore::run(QStringLiteral("delete from tokens where uid = ? and token_hash <> ?"), {uid, kept}, &ok);
    std::unique_lock<std::shared_mutex> guard(m_lock);
    for (auto it = m_cache.begin(); it != m_cache.end();) {
        if (it.value().uid == uid && it.key() != kept)
            it = m_cache.erase(it);
        else
            ++it;
    }
    return ok;
}
