// CJobManager: what the author is told when the server refuses a queued change.
#include "cjobmanager.h"

#include "cbookjobmanager.h"
#include "clocaledits.h"
#include "cmemomanager.h"
#include "cuimanager.h"
#include "db/cquorvindb.h"

#include <QDebug>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

bool isMemoJob(int jobType)
{
    return jobType >= JobType_MemoAdd && jobType <= JobType_MemoDetail;
}

} // namespace

bool CJobManager::dropsCreation(int jobType, int code)
{
    // The server will not take the values the object was created with.
    return (code == 400 || code == 413) &&
           (jobType == JobType_BookAdd || jobType == JobType_ChapterAdd || jobType == JobType_MemoAdd);
}

void CJobManager::reportRefusal(const T_Http_C &route, const T_Http_S &envelope)
{
    T_JobData job;
    const bool stored = m_db->getJob(route.jobId, job);
    const T_Book *book = m_bookJob->findBook(route.localBookId);
    const T_Chapter *chapter = CBookJobManager::findChapter(book, route.localChapterId);
    const QString why = envelope.msg.isEmpty() ? tr("error %1").arg(envelope.code) : envelope.msg;
    qWarning() << "refused by the server: jobType =" << route.jobType << ", jobId =" << route.jobId
               << ", code =" << envelope.code << ", msg =" << envelope.msg;
    const QString kept = stored ? keepRefusedText(job, envelope.code, book, chapter) : QString();

    QString text;
    if (isMemoJob(route.jobType))
        text = tr("A memo could not be saved to the server: %1").arg(why);
    else if (chapter)
        text = tr("\"%1\" of \"%2\" could not be saved to the server: %3")
                   .arg(chapter->name, book->bookName, why);
    else if (book)
        text = tr("\"%1\" could not be saved to the server: %2").arg(book->bookName, why);
    else if (stored && route.jobType == JobType_BookAdd)
        text = tr("\"%1\" could not be saved to the server: %2").arg(job.content, why);
    else
        text = tr("A change could not be saved to the server: %1").arg(why);
    if (dropsCreation(route.jobType, envelope.code))
        text = tr("%1; it is removed here").arg(text);
    if (!kept.isEmpty())
        text = tr("%1; %2").arg(text, kept);
    m_ui->showTips(text, 0);

    // What the server holds is what counts now: the object is fetched again
    // once no other change of it waits, and takes the server's state. A
    // missing object (404) has nothing to fetch; its text is recovered. An
    // object whose creation is refused has nothing there either: it goes.
    if (envelope.code != 404 && !dropsCreation(route.jobType, envelope.code))
        for (const CLocalEdits::Key &key : CLocalEdits::keysOfJob(route))
            CLocalEdits::instance().requestRefetch(CLocalEdits::Kind(key.first), key.second);
}

QString CJobManager::keepAsSnapshot(const T_JobData &job, const T_Book *book, const T_Chapter *chapter,
                                    const QJsonObject &json)
{
    // Where the time machine finds it; the server's lists leave it there.
    if (m_db->keepContentBladeHere(job.uid, book->localId, chapter->localId, book->bookId, chapter->chapterId,
                                   json.value(QStringLiteral("content")).toString()))
        return tr("the text written here is kept in the chapter's time machine");
    qWarning() << "cannot keep the refused text of chapter" << chapter->localId;
    return QString();
}

QString CJobManager::keepRefusedText(const T_JobData &job, int code, const T_Book *book,
                                     const T_Chapter *chapter)
{
    const QJsonObject json = QJsonDocument::fromJson(job.content.toUtf8()).object();
    const QString bookName = book ? book->bookName : QString();
    QStringList texts; // what goes into the recovered folder
    // A chapter's name and its text, read from the store when not loaded.
    auto chapterText = [this](const T_Chapter &chapter) {
        T_Chapter copy = chapter;
        m_db->ensureChapterContent(copy);
        return copy.content.isEmpty() ? copy.name : copy.name + QStringLiteral("\n\n") + copy.content;
    };
    if (dropsCreation(job.jobType, code)) {
        if (job.jobType == JobType_BookAdd && book && book->bookId < 1) {
            texts << book->bookName;
            if (!book->intro.isEmpty())
                texts << book->intro;
            for (const QList<T_Chapter *> *list : {&book->chapterList, &book->recycleList})
                for (const T_Chapter *c : *list)
                    texts << chapterText(*c);
        } else if (job.jobType == JobType_ChapterAdd && chapter && chapter->chapterId < 1) {
            texts << chapterText(*chapter);
        } else if (job.jobType == JobType_MemoAdd) {
            const T_Memo *memo = m_memo->findMemo(job.localMemoId);
            if (memo && memo->memoId < 1 && !memo->content.isEmpty())
                texts << memo->content;
        }
    }
    switch (job.jobType) {
    case JobType_ChapterEdit:
        if (!chapter)
            return QString();
        if (json.contains(QStringLiteral("content")))
            return keepAsSnapshot(job, book, chapter, json);
        if (json.contains(QStringLiteral("name")))
            texts << json.value(QStringLiteral("name")).toString();
        break;
    case JobType_ContentBlade:
        if (!chapter)
            return QString();
        return keepAsSnapshot(job, book, chapter, json);
    case JobType_BookEdit:
        for (const char *key : {"bookName", "intro"})
            if (!json.value(QLatin1String(key)).toString().isEmpty())
                texts << json.value(QLatin1String(key)).toString();
        break;
    case JobType_MemoEdit:
        if (!json.value(QStringLiteral("content")).toString().isEmpty())
            texts << json.value(QStringLiteral("content")).toString();
        break;
    default:
        break;
    }
    if (texts.isEmpty())
        return QString();
    const QString path = CBookJobManager::writeRecoveredFile(
        bookName, chapter ? chapter->name : (isMemoJob(job.jobType) ? QStringLiteral("memo") : QString()),
        texts.join(QStringLiteral("\n\n")));
    if (path.isEmpty())
        return QString();
    qWarning() << "refused text kept in" << path;
    return tr("what was written here is kept in %1").arg(QDir::toNativeSeparators(path));
}

void CJobManager::dropRefusedMemo(int localMemoId)
{
    const T_Memo *memo = m_memo->findMemo(localMemoId);
    if (!memo || memo->memoId > 0)
        return;
    TC_Memo_Del del;
    del.localMemoId = localMemoId;
    del.synStep = 1; // nothing to delete on the server
    m_memo->memoDel(del);
    m_db->deleteObjectJobs(QStringLiteral("localMemoId"), localMemoId);
}
