#pragma once

#include "db/cstorecheck.h"
#include "db/records.h"
#include "db/sqlformat.h"

#include <QJsonObject>
#include <QMap>
#include <QMutex>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <functional>

class QSqlQuery;

// The one class that runs statements on the local SQLite file.
//
// Every thread gets a connection of its own to the same file (opened on the
// thread's first statement, closed when the thread ends), in write-ahead-log
// mode with a busy timeout, so that the book import can write while the GUI
// thread reads and writes. Operations that run several statements whose
// partial effect would be misread later run in one immediate transaction.
class CQuorvinDb : public QObject
{
    Q_OBJECT
public:
    static CQuorvinDb *instance();

    // Opens data/db/wrt.db of the application folder, creating an empty file
    // when there is none. False when the file cannot be created or opened,
    // or is not a database.
    // Checks the data folder and the file first (see CStoreCheck); false
    // when the program cannot start on them, with the reason in storeCheck().
    bool init();
    // What init() found, and what the author is to be told of it.
    T_StoreCheck storeCheck() const;
    // Records that the program cannot start on the store, and why.
    void refuseStart(const QString &cause);
    QString databasePath() const;
    // Every thread opens the file again with its next statement.
    void reconnect();
    // Makes every write returned so far survive a power cut (the log is
    // flushed to the disk and copied into the file as far as readers
    // allow), on the calling thread's connection; false when it cannot.
    bool syncToDisk();

    // Runs one statement on the calling thread's connection; a failure is
    // logged and kept as the last error.
    bool sqlExec(QSqlQuery &query, const QString &sql);
    // Runs one statement whose "?" markers take `texts` in order, bound to
    // the statement rather than written into it: a chapter of any length
    // and any characters (quotes, backslashes, NULs) is neither parsed nor
    // de-quoted by SQLite. A null text is stored as the empty text, as the
    // quoted '' of a written-in value was.
    bool sqlExec(QSqlQuery &query, const QString &sql, const QStringList &texts);
    QString lastError() const;
    int lastInsertId(const QString &table);
    bool deleteWhere(const QString &table, const QString &column, int value);
    bool updateWhere(const QString &table, const QString &column, int value, const QString &keyColumn,
                     int key);
    void fillDbError(T_Http_S &response) const;

    // Times written by the operations are on the server's clock: the local
    // clock corrected by the offset that the first server answer fixes.
    void setServerTimeOffset(int seconds);
    int currentTime() const;

    // Session and settings.
    bool getSysData(TS_Author_Info &author, TS_SynchronizaTion_SynData &synData);
    bool setLastUser(int uid);
    bool clearLastUser();
    bool insertUser(const TS_Author_Info &author, const T_User &user);
    bool updateUser(const TS_Author_Info &author);
    bool setToken(int uid, const QString &token);
    bool createUserConf(const TS_Author_Info &author, const T_User &user);
    bool getUserData(int uid, TS_Author_Info &author, T_User &user);
    bool updateUserdata(const T_User &user);
    bool updateLock(const T_User &user);

    // The server an author's rows belong to (its base address), empty when
    // not recorded yet.
    QString accountServer(int uid);
    bool setAccountServer(int uid, const QString &server);
    // Whether the author has a row or a book here (true when the read fails).
    bool hasAccountRows(int uid);
    // Moves every row of the author `uid` (account, settings, books,
    // chapters, snapshots, jobs, memos, statistics) into the SQLite file
    // `file`, made when missing, in one transaction; and back again.
    bool parkAccount(int uid, const QString &file);
    bool unparkAccount(int uid, const QString &file);

    // Books and chapters.
    bool getBooks(int authorId, QList<T_Book *> &books);
    bool getChapters(T_Book &book);
    bool getChapterContent(int localChapterId, QString &content);
    // Whether the chapter's row is there (also when the read fails).
    bool chapterExists(int localChapterId);
    // Reads the chapter's text when it has not been read yet.
    bool ensureChapterContent(T_Chapter &chapter);
    bool insertBook(int uid, const QString &bookName, int bookId);
    bool updateBook(const T_Book &book);
    bool touchBook(int localBookId);
    bool setLastEditChapter(int localBookId, int localChapterId);
    bool setBookMoney(int localBookId, double money);
    bool deleteBook(int localBookId);
    bool setBookServerId(int localBookId, int bookId);
    bool insertChapter(const T_Chapter &chapter);
    bool insertChapterWithContent(T_Chapter &chapter);
    // `updateTime` above 0 is written too (the moment a chapter is recycled).
    bool setChapterOrder(int localChapterId, int orderNum, int status, int updateTime = 0);
    bool updateChapter(const T_Chapter &chapter);
    bool renameChapter(int localChapterId, const QString &name);
    bool setChapterContent(int localChapterId, const QString &content, int wordCount);
    // A save of the editor: setChapterContent and addJob of a text change
    // (type 22, folded into the chapter's type-23 job) in one transaction,
    // so that the text is never stored without its job or the other way
    // round. `header` names the chapter; its jobType and jobId are set.
    bool saveChapterText(T_Http_C &header, const QString &content, int wordCount, int createTime);
    // Runs `work` (calls of this class, such as a row and the job that
    // sends it) in one transaction: all of it is stored, or none.
    bool together(const std::function<bool()> &work) { return inTransaction(work); }
    // The row and the chapter's own queued jobs but `keepJobId`.
    bool deleteChapter(int localChapterId, int keepJobId = 0);
    bool setChapterServerId(int localChapterId, int chapterId);
    bool clearUserData();

    // Time-machine snapshots.
    bool insertContentBlade(int uid, int localBookId, int localChapterId, int bookId, int chapterId,
                            const QString &content);
    // Keeps `content` as a snapshot of the chapter that lives only here (the
    // server refused it): the server's lists never replace it. A snapshot of
    // the same text waiting to be sent is marked so instead of a second one.
    bool keepContentBladeHere(int uid, int localBookId, int localChapterId, int bookId, int chapterId,
                              const QString &content);
    static constexpr int kKeptHereBladeId = -1;
    // `serverList` holds the server's snapshots (bladeId, content, createTime,
    // wordCount); they replace every stored snapshot of `chapterId` but those
    // kept here only.
    bool replaceContentBlades(int uid, int localBookId, int localChapterId, int bookId, int chapterId,
                              const QList<T_ContentBlade> &serverList);
    bool getContentBlades(int localChapterId, QList<T_ContentBlade> &list);

    // Job queue.
    bool addJob(T_Http_C &header, const QString &content, int createTime, int ext1 = 0);
    bool insertJob(T_Http_C &header, const QString &content, int createTime, int ext1 = 0);
    // The id of the statistics job that now holds the day, 0 on failure.
    int addStatisticsJob(int uid, const QString &date, int wordCount, int writeTime, int writeSpeed);
    bool getUserJobData(T_JobData &job, int uid);
    // The stored job `jobId`; false when there is none or the read fails.
    bool getJob(int jobId, T_JobData &job);
    // Removes the queued jobs of a book or chapter (`column` localBookId or
    // localChapterId) but not those of memos pinned to it, and not
    // `keepJobId` (a creation already on its way to the server).
    bool deleteObjectJobs(const QString &column, int localId, int keepJobId = 0);
    // The id of the oldest queued job of `jobType` whose `column` is `id`, 0 when none.
    int findJob(int jobType, const QString &column, int id);
    // The largest job id queued (ids only grow), 0 for none.
    int lastJobId();
    // Queues the delete job `header` (a book's or a chapter's) after the
    // object's other jobs are removed, keeping `keepJobId`: its creation,
    // sent already, whose answer brings the server id the delete needs.
    bool addDeleteBehindCreation(T_Http_C &header, const QString &column, int localId, int keepJobId);
    // The answer to a statistics job that carried `wordCount` and
    // `writeTime`: those leave the job; what was added meanwhile stays
    // queued. The job goes once nothing is left.
    bool settleStatisticsJob(int jobId, int wordCount, int writeTime);
    bool deleteJob(int jobId);
    // How many jobs of `uid` wait in the queue; -1 when the count fails.
    int countJobs(int uid);
    // Whether a job whose `column` (localBookId, localChapterId, localMemoId)
    // is `localId` waits in the queue, of one of `types` (any type when empty).
    bool hasWaitingJob(const QString &column, int localId, const QList<int> &types = {});
    // The chapter's waiting edit job (type 23); false when there is none.
    bool waitingChapterEdit(int localChapterId, T_JobData &job);

    // Memos.
    bool getMemos(int uid, QList<T_Memo *> &memos);
    // Stores a new memo (colour, content, updateTime, memoId) and sets its localId.
    bool insertMemo(int uid, T_Memo &memo);
    bool updateMemo(int uid, const T_Memo &memo);
    bool deleteMemo(int localMemoId, int uid);
    bool setMemoServerId(int localMemoId, int memoId);

    // Reference data.
    bool saveCateList(int version, const QVector<T_Category> &male, const QVector<T_Category> &female);
    bool insertCate(const QVector<T_Category> &list);
    bool getCateList(T_CategoryData &categories);
    // kind 1: the public list (with its version), kind 2: the author's own list.
    bool saveSensitiveWords(int uid, int kind, const QString &words, int version);
    bool getSensitiveWords(int uid, QString &publicWords, QString &authorWords);
    // The author's own list and the job that sends it (type 30, replacing a
    // waiting one) in one transaction; the author's row is made when missing.
    bool saveCustomSensitiveWords(T_Http_C &header, const QString &words, int createTime);
    // `names` maps a list type to its text; it is emptied.
    bool saveNames(QMap<int, QString> &names, int version);
    bool getNames(int type, QStringList &names);
    bool getAllNames(QMap<int, QStringList> &nameData);

    // Writing statistics.
    bool ensureTodayStatistics(int uid, const QString &date);
    bool getTodayStatistics(int uid, T_DayStatistics &day);
    bool addStatistics(int uid, const T_DayStatistics &day);
    bool saveStatistics(int uid, const QStringList &dates, const QList<int> &writeTimes,
                        const QList<int> &wordCounts, const QList<int> &writeSpeeds);
    bool getStatisticsSummary(int uid, T_WeekStatistics &week);

private:
    explicit CQuorvinDb(QObject *parent = nullptr);

    QSqlDatabase connection();
    QSqlDatabase openConnection(const QString &name);
    bool isDatabaseFile(QSqlDatabase &db);
    void setLastError(const QString &error);
    // Keeps and logs the error of the statement `sql` that `query` ran; false.
    bool failed(const QSqlQuery &query, const QString &sql);
    // The write-ahead log and its index take the file's permissions when
    // the file is writable and they are not.
    void matchSideFiles();
    // A statement succeeded: a write tells the store's health it took.
    void succeeded(const QString &sql);

    // Runs `statements` in order, stopping at the first failure.
    bool execAll(const QStringList &statements);
    // Runs one statement with bound texts (see sqlExec) on a query of its own.
    bool execBound(const QString &sql, const QStringList &texts);
    // Runs `work` inside one immediate transaction; rolled back when it
    // returns false.
    template <typename Work> bool inTransaction(Work work);
    bool begin();
    bool commit();
    void rollback();

    bool moveAccountRows(int uid, const QString &file, bool intoFile);
    bool addMergedJob(T_Http_C &header, int mergedType, const QString &lookupColumn, int lookupId,
                      const QVector<QPair<QString, QString>> &changes, const QString &newContent,
                      int createTime, int ext1);
    bool addJobUnlocked(T_Http_C &header, const QString &content, int createTime, int ext1);
    int addStatisticsJobUnlocked(int uid, const QString &date, int wordCount, int writeTime, int writeSpeed);

    mutable QMutex m_mutex; // guards the members below
    QString m_lastError;
    QString m_path;
    int m_generation = 0; // raised by init(); older connections reopen
    int m_timeOffset = 0;
    T_StoreCheck m_storeCheck;
};

template <typename Work> bool CQuorvinDb::inTransaction(Work work)
{
    if (!begin())
        return false;
    if (!work()) {
        rollback();
        return false;
    }
    return commit();
}
