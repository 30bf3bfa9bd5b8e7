#include "systemscale.h"

#include <windows.h>

namespace Platform {

double systemScale()
{
    HDC dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(nullptr, dc);
    return dpi / 96.0;
}

} // namespace Platform
