#include "clog.h"

#include "apppaths.h"
#include "platform/crashreporter.h"
#include "platform/debugoutput.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QTextStream>

namespace {

void messageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && message.contains("libpng"))
        return;
    const QString outLine =
        CLog::tagOf(type) + "[" + QDateTime::currentDateTime().toString("yyyy-MM-dd hh:mm:ss-z") + "]";
    const QString line = QString("[%1][%2]").arg(QString::fromUtf8(context.file)).arg(context.line) +
                         QString("[%1]").arg(QString::fromUtf8(context.function));
    if (message.contains("QPainter::setRenderHint"))
        return;
    CLog *log = CLog::instance();
    if (type == QtFatalMsg) {
        // The toolkit aborts as soon as this returns: a queued line would be lost.
        log->outputLog(outLine, line, message, type);
        return;
    }
    QMetaObject::invokeMethod(log, "outputLog", Qt::QueuedConnection, Q_ARG(QString, outLine),
                              Q_ARG(QString, line), Q_ARG(QString, message), Q_ARG(int, type));
}

} // namespace

CLog::CLog(QObject *parent) : QObject(parent) {}

CLog::~CLog()
{
    Platform::setCrashLogFd(-1);
    delete m_file;
}

CLog *CLog::instance()
{
    static CLog *log = new CLog;
    return log;
}

QString CLog::tagOf(int type)
{
    switch (type) {
    case QtDebugMsg:
        return "[Debug]";
    case QtWarningMsg:
        return "[Warning]";
    case QtCriticalMsg:
        return "[Critical]";
    case QtFatalMsg:
        return "[Fatal]";
    default:
        return QString();
    }
}

void CLog::init(const QString &fileName)
{
    if (m_initialised)
        return;
    m_initialised = true;

    const QString logsDir = QFileInfo(fileName).absolutePath();
    Platform::installCrashReporter(logsDir + "/crashes");
    qInstallMessageHandler(messageHandler);

    if (!QDir().mkpath(logsDir))
        return; // lines still reach the debugger output
    m_file = new QFile(fileName);
    if (!m_file->open(QIODevice::WriteOnly | QIODevice::Append)) {
        delete m_file;
        m_file = nullptr;
        return;
    }
    Platform::setCrashLogFd(m_file->handle());
}

bool CLog::isFileOpen() const
{
    return m_file && m_file->isOpen();
}

void CLog::flushPending()
{
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void CLog::outputLog(QString outLine, QString line, QString msg, int type)
{
    const QString text = outLine + line + msg + "\r\n";
    if (type < m_minLevel)
        return;
    QMutexLocker lock(&m_writeLock);
    Platform::debugOutput(text);
    if (m_file && m_file->isOpen()) {
        QTextStream stream(m_file);
        stream.setCodec("UTF-8");
        stream << text << "\n";
        stream.flush();
        m_file->flush();
    }
}
