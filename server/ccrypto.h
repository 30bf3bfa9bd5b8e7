#pragma once

#include <QByteArray>
#include <QString>

// Password hashes, random tokens and digests, all through libsodium.
namespace CCrypto {

bool init();

// argon2id hash of a password digest in libsodium's self-describing form.
QString hashPassword(const QString &password);
bool verifyPassword(const QString &hash, const QString &password);

// 256 random bits as 64 lower-case hexadecimal characters.
QString randomToken();
// A random number of `digits` decimal digits, leading zeros kept.
QString randomDigits(int digits);
// SHA-256 as lower-case hexadecimal; tokens are stored only in this form.
QString sha256Hex(const QByteArray &data);
bool equalConstantTime(const QByteArray &a, const QByteArray &b);

} // namespace CCrypto
