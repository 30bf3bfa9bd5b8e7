#pragma once

#include <QString>

namespace Platform {

// Installs a handler that, when the process crashes, writes a report named by
// a fresh GUID into `dumpDir` (created when missing) and writes the line
// "Succeed to write minidump" or "Failed to write minidump" to standard error
// and to the file descriptor given to setCrashLogFd.
bool installCrashReporter(const QString &dumpDir);

// The open log file the crash line is appended to (-1 for none).
void setCrashLogFd(int fd);

// The report file the next crash will write (for tests and the log).
QString pendingCrashReportPath();

} // namespace Platform
