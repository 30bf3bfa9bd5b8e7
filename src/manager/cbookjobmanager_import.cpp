// CBookJobManager: a text manuscript imported as a new book.
//
// The import thread reads, cleans and splits the file and writes the book,
// its chapters and their jobs through its own connection to the store. It
// never touches the session's book list or a page: the new book and each
// stored batch of chapters cross to the GUI thread by queued signals, and
// from then on only the GUI thread touches them.
#include "cbookjobmanager.h"

#include "db/cquorvindb.h"
#include "manager/cthreadimportbook.h"
#include "manager/cuimanager.h"
#include "remote/cquorvinhttp.h"
#include "remote/quorvinerror.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QRegularExpression>
#include <QTextCodec>

namespace {

const QRegularExpression &entityPattern()
{
    static const QRegularExpression pattern(QStringLiteral("&#[0-9][0-9];"));
    return pattern;
}

const QRegularExpression &tagPattern()
{
    static const QRegularExpression pattern(QStringLiteral(
        "</*(html|head|meta|link|base|basefont|body|bgsound|title|style|script|noscript|object|form|select|"
        "option|iframe|frame|frameset|applet|button|code|event|id|input|ilayer|layer|name|xml|userprofile|"
        "table|tbody|thead|tfoot|th|tr|td|i|b|u|strong|img|p|br|div|em|ul|ol|li|dl|dd|dt|a|font|span|embed|"
        "hr|blockquote|h1|h2|h3|h4|h5|h6|sub|sup|strike)>"));
    return pattern;
}

// One line, starting the line (after blanks, full-width ones included):
// a sentence that merely ends with "第三章" is body text. "." of
// QRegularExpression never crosses a line break.
const QRegularExpression &headingPattern()
{
    static const QRegularExpression pattern(
        QString::fromUtf8("^[ \\x{00A0}\\x{3000}]*"
                          "(第|蒂)(一|二|三|四|五|六|七|八|九|十|百|千|万|两|廿|卅|卌|零|〇|１|２|３|４|５|"
                          "６|７|８|９|０|[0-9])+"
                          "(章|节|回).{0,20}\n"),
        QRegularExpression::MultilineOption);
    return pattern;
}

QString titleOf(const QString &heading)
{
    QString title = heading;
    title.remove(QLatin1Char('\n'));
    title.remove(QLatin1Char('\r'));
    return title.trimmed();
}

} // namespace

bool CBookJobManager::decodeManuscript(const QByteArray &bytes, QString &text)
{
    // A manuscript never holds a NUL: this is some other kind of file.
    if (bytes.contains('\0'))
        return false;
    for (const char *name : {"UTF-8", "GB18030"}) {
        QTextCodec *codec = QTextCodec::codecForName(name);
        if (!codec)
            continue;
        QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
        const QString decoded = codec->toUnicode(bytes.constData(), bytes.size(), &state);
        // Bytes that are not of the encoding come back as replacement
        // characters, not always counted: what is text encodes back to
        // the same bytes.
        if (state.invalidChars == 0 && state.remainingChars == 0 && codec->fromUnicode(decoded) == bytes) {
            text = decoded;
            if (text.startsWith(QChar(0xFEFF))) // a byte-order mark is no text
                text.remove(0, 1);
            return true;
        }
    }
    return false;
}

QString CBookJobManager::decodeText(const QByteArray &bytes)
{
    QTextCodec::ConverterState state;
    QTextCodec *utf8 = QTextCodec::codecForName("UTF-8");
    const QString text = utf8->toUnicode(bytes.constData(), bytes.size(), &state);
    if (state.invalidChars == 0 && state.remainingChars == 0)
        return text;
    if (QTextCodec *gb = QTextCodec::codecForName("GB18030"))
        return gb->toUnicode(bytes);
    return text;
}

void CBookJobManager::cleanText(QString &text)
{
    text.remove(QLatin1Char('\t'));
    text.remove(QLatin1Char('\r'));
    for (const char *entity : {"&amp;", "&nbsp", "&lt", "&gt"})
        text.remove(QLatin1String(entity));
    text.remove(entityPattern());
    text.remove(tagPattern());
}

void CBookJobManager::splitChapters(const QString &text, QStringList &titles, QStringList &contents)
{
    titles.clear();
    contents.clear();
    int contentStart = -1;
    QRegularExpressionMatchIterator it = headingPattern().globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        if (contentStart >= 0)
            contents.append(text.mid(contentStart, match.capturedStart() - contentStart));
        titles.append(titleOf(match.captured()));
        contentStart = match.capturedEnd();
    }
    if (contentStart >= 0)
        contents.append(text.mid(contentStart));
}

int CBookJobManager::books_importStart(const TC_Books_AddBook &req)
{
    if (req.filePath.isEmpty())
        return 0;
    // Set before the thread runs, so that a second import asked for at once is refused.
    m_ui->setImportRunning(true);
    auto *thread = new CThreadImportBook(req.filePath, uid());
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start(QThread::InheritPriority);
    return 200;
}

int CBookJobManager::readManuscript(const QString &path, QString &text) const
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QE_IMPORT_OPEN;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return QE_IMPORT_OPEN;
    if (!decodeManuscript(bytes, text))
        return QE_IMPORT_OPEN;
    if (text.trimmed().isEmpty())
        return QE_IMPORT_EMPTY;
    return 200;
}

int CBookJobManager::books_import(const QString &path, int uid)
{
    const QFileInfo info(path);
    const QString bookName = info.completeBaseName();
    auto finish = [&](int code, int chapters) {
        if (code != 200)
            qWarning() << "import book failed === " << code << path;
        emit sig_ImportBookFinished(code, bookName, chapters);
        return code;
    };
    if (info.suffix() != QLatin1String("txt"))
        return finish(QE_IMPORT_SUFFIX, 0);
    if (bookName.isEmpty())
        return finish(QE_IMPORT_NAME, 0);
    QString text;
    const int time = m_db->currentTime();
    const int read = readManuscript(path, text);
    if (read != 200)
        return finish(read, 0);
    cleanText(text);
    QStringList titles;
    QStringList contents;
    splitChapters(text, titles, contents);
    text.clear();
    if (titles.isEmpty())
        return finish(QE_IMPORT_NO_TITLE, 0);
    // The server takes no chapter over the limit: the book is refused whole,
    // before anything is stored, rather than cut or refused after the fact.
    for (int i = 0; i < contents.size(); ++i) {
        if (contents.at(i).size() > kMaxChapterLength) {
            emit sig_ImportChapterTooLong(titles.at(i), contents.at(i).size());
            return finish(QE_IMPORT_TOO_LONG, 0);
        }
    }

    const QList<int> batches = importBatches(titles, contents);
    int bookJobId = 0;
    T_Book *book = createImportedBook(bookName, uid, time, batches.size(), bookJobId);
    if (!book)
        return finish(QE_IMPORT_CREATE, 0);
    const int localBookId = book->localId;
    emit sig_ImportBookCreated(book); // the GUI thread owns it from here on
    const int stored = storeImportedChapters(book, localBookId, uid, time, titles, contents, batches);

    auto *record = new TC_Books_AddBook;
    record->uid = uid;
    record->localBookId = localBookId;
    record->jobId = bookJobId;
    record->jobType = JobType_BookAdd;
    record->bookName = bookName;
    record->createTime = time;
    record->update_time = time;
    record->fromImport = true;
    record->filePath = path;
    emit sig_ImportBookThreadComplete(record);
    return finish(stored == titles.size() ? 200 : QE_IMPORT_CREATE, stored);
}

T_Book *CBookJobManager::createImportedBook(const QString &bookName, int uid, int time, int batchCount,
                                            int &bookJobId)
{
    if (uid < 1 || !m_db->insertBook(uid, bookName, 0))
        return nullptr;
    const int localId = m_db->lastInsertId(QStringLiteral("tb_book"));
    if (localId < 1)
        return nullptr;
    T_Http_C header;
    header.uid = uid;
    header.localBookId = localId;
    header.jobType = JobType_BookAdd;
    if (!m_db->addJob(header, bookName, time)) {
        m_db->deleteBook(localId);
        return nullptr;
    }
    bookJobId = header.jobId;
    auto *book = new T_Book;
    book->localId = localId;
    book->authorId = uid;
    book->bookName = bookName;
    book->createTime = time;
    book->updateTime = time;
    book->isChaptersLoaded = true;
    book->isImporting = true;
    book->stepTotal += 2 * batchCount;
    return book;
}

QList<int> CBookJobManager::importBatches(const QStringList &titles, const QStringList &contents)
{
    // In the JSON list, form-encoded, a byte of UTF-8 takes at most six
    // bytes (a quote: \" becomes %5C%22).
    auto weight = [](const QString &text) { return 6 * qint64(text.toUtf8().size()); };
    QList<int> batches;
    int count = 0;
    qint64 bytes = 0;
    for (int i = 0; i < titles.size(); ++i) {
        const qint64 chapter = weight(titles.at(i)) + weight(contents.value(i)) + 128;
        if (count > 0 && (count == importBatchSize() || bytes + chapter > kImportBatchBytes)) {
            batches << count;
            count = 0;
            bytes = 0;
        }
        ++count;
        bytes += chapter;
    }
    if (count > 0)
        batches << count;
    return batches;
}

// `book` belongs to the GUI thread already: it is only passed on, never read.
int CBookJobManager::storeImportedChapters(T_Book *book, int localBookId, int uid, int time,
                                           const QStringList &titles, const QStringList &contents,
                                           const QList<int> &batches)
{
    T_Http_C header;
    header.uid = uid;
    header.localBookId = localBookId;
    header.jobType = JobType_ChapterBatchAdd;
    QList<T_Chapter *> batch;
    QJsonArray array;
    int stored = 0;
    int batchIndex = 0;
    auto flush = [&] {
        if (batch.isEmpty())
            return true;
        emit sig_ImportChapterBatch(book, batch);
        T_Http_C job = header;
        const QString list = QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
        batch.clear();
        array = QJsonArray();
        ++batchIndex;
        return m_db->addJob(job, list, time);
    };
    for (int i = 0; i < titles.size(); ++i) {
        auto *chapter = new T_Chapter;
        chapter->localBookId = localBookId;
        chapter->name = titles.at(i);
        chapter->content = contents.at(i);
        chapter->wordCount = CUiManager::countWords(chapter->content);
        chapter->orderNum = i + 1;
        chapter->createTime = time;
        chapter->updateTime = time;
        if (!m_db->insertChapterWithContent(*chapter)) {
            delete chapter;
            break;
        }
        ++stored;
        batch.append(chapter);
        array.append(QJsonObject{{QStringLiteral("chapter_name"), chapter->name},
                                 {QStringLiteral("local_id"), chapter->localId},
                                 {QStringLiteral("update_time"), time},
                                 {QStringLiteral("order_num"), chapter->orderNum},
                                 {QStringLiteral("content"), chapter->content}});
        if (batch.size() == batches.value(batchIndex) && !flush())
            return stored;
    }
    flush();
    return stored;
}

// GUI thread ---------------------------------------------------------------

void CBookJobManager::on_ImportBookCreated(T_Book *pBook)
{
    m_importThreadBooks.insert(pBook->localId);
    m_session->books.prepend(pBook);
    m_ui->setImportRunning(true);
    m_ui->addBook(pBook, 0, true);
}

void CBookJobManager::on_ImportChapterBatch(T_Book *pBook, QList<T_Chapter *> chapters)
{
    for (T_Chapter *chapter : qAsConst(chapters)) {
        chapter->bookId = pBook->bookId;
        pBook->chapterList.append(chapter);
    }
    recountBook(pBook);
    advanceImport(pBook);
    emit sig_ImportBookStep(pBook);
}

void CBookJobManager::advanceImport(T_Book *book)
{
    if (!book->isImporting)
        return;
    ++book->stepDone;
    if (book->stepDone >= book->stepTotal) {
        book->isImporting = false;
        book->stepDone = 0;
        book->stepTotal = 0;
    }
    m_ui->onBookChanged(book);
}

void CBookJobManager::on_ImportBookStep(T_Book *pBook)
{
    m_ui->onBookChanged(pBook);
}

void CBookJobManager::on_ImportBookThreadComplete(TC_Books_AddBook *tData)
{
    m_importThreadBooks.remove(tData->localBookId);
    if (T_Book *book = findBook(tData->localBookId)) {
        recountBook(book);
        m_db->updateBook(*book);
        tData->bookId = book->bookId;
        TC_Books_AddBook send = *tData;
        send.next = 0;
        if (book->bookId < 1)
            m_http->booksAddBookAsyn(send);
    }
    m_ui->setImportRunning(false);
    delete tData;
}

void CBookJobManager::on_ImportChapterTooLong(const QString &title, int length)
{
    const QLocale locale;
    m_ui->showTips(tr("Not imported: the chapter \"%1\" has %2 characters, %3 more than a chapter can hold "
                      "(%4). Split it with a heading such as 第12章, then import the file again.")
                       .arg(title, locale.toString(length), locale.toString(length - kMaxChapterLength),
                            locale.toString(kMaxChapterLength)),
                   0);
}

void CBookJobManager::on_ImportBookFinished(int code, const QString &bookName, int chapterCount)
{
    m_ui->setImportRunning(false);
    switch (code) {
    case 200:
        m_ui->showTips(tr("Imported \"%1\": %n chapter(s)", nullptr, chapterCount).arg(bookName), 1);
        return;
    case QE_IMPORT_SUFFIX:
        m_ui->showTips(tr("Only .txt files can be imported"), 0);
        return;
    case QE_IMPORT_NAME:
        m_ui->showTips(tr("The file has no name to give the book"), 0);
        return;
    case QE_IMPORT_EMPTY:
        m_ui->showTips(tr("The file is empty"), 0);
        return;
    case QE_IMPORT_OPEN:
        m_ui->showTips(tr("The file cannot be read as text"), 0);
        return;
    case QE_IMPORT_NO_TITLE:
        m_ui->showTips(tr("No chapter headings (such as 第1章) were found in the file"), 0);
        return;
    case QE_IMPORT_TOO_LONG:
        return; // told with the chapter's name and length

    default:
        m_ui->showTips(tr("The book could not be created"), 0);
        return;
    }
}
