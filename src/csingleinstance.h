#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// One running program per data folder: a lock file in the folder and a
// local socket named after the folder's path. A second start asks the
// running one to come to the front and ends; a lock left by a killed
// process is taken over.
class CSingleInstance : public QObject
{
    Q_OBJECT
public:
    enum Claim
    {
        First,       // this process holds the folder now
        AnotherRuns, // another one does and was asked to come to the front
        NoAnswer,    // another one holds it but did not answer
        NotLocked    // the lock file cannot be written (the start reports the folder)
    };

    explicit CSingleInstance(const QString &dataDir, QObject *parent = nullptr);
    ~CSingleInstance() override;

    Claim claim();
    // The running program's process id, when another one holds the folder.
    qint64 holderPid() const { return m_holderPid; }

    QString lockFile() const;
    QString socketName() const;

    // Lets the folder go (the lock stays with the process otherwise, across
    // restart passes, until it ends).
    static void release();

signals:
    // Another start on the same folder asked this one to come forward.
    void sig_raiseRequested();

private:
    bool listen();
    void onConnection();

    QString m_dataDir;
    QLocalServer *m_server = nullptr;
    qint64 m_holderPid = 0;
};
