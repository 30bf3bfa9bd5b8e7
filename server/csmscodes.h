#pragma once

#include <QString>

// SMS verification codes: six digits, valid for a limited time, single use,
// at most one per phone a minute and five wrong tries. In development mode
// the code is printed on the console; otherwise the operator's SMS command
// sends it.
namespace CSmsCodes {

bool isPhone(const QString &phone);
// Issues a code for a request from `address`; returns an envelope code and
// fills `msg` on refusal, and `retryAfter` (when given) with the seconds
// to wait when the refusal is a limit: one code a minute per number, and
// per hour so many per client address and in all.
int send(const QString &phone, const QString &address, qint64 now, QString &msg,
         qint64 *retryAfter = nullptr);
// Sends a notice (no code) to `phone` through the SMS command, without
// waiting for it; on the console in development mode.
void notify(const QString &phone, const QString &text);
// Checks and consumes a code. Runs its own write transaction, so the
// caller must not hold one.
int verify(const QString &phone, const QString &code, qint64 now, QString &msg);

} // namespace CSmsCodes
