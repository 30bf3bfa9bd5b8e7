// Accounts: registration, sign-in, profile, passwords, WeChat, banners.
#include "capiroutes.h"
#include "cchangefeed.h"
#include "ccrypto.h"
#include "cimagestore.h"
#include "cloginguard.h"
#include "csessions.h"
#include "csmscodes.h"
#include "cstore.h"
#include "cwebpages.h"
#include "cwechat.h"

#include <QJsonArray>

namespace {

constexpr int kMaxPasswordLength = 128;
constexpr int kMaxNameLength = 30;
constexpr int kMaxSignLength = 200;

bool readPhoneAndCode(T_ApiCall &c, QString &phone, QString &code)
{
    if (!c.requireText(QStringLiteral("phone"), phone) || !c.requireText(QStringLiteral("code"), code))
        return false;
    if (!CSmsCodes::isPhone(phone)) {
        c.refuse(Api_BadRequest, QStringLiteral("请输入11位手机号码"));
        return false;
    }
    return true;
}

bool readPassword(T_ApiCall &c, const QString &key, QString &password)
{
    if (!c.requireText(key, password))
        return false;
    if (password.size() > kMaxPasswordLength) {
        c.refuse(Api_BadRequest, QStringLiteral("参数“%1”过长").arg(key));
        return false;
    }
    return true;
}

// Whether the client proves to belong to the owner of account `uid`: it
// is signed in to it, or it sends a device code the account has used.
bool ownersClient(const T_ApiCall &c, qint64 uid)
{
    if (uid < 1)
        return false;
    if (c.uid == uid)
        return true;
    if (c.uniqueCode.isEmpty())
        return false;
    bool ok = false;
    return CStore::scalar(QStringLiteral("select 1 from clients where uid = ? and unique_code = ?"),
                          {uid, c.uniqueCode}, &ok)
        .isValid();
}

// Refuses at once while this address has failed too often on the account,
// or the account's growing delay since its last failure has not passed.
bool mayTry(T_ApiCall &c, const QString &account, bool owner)
{
    const int wait = CLoginGuard::instance().retryAfter(account, c.address, owner, c.now);
    if (wait > 0) {
        c.refuse(Api_TooMany, QStringLiteral("失败次数过多，请%1秒后再试").arg(wait));
        c.content = QJsonObject{{"retry_after", wait}};
    }
    return wait <= 0;
}

bool checkCode(T_ApiCall &c, const QString &phone, const QString &code)
{
    QString msg;
    const int result = CSmsCodes::verify(phone, code, c.now, msg);
    if (result != Api_Ok)
        c.refuse(result, msg);
    return result == Api_Ok;
}

qint64 authorByPhone(const QString &phone, bool *ok)
{
    return CStore::scalar(QStringLiteral("select uid from authors where phone = ?"), {phone}, ok)
        .toLongLong();
}

QJsonObject profileOf(const T_ApiCall &c, bool *ok)
{
    QSqlQuery q = CStore::run(
        QStringLiteral(
            "select author_name, headimg, sex, sign, birthday, wx_id is not null, coalesce(phone, '') "
            "from authors where uid = ?"),
        {c.uid}, ok);
    if (!*ok || !q.next()) {
        *ok = false;
        return {};
    }
    return QJsonObject{{"author_name", q.value(0).toString()},
                       {"headimg", CImageStore::urlFor(c.baseUrl, q.value(1).toString())},
                       {"sex", q.value(2).toString()},
                       {"sign", q.value(3).toString()},
                       {"birthday", q.value(4).toString()},
                       {"isBindWx", q.value(5).toInt() != 0},
                       {"phone", q.value(6).toString()}};
}

bool recordProfileChange(T_ApiCall &c)
{
    return CChangeFeed::instance().record(c.uid, c.uniqueCode, Change_Profile, 0, 0, {}, c.now);
}

// The signed-in author's current password, checked under the limits of a
// sign-in (the caller is the owner's client: no account-wide delay).
bool checkCurrentPassword(T_ApiCall &c, const QString &hash, const QString &password, const QString &wrong)
{
    const QString account = QStringLiteral("uid:%1").arg(c.uid);
    if (!mayTry(c, account, true))
        return false;
    if (!CCrypto::verifyPassword(hash, password)) {
        CLoginGuard::instance().failed(account, c.address, c.now);
        c.refuse(Api_WrongSecret, wrong);
        return false;
    }
    CLoginGuard::instance().succeeded(account, c.address);
    return true;
}

// A token alone never moves the account to another number: the request
// also proves the current side, with the current password ("password") or
// a code sent to the current number ("old_code"). `current` receives the
// current number (may be empty for an account without one).
bool proveCurrentSide(T_ApiCall &c, QString &current)
{
    bool ok = false;
    QSqlQuery q = CStore::run(QStringLiteral("select coalesce(phone, ''), coalesce(pwd_hash, '') from "
                                             "authors where uid = ?"),
                              {c.uid}, &ok);
    if (!ok || !q.next()) {
        c.storeFailure();
        return false;
    }
    current = q.value(0).toString();
    const QString hash = q.value(1).toString();
    q.finish();
    const QString password = c.text(QStringLiteral("password"));
    const QString oldCode = c.text(QStringLiteral("old_code"));
    if (!password.isEmpty() && !hash.isEmpty()) {
        if (password.size() > kMaxPasswordLength) {
            c.refuse(Api_BadRequest, QStringLiteral("参数“password”过长"));
            return false;
        }
        return checkCurrentPassword(c, hash, password, QStringLiteral("当前密码错误"));
    }
    if (!oldCode.isEmpty() && !current.isEmpty())
        return checkCode(c, current, oldCode);
    c.refuse(Api_BadRequest, current.isEmpty() ? QStringLiteral("请输入当前密码")
                                               : QStringLiteral("请输入当前密码或原手机号收到的验证码"));
    return false;
}

// After a phone change: every other session of the account ends, and the
// old number hears of it.
void announcePhoneChange(const QString &oldPhone, const QString &newPhone)
{
    if (oldPhone.isEmpty() || oldPhone == newPhone)
        return;
    const QString text = QStringLiteral("您的账号已改绑手机号%1****%2。如非本人操作，请立即联系客服。")
                             .arg(newPhone.left(3), newPhone.right(4));
    CWriteTx::afterCommit([oldPhone, text] { CSmsCodes::notify(oldPhone, text); });
}

// Applies a new phone number after its code was checked.
bool takePhone(T_ApiCall &c, const QString &phone)
{
    bool ok = false;
    const qint64 owner = authorByPhone(phone, &ok);
    if (!ok) {
        c.storeFailure();
        return false;
    }
    if (owner > 0 && owner != c.uid) {
        c.refuse(Api_Exists, QStringLiteral("该手机号已被其他账号使用"));
        return false;
    }
    CStore::run(QStringLiteral("update authors set phone = ? where uid = ?"), {phone, c.uid}, &ok);
    if (!ok)
        c.storeFailure();
    return ok;
}

} // namespace

namespace AccountApi {

void sendCode(T_ApiCall &c)
{
    QString phone, msg;
    if (!c.requireText(QStringLiteral("phone"), phone))
        return;
    qint64 retryAfter = 0;
    const int result = CSmsCodes::send(phone, c.address, c.now, msg, &retryAfter);
    if (result != Api_Ok)
        c.refuse(result, msg);
    if (retryAfter > 0)
        c.content = QJsonObject{{"retry_after", retryAfter}};
}

void registerAuthor(T_ApiCall &c)
{
    QString phone, code, password;
    if (!readPhoneAndCode(c, phone, code) || !readPassword(c, QStringLiteral("password"), password))
        return;
    // The code comes first: until it is checked, the answer must not tell
    // whether the number has an account.
    if (!checkCode(c, phone, code))
        return;
    bool ok = false;
    if (authorByPhone(phone, &ok) > 0 || !ok) {
        ok ? c.refuse(Api_Exists, QStringLiteral("该手机号已注册，请直接登录")) : c.storeFailure();
        return;
    }
    const QString hash = CCrypto::hashPassword(password);
    CWriteTx tx;
    QSqlQuery q = CStore::run(
        QStringLiteral("insert into authors(phone, pwd_hash, author_name, create_time) values(?, ?, ?, ?)"),
        {phone, hash, QStringLiteral("作者%1").arg(phone.right(4)), c.now}, &ok);
    if (hash.isEmpty() || !ok || !tx.commit()) {
        // Another registration of the same number may have won the race.
        c.refuse(Api_Exists, QStringLiteral("该手机号已注册，请直接登录"));
        return;
    }
    c.content = QJsonObject{{"uid", q.lastInsertId().toLongLong()}};
}

void login(T_ApiCall &c)
{
    QString phone, password;
    if (!c.requireText(QStringLiteral("phone"), phone) ||
        !readPassword(c, QStringLiteral("password"), password))
        return;
    bool ok = false;
    QSqlQuery q =
        CStore::run(QStringLiteral("select uid, pwd_hash from authors where phone = ?"), {phone}, &ok);
    if (!ok)
        return c.storeFailure();
    const bool found = q.next();
    const qint64 uid = found ? q.value(0).toLongLong() : 0;
    const QString hash = found ? q.value(1).toString() : QString();
    q.finish();
    if (!mayTry(c, phone, ownersClient(c, uid)))
        return;
    // An unknown number takes the same time and gets the same answer.
    if (!CCrypto::verifyPassword(hash, password)) {
        CLoginGuard::instance().failed(phone, c.address, c.now);
        return c.refuse(Api_WrongSecret, QStringLiteral("手机号或密码错误"));
    }
    CLoginGuard::instance().succeeded(phone, c.address);
    CWriteTx tx;
    const QString token = CSessions::instance().issue(uid, c.now);
    if (token.isEmpty() || !tx.commit())
        return c.storeFailure();
    c.content = QJsonObject{{"uid", uid}, {"token", token}};
}

void logout(T_ApiCall &c)
{
    CWriteTx tx;
    if (!CSessions::instance().revoke(c.token) || !tx.commit())
        c.storeFailure();
}

void info(T_ApiCall &c)
{
    bool ok = false;
    QJsonObject profile = profileOf(c, &ok);
    if (!ok)
        return c.storeFailure();
    profile.remove(QStringLiteral("phone"));
    c.content = profile;
}

void updateAuthor(T_ApiCall &c)
{
    const QString name = c.text(QStringLiteral("author_name")).trimmed();
    const QString sex = c.text(QStringLiteral("sex"));
    const QString phone = c.text(QStringLiteral("phone"));
    if (name.size() > kMaxNameLength || c.text(QStringLiteral("sign")).size() > kMaxSignLength ||
        c.text(QStringLiteral("birthday")).size() > 20)
        return c.refuse(Api_BadRequest, QStringLiteral("个人资料内容过长"));
    if (!sex.isEmpty() && sex != QLatin1String("O") && sex != QLatin1String("M") && sex != QLatin1String("F"))
        return c.refuse(Api_BadRequest, QStringLiteral("性别无效"));
    bool ok = false;
    const QJsonObject before = profileOf(c, &ok);
    if (!ok)
        return c.storeFailure();
    const bool newPhone = !phone.isEmpty() && phone != before.value("phone").toString();
    if (newPhone && !(CSmsCodes::isPhone(phone) && !c.text(QStringLiteral("code")).isEmpty()))
        return c.refuse(Api_BadRequest, QStringLiteral("更换手机号需要填写新手机号收到的验证码"));
    // A new number here needs the same proofs as a phone change.
    QString current;
    if (newPhone && (!proveCurrentSide(c, current) || !checkCode(c, phone, c.text(QStringLiteral("code")))))
        return;
    CWriteTx tx;
    // Fields the request leaves out keep their value.
    const char *keys[] = {"author_name", "sex", "sign", "birthday"};
    for (const char *key : keys) {
        const QString value = key == QLatin1String("author_name") ? name : c.text(QLatin1String(key));
        if (!c.has(QLatin1String(key)) || (value.isEmpty() && key != QLatin1String("sign")))
            continue;
        CStore::run(QStringLiteral("update authors set %1 = ? where uid = ?").arg(QLatin1String(key)),
                    {value, c.uid}, &ok);
        if (!ok)
            return c.storeFailure();
    }
    if (newPhone && !takePhone(c, phone))
        return;
    if (newPhone) {
        announcePhoneChange(current, phone);
        if (!CSessions::instance().revokeAllOf(c.uid, c.token))
            return c.storeFailure();
    }
    if (!recordProfileChange(c) || !tx.commit())
        return c.storeFailure();
    QJsonObject after = profileOf(c, &ok);
    c.content = QJsonObject{{"author_name", after.value("author_name")},
                            {"sex", after.value("sex")},
                            {"sign", after.value("sign")},
                            {"birthday", after.value("birthday")},
                            {"phone", after.value("phone")}};
}

void uploadImage(T_ApiCall &c)
{
    QString uri, path, msg;
    if (!c.requireText(QStringLiteral("img"), uri))
        return;
    if (!CImageStore::saveDataUri(uri, QStringLiteral("img"), path, msg))
        return c.refuse(Api_BadRequest, msg);
    CWriteTx tx;
    bool ok = false;
    CStore::run(QStringLiteral("update authors set headimg = ? where uid = ?"), {path, c.uid}, &ok);
    if (!ok || !recordProfileChange(c) || !tx.commit())
        return c.storeFailure();
    c.content = QJsonObject{{"headimg", CImageStore::urlFor(c.baseUrl, path)}};
}

void resetPassword(T_ApiCall &c)
{
    QString phone, code, password;
    if (!readPhoneAndCode(c, phone, code) || !readPassword(c, QStringLiteral("password"), password))
        return;
    // The code comes first, as in a registration.
    if (!checkCode(c, phone, code))
        return;
    bool ok = false;
    const qint64 uid = authorByPhone(phone, &ok);
    if (!ok)
        return c.storeFailure();
    if (uid < 1)
        return c.refuse(Api_NotFound, QStringLiteral("该手机号尚未注册"));
    const QString hash = CCrypto::hashPassword(password);
    CWriteTx tx;
    CStore::run(QStringLiteral("update authors set pwd_hash = ? where uid = ?"), {hash, uid}, &ok);
    // A reset signs the account out everywhere.
    if (hash.isEmpty() || !ok || !CSessions::instance().revokeAllOf(uid) || !tx.commit())
        c.storeFailure();
}

void changePhone(T_ApiCall &c)
{
    QString phone, code, current;
    if (!readPhoneAndCode(c, phone, code) || !proveCurrentSide(c, current) || !checkCode(c, phone, code))
        return;
    CWriteTx tx;
    if (!takePhone(c, phone))
        return;
    announcePhoneChange(current, phone);
    if (!CSessions::instance().revokeAllOf(c.uid, c.token) || !recordProfileChange(c) || !tx.commit())
        c.storeFailure();
}

void changePassword(T_ApiCall &c)
{
    QString oldPassword, newPassword;
    if (!readPassword(c, QStringLiteral("old_pwd"), oldPassword) ||
        !readPassword(c, QStringLiteral("new_pwd"), newPassword))
        return;
    bool ok = false;
    const QString hash =
        CStore::scalar(QStringLiteral("select pwd_hash from authors where uid = ?"), {c.uid}, &ok).toString();
    if (!ok)
        return c.storeFailure();
    if (!checkCurrentPassword(c, hash, oldPassword, QStringLiteral("原密码错误")))
        return;
    const QString newHash = CCrypto::hashPassword(newPassword);
    CWriteTx tx;
    CStore::run(QStringLiteral("update authors set pwd_hash = ? where uid = ?"), {newHash, c.uid}, &ok);
    // The author's other sessions end; this one goes on.
    if (newHash.isEmpty() || !ok || !CSessions::instance().revokeAllOf(c.uid, c.token) || !tx.commit())
        c.storeFailure();
}

void deleteData(T_ApiCall &c)
{
    CWriteTx tx;
    bool ok = false;
    QSqlQuery books = CStore::run(QStringLiteral("select book_id from books where uid = ?"), {c.uid}, &ok);
    QList<qint64> bookIds;
    while (ok && books.next())
        bookIds << books.value(0).toLongLong();
    QSqlQuery memos = CStore::run(QStringLiteral("select memo_id from memos where uid = ?"), {c.uid}, &ok);
    QList<qint64> memoIds;
    while (ok && memos.next())
        memoIds << memos.value(0).toLongLong();
    for (qint64 id : bookIds)
        ok = ok && CChangeFeed::instance().record(c.uid, c.uniqueCode, Change_BookDeleted, id, 0, {}, c.now);
    for (qint64 id : memoIds)
        ok = ok && CChangeFeed::instance().record(c.uid, c.uniqueCode, Change_MemoDeleted, id, 0, {}, c.now);
    for (const char *table : {"chapters", "blades", "books", "memos", "statistics", "private_words"}) {
        if (ok)
            CStore::run(QStringLiteral("delete from %1 where uid = ?").arg(QLatin1String(table)), {c.uid},
                        &ok);
    }
    if (!ok || !tx.commit())
        c.storeFailure();
}

void bannerList(T_ApiCall &c)
{
    c.content = QJsonObject{{"bannerList", CWebPages::bannerList(c.baseUrl)}};
}

void wxCodeLogin(T_ApiCall &c)
{
    QString nonce;
    if (!c.requireText(QStringLiteral("nonce_str"), nonce))
        return;
    if (!serverOptions().dev)
        return c.refuse(Api_Unavailable, QStringLiteral("此服务器暂不支持微信登录"));
    // The bind view sends the author's own token in place of a nonce.
    const qint64 binder = nonce == c.token ? c.uid : 0;
    if (binder > 0) {
        const QString id = CWeChat::instance().startBind(binder, c.now);
        c.content = QJsonObject{{"url", c.baseUrl + QStringLiteral("/wx/bind?s=") + id}};
        return;
    }
    if (!CWeChat::isNonce(nonce))
        return c.refuse(Api_BadRequest, QStringLiteral("二维码参数无效，请刷新"));
    CWeChat::instance().startLogin(nonce, c.now);
    c.content = QJsonObject{{"url", c.baseUrl + QStringLiteral("/wx/login?s=") + nonce}};
}

void pollingWx(T_ApiCall &c)
{
    QString nonce;
    if (!c.requireText(QStringLiteral("nonce_str"), nonce))
        return;
    T_WxSession s;
    const qint64 binder = CSessions::instance().authorOf(nonce);
    const bool found =
        binder > 0 ? CWeChat::instance().findBind(binder, s) : CWeChat::instance().find(nonce, s);
    if (!found)
        return c.refuse(Api_Expired, QStringLiteral("二维码已失效，请刷新"));
    c.content = QJsonObject{{"isBindPhone", s.isBindPhone},
                            {"status", s.status},
                            {"token", s.bind ? QString() : s.token},
                            {"uid", s.uid}};
}

void wxBindPhone(T_ApiCall &c)
{
    QString phone, code;
    if (!readPhoneAndCode(c, phone, code))
        return;
    bool ok = false;
    QSqlQuery q = CStore::run(QStringLiteral("select coalesce(phone, ''), wx_id from authors where uid = ?"),
                              {c.uid}, &ok);
    if (!ok || !q.next())
        return c.storeFailure();
    const bool hasPhone = !q.value(0).toString().isEmpty();
    const QString wxId = q.value(1).toString();
    q.finish();
    if (hasPhone)
        return c.refuse(Api_Exists, QStringLiteral("该账号已绑定手机号"));
    if (!checkCode(c, phone, code))
        return;
    const qint64 owner = authorByPhone(phone, &ok);
    CWriteTx tx;
    qint64 uid = c.uid;
    if (ok && owner > 0) {
        // The number belongs to an existing account: the WeChat identity
        // moves over to it and that account signs in.
        CStore::run(QStringLiteral("update authors set wx_id = null where uid = ?"), {c.uid}, &ok);
        if (ok)
            CStore::run(QStringLiteral("update authors set wx_id = ? where uid = ?"), {wxId, owner}, &ok);
        uid = owner;
    } else if (ok) {
        CStore::run(QStringLiteral("update authors set phone = ? where uid = ?"), {phone, c.uid}, &ok);
    }
    const QString token = ok ? CSessions::instance().issue(uid, c.now) : QString();
    if (token.isEmpty() || !tx.commit())
        return c.storeFailure();
    c.content = QJsonObject{{"uid", uid}, {"token", token}};
}

} // namespace AccountApi
