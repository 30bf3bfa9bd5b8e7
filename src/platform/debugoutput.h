#pragma once

#include <QString>

namespace Platform {

// Hands one finished log line to the debugger output (standard error here).
void debugOutput(const QString &text);

} // namespace Platform
