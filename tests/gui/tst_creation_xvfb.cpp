// The creation page as an author meets it, on a real X server against the
// real store and the companion server: a book opened from the main window,
// Chinese typed with key events and input-method commits, chapters
// created, renamed, switched through the list and the tabs, moved and
// deleted, the page closed; then the store and, after a replay, the server
// hold exactly the typed text. Also the full-screen bands and (with
// QUORVIN_SCREENSHOT_DIR) the screenshots of both themes.
#include "db/cquorvindb.h"
#include "mainwindow.h"
#include "manager/cjobmanager.h"
#include "manager/cqssmanager.h"
#include "manager/cuimanager.h"
#include "platform/power.h"
#include "remote/cquorvinhttp.h"
#include "signedinauthor.h"
#include "testappdir.h"
#include "testmain.h"
#include "testserver.h"
#include "ui/bookshelf/cbooklistmodel.h"
#include "ui/bookshelf/widget_booklistpreview.h"
#include "ui/creation/chapterlistmodel.h"
#include "ui/creation/creation_textedit.h"
#include "ui/creation/ctabbutton.h"
#include "ui/creation/widget_creation.h"
#include "ui/creation/widget_creation_content.h"
#include "ui/creation/widget_creation_left.h"
#include "ui/creation/widget_creation_top.h"
#include "ui/fonts.h"
#include "ui/ztmessagebox.h"

#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTranslator>
#include <QX11Info>

namespace {

const QString kUniqueCode = QStringLiteral("c00d0000000000000000000000000017");

void commit(QWidget *target, const QString &text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(target, &event);
}

// Clicks the given button of the next modal message box once it shows.
void answerNextBox(int buttonIndex)
{
    auto *poll = new QTimer;
    poll->setInterval(50);
    QObject::connect(poll, &QTimer::timeout, [poll, buttonIndex] {
        auto *box = qobject_cast<ZtMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll->stop();
        poll->deleteLater();
        QTest::mouseClick(box->buttons().at(buttonIndex), Qt::LeftButton);
    });
    poll->start();
}

} // namespace

class TestCreationXvfb : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void authorWritesRenamesMovesDeletesAndEveryWordReachesTheServer();
    void fullScreenBands();
    void previewOpensAnotherBook();
    void powerDialogWhileLocked_data();
    void powerDialogWhileLocked();
    void heldBackspacePlaysTheDeleteSound();
    void screenshots();

private:
    static QSqlQuery sql(const QString &text)
    {
        QSqlQuery query(QSqlDatabase::database(QStringLiteral("check")));
        query.exec(text);
        return query;
    }
    static QString text(const QString &query)
    {
        QSqlQuery q = sql(query);
        return q.next() ? q.value(0).toString() : QString("<none>");
    }
    TestHttp api() const { return m_author.api(QStringLiteral("observer0000000000000000000000017")); }
    static T_Book *onlineBook(const QString &name) { return SignedInAuthor::onlineBook(name); }
    static bool replay() { return SignedInAuthor::replay(); }
    static Widget_Creation *openPage(T_Book *book) { return SignedInAuthor::openCreation(book); }
    void clickRow(Widget_Creation_Left *left, int localChapterId, Qt::MouseButton button = Qt::LeftButton);

    SignedInAuthor m_author{QStringLiteral("13700000117"), kUniqueCode};
    QStringList m_powerCalls;
    T_SessionData &m_session = T_SessionData::instance();
};

void TestCreationXvfb::initTestCase()
{
    QVERIFY(QX11Info::isPlatformX11());
    // Never power anything off: the power choices are recorded instead.
    Platform::setCommandRunner([this](const QString &program, const QStringList &arguments) {
        m_powerCalls.append(program + ' ' + arguments.join(' '));
        return true;
    });
    m_session.user.isSound = 0;
    QVERIFY(m_author.start());
}

void TestCreationXvfb::cleanupTestCase()
{
    m_author.finish();
}

void TestCreationXvfb::clickRow(Widget_Creation_Left *left, int localChapterId, Qt::MouseButton button)
{
    const int row = left->model()->rowOf(localChapterId);
    QVERIFY(row >= 0);
    const QRect rect = left->listView()->visualRect(left->model()->index(row));
    QTest::mouseClick(left->listView()->viewport(), button, Qt::NoModifier, rect.center());
}

void TestCreationXvfb::authorWritesRenamesMovesDeletesAndEveryWordReachesTheServer()
{
    T_Book *book = onlineBook(QStringLiteral("夜航船"));
    QVERIFY(book);
    Widget_Creation *page = openPage(book);
    QVERIFY(page);
    Widget_Creation_Content *content = page->content();
    Widget_Creation_Left *left = page->left();
    Creation_TextEdit *edit = content->editor();
    T_Chapter *first = book->chapterList.first();
    QCOMPARE(content->chapter(), first);
    QTRY_VERIFY(edit->hasFocus());

    // Chapter 1: keys and input-method commits, with a paragraph break.
    QTest::keyClicks(edit, "Hello ");
    commit(edit, QStringLiteral("夜色如墨"));
    QTest::keyClick(edit, Qt::Key_Return);
    commit(edit, QStringLiteral("船灯摇晃。"));
    QCOMPARE(first->wordCount, 5 + 4 + 5);
    const QString firstText = QStringLiteral("Hello 夜色如墨\n船灯摇晃。");
    QCOMPARE(edit->toPlainText(), firstText);

    // Chapter 2: created from the button, named in place, then written.
    QTest::mouseClick(left->createButton(), Qt::LeftButton);
    QCOMPARE(book->chapterList.size(), 2);
    T_Chapter *second = book->chapterList.last();
    QCOMPARE(content->chapter(), second);
    QCOMPARE(text(QString("select content from tb_chapter where localId = %1").arg(first->localId)),
             firstText);
    auto *nameEdit = left->listView()->findChild<QLineEdit *>("ChapterListDelegate_Editor");
    QVERIFY(nameEdit);
    QTRY_VERIFY(nameEdit->hasFocus());
    QCOMPARE(nameEdit->text(), QStringLiteral("第2章 "));
    nameEdit->selectAll();
    commit(nameEdit, QStringLiteral("风起"));
    QTest::keyClick(nameEdit, Qt::Key_Return);
    QTRY_COMPARE(second->name, QStringLiteral("风起"));
    QCOMPARE(page->top()->currentTab()->text(), QStringLiteral("风起"));
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    commit(edit, QStringLiteral("风从江上来"));
    QCOMPARE(second->wordCount, 5);

    // Back to chapter 1 through the list: chapter 2 is saved on the way.
    clickRow(left, first->localId);
    QCOMPARE(content->chapter(), first);
    QCOMPARE(text(QString("select content from tb_chapter where localId = %1").arg(second->localId)),
             QStringLiteral("风从江上来"));
    QCOMPARE(edit->toPlainText(), firstText);

    // Chapter 2 in a new tab from the context menu, then back by the first tab.
    clickRow(left, second->localId, Qt::RightButton);
    QTRY_VERIFY(left->menu()->isVisible());
    QAction *openTab = left->menu()->actions().first();
    QTest::mouseClick(left->menu(), Qt::LeftButton, Qt::NoModifier,
                      left->menu()->actionGeometry(openTab).center());
    QTRY_COMPARE(page->top()->visibleTabs().size(), 2);
    QCOMPARE(content->chapter(), second);
    QTest::mouseClick(page->top()->visibleTabs().first(), Qt::LeftButton);
    QCOMPARE(content->chapter(), first);
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    edit->moveCursor(QTextCursor::End);
    commit(edit, QStringLiteral("完"));

    // Move chapter 1 below chapter 2 with the menu.
    clickRow(left, first->localId, Qt::RightButton);
    QTRY_VERIFY(left->menu()->isVisible());
    QVERIFY(!left->previousAction()->isEnabled());
    QVERIFY(left->nextAction()->isEnabled());
    QTest::mouseClick(left->menu(), Qt::LeftButton, Qt::NoModifier,
                      left->menu()->actionGeometry(left->nextAction()).center());
    QTRY_COMPARE(book->chapterList.first(), second);
    QCOMPARE(left->model()->item(1)->localChapterId, first->localId);

    // A third chapter, deleted again after the question.
    QVERIFY(left->createChapter());
    QTest::keyClick(left->listView()->findChild<QLineEdit *>("ChapterListDelegate_Editor"), Qt::Key_Escape);
    T_Chapter *third = content->chapter();
    QVERIFY(third != first && third != second);
    clickRow(left, third->localId, Qt::RightButton);
    QTRY_VERIFY(left->menu()->isVisible());
    auto *deleteItem = left->menu()->findChild<QWidget *>("menuItem");
    QVERIFY(deleteItem);
    answerNextBox(1);
    QTest::mouseClick(deleteItem, Qt::LeftButton);
    QTRY_VERIFY(book->recycleList.contains(third));
    QCOMPARE(book->chapterList.size(), 2);
    // The neighbour (the row before the last one) opens.
    QCOMPARE(content->chapter(), first);
    QCOMPARE(book->lastEditChapterId, first->localId);

    // Closing the page saves and returns to the bookshelf.
    QTest::mouseClick(page->top()->findChild<QPushButton *>("btn_creation_close"), Qt::LeftButton);
    QVERIFY(CUiManager::instance()->isBookshelfShown());
    QVERIFY(!content->chapter());
    const QString firstFinal = firstText + QStringLiteral("完");
    QCOMPARE(text(QString("select content from tb_chapter where localId = %1").arg(first->localId)),
             firstFinal);
    QCOMPARE(text(QString("select name from tb_chapter where localId = %1").arg(second->localId)),
             QStringLiteral("风起"));

    QVERIFY(replay());
    const QJsonArray menu = api()
                                .get("/chapter/chapterMenu", {{"book_id", QString::number(book->bookId)}})
                                .object()
                                .value("menu")
                                .toArray();
    QMap<QString, int> order;
    for (const QJsonValue &v : menu)
        order.insert(v.toObject().value("chapter_name").toString(), v.toObject().value("order_num").toInt());
    QVERIFY2(order.value(QStringLiteral("风起")) < order.value(first->name),
             qPrintable(QJsonDocument(menu).toJson()));
    for (const auto &pair : {qMakePair(first, firstFinal), qMakePair(second, QStringLiteral("风从江上来"))}) {
        const QJsonObject chapter =
            api()
                .get("/chapter/chapter", {{"book_id", QString::number(book->bookId)},
                                          {"chapter_id", QString::number(pair.first->chapterId)}})
                .object();
        QCOMPARE(chapter.value("content").toString(), pair.second);
    }
}

void TestCreationXvfb::fullScreenBands()
{
    T_Book *book = onlineBook(QStringLiteral("全屏"));
    QVERIFY(book);
    Widget_Creation *page = openPage(book);
    QVERIFY(page);
    CUiManager::instance()->setWindowFullScreen(true);
    QTRY_VERIFY(page->isFullScreenLayout());
    QTRY_VERIFY(CUiManager::instance()->mainWindow()->isFullScreen());
    QTest::qWait(300);
    Widget_Creation_Top *top = page->top();
    Widget_Creation_Left *left = page->left();
    // Entering full screen keeps the pinned list and hides the top bar.
    QTRY_VERIFY(top->geometry().bottom() < 0);
    QVERIFY(page->isLeftShown());

    QWidget *viewport = page->content()->editor()->viewport();
    auto moveTo = [&](const QPoint &inPage) {
        QCursor::setPos(page->mapToGlobal(inPage));
        QTest::mouseMove(viewport, viewport->mapFromGlobal(page->mapToGlobal(inPage)));
    };
    moveTo(QPoint(page->width() / 2, 5));
    QTRY_COMPARE(top->geometry().top(), 0);
    // Typing slides it out again.
    page->content()->editor()->setFocus();
    QTest::keyClick(page->content()->editor(), Qt::Key_A);
    QTRY_COMPARE(top->geometry().bottom(), -1);

    // Unpinned, the list leaves when the pointer moves right and comes back at the left band.
    page->pinButton()->setChecked(false);
    moveTo(QPoint(page->width() / 2, page->height() / 2));
    QTRY_VERIFY(left->geometry().right() < 0);
    moveTo(QPoint(5, page->height() / 3));
    QTRY_COMPARE(left->geometry().left(), 0);
    // Pinned, it stays.
    page->pinButton()->setChecked(true);
    moveTo(QPoint(page->width() / 2, page->height() / 2));
    QTest::qWait(400);
    QCOMPARE(left->geometry().left(), 0);

    // Escape leaves full screen and puts the panels back.
    QTest::keyClick(page->content()->editor(), Qt::Key_Escape);
    QTRY_VERIFY(!CUiManager::instance()->mainWindow()->isFullScreen());
    QTRY_VERIFY(!page->isFullScreenLayout());
    QTRY_VERIFY(top->geometry().top() >= 0 && top->isVisible());
    page->content()->closeChapter();
}

void TestCreationXvfb::previewOpensAnotherBook()
{
    T_Book *other = onlineBook(QStringLiteral("另一本书"));
    QVERIFY(other);
    T_Book *book = onlineBook(QStringLiteral("预览"));
    QVERIFY(book);
    Widget_Creation *page = openPage(book);
    QVERIFY(page);
    Widget_Creation_Left *left = page->left();
    Widget_BookListPreview *preview = left->preview();
    QVERIFY(preview->isHidden());

    QTest::mouseClick(left->previewButton(), Qt::LeftButton);
    QTRY_VERIFY(preview->isVisible());
    // It slides over the chapter list, between the head (its button stays
    // in reach) and the bottom bar.
    QTRY_COMPARE(preview->geometry().top(), left->listView()->geometry().top());
    QCOMPARE(preview->geometry().bottom(), left->listView()->geometry().bottom());
    QVERIFY(!left->previewButton()->visibleRegion().isEmpty());
    const int row = preview->model()->rowOf(other->localId);
    QTRY_VERIFY(row >= 0);
    const QRect item = preview->listView()->visualRect(preview->model()->index(row));
    QVERIFY(preview->listView()->viewport()->rect().contains(item.center()));
    QTest::mouseClick(preview->listView()->viewport(), Qt::LeftButton, {}, item.center() - QPoint(0, 10));

    // The page now shows the other book and its chapter; the overlay slides away.
    QCOMPARE(page->book(), other);
    QCOMPARE(left->book(), other);
    QCOMPARE(page->content()->chapter(), other->chapterList.last());
    QCOMPARE(m_session.user.localBookId, other->localId);
    QVERIFY(!left->previewButton()->isChecked());
    QTRY_VERIFY(preview->isHidden());
    page->content()->closeChapter();
}

void TestCreationXvfb::powerDialogWhileLocked_data()
{
    QTest::addColumn<int>("button"); // -1: Escape
    QTest::addColumn<QString>("call");
    QTest::newRow("shut down") << 0 << "systemctl poweroff";
    QTest::newRow("restart") << 1 << "systemctl reboot";
    QTest::newRow("sleep") << 2 << "systemctl suspend";
    QTest::newRow("escape") << -1 << QString();
}

void TestCreationXvfb::powerDialogWhileLocked()
{
    QFETCH(int, button);
    QFETCH(QString, call);
    T_Book *book = onlineBook(QStringLiteral("关机"));
    QVERIFY(book);
    Widget_Creation *page = openPage(book);
    QVERIFY(page);
    Widget_Creation_Top *top = page->top();
    QVERIFY(top->rebootButton()->isHidden());
    QVERIFY(top->fullScreenButton()->isVisible());
    Creation_TextEdit *edit = page->content()->editor();
    QTRY_VERIFY(edit->hasFocus());
    commit(edit, QStringLiteral("锁定中写的字"));

    // A time lock: the window goes full screen, the bar offers the power button.
    m_session.user.lockType = 2;
    m_session.user.lockTime = 30;
    CUiManager::instance()->setLock(true);
    const auto unlock = qScopeGuard([this] {
        m_session.user.lockType = 0;
        m_session.user.lockTime = 0;
        CUiManager::instance()->setLock(false);
    });
    QTRY_VERIFY(page->isFullScreenLayout());
    QTRY_VERIFY(top->rebootButton()->isVisible());
    QVERIFY(top->fullScreenButton()->isHidden());
    QVERIFY(top->findChild<QPushButton *>("btn_creation_close")->isVisible());
    // The bar slides in when the pointer enters the top band.
    for (const int y : {page->height() / 2, 4}) {
        QCursor::setPos(page->mapToGlobal(QPoint(page->width() / 2, y)));
        QTest::mouseMove(edit->viewport(), edit->viewport()->mapFromGlobal(QCursor::pos()));
    }
    QTRY_COMPARE(top->geometry().top(), 0);

    m_powerCalls.clear();
    QString askedText;
    int choices = 0;
    QTimer poll;
    poll.setInterval(50);
    connect(&poll, &QTimer::timeout, [&] {
        auto *box = qobject_cast<ZtMessageBox *>(QApplication::activeModalWidget());
        if (!box || box->objectName() != QLatin1String("Dialog_Power"))
            return;
        poll.stop();
        askedText = box->textLabel()->text();
        choices = box->buttons().size();
        if (button < 0 || button >= choices)
            QTest::keyClick(box, Qt::Key_Escape);
        else
            QTest::mouseClick(box->buttons().at(button), Qt::LeftButton);
    });
    poll.start();
    QTest::mouseClick(top->rebootButton(), Qt::LeftButton);
    QCOMPARE(askedText, QStringLiteral("请选择对应操作（重启后仍将进入小黑屋模式）"));
    QCOMPARE(choices, 3);
    QCOMPARE(m_powerCalls, call.isEmpty() ? QStringList() : QStringList{call});
    // What was typed is stored before the machine goes down.
    QCOMPARE(text(QString("select content from tb_chapter where localId = %1")
                      .arg(book->chapterList.first()->localId)),
             QStringLiteral("锁定中写的字"));
    page->content()->closeChapter();
}

void TestCreationXvfb::heldBackspacePlaysTheDeleteSound()
{
    T_Book *book = onlineBook(QStringLiteral("退格"));
    QVERIFY(book);
    Widget_Creation *page = openPage(book);
    QVERIFY(page);
    Creation_TextEdit *edit = page->content()->editor();
    QTRY_VERIFY(edit->hasFocus());
    commit(edit, QString(200, QChar(0x5B57)));
    m_session.user.isSound = 1;
    const auto quiet = qScopeGuard([this] { m_session.user.isSound = 0; });
    QSignalSpy codes(CUiManager::instance(), &CUiManager::sig_GlobalKeyPress_Win);
    QSignalSpy sounds(edit, &Creation_TextEdit::sig_soundPlayed);

    // Held down through the X server: it repeats the key after its delay.
    QCOMPARE(QProcess::execute("xdotool", {"keydown", "BackSpace"}), 0);
    auto repeats = [&] {
        int n = 0;
        for (const QList<QVariant> &args : codes)
            n += args.first().toInt() == (14 | 0x4000) ? 1 : 0;
        return n;
    };
    QTRY_VERIFY_WITH_TIMEOUT(repeats() >= 3, 20000);
    QCOMPARE(QProcess::execute("xdotool", {"keyup", "BackSpace"}), 0);
    QTRY_COMPARE(edit->toPlainText().size(), 200 - codes.size());
    QTest::qWait(100);

    // The first press is a plain Backspace, every later one a repeat, and
    // each of them plays the delete sound.
    QVERIFY(codes.size() >= 4);
    QCOMPARE(codes.first().first().toInt(), 14);
    QCOMPARE(repeats(), codes.size() - 1);
    QCOMPARE(sounds.size(), codes.size());
    for (const QList<QVariant> &args : sounds)
        QCOMPARE(args.first().toInt(), int(Creation_TextEdit::SoundDelete));
    // Released, the next press is a fresh one again.
    QCOMPARE(QProcess::execute("xdotool", {"key", "BackSpace"}), 0);
    QTRY_COMPARE(codes.size(), repeats() + 2);
    QCOMPARE(codes.last().first().toInt(), 14);
    page->content()->closeChapter();
}

void TestCreationXvfb::screenshots()
{
    const QString dir = qEnvironmentVariable("QUORVIN_SCREENSHOT_DIR");
    if (dir.isEmpty())
        QSKIP("QUORVIN_SCREENSHOT_DIR not set");
    QTranslator translator;
    QVERIFY(translator.load(":/res/client.qm"));
    QCoreApplication::installTranslator(&translator);
    // Other books with covers, for the book-list overlay.
    QVERIFY(m_author.app()->layBuiltData());
    const QStringList others = {QStringLiteral("星河尽头"), QStringLiteral("竹林听风")};
    for (int i = 0; i < others.size(); ++i) {
        TC_Books_AddBook req;
        req.bookName = others.at(i);
        req.localCover = m_author.app()->path() +
                         QStringLiteral("/data/cover/cover_%1.png").arg(i * 3 + 4, 2, 10, QChar('0'));
        QVERIFY(CJobManager::instance()->booksAddBook(req));
    }
    T_Book *book = onlineBook(QStringLiteral("长河落日"));
    QVERIFY(book);
    const QStringList names = {QStringLiteral("第1章 渡口"), QStringLiteral("第2章 夜雨"),
                               QStringLiteral("第3章 旧信"), QStringLiteral("第4章 远行的人")};
    const QString body = QStringLiteral(
        "天色将晚，渡口的风里带着河水的腥气。老船夫把竹篙靠在船舷上，抬头看了看西边那一线残红。\n"
        "“今天不走了。”他说，声音不高，却让等船的人都安静下来。\n"
        "少年抱着包袱站在最后，他从清晨一直等到现在，鞋上沾满了泥。他没有说话，只是把包袱抱得更紧了一些。\n"
        "远处传来钟声，一下，两下，像是有人在很远的地方敲着一扇永远不会打开的门。");
    for (int i = 0; i < names.size(); ++i) {
        TC_Chapter_Create req;
        req.localBookId = book->localId;
        req.chapterName = names.at(i);
        if (i == 0) {
            TC_Chapter_Edit rename;
            rename.localBookId = book->localId;
            rename.localChapterId = book->chapterList.first()->localId;
            rename.chapterName = names.at(0);
            QVERIFY(CJobManager::instance()->chapterRename(rename));
            continue;
        }
        QVERIFY(CJobManager::instance()->chapterCreate(req));
    }
    book->lastEditChapterId = book->chapterList.at(1)->localId;
    for (const int style : {StyleLight, StyleDark}) {
        m_session.author.style = style;
        m_session.user.isFocusing = 0;
        m_session.user.isCenter = 1;
        CUiManager::instance()->showMain();
        MainWindow *w = CUiManager::instance()->mainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        w->setGeometry(100, 60, 1280, 860);
        Widget_Creation *page = openPage(book);
        page->openChapter(book->chapterList.at(2)->localId, true);
        page->openChapter(book->chapterList.at(1)->localId, false);
        page->content()->editor()->setPlainText(body);
        page->content()->applyFormat();
        page->content()->onCreationTimer(); // the status line shows the new count
        QTest::qWait(400);
        const QString suffix = style == StyleLight ? "light" : "dark";
        QVERIFY(QProcess::execute("import", {"-window", "root", dir + "/creation-" + suffix + ".png"}) == 0);

        Widget_Creation_Left *left = page->left();
        clickRow(left, book->chapterList.at(1)->localId, Qt::RightButton);
        QTRY_VERIFY(left->menu()->isVisible());
        QTest::qWait(300);
        QVERIFY(QProcess::execute("import", {"-window", "root", dir + "/creation-menu-" + suffix + ".png"}) ==
                0);
        left->menu()->hide();

        QTest::mouseClick(left->previewButton(), Qt::LeftButton);
        QTRY_COMPARE(left->preview()->geometry().top(), left->listView()->geometry().top());
        QTRY_VERIFY(left->preview()->model()->rowCount() >= 3);
        QTest::qWait(700);
        QVERIFY(QProcess::execute("import",
                                  {"-window", "root", dir + "/creation-books-" + suffix + ".png"}) == 0);
        left->hidePreview();
        QTRY_VERIFY(left->preview()->isHidden());

        CUiManager::instance()->setWindowFullScreen(true);
        QTRY_VERIFY(page->isFullScreenLayout());
        // No window manager here: the window is given the whole screen by hand.
        w->setGeometry(w->screen()->geometry());
        QTest::qWait(300);
        QCursor::setPos(page->mapToGlobal(QPoint(page->width() / 2, page->height() / 2)));
        QTest::qWait(100);
        QCursor::setPos(page->mapToGlobal(QPoint(page->width() / 2, 4)));
        QTest::mouseMove(page->content()->editor()->viewport(),
                         page->content()->editor()->viewport()->mapFromGlobal(QCursor::pos()));
        QTRY_COMPARE(page->top()->geometry().top(), 0);
        QTest::qWait(400);
        QVERIFY(QProcess::execute("import",
                                  {"-window", "root", dir + "/creation-fullscreen-" + suffix + ".png"}) == 0);
        CUiManager::instance()->setWindowFullScreen(false);
        page->content()->closeChapter();
        CUiManager::instance()->closeWindows();
        QTest::qWait(200);
    }
    QCoreApplication::removeTranslator(&translator);
}

QUORVIN_TEST_MAIN(TestCreationXvfb)
#include "tst_creation_xvfb.moc"
