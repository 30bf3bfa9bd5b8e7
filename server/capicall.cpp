#include "capicall.h"

#include <QStringList>

T_UserData T_UserData::parse(const QString &text)
{
    T_UserData d;
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() < 11)
        return d;
    int *fields[] = {&d.uid,   &d.jobType, &d.localBookId, &d.bookId,      &d.localChapterId, &d.chapterId,
                     &d.jobId, &d.next,    &d.synStep,     &d.localMemoId, &d.memoId};
    for (int i = 0; i < 11; ++i)
        *fields[i] = parts.at(i).trimmed().toInt();
    return d;
}

bool T_ApiCall::integer(const QString &key, qint64 &out, qint64 fallback, qint64 min, qint64 max)
{
    const auto it = params.constFind(key);
    if (it == params.constEnd() || it->isEmpty()) {
        out = fallback;
        return true;
    }
    bool ok = false;
    out = it->toLongLong(&ok);
    if (!ok) {
        refuse(Api_BadRequest, QStringLiteral("参数“%1”应为整数").arg(key));
        return false;
    }
    if (out < min || out > max) {
        refuse(Api_BadRequest, QStringLiteral("参数“%1”应在%2到%3之间").arg(key).arg(min).arg(max));
        return false;
    }
    return true;
}

bool T_ApiCall::requireId(const QString &key, qint64 &out)
{
    if (!params.contains(key) || params.value(key).isEmpty()) {
        refuse(Api_BadRequest, QStringLiteral("缺少参数“%1”").arg(key));
        return false;
    }
    if (!integer(key, out))
        return false;
    if (out < 1) {
        refuse(Api_BadRequest, QStringLiteral("参数“%1”应为正整数").arg(key));
        return false;
    }
    return true;
}

bool T_ApiCall::requireText(const QString &key, QString &out)
{
    out = params.value(key);
    if (out.isEmpty()) {
        refuse(Api_BadRequest, QStringLiteral("缺少参数“%1”").arg(key));
        return false;
    }
    return true;
}
