#pragma once

#include <QString>

// Starting the program with the system.
namespace Platform {

// Where the entry of `name` lives (an XDG autostart file here).
QString autostartEntryPath(const QString &name);
// Writes (on) or removes (off) the entry that starts `program` at log-in.
bool setAutostart(const QString &name, const QString &program, bool on);
bool hasAutostart(const QString &name);

} // namespace Platform
