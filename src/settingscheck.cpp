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
    // Words that give no key at all are not settings either.
    if (settings.status() != QSettings::NoError || (!bytes.trimmed().isEmpty() && settings.allKeys().isEmpty()))
        return tr("The settings file %1 is damaged and cannot be read.\n%2").arg(shown, remedy);
    const QString configured = settings.value(QStringLiteral("server/baseUrl")).toString().trimmed();
    if (settings.contains(QStringLiteral("server/baseUrl")) && !configured.isEmpty() &&
        !CQuorvinUrl::normaliseBaseUrl(configured, nullptr))
        return tr("The settings file %1 names the server address \"%2\", which is not accepted: it must "
                  "begin with https:// (http:// only for this computer).\n%3")
            .arg(shown, configured, remedy);
    return QString();
}
