#include "chttputil.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QUrl>
#include <QtDebug>

#include <atomic>

namespace {

struct ServerClock
{
    std::atomic<qint64> offset{0};
    std::atomic<bool> fixed{false};
};

ServerClock &serverClock()
{
    static ServerClock clock;
    return clock;
}

void appendPair(QString &params, const QString &key, const QString &value)
{
    if (!params.isEmpty())
        params += QLatin1Char('&');
    params += key;
    params += QLatin1Char('=');
    params += value;
}

} // namespace

namespace HttpUtil {

void addTextParam(QString &params, const QString &key, const QString &value, bool encode, bool keepEmpty)
{
    if (value.isEmpty() && !keepEmpty)
        return;
    appendPair(params, key, encode ? QString::fromLatin1(QUrl::toPercentEncoding(value)) : value);
}

void addIntParam(QString &params, const QString &key, qint64 value, bool keepZero)
{
    if (value == 0 && !keepZero)
        return;
    appendPair(params, key, QString::number(value));
}

QByteArray userdataHeader(const T_Http_C &d)
{
    return QStringLiteral("%1,%2,%3,%4,%5,%6,%7,%8,%9,%10,%11")
        .arg(d.uid)
        .arg(d.jobType)
        .arg(d.localBookId)
        .arg(d.bookId)
        .arg(d.localChapterId)
        .arg(d.chapterId)
        .arg(d.jobId)
        .arg(d.next)
        .arg(d.synStep)
        .arg(d.localMemoId)
        .arg(d.memoId)
        .toLatin1();
}

bool parseUserdata(const QString &text, T_Http_C &out)
{
    const QStringList items = text.split(QLatin1Char(','));
    if (items.size() < 11)
        return false;
    out.uid = items.at(0).toInt();
    out.jobType = items.at(1).toInt();
    out.localBookId = items.at(2).toInt();
    out.bookId = items.at(3).toInt();
    out.localChapterId = items.at(4).toInt();
    out.chapterId = items.at(5).toInt();
    out.jobId = items.at(6).toInt();
    out.next = items.at(7).toInt();
    out.synStep = items.at(8).toInt();
    out.localMemoId = items.at(9).toInt();
    out.memoId = items.at(10).toInt();
    return true;
}

QString md5Hex(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
}

QString md5HexLatin1(const QString &text)
{
    return md5Hex(text.toLatin1());
}

QString md5HexOfFile(const QString &path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return QString();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning() << "cannot read" << path << file.errorString();
        return QString();
    }
    QCryptographicHash hash(QCryptographicHash::Md5);
    if (!hash.addData(&file))
        return QString();
    return QString::fromLatin1(hash.result().toHex());
}

QString passwordDigest(const QString &password)
{
    return md5Hex(password.toUtf8());
}

QString makeUniqueCode(qint64 uid, qint64 serverSeconds)
{
    return md5HexLatin1(QStringLiteral("%1+Quorvin+%2").arg(uid).arg(serverSeconds));
}

QString makeUniqueCode(qint64 uid)
{
    return makeUniqueCode(uid, serverTimeNow());
}

qint64 serverTimeNow()
{
    return QDateTime::currentSecsSinceEpoch() - serverClock().offset.load();
}

void setServerClock(qint64 serverSeconds)
{
    if (serverSeconds <= 0)
        return;
    // A separate flag rather than "offset still 0": a server whose clock
    // agrees with ours must fix the offset just as well.
    bool expected = false;
    if (!serverClock().fixed.compare_exchange_strong(expected, true))
        return;
    serverClock().offset.store(QDateTime::currentSecsSinceEpoch() - serverSeconds);
}

bool isServerClockSet()
{
    return serverClock().fixed.load();
}

qint64 serverClockOffset()
{
    return serverClock().offset.load();
}

void resetServerClock()
{
    serverClock().offset.store(0);
    serverClock().fixed.store(false);
}

QString todayText()
{
    return QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
}

QString timeText(qint64 secondsSinceEpoch)
{
    return QDateTime::fromSecsSinceEpoch(secondsSinceEpoch).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QString nowText()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QString durationText(qint64 seconds)
{
    if (seconds < 0)
        seconds = 0;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

bool imageToDataUri(const QString &path, QString &out)
{
    out.clear();
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning() << "cannot read image" << path << file.errorString();
        return false;
    }
    const QString suffix = QFileInfo(path).suffix().toLower();
    QImage image;
    if (!image.loadFromData(file.readAll())) {
        qWarning() << "not an image:" << path;
        return false;
    }
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, suffix.toLatin1().constData())) {
        qWarning() << "cannot encode image as" << suffix << path;
        return false;
    }
    out = QStringLiteral("data:image/") + suffix + QStringLiteral(";base64,") +
          QString::fromLatin1(encoded.toBase64());
    return true;
}

} // namespace HttpUtil
