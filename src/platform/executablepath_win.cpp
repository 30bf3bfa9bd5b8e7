#include "executablepath.h"

#include <QDir>
#include <windows.h>

namespace Platform {

QString executablePath(const char *argv0)
{
    wchar_t buffer[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, DWORD(sizeof buffer / sizeof buffer[0]));
    if (length > 0 && length < sizeof buffer / sizeof buffer[0])
        return QDir::fromNativeSeparators(QString::fromWCharArray(buffer, int(length)));
    return executablePathFromArgv0(argv0);
}

} // namespace Platform
