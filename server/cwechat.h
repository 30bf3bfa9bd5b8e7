#pragma once

#include <QHash>
#include <QMutex>
#include <QString>

// One WeChat QR attempt of the development form: a login by nonce, or the
// binding of a WeChat identity to a signed-in author.
struct T_WxSession
{
    bool bind = false;
    qint64 bindUid = 0; // binding: the author asking
    int status = 0;     // 0 waiting for the scan, 1 handled
    qint64 uid = 0;
    QString token;       // login: the token of the chosen account
    int isBindPhone = 0; // login: 1 has a phone, 2 needs one; binding: 4 bound
    qint64 created = 0;
};

// Development stand-in for WeChat: the QR page of this server confirms the
// "scan" with a button instead of a phone.
class CWeChat
{
public:
    static CWeChat &instance();
    static bool isNonce(const QString &text);

    void startLogin(const QString &nonce, qint64 now);
    // A fresh session id for binding a WeChat identity to `uid`.
    QString startBind(qint64 uid, qint64 now);
    bool find(const QString &id, T_WxSession &out);
    // The newest binding session of an author.
    bool findBind(qint64 uid, T_WxSession &out);
    // The confirm button of the page: `chosenUid` is the account signing in,
    // whose control the page has already proven (phone and SMS code), or 0
    // for a new WeChat account without a phone. Returns an envelope code.
    int confirm(const QString &id, qint64 chosenUid, qint64 now, QString &msg);

private:
    void expire(qint64 now);
    int confirmLogin(T_WxSession &s, qint64 chosenUid, qint64 now, QString &msg);
    int confirmBind(T_WxSession &s, QString &msg);

    QMutex m_lock;
    QHash<QString, T_WxSession> m_sessions;
};
