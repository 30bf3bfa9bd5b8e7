#include "autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace Platform {

namespace {

// Exec= quoting of desktop entries: the path in double quotes with the
// reserved characters escaped, then every backslash doubled for the
// string value itself.
QString quotedExec(const QString &program)
{
    QString quoted;
    for (const QChar c : program) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    quoted = '"' + quoted + '"';
    quoted.replace("\\", "\\\\");
    return quoted;
}

QString singleLine(QString text)
{
    text.replace('\n', ' ');
    text.replace('\r', ' ');
    return text;
}

} // namespace

QString autostartEntryPath(const QString &name)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/autostart/" + name +
           ".desktop";
}

bool setAutostart(const QString &name, const QString &program, bool on)
{
    const QString path = autostartEntryPath(name);
    if (!on)
        return !QFile::exists(path) || QFile::remove(path);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    const QString text = QString("[Desktop Entry]\n"
                                 "Type=Application\n"
                                 "Name=%1\n"
                                 "Exec=%2\n"
                                 "Terminal=false\n"
                                 "X-GNOME-Autostart-enabled=true\n")
                             .arg(singleLine(name), singleLine(quotedExec(program)));
    file.write(text.toUtf8());
    return file.commit();
}

bool hasAutostart(const QString &name)
{
    return QFile::exists(autostartEntryPath(name));
}

} // namespace Platform
