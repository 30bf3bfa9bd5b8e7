#include "csessions.h"

#include "ccrypto.h"
#include "cstore.h"

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
    CStore::run(QStringLiteral("insert into tokens(token_hash, uid, create_time) values(?, ?, ?)"),
                {digest, uid, now}, &ok);
    if (!ok)
        return QString();
    std::unique_lock<std::shared_mutex> guard(m_lock);
    m_cache.insert(digest, uid);
    return token;
}

qint64 CSessions::authorOf(const QString &token)
{
    // Tokens we hand out are 64 hexadecimal characters; anything else is
    // refused without touching the store.
    if (token.size() != 64)
        return 0;
    const QString digest = CCrypto::sha256Hex(token.toLatin1());
    {
        std::shared_lock<std::shared_mutex> guard(m_lock);
        const auto it = m_cache.constFind(digest);
        if (it != m_cache.constEnd())
            return *it;
    }
    bool ok = false;
    const QVariant uid =
        CStore::scalar(QStringLiteral("select uid from tokens where token_hash = ?"), {digest}, &ok);
    if (!ok || !uid.isValid())
        return 0;
    std::unique_lock<std::shared_mutex> guard(m_lock);
    m_cache.insert(digest, uid.toLongLong());
    return uid.toLongLong();
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

bool CSessions::revokeAllOf(qint64 uid)
{
    bool ok = false;
    CStore::run(QStringLiteral("delete from tokens where uid = ?"), {uid}, &ok);
    std::unique_lock<std::shared_mutex> guard(m_lock);
    for (auto it = m_cache.begin(); it != m_cache.end();) {
        if (it.value() == uid)
            it = m_cache.erase(it);
        else
            ++it;
    }
    return ok;
}
