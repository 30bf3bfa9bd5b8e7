#include "executablepath.h"

#include <QFile>
#include <QFileInfo>

namespace Platform {

QString executablePath(const char *argv0)
{
    // The kernel's link names the file that was started, however it was
    // named on the command line (bare name through PATH, a symbolic link).
    const QString self = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    if (!self.isEmpty() && QFileInfo::exists(self))
        return self;
    return executablePathFromArgv0(argv0);
}

} // namespace Platform
