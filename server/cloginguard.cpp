#include "cloginguard.h"

CLoginGuard &CLoginGuard::instance()
{
    static CLoginGuard guard;
    return guard;
}

void CLoginGuard::configure(int perAccountAndAddress, int perAddress, int windowSeconds)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_perPair = perAccountAndAddress;
    m_perAddress = perAddress;
    m_window = windowSeconds;
}

QString CLoginGuard::pairKey(const QString &account, const QString &address)
{
    return account + QLatin1Char('\n') + address;
}

int CLoginGuard::waitFor(Failures &failures, const QString &key, int limit, qint64 now)
{
    const auto it = failures.find(key);
    if (it == failures.end())
        return 0;
    QVector<qint64> &times = it.value();
    while (!times.isEmpty() && times.first() <= now - m_window)
        times.removeFirst();
    if (times.size() < limit)
        return 0;
    // The attempt that brings the count under the limit again.
    return static_cast<int>(times.at(times.size() - limit) + m_window - now);
}

int CLoginGuard::accountDelay(const QString &account, qint64 now)
{
    const auto it = m_accounts.find(account);
    if (it == m_accounts.end())
        return 0;
    if (now - it->last >= m_window) {
        m_accounts.erase(it);
        return 0;
    }
    if (it->count < kFreeFailures)
        return 0;
    const int delay = qMin(kMaxDelay, 1 << qMin(it->count - kFreeFailures, 5));
    return static_cast<int>(qMax<qint64>(0, it->last + delay - now));
}

int CLoginGuard::retryAfter(const QString &account, const QString &address, bool owner, qint64 now)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    int wait = qMax(waitFor(m_pairs, pairKey(account, address), m_perPair, now),
                    waitFor(m_addresses, address, m_perAddress, now));
    if (!owner)
        wait = qMax(wait, accountDelay(account, now));
    return wait;
}

void CLoginGuard::failed(const QString &account, const QString &address, qint64 now)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_pairs[pairKey(account, address)].append(now);
    m_addresses[address].append(now);
    T_AccountFailures &a = m_accounts[account];
    if (now - a.last >= m_window)
        a.count = 0;
    ++a.count;
    a.last = now;
    if (++m_sinceSweep >= 1000)
        forgetOld(now);
}

void CLoginGuard::succeeded(const QString &account, const QString &address)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_pairs.remove(pairKey(account, address));
    m_accounts.remove(account);
}

void CLoginGuard::forgetOld(qint64 now)
{
    m_sinceSweep = 0;
    for (Failures *failures : {&m_pairs, &m_addresses}) {
        for (auto it = failures->begin(); it != failures->end();) {
            if (it.value().isEmpty() || it.value().last() <= now - m_window)
                it = failures->erase(it);
            else
                ++it;
        }
    }
    for (auto it = m_accounts.begin(); it != m_accounts.end();) {
        if (now - it->last >= m_window)
            it = m_accounts.erase(it);
        else
            ++it;
    }
}
