#include "translucency.h"

namespace Platform {

bool translucentWindowsWork()
{
    return true;
}

} // namespace Platform
