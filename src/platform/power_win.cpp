#include "power.h"

#include <QProcess>

namespace {

Platform::CommandRunner &runner()
{
    static Platform::CommandRunner r = [](const QString &program, const QStringList &arguments) {
        return QProcess::startDetached(program, arguments);
    };
    return r;
}

} // namespace

namespace Platform {

bool requestPower(PowerAction action)
{
    switch (action) {
    case PowerAction::Shutdown:
        return runner()("shutdown", {"-s", "-t", "0"});
    case PowerAction::Restart:
        return runner()("shutdown", {"-r", "-t", "0"});
    case PowerAction::Sleep:
        return runner()("rundll32.exe", {"powrprof.dll,SetSuspendState", "0,1,0"});
    }
    return false;
}

void setCommandRunner(CommandRunner r)
{
    runner() = std::move(r);
}

} // namespace Platform
