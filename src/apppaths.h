#pragma once

#include <QString>

// Where the program finds its data folder and writes its logs: the folder
// of the executable, or a folder set by the caller (tests use a fresh one).
namespace AppPaths {

QString appDir();
void setAppDirOverride(const QString &dir);

QString dataDir();      // appDir + "/data"
QString dbFile();       // data/db/wrt.db
QString settingsFile(); // data/config/setting.ini
QString logsDir();      // appDir + "/logs"

} // namespace AppPaths
