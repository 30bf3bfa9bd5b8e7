#include "childclient.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <csignal>

ChildClient::ChildClient()
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

ChildClient::~ChildClient()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(10000);
    }
}

bool ChildClient::start(const QStringList &arguments, const QString &program,
                        const QProcessEnvironment &environment)
{
    m_pending.clear();
    m_process.setProcessEnvironment(environment);
    m_process.start(program.isEmpty() ? QCoreApplication::applicationFilePath() : program, arguments);
    return m_process.waitForStarted(30000);
}

bool ChildClient::waitForLine(const std::function<bool(const QByteArray &)> &until, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        while (m_pending.contains('\n')) {
            const int end = m_pending.indexOf('\n');
            const QByteArray line = m_pending.left(end).trimmed();
            m_pending.remove(0, end + 1);
            if (until(line))
                return true;
        }
        if (m_process.state() == QProcess::NotRunning) {
            m_pending += m_process.readAllStandardOutput();
            if (!m_pending.contains('\n'))
                return false;
            continue;
        }
        m_process.waitForReadyRead(100);
        m_pending += m_process.readAllStandardOutput();
    }
    return false;
}

bool ChildClient::signal(int signo, int ms)
{
    if (m_process.state() == QProcess::NotRunning)
        return true;
    if (::kill(pid_t(m_process.processId()), signo) != 0)
        return false;
    return m_process.waitForFinished(ms);
}

qint64 ChildClient::pid() const
{
    return m_process.processId();
}
