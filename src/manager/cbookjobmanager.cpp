// CBookJobManager: the local operations on books and chapters.
#include "cbookjobmanager.h"

#include "apppaths.h"
#include "clocaledits.h"
#include "db/cquorvindb.h"
#include "db/jsonmembers.h"
#include "manager/cjobmanager.h"
#include "manager/cuimanager.h"
#include "manager/jobheader.h"
#include "remote/chttputil.h"
#include "remote/cquorvinhttp.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

namespace {

QString compactJson(const QJsonObject &object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

} // namespace

CBookJobManager::CBookJobManager(QObject *parent)
    : QObject(parent), m_http(CQuorvinHttp::instance()), m_db(CQuorvinDb::instance()),
      m_session(&T_SessionData::instance()), m_ui(CUiManager::instance())
{
    qRegisterMetaType<T_Book *>("T_Book*");
    qRegisterMetaType<T_Chapter *>("T_Chapter*");
    qRegisterMetaType<QList<T_Chapter *>>("QList<T_Chapter*>");
    qRegisterMetaType<TC_Books_AddBook *>("TC_Books_AddBook*");
    connect(this, &CBookJobManager::sig_ImportBookThreadComplete, this,
            &CBookJobManager::on_ImportBookThreadComplete, Qt::QueuedConnection);
    connect(this, &CBookJobManager::sig_ImportBookStep, this, &CBookJobManager::on_ImportBookStep);
    connect(this, &CBookJobManager::sig_ImportBookCreated, this, &CBookJobManager::on_ImportBookCreated,
            Qt::QueuedConnection);
    connect(this, &CBookJobManager::sig_ImportChapterBatch, this, &CBookJobManager::on_ImportChapterBatch,
            Qt::QueuedConnection);
    connect(this, &CBookJobManager::sig_ImportChapterTooLong, this, &CBookJobManager::on_ImportChapterTooLong,
            Qt::QueuedConnection);
    connect(this, &CBookJobManager::sig_ImportBookFinished, this, &CBookJobManager::on_ImportBookFinished,
            Qt::QueuedConnection);
}

CBookJobManager *CBookJobManager::instance()
{
    static CBookJobManager *manager = new CBookJobManager;
    return manager;
}

int CBookJobManager::uid() const
{
    return m_session->author.uid;
}

bool CBookJobManager::loadBooks()
{
    const bool ok = m_db->getBooks(uid(), m_session->books);
    m_ui->onBookListChanged();
    return ok;
}

T_Book *CBookJobManager::findBook(int localBookId) const
{
    if (localBookId < 1)
        return nullptr;
    for (T_Book *book : qAsConst(m_session->books))
        if (book->localId == localBookId)
            return book;
    return nullptr;
}

T_Book *CBookJobManager::findBookByServerId(int bookId) const
{
    if (bookId < 1)
        return nullptr;
    for (T_Book *book : qAsConst(m_session->books))
        if (book->bookId == bookId)
            return book;
    return nullptr;
}

T_Chapter *CBookJobManager::findChapter(const T_Book *book, int localChapterId)
{
    if (!book || localChapterId < 1)
        return nullptr;
    for (const QList<T_Chapter *> *list : {&book->chapterList, &book->recycleList})
        for (T_Chapter *chapter : *list)
            if (chapter->localId == localChapterId)
                return chapter;
    return nullptr;
}

T_Chapter *CBookJobManager::findChapterByServerId(const T_Book *book, int chapterId)
{
    if (!book || chapterId < 1)
        return nullptr;
    for (const QList<T_Chapter *> *list : {&book->chapterList, &book->recycleList})
        for (T_Chapter *chapter : *list)
            if (chapter->chapterId == chapterId)
                return chapter;
    return nullptr;
}

// The synchroniser names objects by their server ids; pages by local ids.
T_Book *CBookJobManager::bookOf(const T_Http_C &req) const
{
    if (T_Book *book = findBook(req.localBookId))
        return book;
    return req.localBookId < 1 ? findBookByServerId(req.bookId) : nullptr;
}

void CBookJobManager::takeServerIds(T_Http_C &req, const T_Book *book, const T_Chapter *chapter)
{
    req.localBookId = book->localId;
    req.bookId = book->bookId;
    if (chapter) {
        req.localChapterId = chapter->localId;
        req.chapterId = chapter->chapterId;
    }
}

QString CBookJobManager::defaultChapterName(int localBookId) const
{
    int highest = 0;
    if (const T_Book *book = findBook(localBookId))
        for (const QList<T_Chapter *> *list : {&book->chapterList, &book->recycleList})
            for (const T_Chapter *chapter : *list)
                highest = qMax(highest, chapter->orderNum);
    return QString::fromUtf8("第%1章 ").arg(highest + 1);
}

bool CBookJobManager::listsBefore(const T_Chapter *a, const T_Chapter *b)
{
    if (a->orderNum != b->orderNum)
        return a->orderNum < b->orderNum;
    // Equal order numbers: by server id, chapters not yet on the server last
    // by local id, the same order the server lists them in.
    const bool aKnown = a->chapterId > 0, bKnown = b->chapterId > 0;
    if (aKnown != bKnown)
        return aKnown;
    if (aKnown && a->chapterId != b->chapterId)
        return a->chapterId < b->chapterId;
    return a->localId < b->localId;
}

void CBookJobManager::insertByOrder(QList<T_Chapter *> &list, T_Chapter *chapter)
{
    list.insert(std::upper_bound(list.begin(), list.end(), chapter, &CBookJobManager::listsBefore), chapter);
}

void CBookJobManager::recountBook(T_Book *book)
{
    int words = 0;
    for (const T_Chapter *chapter : qAsConst(book->chapterList))
        words += chapter->wordCount;
    book->wordNum = words;
    book->chapterCount = book->chapterList.size();
}

// Books ----------------------------------------------------------------------

T_Book *CBookJobManager::books_addBook(TC_Books_AddBook &req)
{
    req.uid = uid();
    if (T_Book *present = findBookByServerId(req.bookId)) {
        req.localBookId = present->localId;
        m_ui->onBookChanged(present);
        return nullptr;
    }
    if (req.uid < 1 || req.bookName.trimmed().isEmpty())
        return nullptr;
    const bool fromServer = req.synStep != 0;
    // The book and the job that creates it on the server are stored together.
    int localId = 0;
    T_Http_C header = req;
    header.jobType = JobType_BookAdd;
    if (!m_db->together([&] {
            if (!m_db->insertBook(req.uid, req.bookName, req.bookId))
                return false;
            localId = m_db->lastInsertId(QStringLiteral("tb_book"));
            header.localBookId = localId;
            return localId > 0 && (fromServer || m_db->addJob(header, req.bookName, m_db->currentTime()));
        }))
        return nullptr;
    auto *book = new T_Book;
    book->localId = localId;
    book->bookId = req.bookId;
    book->authorId = req.uid;
    book->bookName = req.bookName;
    book->createTime = req.createTime > 0 ? req.createTime : m_db->currentTime();
    book->updateTime = book->createTime;
    book->isChaptersLoaded = true;
    req.localBookId = book->localId;
    m_session->books.prepend(book);
    m_ui->addBook(book, 0, false);

    if (!fromServer) {
        req.jobId = header.jobId;
        req.jobType = JobType_BookAdd;
        if (!req.fromImport) {
            TC_Chapter_Create first;
            first.localBookId = book->localId;
            first.chapterName = QString::fromUtf8("第1章 ");
            first.order_num = 1;
            chapter_create(first);
        }
    }
    // The new-book dialog's other fields travel as a book edit behind the creation.
    if (!req.localCover.isEmpty() || !req.intro.isEmpty() || req.cateId > 0 || req.channelType > 0) {
        TC_Books_Edit edit;
        edit.localBookId = book->localId;
        edit.synStep = req.synStep;
        edit.bookName = req.bookName;
        edit.intro = req.intro;
        edit.cateId = req.cateId;
        edit.cateFid = req.cateFid;
        edit.channelType = req.channelType;
        edit.localCover = req.localCover;
        books_edit(edit);
    }
    if (!fromServer && !req.fromImport) {
        TC_Books_AddBook send = req;
        send.next = 0;
        m_http->booksAddBookAsyn(send);
    }
    return book;
}

bool CBookJobManager::books_delete(TC_Books_Delete &req)
{
    T_Book *book = bookOf(req);
    if (!book)
        return false;
    if (m_importThreadBooks.contains(book->localId)) {
        // The import thread still hands this book its chapters.
        m_ui->showTips(
            tr("\"%1\" is still being imported: delete it once the import has finished").arg(book->bookName),
            0);
        return false;
    }
    takeServerIds(req, book, nullptr);
    req.uid = uid();
    chaptersLeaving(book);
    if (req.synStep != 0) {
        // Deleted on another machine: text not yet on the server is kept.
        for (const QList<T_Chapter *> *list : {&book->chapterList, &book->recycleList})
            for (T_Chapter *chapter : *list)
                if (hasUnsentText(*chapter))
                    recoverText(book, *chapter, true);
    }
    const int localBookId = book->localId;
    const int creation =
        req.synStep == 0 ? sentCreation(JobType_BookAdd, QStringLiteral("localBookId"), localBookId) : 0;
    if (req.synStep == 0)
        req.jobType = JobType_BookDelete;
    // The book's rows go with the job that deletes it on the server, or not at all.
    if (!m_db->together([&] {
            if (!m_db->deleteBook(localBookId))
                return false;
            if (req.synStep != 0)
                return true;
            if (req.bookId >= 1)
                return m_db->addJob(req, QString(), m_db->currentTime());
            // Its creation went out and may have reached the server: the
            // delete waits behind it for the server id its answer brings.
            if (creation > 0)
                return m_db->addDeleteBehindCreation(req, QStringLiteral("localBookId"), localBookId,
                                                     creation);
            // Never sent: its waiting jobs go, nothing is sent.
            return m_db->deleteObjectJobs(QStringLiteral("localBookId"), localBookId);
        }))
        return false;
    forgetBook(book);
    if (req.synStep == 0 && req.bookId >= 1)
        sendStoredJob(this, m_db, req.jobId);
    return true;
}

bool CBookJobManager::removeBookHere(T_Book *book)
{
    chaptersLeaving(book);
    if (!m_db->deleteBook(book->localId))
        return false;
    forgetBook(book);
    return true;
}

void CBookJobManager::chaptersLeaving(const T_Book *book)
{
    for (const QList<T_Chapter *> *list : {&book->chapterList, &book->recycleList})
        for (const T_Chapter *chapter : *list)
            m_ui->onChapterLeaving(chapter->localId);
}

void CBookJobManager::forgetBook(T_Book *book)
{
    const int row = m_session->books.indexOf(book);
    m_session->books.removeOne(book);
    m_ui->removeBook(row, book);
    delete book;
}

int CBookJobManager::sentCreation(int jobType, const QString &column, int localId) const
{
    const int jobId = m_db->findJob(jobType, column, localId);
    // The server takes a repeated creation as the same one: keeping one
    // that never went out costs a request, sweeping one that did leaves
    // the object there.
    return jobId > 0 && CJobManager::instance()->mayHaveBeenSent(jobId) ? jobId : 0;
}

QString CBookJobManager::copyCover(const QString &localCover) const
{
    const QFileInfo source(localCover);
    if (!source.exists() || !source.isFile())
        return QString();
    const QString md5 = HttpUtil::md5HexOfFile(localCover);
    if (md5.isEmpty())
        return QString();
    const QString folder = AppPaths::dataDir() + QStringLiteral("/bookImg/");
    QDir().mkpath(folder);
    const QString target = folder + md5 + QLatin1Char('.') + source.suffix();
    if (!QFileInfo::exists(target) && !QFile::copy(localCover, target)) {
        qWarning() << "cannot copy the cover" << localCover << "to" << target;
        return QString();
    }
    return target;
}

bool CBookJobManager::books_edit(TC_Books_Edit &req)
{
    T_Book *book = bookOf(req);
    if (!book)
        return false;
    req.uid = uid();
    takeServerIds(req, book, nullptr);
    // Kept to be put back when the change cannot be stored.
    const QString oldName = book->bookName, oldIntro = book->intro, oldCover = book->localCover;
    const int oldCateId = book->cateId, oldCateFid = book->cateFid, oldChannel = book->channelType,
              oldUpdate = book->updateTime;
    if (!req.bookName.trimmed().isEmpty())
        book->bookName = req.bookName;
    book->cateId = req.cateId;
    book->cateFid = req.cateFid;
    book->channelType = req.channelType;
    book->intro = req.intro;
    req.cover.clear();
    if (!req.localCover.isEmpty() && req.localCover != book->localCover) {
        const QString copy = copyCover(req.localCover);
        if (!copy.isEmpty()) {
            book->localCover = copy;
            HttpUtil::imageToDataUri(copy, req.cover);
        }
    }
    book->updateTime = m_db->currentTime();
    const QJsonObject json{
        {QStringLiteral("channelType"), book->channelType}, {QStringLiteral("cateId"), book->cateId},
        {QStringLiteral("bookName"), book->bookName},       {QStringLiteral("intro"), book->intro},
        {QStringLiteral("localCover"), book->localCover},   {QStringLiteral("cateFid"), book->cateFid}};
    if (req.synStep == 0)
        req.jobType = JobType_BookEdit;
    // The book's row and the job that sends it are stored together. The job
    // may hold earlier unsent changes (a cover chosen offline): what goes at
    // once is the whole job.
    if (!m_db->together([&] {
            return m_db->updateBook(*book) &&
                   (req.synStep != 0 ||
                    m_db->addJob(req, compactJson(json),
                                 req.update_time > 0 ? req.update_time : m_db->currentTime()));
        })) {
        book->bookName = oldName;
        book->intro = oldIntro;
        book->localCover = oldCover;
        book->cateId = oldCateId;
        book->cateFid = oldCateFid;
        book->channelType = oldChannel;
        book->updateTime = oldUpdate;
        return false;
    }
    if (req.synStep == 0) {
        CLocalEdits::instance().touch(CLocalEdits::Book, book->localId);
        if (req.bookId >= 1)
            sendStoredJob(this, m_db, req.jobId);
    }
    m_ui->onBookChanged(book);
    return true;
}

bool CBookJobManager::books_info(T_Http_C &req)
{
    req.uid = uid();
    if (req.uid < 1)
        return false;
    if (const T_Book *book = bookOf(req))
        takeServerIds(req, book, nullptr);
    req.jobType = JobType_BookInfo;
    req.jobId = 0;
    CLocalEdits::instance().fetchSent(req);
    m_http->booksInfoAsyn(req);
    return true;
}

// Chapters -------------------------------------------------------------------

T_Chapter *CBookJobManager::storeChapter(T_Book *book, const QString &name, int orderNum, int createTime,
                                         int chapterId)
{
    auto *chapter = new T_Chapter;
    chapter->localBookId = book->localId;
    chapter->bookId = book->bookId;
    chapter->chapterId = chapterId;
    chapter->name = name;
    chapter->orderNum = orderNum;
    chapter->createTime = createTime;
    chapter->updateTime = createTime;
    if (!m_db->insertChapterWithContent(*chapter) || chapter->localId < 1) {
        delete chapter;
        return nullptr;
    }
    return chapter;
}

bool CBookJobManager::chapter_create(TC_Chapter_Create &req)
{
    T_Book *book = bookOf(req);
    if (!book)
        return false;
    req.uid = uid();
    if (const T_Chapter *present = findChapterByServerId(book, req.chapterId)) {
        req.localChapterId = present->localId;
        return true;
    }
    if (req.order_num < 1) {
        const QString name = defaultChapterName(book->localId);
        req.order_num = name.mid(1, name.indexOf(QString::fromUtf8("章")) - 1).toInt();
    }
    if (req.chapterName.isEmpty())
        req.chapterName = QString::fromUtf8("第%1章 ").arg(req.order_num);
    const int createTime = req.update_time > 0 ? req.update_time - req.order_num : m_db->currentTime();
    // The chapter and the job that creates it on the server are stored
    // together.
    T_Chapter *chapter = nullptr;
    if (!m_db->together([&] {
            chapter = storeChapter(book, req.chapterName, req.order_num, createTime, req.chapterId);
            if (!chapter)
                return false;
            takeServerIds(req, book, chapter);
            if (req.synStep != 0)
                return true;
            req.jobType = JobType_ChapterAdd;
            req.update_time = createTime + req.order_num;
            return m_db->addJob(req, req.chapterName, createTime, req.order_num);
        })) {
        delete chapter;
        return false;
    }
    insertByOrder(book->chapterList, chapter);
    recountBook(book);
    book->updateTime = m_db->currentTime();
    m_db->updateBook(*book);
    if (req.synStep == 0 && req.bookId >= 1)
        m_http->chapterCreateAsyn(req);
    m_ui->onChapterListChanged(book);
    return true;
}

bool CBookJobManager::chapter_saveContent(TC_Chapter_Edit &req)
{
    T_Book *book = bookOf(req);
    T_Chapter *chapter = findChapter(book, req.localChapterId);
    if (!chapter && book)
        chapter = findChapterByServerId(book, req.chapterId);
    if (!chapter)
        return false;
    req.uid = uid();
    takeServerIds(req, book, chapter);
    const int words = CUiManager::countWords(req.content);
    if (req.synStep != 0) {
        if (!m_db->setChapterContent(chapter->localId, req.content, words))
            return false;
    } else {
        const int time = req.update_time > 0 ? req.update_time : m_db->currentTime();
        if (!m_db->saveChapterText(req, req.content, words, time))
            return false;
    }
    chapter->content = req.content;
    chapter->isContentLoaded = true;
    chapter->wordCount = words;
    recountBook(book);
    if (req.synStep == 0)
        CLocalEdits::instance().touch(CLocalEdits::Chapter, chapter->localId);
    // The chapter's job may also hold an unsent rename: it goes whole.
    if (req.synStep == 0 && req.bookId >= 1 && req.chapterId >= 1)
        sendStoredJob(this, m_db, req.jobId);
    m_ui->onBookChanged(book);
    return true;
}

bool CBookJobManager::chapter_rename(TC_Chapter_Edit &req)
{
    T_Book *book = bookOf(req);
    T_Chapter *chapter = findChapter(book, req.localChapterId);
    if (!chapter && book)
        chapter = findChapterByServerId(book, req.chapterId);
    if (!chapter || req.chapterName == chapter->name)
        return false;
    // A name of blanks only is never the author's choice.
    if (req.synStep == 0 && req.chapterName.trimmed().isEmpty())
        return false;
    req.uid = uid();
    takeServerIds(req, book, chapter);
    // The name and the job that sends it are stored together.
    if (req.synStep == 0)
        req.jobType = JobType_ChapterRename;
    if (!m_db->together([&] {
            return m_db->renameChapter(chapter->localId, req.chapterName) &&
                   (req.synStep != 0 ||
                    m_db->addJob(req, req.chapterName,
                                 req.update_time > 0 ? req.update_time : m_db->currentTime()));
        }))
        return false;
    chapter->name = req.chapterName;
    if (req.synStep == 0) {
        CLocalEdits::instance().touch(CLocalEdits::Chapter, chapter->localId);
        if (req.bookId >= 1 && req.chapterId >= 1)
            sendStoredJob(this, m_db, req.jobId); // with any unsent text of the chapter
    }
    m_ui->onChapterListChanged(book);
    return true;
}

bool CBookJobManager::chapter_contentBlade(TC_Chapter_ContentBlade &req)
{
    T_Book *book = bookOf(req);
    T_Chapter *chapter = findChapter(book, req.localChapterId);
    if (!chapter)
        return false;
    req.uid = uid();
    takeServerIds(req, book, chapter);
    if (req.chapterName.isEmpty())
        req.chapterName = chapter->name;
    QString json;
    if (req.synStep == 0) {
        if (req.createTime < 1)
            req.createTime = m_db->currentTime();
        // Written by hand rather than through QJsonDocument: the snapshot
        // follows a save of a long chapter, and the typing waits for both.
        json = jsonObjectText({{QStringLiteral("chapterName"), jsonString(req.chapterName)},
                               {QStringLiteral("content"), jsonString(req.content)}});
        req.jobType = JobType_ContentBlade;
    }
    // The snapshot and the job that sends it are stored together.
    if (!m_db->together([&] {
            return m_db->insertContentBlade(req.uid, book->localId, chapter->localId, book->bookId,
                                            chapter->chapterId, req.content) &&
                   (req.synStep != 0 || m_db->addJob(req, json, req.createTime));
        }))
        return false;
    if (req.synStep == 0 && req.bookId >= 1 && req.chapterId >= 1)
        m_http->chapterContentBladeAsyn(req);
    return true;
}

bool CBookJobManager::chapter_move(TC_Chapter_Move &req)
{
    T_Book *book = bookOf(req);
    T_Chapter *chapter = findChapter(book, req.localChapterId);
    if (!chapter && book)
        chapter = findChapterByServerId(book, req.chapterId);
    if (!chapter || (req.direction != 1 && req.direction != 2))
        return false;
    const int at = book->chapterList.indexOf(chapter);
    const int other = req.direction == 1 ? at - 1 : at + 1;
    if (at < 0 || other < 0 || other >= book->chapterList.size())
        return false;
    T_Chapter *neighbour = book->chapterList.at(other);
    req.uid = uid();
    takeServerIds(req, book, chapter);
    const int chapterOrder = chapter->orderNum, neighbourOrder = neighbour->orderNum;
    if (chapterOrder == neighbourOrder) {
        // Equal numbers cannot be swapped: the mover steps past its neighbour.
        chapter->orderNum = req.direction == 1 ? chapterOrder - 1 : chapterOrder + 1;
    } else {
        chapter->orderNum = neighbourOrder;
        neighbour->orderNum = chapterOrder;
    }
    if (req.synStep == 0)
        req.jobType = JobType_ChapterMove;
    // Both places and the job that sends the move are stored together.
    if (!m_db->together([&] {
            return m_db->setChapterOrder(chapter->localId, chapter->orderNum, chapter->status) &&
                   m_db->setChapterOrder(neighbour->localId, neighbour->orderNum, neighbour->status) &&
                   (req.synStep != 0 ||
                    m_db->addJob(req, QString::number(req.direction),
                                 req.update_time > 0 ? req.update_time : m_db->currentTime()));
        })) {
        chapter->orderNum = chapterOrder;
        neighbour->orderNum = neighbourOrder;
        return false;
    }
    book->chapterList.removeOne(chapter);
    insertByOrder(book->chapterList, chapter);
    if (req.synStep == 0) {
        CLocalEdits::instance().touch(CLocalEdits::Order, book->localId);
        if (req.bookId >= 1 && req.chapterId >= 1)
            m_http->chapterMoveAsyn(req);
    }
    m_ui->onChapterListChanged(book);
    return true;
}

bool CBookJobManager::chapter_recycle(TC_Chapter_Recycle &req)
{
    T_Book *book = bookOf(req);
    T_Chapter *chapter = findChapter(book, req.localChapterId);
    if (!chapter && book)
        chapter = findChapterByServerId(book, req.chapterId);
    if (!chapter)
        return false;
    req.uid = uid();
    takeServerIds(req, book, chapter);
    const int status = req.status == 0 ? 0 : 1;
    if (status == 0)
        m_ui->onChapterLeaving(chapter->localId);
    // The recycle bin counts a chapter's days from the moment it went in.
    const int recycledAt = status == 0 ? (req.update_time > 0 ? req.update_time : m_db->currentTime()) : 0;
    if (req.synStep == 0) {
        req.jobType = JobType_ChapterRecycle;
        req.status = status;
    }
    // The chapter's place and the job that sends it are stored together.
    if (!m_db->together([&] {
            return m_db->setChapterOrder(chapter->localId, chapter->orderNum, status, recycledAt) &&
                   (req.synStep != 0 ||
                    m_db->addJob(req, QString::number(status),
                                 req.update_time > 0 ? req.update_time : m_db->currentTime()));
        }))
        return false;
    chapter->status = status;
    if (recycledAt > 0)
        chapter->updateTime = recycledAt;
    book->chapterList.removeOne(chapter);
    book->recycleList.removeOne(chapter);
    insertByOrder(status == 0 ? book->recycleList : book->chapterList, chapter);
    recountBook(book);
    m_db->updateBook(*book);
    if (req.synStep == 0) {
        CLocalEdits::instance().touch(CLocalEdits::Order, book->localId);
        if (req.bookId >= 1 && req.chapterId >= 1)
            m_http->chapterRecycleAsyn(req);
    }
    m_ui->onChapterListChanged(book);
    return true;
}

bool CBookJobManager::chapter_delete(TC_Chapter_Del &req)
{
    T_Book *book = bookOf(req);
    T_Chapter *chapter = findChapter(book, req.localChapterId);
    if (!chapter && book)
        chapter = findChapterByServerId(book, req.chapterId);
    if (!chapter)
        return false;
    req.uid = uid();
    takeServerIds(req, book, chapter);
    // An editor showing it saves first: what it held is then kept below.
    m_ui->onChapterLeaving(chapter->localId);
    // Deleted for good on another machine: text not yet on the server is kept.
    if (req.synStep != 0 && hasUnsentText(*chapter))
        recoverText(book, *chapter, false);
    // The row and every waiting job of the chapter go first; the delete job
    // is queued after that clean-up, never swept away by it. A creation
    // already sent stays: the delete waits behind it for its server id.
    const int creation =
        req.synStep == 0 && req.chapterId < 1
            ? sentCreation(JobType_ChapterAdd, QStringLiteral("localChapterId"), chapter->localId)
            : 0;
    const bool sendsDelete = req.synStep == 0 && req.chapterId >= 1;
    if (sendsDelete || creation > 0)
        req.jobType = JobType_ChapterDelete;
    // The row goes with the job that deletes it on the server, or not at all.
    if (!m_db->together([&] {
            if (!m_db->deleteChapter(chapter->localId, creation))
                return false;
            if (sendsDelete)
                return m_db->addJob(req, QString(),
                                    req.update_time > 0 ? req.update_time : m_db->currentTime());
            if (creation > 0)
                return m_db->addDeleteBehindCreation(req, QStringLiteral("localChapterId"),
                                                     req.localChapterId, creation);
            return true;
        }))
        return false;
    forgetChapter(book, chapter);
    // Here or on the server: a list fetched before cannot bring it back.
    CLocalEdits::instance().chapterDeleted(req.chapterId);
    if (req.synStep == 0)
        CLocalEdits::instance().touch(CLocalEdits::Order, book->localId);
    if (sendsDelete && req.bookId >= 1)
        sendStoredJob(this, m_db, req.jobId);
    return true;
}

bool CBookJobManager::removeChapterHere(T_Book *book, T_Chapter *chapter, int keepJobId)
{
    m_ui->onChapterLeaving(chapter->localId);
    if (!m_db->deleteChapter(chapter->localId, keepJobId))
        return false;
    forgetChapter(book, chapter);
    return true;
}

void CBookJobManager::forgetChapter(T_Book *book, T_Chapter *chapter)
{
    book->chapterList.removeOne(chapter);
    book->recycleList.removeOne(chapter);
    delete chapter;
    recountBook(book);
    m_db->updateBook(*book);
    m_ui->onChapterListChanged(book);
}

bool CBookJobManager::chapter_menu(TC_Chapter_Menu &req)
{
    req.uid = uid();
    if (req.uid < 1)
        return false;
    if (const T_Book *book = bookOf(req))
        takeServerIds(req, book, nullptr);
    req.jobType = JobType_ChapterMenu;
    req.jobId = 0;
    CLocalEdits::instance().fetchSent(req);
    m_http->chapterMenuAsyn(req);
    return true;
}

bool CBookJobManager::chapter_content(T_Http_C &req)
{
    req.uid = uid();
    if (req.uid < 1)
        return false;
    req.jobType = JobType_ChapterContent;
    req.jobId = 0;
    CLocalEdits::instance().fetchSent(req);
    m_http->chapterChapterAsyn(req);
    return true;
}

bool CBookJobManager::fetchAgain(int kind, int localId)
{
    if (kind == CLocalEdits::Chapter) {
        for (T_Book *book : qAsConst(m_session->books)) {
            const T_Chapter *chapter = findChapter(book, localId);
            if (!chapter)
                continue;
            if (book->bookId < 1 || chapter->chapterId < 1)
                return false;
            T_Http_C req;
            takeServerIds(req, book, chapter);
            return chapter_content(req);
        }
        return false;
    }
    const T_Book *book = findBook(localId);
    if (!book || book->bookId < 1)
        return false;
    if (kind == CLocalEdits::Book) {
        T_Http_C req;
        takeServerIds(req, book, nullptr);
        return books_info(req);
    }
    if (kind == CLocalEdits::Order) {
        TC_Chapter_Menu req;
        takeServerIds(req, book, nullptr);
        req.order = QStringLiteral("asc");
        return chapter_menu(req);
    }
    return false;
}

bool CBookJobManager::chapter_getChapters(TC_Chapter_GetChapters &req)
{
    req.uid = uid();
    if (req.uid < 1)
        return false;
    req.jobType = JobType_ChapterBatchFetch;
    req.jobId = 0;
    CLocalEdits::instance().fetchSent(req);
    m_http->chapterGetChaptersAsyn(req);
    return true;
}

bool CBookJobManager::chapter_timeMachine(T_Http_C &req)
{
    req.uid = uid();
    if (req.uid < 1)
        return false;
    req.jobType = JobType_TimeMachine;
    req.jobId = 0;
    m_http->chapterTimeMachineAsyn(req);
    return true;
}
