#include "cloginguard.h"

CLoginGuard &CLoginGuard::instance()
{
    static CLoginGuard guard;
    return guard;
}

void CLoginGuard::configure(int perAccount, int perAddress, int windowSeconds)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_perAccount = perAccount;
    m_perAddress = perAddress;
    m_window = windowSeconds;
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

int CLoginGuard::retryAfter(const QString &account, const QString &address, qint64 now)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return qMax(waitFor(m_accounts, account, m_perAccount, now),
                waitFor(m_addresses, address, m_perAddress, now));
}

void CLoginGuard::failed(const QString &account, const QString &address, qint64 now)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_accounts[account].append(now);
    m_addresses[address].append(now);
    if (++m_sinceSweep >= 1000)
        forgetOld(now);
}

void CLoginGuard::succeeded(const QString &account)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_accounts.remove(account);
}

void CLoginGuard::forgetOld(qint64 now)
{
    m_sinceSweep = 0;
    for (Failures *failures : {&m_accounts, &m_addresses}) {
        for (auto it = failures->begin(); it != failures->end();) {
            if (it.value().isEmpty() || it.value().last() <= now - m_window)
                it = failures->erase(it);
            else
                ++it;
        }
    }
}
