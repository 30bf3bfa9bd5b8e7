#include "cimagestore.h"

#include "ccrypto.h"
#include "cstore.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>

namespace {

QString kindOf(const QByteArray &bytes)
{
    if (bytes.startsWith("\x89PNG\r\n\x1a\n"))
        return QStringLiteral("png");
    if (bytes.startsWith("\xff\xd8\xff"))
        return QStringLiteral("jpg");
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a"))
        return QStringLiteral("gif");
    if (bytes.startsWith("BM"))
        return QStringLiteral("bmp");
    return QString();
}

} // namespace

namespace CImageStore {

bool saveDataUri(const QString &uri, const QString &folder, QString &path, QString &msg)
{
    static const QRegularExpression re(QStringLiteral("^data:image/([a-zA-Z]+);base64,(.*)$"),
                                       QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = re.match(uri.trimmed());
    if (!m.hasMatch()) {
        msg = QStringLiteral("the image must be sent as a base64 data URI");
        return false;
    }
    // Sent unencoded in a form body, so "+" may have become a blank.
    QByteArray b64 = m.captured(2).toLatin1();
    b64.replace(' ', '+');
    const auto decoded = QByteArray::fromBase64Encoding(b64);
    if (!decoded || decoded.decoded.isEmpty()) {
        msg = QStringLiteral("the image data is not valid base64");
        return false;
    }
    if (decoded.decoded.size() > kMaxImageBytes) {
        msg = QStringLiteral("the image is larger than 5 MB");
        return false;
    }
    const QString kind = kindOf(decoded.decoded);
    if (kind.isEmpty()) {
        msg = QStringLiteral("only PNG, JPEG, GIF and BMP images are accepted");
        return false;
    }
    const QString name = CCrypto::sha256Hex(decoded.decoded).left(32) + QLatin1Char('.') + kind;
    const QString dir = QDir(CStore::dataDir()).filePath(folder);
    QDir().mkpath(dir);
    const QString file = QDir(dir).filePath(name);
    if (!QFile::exists(file)) {
        QSaveFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(decoded.decoded) != decoded.decoded.size() ||
            !out.commit()) {
            msg = QStringLiteral("the server could not store the image");
            return false;
        }
    }
    path = QStringLiteral("/static/%1/%2").arg(folder, name);
    return true;
}

QString fileFor(const QString &folder, const QString &name)
{
    static const QRegularExpression safe(QStringLiteral("^[0-9a-f]{32}\\.(png|jpg|gif|bmp)$"));
    if (!safe.match(name).hasMatch())
        return QString();
    const QString file = QDir(QDir(CStore::dataDir()).filePath(folder)).filePath(name);
    return QFile::exists(file) ? file : QString();
}

QString urlFor(const QString &baseUrl, const QString &path)
{
    return path.isEmpty() ? QString() : baseUrl + path;
}

} // namespace CImageStore
