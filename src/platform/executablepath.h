#pragma once

#include <QString>

namespace Platform {

// The full path of the running executable, symbolic links resolved, without
// the application object: the system's own record where it has one, else
// `argv0` (made absolute, or looked up in PATH when it is a bare name).
QString executablePath(const char *argv0);

// The fallback of the above, from argv[0] alone.
QString executablePathFromArgv0(const char *argv0);

} // namespace Platform
