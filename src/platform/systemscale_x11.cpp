#include "systemscale.h"

#include <QGuiApplication>
#include <QScreen>

namespace Platform {

double systemScale()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchX() / 96.0 : 1.0;
}

} // namespace Platform
