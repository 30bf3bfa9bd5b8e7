#include "apppaths.h"

#include "platform/executablepath.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {
QString &overrideDir()
{
    static QString dir;
    return dir;
}
} // namespace

namespace AppPaths {

QString appDir()
{
    if (!overrideDir().isEmpty())
        return overrideDir();
    return QCoreApplication::applicationDirPath();
}

QString appDirBeforeApplication(const char *argv0)
{
    if (!overrideDir().isEmpty())
        return overrideDir();
    const QString program = Platform::executablePath(argv0);
    return program.isEmpty() ? QStringLiteral(".") : QFileInfo(program).absolutePath();
}

void setAppDirOverride(const QString &dir)
{
    overrideDir() = dir;
}

QString dataDir()
{
    return appDir() + "/data";
}

QString dbFile()
{
    return dataDir() + "/db/wrt.db";
}

QString settingsFile()
{
    return dataDir() + "/config/setting.ini";
}

QString logsDir()
{
    return appDir() + "/logs";
}

} // namespace AppPaths
