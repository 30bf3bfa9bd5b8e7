#pragma once

#include "db/records.h"
#include "remote/thttp.h"
#include "remote/thttprequests.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

class CQuorvinDb;
class CQuorvinHttp;
class CUiManager;

// Books and chapters: every change is written to the local store and the
// session's book list first, recorded as a job and, when the server already
// knows the objects involved, sent at once. Replays queued book and chapter
// jobs and applies their replies. A request whose synStep is 1 applies a
// server change: local data only, no job.
//
// GUI thread only, except books_import, which runs on the import thread and
// hands the new book and its chapters over through queued signals.
class CBookJobManager : public QObject
{
    Q_OBJECT
public:
    static CBookJobManager *instance();

    // Reads the signed-in author's books and chapters into the session.
    bool loadBooks();

    T_Book *findBook(int localBookId) const;
    T_Book *findBookByServerId(int bookId) const;
    // Looks in both the live list and the recycle bin.
    static T_Chapter *findChapter(const T_Book *book, int localChapterId);
    static T_Chapter *findChapterByServerId(const T_Book *book, int chapterId);
    // The order of a book's chapter lists: order number, then server id, with
    // chapters not yet on the server after the others by local id.
    static bool listsBefore(const T_Chapter *a, const T_Chapter *b);
    // "第N章 " with N one above the book's highest order number.
    QString defaultChapterName(int localBookId) const;

    // Operations; each fills the local ids it creates into the record.
    T_Book *books_addBook(TC_Books_AddBook &req);
    bool books_delete(TC_Books_Delete &req);
    bool books_edit(TC_Books_Edit &req);
    bool books_info(T_Http_C &req);
    bool chapter_create(TC_Chapter_Create &req);
    bool chapter_saveContent(TC_Chapter_Edit &req);
    bool chapter_rename(TC_Chapter_Edit &req);
    bool chapter_contentBlade(TC_Chapter_ContentBlade &req);
    bool chapter_move(TC_Chapter_Move &req);
    bool chapter_recycle(TC_Chapter_Recycle &req);
    bool chapter_delete(TC_Chapter_Del &req);
    bool chapter_menu(TC_Chapter_Menu &req);
    bool chapter_content(T_Http_C &req);
    bool chapter_getChapters(TC_Chapter_GetChapters &req);
    bool chapter_timeMachine(T_Http_C &req);

    // Starts a book import of the text file `req.filePath` on a thread of its
    // own. 0 when the path is empty, else 200 (the result comes as a tip).
    int books_importStart(const TC_Books_AddBook &req);
    // The import itself (import thread): a QuorvinError, 200 on success.
    int books_import(const QString &path, int uid);

    // Fetches a book's information (kind Book), a chapter (Chapter) or a
    // book's chapter list (Order) again, outside any pull; false when the
    // object is gone or not on the server.
    bool fetchAgain(int kind, int localId);

    // A queued job about a book or chapter was refused with `code`; `job` is
    // its row as it was (empty for a request sent at once whose row is gone).
    void onRefused(const T_Http_C &route, int code, const T_JobData &job);
    // The folder texts that have nowhere else to go are saved in.
    static QString recoveredFolder();
    // Writes `text` into the recovered folder, named by book, chapter and
    // the text itself (the same text is kept once); its path, or empty.
    static QString writeRecoveredFile(const QString &bookName, const QString &chapterName,
                                      const QString &text);

    // Sends a queued job of types 8 to 26; false when it sends nothing for it.
    bool execUserJob(const T_JobData &job);
    // Applies the reply of a job or call routed to types 8 to 26.
    void asynBack(const T_Http_C &route, const QByteArray &body);

    // Import steps, usable on any thread.
    // UTF-8 (with or without a byte-order mark), else GB18030.
    static QString decodeText(const QByteArray &bytes);
    // The text of a manuscript: false for a file that is not text (a NUL
    // byte, or valid neither as UTF-8 nor as GB18030).
    static bool decodeManuscript(const QByteArray &bytes, QString &text);
    static void cleanText(QString &text);
    static void splitChapters(const QString &text, QStringList &titles, QStringList &contents);
    static int importBatchSize() { return 20; }
    // The number of chapters in each request an import sends, in order: at
    // most importBatchSize() chapters, and no more text than keeps the
    // request well within the server's body limit (a chapter larger than
    // that goes alone).
    static QList<int> importBatches(const QStringList &titles, const QStringList &contents);
    static constexpr qint64 kImportBatchBytes = 8 * 1024 * 1024;

signals:
    void sig_ImportBookThreadComplete(TC_Books_AddBook *tData);
    void sig_ImportBookStep(T_Book *pBook);
    // From the import thread: the new book, and each stored batch of its
    // chapters, are handed to the GUI thread, which owns the book list.
    void sig_ImportBookCreated(T_Book *pBook);
    void sig_ImportChapterBatch(T_Book *pBook, QList<T_Chapter *> chapters);
    // The result of an import (a QuorvinError) with the book name and the
    // number of chapters stored.
    void sig_ImportBookFinished(int code, const QString &bookName, int chapterCount);
    // Before a QE_IMPORT_TOO_LONG finish: the chapter that is too long.
    void sig_ImportChapterTooLong(const QString &title, int length);
    // The text of a chapter deleted on the server was kept: as the new
    // chapter `toLocalChapterId`, or (0) in the file `path`.
    void sig_TextRecovered(int fromLocalChapterId, int toLocalChapterId, const QString &path);

private slots:
    void on_ImportBookThreadComplete(TC_Books_AddBook *tData);
    void on_ImportBookStep(T_Book *pBook);
    void on_ImportBookCreated(T_Book *pBook);
    void on_ImportChapterBatch(T_Book *pBook, QList<T_Chapter *> chapters);
    void on_ImportBookFinished(int code, const QString &bookName, int chapterCount);
    void on_ImportChapterTooLong(const QString &title, int length);

private:
    explicit CBookJobManager(QObject *parent = nullptr);

    int uid() const;
    T_Book *bookOf(const T_Http_C &req) const;
    // Fills the record's server ids from the in-memory book and chapter.
    static void takeServerIds(T_Http_C &req, const T_Book *book, const T_Chapter *chapter);
    static void insertByOrder(QList<T_Chapter *> &list, T_Chapter *chapter);
    static void recountBook(T_Book *book);
    QString copyCover(const QString &localCover) const;
    // The queued creation job (`jobType`) of the object that may have gone
    // out (in this run or an earlier one), or 0.
    int sentCreation(int jobType, const QString &column, int localId) const;
    T_Chapter *storeChapter(T_Book *book, const QString &name, int orderNum, int createTime, int chapterId);
    void printJobData(const T_JobData &job) const;

    // cbookjobmanager_recover.cpp
    // Whether the chapter holds text the server has not been sent yet.
    bool hasUnsentText(T_Chapter &chapter);
    // Keeps the chapter's text: a new chapter at the end of the book, or,
    // when the book is gone, a file in the recovered folder. Tells the author.
    bool recoverText(T_Book *book, T_Chapter &chapter, bool bookGone);

    // Replies, by type.
    void onBookAdded(const T_Http_C &route, const QByteArray &body);
    void onBookInfo(const T_Http_C &route, const QByteArray &body);
    void onBookEdited(const T_Http_C &route, const QByteArray &body);
    void onChapterCreated(const T_Http_C &route, const QByteArray &body);
    void onChapterBatchCreated(const T_Http_C &route, const QByteArray &body);
    void deleteVanishedChapter(const T_Http_C &route, int bookId, int localChapterId, int chapterId);
    void onChapterMenu(const T_Http_C &route, const QByteArray &body);
    void onChapterContent(const T_Http_C &route, const QByteArray &body);
    // Asks for each chapter with a server id that a whole list fetched from
    // the server leaves out.
    void askForUnlistedChapters(T_Book *book, const QSet<int> &listed);
    // The server answered that it has no such chapter, or book.
    void deleteChapterGoneOnServer(T_Book *book, T_Chapter *chapter);
    void deleteBookGoneOnServer(T_Book *book);
    // The book or chapter leaves the store, the session and the screen; the
    // chapter's waiting jobs go too (but keepJobId), nothing is queued.
    bool removeBookHere(T_Book *book);
    bool removeChapterHere(T_Book *book, T_Chapter *chapter, int keepJobId = 0);
    // The memory side of a removal whose rows are already gone: every tab
    // showing the chapters closes, the lists and the page follow.
    void forgetBook(T_Book *book);
    void chaptersLeaving(const T_Book *book);
    void forgetChapter(T_Book *book, T_Chapter *chapter);
    void onChapterBatchFetched(const T_Http_C &route, const QByteArray &body);
    void onTimeMachine(const T_Http_C &route, const QByteArray &body);
    void advanceImport(T_Book *book);

    // Import thread.
    int readManuscript(const QString &path, QString &text) const;
    T_Book *createImportedBook(const QString &bookName, int uid, int time, int batchCount, int &bookJobId);
    int storeImportedChapters(T_Book *book, int localBookId, int uid, int time, const QStringList &titles,
                              const QStringList &contents, const QList<int> &batches);

    CQuorvinHttp *m_http;
    CQuorvinDb *m_db;
    T_SessionData *m_session;
    CUiManager *m_ui;
    // Books whose import thread still stores chapters and hands them over
    // (GUI thread): they cannot be deleted until it is done.
    QSet<int> m_importThreadBooks;
};
