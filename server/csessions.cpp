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
    return lookUp(token, now, true);
}

qint64 CSessions::peekAuthorOf(const QString &token)
{
    return lookUp(token, 0, false);
}

qint64 CSessions::lookUp(const QString &token, qint64 now, bool note)
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
    quint64 revocationsBefore = 0;
    {
        std::shared_lock<std::shared_mutex> guard(m_lock);
        const auto it = m_cache.constFind(digest);
        if (it != m_cache.constEnd()) {
            session = *it;
            cached = true;
        }
        revocationsBefore = m_revocations;
    }
    if (!cached) {
        bool ok = false;
        {
            QSqlQuery q = CStore::run(
                QStringLiteral("select uid, last_used from tokens where token_hash = ?"), {digest}, &ok);
            if (!ok || !q.next())
                return 0;
            session = T_Session{q.value(0).toLongLong(), q.value(1).toLongLong()};
        }
        // A revocation since the read began may have removed this very
        // token: the answer stands for this request, the cache stays empty.
        std::unique_lock<std::shared_mutex> guard(m_lock);
        if (m_revocations == revocationsBefore)
            m_cache.insert(digest, session);
    }
    if (now - session.lastUsed > m_idleLimit)
        return 0;
    // Written down now and then, not on every request.
    if (note && now - session.lastUsed > qMin<qint64>(m_idleLimit / 30, 24 * 3600))
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
    const auto match = [digest](const QString &key, const T_Session &) { return key == digest; };
    forget(match);
    CWriteTx::afterCommit([this, match] { forget(match); });
    return ok;
}

void CSessions::forget(const std::function<bool(const QString &, const T_Session &)> &match)
{
    std::unique_lock<std::shared_mutex> guard(m_lock);
    ++m_revocations;
    for (auto it = m_cache.begin(); it != m_cache.end();) {
        if (match(it.key(), it.value()))
            it = m_cache.erase(it);
        else
            ++it;
    }
}

bool CSessions::revokeAllOf(qint64 uid, const QString &keep)
{
    const QString kept = keep.isEmpty() ? QString() : CCrypto::sha256Hex(keep.toLatin1());
    bool ok = false;
    CStore::run(QStringLiteral("delete from tokens where uid = ? and token_hash <> ?"), {uid, kept}, &ok);
    const auto match = [uid, kept](const QString &key, const T_Session &session) {
        return session.uid == uid && key != kept;
    };
    forget(match);
    CWriteTx::afterCommit([this, match] { forget(match); });
    return ok;
}
