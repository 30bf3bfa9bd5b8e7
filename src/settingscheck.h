#pragma once

#include <QCoreApplication>
#include <QString>

// The settings file is read before anything is sent: one that cannot be
// read, is not a settings file or names a server address that is refused
// stops the start with a message, instead of the program quietly talking
// to the built-in server with the author's sign-in.
class CSettingsCheck
{
    Q_DECLARE_TR_FUNCTIONS(CSettingsCheck)

public:
    // Empty when the file is fine or absent; otherwise what the author is
    // told: the path, the cause and what to do.
    static QString problem(const QString &path);
};
