#pragma once

#include <QHash>
#include <QString>
#include <QVector>

#include <mutex>

// Failed sign-ins counted per account (phone number) and per client
// address over a sliding window. Past either limit an attempt is refused at
// once, with the seconds until the oldest failure leaves the window; the
// limit per address is far above the one per account, since many authors
// may share one address.
class CLoginGuard
{
public:
    static CLoginGuard &instance();

    void configure(int perAccount, int perAddress, int windowSeconds = 900);
    // 0 when the attempt may go ahead, otherwise the seconds to wait.
    int retryAfter(const QString &account, const QString &address, qint64 now);
    void failed(const QString &account, const QString &address, qint64 now);
    void succeeded(const QString &account);

private:
    using Failures = QHash<QString, QVector<qint64>>;
    int waitFor(Failures &failures, const QString &key, int limit, qint64 now);
    void forgetOld(qint64 now);

    std::mutex m_mutex;
    Failures m_accounts;
    Failures m_addresses;
    int m_perAccount = 5;
    int m_perAddress = 100;
    int m_window = 900;
    int m_sinceSweep = 0;
};
