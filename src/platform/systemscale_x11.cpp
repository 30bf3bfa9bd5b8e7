#include "systemscale.h"

#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>
#include <QX11Info>
#include <cmath>

#include <X11/Xlib.h>

namespace Platform {

namespace {

const double kBaseDpi = 96.0;

// The X server's logical DPI: the "Xft.dpi" resource the desktop sets, else
// the screen's size in pixels over its size in millimetres.
double x11Dpi()
{
    Display *display = QX11Info::display();
    if (!display)
        return 0.0;
    if (const char *resources = XResourceManagerString(display)) {
        static const QRegularExpression xftDpi(QStringLiteral("^Xft\\.dpi:\\s*([0-9.]+)\\s*$"),
                                               QRegularExpression::MultilineOption);
        const QRegularExpressionMatch match = xftDpi.match(QString::fromLatin1(resources));
        bool ok = false;
        const double dpi = match.hasMatch() ? match.captured(1).toDouble(&ok) : 0.0;
        if (ok && dpi > 0.0)
            return dpi;
    }
    const int screen = QX11Info::appScreen();
    const int millimetres = DisplayWidthMM(display, screen);
    if (millimetres <= 0)
        return 0.0;
    return DisplayWidth(display, screen) * 25.4 / millimetres;
}

// Elsewhere (Wayland, offscreen): the toolkit's logical DPI times the part of
// the device pixel ratio that the toolkit added per screen. QT_SCALE_FACTOR
// scales the pixels but leaves the reported DPI alone, so it is taken out.
double toolkitDpi()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return kBaseDpi;
    bool ok = false;
    double global = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&ok);
    if (!ok || global <= 0.0)
        global = 1.0;
    return screen->logicalDotsPerInchX() * screen->devicePixelRatio() / global;
}

} // namespace

double systemScale()
{
    const double dpi = QX11Info::isPlatformX11() ? x11Dpi() : toolkitDpi();
    // Whole dots per inch, as the system states them.
    return dpi > 0.0 ? std::round(dpi) / kBaseDpi : 1.0;
}

} // namespace Platform
