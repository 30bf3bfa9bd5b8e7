#include "ccrypto.h"

#include <QThread>

#include <sodium.h>

#include <condition_variable>
#include <mutex>

namespace {
// Moderate argon2id cost: 2 passes over 19 MiB keeps a sign-in well under
// a tenth of a second on a small machine.
constexpr unsigned long long kOpsLimit = 2;
constexpr size_t kMemLimit = 19u * 1024u * 1024u;

// At most this many hashes at once: each takes kMemLimit of memory, and
// parallel sign-ins must not add up to gigabytes.
class CHashSlots
{
public:
    CHashSlots() : m_free(qMax(2, QThread::idealThreadCount())) {}
    void acquire()
    {
        std::unique_lock<std::mutex> guard(m_mutex);
        m_wake.wait(guard, [this] { return m_free > 0; });
        --m_free;
    }
    void release()
    {
        {
            std::lock_guard<std::mutex> guard(m_mutex);
            ++m_free;
        }
        m_wake.notify_one();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    int m_free;
};

CHashSlots &hashSlots()
{
    static CHashSlots s;
    return s;
}

struct T_HashSlot
{
    T_HashSlot() { hashSlots().acquire(); }
    ~T_HashSlot() { hashSlots().release(); }
};

} // namespace

namespace CCrypto {

bool init()
{
    return sodium_init() >= 0;
}

QString hashPassword(const QString &password)
{
    const QByteArray utf8 = password.toUtf8();
    char out[crypto_pwhash_STRBYTES];
    const T_HashSlot slot;
    if (crypto_pwhash_str_alg(out, utf8.constData(), static_cast<unsigned long long>(utf8.size()), kOpsLimit,
                              kMemLimit, crypto_pwhash_ALG_ARGON2ID13) != 0)
        return QString();
    return QString::fromLatin1(out);
}

bool verifyPassword(const QString &hash, const QString &password)
{
    // Without a stored hash the same work is done against a stand-in, so
    // that the time taken does not tell whether an account exists.
    static const QString standIn = hashPassword(randomToken());
    const bool known = !hash.isEmpty();
    const QByteArray stored = known ? hash.toLatin1() : standIn.toLatin1();
    const QByteArray utf8 = password.toUtf8();
    const T_HashSlot slot;
    const bool match = crypto_pwhash_str_verify(stored.constData(), utf8.constData(),
                                                static_cast<unsigned long long>(utf8.size())) == 0;
    return known && match;
}

QString randomToken()
{
    unsigned char bytes[32];
    randombytes_buf(bytes, sizeof bytes);
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(bytes), sizeof bytes).toHex());
}

QString randomDigits(int digits)
{
    QString out;
    for (int i = 0; i < digits; ++i)
        out.append(QChar('0' + static_cast<int>(randombytes_uniform(10))));
    return out;
}

QString sha256Hex(const QByteArray &data)
{
    unsigned char digest[crypto_hash_sha256_BYTES];
    crypto_hash_sha256(digest, reinterpret_cast<const unsigned char *>(data.constData()),
                       static_cast<unsigned long long>(data.size()));
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(digest), sizeof digest).toHex());
}

bool equalConstantTime(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size())
        return false;
    return sodium_memcmp(a.constData(), b.constData(), static_cast<size_t>(a.size())) == 0;
}

} // namespace CCrypto
