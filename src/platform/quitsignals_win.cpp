#include "quitsignals.h"

#include <QObject>

namespace Platform {

// Windows ends a GUI program through its windows (WM_QUERYENDSESSION, which
// the toolkit turns into the session manager's commit request): nothing to
// catch here.
bool installQuitSignals(QObject *context, std::function<void(int)> handler)
{
    Q_UNUSED(context)
    Q_UNUSED(handler)
    return true;
}

} // namespace Platform
