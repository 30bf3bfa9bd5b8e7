#include "apppaths.h"

#include <QCoreApplication>

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
