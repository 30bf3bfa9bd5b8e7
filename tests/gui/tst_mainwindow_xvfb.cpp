// The main window on a real X server: the boss key through real key grabs,
// a combination held by another client, the writing lock's window side,
// and (when QUORVIN_SCREENSHOT_DIR is set) the screenshots of both themes.
#include "db/cquorvindb.h"
#include "mainwindow.h"
#include "manager/cqssmanager.h"
#include "manager/cuimanager.h"
#include "platform/autostart.h"
#include "platform/topmost.h"
#include "qxt/qxtglobalshortcut.h"
#include "testappdir.h"
#include "testmain.h"
#include "ui/dialog_devpanel.h"
#include "ui/fonts.h"
#include "ui/framelesshelper.h"
#include "ui/widget_clienttips.h"

#include <QProcess>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>
#include <QX11Info>

#include <X11/Xlib.h>

class TestMainWindowXvfb : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void bossKeyHidesAndRestores();
    void combinationHeldElsewhereIsRefused();
    void lockedWindowRefusesToCloseUntilUnlockKey();
    void closeWithoutTrayMinimises();
    void developerPanelKeyOpensOnePanel();
    void screenshots();

private:
    static bool pressKeys(const QString &keys);
    // True when `action` ends the running event loops (a quit was asked for).
    static bool quits(const std::function<void()> &action);

    TestAppDir m_dir;
    QTemporaryDir m_config;
};

bool TestMainWindowXvfb::pressKeys(const QString &keys)
{
    return QProcess::execute("xdotool", {"key", "--clearmodifiers", keys}) == 0;
}

bool TestMainWindowXvfb::quits(const std::function<void()> &action)
{
    // Run inside the application's own loop: its end resets the quit
    // request, so the next test's loops run normally.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(42); });
    guard.start(300);
    QTimer::singleShot(0, [&] { action(); });
    const int code = QApplication::exec();
    guard.stop();
    return code != 42;
}

void TestMainWindowXvfb::initTestCase()
{
    QVERIFY(QX11Info::isPlatformX11());
    QVERIFY(m_dir.isValid());
    qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
    substituteFonts();
    QVERIFY(CQuorvinDb::instance()->init());
    CQssManager::instance()->setQssStyle(StyleLight, ":/res/qss/light.qss");
    CQssManager::instance()->setQssStyle(StyleDark, ":/res/qss/dark.qss");
}

void TestMainWindowXvfb::init()
{
    T_SessionData &session = T_SessionData::instance();
    session.author = TS_Author_Info();
    session.author.uid = 7;
    session.author.authorName = QStringLiteral("林间写字人");
    session.user = T_User();
}

void TestMainWindowXvfb::cleanup()
{
    T_SessionData::instance().user.lockType = 0;
    CUiManager::instance()->closeWindows();
    QVERIFY(!CUiManager::instance()->mainWindow());
}

void TestMainWindowXvfb::bossKeyHidesAndRestores()
{
    CUiManager::instance()->showMain();
    MainWindow *w = CUiManager::instance()->mainWindow();
    QVERIFY(w);
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QVERIFY(w->bossKey()->isRegistered());
    QVERIFY(w->trayIcon()->isVisible());

    QVERIFY(pressKeys("ctrl+shift+n"));
    QTRY_VERIFY(!w->isVisible());
    QVERIFY(!w->trayIcon()->isVisible());

    QVERIFY(pressKeys("ctrl+shift+n"));
    QTRY_VERIFY(w->isVisible());
    QVERIFY(w->trayIcon()->isVisible());
    QVERIFY(!w->isMinimized());

    // A disabled shortcut keeps its grab but does nothing.
    w->bossKey()->setEnabled(false);
    QVERIFY(pressKeys("ctrl+shift+n"));
    QTest::qWait(300);
    QVERIFY(w->isVisible());
}

void TestMainWindowXvfb::combinationHeldElsewhereIsRefused()
{
    Display *other = XOpenDisplay(nullptr);
    QVERIFY(other);
    const KeyCode k = XKeysymToKeycode(other, XStringToKeysym("k"));
    XGrabKey(other, k, ShiftMask | ControlMask, DefaultRootWindow(other), False, GrabModeAsync,
             GrabModeAsync);
    XSync(other, False);

    CUiManager::instance()->showMain();
    MainWindow *w = CUiManager::instance()->mainWindow();
    QVERIFY(!w->setBoosKey("Ctrl+Shift+K"));
    QVERIFY(!w->bossKey()->isRegistered());
    // The refused combination left nothing behind: the old key is free again too.
    QxtGlobalShortcut probe;
    QVERIFY(probe.setShortcut(QKeySequence("Ctrl+Shift+N")));
    QVERIFY(probe.setShortcut(QKeySequence()) == false);

    XCloseDisplay(other);
    QVERIFY(w->setBoosKey("Ctrl+Shift+K"));
    QCOMPARE(w->bossKey()->shortcut(), QKeySequence("Ctrl+Shift+K"));

    // Two shortcuts of this process cannot share a combination either.
    QxtGlobalShortcut second;
    QVERIFY(!second.setShortcut(QKeySequence("Ctrl+Shift+K")));
}

void TestMainWindowXvfb::lockedWindowRefusesToCloseUntilUnlockKey()
{
    T_SessionData::instance().user.lockType = 1;
    const QString entry =
        Platform::autostartEntryPath(QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
    QFile::remove(entry);

    // A start while locked comes back full screen, on top, starting with the system.
    CUiManager::instance()->showMain();
    MainWindow *w = CUiManager::instance()->mainWindow();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QTRY_VERIFY(w->isFullScreen());
    QVERIFY(Platform::isTopmost(w));
    QVERIFY(QFile::exists(entry));
    QCOMPARE(w->shadowMargin(), 0);
    QTRY_VERIFY(w->tips()->isVisible());

    QVERIFY(!quits([] { CUiManager::instance()->requestClose(); }));
    QVERIFY(!w->close());
    QVERIFY(!quits([w] { w->quitFromTray(); }));
    QVERIFY(w->isVisible());

    QVERIFY(pressKeys("ctrl+shift+0"));
    QTRY_VERIFY(!w->isFullScreen());
    QVERIFY(!Platform::isTopmost(w));
    QVERIFY(!QFile::exists(entry));
    // Without a compositor the window is opaque and keeps no shadow margin.
    QCOMPARE(w->shadowMargin(), FramelessHelper::canBeTranslucent() ? 14 : 0);
    QCOMPARE(T_SessionData::instance().user.lockType, 1);

    QVERIFY(!w->close());
    QVERIFY(!quits([w] { w->quitFromTray(); }));
    QVERIFY(w->isVisible());

    // Once the lock has ended, the tray's quit action ends the program.
    T_SessionData::instance().user.lockType = 0;
    QVERIFY(quits([w] { w->quitFromTray(); }));
}

void TestMainWindowXvfb::closeWithoutTrayMinimises()
{
    // A plain X server has no system tray: closing "to the tray" must leave
    // a way back, so the window is minimised, not hidden.
    QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
    T_SessionData::instance().user.isTray = 1;
    CUiManager::instance()->showMain();
    MainWindow *w = CUiManager::instance()->mainWindow();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    auto *close = w->findChild<QPushButton *>(QStringLiteral("btn_close"));
    QVERIFY(close && close->isVisible());

    QVERIFY(!quits([close] { QTest::mouseClick(close, Qt::LeftButton); }));
    QTRY_VERIFY(w->isMinimized());
    QVERIFY(w->isVisible());
    XWindowAttributes attributes;
    QVERIFY(XGetWindowAttributes(QX11Info::display(), w->winId(), &attributes));
    QCOMPARE(attributes.map_state, IsViewable);

    // A close event from the task bar does the same.
    w->showNormal();
    QTRY_VERIFY(!w->isMinimized());
    QVERIFY(!w->close());
    QTRY_VERIFY(w->isMinimized());
    QVERIFY(w->isVisible());
}

void TestMainWindowXvfb::developerPanelKeyOpensOnePanel()
{
    CUiManager::instance()->showMain();
    MainWindow *w = CUiManager::instance()->mainWindow();
    QVERIFY(w);
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QVERIFY(w->devPanelKey()->isRegistered());
    QVERIFY(!w->devPanel());

    QVERIFY(pressKeys("ctrl+shift+9"));
    QTRY_VERIFY(w->devPanel() && w->devPanel()->isVisible());
    Dialog_DevPanel *panel = w->devPanel();
    QHash<QString, QString> facts;
    for (const auto &fact : panel->facts())
        facts.insert(fact.first, fact.second);
    QCOMPARE(facts.value(Dialog_DevPanel::tr("Author")), QStringLiteral("7"));
    QCOMPARE(facts.value(Dialog_DevPanel::tr("Queued changes")), QStringLiteral("0"));
    QCOMPARE(facts.value(Dialog_DevPanel::tr("Sync")), Dialog_DevPanel::tr("Idle"));

    panel->close();
    QVERIFY(pressKeys("ctrl+shift+9"));
    QTRY_VERIFY(panel->isVisible());
    QCOMPARE(w->devPanel(), panel); // the same panel again
}

void TestMainWindowXvfb::screenshots()
{
    const QString dir = qEnvironmentVariable("QUORVIN_SCREENSHOT_DIR");
    if (dir.isEmpty())
        QSKIP("QUORVIN_SCREENSHOT_DIR not set");
    QTranslator translator;
    QVERIFY(translator.load(":/res/client.qm"));
    QCoreApplication::installTranslator(&translator);
    const struct
    {
        int style;
        const char *file;
        const char *tip;
        int type;
    } shots[] = {
        {StyleLight, "screenshot-light.png", "章节已保存", 1},
        {StyleDark, "screenshot-dark.png", "已切换为夜间模式", 2},
    };
    for (const auto &shot : shots) {
        T_SessionData::instance().author.style = shot.style;
        CUiManager::instance()->showMain();
        MainWindow *w = CUiManager::instance()->mainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        CUiManager::instance()->showTips(QString::fromUtf8(shot.tip), shot.type);
        QTest::qWait(200);
        QVERIFY(w->grab().save(dir + "/" + shot.file));
        CUiManager::instance()->closeWindows();
    }
}

QUORVIN_TEST_MAIN(TestMainWindowXvfb)
#include "tst_mainwindow_xvfb.moc"
