#include "csmscodes.h"

#include "capicall.h"
#include "ccrypto.h"
#include "cserveroptions.h"
#include "csmssender.h"
#include "cstore.h"

#include <QDebug>
#include <QRegularExpression>

namespace {
constexpr qint64 kResendSeconds = 60;
constexpr int kMaxTries = 5;

constexpr qint64 kHour = 3600;
// How long a request waits for the SMS command: a command that fails at
// once is reported; one still running then answers as sent, and is undone
// when it fails later.
constexpr int kWaitForCommandMs = 500;

// Seconds until a code may be sent from `address` again, or 0; counts
// the codes of the last hour per address and in all.
qint64 sendingLimit(const QString &address, qint64 now, bool *ok)
{
    const T_ServerOptions &options = serverOptions();
    const qint64 since = now - kHour;
    const auto waitAfter = [&](const QString &where, const QVariantList &binds, int limit) -> qint64 {
        if (limit <= 0) // no limit
            return 0;
        // The oldest of the last `limit` sends decides when one more fits.
        const QVariant oldest =
            CStore::scalar(QStringLiteral("select sent_at from sms_sent where sent_at > ? %1 "
                                          "order by sent_at desc limit 1 offset ?")
                               .arg(where),
                           QVariantList{since} + binds + QVariantList{limit - 1}, ok);
        return *ok && oldest.isValid() ? qMax<qint64>(1, oldest.toLongLong() + kHour - now) : 0;
    };
    const qint64 perAddress = waitAfter(QStringLiteral("and address = ?"), {address}, options.smsPerAddress);
    if (!*ok)
        return 0;
    return qMax(perAddress, waitAfter(QString(), {}, options.smsPerHour));
}

// Stores a fresh code unless one was sent within the last minute or the
// address or the server has sent too many this hour.
int store(const QString &phone, const QString &address, const QString &code, qint64 now, QString &msg,
          qint64 &retryAfter)
{
    CWriteTx tx;
    bool ok = false;
    // The interval keeps a phone from being flooded; a code already used
    // (a registration just done) does not hold the next one back.
    const QVariant sentAt = CStore::scalar(
        QStringLiteral("select sent_at from sms_codes where phone = ? and used = 0"), {phone}, &ok);
    if (!ok || !tx.isOpen()) {
        msg = QStringLiteral("服务器未能保存验证码，请稍后再试");
        return Api_StoreFailure;
    }
    if (sentAt.isValid() && now - sentAt.toLongLong() < kResendSeconds) {
        retryAfter = kResendSeconds - (now - sentAt.toLongLong());
        msg = QStringLiteral("请%1秒后再获取验证码").arg(retryAfter);
        return Api_TooMany;
    }
    retryAfter = sendingLimit(address, now, &ok);
    if (ok && retryAfter > 0) {
        msg = QStringLiteral("获取验证码过于频繁，请%1秒后再试").arg(retryAfter);
        return Api_TooMany;
    }
    CStore::run(
        QStringLiteral(
            "insert or replace into sms_codes(phone, code, sent_at, tries, used) values(?, ?, ?, 0, 0)"),
        {phone, code, now}, &ok);
    if (ok)
        CStore::run(QStringLiteral("insert into sms_sent(address, sent_at) values(?, ?)"), {address, now},
                    &ok);
    if (ok)
        CStore::run(QStringLiteral("delete from sms_sent where sent_at <= ?"), {now - kHour}, &ok);
    if (!ok || !tx.commit()) {
        msg = QStringLiteral("服务器未能保存验证码，请稍后再试");
        return Api_StoreFailure;
    }
    return Api_Ok;
}

// A code that was not sent: the number may ask again at once, and it does
// not count against the address.
void withdraw(const QString &phone, const QString &code, const QString &address, qint64 now)
{
    CWriteTx undo;
    bool ok = false;
    CStore::run(QStringLiteral("delete from sms_codes where phone = ? and code = ? and used = 0"),
                {phone, code}, &ok);
    if (ok)
        CStore::run(QStringLiteral("delete from sms_sent where rowid = (select rowid from sms_sent "
                                   "where address = ? and sent_at = ? limit 1)"),
                    {address, now}, &ok);
    if (ok)
        undo.commit();
}
} // namespace

namespace CSmsCodes {

bool isPhone(const QString &phone)
{
    static const QRegularExpression re(QStringLiteral("^1[0-9]{10}$"));
    return re.match(phone).hasMatch();
}

int send(const QString &phone, const QString &address, qint64 now, QString &msg, qint64 *retryAfter)
{
    if (!isPhone(phone)) {
        msg = QStringLiteral("请输入11位手机号码");
        return Api_BadRequest;
    }
    const bool dev = serverOptions().dev;
    if (!dev && serverOptions().smsCommand.isEmpty()) {
        msg = QStringLiteral("此服务器暂不支持短信验证码");
        return Api_Unavailable;
    }
    const QString code =
        serverOptions().smsCode.isEmpty() || !dev ? CCrypto::randomDigits(6) : serverOptions().smsCode;
    qint64 wait = 0;
    const int stored = store(phone, address, code, now, msg, wait);
    if (retryAfter)
        *retryAfter = wait;
    if (stored != Api_Ok)
        return stored;
    if (dev) {
        // Development mode: this console stands in for the SMS gateway.
        qInfo().noquote() << QStringLiteral("SMS code for %1: %2").arg(phone, code);
        return Api_Ok;
    }
    const auto undoWhenFailed = [phone, code, address, now](bool sent) {
        if (!sent)
            withdraw(phone, code, address, now);
    };
    switch (CSmsSender::instance().send({phone, code, QString()}, kWaitForCommandMs, undoWhenFailed)) {
    case CSmsSender::Sms_Sent:
    case CSmsSender::Sms_Pending:
        return Api_Ok;
    case CSmsSender::Sms_Busy:
        withdraw(phone, code, address, now);
        break;
    case CSmsSender::Sms_Failed:
        break;
    }
    msg = QStringLiteral("短信验证码发送失败，请稍后再试");
    return Api_Unavailable;
}

void notify(const QString &phone, const QString &text)
{
    if (!isPhone(phone))
        return;
    if (serverOptions().dev) {
        qInfo().noquote() << QStringLiteral("SMS notice for %1: %2").arg(phone, text);
        return;
    }
    if (serverOptions().smsCommand.isEmpty())
        return;
    if (CSmsSender::instance().send({phone, QString(), text}, 0) == CSmsSender::Sms_Busy)
        qWarning() << "an SMS notice was dropped: too many messages wait";
}

int verify(const QString &phone, const QString &code, qint64 now, QString &msg)
{
    CWriteTx tx;
    bool ok = false;
    QSqlQuery q = CStore::run(
        QStringLiteral("select code, sent_at, tries, used from sms_codes where phone = ?"), {phone}, &ok);
    if (!ok || !tx.isOpen()) {
        msg = QStringLiteral("服务器未能校验验证码，请稍后再试");
        return Api_StoreFailure;
    }
    // A spent code is as good as none.
    if (!q.next() || q.value(3).toInt() != 0) {
        msg = QStringLiteral("请先获取短信验证码");
        return Api_WrongSecret;
    }
    const QString stored = q.value(0).toString();
    const qint64 sentAt = q.value(1).toLongLong();
    const int tries = q.value(2).toInt();
    q.finish();
    if (tries >= kMaxTries) {
        msg = QStringLiteral("验证码错误次数过多，请重新获取");
        return Api_WrongSecret;
    }
    if (now - sentAt > serverOptions().smsTtl) {
        msg = QStringLiteral("验证码已过期，请重新获取");
        return Api_Expired;
    }
    const bool match = CCrypto::equalConstantTime(stored.toLatin1(), code.trimmed().toLatin1());
    CStore::run(match ? QStringLiteral("update sms_codes set used = 1 where phone = ?")
                      : QStringLiteral("update sms_codes set tries = tries + 1 where phone = ?"),
                {phone}, &ok);
    if (!ok || !tx.commit()) {
        msg = QStringLiteral("服务器未能校验验证码，请稍后再试");
        return Api_StoreFailure;
    }
    if (!match) {
        msg = QStringLiteral("验证码错误");
        return Api_WrongSecret;
    }
    return Api_Ok;
}

} // namespace CSmsCodes
