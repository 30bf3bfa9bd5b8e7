// CJobManager: what the author is told when the server refuses a queued change.
#include "cjobmanager.h"

#include "cbookjobmanager.h"
#include "cuimanager.h"
#include "db/cquorvindb.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

bool isMemoJob(int jobType)
{
    return jobType >= JobType_MemoAdd && jobType <= JobType_MemoDetail;
}

} // namespace

void CJobManager::reportRefusal(const T_Http_C &route, const T_Http_S &envelope)
{
    T_JobData job;
    const bool stored = m_db->getJob(route.jobId, job);
    const T_Book *book = m_bookJob->findBook(route.localBookId);
    const T_Chapter *chapter = CBookJobManager::findChapter(book, route.localChapterId);
    const QString why = envelope.msg.isEmpty() ? tr("error %1").arg(envelope.code) : envelope.msg;
    qWarning() << "refused by the server: jobType =" << route.jobType << ", jobId =" << route.jobId
               << ", code =" << envelope.code << ", msg =" << envelope.msg;

    // The refused text stays here as a snapshot of the chapter, where the
    // time machine finds it.
    if (stored && chapter && route.jobType == JobType_ChapterEdit) {
        const QJsonObject json = QJsonDocument::fromJson(job.content.toUtf8()).object();
        if (json.contains(QStringLiteral("content")) &&
            !m_db->insertContentBlade(job.uid, book->localId, chapter->localId, book->bookId,
                                      chapter->chapterId, json.value(QStringLiteral("content")).toString()))
            qWarning() << "cannot keep the refused text of chapter" << chapter->localId;
    }

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
    m_ui->showTips(text, 0);
}
