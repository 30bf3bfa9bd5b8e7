// CBookJobManager: text the server will not take is never dropped. A text
// whose chapter was deleted for good on another machine becomes a new
// chapter at the end of its book; when the book is gone too, a file in the
// data folder's "recovered" folder.
#include "cbookjobmanager.h"

#include "apppaths.h"
#include "db/cquorvindb.h"
#include "manager/cuimanager.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// Characters a file name may not hold on any system.
QString safeFilePart(QString text)
{
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|\r\n\t");
    for (QChar &c : text)
        if (forbidden.contains(c))
            c = QLatin1Char('_');
    return text.trimmed().left(40);
}

} // namespace

bool CBookJobManager::hasUnsentText(T_Chapter &chapter)
{
    if (!m_db->ensureChapterContent(chapter) || chapter.content.isEmpty())
        return false;
    if (chapter.chapterId < 1)
        return true; // never reached the server
    T_JobData job;
    return m_db->waitingChapterEdit(chapter.localId, job) &&
           QJsonDocument::fromJson(job.content.toUtf8()).object().contains(QStringLiteral("content"));
}

QString CBookJobManager::recoveredFolder()
{
    return AppPaths::dataDir() + QStringLiteral("/recovered");
}

QString CBookJobManager::writeRecoveredFile(const QString &bookName, const QString &chapterName,
                                            const QString &text)
{
    const QString folder = recoveredFolder();
    if (!QDir().mkpath(folder))
        return QString();
    // Named by the text, so that the same text is kept once.
    const QByteArray bytes = text.toUtf8();
    const QString hash =
        QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex().left(8));
    const QString path = QStringLiteral("%1/%2-%3-%4.txt")
                             .arg(folder, safeFilePart(bookName), safeFilePart(chapterName), hash);
    if (QFile::exists(path))
        return path;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        qWarning() << "cannot write the recovered text to" << path;
        return QString();
    }
    return path;
}

bool CBookJobManager::recoverText(T_Book *book, T_Chapter &chapter, bool bookGone)
{
    if (!m_db->ensureChapterContent(chapter) || chapter.content.isEmpty())
        return false;
    const QString text = chapter.content;
    const QString name = chapter.name;
    if (!bookGone && book) {
        TC_Chapter_Create create;
        create.localBookId = book->localId;
        create.chapterName = tr("%1 (recovered)").arg(name.trimmed());
        int highest = 0;
        for (const QList<T_Chapter *> *list : {&book->chapterList, &book->recycleList})
            for (const T_Chapter *c : *list)
                highest = qMax(highest, c->orderNum);
        create.order_num = highest + 1;
        if (chapter_create(create)) {
            TC_Chapter_Edit save;
            save.localBookId = book->localId;
            save.localChapterId = create.localChapterId;
            save.content = text;
            if (chapter_saveContent(save)) {
                qWarning() << "text of the deleted chapter" << chapter.localId << "kept as chapter"
                           << create.localChapterId;
                m_ui->showTips(tr("\"%1\" was deleted on another machine; the text written here was kept as "
                                  "the new chapter \"%2\" at the end of the book")
                                   .arg(name.trimmed(), create.chapterName),
                               2);
                emit sig_TextRecovered(chapter.localId, create.localChapterId, QString());
                return true;
            }
        }
    }
    const QString path = writeRecoveredFile(book ? book->bookName : QString(), name, text);
    if (path.isEmpty())
        return false;
    qWarning() << "text of the deleted chapter" << chapter.localId << "saved to" << path;
    m_ui->showTips(tr("\"%1\" was deleted on another machine; the text written here was saved to %2")
                       .arg(name.trimmed(), QDir::toNativeSeparators(path)),
                   2);
    emit sig_TextRecovered(chapter.localId, 0, path);
    return true;
}

void CBookJobManager::onRefused(const T_Http_C &route, int code, const T_JobData &job)
{
    T_Book *book = findBook(route.localBookId);
    T_Chapter *chapter = findChapter(book, route.localChapterId);
    // A creation the server will not take: the object has nothing to be
    // there, so it goes here too. What it held is already kept in the
    // recovered folder, and its waiting changes go with it.
    if ((code == 400 || code == 413) && route.jobType == JobType_BookAdd && book && book->bookId < 1) {
        if (m_db->deleteObjectJobs(QStringLiteral("localBookId"), book->localId))
            removeBookHere(book);
        return;
    }
    if ((code == 400 || code == 413) && route.jobType == JobType_ChapterAdd && chapter &&
        chapter->chapterId < 1) {
        removeChapterHere(book, chapter);
        return;
    }
    // Otherwise only "no such book or chapter": the object is gone on the
    // server.
    if (code != 404 || !book)
        return;
    // Which of the two is asked: a book gone there goes here too, with
    // every text of it not yet sent kept.
    if (book->bookId > 0) {
        T_Http_C ids;
        takeServerIds(ids, book, nullptr);
        books_info(ids);
    }
    if (!chapter)
        return;
    const bool carriedText =
        route.jobType == JobType_ChapterText ||
        (job.jobType == JobType_ChapterEdit &&
         QJsonDocument::fromJson(job.content.toUtf8()).object().contains(QStringLiteral("content")));
    if (route.jobType == JobType_ChapterAdd) {
        // The book is gone on the server: nothing can be created in it.
        recoverText(book, *chapter, true);
        return;
    }
    if (carriedText)
        recoverText(book, *chapter, false);
    // Any change of a chapter the server had: it was deleted there for good.
    if (chapter->chapterId > 0)
        deleteChapterGoneOnServer(book, chapter);
}
