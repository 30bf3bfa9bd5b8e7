#include "csmscodes.h"

#include "capicall.h"
#include "ccrypto.h"
#include "cserveroptions.h"
#include "cstore.h"

#include <QDebug>
#include <QProcess>
#include <QRegularExpression>

namespace {
constexpr qint64 kResendSeconds = 60;
constexpr int kMaxTries = 5;
constexpr int kCommandMs = 15000;

// The operator's command hands the code to an SMS gateway. It gets the
// number and the code in its environment, never on its command line, and
// must exit with 0 once the message is on its way.
// Stores a fresh code unless one was sent within the last minute.
int store(const QString &phone, const QString &code, qint64 now, QString &msg)
{
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
    CStore::run(
        QStringLiteral(
            "insert or replace into sms_codes(phone, code, sent_at, tries, used) values(?, ?, ?, 0, 0)"),
        {phone, code, now}, &ok);
    if (!ok || !tx.commit()) {
        msg = QStringLiteral("the server could not store the code");
        return Api_StoreFailure;
    }
    return Api_Ok;
}

bool runSmsCommand(const QString &phone, const QString &code)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUORVIN_SMS_PHONE"), phone);
    env.insert(QStringLiteral("QUORVIN_SMS_CODE"), code);
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), serverOptions().smsCommand});
    if (!process.waitForStarted(kCommandMs) || !process.waitForFinished(kCommandMs)) {
        process.kill();
        process.waitForFinished(1000);
        qWarning() << "the SMS command did not finish for a code request";
        return false;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        qWarning() << "the SMS command failed with exit code" << process.exitCode();
        return false;
    }
    return true;
}
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
    const bool dev = serverOptions().dev;
    if (!dev && serverOptions().smsCommand.isEmpty()) {
        msg = QStringLiteral("SMS codes are not available on this server");
        return Api_Unavailable;
    }
    const QString code =
        serverOptions().smsCode.isEmpty() || !dev ? CCrypto::randomDigits(6) : serverOptions().smsCode;
    bool ok = false;
    if (const int stored = store(phone, code, now, msg); stored != Api_Ok)
        return stored;
    if (dev) {
        // Development mode: this console stands in for the SMS gateway.
        qInfo().noquote() << QStringLiteral("SMS code for %1: %2").arg(phone, code);
        return Api_Ok;
    }
    if (runSmsCommand(phone, code))
        return Api_Ok;
    // Not sent: the number may ask again at once.
    CWriteTx undo;
    CStore::run(QStringLiteral("delete from sms_codes where phone = ? and code = ?"), {phone, code}, &ok);
    if (ok)
        undo.commit();
    msg = QStringLiteral("the SMS code could not be sent; please try again later");
    return Api_Unavailable;
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
    // A spent code is as good as none.
    if (!q.next() || q.value(3).toInt() != 0) {
        msg = QStringLiteral("please ask for an SMS code first");
        return Api_WrongSecret;
    }
    const QString stored = q.value(0).toString();
    const qint64 sentAt = q.value(1).toLongLong();
    const int tries = q.value(2).toInt();
    q.finish();
    if (tries >= kMaxTries) {
        msg = QStringLiteral("too many wrong codes; please ask for a new one");
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
