// The editor's saves and its recovery journal, on the real widgets and the
// real store, with the clocks driven by hand: the saves go on however long
// the author paused and whatever the wall clock does; what is typed reaches
// the journal with the document's own plain text; and a journal the store
// does not hold yet is saved when its chapter opens, unless the store's
// text changed since, when it becomes a snapshot instead.
#include "db/cquorvindb.h"
#include "db/cstorehealth.h"
#include "db/records.h"
#include "manager/cjobmanager.h"
#include "manager/crecoveryjournal.h"
#include "manager/cuimanager.h"
#include "testappdir.h"
#include "testmain.h"
#include "ui/creation/creation_textedit.h"
#include "ui/creation/creationclock.h"
#include "ui/creation/widget_creation.h"
#include "ui/creation/widget_creation_content.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QtTest>

namespace {

// Key events carrying the characters, as a keyboard layout or an input
// method delivers them (QTest::keyClicks knows only Latin-1).
void typeKeys(QWidget *widget, const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

} // namespace

class TestEditorSaves : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void savesGoOnAfterALongPause();
    void wallClockSetBackHoldsNoSave();
    void journalHoldsThePlainText_data();
    void journalHoldsThePlainText();
    void journalIsSavedWhenItsChapterOpens_data();
    void journalIsSavedWhenItsChapterOpens();
    void journalThatCannotBeWrittenIsToldAndRetried();

private:
    static QString stored(int localChapterId);
    static QString queued(int localChapterId);
    T_Book *newBook(const QString &name);
    void open(T_Book *book);
    void tick(int seconds = 1);
    void type(const QString &text);

    TestAppDir m_app;
    Widget_Creation *m_page = nullptr;
    Widget_Creation_Content *m_content = nullptr;
    Creation_TextEdit *m_edit = nullptr;
    int m_wall = 1800000000;
    int m_steady = 1000;
    T_SessionData &m_session = T_SessionData::instance();
};

void TestEditorSaves::initTestCase()
{
    QVERIFY(m_app.isValid());
    // The jobs the saves queue go nowhere beyond this machine.
    m_app.writeSettings("[system]\n[server]\nbaseUrl=http://127.0.0.1:9\n");
    QVERIFY(CQuorvinDb::instance()->init());
    QSqlDatabase check = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
    check.setDatabaseName(m_app.dbFile());
    QVERIFY(check.open());
    m_session.author.uid = 78;
    m_session.user.uid = 78;
    QVERIFY(CQuorvinDb::instance()->insertUser(m_session.author, m_session.user));
    CreationClock::setSource([this] { return m_wall; });
    CreationClock::setMonotonicSource([this] { return m_steady; });
}

void TestEditorSaves::init()
{
    m_session.user = T_User();
    m_session.user.uid = 78;
    m_session.writingSession = T_WritingSession();
    m_page = new Widget_Creation;
    m_page->resize(1200, 800);
    m_page->show();
    m_page->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_page));
    m_content = m_page->content();
    m_edit = m_content->editor();
    connect(m_content->creationTimer(), &QTimer::timeout, m_content->creationTimer(), &QTimer::stop);
}

void TestEditorSaves::cleanup()
{
    m_content->closeChapter();
    delete m_page;
    m_page = nullptr;
}

QString TestEditorSaves::stored(int localChapterId)
{
    QSqlQuery q(QSqlDatabase::database(QStringLiteral("check")));
    q.exec(QStringLiteral("select content from tb_chapter where localId = %1").arg(localChapterId));
    return q.next() ? q.value(0).toString() : QStringLiteral("<none>");
}

QString TestEditorSaves::queued(int localChapterId)
{
    QSqlQuery q(QSqlDatabase::database(QStringLiteral("check")));
    q.exec(QStringLiteral("select content from tb_job where jobType = 23 and localChapterId = %1")
               .arg(localChapterId));
    return q.next()
               ? QJsonDocument::fromJson(q.value(0).toString().toUtf8()).object().value("content").toString()
               : QStringLiteral("<none>");
}

T_Book *TestEditorSaves::newBook(const QString &name)
{
    TC_Books_AddBook req;
    req.bookName = name;
    return CJobManager::instance()->booksAddBook(req);
}

void TestEditorSaves::open(T_Book *book)
{
    m_page->openBook(book);
    m_content->creationTimer()->stop();
    m_edit->setFocus();
    QTRY_VERIFY(m_edit->isFocused());
}

void TestEditorSaves::tick(int seconds)
{
    for (int i = 0; i < seconds; ++i) {
        ++m_wall;
        ++m_steady;
        m_content->onCreationTimer();
    }
}

void TestEditorSaves::type(const QString &text)
{
    m_edit->on_GlobalKeyPressWin(30); // the key as the system reports it
    typeKeys(m_edit, text);
}

void TestEditorSaves::savesGoOnAfterALongPause()
{
    T_Book *book = newBook(QStringLiteral("长停"));
    const int id = book->chapterList.first()->localId;
    open(book);
    type(QStringLiteral("起"));
    tick(5);
    QCOMPARE(stored(id), QStringLiteral("起"));
    // The save's job carries the time of the server's clock, not the steady one.
    QSqlQuery q(QSqlDatabase::database(QStringLiteral("check")));
    QVERIFY(q.exec(QStringLiteral("select createTime from tb_job where jobType = 23 and localChapterId = %1")
                       .arg(id)) &&
            q.next());
    const int queuedAt = q.value(0).toInt();
    q.finish(); // no read left open on the check connection
    QVERIFY2(qAbs(queuedAt - m_wall) < 10, qPrintable(QString::number(queuedAt)));
    tick(400); // idle time stops counting after 301 seconds; saves do not
    QCOMPARE(m_session.writingSession.idleSeconds, 301);
    type(QStringLiteral("承"));
    tick(5);
    QCOMPARE(stored(id), QStringLiteral("起承"));
    // A long pause again, then a long spell of typing: saved every 10 s.
    tick(900);
    for (int i = 0; i < 11; ++i) {
        type(QStringLiteral("转"));
        tick();
    }
    QCOMPARE(stored(id).left(3), QStringLiteral("起承转"));
    QVERIFY(stored(id).size() >= 10);
}

void TestEditorSaves::wallClockSetBackHoldsNoSave()
{
    T_Book *book = newBook(QStringLiteral("回拨"));
    const int id = book->chapterList.first()->localId;
    open(book);
    type(QStringLiteral("一"));
    m_wall -= 3600; // the system clock is set back an hour
    tick(5);
    QCOMPARE(stored(id), QStringLiteral("一"));
    // Typing on: the 10-second save comes on time, not an hour late.
    m_wall -= 3600;
    for (int i = 0; i < 11; ++i) {
        type(QStringLiteral("二"));
        tick();
    }
    QVERIFY2(stored(id).size() >= 10, qPrintable(stored(id)));
}

void TestEditorSaves::journalHoldsThePlainText_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("Chinese and a break") << QStringLiteral("风起\n云涌");
    QTest::newRow("no-break space and emoji") << QStringLiteral("a\u00a0b 🙂👍🏽");
    QTest::newRow("quotes and marks") << QStringLiteral("“他说：'%1'”\\n");
}

void TestEditorSaves::journalHoldsThePlainText()
{
    QFETCH(QString, text);
    T_Book *book = newBook(QStringLiteral("日志"));
    const int id = book->chapterList.first()->localId;
    open(book);
    const QStringList lines = text.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        if (i > 0)
            QTest::keyClick(m_edit, Qt::Key_Return);
        m_edit->insertPlainText(lines.at(i));
    }
    // A soft line break too, which the plain text turns into a line break.
    QTest::keyClick(m_edit, Qt::Key_Return, Qt::ShiftModifier);
    typeKeys(m_edit, QStringLiteral("尾"));
    const QString shown = m_edit->toPlainText();
    CRecoveryJournal::T_Entry entry;
    const QString file = CRecoveryJournal::instance()->fileOf(id);
    QTRY_VERIFY(CRecoveryJournal::instance()->flush() && CRecoveryJournal::read(file, entry) &&
                entry.text == shown);
    QCOMPARE(entry.uid, 78);
    QCOMPARE(entry.localBookId, book->localId);
    QCOMPARE(stored(id), QString()); // the store has not taken it yet
    // Once it has, the journal goes.
    QVERIFY(m_content->saveChapter());
    QVERIFY(CRecoveryJournal::instance()->flush());
    QVERIFY(!QFile::exists(file));
}

void TestEditorSaves::journalIsSavedWhenItsChapterOpens_data()
{
    QTest::addColumn<bool>("storeChangedSince");
    QTest::newRow("the store still holds the journal's base") << false;
    QTest::newRow("the store's text changed since") << true;
}

void TestEditorSaves::journalIsSavedWhenItsChapterOpens()
{
    QFETCH(bool, storeChangedSince);
    T_Book *book = newBook(QStringLiteral("恢复"));
    T_Chapter *chapter = book->chapterList.first();
    const QString base = QStringLiteral("旧的文字");
    chapter->isContentLoaded = true;
    QVERIFY(CQuorvinDb::instance()->setChapterContent(chapter->localId, base, 4));
    chapter->content = base;
    // What a killed run left: typed on top of the stored text.
    CRecoveryJournal::T_Entry entry;
    entry.uid = 78;
    entry.localBookId = book->localId;
    entry.localChapterId = chapter->localId;
    entry.base = base;
    entry.text = base + QStringLiteral("，和没来得及保存的新字");
    QVERIFY(CRecoveryJournal::instance()->writeNow(entry));
    const QString newer = QStringLiteral("另一台电脑写的文字");
    if (storeChangedSince) {
        QVERIFY(CQuorvinDb::instance()->setChapterContent(chapter->localId, newer, 9));
        chapter->content = newer;
    }
    QSignalSpy tips(CUiManager::instance(), &CUiManager::sig_TipShown);
    open(book);
    QCOMPARE(tips.count(), 1);
    QVERIFY(!QFile::exists(CRecoveryJournal::instance()->fileOf(chapter->localId)));
    if (!storeChangedSince) {
        // Saved as any save of the editor: the text and its job.
        QCOMPARE(m_edit->toPlainText(), entry.text);
        QCOMPARE(stored(chapter->localId), entry.text);
        QCOMPARE(queued(chapter->localId), entry.text);
        QCOMPARE(tips.first().at(1).toInt(), 1);
        return;
    }
    // Neither text is dropped: the newer one stays, the journal's is a snapshot.
    QCOMPARE(m_edit->toPlainText(), newer);
    QCOMPARE(stored(chapter->localId), newer);
    QSqlQuery q(QSqlDatabase::database(QStringLiteral("check")));
    QVERIFY(q.exec(QStringLiteral(
                       "select count(*) from tb_contentblade where localChapterId = %1 and content = '%2'")
                       .arg(chapter->localId)
                       .arg(entry.text)) &&
            q.next());
    QCOMPARE(q.value(0).toInt(), 1);
}

void TestEditorSaves::journalThatCannotBeWrittenIsToldAndRetried()
{
    T_Book *book = newBook(QStringLiteral("无处"));
    const int id = book->chapterList.first()->localId;
    open(book);
    CRecoveryJournal *journal = CRecoveryJournal::instance();
    // A file where the journal's folder should be: nothing can be written there.
    QVERIFY(journal->flush());
    QDir(journal->folder()).removeRecursively();
    QFile blocker(journal->folder());
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    CStoreHealth *health = CStoreHealth::instance();
    health->setRetryInterval(3600 * 1000);
    type(QStringLiteral("无处可写"));
    QTRY_VERIFY(journal->flush() == false && journal->lastWriteFailed(id));
    QTRY_VERIFY(health->isFailing());
    QVERIFY2(health->message().contains(QDir::toNativeSeparators(journal->fileOf(id))),
             qPrintable(health->message()));

    // The folder can be made again: the retry writes the text held meanwhile
    // (and, the store being well, saves it, after which the journal goes).
    QVERIFY(QFile::remove(journal->folder()));
    health->retryNow();
    QTRY_VERIFY(journal->flush() && !journal->lastWriteFailed(id));
    QCOMPARE(stored(id), m_edit->toPlainText());
    QTRY_VERIFY(!health->isFailing());
}

QUORVIN_TEST_MAIN(TestEditorSaves)

#include "tst_editorsaves.moc"
