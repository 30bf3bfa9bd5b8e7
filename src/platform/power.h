#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace Platform {

enum class PowerAction
{
    Shutdown,
    Restart,
    Sleep,
};

// Asks the system to shut down, restart or sleep; the command is started
// detached. Returns whether it could be started.
bool requestPower(PowerAction action);

// Replaces the runner of the system command (tests never power anything off).
using CommandRunner = std::function<bool(const QString &program, const QStringList &arguments)>;
void setCommandRunner(CommandRunner runner);

} // namespace Platform
