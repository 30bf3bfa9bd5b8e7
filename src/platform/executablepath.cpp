#include "executablepath.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace Platform {

QString executablePathFromArgv0(const char *argv0)
{
    const QString given = QString::fromLocal8Bit(argv0 ? argv0 : "");
    if (given.isEmpty())
        return QString();
    QString path = given;
    if (!given.contains('/') && !given.contains('\\'))
        path = QStandardPaths::findExecutable(given);
    if (path.isEmpty())
        return QString();
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

} // namespace Platform
