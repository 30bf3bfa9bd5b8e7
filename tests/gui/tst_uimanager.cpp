// The UI manager and the main window on the offscreen platform: word count
// and paragraph HTML, page sizes, maximising and full screen, closing with
// and without the tray, theme toggling and the login side.
#include "db/cquorvindb.h"
#include "mainwindow.h"
#include "manager/cqssmanager.h"
#include "manager/cuimanager.h"
#include "testappdir.h"
#include "testmain.h"
#include "ui/dpiadapter.h"
#include "ui/widget_clienttips.h"

#include <QDialog>
#include <QScreen>
#include <QStackedWidget>
#include <QTextDocument>
#include <QTimer>

class TestUiManager : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void countWords_data();
    void countWords();
    void toHtml();
    void pageSwitchKeepsVerticalCentre();
    void toggleMaximizedFlipsWindowSize();
    void fullScreenFromMaximised();
    void closeButton_data();
    void closeButton();
    void toggleTheme();
    void showLoginDismissesMain();
    void centreOn();

private:
    static bool quits(const std::function<void()> &action);
    MainWindow *showMain();

    TestAppDir m_dir;
    CUiManager *m_ui = nullptr;
};

bool TestUiManager::quits(const std::function<void()> &action)
{
    // Run inside the application's own loop: its end resets the quit
    // request, so the next test's loops run normally.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(42); });
    guard.start(200);
    QTimer::singleShot(0, [&] { action(); });
    const int code = QApplication::exec();
    guard.stop();
    return code != 42;
}

void TestUiManager::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("XDG_CONFIG_HOME", (m_dir.path() + "/config").toUtf8());
    QVERIFY(CQuorvinDb::instance()->init());
    CQssManager::instance()->setQssStyle(StyleLight, ":/res/qss/light.qss");
    CQssManager::instance()->setQssStyle(StyleDark, ":/res/qss/dark.qss");
    TS_Author_Info author;
    author.uid = 42;
    author.authorName = QStringLiteral("作者");
    QVERIFY(CQuorvinDb::instance()->insertUser(author, T_User()));
    m_ui = CUiManager::instance();
}

void TestUiManager::init()
{
    T_SessionData &session = T_SessionData::instance();
    session.author = TS_Author_Info();
    session.author.uid = 42;
    session.author.authorName = QStringLiteral("作者");
    session.user = T_User();
}

void TestUiManager::cleanup()
{
    m_ui->setTrayProbe(nullptr);
    m_ui->closeWindows();
}

MainWindow *TestUiManager::showMain()
{
    m_ui->showMain();
    MainWindow *w = m_ui->mainWindow();
    if (w)
        w = QTest::qWaitForWindowExposed(w) ? w : nullptr;
    return w;
}

void TestUiManager::countWords_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("count");
    QTest::newRow("a b CR LF c") << "a b\r\nc" << 3;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("only breaks and blanks") << " \r\n \n" << 0;
    QTest::newRow("Chinese with punctuation") << QStringLiteral("第一章，开始。") << 7;
    QTest::newRow("emoji counts per UTF-16 unit") << QStringLiteral("字😀") << 3;
}

void TestUiManager::countWords()
{
    QFETCH(QString, text);
    QFETCH(int, count);
    QCOMPARE(CUiManager::countWords(text), count);
}

void TestUiManager::toHtml()
{
    QString html;
    CUiManager::toHtml("one\r\n\r\ntwo\rthree\n", html, 24, 24, 12);
    const QString p = "<p style='line-height:24px;text-indent:24px;font-size:12px;'>";
    QCOMPARE(html, "<html><body style=''>" + p + "one</p>" + p + "two</p>" + p + "three</p></body></html>");
    CUiManager::toHtml("", html, 1, 2, 3);
    QCOMPARE(html, QString("<html><body style=''></body></html>"));
    // Text that looks like markup is shown, not interpreted.
    CUiManager::toHtml("<b>甲</b> & \"乙\"", html, 24, 24, 12);
    QTextDocument document;
    document.setHtml(html);
    QCOMPARE(document.toPlainText(), QString("<b>甲</b> & \"乙\""));
}

void TestUiManager::pageSwitchKeepsVerticalCentre()
{
    MainWindow *w = showMain();
    QVERIFY(w);
    // Never larger than the screen's free area (the offscreen screen is small).
    const QSize area = w->screen()->availableGeometry().size();
    const QSize base = DPIAdapter::instance()->defaultWindowSize().boundedTo(area);
    const int creationHeight =
        qMin(qRound(DPIAdapter::instance()->defaultWindowSize().height() * 1.25), area.height());
    QCOMPARE(w->size(), base);
    QCOMPARE(w->shadowMargin(), 14);
    QVERIFY(m_ui->isBookshelfShown());
    const int centre = w->geometry().center().y();

    m_ui->showCreation(nullptr);
    QCOMPARE(w->stack()->currentIndex(), 1);
    QCOMPARE(w->height(), creationHeight);
    QVERIFY(qAbs(w->geometry().center().y() - centre) <= 1);
    // Opening another book while on the creation page does not move it again.
    m_ui->showCreation(nullptr);
    QCOMPARE(w->height(), creationHeight);
    QVERIFY(qAbs(w->geometry().center().y() - centre) <= 1);

    m_ui->showBookshelf();
    QCOMPARE(w->size(), base);
    QVERIFY(qAbs(w->geometry().center().y() - centre) <= 1);

    // A hidden window is not switched.
    w->hide();
    m_ui->showCreation(nullptr);
    QCOMPARE(w->stack()->currentIndex(), 0);
}

void TestUiManager::toggleMaximizedFlipsWindowSize()
{
    MainWindow *w = showMain();
    m_ui->toggleMaximized();
    QTRY_VERIFY(w->isMaximized());
    QCOMPARE(T_SessionData::instance().author.windowSize, 1);
    QCOMPARE(w->shadowMargin(), 0);
    m_ui->toggleMaximized();
    QTRY_VERIFY(!w->isMaximized());
    QCOMPARE(T_SessionData::instance().author.windowSize, 0);
    QCOMPARE(w->shadowMargin(), 14);
    QCOMPARE(w->size(),
             DPIAdapter::instance()->defaultWindowSize().boundedTo(w->screen()->availableGeometry().size()));

    // Leaving maximised comes back centred on the screen, on either page,
    // wherever the window stood before.
    const QRect screen = w->screen()->availableGeometry();
    m_ui->showCreation(nullptr);
    w->move(screen.topLeft());
    m_ui->toggleMaximized();
    QTRY_VERIFY(w->isMaximized());
    m_ui->toggleMaximized();
    QTRY_VERIFY(!w->isMaximized());
    const QSize base = DPIAdapter::instance()->defaultWindowSize();
    QCOMPARE(w->size(), QSize(base.width(), qRound(base.height() * 1.25)).boundedTo(screen.size()));
    QVERIFY2((w->geometry().center() - screen.center()).manhattanLength() <= 2,
             qPrintable(QStringLiteral("window at %1,%2")
                            .arg(w->geometry().center().x())
                            .arg(w->geometry().center().y())));

    // A remembered maximised window comes back maximised.
    m_ui->closeWindows();
    T_SessionData::instance().author.windowSize = 1;
    w = showMain();
    QTRY_VERIFY(w->isMaximized());
    QCOMPARE(w->shadowMargin(), 0);
}

void TestUiManager::fullScreenFromMaximised()
{
    MainWindow *w = showMain();
    w->showMaximized();
    QTRY_VERIFY(w->isMaximized());
    m_ui->setWindowFullScreen(true);
    QTRY_VERIFY(w->isFullScreen());
    QVERIFY(w->windowState() & Qt::WindowMaximized);
    QVERIFY(m_ui->isFullScreen());
    m_ui->setWindowFullScreen(false);
    QTRY_VERIFY(!w->isFullScreen());
    QCOMPARE(w->windowState() & Qt::WindowMaximized, Qt::WindowMaximized);
    QCOMPARE(w->shadowMargin(), 0);
}

void TestUiManager::closeButton_data()
{
    QTest::addColumn<int>("isTray");
    QTest::addColumn<bool>("trayExists");
    QTest::addColumn<int>("lockType");
    QTest::addColumn<bool>("quits");
    QTest::addColumn<bool>("visibleAfter");
    QTest::newRow("quit") << 0 << true << 0 << true << true;
    QTest::newRow("to the tray") << 1 << true << 0 << false << false;
    // Hidden with no tray icon to bring it back: minimised instead.
    QTest::newRow("no tray: minimised") << 1 << false << 0 << false << true;
    QTest::newRow("locked") << 1 << true << 2 << false << true;
}

void TestUiManager::closeButton()
{
    QFETCH(int, isTray);
    QFETCH(bool, trayExists);
    QFETCH(int, lockType);
    QFETCH(bool, quits);
    QFETCH(bool, visibleAfter);
    m_ui->setTrayProbe([trayExists] { return trayExists; });
    T_SessionData &session = T_SessionData::instance();
    session.user.isTray = isTray;
    MainWindow *w = showMain();
    session.user.lockType = lockType; // after showMain: only the close side is under test
    session.author.style = 2;
    session.author.windowSize = 1;

    QCOMPARE(TestUiManager::quits([this] { m_ui->requestClose(); }), quits);
    QCOMPARE(w->isVisible(), visibleAfter);
    QCOMPARE(w->isMinimized(), isTray == 1 && !trayExists);
    if (lockType)
        QTRY_VERIFY(w->tips()->isVisible());

    // Quitting through the close button writes the theme and window size.
    TS_Author_Info stored;
    T_User user;
    QVERIFY(CQuorvinDb::instance()->getUserData(42, stored, user));
    QCOMPARE(stored.style, quits ? 2 : 1);
    QCOMPARE(stored.windowSize, quits ? 1 : 0);
    if (quits) {
        stored.style = 1;
        stored.windowSize = 0;
        stored.uid = 42;
        QVERIFY(CQuorvinDb::instance()->updateUser(stored));
    }

    // A close event from outside follows the same rules.
    w->showNormal();
    QCOMPARE(w->close(), isTray == 0 && lockType == 0);
    QCOMPARE(w->isVisible(), isTray == 1 && (lockType != 0 || !trayExists));
    QCOMPARE(w->isMinimized(), isTray == 1 && lockType == 0 && !trayExists);
    session.user.lockType = 0;
}

void TestUiManager::toggleTheme()
{
    showMain();
    QCOMPARE(CQssManager::instance()->getStyle(), 1);
    m_ui->toggleTheme();
    QCOMPARE(T_SessionData::instance().author.style, 2);
    QCOMPARE(CQssManager::instance()->getStyle(), 2);
    QCOMPARE(qApp->styleSheet(), CQssManager::instance()->styleSheet(2));
    m_ui->toggleTheme();
    QCOMPARE(T_SessionData::instance().author.style, 1);
    QCOMPARE(CQssManager::instance()->getStyle(), 1);
}

void TestUiManager::showLoginDismissesMain()
{
    QPointer<MainWindow> w = showMain();
    m_ui->showLogin();
    QVERIFY(!m_ui->mainWindow());
    QVERIFY(w && !w->isVisible());
    QTRY_VERIFY(!w);
    QPointer<QDialog> login = m_ui->loginDialog();
    QVERIFY(login && login->isVisible());
    // Operations that need the main window do nothing without one.
    m_ui->toggleMaximized();
    m_ui->setWindowFullScreen(true);
    m_ui->showCreation(nullptr);
    QCOMPARE(m_ui->windowWidth(), 0);

    showMain();
    QVERIFY(!m_ui->loginDialog());
    QTRY_VERIFY(!login);
}

void TestUiManager::centreOn()
{
    MainWindow *w = showMain();
    QWidget popup;
    popup.resize(200, 100);
    m_ui->centreOn(&popup);
    QVERIFY((popup.geometry().center() - w->geometry().center()).manhattanLength() <= 2);
}

QUORVIN_TEST_MAIN(TestUiManager)
#include "tst_uimanager.moc"
