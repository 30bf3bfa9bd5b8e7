#pragma once

#include "remote/thttp.h"

#include <QHash>
#include <QPair>
#include <QSet>
#include <functional>

// Keeps fetched server values from replacing newer local changes.
//
// Every local change of a book, a chapter, a book's chapter order or a memo,
// and every answer of a queued job about one, is stamped with a rising
// number. A fetch remembers the number current when it was sent; its value
// may replace the local one only when the object was not touched since and
// no change of it waits in the queue or is on its way. A value kept back is
// fetched again once the object's own changes have been answered, so that
// both sides end equal.
//
// GUI thread only.
class CLocalEdits
{
public:
    enum Kind
    {
        Book,    // name, introduction, category of a book
        Chapter, // name and text of a chapter
        Order,   // order, bin and membership of a book's chapter list
        Memo,
    };
    using Key = QPair<int, int>; // kind, local id

    static CLocalEdits &instance();
    // Who fetches an object again (the coordinator).
    void setRefetcher(std::function<void(Key)> refetch) { m_refetcher = std::move(refetch); }

    // A local change of the object.
    void touch(Kind kind, int localId);
    // A queued job about these objects has been answered.
    void jobAnswered(const T_Http_C &route);
    // A fetch is sent now.
    void fetchSent(const T_Http_C &route);
    // Whether the value a fetch brought may replace the object's local value.
    // When not, the object is marked to be fetched again.
    bool mayApply(Kind kind, int localId, const T_Http_C &fetch);
    // A chapter known to the server was deleted for good, here or there: a
    // list fetched before the server deleted it must not bring it back.
    void chapterDeleted(int chapterId);
    bool isDeletedChapter(int chapterId) const { return m_deletedChapters.contains(chapterId); }
    // Marks the object to be fetched again once its changes are answered.
    void requestRefetch(Kind kind, int localId);
    // Objects marked to be fetched again whose changes are all answered now;
    // they leave the mark.
    QList<Key> takeSettledRefetches();
    // Whether a change of the object waits in the queue or is on its way.
    static bool hasWaitingChange(Kind kind, int localId);

    static QList<Key> keysOfJob(const T_Http_C &route);

    // Objects still to take the server's state are also kept in this file
    // (one per author), so that quitting before their fetch is answered
    // does not forget them. Loads what an earlier run left.
    void setStoreFile(const QString &path);
    // Objects still to take the server's state whose changes are all
    // answered, those of earlier runs included. They stay until a fetched
    // value of theirs is applied, or forget() is called.
    QList<Key> settledPending() const;
    void forget(const Key &key);

private:
    CLocalEdits() = default;
    static QString fetchKey(const T_Http_C &route);

    quint64 m_clock = 0;
    QHash<Key, quint64> m_touched;
    QHash<QString, quint64> m_fetches; // fetch → the clock when it was sent
    QSet<Key> m_refetch;
    QSet<Key> m_pending; // m_refetch and what is on its way, kept in m_storeFile
    QString m_storeFile;
    void keepPending(const Key &key);
    void savePending();
    QSet<int> m_deletedChapters; // server ids
    std::function<void(Key)> m_refetcher;
};
