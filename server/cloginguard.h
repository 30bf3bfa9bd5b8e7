#pragma once

#include <QHash>
#include <QString>
#include <QVector>

#include <mutex>

// Failed sign-ins. Three counts, each over a sliding window:
// - per account and client address: past its limit that address may not
//   try that account again until the oldest failure leaves the window;
// - per client address over all accounts, with a far higher limit, since
//   many authors may share one address;
// - per account over all addresses: no lock, a delay that grows with the
//   failures (1 s, 2 s, 4 s … up to kMaxDelay) between attempts, which a
//   client that proves to be the owner's (a valid token or a device code
//   the account knows) does not wait for. So failures from elsewhere never
//   lock the owner out.
class CLoginGuard
{
public:
    static CLoginGuard &instance();

    static constexpr int kFreeFailures = 3; // failures per account before any delay
    static constexpr int kMaxDelay = 30;    // seconds

    void configure(int perAccountAndAddress, int perAddress, int windowSeconds = 900);
    // 0 when the attempt may go ahead, otherwise the seconds to wait.
    int retryAfter(const QString &account, const QString &address, bool owner, qint64 now);
    void failed(const QString &account, const QString &address, qint64 now);
    void succeeded(const QString &account, const QString &address);

private:
    using Failures = QHash<QString, QVector<qint64>>;
    struct T_AccountFailures
    {
        int count = 0;
        qint64 last = 0;
    };
    int waitFor(Failures &failures, const QString &key, int limit, qint64 now);
    int accountDelay(const QString &account, qint64 now);
    void forgetOld(qint64 now);
    static QString pairKey(const QString &account, const QString &address);

    std::mutex m_mutex;
    Failures m_pairs;
    Failures m_addresses;
    QHash<QString, T_AccountFailures> m_accounts;
    int m_perPair = 5;
    int m_perAddress = 100;
    int m_window = 900;
    int m_sinceSweep = 0;
};
