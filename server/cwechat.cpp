#include "cwechat.h"

#include "capicall.h"
#include "ccrypto.h"
#include "csessions.h"
#include "cstore.h"

#include <QRegularExpression>

namespace {
constexpr qint64 kSessionSeconds = 600;
} // namespace

CWeChat &CWeChat::instance()
{
    static CWeChat w;
    return w;
}

bool CWeChat::isNonce(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("^[0-9A-Za-z]{8,64}$"));
    return re.match(text).hasMatch();
}

void CWeChat::expire(qint64 now)
{
    for (auto it = m_sessions.begin(); it != m_sessions.end();) {
        if (now - it->created > kSessionSeconds)
            it = m_sessions.erase(it);
        else
            ++it;
    }
}

void CWeChat::startLogin(const QString &nonce, qint64 now)
{
    QMutexLocker guard(&m_lock);
    expire(now);
    if (m_sessions.contains(nonce) && !m_sessions.value(nonce).bind)
        return;
    T_WxSession s;
    s.created = now;
    m_sessions.insert(nonce, s);
}

QString CWeChat::startBind(qint64 uid, qint64 now)
{
    QMutexLocker guard(&m_lock);
    expire(now);
    const QString id = CCrypto::randomToken().left(32);
    T_WxSession s;
    s.bind = true;
    s.bindUid = uid;
    s.created = now;
    m_sessions.insert(id, s);
    return id;
}

bool CWeChat::find(const QString &id, T_WxSession &out)
{
    QMutexLocker guard(&m_lock);
    const auto it = m_sessions.constFind(id);
    if (it == m_sessions.constEnd())
        return false;
    out = *it;
    return true;
}

bool CWeChat::findBind(qint64 uid, T_WxSession &out)
{
    QMutexLocker guard(&m_lock);
    // A handled attempt wins over waiting ones, a newer over an older.
    bool found = false;
    for (const T_WxSession &s : qAsConst(m_sessions)) {
        if (!s.bind || s.bindUid != uid)
            continue;
        const bool better =
            !found || (s.status && !out.status) || (s.status == out.status && s.created >= out.created);
        if (better) {
            out = s;
            found = true;
        }
    }
    return found;
}

int CWeChat::confirm(const QString &id, qint64 chosenUid, qint64 now, QString &msg)
{
    QMutexLocker guard(&m_lock);
    auto it = m_sessions.find(id);
    if (it == m_sessions.end()) {
        msg = QStringLiteral("二维码已失效，请在程序中刷新");
        return Api_Expired;
    }
    if (it->status != 0) {
        msg = QStringLiteral("二维码已使用");
        return Api_Exists;
    }
    return it->bind ? confirmBind(*it, msg) : confirmLogin(*it, chosenUid, now, msg);
}

int CWeChat::confirmLogin(T_WxSession &s, qint64 chosenUid, qint64 now, QString &msg)
{
    CWriteTx tx;
    bool ok = false;
    qint64 uid = chosenUid;
    if (uid > 0) {
        QSqlQuery q = CStore::run(QStringLiteral("select phone from authors where uid = ?"), {uid}, &ok);
        if (!ok || !q.next()) {
            msg = QStringLiteral("账号不存在");
            return Api_NotFound;
        }
        s.isBindPhone = q.value(0).isNull() || q.value(0).toString().isEmpty() ? 2 : 1;
        q.finish();
        CStore::run(QStringLiteral("update authors set wx_id = ? where uid = ? and wx_id is null"),
                    {QStringLiteral("wx_") + CCrypto::randomToken().left(24), uid}, &ok);
    } else {
        QSqlQuery q = CStore::run(
            QStringLiteral("insert into authors(author_name, wx_id, create_time) values(?, ?, ?)"),
            {QStringLiteral("微信作者"), QStringLiteral("wx_") + CCrypto::randomToken().left(24), now}, &ok);
        uid = q.lastInsertId().toLongLong();
        s.isBindPhone = 2;
    }
    const QString token = ok ? CSessions::instance().issue(uid, now) : QString();
    if (token.isEmpty() || !tx.commit()) {
        msg = QStringLiteral("服务器暂时无法完成登录，请稍后再试");
        return Api_StoreFailure;
    }
    s.uid = uid;
    s.token = token;
    s.status = 1;
    return Api_Ok;
}

int CWeChat::confirmBind(T_WxSession &s, QString &msg)
{
    CWriteTx tx;
    bool ok = false;
    CStore::run(QStringLiteral("update authors set wx_id = ? where uid = ? and wx_id is null"),
                {QStringLiteral("wx_") + CCrypto::randomToken().left(24), s.bindUid}, &ok);
    if (!ok || !tx.commit()) {
        msg = QStringLiteral("服务器暂时无法完成绑定，请稍后再试");
        return Api_StoreFailure;
    }
    s.uid = s.bindUid;
    s.isBindPhone = 4;
    s.status = 1;
    return Api_Ok;
}
