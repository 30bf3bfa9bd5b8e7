#include "filesync.h"

namespace Platform {

bool syncFolder(const QString &folder)
{
    // A replaced file's new name is durable once MoveFileEx returns.
    Q_UNUSED(folder)
    return true;
}

} // namespace Platform
