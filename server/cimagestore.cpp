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
        msg = QStringLiteral("图片格式错误，请重新选择图片");
        return false;
    }
    // Sent unencoded in a form body, so "+" may have become a blank.
    QByteArray b64 = m.captured(2).toLatin1();
    b64.replace(' ', '+');
    const auto decoded = QByteArray::fromBase64Encoding(b64);
    if (!decoded || decoded.decoded.isEmpty()) {
        msg = QStringLiteral("图片数据已损坏，请重新选择图片");
        return false;
    }
    if (decoded.decoded.size() > kMaxImageBytes) {
        msg = QStringLiteral("图片不能超过5 MB");
        return false;
    }
    const QString kind = kindOf(decoded.decoded);
    if (kind.isEmpty()) {
        msg = QStringLiteral("仅支持PNG、JPEG、GIF和BMP格式的图片");
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
            msg = QStringLiteral("服务器未能保存图片，请稍后再试");
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

QString contentTypeOf(const QString &file)
{
    const QString kind = file.section(QLatin1Char('.'), -1);
    if (kind == QLatin1String("png"))
        return QStringLiteral("image/png");
    if (kind == QLatin1String("jpg"))
        return QStringLiteral("image/jpeg");
    if (kind == QLatin1String("gif"))
        return QStringLiteral("image/gif");
    if (kind == QLatin1String("bmp"))
        return QStringLiteral("image/bmp");
    return QStringLiteral("application/octet-stream");
}

QString urlFor(const QString &baseUrl, const QString &path)
{
    return path.isEmpty() ? QString() : baseUrl + path;
}

} // namespace CImageStore
