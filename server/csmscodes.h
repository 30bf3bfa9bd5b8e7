#pragma once

#include <QString>

// SMS verification codes: six digits, valid for a limited time, single use,
// at most one per phone a minute and five wrong tries. In development mode
// the code is printed on the console; otherwise the operator's SMS command
// sends it.
namespace CSmsCodes {

bool isPhone(const QString &phone);
// Issues a code; returns an envelope code and fills `msg` on refusal.
int send(const QString &phone, qint64 now, QString &msg);
// Checks and consumes a code. Runs its own write transaction, so the
// caller must not hold one.
int verify(const QString &phone, const QString &code, qint64 now, QString &msg);

} // namespace CSmsCodes
