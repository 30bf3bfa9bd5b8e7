#pragma once

#include <QMutex>
#include <QObject>
#include <QSet>
#include <QString>
#include <functional>

class QTimer;

// Where every failed write to a local file is told: the database file and
// the recovery journal report here, from any thread. While a write is
// failing the author sees one warning naming the file and the cause in
// Chinese; it stays until a write succeeds again and nothing the author
// typed is left unsaved. Meanwhile sig_Retry asks, every few seconds, that
// what could not be written be written again.
class CStoreHealth : public QObject
{
    Q_OBJECT
public:
    enum Cause
    {
        CauseNone = 0,
        CauseReadOnly,
        CauseFull,
        CauseLocked,
        CauseIo,
        CauseCantOpen,
        CauseDamaged,
        CauseOther
    };

    static CStoreHealth *instance();

    // The cause of a failed SQLite statement from the driver's error code,
    // CauseNone when the failure is not the file's (a constraint, a typo).
    static Cause causeOfSqlite(int code);
    // The cause of a failed file write from the system's error text.
    static Cause causeOfFileError(const QString &errorText);
    // "磁盘空间已满" and the like, and what the author can do about it.
    static QString causeText(Cause cause);
    static QString adviceText(Cause cause);

    // A write to `path` failed (any thread).
    void reportFailure(const QString &path, Cause cause, const QString &detail);
    // A write to `path` succeeded (any thread).
    void reportSuccess(const QString &path);
    // Something holds text that could not be written (`key` names it, for
    // example a chapter): the warning stays until it is set back to false.
    void setUnsaved(const QString &key, bool unsaved);
    bool hasUnsaved() const;

    bool isFailing() const;
    Cause cause() const;
    QString failedPath() const;
    // The warning the author reads; empty while nothing fails.
    QString message() const;

    // The interval of the retries; tests drive them by hand with retryNow().
    void setRetryInterval(int ms);
    void retryNow();
    // What runs first on each retry (the database reconnects, so that a file
    // made writable again is opened for writing).
    void setBeforeRetry(std::function<void(Cause)> hook) { m_beforeRetry = std::move(hook); }
    // Back to no failure (tests).
    void reset();

signals:
    // The warning appeared, changed or went (`message` empty).
    void sig_Changed(bool failing, const QString &message);
    // Write again what could not be written.
    void sig_Retry();

private:
    explicit CStoreHealth(QObject *parent = nullptr);
    // GUI thread: shows or hides the warning and runs the retry timer.
    void update();
    bool failingUnlocked() const;

    mutable QMutex m_mutex; // guards the fields below
    Cause m_cause = CauseNone;
    QString m_path;
    QString m_detail;
    bool m_writeFailed = false; // no write succeeded since the last failure
    QSet<QString> m_unsaved;

    bool m_shown = false;
    QString m_shownMessage;
    QTimer *m_retry = nullptr;
    std::function<void(Cause)> m_beforeRetry;
};
