// The chapter editor and the chapter list on the offscreen platform against
// the real store (no server: every change stays queued): the word count
// kept from each change, loading, the 300-change save and snapshot,
// punctuation pairing, commands, the writing timer with an injected clock,
// the input-method caret, export and import, and the list's edge cases.
#include "db/cquorvindb.h"
#include "manager/cbookjobmanager.h"
#include "manager/cjobmanager.h"
#include "manager/cqssmanager.h"
#include "manager/cuimanager.h"
#include "testappdir.h"
#include "testmain.h"
#include "ui/creation/chapterlistmodel.h"
#include "ui/creation/creation_textedit.h"
#include "ui/creation/creationclock.h"
#include "ui/creation/ctabbutton.h"
#include "ui/creation/titemdata.h"
#include "ui/creation/widget_creation.h"
#include "ui/creation/widget_creation_content.h"
#include "ui/creation/widget_creation_left.h"
#include "ui/creation/widget_creation_top.h"
#include "ui/ztmessagebox.h"

#include <QAction>
#include <QButtonGroup>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextCodec>

namespace {

void commit(QWidget *target, const QString &text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(target, &event);
}

void answerNextBox(int buttonIndex)
{
    auto *poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [poll, buttonIndex] {
        auto *box = qobject_cast<ZtMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll->stop();
        poll->deleteLater();
        QTest::mouseClick(box->buttons().at(qMin(buttonIndex, box->buttons().size() - 1)), Qt::LeftButton);
    });
    poll->start();
}

} // namespace

class TestCreationEditor : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void wordCountOfTypedText_data();
    void wordCountOfTypedText();
    void wordCountFollowsRandomEdits_data();
    void wordCountFollowsRandomEdits();
    void loadingDropsBlankLines();
    void saveAndSnapshotAtThreeHundredChanges();
    void punctuationPairs_data();
    void punctuationPairs();
    void commandsChangeTheSettings();
    void imeCaretFollowsTheMargins_data();
    void imeCaretFollowsTheMargins();
    void soundsForKeyCodes_data();
    void soundsForKeyCodes();
    void timerCountsTypingAndIdleSeconds();
    void timerComputesSpeedWindows();
    void longTypingIsSavedEveryTenSeconds();
    void saveAllSavesTypedText();
    void exportReplacesTheFileOnlyWhenComplete();
    void importDecodesAndKeepsTheOldTextRestorable();
    void defaultNamesFollowTheHighestOrder();
    void onlyChapterCannotMove();
    void deletingTheLastChapterEmptiesTheEditor();
    void tabsHoldAtMostFiveAndKeepTheLastOne();
    void limitsAtAMillionCharacters_data();
    void limitsAtAMillionCharacters();
    void importRefusesBinaryAndAsksBeforeEmptying_data();
    void importRefusesBinaryAndAsksBeforeEmptying();
    void aChapterLeavingClosesEveryTabShowingIt_data();
    void aBookDeletedElsewhereLeavesThePage();
    void blankChapterNamesAreRefused_data();
    void blankChapterNamesAreRefused();
    void aChapterLeavingClosesEveryTabShowingIt();

private:
    static int value(const QString &text)
    {
        QSqlQuery q(QSqlDatabase::database(QStringLiteral("check")));
        q.exec(text);
        return q.next() ? q.value(0).toInt() : -1;
    }
    static QString stored(int localChapterId)
    {
        QSqlQuery q(QSqlDatabase::database(QStringLiteral("check")));
        q.exec(QStringLiteral("select content from tb_chapter where localId = %1").arg(localChapterId));
        return q.next() ? q.value(0).toString() : QStringLiteral("<none>");
    }
    T_Book *newBook(const QString &name);
    // A book whose first chapter holds `length` characters (full lines).
    T_Book *bookOfLength(const QString &name, int length);
    static QString writeFile(const QTemporaryDir &dir, const QByteArray &bytes);
    void open(T_Book *book);
    void tick(int seconds = 1);
    void key(int code = 30);

    TestAppDir m_app;
    Widget_Creation *m_page = nullptr;
    Widget_Creation_Content *m_content = nullptr;
    Creation_TextEdit *m_edit = nullptr;
    T_Book *m_book = nullptr;
    int m_now = 1800000000;
    T_SessionData &m_session = T_SessionData::instance();
};

void TestCreationEditor::initTestCase()
{
    QVERIFY(m_app.isValid());
    QVERIFY(CQuorvinDb::instance()->init());
    QSqlDatabase check = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
    check.setDatabaseName(m_app.dbFile());
    QVERIFY(check.open());
    m_session.author.uid = 77;
    m_session.user.uid = 77;
    QVERIFY(CQuorvinDb::instance()->insertUser(m_session.author, m_session.user));
    CreationClock::setSource([this] { return m_now; });
}

void TestCreationEditor::init()
{
    m_session.user = T_User();
    m_session.user.uid = 77;
    m_session.user.isFocusing = 0;
    m_session.user.isCenter = 0;
    m_session.writingSession = T_WritingSession();
    m_session.todayStatistics = T_DayStatistics();
    m_page = new Widget_Creation;
    m_page->resize(1200, 800);
    m_page->show();
    m_page->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_page));
    m_content = m_page->content();
    m_edit = m_content->editor();
    // The timer is driven by hand here.
    connect(m_content->creationTimer(), &QTimer::timeout, m_content->creationTimer(), &QTimer::stop);
}

void TestCreationEditor::cleanup()
{
    m_content->closeChapter();
    delete m_page;
    m_page = nullptr;
}

T_Book *TestCreationEditor::newBook(const QString &name)
{
    TC_Books_AddBook req;
    req.bookName = name;
    return CJobManager::instance()->booksAddBook(req);
}

void TestCreationEditor::open(T_Book *book)
{
    m_book = book;
    m_page->openBook(book);
    m_content->creationTimer()->stop();
    m_edit->setFocus();
    QTRY_VERIFY(m_edit->isFocused());
}

void TestCreationEditor::tick(int seconds)
{
    for (int i = 0; i < seconds; ++i) {
        ++m_now;
        m_content->onCreationTimer();
    }
}

void TestCreationEditor::key(int code)
{
    m_edit->on_GlobalKeyPressWin(code);
}

void TestCreationEditor::wordCountOfTypedText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("count");
    QTest::newRow("blank and breaks") << QStringLiteral("第一章 Hello\n\n") << 8;
    QTest::newRow("full-width space and tab count") << QStringLiteral("甲　乙\t丙") << 5;
    QTest::newRow("only blanks") << QStringLiteral("  \n \n") << 0;
}

void TestCreationEditor::wordCountOfTypedText()
{
    QFETCH(QString, text);
    QFETCH(int, count);
    open(newBook(QStringLiteral("计数")));
    m_edit->textCursor().insertText(text);
    QCOMPARE(m_content->wordCount(), count);
    QCOMPARE(m_content->chapter()->wordCount, count);
    QCOMPARE(CUiManager::countWords(m_edit->toPlainText()), count);
}

void TestCreationEditor::wordCountFollowsRandomEdits_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed : {1u, 7u, 42u, 2024u})
        QTest::newRow(qPrintable(QString::number(seed))) << seed;
}

void TestCreationEditor::wordCountFollowsRandomEdits()
{
    QFETCH(quint32, seed);
    QRandomGenerator random(seed);
    open(newBook(QStringLiteral("随机")));
    const QStringList pieces = {
        QStringLiteral("雨"), QStringLiteral(" "),  QStringLiteral("\n"),   QStringLiteral("Hello world"),
        QStringLiteral("　"), QStringLiteral("\t"), QString(QChar(0x00A0)), QStringLiteral("“对”\n\n后来")};
    const QString bigPaste = QStringLiteral("一段 很长的\n文字。").repeated(600);
    for (int step = 0; step < 300; ++step) {
        QTextCursor cursor = m_edit->textCursor();
        const int length = m_edit->document()->characterCount() - 1;
        const int op = random.bounded(10);
        if (op < 5) {
            cursor.setPosition(random.bounded(length + 1));
            cursor.insertText(pieces.at(random.bounded(pieces.size())));
        } else if (op < 7 && length > 0) {
            const int from = random.bounded(length);
            cursor.setPosition(from);
            cursor.setPosition(qMin(length, from + 1 + random.bounded(8)), QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
        } else if (op == 7 && step % 50 == 0) {
            cursor.setPosition(random.bounded(length + 1));
            cursor.insertText(bigPaste);
        } else if (op == 8) {
            m_edit->undo();
        } else {
            m_edit->redo();
        }
        QCOMPARE(m_content->wordCount(), CUiManager::countWords(m_edit->toPlainText()));
    }
    QCOMPARE(m_content->chapter()->wordCount, m_content->wordCount());
}

void TestCreationEditor::loadingDropsBlankLines()
{
    T_Book *book = newBook(QStringLiteral("空行"));
    T_Chapter *chapter = book->chapterList.first();
    chapter->content = QStringLiteral("甲\n\n乙\r\n\r\n\n丙");
    chapter->isContentLoaded = true;
    open(book);
    QCOMPARE(m_edit->toPlainText(), QStringLiteral("甲\n乙\n丙"));
    m_edit->moveCursor(QTextCursor::End);
    m_edit->textCursor().insertText(QStringLiteral("丁"));
    QVERIFY(m_content->saveChapter());
    QCOMPARE(stored(chapter->localId), QStringLiteral("甲\n乙\n丙丁"));
}

void TestCreationEditor::saveAndSnapshotAtThreeHundredChanges()
{
    T_Book *book = newBook(QStringLiteral("三百"));
    T_Chapter *chapter = book->chapterList.first();
    open(book);
    const QString blades = QStringLiteral("select count(*) from tb_contentblade where localChapterId = %1")
                               .arg(chapter->localId);
    for (int i = 0; i < 299; ++i)
        m_edit->textCursor().insertText(QStringLiteral("字"));
    // Blanks and breaks are not counted changes.
    m_edit->textCursor().insertText(QStringLiteral(" \n "));
    QCOMPARE(m_session.writingSession.changeCounter, 299);
    QCOMPARE(stored(chapter->localId), QString());
    QCOMPARE(value(blades), 0);
    // The 300th counted change is a deletion.
    QTextCursor cursor = m_edit->textCursor();
    cursor.setPosition(0);
    cursor.deleteChar();
    QCOMPARE(m_session.writingSession.changeCounter, 0);
    QCOMPARE(stored(chapter->localId), m_edit->toPlainText());
    // The snapshot follows in the next turn of the event loop.
    QTRY_COMPARE(value(blades), 1);
    QCOMPARE(value(QStringLiteral("select count(*) from tb_job where jobType = %1 and localChapterId = %2")
                       .arg(JobType_ContentBlade)
                       .arg(chapter->localId)),
             1);
    // The snapshot's job carries the text and the chapter's name for the replay.
    T_JobData job;
    QVERIFY(CQuorvinDb::instance()->getJob(CQuorvinDb::instance()->findJob(JobType_ContentBlade,
                                                                           QStringLiteral("localChapterId"),
                                                                           chapter->localId),
                                           job));
    const QJsonObject payload = QJsonDocument::fromJson(job.content.toUtf8()).object();
    QCOMPARE(payload.value(QStringLiteral("content")).toString(), m_edit->toPlainText());
    QCOMPARE(payload.value(QStringLiteral("chapterName")).toString(), chapter->name);
}

void TestCreationEditor::punctuationPairs_data()
{
    QTest::addColumn<QString>("commit");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("cursor");
    QTest::newRow("（ committed") << QStringLiteral("（") << 0 << 0 << QStringLiteral("甲（）") << 2;
    QTest::newRow("《 committed") << QStringLiteral("《") << 0 << 0 << QStringLiteral("甲《》") << 2;
    QTest::newRow("lone ” committed") << QStringLiteral("”") << 0 << 0 << QStringLiteral("甲“”") << 2;
    QTest::newRow("lone ’ committed") << QStringLiteral("’") << 0 << 0 << QStringLiteral("甲‘’") << 2;
    QTest::newRow("plain text committed") << QStringLiteral("好") << 0 << 0 << QStringLiteral("甲好") << 2;
    QTest::newRow("[ typed") << QString() << int(Qt::Key_BracketLeft) << 0 << QStringLiteral("甲[]") << 2;
    QTest::newRow("( typed with shift")
        << QString() << int(Qt::Key_ParenLeft) << int(Qt::ShiftModifier) << QStringLiteral("甲()") << 2;
}

void TestCreationEditor::punctuationPairs()
{
    QFETCH(QString, commit);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, expected);
    QFETCH(int, cursor);
    open(newBook(QStringLiteral("标点")));
    ::commit(m_edit, QStringLiteral("甲"));
    if (key)
        QTest::keyClick(m_edit, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    else
        ::commit(m_edit, commit);
    QTRY_COMPARE(m_edit->toPlainText(), expected);
    QTest::qWait(80);
    QCOMPARE(m_edit->toPlainText(), expected);
    QCOMPARE(m_edit->textCursor().position(), cursor);
}

void TestCreationEditor::commandsChangeTheSettings()
{
    open(newBook(QStringLiteral("命令")));
    T_ItemData size;
    size.code = 29;
    size.label = QStringLiteral("10号");
    size.shortcut = QStringLiteral("10");
    emit CUiManager::instance()->sig_Creation_Btn_Press(&size);
    QCOMPARE(m_session.user.fontSize, 12);
    QCOMPARE(m_edit->font().pointSize(), 12);

    T_ItemData bold;
    bold.code = 22;
    emit CUiManager::instance()->sig_Creation_Btn_Press(&bold);
    QCOMPARE(m_session.user.isBlod, 1);
    QVERIFY(m_edit->font().bold());

    m_edit->textCursor().insertText(QStringLiteral("前后"));
    QTextCursor middle = m_edit->textCursor();
    middle.setPosition(1);
    m_edit->setTextCursor(middle);
    T_ItemData line;
    line.code = 13;
    emit CUiManager::instance()->sig_Creation_Btn_Press(&line);
    QCOMPARE(m_edit->toPlainText(), QStringLiteral("前\n--------------------------------------\n后"));

    // Hot keys: F8 turns the sound over, Ctrl+F6 the centred column.
    const int sound = m_session.user.isSound;
    QTest::keyClick(m_edit, Qt::Key_F8);
    QCOMPARE(m_session.user.isSound, sound ? 0 : 1);
    QTest::keyClick(m_edit, Qt::Key_F6, Qt::ControlModifier);
    QCOMPARE(m_session.user.isCenter, 1);
    QCOMPARE(m_content->pageMargins().left(), (m_edit->width() - 820) / 2);
}

void TestCreationEditor::imeCaretFollowsTheMargins_data()
{
    QTest::addColumn<int>("center");
    QTest::addColumn<int>("focusing");
    QTest::addColumn<bool>("fullScreen");
    for (const bool full : {false, true}) {
        const char *suffix = full ? ", full screen" : "";
        QTest::addRow("plain margins%s", suffix) << 0 << 0 << full;
        QTest::addRow("centred column%s", suffix) << 1 << 0 << full;
        QTest::addRow("focus mode%s", suffix) << 0 << 1 << full;
    }
}

void TestCreationEditor::imeCaretFollowsTheMargins()
{
    QFETCH(int, center);
    QFETCH(int, focusing);
    QFETCH(bool, fullScreen);
    m_session.user.isCenter = center;
    m_session.user.isFocusing = focusing;
    open(newBook(QStringLiteral("光标")));
    if (fullScreen) {
        // The editor takes the whole page; the list and the bar float over it.
        // (The offscreen screen is narrower than the column, so the window
        // keeps its size here; the Xvfb tests go really full screen.)
        m_page->onWindowStateChanged(Qt::WindowFullScreen);
        QVERIFY(m_page->isFullScreenLayout());
        QTRY_COMPARE(m_edit->width(), m_page->width());
    }
    // Typing (in full screen this hides the scroll bars) and a caret inside the text.
    commit(m_edit, QStringLiteral("第一行的文字\n第二行也有一些文字"));
    QTextCursor c = m_edit->textCursor();
    c.setPosition(3);
    m_edit->setTextCursor(c);
    QCoreApplication::processEvents();
    if (center || focusing)
        QCOMPARE(m_content->pageMargins().left(), (m_edit->width() - 820) / 2);
    const QRect caret = m_edit->cursorRect().translated(m_edit->viewport()->pos());
    const QRect asked = m_edit->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    QCOMPARE(asked, caret);
    QVERIFY(caret.left() >= m_content->pageMargins().left());
    // Where the window puts the candidate list: the caret's place on the screen.
    QCOMPARE(m_edit->mapToGlobal(asked.topLeft()),
             m_edit->viewport()->mapToGlobal(m_edit->cursorRect().topLeft()));
}

void TestCreationEditor::soundsForKeyCodes_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("sound");
    QTest::newRow("letter") << 30 << int(Creation_TextEdit::SoundWriting);
    QTest::newRow("backspace") << 14 << int(Creation_TextEdit::SoundDelete);
    QTest::newRow("backspace held") << 16398 << int(Creation_TextEdit::SoundDelete);
    QTest::newRow("delete key") << 338 << int(Creation_TextEdit::SoundDelete);
    QTest::newRow("delete held") << 16722 << int(Creation_TextEdit::SoundDelete);
    QTest::newRow("enter") << 28 << int(Creation_TextEdit::SoundEnter);
    QTest::newRow("keypad enter") << 284 << int(Creation_TextEdit::SoundEnter);
    QTest::newRow("enter held") << 16412 << int(Creation_TextEdit::SoundEnter);
    QTest::newRow("F5") << 63 << int(Creation_TextEdit::SoundNone);
    QTest::newRow("right ctrl") << 285 << int(Creation_TextEdit::SoundNone);
    QTest::newRow("left arrow") << 331 << int(Creation_TextEdit::SoundNone);
}

void TestCreationEditor::soundsForKeyCodes()
{
    QFETCH(int, code);
    QFETCH(int, sound);
    open(newBook(QStringLiteral("声音")));
    m_session.user.isSound = 1;
    QSignalSpy played(m_edit, &Creation_TextEdit::sig_soundPlayed);
    key(code);
    QCOMPARE(played.count(), sound ? 1 : 0);
    if (sound)
        QCOMPARE(played.first().first().toInt(), sound);
    QCOMPARE(m_session.writingSession.typing, sound != 0);
}

void TestCreationEditor::timerCountsTypingAndIdleSeconds()
{
    T_Book *book = newBook(QStringLiteral("计时"));
    T_Chapter *chapter = book->chapterList.first();
    open(book);
    QSignalSpy ticks(m_content, &Widget_Creation_Content::sig_CreationTick);
    T_WritingSession &w = m_session.writingSession;
    tick(2); // nothing is counted before the first key
    QCOMPARE(w.freeSeconds + w.writeSeconds, 0);
    for (int i = 0; i < 4; ++i) {
        key();
        m_edit->textCursor().insertText(QStringLiteral("风"));
        tick();
    }
    QCOMPARE(w.writeSeconds, 4);
    QCOMPARE(m_session.todayStatistics.writeTime, 4);
    QCOMPARE(ticks.last().first().toBool(), true);
    tick(); // two seconds since the last key: still typing
    QCOMPARE(w.writeSeconds, 5);
    QCOMPARE(stored(chapter->localId), QString());
    tick(); // the gap: typing ends, nothing counted
    QCOMPARE(w.typing, false);
    QCOMPARE(ticks.last().first().toBool(), false);
    QCOMPARE(w.freeSeconds, 0);
    tick(); // the first idle second saves
    QCOMPARE(w.freeSeconds, 1);
    QCOMPARE(stored(chapter->localId), QStringLiteral("风风风风"));
    tick(400);
    QCOMPARE(w.idleSeconds, 301);
    QCOMPARE(w.freeSeconds, 301);
}

void TestCreationEditor::timerComputesSpeedWindows()
{
    open(newBook(QStringLiteral("速度")));
    T_WritingSession &w = m_session.writingSession;
    key();
    m_edit->textCursor().insertText(QString(50, QChar(0x5B57)));
    tick(20);
    QCOMPARE(w.speed, 9000);
    QCOMPARE(m_session.todayStatistics.writeSpeed, 9000);
    m_edit->textCursor().insertText(QString(30, QChar(0x5B57)));
    tick(20);
    QCOMPARE(w.speed, 7200);

    // A window above 18000 words an hour is not a day's best.
    m_session.todayStatistics.writeSpeed = 0;
    w.speed = 0;
    m_edit->textCursor().insertText(QString(101, QChar(0x5B57)));
    tick(20);
    QCOMPARE(w.speed, 18180);
    QCOMPARE(m_session.todayStatistics.writeSpeed, 0);
}

void TestCreationEditor::longTypingIsSavedEveryTenSeconds()
{
    T_Book *book = newBook(QStringLiteral("连续"));
    T_Chapter *chapter = book->chapterList.first();
    open(book);
    for (int i = 0; i < 9; ++i) {
        key();
        m_edit->textCursor().insertText(QStringLiteral("字"));
        tick();
    }
    QCOMPARE(stored(chapter->localId), QString());
    key();
    m_edit->textCursor().insertText(QStringLiteral("尾"));
    tick();
    QCOMPARE(stored(chapter->localId), QStringLiteral("字字字字字字字字字尾"));
}

void TestCreationEditor::saveAllSavesTypedText()
{
    T_Book *book = newBook(QStringLiteral("退出"));
    T_Chapter *chapter = book->chapterList.first();
    open(book);
    key();
    m_edit->textCursor().insertText(QStringLiteral("退出前写下的字"));
    QCOMPARE(stored(chapter->localId), QString());
    // What a SIGTERM or the session manager's quit request sends to the pages.
    emit CUiManager::instance()->sig_SaveAll();
    QCOMPARE(stored(chapter->localId), QStringLiteral("退出前写下的字"));
}

void TestCreationEditor::exportReplacesTheFileOnlyWhenComplete()
{
    open(newBook(QStringLiteral("导出")));
    commit(m_edit, QStringLiteral("导出的正文"));
    QTemporaryDir dir;
    const QString path = dir.filePath("chapter.txt");
    QVERIFY(m_content->exportChapterTo(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()), QStringLiteral("导出的正文"));
    file.close();
    // A target that cannot be written leaves no half file behind.
    answerNextBox(0);
    QVERIFY(!m_content->exportChapterTo(dir.filePath("missing/chapter.txt")));
    QVERIFY(!QFile::exists(dir.filePath("missing/chapter.txt")));
}

void TestCreationEditor::importDecodesAndKeepsTheOldTextRestorable()
{
    T_Book *book = newBook(QStringLiteral("导入"));
    T_Chapter *chapter = book->chapterList.first();
    open(book);
    commit(m_edit, QStringLiteral("旧的正文"));
    QTemporaryDir dir;
    const QString path = dir.filePath("gbk.txt");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QTextCodec::codecForName("GB18030")->fromUnicode(QStringLiteral("新的正文\r\n\r\n第二段")));
    file.close();
    QVERIFY(m_content->importChapterFrom(path));
    QCOMPARE(m_edit->toPlainText(), QStringLiteral("新的正文\n第二段"));
    QCOMPARE(stored(chapter->localId), QStringLiteral("新的正文\n第二段"));
    QSqlQuery q(QSqlDatabase::database(QStringLiteral("check")));
    q.exec(QStringLiteral("select content from tb_contentblade where localChapterId = %1")
               .arg(chapter->localId));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("旧的正文"));
}

void TestCreationEditor::defaultNamesFollowTheHighestOrder()
{
    T_Book *book = newBook(QStringLiteral("缺号"));
    for (int order : {2, 7}) {
        TC_Chapter_Create req;
        req.localBookId = book->localId;
        req.order_num = order;
        req.chapterName = QStringLiteral("章%1").arg(order);
        QVERIFY(CJobManager::instance()->chapterCreate(req));
    }
    open(book);
    QVERIFY(m_page->left()->createChapter());
    T_Chapter *created = book->chapterList.last();
    QCOMPARE(created->name, QStringLiteral("第8章 "));
    QCOMPARE(created->orderNum, 8);
    QCOMPARE(m_content->chapter(), created);
    QCOMPARE(
        value(QStringLiteral("select lastEditChapterId from tb_book where localId = %1").arg(book->localId)),
        created->localId);
}

void TestCreationEditor::onlyChapterCannotMove()
{
    T_Book *book = newBook(QStringLiteral("独章"));
    open(book);
    Widget_Creation_Left *left = m_page->left();
    left->on_listViewPressedByRightBtn(book->chapterList.first()->localId, 0);
    QVERIFY(!left->previousAction()->isEnabled());
    QVERIFY(!left->nextAction()->isEnabled());
    left->menu()->hide();
}

void TestCreationEditor::deletingTheLastChapterEmptiesTheEditor()
{
    T_Book *book = newBook(QStringLiteral("删光"));
    T_Chapter *only = book->chapterList.first();
    open(book);
    commit(m_edit, QStringLiteral("留在回收站"));
    QVERIFY(m_page->left()->removeChapter(only->localId));
    QVERIFY(!m_content->chapter());
    QVERIFY(m_edit->toPlainText().isEmpty());
    QVERIFY(m_edit->isReadOnly());
    QCOMPARE(
        value(QStringLiteral("select lastEditChapterId from tb_book where localId = %1").arg(book->localId)),
        0);
    QCOMPARE(stored(only->localId), QStringLiteral("留在回收站"));
    QCOMPARE(m_page->left()->model()->rowCount(), 0);
}

void TestCreationEditor::tabsHoldAtMostFiveAndKeepTheLastOne()
{
    T_Book *book = newBook(QStringLiteral("标签"));
    for (int i = 0; i < 5; ++i) {
        TC_Chapter_Create req;
        req.localBookId = book->localId;
        QVERIFY(CJobManager::instance()->chapterCreate(req));
    }
    open(book);
    Widget_Creation_Top *top = m_page->top();
    QCOMPARE(top->visibleTabs().size(), 1);
    // Closing the only tab does nothing.
    top->visibleTabs().first()->closeButton()->click();
    QCOMPARE(top->visibleTabs().size(), 1);
    for (int i = 0; i < 4; ++i)
        QVERIFY(m_page->openChapter(book->chapterList.at(i)->localId, true));
    QCOMPARE(top->visibleTabs().size(), 5);
    QVERIFY(!m_page->openChapter(book->chapterList.at(4)->localId, true));
    QCOMPARE(top->visibleTabs().size(), 5);
    QCOMPARE(m_content->chapter(), book->chapterList.at(3));
    // Closing the current tab opens the one now at its place (or before it).
    CTabButton *current = top->currentTab();
    current->closeButton()->click();
    QCOMPARE(top->visibleTabs().size(), 4);
    QCOMPARE(m_content->chapter()->localId, top->currentTab()->localId());
    QVERIFY(top->currentTab() != current);

    // The tabs are one exclusive group numbered 0 to 4: the current tab is
    // the only checked one, and a click on another moves both.
    QButtonGroup *group = top->tabGroup();
    QCOMPARE(group->buttons().size(), 5);
    for (int id = 0; id < 5; ++id)
        QCOMPARE(group->button(id)->objectName(), QStringLiteral("tabbutton_%1").arg(id + 1));
    QCOMPARE(group->checkedButton(), top->currentTab());
    CTabButton *first = top->visibleTabs().first();
    QVERIFY(first != top->currentTab());
    QTest::mouseClick(first, Qt::LeftButton, {}, QPoint(20, first->height() / 2));
    QCOMPARE(top->currentTab(), first);
    QCOMPARE(group->checkedButton(), first);
    QCOMPARE(m_content->chapter()->localId, first->localId());
    int checked = 0;
    for (QAbstractButton *tab : group->buttons())
        checked += tab->isChecked() ? 1 : 0;
    QCOMPARE(checked, 1);
    // A second click keeps it checked.
    QTest::mouseClick(first, Qt::LeftButton, {}, QPoint(20, first->height() / 2));
    QCOMPARE(group->checkedButton(), first);
}

T_Book *TestCreationEditor::bookOfLength(const QString &name, int length)
{
    T_Book *book = newBook(name);
    QString text;
    text.reserve(length);
    while (text.size() < length) {
        text += QString(qMin(999, length - text.size()), QChar(0x5B57));
        if (text.size() < length)
            text += QLatin1Char('\n');
    }
    TC_Chapter_Edit save;
    save.localBookId = book->localId;
    save.localChapterId = book->chapterList.first()->localId;
    save.content = text;
    return CJobManager::instance()->chapterSaveContent(save) ? book : nullptr;
}

QString TestCreationEditor::writeFile(const QTemporaryDir &dir, const QByteArray &bytes)
{
    const QString path = dir.filePath(QStringLiteral("chapter.txt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return QString();
    return path;
}

void TestCreationEditor::limitsAtAMillionCharacters_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("length");   // what the chapter holds first
    QTest::addColumn<int>("refused");  // characters offered that do not fit
    QTest::addColumn<int>("accepted"); // characters offered that just fit
    const int max = Creation_TextEdit::kMaxLength;
    QTest::newRow("typed up to the limit") << "typed" << max - 1 << 2 << 1;
    QTest::newRow("committed by an input method") << "committed" << max - 3 << 4 << 3;
    QTest::newRow("pasted") << "pasted" << max - 10 << 11 << 10;
    QTest::newRow("imported") << "imported" << 0 << max + 1 << max;
}

// The server takes no chapter over a million characters: the editor stops
// there, and what would pass it is refused whole before it is stored.
void TestCreationEditor::limitsAtAMillionCharacters()
{
    QFETCH(QString, how);
    QFETCH(int, length);
    QFETCH(int, refused);
    QFETCH(int, accepted);
    T_Book *book = bookOfLength(QStringLiteral("百万") + how, length);
    QVERIFY(book);
    T_Chapter *chapter = book->chapterList.first();
    open(book);
    QCOMPARE(m_edit->plainLength(), length);
    const QString before = m_edit->toPlainText();
    QTemporaryDir dir;
    QSignalSpy tips(CUiManager::instance(), &CUiManager::sig_TipShown);
    auto offer = [&](int count) {
        const QString text(count, QChar(0x4E59));
        if (how == QLatin1String("typed")) {
            for (const QChar c : text)
                QTest::sendKeyEvent(QTest::Click, m_edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
        } else if (how == QLatin1String("committed")) {
            ::commit(m_edit, text);
        } else if (how == QLatin1String("pasted")) {
            QApplication::clipboard()->setText(text);
            QTest::keyClick(m_edit, Qt::Key_V, Qt::ControlModifier);
        } else {
            const QString path = writeFile(dir, text.toUtf8());
            if (count > Creation_TextEdit::kMaxLength)
                answerNextBox(0);
            m_content->importChapterFrom(path);
        }
    };
    offer(refused);
    if (how == QLatin1String("typed")) {
        // Key by key: the room left is taken, the key past it is not.
        QCOMPARE(m_edit->plainLength(), Creation_TextEdit::kMaxLength);
        QVERIFY(!tips.isEmpty());
        QCOMPARE(tips.last().at(1).toInt(), 0);
        QVERIFY(m_content->saveChapter());
        QCOMPARE(stored(chapter->localId).size(), Creation_TextEdit::kMaxLength);
        return;
    }
    // Refused whole, with a tip that says by how much.
    QCOMPARE(m_edit->toPlainText(), before);
    QCOMPARE(stored(chapter->localId), before);
    if (how != QLatin1String("imported")) {
        QVERIFY(!tips.isEmpty());
        const QString tip = tips.last().at(0).toString();
        QVERIFY2(tip.contains(QString::number(refused - accepted)) || how == QLatin1String("committed"),
                 qPrintable(tip));
    }
    offer(accepted);
    QCOMPARE(m_edit->plainLength(), how == QLatin1String("imported") ? accepted : length + accepted);
    m_content->saveChapter();
    QCOMPARE(stored(chapter->localId).size(), m_edit->plainLength());
}

void TestCreationEditor::importRefusesBinaryAndAsksBeforeEmptying_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("answer"); // -1: no question is asked
    QTest::addColumn<bool>("emptied");
    QTest::newRow("NUL bytes") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << 0 << false;
    QTest::newRow("neither UTF-8 nor GB18030") << QByteArray("\xff\xfe\xff\x80\xff") << 0 << false;
    QTest::newRow("empty, kept") << QByteArray() << 0 << false;
    QTest::newRow("blank lines, kept") << QByteArray("\r\n \r\n") << 0 << false;
    QTest::newRow("empty, emptied") << QByteArray() << 1 << true;
}

void TestCreationEditor::importRefusesBinaryAndAsksBeforeEmptying()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, answer);
    QFETCH(bool, emptied);
    T_Book *book = newBook(QStringLiteral("导入检查"));
    T_Chapter *chapter = book->chapterList.first();
    open(book);
    ::commit(m_edit, QStringLiteral("写好的一段"));
    QTemporaryDir dir;
    const QString path = writeFile(dir, bytes);
    QVERIFY(!path.isEmpty());
    answerNextBox(answer);
    QCOMPARE(m_content->importChapterFrom(path), emptied);
    QCOMPARE(m_edit->toPlainText(), emptied ? QString() : QStringLiteral("写好的一段"));
    QCOMPARE(stored(chapter->localId), emptied ? QString() : QStringLiteral("写好的一段"));
}

void TestCreationEditor::aChapterLeavingClosesEveryTabShowingIt_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("recycled on another machine") << "recycled";
    QTest::newRow("recycled, in a tab behind") << "recycled behind";
    QTest::newRow("deleted on another machine") << "deleted";
    QTest::newRow("recycled, the only tab") << "recycled alone";
}

// Typing into a chapter that went to the recycle bin was saved into it:
// every tab showing it closes, its text saved first.
void TestCreationEditor::aChapterLeavingClosesEveryTabShowingIt()
{
    QFETCH(QString, how);
    const QString typed = QStringLiteral("另一台机器删它之前写下的字");
    T_Book *book = newBook(QStringLiteral("离开") + how);
    const bool alone = how == QLatin1String("recycled alone");
    if (!alone) {
        TC_Chapter_Create req;
        req.localBookId = book->localId;
        QVERIFY(CJobManager::instance()->chapterCreate(req));
    }
    T_Chapter *leaving = book->chapterList.first();
    const int leavingId = leaving->localId;
    open(book); // the last chapter, in the first tab
    Widget_Creation_Top *top = m_page->top();
    if (!alone)
        QVERIFY(m_page->openChapter(leavingId, true));
    QCOMPARE(m_content->chapter(), leaving);
    ::commit(m_edit, typed);
    if (how == QLatin1String("recycled behind"))
        QVERIFY(m_page->openChapter(book->chapterList.last()->localId, false));
    QSignalSpy recovered(CBookJobManager::instance(), &CBookJobManager::sig_TextRecovered);
    if (how == QLatin1String("deleted")) {
        TC_Chapter_Del del;
        del.localBookId = book->localId;
        del.localChapterId = leavingId;
        del.synStep = 1;
        QVERIFY(CJobManager::instance()->chapterDelete(del));
    } else {
        TC_Chapter_Recycle recycle;
        recycle.localBookId = book->localId;
        recycle.localChapterId = leavingId;
        recycle.status = 0;
        recycle.synStep = 1;
        QVERIFY(CJobManager::instance()->chapterRecycle(recycle));
    }
    for (CTabButton *tab : top->visibleTabs())
        QVERIFY(tab->localId() != leavingId);
    // What was typed before it left is kept.
    if (how == QLatin1String("deleted")) {
        QCOMPARE(recovered.size(), 1);
        QCOMPARE(stored(recovered.first().at(1).toInt()), typed);
    } else {
        QCOMPARE(stored(leavingId), typed);
    }
    if (alone) {
        QVERIFY(top->visibleTabs().isEmpty());
        QVERIFY(!m_content->chapter());
        QVERIFY(m_edit->isReadOnly());
    } else {
        // The tab beside it took over; what is typed next never lands in it.
        QVERIFY(m_content->chapter());
        QVERIFY(m_content->chapter()->localId != leavingId);
        QCOMPARE(top->currentChapterId(), m_content->chapter()->localId);
    }
    ::commit(m_edit, QStringLiteral("之后"));
    m_content->saveChapter();
    if (how != QLatin1String("deleted"))
        QCOMPARE(stored(leavingId), typed);
}

// The open book deleted on another machine: the page lets it go (it was
// used after being freed), and what was typed in it is kept in a file.
void TestCreationEditor::aBookDeletedElsewhereLeavesThePage()
{
    T_Book *book = newBook(QStringLiteral("别处删书"));
    open(book);
    CUiManager::instance()->setPages(nullptr, m_page);
    const auto unset = qScopeGuard([] { CUiManager::instance()->setPages(nullptr, nullptr); });
    ::commit(m_edit, QStringLiteral("书被删之前写下的字"));
    QSignalSpy recovered(CBookJobManager::instance(), &CBookJobManager::sig_TextRecovered);
    TC_Books_Delete del;
    del.localBookId = book->localId;
    del.synStep = 1;
    QVERIFY(CJobManager::instance()->booksDelete(del));
    QVERIFY(!m_page->book());
    QVERIFY(!m_content->chapter());
    QVERIFY(m_page->top()->visibleTabs().isEmpty());
    QVERIFY(m_edit->isReadOnly());
    QCOMPARE(m_page->left()->model()->rowCount(), 0);
    QCOMPARE(recovered.size(), 1);
    QFile kept(recovered.first().at(2).toString());
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(kept.readAll()), QStringLiteral("书被删之前写下的字"));
}

void TestCreationEditor::blankChapterNamesAreRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("kept");
    QTest::newRow("spaces") << QStringLiteral("   ") << false;
    QTest::newRow("full-width spaces") << QStringLiteral("\u3000\u3000") << false;
    QTest::newRow("zero-width space") << QStringLiteral("\u200B") << false;
    QTest::newRow("a name between blanks") << QStringLiteral(" 序章 ") << true;
}

void TestCreationEditor::blankChapterNamesAreRefused()
{
    QFETCH(QString, name);
    QFETCH(bool, kept);
    T_Book *book = newBook(QStringLiteral("改名") + QString::number(kept));
    T_Chapter *chapter = book->chapterList.first();
    const QString before = chapter->name;
    open(book);
    ChapterListModel *model = m_page->left()->model();
    const int row = model->rowOf(chapter->localId);
    QVERIFY(row >= 0);
    QSignalSpy tips(CUiManager::instance(), &CUiManager::sig_TipShown);
    QCOMPARE(model->setData(model->index(row, 0), name, Qt::EditRole), kept);
    QCOMPARE(chapter->name, kept ? name : before);
    QCOMPARE(value(QStringLiteral("select count(*) from tb_chapter where localId = %1 and name = '%2'")
                       .arg(chapter->localId)
                       .arg(chapter->name)),
             1);
    if (!kept)
        QVERIFY(!tips.isEmpty());
}

QUORVIN_TEST_MAIN(TestCreationEditor)
#include "tst_creationeditor.moc"
