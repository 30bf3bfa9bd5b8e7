#include "csyndatamanager.h"

#include "cbookjobmanager.h"
#include "clocaledits.h"
#include "cmemomanager.h"
#include "cuimanager.h"
#include "db/records.h"
#include "remote/cquorvinhttp.h"
#include "remote/cquorvinparser.h"

#include <QDebug>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

constexpr int kAckJobType = 46; // answered by nobody
constexpr int kAckSynType = 2;

QJsonObject extraOf(const T_SynchronizaTion_SynBookDataItem &item)
{
    return QJsonDocument::fromJson(item.extra.toUtf8()).object();
}

// Extra values arrive as numbers or as numeric texts.
int extraInt(const QJsonObject &extra, const char *key)
{
    const QJsonValue value = extra.value(QLatin1String(key));
    return value.isString() ? value.toString().toInt() : value.toInt();
}

} // namespace

CSynDataManager::CSynDataManager(QObject *parent)
    : QObject(parent), m_http(CQuorvinHttp::instance()), m_session(&T_SessionData::instance()),
      m_bookManager(CBookJobManager::instance()), m_ui(CUiManager::instance())
{
}

CSynDataManager *CSynDataManager::instance()
{
    static CSynDataManager *manager = new CSynDataManager;
    return manager;
}

bool CSynDataManager::hasPending() const
{
    return !m_data.items.isEmpty();
}

bool CSynDataManager::isPulling() const
{
    return m_pulling;
}

T_Http_C CSynDataManager::route(int jobType) const
{
    T_Http_C header;
    header.uid = m_session->author.uid;
    header.jobType = jobType;
    header.synStep = 1;
    return header;
}

void CSynDataManager::fetchChangeList()
{
    if (m_pulling || m_session->author.uid < 1)
        return;
    m_pulling = true;
    T_Http_C header = route(JobType_SynDataFetch);
    header.synStep = 0;
    m_http->synBookDataAsyn(header);
}

void CSynDataManager::asynBack(const T_Http_C &route, const QByteArray &body)
{
    if (route.jobType != JobType_SynDataFetch)
        return;
    // A list nobody waits for: the pull was ended meanwhile, or its items
    // are being applied already.
    if (!m_pulling || hasPending())
        return;
    m_data = TS_SynchronizaTion_SynBookData();
    CQuorvinParser::parse(body, m_data);
    for (const T_SynchronizaTion_SynBookDataItemPtr &item : qAsConst(m_data.items))
        printSynType(item.data(), false);
    markSyncingBooks();
    process();
}

void CSynDataManager::nextStep()
{
    if (!m_pulling || m_data.items.isEmpty())
        return;
    countStepDone(*m_data.items.first());
    m_data.items.removeFirst();
    process();
}

void CSynDataManager::stopPull()
{
    const bool wasPulling = m_pulling;
    m_pulling = false;
    m_data.items.clear();
    m_lastTaskId = 0;
    clearSyncingBooks();
    if (wasPulling) {
        qWarning() << "syndata stopped, the remaining changes wait for the next pull";
        emit sig_SynEnded(false);
    }
}

void CSynDataManager::markSyncingBooks()
{
    for (const T_SynchronizaTion_SynBookDataItemPtr &item : qAsConst(m_data.items)) {
        if (item->book_id < 1 || item->change_type >= Syn_Statistics)
            continue;
        if (T_Book *book = m_bookManager->findBookByServerId(item->book_id)) {
            // One step of the book's progress bar per change waiting for it.
            book->isSyncing = true;
            ++book->stepTotal;
            m_ui->onBookChanged(book);
        }
    }
}

void CSynDataManager::countStepDone(const T_SynchronizaTion_SynBookDataItem &item)
{
    if (item.book_id < 1 || item.change_type >= Syn_Statistics)
        return;
    T_Book *book = m_bookManager->findBookByServerId(item.book_id);
    if (!book || !book->isSyncing || book->stepDone >= book->stepTotal)
        return;
    ++book->stepDone;
    m_ui->onBookChanged(book);
}

void CSynDataManager::clearSyncingBooks()
{
    for (T_Book *book : qAsConst(m_session->books)) {
        if (book->isSyncing) {
            book->isSyncing = false;
            book->stepTotal = 0;
            book->stepDone = 0;
            m_ui->onBookChanged(book);
        }
    }
}

void CSynDataManager::process()
{
    if (m_processing)
        return;
    m_processing = true;
    while (m_pulling && !m_data.items.isEmpty()) {
        const T_SynchronizaTion_SynBookDataItemPtr item = m_data.items.first();
        printSynType(item.data(), true);
        if (item->id > 0)
            m_lastTaskId = item->id;
        if (apply(*item))
            break; // its reply continues
        if (!m_data.items.isEmpty() && m_data.items.first() == item) {
            countStepDone(*item);
            m_data.items.removeFirst();
        }
    }
    m_processing = false;
    if (m_pulling && m_data.items.isEmpty())
        finish();
}

void CSynDataManager::finish()
{
    m_pulling = false;
    m_ui->onSyncEnded(true);
    clearSyncingBooks();
    if (m_lastTaskId > 0) {
        TC_SynchronizaTion_SynAuthor req;
        static_cast<T_Http_C &>(req) = route(kAckJobType);
        req.synStep = 0;
        req.taskId = m_lastTaskId;
        req.synType = kAckSynType;
        m_http->synAuthorAsyn(req);
        m_lastTaskId = 0;
    }
    qDebug() << "syndata finished";
    emit sig_SynEnded(true);
}

void CSynDataManager::append(int changeType, int bookId, const QString &extra)
{
    auto item = T_SynchronizaTion_SynBookDataItemPtr::create();
    item->change_type = changeType;
    item->book_id = bookId;
    item->extra = extra;
    m_data.items.append(item);
    if (changeType < Syn_Statistics)
        if (T_Book *book = m_bookManager->findBookByServerId(bookId); book && book->isSyncing)
            ++book->stepTotal;
}

bool CSynDataManager::apply(const T_SynchronizaTion_SynBookDataItem &item)
{
    switch (item.change_type) {
    case Syn_NewBook:
    case Syn_BookInfo:
    case Syn_BookDeleted:
    case Syn_BookImported:
    case Syn_FetchChapterList:
        return applyBookItem(item);
    case Syn_NewChapter:
    case Syn_ChapterMoved:
    case Syn_ChapterRecycled:
    case Syn_ChapterDeleted:
    case Syn_ChapterRestored:
    case Syn_ChapterContent:
    case Syn_TimeMachine:
    case Syn_ChapterBatch:
        return applyChapterItem(item);
    case Syn_NewMemo:
    case Syn_MemoChanged:
    case Syn_MemoDeleted:
        return applyMemoItem(item);
    case Syn_Statistics:
    case Syn_Profile:
    case Syn_SensitiveWords:
        return applyAuthorItem(item);
    case Syn_QuickInput:
        return false;
    default:
        return false; // our end marker, or a kind we do not know (logged)
    }
}

bool CSynDataManager::applyBookItem(const T_SynchronizaTion_SynBookDataItem &item)
{
    switch (item.change_type) {
    case Syn_NewBook: {
        const QJsonObject extra = extraOf(item);
        TC_Books_AddBook req;
        static_cast<T_Http_C &>(req) = route(JobType_BookAdd);
        req.bookId = item.book_id;
        req.bookName = extra.value(QStringLiteral("book_name")).toString();
        req.createTime = extraInt(extra, "create_time");
        if (req.bookName.isEmpty())
            req.bookName = QStringLiteral("%1").arg(item.book_id);
        m_bookManager->books_addBook(req);
        if (T_Book *book = m_bookManager->findBookByServerId(item.book_id)) {
            // A book new to this machine: its bar counts the changes that
            // wait for it from here on, this one included.
            book->isSyncing = true;
            book->stepDone = 0;
            book->stepTotal = 0;
            for (const T_SynchronizaTion_SynBookDataItemPtr &waiting : qAsConst(m_data.items))
                if (waiting->book_id == item.book_id && waiting->change_type < Syn_Statistics)
                    ++book->stepTotal;
            m_ui->onBookChanged(book);
        }
        if (item.id < 1)
            append(Syn_BookInfo, item.book_id);
        return false;
    }
    case Syn_BookInfo: {
        T_Book *book = m_bookManager->findBookByServerId(item.book_id);
        if (!book)
            return false;
        T_Http_C req = route(JobType_BookInfo);
        req.localBookId = book->localId;
        req.bookId = book->bookId;
        if (item.id > 0)
            return m_bookManager->books_info(req);
        // A follow-up of our own: nothing waits for this reply, so it must
        // not advance the list when it comes.
        req.synStep = 0;
        m_bookManager->books_info(req);
        append(Syn_FetchChapterList, item.book_id);
        return false;
    }
    case Syn_BookDeleted: {
        keepTextsOfDeletedBook(extraOf(item));
        T_Book *book = m_bookManager->findBookByServerId(item.book_id);
        if (!book)
            return false;
        TC_Books_Delete req;
        static_cast<T_Http_C &>(req) = route(JobType_BookDelete);
        req.localBookId = book->localId;
        req.bookId = book->bookId;
        m_bookManager->books_delete(req);
        return false;
    }
    case Syn_BookImported:
        append(Syn_NewBook, item.book_id, item.extra);
        return false;
    case Syn_FetchChapterList: {
        T_Book *book = m_bookManager->findBookByServerId(item.book_id);
        if (!book)
            return false;
        TC_Chapter_Menu req;
        static_cast<T_Http_C &>(req) = route(JobType_ChapterMenu);
        req.localBookId = book->localId;
        req.bookId = book->bookId;
        req.order = QStringLiteral("asc");
        append(Syn_EndMarker, item.book_id);
        return m_bookManager->chapter_menu(req);
    }
    default:
        return false;
    }
}

bool CSynDataManager::applyChapterItem(const T_SynchronizaTion_SynBookDataItem &item)
{
    T_Book *book = m_bookManager->findBookByServerId(item.book_id);
    if (!book)
        return false;
    const QJsonObject extra = extraOf(item);
    T_Chapter *chapter = CBookJobManager::findChapterByServerId(book, item.chapter_id);

    switch (item.change_type) {
    case Syn_NewChapter: {
        TC_Chapter_Create req;
        static_cast<T_Http_C &>(req) = route(JobType_ChapterAdd);
        req.localBookId = book->localId;
        req.bookId = book->bookId;
        req.chapterId = item.chapter_id;
        req.chapterName = extra.value(QStringLiteral("chapter_name")).toString();
        req.order_num = extraInt(extra, "order_num");
        req.update_time = extraInt(extra, "create_time") + req.order_num;
        m_bookManager->chapter_create(req);
        // A text written here outlived a delete made earlier elsewhere.
        const QString from = extra.value(QStringLiteral("recovered_from")).toString();
        if (!from.isEmpty())
            m_ui->showTips(tr("\"%1\" was deleted on another machine; the text written here was kept as the "
                              "new chapter \"%2\" at the end of the book")
                               .arg(from.trimmed(), req.chapterName),
                           2);
        return false;
    }
    case Syn_ChapterMoved:
    case Syn_ChapterRecycled:
    case Syn_ChapterRestored: {
        // The list as the server has it now: items of moves and of the bin
        // may be older than changes made here meanwhile.
        TC_Chapter_Menu req;
        static_cast<T_Http_C &>(req) = route(JobType_ChapterMenu);
        req.localBookId = book->localId;
        req.bookId = book->bookId;
        req.order = QStringLiteral("asc");
        return m_bookManager->chapter_menu(req);
    }
    case Syn_ChapterBatch: {
        TC_Chapter_GetChapters req;
        static_cast<T_Http_C &>(req) = route(JobType_ChapterBatchFetch);
        req.localBookId = book->localId;
        req.bookId = book->bookId;
        req.cIds = extra.value(QStringLiteral("cids")).toString();
        if (req.cIds.isEmpty())
            return false;
        return m_bookManager->chapter_getChapters(req);
    }
    default:
        break;
    }

    if (!chapter) {
        // Not known here by that id yet (its creation's answer may still be
        // on its way): the id is remembered, and the answer deletes it.
        if (item.change_type == Syn_ChapterDeleted)
            CLocalEdits::instance().chapterDeleted(item.chapter_id);
        return false;
    }
    T_Http_C ids = route(0);
    ids.localBookId = book->localId;
    ids.bookId = book->bookId;
    ids.localChapterId = chapter->localId;
    ids.chapterId = chapter->chapterId;
    switch (item.change_type) {
    case Syn_ChapterDeleted: {
        TC_Chapter_Del req;
        static_cast<T_Http_C &>(req) = ids;
        req.jobType = JobType_ChapterDelete;
        m_bookManager->chapter_delete(req);
        return false;
    }
    case Syn_ChapterContent:
        ids.jobType = JobType_ChapterContent;
        return m_bookManager->chapter_content(ids);
    case Syn_TimeMachine:
        if (extra.value(QStringLiteral("kept")).toInt() == 1)
            tellVersionKept(*book, *chapter);
        ids.jobType = JobType_TimeMachine;
        return m_bookManager->chapter_timeMachine(ids);
    default:
        return false;
    }
}

bool CSynDataManager::applyMemoItem(const T_SynchronizaTion_SynBookDataItem &item)
{
    CMemoManager *memos = CMemoManager::instance();
    const int memoId = item.book_id; // memo changes carry the memo's id there
    T_Memo *memo = memos->findMemoByServerId(memoId);
    T_Http_C ids = route(JobType_MemoDetail);
    ids.memoId = memoId;

    switch (item.change_type) {
    case Syn_NewMemo:
        if (!memo) {
            TC_Memo_Add req;
            static_cast<T_Http_C &>(req) = route(JobType_MemoAdd);
            req.memoId = memoId;
            if (!memos->addMemo(req) || req.localMemoId < 1)
                return false;
            ids.localMemoId = req.localMemoId;
        } else {
            ids.localMemoId = memo->localId;
        }
        return memos->memoDetail(ids);
    case Syn_MemoChanged:
        if (!memo)
            return false;
        ids.localMemoId = memo->localId;
        return memos->memoDetail(ids);
    case Syn_MemoDeleted: {
        if (!memo)
            return false;
        TC_Memo_Del req;
        static_cast<T_Http_C &>(req) = route(JobType_MemoDelete);
        req.localMemoId = memo->localId;
        req.memoId = memoId;
        memos->memoDel(req);
        return false;
    }
    default:
        return false;
    }
}

bool CSynDataManager::applyAuthorItem(const T_SynchronizaTion_SynBookDataItem &item)
{
    switch (item.change_type) {
    case Syn_Statistics: {
        TC_AuthorCount_UserData req;
        static_cast<T_Http_C &>(req) = route(JobType_StatisticsFetch);
        m_http->authorCountUserDataAsyn(req);
        return true;
    }
    case Syn_Profile:
        m_http->authorInfoAsyn(route(JobType_AuthorInfo));
        return true;
    case Syn_SensitiveWords: {
        TC_Sensitive_Get req;
        static_cast<T_Http_C &>(req) = route(JobType_SensitiveFetch);
        req.sensitiveType = 2;
        m_http->sensitiveGetAsyn(req);
        return true;
    }
    default:
        return false;
    }
}

void CSynDataManager::keepTextsOfDeletedBook(const QJsonObject &extra)
{
    // Texts written here that the server held when an older delete of
    // their book arrived from another machine.
    const QString bookName = extra.value(QStringLiteral("book_name")).toString();
    const QJsonArray kept = extra.value(QStringLiteral("kept")).toArray();
    for (const QJsonValue &value : kept) {
        const QJsonObject chapter = value.toObject();
        const QString name = chapter.value(QStringLiteral("chapter_name")).toString();
        const QString path = CBookJobManager::writeRecoveredFile(
            bookName, name, chapter.value(QStringLiteral("content")).toString());
        if (path.isEmpty())
            continue;
        qWarning() << "text of a chapter of the deleted book" << bookName << "saved to" << path;
        m_ui->showTips(tr("\"%1\" was deleted on another machine; the text written here was saved to %2")
                           .arg(bookName.trimmed(), QDir::toNativeSeparators(path)),
                       2);
    }
}

void CSynDataManager::tellVersionKept(const T_Book &book, const T_Chapter &chapter)
{
    qWarning() << "the text of chapter" << chapter.localId
               << "was replaced by an older save; kept as a snapshot";
    m_ui->showTips(tr("Another machine saved an older version of \"%1\"; the text written here was kept in "
                      "the time machine")
                       .arg(chapter.name),
                   2);
    emit sig_VersionKept(book.localId, chapter.localId);
}

// Log ------------------------------------------------------------------------

QString CSynDataManager::synTypeText(const T_SynchronizaTion_SynBookDataItem &item)
{
    const char *text = nullptr;
    switch (item.change_type) {
    case Syn_NewBook:
        text = "新建书籍[%1,%2,%3]";
        break;
    case Syn_BookInfo:
        text = "书籍信息更新[%1,%2,%3]";
        break;
    case Syn_BookDeleted:
        text = "书籍删除[%1,%2,%3]";
        break;
    case Syn_NewChapter:
        text = "新建章节[%1,%2,%3]";
        break;
    case Syn_ChapterMoved:
        text = "章节移动[%1,%2,%3]";
        break;
    case Syn_ChapterRecycled:
        text = "章节软删除[%1,%2,%3]";
        break;
    case Syn_ChapterDeleted:
        text = "章节硬删除[%1,%2,%3]";
        break;
    case Syn_ChapterRestored:
        text = "章节恢复[%1,%2,%3]";
        break;
    case Syn_ChapterContent:
        text = "章节内容更新[%1,%2,%3]";
        break;
    case Syn_BookImported:
        text = "书籍导入[%1,%2,%3]";
        break;
    case Syn_TimeMachine:
        text = "时光机更新[%1,%2,%3]";
        break;
    case Syn_Statistics:
        text = "统计数据更新[%1,%2,%3]";
        break;
    case Syn_Profile:
        text = "用户信息更新[%1,%2,%3]";
        break;
    case Syn_QuickInput:
        text = "快捷输入[%1,%2,%3]";
        break;
    case Syn_NewMemo:
        text = "新建便签[%1,%2,%3]";
        break;
    case Syn_MemoChanged:
        text = "便签内容更新[%1,%2,%3]";
        break;
    case Syn_MemoDeleted:
        text = "便签删除[%1,%2,%3]";
        break;
    case Syn_SensitiveWords:
        text = "私有敏感词更新[%1,%2,%3]";
        break;
    case Syn_ChapterBatch:
        text = "批量获取章节数据[%1,%2,%3]";
        break;
    case Syn_FetchChapterList:
        text = "获取章节目录[%1,%2,%3]";
        break;
    default:
        text = item.change_type >= Syn_EndMarker ? "同步结束标记[%1,%2,%3]" : "无效同步类型[%1,%2,%3]";
        break;
    }
    return QString::fromUtf8(text).arg(item.book_id).arg(item.chapter_id).arg(item.id);
}

void CSynDataManager::printSynType(const T_SynchronizaTion_SynBookDataItem *item, bool applying)
{
    if (!item)
        return;
    const QString text = synTypeText(*item);
    if (applying)
        qDebug().noquote() << "syndata apply" << text;
    else
        qDebug().noquote() << "syndata item" << text;
}
