#pragma once

// The in-memory mirrors of the rows of the local store and the process-wide
// record of the signed-in author.

#include "manager/sensitivewordmatcher.h"
#include "remote/thttp.h"

#include <QList>
#include <QMap>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVector>

class QSoundEffect;

// Kinds of job. Stored kinds are rows of tb_job; routing kinds only travel in
// the header of a direct call so that its reply reaches the right manager.
enum JobType : int
{
    JobType_AuthorInfo = 2, // stored: profile update; routing: profile fetch
    JobType_WxLoginPolling = 4,
    JobType_WxBindPolling = 5,
    JobType_BookAdd = 8,
    JobType_BookInfo = 10,
    JobType_BookDelete = 11,
    JobType_BookEdit = 12,
    JobType_BookImport = 13,
    JobType_ChapterAdd = 14,
    JobType_ChapterBatchAdd = 15,
    JobType_ChapterRecycle = 16,
    JobType_ChapterDelete = 17,
    JobType_ChapterMenu = 18,
    JobType_ChapterContent = 19,
    JobType_ChapterBatchFetch = 20,
    JobType_ChapterRename = 21, // folded into JobType_ChapterEdit
    JobType_ChapterText = 22,   // folded into JobType_ChapterEdit; also the direct send
    JobType_ChapterEdit = 23,
    JobType_ChapterMove = 24,
    JobType_ContentBlade = 25,
    JobType_TimeMachine = 26,
    JobType_CateFetch = 29,
    JobType_SensitiveEdit = 30,
    JobType_SensitiveFetch = 31,
    JobType_NameDataFetch = 32,
    JobType_Statistics = 33,
    JobType_StatisticsFetch = 34,
    JobType_VersionCheck = 35, // routing: the reference-data versions checked at start
    JobType_MemoAdd = 37,
    JobType_MemoDelete = 38,
    JobType_MemoColor = 39,    // folded into JobType_MemoEdit
    JobType_MemoContent = 40,  // folded into JobType_MemoEdit
    JobType_MemoLocation = 41, // folded into JobType_MemoEdit
    JobType_MemoEdit = 42,
    JobType_MemoDetail = 43,
    JobType_SynDataFetch = 45,
};

// The most text a chapter holds, in the units the server counts (UTF-16).
constexpr int kMaxChapterLength = 1000000;

// One chapter (a row of tb_chapter).
struct T_Chapter
{
    int localId = 0;
    int chapterId = 0;
    int localBookId = 0;
    int bookId = 0;
    int orderNum = 0;
    QString name;
    QString content;
    int wordCount = 0;
    int status = 1; // 0: in the recycle bin
    int createTime = 0;
    int updateTime = 0;

    // Run-time: `content` holds the stored text. The book list reads chapters
    // without their text; it is read when the chapter is first opened.
    bool isContentLoaded = false;
};

// One book (a row of tb_book). Owns the chapters of both lists.
struct T_Book
{
    T_Book() = default;
    ~T_Book();
    T_Book(const T_Book &) = delete;
    T_Book &operator=(const T_Book &) = delete;

    // Frees every chapter of both lists.
    void clearChapters();

    int localId = 0;
    int bookId = 0;
    int authorId = 0;
    QString bookName;
    int cateId = 0;
    int cateFid = 0;
    int channelType = 0;
    int chapterCount = 0;
    QString coverUrl;
    QString localCover;
    QString intro;
    int wordNum = 0;
    int createTime = 0;
    int updateTime = 0;
    QList<T_Chapter *> chapterList; // live chapters (status not 0), by orderNum
    QList<T_Chapter *> recycleList; // chapters in the recycle bin (status 0)
    int lastEditChapterId = 0;
    int orderType = 0;
    double money = 0.0;

    // Run-time only, never stored.
    bool isChaptersLoaded = false;
    int chapterSortDesc = 0; // 1 descending, 0 ascending
    bool isSyncing = false;
    bool isImporting = false;
    int stepTotal = 0;
    int stepDone = 0;
};

// One memo card (a row of tb_memo).
struct T_Memo
{
    int localId = 0;
    int memoId = 0;
    QString color;
    QString content;
    int updateTime = 0;
    int colorUpdateTime = 0;
    int bookId = 0;
    int chapterId = 0;
    int localBookId = 0;
    int localChapterId = 0;
    QString bookName;    // filled from the book list, not stored
    QString chapterName; // filled from the book list, not stored
    float x = 0.0f;
    float y = 0.0f;
    bool isExpanded = false; // run-time
    bool isPinned = false;   // run-time: the list shows the location line
};
Q_DECLARE_METATYPE(T_Memo)

// One row of tb_job.
struct T_JobData
{
    int uid = 0;
    int jobId = 0;
    int jobType = 0;
    int localBookId = 0;
    int bookId = 0;
    int localChapterId = 0;
    int chapterId = 0;
    int localMemoId = 0;
    int memoId = 0;
    QString content;
    int createTime = 0;
    int ext1 = 0;
    // Not stored: false when the job is sent at once, outside the replay,
    // so that its reply does not go on with the chain.
    bool chained = true;
};

// The signed-in author's settings, writing lock, current book and chapter.
struct T_User
{
    int uid = 0;
    int localBookId = 0;    // book open in the creation page
    int localChapterId = 0; // chapter open in the creation page
    // tb_creation_conf
    int fontSize = 14;
    QString fontFamily = QStringLiteral("Microsoft Yahei");
    int isBlod = 0;
    int isItalics = 0;
    int isUnderLine = 0;
    int isFocusing = 1;
    int isFocusLine = 1;
    int isCenter = 1;
    // tb_system_conf
    int isAutoOpen = 0;
    int isShowMsgPt = 1;
    int isRecvMsg = 1;
    int isTray = 0;
    int isSound = 1;
    QString hideKey = QStringLiteral("Ctrl+Shift+N");
    int isAutoUpdate = 0;
    int sensitiveStatus = 3;
    int isLock = 0;
    int memoCount = 0;
    // tb_lock
    int lockType = 0;
    int lockWords = 0;
    int lockTime = 0;
    int writeWords = 0;
    int writeTime = 0;
};

// One day of writing statistics (a row of tb_statistics, or what was added
// since the last store).
struct T_DayStatistics
{
    QString date; // "yyyy-MM-dd"; empty: counting suspended
    int writeTime = 0;
    int wordCount = 0;
    int writeSpeed = 0;
    bool dirty = false;
};

// Counters of the writing session in the open chapter.
struct T_WritingSession
{
    int freeSeconds = 0;
    int idleSeconds = 0;
    int writeSeconds = 0;
    int windowTicks = 0;
    int currentWordCount = 0;
    int speed = 0;
    bool started = false;
    bool typing = false;
    int lastKeyTime = 0; // CreationClock::monotonic() of the last counted key
    int windowWords = 0;
    int changeCounter = 0;
};

// The author's records and the seven days of the statistics page.
struct T_WeekStatistics
{
    int bestWriteTime = 0;
    int bestWordCount = 0;
    int bestWriteSpeed = 0;
    int totalWords = 0;
    int totalWriteTime = 0;
    QVector<T_DayStatistics> days; // seven consecutive days, dates filled in by the caller
};

// One book category; first-level categories carry their sub-categories.
struct T_Category
{
    int cateId = 0;
    int fId = 0;
    QString cateName;
    int channelType = 0;
    int childCount = 0;
    QVector<T_Category> children;
};

// The category lists of the two channels: 1 male, 2 female readership.
struct T_CategoryData
{
    QVector<T_Category> male;
    QVector<T_Category> female;
};

// One time-machine snapshot (a row of tb_contentblade).
struct T_ContentBlade
{
    int localId = 0;
    int bladeId = 0;
    int localBookId = 0;
    int localChapterId = 0;
    int bookId = 0;
    int chapterId = 0;
    QString content;
    int wordCount = 0;
    int createTime = 0;
};

// The process-wide record of the signed-in author, created on first use and
// kept for the life of the process. Owns the books and memos of its lists.
struct T_SessionData
{
    static T_SessionData &instance();

    T_SessionData() = default;
    ~T_SessionData();
    T_SessionData(const T_SessionData &) = delete;
    T_SessionData &operator=(const T_SessionData &) = delete;

    void clearBooks();
    void clearMemos();

    TS_Author_Info author;
    TS_SynchronizaTion_SynData synData;
    T_CategoryData categories;
    QMap<int, QStringList> nameData; // list type -> names, read at start
    QList<T_Book *> books;
    T_User user;
    T_DayStatistics todayStatistics;
    T_WritingSession writingSession;
    double money = 0.0; // remuneration of the open book, per thousand words
    // Sensitive-word check: the two lists as stored, and the matcher that
    // searches them (brought up to date from them before each check).
    QString publicSensitiveWords;
    QString authorSensitiveWords;
    SensitiveWordMatcher sensitiveMatcher;
    // Typing sounds, created together on first use, never freed.
    QSoundEffect *soundWriting = nullptr;
    QSoundEffect *soundDelete = nullptr;
    QSoundEffect *soundEnter = nullptr;
    bool soundsLoaded = false;
    // The name generator's lists by type, each read from the store the
    // first time a draw needs it.
    struct T_NameCacheEntry
    {
        bool loaded = false;
        QStringList names;
    };
    QMap<int, T_NameCacheEntry> nameCache;
    QList<T_Memo *> memos;
    T_JobData currentJob; // the job being replayed
};

// Registers the records that travel through QVariant or queued signals.
void registerRecordMetaTypes();
