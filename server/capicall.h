#pragma once

#include <QHash>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

// Refusal codes of the envelope; 200 and 300 are the two the client acts on.
enum ApiCode
{
    Api_Ok = 200,
    Api_SignInInvalid = 300,
    Api_BadRequest = 400,
    Api_WrongSecret = 403,
    Api_NotFound = 404,
    Api_Exists = 409,
    Api_Expired = 410,
    Api_TooLarge = 413,
    Api_TooMany = 429,
    Api_StoreFailure = 500,
    Api_Unavailable = 503,
};

// The routing integers the client sends in the "userdata" header, in its
// wire order.
struct T_UserData
{
    int uid = 0, jobType = 0, localBookId = 0, bookId = 0, localChapterId = 0, chapterId = 0, jobId = 0,
        next = 0, synStep = 0, localMemoId = 0, memoId = 0;
    static T_UserData parse(const QString &text);
};

// One API request as the handlers see it, and the answer they build.
struct T_ApiCall
{
    // request
    QHash<QString, QString> params;
    QString token;
    QString uniqueCode;
    QString userdataText;
    T_UserData userdata;
    QString baseUrl; // scheme://host:port of this server as the client reached it
    qint64 now = 0;
    qint64 uid = 0;  // the signed-in author, 0 when the call needs none
    QString address; // the client's network address

    // answer
    int code = Api_Ok;
    QString msg = QStringLiteral("成功");
    QJsonValue content = QJsonObject();

    bool has(const QString &key) const { return params.contains(key); }
    QString text(const QString &key) const { return params.value(key); }
    // Reads an integer field. A missing field gives `fallback`; a field that
    // is not an integer, or lies outside [min, max], refuses the call and
    // returns false. The default range is what the client's records hold.
    bool integer(const QString &key, qint64 &out, qint64 fallback = 0, qint64 min = kMinInt,
                 qint64 max = kMaxInt);
    static constexpr qint64 kMinInt = -2147483647LL - 1;
    static constexpr qint64 kMaxInt = 2147483647LL;
    // A field that must be present and a positive integer.
    bool requireId(const QString &key, qint64 &out);
    // A text field that must be present and not empty.
    bool requireText(const QString &key, QString &out);

    void refuse(int refusalCode, const QString &message)
    {
        code = refusalCode;
        msg = message;
        content = QJsonObject();
    }
    void storeFailure() { refuse(Api_StoreFailure, QStringLiteral("服务器未能保存修改，请稍后再试")); }
    bool failed() const { return code != Api_Ok; }
};
