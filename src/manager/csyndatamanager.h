#pragma once

#include "remote/thttp.h"
#include "remote/thttpresponses.h"

#include <QByteArray>
#include <QJsonObject>
#include <QObject>

class CBookJobManager;
class CQuorvinHttp;
class CUiManager;
struct T_Book;
struct T_Chapter;
struct T_SessionData;

// Pulls the server's change feed once the job queue is empty and applies
// it item by item to the local store.
//
// Items are applied strictly one after the other: an item either takes
// effect at once, or sends a fetch whose request carries `synStep` 1; once
// its reply has been handled the coordinator calls nextStep(). After the
// last item the last task id applied is acknowledged, so that an
// interrupted pull is repeated by the server.
class CSynDataManager : public QObject
{
    Q_OBJECT
public:
    // Change kinds of the server's feed, and two of our own.
    enum SynType
    {
        Syn_NewBook = 1,
        Syn_BookInfo = 2,
        Syn_BookDeleted = 3,
        Syn_NewChapter = 4,
        Syn_ChapterMoved = 5,
        Syn_ChapterRecycled = 6,
        Syn_ChapterDeleted = 7,
        Syn_ChapterRestored = 8,
        Syn_ChapterContent = 9,
        Syn_BookImported = 10,
        Syn_TimeMachine = 11,
        Syn_Statistics = 12,
        Syn_Profile = 13,
        Syn_QuickInput = 14,
        Syn_NewMemo = 15,
        Syn_MemoChanged = 16,
        Syn_MemoDeleted = 17,
        Syn_SensitiveWords = 18,
        Syn_ChapterBatch = 19,
        Syn_FetchChapterList = 100001, // follow-up of a book whose information was fetched
        Syn_EndMarker = 100002,
    };

    static CSynDataManager *instance();

    // Whether change items are still waiting to be applied.
    bool hasPending() const;
    // Whether a pull is running.
    bool isPulling() const;
    // Fetches the change list (routing type 45); nothing while a pull runs.
    void fetchChangeList();
    // Handles the reply of the change-list fetch (type 45).
    void asynBack(const T_Http_C &route, const QByteArray &body);
    // A reply made for the current item has been handled: drop it, apply the
    // next.
    void nextStep();
    // Ends the pull without acknowledging (for example after a network error).
    void stopPull();

    // Logs an item with its text; `applying` marks the item now being applied.
    static void printSynType(const T_SynchronizaTion_SynBookDataItem *item, bool applying);
    static QString synTypeText(const T_SynchronizaTion_SynBookDataItem &item);

signals:
    // The pull ended: true after the whole list was applied.
    void sig_SynEnded(bool complete);
    // The chapter's text written here was replaced on the server by an
    // older save from another machine; the server kept it as a snapshot.
    void sig_VersionKept(int localBookId, int localChapterId);

private:
    explicit CSynDataManager(QObject *parent = nullptr);

    void markSyncingBooks();
    void clearSyncingBooks();
    // One more of the book's waiting changes is applied (its progress bar).
    void countStepDone(const T_SynchronizaTion_SynBookDataItem &item);
    // Applies items from the front until one waits for its reply.
    void process();
    // Applies one item; true when a reply continues (the item stays first).
    bool apply(const T_SynchronizaTion_SynBookDataItem &item);
    bool applyBookItem(const T_SynchronizaTion_SynBookDataItem &item);
    bool applyChapterItem(const T_SynchronizaTion_SynBookDataItem &item);
    bool applyMemoItem(const T_SynchronizaTion_SynBookDataItem &item);
    bool applyAuthorItem(const T_SynchronizaTion_SynBookDataItem &item);
    void append(int changeType, int bookId, const QString &extra = QString());
    void finish();
    void tellVersionKept(const T_Book &book, const T_Chapter &chapter);
    T_Http_C route(int jobType) const;
    void keepTextsOfDeletedBook(const QJsonObject &extra);

    TS_SynchronizaTion_SynBookData m_data;
    CQuorvinHttp *m_http;
    T_SessionData *m_session;
    CBookJobManager *m_bookManager;
    CUiManager *m_ui;
    int m_lastTaskId = 0;
    bool m_pulling = false;
    bool m_processing = false;
};
