#include "ccrypto.h"

#include <sodium.h>

namespace {
// Moderate argon2id cost: 2 passes over 19 MiB keeps a sign-in well under
// a tenth of a second on a small machine.
constexpr unsigned long long kOpsLimit = 2;
constexpr size_t kMemLimit = 19u * 1024u * 1024u;
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
    if (crypto_pwhash_str_alg(out, utf8.constData(), static_cast<unsigned long long>(utf8.size()), kOpsLimit,
                              kMemLimit, crypto_pwhash_ALG_ARGON2ID13) != 0)
        return QString();
    return QString::fromLatin1(out);
}

bool verifyPassword(const QString &hash, const QString &password)
{
    if (hash.isEmpty())
        return false;
    const QByteArray stored = hash.toLatin1();
    const QByteArray utf8 = password.toUtf8();
    return crypto_pwhash_str_verify(stored.constData(), utf8.constData(),
                                    static_cast<unsigned long long>(utf8.size())) == 0;
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
