#pragma once

#include <QMutex>
#include <QObject>
#include <QString>

class QFile;

// One log file per run. The toolkit's message handler formats each message
// into one line and hands it, queued, to the GUI thread, which writes it to
// the debugger output and the log file and flushes at once.
class CLog : public QObject
{
    Q_OBJECT
public:
    static CLog *instance();

    // Installs the crash reporter ("logs/crashes" beside the log file) and
    // the message handler, creates the folder of fileName and opens the file
    // for appending. Later calls in the same process change nothing.
    void init(const QString &fileName);

    int minLevel() const { return m_minLevel; }
    void setMinLevel(int level) { m_minLevel = level; }

    bool isFileOpen() const;

    // Writes the lines still queued for this object (used before exit and by tests).
    void flushPending();

    // The line layout, without the time (which callers fill in).
    static QString tagOf(int type);

public slots:
    void outputLog(QString outLine, QString line, QString msg, int type);

private:
    explicit CLog(QObject *parent = nullptr);
    ~CLog() override;

    QFile *m_file = nullptr;
    int m_minLevel = 0;
    bool m_initialised = false;
    QMutex m_writeLock;
};
