#pragma once

#include <QString>

// Where the program finds its data folder and writes its logs: the folder
// of the executable, or a folder set by the caller (tests use a fresh one).
namespace AppPaths {

QString appDir();
// The same folder before the application object exists, from the
// executable's real path (argv[0] only where the system keeps no record).
QString appDirBeforeApplication(const char *argv0);
void setAppDirOverride(const QString &dir);

QString dataDir();      // appDir + "/data"
QString dbFile();       // data/db/wrt.db
QString settingsFile(); // data/config/setting.ini
QString logsDir();      // appDir + "/logs"

} // namespace AppPaths
