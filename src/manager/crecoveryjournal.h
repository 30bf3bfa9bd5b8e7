#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QMutex>
#include <QObject>
#include <QSet>
#include <QString>
#include <QWaitCondition>
#include <functional>

class QThread;
struct T_Book;
struct T_Chapter;

// The recovery journal: what the author types in the open chapter reaches
// a file of its own (data/journal/<localChapterId>.journal) within a second,
// written on a thread of its own so that typing never waits for the disk,
// and replaced atomically (written beside, flushed, renamed). The journal
// of a chapter goes once the store holds the same text. At start, and when
// the chapter is opened, a journal the store does not hold yet is saved as
// any save of the editor (its job included) and the author is told.
class CRecoveryJournal : public QObject
{
    Q_OBJECT
public:
    struct T_Entry
    {
        int uid = 0;
        int localBookId = 0;
        int localChapterId = 0;
        // The stored text the editor's text grew from: a journal is newer
        // than the store only while the store still holds this.
        QString base;
        // The editor's text; with `fromDocument`, the document's characters
        // as the editor keeps them (a paragraph separator ending each
        // block), turned into plain text on the journal's thread.
        QString text;
        bool fromDocument = false;
        // Read back from a file: the digest of the base, and when it was written.
        QByteArray baseDigest;
        qint64 writtenAt = 0;
    };

    static CRecoveryJournal *instance();

    QString folder() const;
    QString fileOf(int localChapterId) const;

    // Queues `entry` for the journal's thread; a write of the same chapter
    // still waiting is replaced by it.
    void write(const T_Entry &entry);
    // The store now holds `savedText` for the chapter: its journal goes
    // unless a newer text was written to it meanwhile.
    void discard(int localChapterId, const QString &savedText);
    // Waits until everything queued is written; false when a write failed.
    bool flush();
    // Writes `entry` at once on the calling thread (after what is queued).
    bool writeNow(const T_Entry &entry);
    // Whether the last write of the chapter's journal failed.
    bool lastWriteFailed(int localChapterId) const;

    // What the program writes on its way out when it cannot run its quit
    // handlers (the X server went away): the open chapter's entry, or an
    // entry with no chapter.
    void setLastChance(std::function<T_Entry()> source);
    void writeLastChance();

    // The plain text of a document's characters (see T_Entry::text).
    static QString plainTextOf(const QString &documentCharacters);
    static QByteArray digest(const QString &text);
    // Reads a journal file; false when it is not one or is cut short.
    static bool read(const QString &path, T_Entry &entry);

    // Saves every journal of `uid` the store does not hold yet, as in
    // recoverChapter; chapters the store no longer has go to the recovered
    // folder. The number of chapters whose text came back.
    int recoverAll(int uid, int exceptChapter = 0);
    // How the store's health names a chapter whose text it has not taken.
    static QString unsavedKey(int localChapterId);
    // The chapter's journal, if the store does not hold its text yet: saved
    // (job included) and the author told; when the store's text changed
    // since the journal began, the journal's text is kept as a snapshot of
    // the chapter instead. Returns the text the editor should show (the
    // journal's while it cannot be saved); `chapter->content` otherwise.
    QString recoverChapter(T_Book *book, T_Chapter *chapter);

signals:
    // A chapter's text came back from its journal (GUI thread).
    void sig_Recovered(int localChapterId);

private:
    explicit CRecoveryJournal(QObject *parent = nullptr);
    void run();
    bool writeEntry(const T_Entry &entry);
    void removeIfHolds(int localChapterId, const QString &savedText);
    bool applyEntry(const T_Entry &entry, T_Book *book, T_Chapter *chapter, bool *saved);
    // The chapter's journal goes, on the disk and here.
    void forget(int localChapterId);
    // The chapter's newest entry: held in memory, else read from its file.
    bool entryOf(int localChapterId, T_Entry &entry);

    struct T_Op
    {
        bool discard = false;
        T_Entry entry; // for a discard: the chapter and the saved text
    };

    mutable QMutex m_mutex; // guards the queue and the fields below
    QWaitCondition m_wake;
    QWaitCondition m_idle;
    QList<T_Op> m_queue;
    bool m_busy = false;
    QMutex m_fileMutex;              // one writer of the files at a time
    QMap<int, QByteArray> m_written; // chapter -> digest of the text its journal holds
    QSet<int> m_failed;
    // Entries whose file could not be written: held here, written again
    // with each retry, and read from here until they are.
    QMap<int, T_Entry> m_unwritten;
    std::function<T_Entry()> m_lastChance;
    QThread *m_thread = nullptr;
};
