#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <functional>

// A client started as a child process (usually the test executable itself
// with arguments that make it run the program), whose standard output is
// read line by line. The child is killed when this goes.
class ChildClient
{
public:
    ChildClient();
    ~ChildClient();
    ChildClient(const ChildClient &) = delete;
    ChildClient &operator=(const ChildClient &) = delete;

    // Starts `program` (this executable when empty) with `arguments`.
    bool start(const QStringList &arguments, const QString &program = QString(),
               const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());
    // Reads lines until `until` is true for one of them; false when the
    // child ends first or `ms` pass.
    bool waitForLine(const std::function<bool(const QByteArray &)> &until, int ms);
    // Sends `signo` and waits for the end; false when it does not end.
    bool signal(int signo, int ms = 60000);
    qint64 pid() const;
    QProcess &process() { return m_process; }

private:
    QProcess m_process;
    QByteArray m_pending;
};
