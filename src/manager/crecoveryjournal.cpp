#include "crecoveryjournal.h"

#include "apppaths.h"
#include "cbookjobmanager.h"
#include "cjobmanager.h"
#include "cuimanager.h"
#include "db/cquorvindb.h"
#include "db/cstorehealth.h"
#include "db/records.h"
#include "platform/filesync.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QSaveFile>
#include <QThread>
#include <cstdlib>

namespace {

const QByteArray kMagic = QByteArrayLiteral("quorvin-journal 1");
const QString kSuffix = QStringLiteral(".journal");

void writeLastChanceAtExit()
{
    CRecoveryJournal::instance()->writeLastChance();
}

} // namespace

CRecoveryJournal::CRecoveryJournal(QObject *parent) : QObject(parent)
{
    m_thread = QThread::create([this] { run(); });
    m_thread->setObjectName(QStringLiteral("recovery journal"));
    m_thread->start(QThread::LowPriority);
    // The X server going away ends the program through exit(): the quit
    // handlers never run, but this does.
    std::atexit(writeLastChanceAtExit);
    // While the store fails, the journals of chapters no longer open are
    // tried again with every retry; the open one is the editor's.
    connect(CStoreHealth::instance(), &CStoreHealth::sig_Retry, this, [this] {
        QList<T_Entry> unwritten;
        {
            QMutexLocker lock(&m_mutex);
            unwritten = m_unwritten.values();
        }
        for (const T_Entry &entry : unwritten)
            write(entry);
        const T_User &user = T_SessionData::instance().user;
        if (user.uid > 0)
            recoverAll(user.uid, user.localChapterId);
    });
}

QString CRecoveryJournal::unsavedKey(int localChapterId)
{
    return QStringLiteral("chapter:%1").arg(localChapterId);
}

CRecoveryJournal *CRecoveryJournal::instance()
{
    static CRecoveryJournal *journal = new CRecoveryJournal;
    return journal;
}

QString CRecoveryJournal::folder() const
{
    return AppPaths::dataDir() + QStringLiteral("/journal");
}

QString CRecoveryJournal::fileOf(int localChapterId) const
{
    return folder() + QStringLiteral("/%1").arg(localChapterId) + kSuffix;
}

// ---- Writing -----------------------------------------------------------------

void CRecoveryJournal::write(const T_Entry &entry)
{
    if (entry.localChapterId < 1)
        return;
    QMutexLocker lock(&m_mutex);
    for (int i = m_queue.size() - 1; i >= 0; --i) {
        const T_Op &op = m_queue.at(i);
        if (op.entry.localChapterId != entry.localChapterId)
            continue;
        if (!op.discard)
            m_queue.removeAt(i); // superseded
        break;
    }
    T_Op op;
    op.entry = entry;
    m_queue.append(op);
    m_wake.wakeOne();
}

void CRecoveryJournal::discard(int localChapterId, const QString &savedText)
{
    if (localChapterId < 1)
        return;
    QMutexLocker lock(&m_mutex);
    T_Op op;
    op.discard = true;
    op.entry.localChapterId = localChapterId;
    op.entry.text = savedText;
    m_queue.append(op);
    m_wake.wakeOne();
}

bool CRecoveryJournal::flush()
{
    QMutexLocker lock(&m_mutex);
    while (!m_queue.isEmpty() || m_busy)
        m_idle.wait(&m_mutex);
    return m_failed.isEmpty();
}

bool CRecoveryJournal::writeNow(const T_Entry &entry)
{
    flush();
    return writeEntry(entry);
}

bool CRecoveryJournal::lastWriteFailed(int localChapterId) const
{
    QMutexLocker lock(&m_mutex);
    return m_failed.contains(localChapterId);
}

void CRecoveryJournal::setLastChance(std::function<T_Entry()> source)
{
    QMutexLocker lock(&m_mutex);
    m_lastChance = std::move(source);
}

void CRecoveryJournal::writeLastChance()
{
    // Only while the application still runs: after a normal end the windows
    // saved everything and are gone.
    if (!QCoreApplication::instance())
        return;
    std::function<T_Entry()> source;
    {
        QMutexLocker lock(&m_mutex);
        source = m_lastChance;
    }
    if (!source)
        return;
    const T_Entry entry = source();
    if (entry.localChapterId < 1)
        return;
    // Whatever the thread is writing is finished first (writeEntry waits for
    // the files), so the newest text is the one left.
    writeEntry(entry);
}

void CRecoveryJournal::run()
{
    for (;;) {
        T_Op op;
        {
            QMutexLocker lock(&m_mutex);
            while (m_queue.isEmpty()) {
                m_busy = false;
                m_idle.wakeAll();
                m_wake.wait(&m_mutex);
            }
            op = m_queue.takeFirst();
            m_busy = true;
        }
        if (op.discard)
            removeIfHolds(op.entry.localChapterId, op.entry.text);
        else
            writeEntry(op.entry);
    }
}

QString CRecoveryJournal::plainTextOf(const QString &documentCharacters)
{
    // What the document's plain text is: every block joined by a line
    // break, no-break spaces as blanks.
    QString text = documentCharacters;
    if (text.endsWith(QChar(QChar::ParagraphSeparator)))
        text.chop(1);
    QChar *c = text.data();
    QChar *const end = c + text.size();
    for (; c != end; ++c) {
        switch (c->unicode()) {
        case 0xfdd0:
        case 0xfdd1:
        case QChar::ParagraphSeparator:
        case QChar::LineSeparator:
            *c = QLatin1Char('\n');
            break;
        case QChar::Nbsp:
            *c = QLatin1Char(' ');
            break;
        default:
            break;
        }
    }
    return text;
}

QByteArray CRecoveryJournal::digest(const QString &text)
{
    return QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Md5).toHex();
}

bool CRecoveryJournal::writeEntry(const T_Entry &entry)
{
    const QString text = entry.fromDocument ? plainTextOf(entry.text) : entry.text;
    const QByteArray body = text.toUtf8();
    const QByteArray bodyDigest = QCryptographicHash::hash(body, QCryptographicHash::Md5).toHex();
    QByteArray head = kMagic + '\n';
    head += "uid=" + QByteArray::number(entry.uid) + '\n';
    head += "book=" + QByteArray::number(entry.localBookId) + '\n';
    head += "chapter=" + QByteArray::number(entry.localChapterId) + '\n';
    head += "base=" + digest(entry.base) + '\n';
    head += "written=" + QByteArray::number(QDateTime::currentMSecsSinceEpoch()) + '\n';
    head += "length=" + QByteArray::number(body.size()) + '\n';
    head += "digest=" + bodyDigest + "\n\n";

    const QString path = fileOf(entry.localChapterId);
    QMutexLocker files(&m_fileMutex);
    QString error;
    bool ok = QDir().mkpath(folder());
    if (!ok)
        error = QStringLiteral("cannot make the folder");
    if (ok) {
        QSaveFile file(path);
        // Written beside and renamed over: a kill or a power cut leaves the
        // old journal or the new one, never half of one.
        ok = file.open(QIODevice::WriteOnly) && file.write(head) == head.size() &&
             file.write(body) == body.size() && file.commit();
        if (!ok)
            error = file.errorString();
        else
            Platform::syncFolder(folder());
    }
    {
        QMutexLocker lock(&m_mutex);
        if (ok) {
            m_written.insert(entry.localChapterId, bodyDigest);
            m_failed.remove(entry.localChapterId);
            m_unwritten.remove(entry.localChapterId);
        } else {
            m_failed.insert(entry.localChapterId);
            T_Entry held = entry;
            held.text = text;
            held.fromDocument = false;
            held.baseDigest = digest(entry.base);
            m_unwritten.insert(entry.localChapterId, held);
        }
    }
    files.unlock();
    if (ok)
        CStoreHealth::instance()->reportSuccess(path);
    else
        CStoreHealth::instance()->reportFailure(path, CStoreHealth::causeOfFileError(error), error);
    return ok;
}

void CRecoveryJournal::removeIfHolds(int localChapterId, const QString &savedText)
{
    const QByteArray saved = QCryptographicHash::hash(savedText.toUtf8(), QCryptographicHash::Md5).toHex();
    QMutexLocker files(&m_fileMutex);
    QByteArray held;
    {
        QMutexLocker lock(&m_mutex);
        // A text held in memory (its file could not be written) is the newest.
        held = m_unwritten.contains(localChapterId)
                   ? QCryptographicHash::hash(m_unwritten.value(localChapterId).text.toUtf8(),
                                              QCryptographicHash::Md5)
                         .toHex()
                   : m_written.value(localChapterId);
    }
    const QString path = fileOf(localChapterId);
    if (held.isEmpty()) {
        T_Entry stored;
        if (!read(path, stored))
            return;
        held = QCryptographicHash::hash(stored.text.toUtf8(), QCryptographicHash::Md5).toHex();
    }
    if (held != saved)
        return; // newer text than the store's: it stays
    // The store's write is in its log, which reaches the disk only now and
    // then: the journal goes once it surely has, so that a power cut never
    // finds neither.
    if (!CQuorvinDb::instance()->syncToDisk())
        return;
    QFile::remove(path);
    QMutexLocker lock(&m_mutex);
    m_written.remove(localChapterId);
    m_failed.remove(localChapterId);
    m_unwritten.remove(localChapterId);
}

bool CRecoveryJournal::read(const QString &path, T_Entry &entry)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray all = file.readAll();
    const int split = all.indexOf("\n\n");
    if (split < 0 || !all.startsWith(kMagic + '\n'))
        return false;
    QMap<QByteArray, QByteArray> fields;
    for (const QByteArray &line : all.left(split).split('\n')) {
        const int eq = line.indexOf('=');
        if (eq > 0)
            fields.insert(line.left(eq), line.mid(eq + 1));
    }
    const QByteArray body = all.mid(split + 2);
    if (body.size() != fields.value("length").toInt() ||
        QCryptographicHash::hash(body, QCryptographicHash::Md5).toHex() != fields.value("digest"))
        return false;
    entry.uid = fields.value("uid").toInt();
    entry.localBookId = fields.value("book").toInt();
    entry.localChapterId = fields.value("chapter").toInt();
    entry.baseDigest = fields.value("base");
    entry.writtenAt = fields.value("written").toLongLong();
    entry.text = QString::fromUtf8(body);
    entry.fromDocument = false;
    return entry.localChapterId > 0;
}

// ---- Recovery ------------------------------------------------------------------

int CRecoveryJournal::recoverAll(int uid, int exceptChapter)
{
    const QStringList names = QDir(folder()).entryList({QStringLiteral("*") + kSuffix}, QDir::Files);
    QSet<int> chapters;
    for (const QString &name : names)
        chapters.insert(name.chopped(kSuffix.size()).toInt());
    {
        QMutexLocker lock(&m_mutex);
        for (auto it = m_unwritten.cbegin(); it != m_unwritten.cend(); ++it)
            chapters.insert(it.key());
    }
    CBookJobManager *books = CBookJobManager::instance();
    int recovered = 0;
    for (const int id : qAsConst(chapters)) {
        T_Entry entry;
        if (id < 1 || !entryOf(id, entry)) {
            qWarning() << "not a journal, left alone:" << fileOf(id);
            continue;
        }
        if (entry.uid != uid || entry.localChapterId == exceptChapter)
            continue; // another author's waits for their sign-in
        T_Book *book = books->findBook(entry.localBookId);
        T_Chapter *chapter = CBookJobManager::findChapter(book, entry.localChapterId);
        bool saved = false;
        if (applyEntry(entry, book, chapter, &saved) && saved)
            ++recovered;
    }
    return recovered;
}

QString CRecoveryJournal::recoverChapter(T_Book *book, T_Chapter *chapter)
{
    if (!book || !chapter)
        return QString();
    T_Entry entry;
    if (!entryOf(chapter->localId, entry) || entry.uid != T_SessionData::instance().user.uid)
        return chapter->content;
    bool saved = false;
    if (!applyEntry(entry, book, chapter, &saved))
        return entry.text; // the store cannot take it now: the editor shows it
    return chapter->content;
}

bool CRecoveryJournal::entryOf(int localChapterId, T_Entry &entry)
{
    {
        QMutexLocker lock(&m_mutex);
        if (m_unwritten.contains(localChapterId)) {
            entry = m_unwritten.value(localChapterId);
            return true;
        }
    }
    return QFileInfo::exists(fileOf(localChapterId)) && read(fileOf(localChapterId), entry);
}

void CRecoveryJournal::forget(int localChapterId)
{
    QMutexLocker files(&m_fileMutex);
    QFile::remove(fileOf(localChapterId));
    QMutexLocker lock(&m_mutex);
    m_written.remove(localChapterId);
    m_failed.remove(localChapterId);
    m_unwritten.remove(localChapterId);
}

bool CRecoveryJournal::applyEntry(const T_Entry &entry, T_Book *book, T_Chapter *chapter, bool *saved)
{
    *saved = false;
    const QString path = fileOf(entry.localChapterId);
    CUiManager *ui = CUiManager::instance();
    if (!book || !chapter) {
        if (CQuorvinDb::instance()->chapterExists(entry.localChapterId))
            return true; // a chapter of a book not loaded here: it waits
        // The chapter is gone from the store: its text goes where texts
        // with nowhere else to go are kept.
        const QString kept = CBookJobManager::writeRecoveredFile(QString(), QString(), entry.text);
        if (kept.isEmpty())
            return false;
        forget(entry.localChapterId);
        ui->showTips(
            tr("Unsaved text of a deleted chapter was kept in %1").arg(QDir::toNativeSeparators(kept)), 2);
        return true;
    }
    if (!chapter->isContentLoaded && !CQuorvinDb::instance()->ensureChapterContent(*chapter))
        return false;
    if (entry.text == chapter->content) {
        forget(entry.localChapterId);
        return true;
    }
    if (digest(chapter->content) != entry.baseDigest) {
        // The store's text changed since the journal began (a text from
        // another machine): neither is dropped; the journal's text becomes
        // a snapshot in the chapter's time machine.
        CQuorvinDb *db = CQuorvinDb::instance();
        if (!db->keepContentBladeHere(entry.uid, book->localId, chapter->localId, book->bookId,
                                      chapter->chapterId, entry.text))
            return false;
        forget(entry.localChapterId);
        CStoreHealth::instance()->setUnsaved(unsavedKey(chapter->localId), false);
        ui->showTips(tr("Unsaved text of \"%1\" differs from its newer text: it is kept in the time machine")
                         .arg(chapter->name.trimmed()),
                     2);
        return true;
    }
    TC_Chapter_Edit req;
    req.localBookId = book->localId;
    req.bookId = book->bookId;
    req.localChapterId = chapter->localId;
    req.chapterId = chapter->chapterId;
    req.content = entry.text;
    req.update_time = CQuorvinDb::instance()->currentTime();
    if (!CJobManager::instance()->chapterSaveContent(req)) {
        CStoreHealth::instance()->setUnsaved(unsavedKey(chapter->localId), true);
        return false;
    }
    *saved = true;
    CStoreHealth::instance()->setUnsaved(unsavedKey(chapter->localId), false);
    forget(entry.localChapterId);
    ui->showTips(tr("Text of \"%1\" not saved last time was restored").arg(chapter->name.trimmed()), 1);
    emit sig_Recovered(chapter->localId);
    return true;
}
