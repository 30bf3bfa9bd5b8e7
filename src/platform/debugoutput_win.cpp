#include "debugoutput.h"

#include <windows.h>

namespace Platform {

void debugOutput(const QString &text)
{
    OutputDebugStringW(reinterpret_cast<const wchar_t *>(text.utf16()));
}

} // namespace Platform
