#include "csmscodes.h"

#include "capicall.h"
#include "ccrypto.h"
#include "cserveroptions.h"
#include "cstore.h"

#include <QDebug>
#include <QRegularExpression>

namespace {
constexpr qint64 kResendSeconds = 60;
constexpr int kMaxTries = 5;
} // namespace

namespace CSmsCodes {

bool isPhone(const QString &phone)
{
    static const QRegularExpression re(QStringLiteral("^1[0-9]{10}$"));
    return re.match(phone).hasMatch();
}

int send(const QString &phone, qint64 now, QString &msg)
{
    if (!isPhone(phone)) {
        msg = QStringLiteral("please enter an 11-digit mobile number");
        return Api_BadRequest;
    }
    if (!serverOptions().dev) {
        msg = QStringLiteral("SMS codes are not available on this server");
        return Api_Unavailable;
    }
    CWriteTx tx;
    bool ok = false;
    // The interval keeps a phone from being flooded; a code already used
    // (a registration just done) does not hold the next one back.
    const QVariant sentAt = CStore::scalar(
        QStringLiteral("select sent_at from sms_codes where phone = ? and used = 0"), {phone}, &ok);
    if (!ok || !tx.isOpen()) {
        msg = QStringLiteral("the server could not store the code");
        return Api_StoreFailure;
    }
    if (sentAt.isValid() && now - sentAt.toLongLong() < kResendSeconds) {
        msg = QStringLiteral("please wait %1 s before asking for another code")
                  .arg(kResendSeconds - (now - sentAt.toLongLong()));
        return Api_TooMany;
    }
    const QString code =
        serverOptions().smsCode.isEmpty() ? CCrypto::randomDigits(6) : serverOptions().smsCode;
    CStore::run(
        QStringLiteral(
            "insert or replace into sms_codes(phone, code, sent_at, tries, used) values(?, ?, ?, 0, 0)"),
        {phone, code, now}, &ok);
    if (!ok || !tx.commit()) {
        msg = QStringLiteral("the server could not store the code");
        return Api_StoreFailure;
    }
    // Development mode only: this console stands in for the SMS gateway.
    qInfo().noquote() << QStringLiteral("SMS code for %1: %2").arg(phone, code);
    return Api_Ok;
}

int verify(const QString &phone, const QString &code, qint64 now, QString &msg)
{
    CWriteTx tx;
    bool ok = false;
    QSqlQuery q = CStore::run(
        QStringLiteral("select code, sent_at, tries, used from sms_codes where phone = ?"), {phone}, &ok);
    if (!ok || !tx.isOpen()) {
        msg = QStringLiteral("the server could not check the code");
        return Api_StoreFailure;
    }
    if (!q.next()) {
        msg = QStringLiteral("please ask for an SMS code first");
        return Api_WrongSecret;
    }
    const QString stored = q.value(0).toString();
    const qint64 sentAt = q.value(1).toLongLong();
    const int tries = q.value(2).toInt();
    const bool used = q.value(3).toInt() != 0;
    q.finish();
    if (used || tries >= kMaxTries) {
        msg = used ? QStringLiteral("this SMS code has been used; please ask for a new one")
                   : QStringLiteral("too many wrong codes; please ask for a new one");
        return Api_WrongSecret;
    }
    if (now - sentAt > serverOptions().smsTtl) {
        msg = QStringLiteral("the SMS code has expired; please ask for a new one");
        return Api_Expired;
    }
    const bool match = CCrypto::equalConstantTime(stored.toLatin1(), code.trimmed().toLatin1());
    CStore::run(match ? QStringLiteral("update sms_codes set used = 1 where phone = ?")
                      : QStringLiteral("update sms_codes set tries = tries + 1 where phone = ?"),
                {phone}, &ok);
    if (!ok || !tx.commit()) {
        msg = QStringLiteral("the server could not check the code");
        return Api_StoreFailure;
    }
    if (!match) {
        msg = QStringLiteral("wrong SMS code");
        return Api_WrongSecret;
    }
    return Api_Ok;
}

} // namespace CSmsCodes
