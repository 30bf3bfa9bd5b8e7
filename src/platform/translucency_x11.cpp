#include "translucency.h"

#include <QX11Info>

namespace Platform {

bool translucentWindowsWork()
{
    // Other platforms (Wayland, offscreen) compose windows themselves.
    if (!QX11Info::isPlatformX11())
        return true;
    return QX11Info::isCompositingManagerRunning();
}

} // namespace Platform
