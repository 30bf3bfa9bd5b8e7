#include "csingleinstance.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QScopedPointer>
#include <QThread>

namespace {

// Milliseconds a second start waits for the running one to answer.
constexpr int kAnswerWaitMs = 5000;
const QByteArray kRaise = "raise\n";
const QByteArray kDone = "ok\n";

// Held for the life of the process, across restart passes.
QScopedPointer<QLockFile> &heldLock()
{
    static QScopedPointer<QLockFile> lock;
    return lock;
}

QString &heldLockPath()
{
    static QString path;
    return path;
}

} // namespace

CSingleInstance::CSingleInstance(const QString &dataDir, QObject *parent)
    : QObject(parent), m_dataDir(dataDir)
{
}

CSingleInstance::~CSingleInstance() = default;

QString CSingleInstance::lockFile() const
{
    return m_dataDir + QStringLiteral("/quorvin.lock");
}

QString CSingleInstance::socketName() const
{
    // The folder's real path: two ways of naming one folder meet here.
    QString path = QFileInfo(m_dataDir).canonicalFilePath();
    if (path.isEmpty())
        path = QDir::cleanPath(QFileInfo(m_dataDir).absoluteFilePath());
    const QByteArray hash = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha256).toHex();
    return QStringLiteral("quorvin-") + QString::fromLatin1(hash.left(24));
}

CSingleInstance::Claim CSingleInstance::claim()
{
    QScopedPointer<QLockFile> &lock = heldLock();
    if (lock && heldLockPath() == lockFile() && lock->isLocked()) {
        listen();
        return First;
    }
    QDir().mkpath(m_dataDir);
    lock.reset(new QLockFile(lockFile()));
    // Only a dead holder makes a lock stale, never its age: the running
    // program keeps its lock for days.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        heldLockPath() = lockFile();
        listen();
        return First;
    }
    const QLockFile::LockError error = lock->error();
    if (error != QLockFile::LockFailedError) {
        qWarning() << "cannot write the lock file" << lockFile() << "error" << error;
        lock.reset();
        return NotLocked;
    }
    QString host, application;
    lock->getLockInfo(&m_holderPid, &host, &application);
    lock.reset();
    // The holder may have just taken the lock and not be listening yet.
    QLocalSocket socket;
    QElapsedTimer waited;
    waited.start();
    do {
        socket.connectToServer(socketName());
        if (socket.waitForConnected(kAnswerWaitMs))
            break;
        QThread::msleep(100);
    } while (waited.elapsed() < kAnswerWaitMs);
    if (socket.state() != QLocalSocket::ConnectedState) {
        qWarning() << "the program holding" << m_dataDir << "(pid" << m_holderPid << ") does not answer";
        return NoAnswer;
    }
    socket.write(kRaise);
    socket.waitForBytesWritten(kAnswerWaitMs);
    QByteArray answer;
    while (!answer.contains('\n') && socket.waitForReadyRead(kAnswerWaitMs))
        answer += socket.readAll();
    if (answer != kDone) {
        qWarning() << "the program holding" << m_dataDir << "(pid" << m_holderPid << ") does not answer";
        return NoAnswer;
    }
    return AnotherRuns;
}

void CSingleInstance::release()
{
    heldLock().reset();
}

bool CSingleInstance::listen()
{
    if (m_server)
        return true;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket file left by a killed holder would refuse the name.
    QLocalServer::removeServer(socketName());
    if (!m_server->listen(socketName())) {
        qWarning() << "cannot listen on" << socketName() << m_server->errorString();
        return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, &CSingleInstance::onConnection);
    return true;
}

void CSingleInstance::onConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            if (socket->readLine() == kRaise) {
                emit sig_raiseRequested();
                socket->write(kDone);
                socket->flush();
            }
            socket->disconnectFromServer();
        });
    }
}
