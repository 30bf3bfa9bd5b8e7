#include "settingscheck.h"

#include "platform/writeprobe.h"
#include "remote/cquorvinurl.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTextCodec>

namespace {

// Text a person could have written: no NUL byte, valid UTF-8.
bool isText(const QByteArray &bytes)
{
    if (bytes.contains('\0'))
        return false;
    QTextCodec::ConverterState state;
    QTextCodec::codecForName("UTF-8")->toUnicode(bytes.constData(), bytes.size(), &state);
    return state.invalidChars == 0;
}

// Every line a group, a key with its value, a comment or blank: words
// that are none of these are not settings (the reader would skip them).
bool looksLikeSettings(const QString &text)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString &raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']')))
            continue;
        if (line.indexOf(QLatin1Char('=')) > 0)
            continue;
        return false;
    }
    return true;
}

} // namespace

QString CSettingsCheck::problem(const QString &path)
{
    const QString shown = QDir::toNativeSeparators(path);
    const QString remedy = tr("Correct it, or delete it to use the built-in server, then start the program "
                              "again.");
    if (!QFileInfo::exists(path))
        return QString();
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        const Platform::WriteProbe probe = Platform::probeRead(path);
        const QString cause = probe.failure == Platform::WriteFailure::NotAFolder
                                  ? tr("it is a folder, not a file")
                                  : tr("you have no permission to read it");
        return tr("The settings file %1 cannot be read: %2.\n%3").arg(shown, cause, remedy);
    }
    const QByteArray bytes = file.readAll();
    if (!isText(bytes))
        return tr("The settings file %1 is not a settings file (it holds binary data).\n%2")
            .arg(shown, remedy);
    QSettings settings(path, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError || !looksLikeSettings(QString::fromUtf8(bytes)))
        return tr("The settings file %1 is damaged and cannot be read.\n%2").arg(shown, remedy);
    const QString configured = settings.value(QStringLiteral("server/baseUrl")).toString().trimmed();
    if (settings.contains(QStringLiteral("server/baseUrl")) && !configured.isEmpty() &&
        !CQuorvinUrl::normaliseBaseUrl(configured, nullptr))
        return tr("The settings file %1 names the server address \"%2\", which is not accepted: it must "
                  "begin with https:// (http:// only for this computer).\n%3")
            .arg(shown, configured, remedy);
    return QString();
}
