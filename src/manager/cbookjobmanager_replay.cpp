// CBookJobManager: replay of queued book and chapter jobs and their replies.
#include "cbookjobmanager.h"

#include "clocaledits.h"
#include "db/cquorvindb.h"
#include "manager/cuimanager.h"
#include "manager/jobheader.h"
#include "remote/chttputil.h"
#include "remote/cquorvinhttp.h"
#include "remote/cquorvinparser.h"

#include <QDebug>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QVector>

namespace {

QJsonObject jobObject(const QString &content)
{
    return QJsonDocument::fromJson(content.toUtf8()).object();
}

template <class Request> Request requestOf(const T_JobData &job)
{
    Request req;
    static_cast<T_Http_C &>(req) = jobHeader(job);
    return req;
}

} // namespace

void CBookJobManager::printJobData(const T_JobData &job) const
{
    switch (job.jobType) {
    case JobType_BookAdd:
        qDebug() << QString::fromUtf8("新建书籍") << job.content << "jobId =" << job.jobId;
        break;
    case JobType_ChapterAdd:
        qDebug()
            << QString::fromUtf8("新建章节 == %1 [%2]").arg(HttpUtil::timeText(job.createTime), job.content)
            << " time :  " << job.createTime + job.ext1 << " orderNum :  " << job.ext1;
        qDebug() << "create chapter name = " << job.content;
        break;
    default:
        qDebug() << "replay jobType =" << job.jobType << ", jobId =" << job.jobId
                 << ", localBookId =" << job.localBookId << ", localChapterId =" << job.localChapterId;
        break;
    }
}

bool CBookJobManager::execUserJob(const T_JobData &job)
{
    printJobData(job);
    // The in-memory book and chapter hold the newest server ids (a job stored
    // by the import thread may predate the write-back of the book's id).
    T_JobData current = job;
    const T_Book *book = findBook(job.localBookId);
    if (book && current.bookId < 1)
        current.bookId = book->bookId;
    if (const T_Chapter *chapter = findChapter(book, job.localChapterId))
        if (current.chapterId < 1)
            current.chapterId = chapter->chapterId;
    const bool hasBook = current.bookId >= 1;
    const bool hasChapter = hasBook && current.chapterId >= 1;

    switch (job.jobType) {
    case JobType_BookAdd: {
        auto req = requestOf<TC_Books_AddBook>(current);
        req.bookName = book ? book->bookName : job.content;
        req.update_time = job.createTime;
        if (req.bookName.isEmpty())
            return false;
        m_http->booksAddBookAsyn(req);
        return true;
    }
    case JobType_BookDelete: {
        if (!hasBook)
            return false;
        auto req = requestOf<TC_Books_Delete>(current);
        req.update_time = job.createTime;
        m_http->booksDeleteAsyn(req);
        return true;
    }
    case JobType_BookEdit: {
        if (!hasBook)
            return false;
        const QJsonObject json = jobObject(job.content);
        auto req = requestOf<TC_Books_Edit>(current);
        req.bookName = json.value(QStringLiteral("bookName")).toString();
        req.intro = json.value(QStringLiteral("intro")).toString();
        req.channelType = json.value(QStringLiteral("channelType")).toInt();
        req.cateId = json.value(QStringLiteral("cateId")).toInt();
        req.cateFid = json.value(QStringLiteral("cateFid")).toInt();
        req.localCover = json.value(QStringLiteral("localCover")).toString();
        if (!req.localCover.isEmpty() && QFileInfo(req.localCover).isFile())
            HttpUtil::imageToDataUri(req.localCover, req.cover);
        req.update_time = job.createTime;
        m_http->booksEditAsyn(req);
        return true;
    }
    case JobType_ChapterAdd: {
        if (!hasBook)
            return false;
        auto req = requestOf<TC_Chapter_Create>(current);
        req.chapterName = job.content;
        req.order_num = job.ext1;
        req.update_time = job.createTime + job.ext1;
        m_http->chapterCreateAsyn(req);
        return true;
    }
    case JobType_ChapterBatchAdd: {
        if (!hasBook)
            return false;
        auto req = requestOf<TC_Chapter_BatchCreate>(current);
        req.list = job.content;
        req.update_time = job.createTime;
        m_http->chapterBatchCreateAsyn(req);
        return true;
    }
    case JobType_ChapterRecycle: {
        if (!hasChapter)
            return false;
        auto req = requestOf<TC_Chapter_Recycle>(current);
        req.status = job.content.toInt();
        req.update_time = job.createTime;
        m_http->chapterRecycleAsyn(req);
        return true;
    }
    case JobType_ChapterDelete: {
        if (!hasChapter)
            return false;
        auto req = requestOf<TC_Chapter_Del>(current);
        req.update_time = job.createTime;
        m_http->chapterDelAsyn(req);
        return true;
    }
    case JobType_ChapterEdit: {
        if (!hasChapter)
            return false;
        const QJsonObject json = jobObject(job.content);
        const bool hasName = json.contains(QStringLiteral("name"));
        const bool hasContent = json.contains(QStringLiteral("content"));
        auto req = requestOf<TC_Chapter_Edit>(current);
        req.chapterName = json.value(QStringLiteral("name")).toString();
        req.content = json.value(QStringLiteral("content")).toString();
        req.update_time = job.createTime;
        // Only what changed goes out: a rename alone must not empty the text.
        if (hasName && hasContent)
            m_http->chapterEditAsyn(req);
        else if (hasContent)
            m_http->chapterEditContentAsyn(req);
        else if (hasName)
            m_http->chapterEditNameAsyn(req);
        else
            return false;
        return true;
    }
    case JobType_ChapterMove: {
        if (!hasChapter)
            return false;
        auto req = requestOf<TC_Chapter_Move>(current);
        req.direction = job.content.toInt();
        req.update_time = job.createTime;
        m_http->chapterMoveAsyn(req);
        return true;
    }
    case JobType_ContentBlade: {
        if (!hasChapter)
            return false;
        const QJsonObject json = jobObject(job.content);
        auto req = requestOf<TC_Chapter_ContentBlade>(current);
        req.content = json.value(QStringLiteral("content")).toString();
        req.chapterName = json.value(QStringLiteral("chapterName")).toString();
        req.createTime = job.createTime;
        req.update_time = job.createTime;
        m_http->chapterContentBladeAsyn(req);
        return true;
    }
    default:
        return false;
    }
}

void CBookJobManager::asynBack(const T_Http_C &route, const QByteArray &body)
{
    switch (route.jobType) {
    case JobType_BookAdd:
        onBookAdded(route, body);
        break;
    case JobType_BookInfo:
        onBookInfo(route, body);
        break;
    case JobType_BookEdit:
        onBookEdited(route, body);
        break;
    case JobType_ChapterAdd:
        onChapterCreated(route, body);
        break;
    case JobType_ChapterBatchAdd:
        onChapterBatchCreated(route, body);
        break;
    case JobType_ChapterMenu:
        onChapterMenu(route, body);
        break;
    case JobType_ChapterContent:
        onChapterContent(route, body);
        break;
    case JobType_ChapterBatchFetch:
        onChapterBatchFetched(route, body);
        break;
    case JobType_TimeMachine:
        onTimeMachine(route, body);
        break;
    default:
        break;
    }
}

void CBookJobManager::onBookAdded(const T_Http_C &route, const QByteArray &body)
{
    TS_Books_AddBook res;
    CQuorvinParser::parse(body, res);
    if (res.code != 200 || res.bookId < 1 || res.localId < 1)
        return;
    T_Book *book = findBook(res.localId);
    if (!book) {
        // Deleted here while the creation was on its way: delete it there
        // too. The delete queued behind the creation takes the server id.
        m_db->setBookServerId(res.localId, res.bookId);
        if (m_db->findJob(JobType_BookDelete, QStringLiteral("localBookId"), res.localId) > 0)
            return;
        TC_Books_Delete del;
        del.uid = route.uid > 0 ? route.uid : uid();
        del.localBookId = res.localId;
        del.bookId = res.bookId;
        del.jobType = JobType_BookDelete;
        m_db->addJob(del, QString(), m_db->currentTime());
        return;
    }
    if (!m_db->setBookServerId(res.localId, res.bookId))
        return;
    book->bookId = res.bookId;
    for (const QList<T_Chapter *> *list : {&book->chapterList, &book->recycleList})
        for (T_Chapter *chapter : *list)
            chapter->bookId = res.bookId;
    m_ui->onBookChanged(book);
}

void CBookJobManager::onBookInfo(const T_Http_C &route, const QByteArray &body)
{
    TS_Books_Info res;
    CQuorvinParser::parse(body, res);
    T_Book *book = findBook(route.localBookId);
    if (!book)
        book = findBookByServerId(res.bookId > 0 ? res.bookId : route.bookId);
    // Books are deleted for good: one the server no longer has is gone.
    if (res.code == 404 && book && route.bookId > 0 && book->bookId == route.bookId) {
        deleteBookGoneOnServer(book);
        return;
    }
    if (res.code != 200 || !book ||
        !CLocalEdits::instance().mayApply(CLocalEdits::Book, book->localId, route))
        return;
    if (!res.bookName.isEmpty())
        book->bookName = res.bookName;
    book->intro = res.intro;
    book->cateId = res.cateId;
    book->cateFid = res.firstCateId;
    book->channelType = res.channelType;
    if (!res.cover.isEmpty())
        book->coverUrl = res.cover;
    if (res.updateTime > 0)
        book->updateTime = res.updateTime;
    m_db->updateBook(*book);
    m_ui->onBookChanged(book);
}

void CBookJobManager::onBookEdited(const T_Http_C &route, const QByteArray &body)
{
    TS_Books_Edit res;
    CQuorvinParser::parse(body, res);
    T_Book *book = findBook(route.localBookId);
    if (res.code != 200 || !book || res.cover.isEmpty())
        return;
    book->coverUrl = res.cover;
    m_db->updateBook(*book);
    m_ui->onBookChanged(book);
}

void CBookJobManager::onChapterCreated(const T_Http_C &route, const QByteArray &body)
{
    TS_Chapter_Create res;
    CQuorvinParser::parse(body, res);
    if (res.code != 200 || res.chapterId < 1)
        return;
    T_Book *book = findBook(route.localBookId);
    T_Chapter *chapter = findChapter(book, route.localChapterId);
    if (!chapter) {
        // A book whose chapters are not read yet still has the row.
        if (!m_db->chapterExists(route.localChapterId))
            deleteVanishedChapter(route, res.bookId > 0 ? res.bookId : route.bookId, route.localChapterId,
                                  res.chapterId);
        else
            m_db->setChapterServerId(route.localChapterId, res.chapterId);
        return;
    }
    if (!m_db->setChapterServerId(chapter->localId, res.chapterId))
        return;
    chapter->chapterId = res.chapterId;
    m_ui->onChapterListChanged(book);
    if (CLocalEdits::instance().isDeletedChapter(res.chapterId))
        deleteChapterGoneOnServer(book, chapter);
}

void CBookJobManager::deleteVanishedChapter(const T_Http_C &route, int bookId, int localChapterId,
                                            int chapterId)
{
    // Deleted for good here while its creation was on its way (or still
    // queued in a batch). A delete queued behind the creation takes the
    // server id; otherwise one is queued now.
    m_db->setChapterServerId(localChapterId, chapterId);
    if (m_db->findJob(JobType_ChapterDelete, QStringLiteral("localChapterId"), localChapterId) > 0)
        return;
    TC_Chapter_Del del;
    del.uid = route.uid > 0 ? route.uid : uid();
    del.localBookId = route.localBookId;
    del.bookId = bookId;
    del.localChapterId = localChapterId;
    del.chapterId = chapterId;
    del.jobType = JobType_ChapterDelete;
    if (del.bookId >= 1)
        m_db->addJob(del, QString(), m_db->currentTime());
}

void CBookJobManager::onChapterBatchCreated(const T_Http_C &route, const QByteArray &body)
{
    TS_Chapter_BatchCreate res;
    CQuorvinParser::parse(body, res);
    T_Book *book = findBook(route.localBookId);
    if (res.code == 200) {
        for (const T_Chapter_BatchCreateItemPtr &item : qAsConst(res.chapters)) {
            if (item->localId < 1 || item->chapterId < 1)
                continue;
            // The whole book gone: its own delete removes the chapters.
            if (!book)
                continue;
            if (!m_db->chapterExists(item->localId)) {
                deleteVanishedChapter(route, book->bookId > 0 ? book->bookId : route.bookId, item->localId,
                                      item->chapterId);
                continue;
            }
            if (!m_db->setChapterServerId(item->localId, item->chapterId))
                continue;
            T_Chapter *chapter = findChapter(book, item->localId);
            if (!chapter)
                continue;
            chapter->chapterId = item->chapterId;
            if (CLocalEdits::instance().isDeletedChapter(item->chapterId))
                deleteChapterGoneOnServer(book, chapter);
        }
    }
    if (book)
        advanceImport(book);
}

void CBookJobManager::onChapterMenu(const T_Http_C &route, const QByteArray &body)
{
    TS_Chapter_Menu res;
    CQuorvinParser::parse(body, res);
    T_Book *book = bookOf(route);
    if (res.code != 200 || !book)
        return;
    CLocalEdits &edits = CLocalEdits::instance();
    // Order and bin as the server has them, unless a move, recycle or delete
    // of this book was made here since: then the list is fetched again once
    // those are answered.
    const bool takeOrder = edits.mayApply(CLocalEdits::Order, book->localId, route);
    for (const T_Chapter_MenuItemPtr &item : qAsConst(res.menu)) {
        T_Chapter *chapter = findChapterByServerId(book, item->chapterId);
        // An unknown chapter may be one created here whose answer is still
        // on its way: the list is fetched again once it has come.
        if (!chapter && (!takeOrder || edits.isDeletedChapter(item->chapterId)))
            continue;
        if (!chapter) {
            chapter =
                storeChapter(book, item->chapterName, item->orderNum, m_db->currentTime(), item->chapterId);
            if (!chapter)
                continue;
            chapter->status = item->status == 0 ? 0 : 1;
            m_db->setChapterOrder(chapter->localId, chapter->orderNum, chapter->status);
            insertByOrder(chapter->status == 0 ? book->recycleList : book->chapterList, chapter);
            // The list carries no text.
            T_Http_C ids;
            takeServerIds(ids, book, chapter);
            chapter_content(ids);
            continue;
        }
        if (chapter->name != item->chapterName &&
            edits.mayApply(CLocalEdits::Chapter, chapter->localId, route) &&
            m_db->renameChapter(chapter->localId, item->chapterName))
            chapter->name = item->chapterName;
        if (!takeOrder)
            continue;
        book->chapterList.removeOne(chapter);
        book->recycleList.removeOne(chapter);
        chapter->orderNum = item->orderNum;
        chapter->status = item->status == 0 ? 0 : 1;
        m_db->setChapterOrder(chapter->localId, chapter->orderNum, chapter->status);
        insertByOrder(chapter->status == 0 ? book->recycleList : book->chapterList, chapter);
    }
    recountBook(book);
    m_db->updateBook(*book);
    m_ui->onChapterListChanged(book);
    if (takeOrder) {
        QSet<int> listed;
        for (const T_Chapter_MenuItemPtr &item : qAsConst(res.menu))
            listed.insert(item->chapterId);
        askForUnlistedChapters(book, listed);
    }
}

void CBookJobManager::askForUnlistedChapters(T_Book *book, const QSet<int> &listed)
{
    // A chapter with a server id that the server's whole list leaves out was
    // most likely deleted for good there, and the feed's item saying so was
    // missed (a restart, an answer that came late). The list alone is no
    // proof: it may have been made before the chapter reached the server.
    // So each one is asked for; "no such chapter" deletes it here.
    for (const QList<T_Chapter *> *list : {&book->chapterList, &book->recycleList})
        for (const T_Chapter *chapter : *list)
            if (chapter->chapterId > 0 && !listed.contains(chapter->chapterId)) {
                T_Http_C ids;
                takeServerIds(ids, book, chapter);
                chapter_content(ids);
            }
}

void CBookJobManager::deleteBookGoneOnServer(T_Book *book)
{
    qWarning() << "book" << book->localId << "(" << book->bookId
               << ") is no longer on the server: deleted here too";
    TC_Books_Delete del;
    takeServerIds(del, book, nullptr);
    del.uid = uid();
    del.jobType = JobType_BookDelete;
    del.synStep = 1; // as the server's own delete: nothing is sent
    books_delete(del);
}

void CBookJobManager::deleteChapterGoneOnServer(T_Book *book, T_Chapter *chapter)
{
    qWarning() << "chapter" << chapter->localId << "(" << chapter->chapterId
               << ") is no longer on the server: deleted here too";
    TC_Chapter_Del del;
    takeServerIds(del, book, chapter);
    del.uid = uid();
    del.jobType = JobType_ChapterDelete;
    del.synStep = 1; // as the server's own delete: nothing is sent
    chapter_delete(del);
}

void CBookJobManager::onChapterContent(const T_Http_C &route, const QByteArray &body)
{
    TS_Chapter_Chapter res;
    CQuorvinParser::parse(body, res);
    T_Book *book = bookOf(route);
    if (!book)
        return;
    // Chapters are deleted for good: one the server no longer has is gone.
    if (res.code == 404 && route.chapterId > 0) {
        if (T_Chapter *gone = findChapterByServerId(book, route.chapterId))
            deleteChapterGoneOnServer(book, gone);
        return;
    }
    if (res.code != 200)
        return;
    T_Chapter *chapter = findChapterByServerId(book, res.chapterId > 0 ? res.chapterId : route.chapterId);
    if (!chapter)
        chapter = findChapter(book, route.localChapterId);
    // A text saved here since the fetch went out is newer than the fetched one.
    if (!chapter || !CLocalEdits::instance().mayApply(CLocalEdits::Chapter, chapter->localId, route))
        return;
    const int words = CUiManager::countWords(res.content);
    if (!m_db->setChapterContent(chapter->localId, res.content, words))
        return;
    const bool renamed = !res.chapterName.isEmpty() && res.chapterName != chapter->name &&
                         m_db->renameChapter(chapter->localId, res.chapterName);
    if (renamed)
        chapter->name = res.chapterName;
    const bool wasLoaded = chapter->isContentLoaded;
    const QString previous = chapter->content;
    chapter->content = res.content;
    chapter->isContentLoaded = true;
    chapter->wordCount = words;
    recountBook(book);
    m_db->updateBook(*book);
    m_ui->onBookChanged(book);
    if (renamed)
        m_ui->onChapterListChanged(book);
    if (wasLoaded && previous != res.content)
        m_ui->onChapterTextReplaced(chapter, previous);
}

void CBookJobManager::onChapterBatchFetched(const T_Http_C &route, const QByteArray &body)
{
    TS_Chapter_GetChapters res;
    CQuorvinParser::parse(body, res);
    T_Book *book = bookOf(route);
    if (res.code != 200 || !book)
        return;
    CLocalEdits &edits = CLocalEdits::instance();
    const bool takeOrder = edits.mayApply(CLocalEdits::Order, book->localId, route);
    QVector<QPair<T_Chapter *, QString>> replaced; // chapter, its text before
    for (const T_Chapter_ChapterItemPtr &item : qAsConst(res.chapters)) {
        T_Chapter *chapter = findChapterByServerId(book, item->chapterId);
        const bool isNew = !chapter;
        if (isNew && (!takeOrder || edits.isDeletedChapter(item->chapterId)))
            continue;
        if (isNew) {
            chapter =
                storeChapter(book, item->chapterName, item->orderNum, item->createTime, item->chapterId);
            if (!chapter)
                continue;
        }
        if (isNew || edits.mayApply(CLocalEdits::Chapter, chapter->localId, route)) {
            if (!isNew && chapter->isContentLoaded && chapter->content != item->content)
                replaced.append({chapter, chapter->content});
            chapter->name = item->chapterName;
            chapter->content = item->content;
            chapter->isContentLoaded = true;
            chapter->wordCount = CUiManager::countWords(item->content);
        } else if (!m_db->ensureChapterContent(*chapter)) {
            continue;
        }
        if (isNew || takeOrder) {
            book->chapterList.removeOne(chapter);
            book->recycleList.removeOne(chapter);
            chapter->orderNum = item->orderNum;
            chapter->status = item->status == 0 ? 0 : 1;
            insertByOrder(chapter->status == 0 ? book->recycleList : book->chapterList, chapter);
        }
        if (item->createTime > 0)
            chapter->createTime = item->createTime;
        m_db->updateChapter(*chapter);
    }
    recountBook(book);
    m_db->updateBook(*book);
    m_ui->onChapterListChanged(book);
    for (const auto &change : qAsConst(replaced))
        m_ui->onChapterTextReplaced(change.first, change.second);
}

void CBookJobManager::onTimeMachine(const T_Http_C &route, const QByteArray &body)
{
    TS_Chapter_TimeMachine res;
    CQuorvinParser::parse(body, res);
    T_Book *book = bookOf(route);
    if (res.code != 200 || !book)
        return;
    T_Chapter *chapter = findChapterByServerId(book, route.chapterId);
    if (!chapter)
        chapter = findChapter(book, route.localChapterId);
    if (!chapter || chapter->chapterId < 1)
        return;
    QList<T_ContentBlade> blades;
    for (const T_Chapter_TimeMachineItemPtr &item : qAsConst(res.blade)) {
        T_ContentBlade blade;
        blade.bladeId = item->id;
        blade.content = item->content;
        blade.createTime = item->createTime;
        blade.wordCount = item->wordNum;
        blades.append(blade);
    }
    m_db->replaceContentBlades(uid(), book->localId, chapter->localId, book->bookId, chapter->chapterId,
                               blades);
}
