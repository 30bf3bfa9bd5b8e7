#include "power.h"

#include <QDebug>
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
    QString verb;
    switch (action) {
    case PowerAction::Shutdown:
        verb = "poweroff";
        break;
    case PowerAction::Restart:
        verb = "reboot";
        break;
    case PowerAction::Sleep:
        verb = "suspend";
        break;
    }
    const bool started = runner()("systemctl", {verb});
    qDebug() << "requestPower" << verb << started;
    return started;
}

void setCommandRunner(CommandRunner r)
{
    runner() = std::move(r);
}

} // namespace Platform
