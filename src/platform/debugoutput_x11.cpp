#include "debugoutput.h"

#include <cstdio>

namespace Platform {

void debugOutput(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace Platform
