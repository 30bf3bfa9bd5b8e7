// The finish of the three main screens on a real X server without a window
// manager or compositor, against the companion server on loopback: where
// dialogs open on the screen sizes authors have, that windows and menus are
// opaque, the toolkit's dialogs in Chinese, the phone field's paste rules, a
// sign-in that can be cancelled, the WeChat QR code read back from the
// screen, the focus line and pasted paragraphs in the editor, the sync
// animation and progress, names for a screen reader and the keyboard's way
// to every action. "placement" alone is run again at 1366x768 and 1280x720.
#include "apptranslations.h"
#include "db/records.h"
#include "mainwindow.h"
#include "manager/cjobmanager.h"
#include "manager/cqssmanager.h"
#include "manager/cuimanager.h"
#include "remote/cquorvinhttp.h"
#include "signedinauthor.h"
#include "testappdir.h"
#include "testmain.h"
#include "testserver.h"
#include "ui/accessiblenames.h"
#include "ui/bookshelf/cbooklistdelegate.h"
#include "ui/bookshelf/cbooklistmodel.h"
#include "ui/bookshelf/cztheadbutton.h"
#include "ui/bookshelf/widget_banner.h"
#include "ui/bookshelf/widget_bindwechat.h"
#include "ui/bookshelf/widget_bookshelf.h"
#include "ui/bookshelf/widget_bookshelf_content.h"
#include "ui/bookshelf/widget_bookshelf_top.h"
#include "ui/bookshelf/widget_bookshelflist.h"
#include "ui/creation/creation_textedit.h"
#include "ui/creation/widget_creation.h"
#include "ui/creation/widget_creation_bottom.h"
#include "ui/creation/widget_creation_content.h"
#include "ui/creation/widget_creation_left.h"
#include "ui/creation/widget_creation_plane1.h"
#include "ui/creation/widget_creation_top.h"
#include "ui/cwebview.h"
#include "ui/login/dialog_loginmain.h"
#include "ui/login/widget_forgetpwd.h"
#include "ui/login/widget_login.h"
#include "ui/login/widget_wechatlogin.h"
#include "ui/ztmessagebox.h"

#include <QAccessible>
#include <QButtonGroup>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMovie>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QStackedWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QToolTip>
#include <QUrlQuery>
#include <functional>

namespace {

const QString kUniqueCode = QStringLiteral("5cree0000000000000000000000000a1");

bool hasChinese(const QString &text)
{
    for (const QChar ch : text)
        if (ch.unicode() >= 0x4E00 && ch.unicode() <= 0x9FFF)
            return true;
    return false;
}

// Runs `action` on the next modal dialog once it is shown and laid out.
void onModal(std::function<void(QDialog *)> action)
{
    auto *poll = new QTimer;
    poll->setInterval(30);
    QObject::connect(poll, &QTimer::timeout, [poll, action] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        QTest::qWait(150); // drawn on the X screen
        action(dialog);
    });
    poll->start();
}

// The pixels of `rect` (global) as the X server holds them.
QImage screenPixels(const QRect &rect)
{
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, rect.x(), rect.y(), rect.width(), rect.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// True when the pixel is the black an unpainted window shows.
bool isBlack(QRgb pixel)
{
    return qRed(pixel) + qGreen(pixel) + qBlue(pixel) < 24;
}

// Corners (one pixel in) and centre of a window's rectangle on the screen
// that are black; empty when none is.
QString blackSpots(const QRect &rect)
{
    const QImage image = screenPixels(rect);
    const QList<QPoint> spots = {{1, 1},
                                 {image.width() - 2, 1},
                                 {1, image.height() - 2},
                                 {image.width() - 2, image.height() - 2},
                                 {image.width() / 2, image.height() / 2}};
    QStringList black;
    for (const QPoint &p : spots)
        if (isBlack(image.pixel(p)))
            black << QStringLiteral("(%1,%2)").arg(p.x()).arg(p.y());
    return black.join(' ');
}

// The window centred on `over` if that fits the area, else null.
QRect centredIfItFits(const QSize &size, const QRect &over, const QRect &area)
{
    QRect r(QPoint(0, 0), size);
    r.moveCenter(over.center());
    return area.contains(r) ? r : QRect();
}

QString runScript(CWebView *view, const QString &script)
{
    QVariant result;
    bool done = false;
    view->runJavaScript(script, [&](const QVariant &v) {
        result = v;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 20000))
        qWarning() << "no answer from the page to" << script;
    return result.toString();
}

void pressKey(QWidget *widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(widget, key, modifiers);
}

} // namespace

class TstScreensXvfb : public QObject
{
    Q_OBJECT

    SignedInAuthor m_author{QStringLiteral("13700000425"), kUniqueCode};
    T_SessionData &m_session = T_SessionData::instance();
    T_Book *m_book = nullptr;

    MainWindow *window() const { return CUiManager::instance()->mainWindow(); }
    Widget_Bookshelf *shelf() const { return CUiManager::instance()->bookshelf(); }
    QListView *grid() const { return shelf()->bookList()->listView(); }
    CBookListModel *model() const { return shelf()->bookList()->model(); }
    CBookListDelegate *delegate() const { return shelf()->bookList()->delegate(); }

    void clickTile(int row, Qt::MouseButton button = Qt::LeftButton)
    {
        const QRect item = grid()->visualRect(model()->index(row));
        const QPoint at = CBookListDelegate::hitRect(CBookListModel::Grid, item).center();
        QTest::mouseMove(grid()->viewport(), at);
        QTest::mouseClick(grid()->viewport(), button, {}, at);
    }

    static void clickAction(QMenu *menu, const QString &text)
    {
        for (QAction *action : menu->actions()) {
            if (action->text() == text) {
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
                return;
            }
        }
        qWarning() << "no menu item" << text;
    }

    // Opens the dialog named `which` the way an author does.
    void openDialog(const QString &which)
    {
        if (which == QLatin1String("create book")) {
            clickTile(model()->rowCount() - 1);
            QTRY_VERIFY(delegate()->addMenu()->isVisible());
            clickAction(delegate()->addMenu(), QStringLiteral("新建书籍"));
        } else if (which == QLatin1String("import file")) {
            clickTile(model()->rowCount() - 1);
            QTRY_VERIFY(delegate()->addMenu()->isVisible());
            clickAction(delegate()->addMenu(), QStringLiteral("导入"));
        } else if (which == QLatin1String("book information") || which == QLatin1String("delete question")) {
            clickTile(0, Qt::RightButton);
            QTRY_VERIFY(delegate()->bookMenu()->isVisible());
            if (which == QLatin1String("book information")) {
                clickAction(delegate()->bookMenu(), QStringLiteral("书籍信息"));
            } else {
                // The delete entry is a label of its own.
                QWidget *label = delegate()->bookMenu()->findChild<QLabel *>(QStringLiteral("menuItem"));
                QVERIFY(label);
                QTest::mouseClick(label, Qt::LeftButton);
            }
        } else if (which == QLatin1String("profile")) {
            QTest::mouseClick(shelf()->headButton(), Qt::LeftButton);
        } else if (which == QLatin1String("remuneration") || which == QLatin1String("delete chapter")) {
            Widget_Creation *page = SignedInAuthor::openCreation(m_book);
            QVERIFY(page);
            QTRY_VERIFY(page->content()->chapter());
            if (which == QLatin1String("remuneration")) {
                QTest::mouseClick(page->content()->statusLine()->setMoneyButton(), Qt::LeftButton);
            } else {
                QListView *list = page->left()->listView();
                list->setFocus();
                list->setCurrentIndex(list->model()->index(0, 0));
                pressKey(list, Qt::Key_Delete);
            }
        }
    }

private slots:
    void initTestCase();
    void cleanupTestCase();
    void placement_data();
    void placement();
    void menusAreOpaque_data();
    void menusAreOpaque();
    void loginStartsInTheAccountField();
    void phoneNumberPaste_data();
    void phoneNumberPaste();
    void recoveryPageForgetsTheLastError();
    void waitingSignInSaysSoAndCanBeCancelled();
    void bindViewCoversTheWholeForm();
    void bannersWithTheirWordsAlsoOffline();
    void wechatCodeHoldsThePageAddress();
    void syncAnimatesAndCountsProgress();
    void accessibleNamesOnTheShelf();
    void keyboardReachesTheShelf();
    void topBarNamesThePage();
    void editedBookMovesToTheFront();
    void focusLineOnANewParagraph();
    void pastedParagraphsTakeTheChapterFormat_data();
    void pastedParagraphsTakeTheChapterFormat();
    void writingPageByKeyboardAndScreenReader();
    void screenshots();
};

void TstScreensXvfb::initTestCase()
{
    m_session.author.authorName = QStringLiteral("林间写字人");
    m_session.author.style = StyleLight;
    QVERIFY(m_author.start());
    QVERIFY(m_author.app()->layBuiltData());
    installAppTranslations(qApp);
    CJobManager::instance();
    CUiManager::instance()->showMain();
    QVERIFY(window());
    QVERIFY(QTest::qWaitForWindowExposed(window()));
    m_book = SignedInAuthor::onlineBook(QStringLiteral("青石巷"));
    QVERIFY(m_book);
    CUiManager::instance()->showBookshelf();
    QTRY_VERIFY(model()->count() >= 1);
}

void TstScreensXvfb::cleanupTestCase()
{
    m_author.finish();
}

void TstScreensXvfb::placement_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<int>("theme");
    for (const char *name : {"create book", "book information", "delete question", "profile", "import file",
                             "remuneration", "delete chapter"})
        QTest::newRow(name) << QString::fromLatin1(name) << int(StyleLight);
    QTest::newRow("import file, dark") << QStringLiteral("import file") << int(StyleDark);
    QTest::newRow("book information, dark") << QStringLiteral("book information") << int(StyleDark);
}

void TstScreensXvfb::placement()
{
    QFETCH(QString, dialog);
    QFETCH(int, theme);
    const QRect area = window()->screen()->availableGeometry();
    // The main window itself fits the screen.
    QVERIFY2(area.contains(window()->frameGeometry()),
             qPrintable(QStringLiteral("main window %1 on %2")
                            .arg(QVariant(window()->frameGeometry()).toString(), QVariant(area).toString())));
    if (CQssManager::instance()->getStyle() != theme)
        CUiManager::instance()->toggleTheme();

    // What the dialog looked like, taken before it is closed (a failed
    // check must not leave a modal dialog behind).
    bool seen = false;
    QString className;
    QRect frame;
    QString black;
    QStringList buttonTexts;
    onModal([&](QDialog *shown) {
        className = QString::fromLatin1(shown->metaObject()->className());
        frame = shown->frameGeometry();
        black = blackSpots(frame);
        if (auto *files = qobject_cast<QFileDialog *>(shown)) {
            for (QDialogButtonBox *box : files->findChildren<QDialogButtonBox *>())
                for (QAbstractButton *button : box->buttons())
                    buttonTexts << button->text();
        }
        seen = true;
        shown->reject();
    });
    openDialog(dialog);
    QTRY_VERIFY(seen);
    QTRY_VERIFY(!QApplication::activeModalWidget());
    if (theme != StyleLight)
        CUiManager::instance()->toggleTheme();
    const QRect owner = window()->frameGeometry();
    CUiManager::instance()->showBookshelf();

    const QString where = QStringLiteral("%1 at %2,%3 %4x%5 on %6x%7")
                              .arg(className)
                              .arg(frame.x())
                              .arg(frame.y())
                              .arg(frame.width())
                              .arg(frame.height())
                              .arg(area.width())
                              .arg(area.height());
    // Laid out before it was placed, and wholly on the screen.
    QVERIFY2(frame.width() > 200 && frame.height() > 100, qPrintable(where));
    QVERIFY2(area.contains(frame), qPrintable(where));
    // Centred on the main window wherever that fits the screen.
    const QRect centred = centredIfItFits(frame.size(), owner, area);
    if (!centred.isNull())
        QVERIFY2((frame.topLeft() - centred.topLeft()).manhattanLength() <= 2, qPrintable(where));
    // Drawn opaque by the X server: no black corner or centre.
    QVERIFY2(black.isEmpty(), qPrintable(where + " black at " + black));
    // The toolkit's own file dialog speaks Chinese.
    if (className == QLatin1String("QFileDialog")) {
        QVERIFY(!buttonTexts.isEmpty());
        for (const QString &text : qAsConst(buttonTexts))
            QVERIFY2(hasChinese(text), qPrintable(text));
    }
    QTRY_VERIFY(model()->count() >= 1); // the book was not deleted
}

void TstScreensXvfb::menusAreOpaque_data()
{
    QTest::addColumn<bool>("addTile");
    QTest::addColumn<int>("theme");
    QTest::newRow("book menu, light") << false << int(StyleLight);
    QTest::newRow("add menu, light") << true << int(StyleLight);
    QTest::newRow("book menu, dark") << false << int(StyleDark);
}

void TstScreensXvfb::menusAreOpaque()
{
    QFETCH(bool, addTile);
    QFETCH(int, theme);
    if (CQssManager::instance()->getStyle() != theme)
        CUiManager::instance()->toggleTheme();
    QMenu *menu = addTile ? delegate()->addMenu() : delegate()->bookMenu();
    clickTile(addTile ? model()->rowCount() - 1 : 0, addTile ? Qt::LeftButton : Qt::RightButton);
    QTRY_VERIFY(menu->isVisible());
    QTest::qWait(200);
    const QString black = blackSpots(menu->geometry());
    menu->close();
    if (theme != StyleLight)
        CUiManager::instance()->toggleTheme();
    QVERIFY2(black.isEmpty(), qPrintable("black at " + black));
}

void TstScreensXvfb::loginStartsInTheAccountField()
{
    Dialog_LoginMain dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *account = dialog.loginPage()->findChild<QLineEdit *>(QStringLiteral("lineEditAccount"));
    QTRY_COMPARE(QApplication::focusWidget(), account);
    // Typing goes straight into it, without a click first.
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("139"));
    QCOMPARE(account->text(), QStringLiteral("139"));

    // Every control a screen reader can reach has a name, and Tab walks
    // through all of them.
    QTRY_VERIFY(dialog.banner()->count() > 0);
    QSet<QWidget *> reachable;
    QStringList nameless;
    for (QWidget *w : dialog.findChildren<QWidget *>()) {
        if (!w->isVisible() || !w->isEnabled() || !(w->focusPolicy() & Qt::TabFocus))
            continue;
        reachable << w;
        if (AccessibleNames::nameOf(w).isEmpty())
            nameless << QStringLiteral("%1 %2").arg(w->metaObject()->className(), w->objectName());
    }
    QVERIFY2(nameless.isEmpty(), qPrintable(nameless.join(", ")));
    QSet<QWidget *> visited;
    for (int i = 0; i < 3 * reachable.size() && visited != reachable; ++i) {
        visited << QApplication::focusWidget();
        pressKey(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(visited, reachable);
}

void TstScreensXvfb::phoneNumberPaste_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<bool>("told");
    QTest::newRow("blanks") << "138 0013 8000"
                            << "13800138000" << false;
    QTest::newRow("dashes") << "138-0013-8000"
                            << "13800138000" << false;
    QTest::newRow("ideographic blank") << QStringLiteral("138\u30000013\u30008000") << "13800138000" << false;
    QTest::newRow("twelve digits") << "138001380001"
                                   << "" << true;
    QTest::newRow("blanks hiding twelve digits") << "138 0013 80001"
                                                 << "" << true;
    QTest::newRow("letters") << "138abc"
                             << "" << false;
}

void TstScreensXvfb::phoneNumberPaste()
{
    QFETCH(QString, pasted);
    QFETCH(QString, kept);
    QFETCH(bool, told);
    Dialog_LoginMain dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *account = dialog.loginPage()->findChild<QLineEdit *>(QStringLiteral("lineEditAccount"));
    QTest::mouseClick(account, Qt::LeftButton);
    QToolTip::hideText();
    QApplication::clipboard()->setText(pasted);
    pressKey(account, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(account->text(), kept);
    if (told) {
        QTRY_VERIFY(QToolTip::isVisible());
        QVERIFY2(hasChinese(QToolTip::text()) && QToolTip::text().contains(QLatin1String("11")),
                 qPrintable(QToolTip::text()));
    }
    // Typing a digit more than eleven is refused the same way.
    if (kept.size() == 11) {
        pressKey(account, Qt::Key_End);
        QTest::keyClicks(account, QStringLiteral("9"));
        QCOMPARE(account->text(), kept);
        QTRY_VERIFY(QToolTip::isVisible());
    }
    QToolTip::hideText();
}

void TstScreensXvfb::recoveryPageForgetsTheLastError()
{
    Dialog_LoginMain dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::mouseClick(dialog.loginPage()->findChild<QPushButton *>(QStringLiteral("btnGotoForgetPwd")),
                      Qt::LeftButton);
    Widget_ForgetPwd *page = dialog.forgetPage();
    QCOMPARE(dialog.stack()->currentWidget(), page);
    // The account field has the focus: the page is typed into at once.
    QTRY_COMPARE(QApplication::focusWidget(),
                 page->findChild<QLineEdit *>(QStringLiteral("lineEditAccount")));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("13700000425"));
    QTest::keyClicks(page->findChild<QLineEdit *>(QStringLiteral("lineEditCode")), QStringLiteral("123456"));
    QTest::keyClicks(page->findChild<QLineEdit *>(QStringLiteral("lineEditPwd")), QStringLiteral("abcdefgh"));
    QTest::keyClicks(page->findChild<QLineEdit *>(QStringLiteral("lineEditPwdV")),
                     QStringLiteral("abcdefgX"));
    QTest::mouseClick(page->findChild<QPushButton *>(QStringLiteral("btnResetPwd")), Qt::LeftButton);
    auto *error = page->findChild<QLabel *>(QStringLiteral("labelError"));
    QCOMPARE(error->text(), QStringLiteral("两次输入密码不一致"));
    QTest::mouseClick(page->findChild<QPushButton *>(QStringLiteral("btnGotoLogin")), Qt::LeftButton);
    QTest::mouseClick(dialog.loginPage()->findChild<QPushButton *>(QStringLiteral("btnGotoForgetPwd")),
                      Qt::LeftButton);
    QCOMPARE(dialog.stack()->currentWidget(), page);
    QVERIFY2(error->text().isEmpty(), qPrintable(error->text()));
}

void TstScreensXvfb::waitingSignInSaysSoAndCanBeCancelled()
{
    // A server that takes the connection and never answers.
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    QList<QTcpSocket *> held;
    connect(&silent, &QTcpServer::newConnection, this, [&] {
        while (silent.hasPendingConnections())
            held << silent.nextPendingConnection();
    });
    Dialog_LoginMain dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTRY_COMPARE(dialog.banner()->count(), 3);
    const QString realBase = CQuorvinHttp::instance()->baseUrl();
    QVERIFY(
        CQuorvinHttp::instance()->setBaseUrl(QStringLiteral("http://127.0.0.1:%1").arg(silent.serverPort())));
    // Only the cancel can end the wait (a time-out would take ten minutes).
    const int timeout = CQuorvinHttp::instance()->syncTimeout();
    CQuorvinHttp::instance()->setSyncTimeout(600000);
    Widget_Login *page = dialog.loginPage();
    QTest::keyClicks(page->findChild<QLineEdit *>(QStringLiteral("lineEditAccount")),
                     QStringLiteral("13700000425"));
    QTest::keyClicks(page->findChild<QLineEdit *>(QStringLiteral("lineEditPwd")),
                     QStringLiteral("password1"));
    auto *error = page->findChild<QLabel *>(QStringLiteral("labelError"));
    auto *cancel = page->findChild<QPushButton *>(QStringLiteral("btnCancelLogin"));
    auto *login = page->findChild<QPushButton *>(QStringLiteral("btnLogin"));
    QVERIFY(cancel && !cancel->isVisible());

    QString waitingText;
    QString buttonText;
    bool cancelShown = false;
    QTimer::singleShot(300, this, [&] {
        waitingText = error->text();
        buttonText = login->text();
        cancelShown = cancel->isVisible() && cancel->isEnabled();
        // The keyboard cancels as the button does.
        pressKey(cancel, Qt::Key_Escape);
    });
    pressKey(page->findChild<QLineEdit *>(QStringLiteral("lineEditPwd")), Qt::Key_Return);
    QVERIFY2(hasChinese(waitingText), qPrintable(waitingText));
    QVERIFY(hasChinese(buttonText));
    QVERIFY(cancelShown);
    QCOMPARE(error->text(), QStringLiteral("已取消登录"));
    QVERIFY(!cancel->isVisible());
    QVERIFY(login->isEnabled());
    QCOMPARE(login->text(), QStringLiteral("登录"));
    qDeleteAll(held);
    CQuorvinHttp::instance()->setSyncTimeout(timeout);
    QVERIFY(CQuorvinHttp::instance()->setBaseUrl(realBase));
}

void TstScreensXvfb::bindViewCoversTheWholeForm()
{
    Dialog_LoginMain dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QSize before = dialog.size();
    const QRect pages(dialog.stack()->mapTo(&dialog, QPoint(0, 0)), dialog.stack()->size());
    dialog.onDealToggle(4);
    Widget_BindWechat *bind = dialog.bindView();
    QVERIFY(bind && bind->isVisible());
    QTest::qWait(100);
    // Nothing moved, and the view covers the pages and the login title.
    QCOMPARE(dialog.size(), before);
    QCOMPARE(QRect(dialog.stack()->mapTo(&dialog, QPoint(0, 0)), dialog.stack()->size()), pages);
    QCOMPARE(QRect(bind->mapTo(&dialog, QPoint(0, 0)), bind->size()), pages);
    auto *title = dialog.loginPage()->findChild<QLabel *>(QStringLiteral("LoginTitle"));
    QVERIFY(QRect(bind->mapTo(&dialog, QPoint(0, 0)), bind->size())
                .contains(QRect(title->mapTo(&dialog, QPoint(0, 0)), title->size())));
    // Typing goes into the binding's phone field, never into the covered
    // login field (whose caret would blink beneath).
    auto *phone = bind->findChild<QLineEdit *>(QStringLiteral("lineEditAccount"));
    QTRY_COMPARE(QApplication::focusWidget(), phone);
    QTest::keyClicks(phone, QStringLiteral("136"));
    QCOMPARE(phone->text(), QStringLiteral("136"));
    QVERIFY(dialog.loginPage()->findChild<QLineEdit *>(QStringLiteral("lineEditAccount"))->text().isEmpty());
    for (int i = 0; i < 12; ++i) {
        pressKey(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY(!dialog.loginPage()->isAncestorOf(QApplication::focusWidget()));
    }
}

void TstScreensXvfb::bannersWithTheirWordsAlsoOffline()
{
    {
        Dialog_LoginMain online;
        online.show();
        QVERIFY(QTest::qWaitForWindowExposed(&online));
        QTRY_COMPARE(online.banner()->count(), 3);
        for (int i = 0; i < 3; ++i)
            QVERIFY(hasChinese(online.banner()->textAt(i)));
    }
    // No server at all: the pictures and words of the last answer.
    const QString realBase = CQuorvinHttp::instance()->baseUrl();
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        closedPort = probe.serverPort();
    }
    QVERIFY(CQuorvinHttp::instance()->setBaseUrl(QStringLiteral("http://127.0.0.1:%1").arg(closedPort)));
    Dialog_LoginMain offline;
    offline.show();
    QVERIFY(QTest::qWaitForWindowExposed(&offline));
    QTRY_COMPARE(offline.banner()->count(), 3);
    QVERIFY(hasChinese(offline.banner()->textAt(0)));
    QVERIFY(CQuorvinHttp::instance()->setBaseUrl(realBase));
}

void TstScreensXvfb::wechatCodeHoldsThePageAddress()
{
    QTemporaryDir dir;
    Dialog_LoginMain dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.move(0, 0);
    QTest::mouseClick(dialog.loginPage()->findChild<QPushButton *>(QStringLiteral("btnWechat")),
                      Qt::LeftButton);
    Widget_WeChatLogin *view = dialog.wechatView();
    QVERIFY(view);
    QTRY_VERIFY_WITH_TIMEOUT(
        runScript(view->view(), "String(document.querySelector('svg') !== null)") == "true", 20000);
    QTest::qWait(500);
    // The address the server gave for this session, without the theme the
    // program adds for the page's colours.
    QUrl address = view->view()->url();
    QUrlQuery query(address);
    query.removeAllQueryItems(QStringLiteral("theme"));
    address.setQuery(query);
    QVERIFY(address.toString().startsWith(m_author.server().baseUrl() + "/wx/login?s="));

    const QRect r(view->mapToGlobal(QPoint(0, 0)), view->size());
    const QString shot = dir.filePath(QStringLiteral("wechat.png"));
    QCOMPARE(QProcess::execute(
                 "import",
                 {"-window", "root", "-crop",
                  QStringLiteral("%1x%2+%3+%4").arg(r.width()).arg(r.height()).arg(r.x()).arg(r.y()), shot}),
             0);
    QProcess reader;
    reader.start("zbarimg", {"--raw", "-q", shot});
    QVERIFY(reader.waitForFinished(20000));
    QCOMPARE(QString::fromUtf8(reader.readAllStandardOutput()).trimmed(), address.toString());
}

void TstScreensXvfb::syncAnimatesAndCountsProgress()
{
    // The animation is built into the program, in both themes.
    for (const char *theme : {"light", "dark"}) {
        QMovie movie(QStringLiteral(":/res/skin/%1/top/gif_sync.gif").arg(theme));
        QVERIFY2(movie.isValid() && movie.frameCount() > 1, theme);
    }
    // Another machine of the author adds a book with three chapters.
    TestHttp other = m_author.api(QStringLiteral("0ther000000000000000000000000a1"));
    const int bookId =
        other.post("/books/addBook", {{"book_name", QStringLiteral("远山来信")}, {"local_id", "7"}})
            .object()
            .value("book_id")
            .toInt();
    QVERIFY(bookId > 0);
    for (int i = 1; i <= 3; ++i)
        QVERIFY(other
                    .post("/chapter/createChapter", {{"book_id", QString::number(bookId)},
                                                     {"local_id", QString::number(100 + i)},
                                                     {"chapter_name", QStringLiteral("第%1章 ").arg(i)},
                                                     {"order_num", QString::number(i)}})
                    .code() == 200);

    int mostSteps = 0;
    int mostDone = 0;
    bool animated = false;
    QMovie *movie = shelf()->top()->syncLabel()->movie();
    QVERIFY(movie);
    const auto watch = connect(model(), &QAbstractItemModel::dataChanged, this, [&](const QModelIndex &from) {
        const BookShelf_Book book = from.data().value<BookShelf_Book>();
        if (book.bookName != QStringLiteral("远山来信") || !book.isSyncing)
            return;
        mostSteps = qMax(mostSteps, book.stepTotal);
        mostDone = qMax(mostDone, book.stepDone);
        QVERIFY(book.stepDone <= book.stepTotal);
        animated = animated || movie->state() == QMovie::Running;
    });
    QTest::mouseClick(shelf()->top()->syncButton(), Qt::LeftButton);
    QVERIFY(QTest::qWaitFor(
        [&] { return CUiManager::instance()->syncRunning() == 0 && shelf()->top()->syncLabel()->isHidden(); },
        30000));
    disconnect(watch);
    QVERIFY2(mostSteps >= 3, qPrintable(QString::number(mostSteps)));
    QVERIFY2(mostDone >= 1, qPrintable(QString::number(mostDone)));
    QVERIFY(animated);
    QCOMPARE(movie->state(), QMovie::NotRunning);
    // Ended: no bar left on any book.
    for (int row = 0; row < model()->count(); ++row) {
        const BookShelf_Book book = model()->index(row).data().value<BookShelf_Book>();
        QVERIFY(!book.isSyncing && book.stepTotal == 0 && book.stepDone == 0);
    }
}

void TstScreensXvfb::accessibleNamesOnTheShelf()
{
    QStringList nameless;
    for (QWidget *w : window()->findChildren<QWidget *>()) {
        if (w->isVisible() && (w->focusPolicy() & Qt::TabFocus) && AccessibleNames::nameOf(w).isEmpty())
            nameless << QStringLiteral("%1 %2").arg(w->metaObject()->className(), w->objectName());
    }
    QVERIFY2(nameless.isEmpty(), qPrintable(nameless.join(", ")));
    // Every tile, the add tile included, is a named list item.
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(grid());
    QVERIFY(list);
    QCOMPARE(list->childCount(), model()->rowCount());
    for (int i = 0; i < list->childCount(); ++i) {
        QAccessibleInterface *tile = list->child(i);
        QVERIFY(tile);
        QCOMPARE(tile->role(), QAccessible::ListItem);
        QVERIFY2(hasChinese(tile->text(QAccessible::Name)), qPrintable(tile->text(QAccessible::Name)));
    }
    QVERIFY(list->child(0)
                ->text(QAccessible::Name)
                .contains(model()->index(0).data().value<BookShelf_Book>().bookName));
}

void TstScreensXvfb::keyboardReachesTheShelf()
{
    window()->activateWindow();
    QTRY_VERIFY(window()->isActiveWindow());
    // Tab reaches the grid.
    for (int i = 0; i < 40 && QApplication::focusWidget() != grid(); ++i)
        pressKey(QApplication::focusWidget() ? QApplication::focusWidget() : window(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), grid());
    // The last tile adds a book: Return shows the add menu.
    pressKey(grid(), Qt::Key_End);
    QCOMPARE(grid()->currentIndex().row(), model()->rowCount() - 1);
    pressKey(grid(), Qt::Key_Return);
    QTRY_VERIFY(delegate()->addMenu()->isVisible());
    pressKey(delegate()->addMenu(), Qt::Key_Escape);
    QTRY_VERIFY(!delegate()->addMenu()->isVisible());
    // A book's menu comes with the menu key; Return opens the book.
    pressKey(grid(), Qt::Key_Home);
    pressKey(grid(), Qt::Key_Menu);
    QTRY_VERIFY(delegate()->bookMenu()->isVisible());
    pressKey(delegate()->bookMenu(), Qt::Key_Escape);
    QTRY_VERIFY(!delegate()->bookMenu()->isVisible());
    pressKey(grid(), Qt::Key_Return);
    QTRY_COMPARE(window()->stack()->currentIndex(), 1);
    CUiManager::instance()->showBookshelf();
    QTRY_COMPARE(window()->stack()->currentIndex(), 0);
}

void TstScreensXvfb::topBarNamesThePage()
{
    QCOMPARE(shelf()->top()->pageTitle(), QStringLiteral("我的书架"));
    QTest::mouseClick(shelf()->navigation()->button(2), Qt::LeftButton);
    QCOMPARE(shelf()->top()->pageTitle(), QStringLiteral("意见反馈"));
    QTest::mouseClick(shelf()->navigation()->button(1), Qt::LeftButton);
    QCOMPARE(shelf()->top()->pageTitle(), QStringLiteral("个人数据"));
    QTest::mouseClick(shelf()->navigation()->button(0), Qt::LeftButton);
    QCOMPARE(shelf()->top()->pageTitle(), QStringLiteral("我的书架"));
}

void TstScreensXvfb::editedBookMovesToTheFront()
{
    // A second, newer book stands first; describing the older one brings it forward.
    TC_Books_AddBook req;
    req.bookName = QStringLiteral("后来的书");
    QVERIFY(CJobManager::instance()->booksAddBook(req));
    QTRY_COMPARE(model()->index(0).data().value<BookShelf_Book>().bookName, QStringLiteral("后来的书"));
    int row = -1;
    for (int i = 0; i < model()->count(); ++i)
        if (model()->index(i).data().value<BookShelf_Book>().bookName == m_book->bookName)
            row = i;
    QVERIFY(row > 0);
    const QString renamed = QStringLiteral("青石巷（修订）");
    onModal([&](QDialog *dialog) {
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("lineEdit"));
        name->selectAll();
        QInputMethodEvent commit;
        commit.setCommitString(renamed);
        QApplication::sendEvent(name, &commit);
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("btnConfirm")), Qt::LeftButton);
    });
    clickTile(row, Qt::RightButton);
    QTRY_VERIFY(delegate()->bookMenu()->isVisible());
    clickAction(delegate()->bookMenu(), QStringLiteral("书籍信息"));
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QCOMPARE(model()->index(0).data().value<BookShelf_Book>().bookName, renamed);
    QCOMPARE(m_session.books.first()->bookName, renamed);
    QVERIFY(SignedInAuthor::replay());
}

void TstScreensXvfb::focusLineOnANewParagraph()
{
    Widget_Creation *page = SignedInAuthor::openCreation(m_book);
    QVERIFY(page);
    Creation_TextEdit *editor = page->content()->editor();
    QTRY_VERIFY(page->content()->chapter());
    QVERIFY(m_session.user.isFocusing);
    QTest::qWait(200); // the chapter's text is loaded
    editor->setFocus();
    QTRY_VERIFY(editor->hasFocus());
    QTest::keyClicks(editor, QStringLiteral("first"));
    pressKey(editor, Qt::Key_Return);
    QTest::keyClicks(editor, QStringLiteral("Wandering"));
    QTest::qWait(300);
    // The line being typed is drawn in the normal text colour (rgb 33,33,33),
    // not the dim one (195,196,199) of the rest.
    const QRect caret = editor->cursorRect();
    const QRect line(editor->viewport()->mapToGlobal(QPoint(0, caret.top())),
                     QSize(editor->viewport()->width(), caret.height()));
    const QImage pixels = screenPixels(line);
    int darkest = 255;
    for (int y = 0; y < pixels.height(); ++y)
        for (int x = 0; x < pixels.width(); ++x)
            darkest = qMin(darkest, qGray(pixels.pixel(x, y)));
    QVERIFY2(darkest < 100, qPrintable(QString::number(darkest)));
    // Pressing Return again and typing: the new line is normal at once.
    pressKey(editor, Qt::Key_Return);
    QTest::keyClicks(editor, QStringLiteral("W"));
    QTest::qWait(300);
    const QRect caret2 = editor->cursorRect();
    const QImage second = screenPixels(QRect(editor->viewport()->mapToGlobal(QPoint(0, caret2.top())),
                                             QSize(editor->viewport()->width(), caret2.height())));
    darkest = 255;
    for (int y = 0; y < second.height(); ++y)
        for (int x = 0; x < second.width(); ++x)
            darkest = qMin(darkest, qGray(second.pixel(x, y)));
    QVERIFY2(darkest < 100, qPrintable(QString::number(darkest)));
}

void TstScreensXvfb::pastedParagraphsTakeTheChapterFormat_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::newRow("line feeds") << QStringLiteral("第一段\n第二段\n第三段");
    QTest::newRow("carriage returns and line feeds") << QStringLiteral("第一段\r\n第二段\r\n第三段");
}

void TstScreensXvfb::pastedParagraphsTakeTheChapterFormat()
{
    QFETCH(QString, pasted);
    Widget_Creation *page = SignedInAuthor::openCreation(m_book);
    QVERIFY(page);
    Creation_TextEdit *editor = page->content()->editor();
    editor->setFocus();
    QTRY_VERIFY(editor->hasFocus());
    pressKey(editor, Qt::Key_End, Qt::ControlModifier);
    pressKey(editor, Qt::Key_Return);
    QApplication::clipboard()->setText(pasted);
    pressKey(editor, Qt::Key_V, Qt::ControlModifier);
    const qreal size = m_session.user.fontSize;
    QTextBlock block = editor->document()->lastBlock();
    for (const QString &expected :
         {QStringLiteral("第三段"), QStringLiteral("第二段"), QStringLiteral("第一段")}) {
        QCOMPARE(block.text(), expected);
        const QTextBlockFormat format = block.blockFormat();
        QCOMPARE(format.textIndent(), 2.8 * size);
        QCOMPARE(format.topMargin(), size);
        QCOMPARE(format.lineHeightType(), int(QTextBlockFormat::LineDistanceHeight));
        QCOMPARE(format.lineHeight(), size);
        block = block.previous();
    }
    // What was pasted is what the chapter holds, without a blank paragraph.
    QVERIFY(page->content()->currentText().endsWith(QStringLiteral("第一段\n第二段\n第三段")));
}

void TstScreensXvfb::writingPageByKeyboardAndScreenReader()
{
    Widget_Creation *page = SignedInAuthor::openCreation(m_book);
    QVERIFY(page);
    QTest::qWait(200);
    QStringList nameless;
    for (QWidget *w : page->findChildren<QWidget *>()) {
        if (w->isVisible() && (w->focusPolicy() & Qt::TabFocus) && AccessibleNames::nameOf(w).isEmpty())
            nameless << QStringLiteral("%1 %2").arg(w->metaObject()->className(), w->objectName());
    }
    QVERIFY2(nameless.isEmpty(), qPrintable(nameless.join(", ")));
    QAccessibleInterface *chapters = QAccessible::queryAccessibleInterface(page->left()->listView());
    QVERIFY(chapters && chapters->childCount() > 0);
    QVERIFY(!chapters->child(0)->text(QAccessible::Name).isEmpty());

    // Tab is text in the editor; Ctrl+Tab leaves it for the page's controls.
    Creation_TextEdit *editor = page->content()->editor();
    editor->setFocus();
    QTRY_VERIFY(editor->hasFocus());
    const QString before = page->content()->currentText();
    pressKey(editor, Qt::Key_Tab, Qt::ControlModifier);
    QVERIFY(!editor->hasFocus());
    QVERIFY(QApplication::focusWidget() && page->isAncestorOf(QApplication::focusWidget()));
    QCOMPARE(page->content()->currentText(), before);

    // The chapter menu: by the menu key, opaque without a compositor.
    QListView *list = page->left()->listView();
    list->setFocus();
    list->setCurrentIndex(list->model()->index(0, 0));
    pressKey(list, Qt::Key_Menu);
    QTRY_VERIFY(page->left()->menu()->isVisible());
    QTest::qWait(200);
    const QString black = blackSpots(page->left()->menu()->geometry());
    pressKey(page->left()->menu(), Qt::Key_Escape);
    QVERIFY2(black.isEmpty(), qPrintable("black at " + black));

    // The tools panel leaves with the page, as the other panels do.
    QTest::mouseClick(page->top()->setupButton(), Qt::LeftButton);
    QTRY_VERIFY(page->toolsPanel() && page->toolsPanel()->isVisible());
    CUiManager::instance()->showBookshelf();
    QTRY_VERIFY(!page->toolsPanel()->isVisible());
}

void TstScreensXvfb::screenshots()
{
    const QString dir = qEnvironmentVariable("QUORVIN_SCREENSHOT_DIR");
    if (dir.isEmpty())
        QSKIP("QUORVIN_SCREENSHOT_DIR not set");
    auto shoot = [&](const QRect &r, const QString &file) {
        QTest::qWait(600);
        const QString crop =
            QStringLiteral("%1x%2+%3+%4").arg(r.width()).arg(r.height()).arg(r.x()).arg(r.y());
        return QProcess::execute("import", {"-window", "root", "-crop", crop, dir + "/" + file}) == 0;
    };
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    const QString realBase = CQuorvinHttp::instance()->baseUrl();
    {
        // The banners of the server, kept for the sign-in shown offline below.
        Dialog_LoginMain online;
        online.show();
        QVERIFY(QTest::qWaitForWindowExposed(&online));
        QTRY_COMPARE(online.banner()->count(), 3);
    }
    for (const int style : {int(StyleLight), int(StyleDark)}) {
        const QString theme = style == StyleDark ? QStringLiteral("dark") : QStringLiteral("light");
        if (CQssManager::instance()->getStyle() != style)
            CUiManager::instance()->toggleTheme();
        CUiManager::instance()->showBookshelf();

        // The toolkit's file dialog, opened by the add tile's import.
        bool shot = false;
        onModal([&](QDialog *files) {
            shot = shoot(files->frameGeometry(), "file-dialog-" + theme + ".png");
            files->reject();
        });
        openDialog(QStringLiteral("import file"));
        QTRY_VERIFY(shot);
        QTRY_VERIFY(!QApplication::activeModalWidget());

        // A sign-in waiting for a server that does not answer.
        QVERIFY(CQuorvinHttp::instance()->setBaseUrl(
            QStringLiteral("http://127.0.0.1:%1").arg(silent.serverPort())));
        Dialog_LoginMain dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::keyClicks(dialog.loginPage()->findChild<QLineEdit *>(QStringLiteral("lineEditAccount")),
                         QStringLiteral("13700000425"));
        auto *password = dialog.loginPage()->findChild<QLineEdit *>(QStringLiteral("lineEditPwd"));
        QTest::keyClicks(password, QStringLiteral("password1"));
        shot = false;
        QTimer::singleShot(300, this, [&] {
            shot = shoot(dialog.frameGeometry(), "login-waiting-" + theme + ".png");
            QTest::mouseClick(dialog.loginPage()->findChild<QPushButton *>(QStringLiteral("btnCancelLogin")),
                              Qt::LeftButton);
        });
        pressKey(password, Qt::Key_Return);
        QVERIFY(shot);
        QVERIFY(CQuorvinHttp::instance()->setBaseUrl(realBase));
        // The phone binding that follows a new WeChat account.
        dialog.onDealToggle(4);
        QVERIFY(dialog.bindView() && dialog.bindView()->isVisible());
        QVERIFY(shoot(dialog.frameGeometry(), "bind-phone-" + theme + ".png"));
    }
    CUiManager::instance()->toggleTheme();
}

QUORVIN_TEST_MAIN(TstScreensXvfb)
#include "tst_screens_xvfb.moc"
