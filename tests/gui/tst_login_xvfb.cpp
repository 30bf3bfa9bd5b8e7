// The way in, driven like a user on a real X display against the companion
// server: a new author registers with the development SMS code and signs
// in; wrong passwords and the input rules; the WeChat page in development
// mode, for an existing account and for a new one that binds a phone; and
// (with QUORVIN_SCREENSHOT_DIR) the screenshots of the sign-in screens.
#include "db/cquorvindb.h"
#include "mainwindow.h"
#include "manager/cjobmanager.h"
#include "manager/cqssmanager.h"
#include "manager/cuimanager.h"
#include "remote/chttputil.h"
#include "remote/cquorvinhttp.h"
#include "testappdir.h"
#include "testmain.h"
#include "testserver.h"
#include "ui/bookshelf/widget_banner.h"
#include "ui/bookshelf/widget_bindwechat.h"
#include "ui/login/ctimerbutton.h"
#include "ui/login/dialog_loginmain.h"
#include "ui/login/widget_forgetpwd.h"
#include "ui/login/widget_login.h"
#include "ui/login/widget_register.h"
#include "ui/login/widget_wechatlogin.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStackedWidget>
#include <QTranslator>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

const QString kPhone = QStringLiteral("13600000001");
const QString kPassword = QStringLiteral("walk-pass1");

template <typename T> T *child(QWidget *parent, const char *name)
{
    T *found = parent->findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qWarning() << "no child" << name;
    return found;
}

void click(QWidget *widget)
{
    QTest::mouseClick(widget, Qt::LeftButton);
}

void type(QLineEdit *edit, const QString &text)
{
    click(edit);
    QTest::keyClicks(edit, text);
}

// Runs a script in the page and waits for its answer.
QVariant runScript(QWebEngineView *view, const QString &script)
{
    QVariant result;
    bool done = false;
    view->page()->runJavaScript(script, [&](const QVariant &v) {
        result = v;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 20000))
        qWarning() << "script gave no answer:" << script;
    return result;
}

} // namespace

// Opens links in a list instead of a browser.
class LinkCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

class TstLoginXvfb : public QObject
{
    Q_OBJECT

private:
    TestServer m_server;
    QScopedPointer<TestAppDir> m_app;
    T_SessionData &m_session = T_SessionData::instance();
    LinkCatcher m_links;

    // A fresh machine: application folder whose settings name the server,
    // no author, and the start-up path of the coordinator.
    Dialog_LoginMain *startFresh()
    {
        CUiManager::instance()->closeWindows();
        m_app.reset();
        m_app.reset(new TestAppDir);
        m_app->writeSettings(QStringLiteral("[server]\nbaseUrl=%1\n").arg(m_server.baseUrl()).toUtf8());
        m_session.author = TS_Author_Info();
        m_session.user = T_User();
        CQuorvinHttp::instance()->clearIdentity();
        CQuorvinHttp::instance()->setBaseUrl(m_server.baseUrl());
        if (!CJobManager::instance()->init())
            return nullptr;
        auto *dialog = qobject_cast<Dialog_LoginMain *>(CUiManager::instance()->loginDialog());
        if (dialog && !QTest::qWaitForWindowExposed(dialog))
            return nullptr;
        return dialog;
    }

    MainWindow *mainWindow() const { return CUiManager::instance()->mainWindow(); }

    QString smsCodeFor(const QString &phone)
    {
        const QRegularExpression re(QStringLiteral("SMS code for %1: ([0-9]{6})").arg(phone));
        QString code;
        const bool sent = QTest::qWaitFor(
            [&] {
                const auto matches = re.globalMatch(m_server.output());
                QString last;
                for (auto it = matches; it.hasNext();)
                    last = it.next().captured(1);
                code = last;
                return !code.isEmpty();
            },
            10000);
        if (!sent)
            qWarning() << "no SMS code for" << phone;
        return code;
    }

    void saveScreen(QWidget *window, const QString &file)
    {
        QTest::qWait(600);
        const QRect frame = window->frameGeometry();
        const QPixmap shot =
            QApplication::primaryScreen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
        QVERIFY(shot.save(file));
    }

private slots:
    void initTestCase()
    {
        CQssManager::instance()->setQssStyle(StyleLight, ":/res/qss/light.qss");
        CQssManager::instance()->setQssStyle(StyleDark, ":/res/qss/dark.qss");
        CQssManager::instance()->setStyle(StyleLight);
        QDesktopServices::setUrlHandler("http", &m_links, "open");
        QVERIFY(m_server.start());
    }

    void cleanupTestCase()
    {
        QDesktopServices::unsetUrlHandler("http");
        CUiManager::instance()->closeWindows();
        m_app.reset();
    }

    void newAuthorRegistersAndSignsIn()
    {
        Dialog_LoginMain *dialog = startFresh();
        QVERIFY(dialog);
        QTRY_COMPARE(dialog->banner()->count(), 3); // the server's banners, cached as files
        click(child<QPushButton>(dialog->loginPage(), "btnGotoRegister"));
        Widget_Register *page = dialog->registerPage();
        QCOMPARE(dialog->stack()->currentWidget(), page);

        click(child<QPushButton>(page, "btnAgreement"));
        QCOMPARE(m_links.urls.value(0), QUrl(m_server.baseUrl() + "/agreement.html"));

        type(child<QLineEdit>(page, "lineEditAccount"), kPhone);
        auto *getCode = child<CTimerButton>(page, "btnGetCode");
        QVERIFY(getCode->isEnabled());
        click(getCode);
        QVERIFY(getCode->isRunning());
        QVERIFY(!getCode->isEnabled());
        const QString code = smsCodeFor(kPhone);
        QCOMPARE(code.size(), 6);
        type(child<QLineEdit>(page, "lineEditCode"), code);
        type(child<QLineEdit>(page, "lineEditPwd"), kPassword);
        type(child<QLineEdit>(page, "lineEditPwdV"), kPassword);
        auto *submit = child<QPushButton>(page, "btnRegister");
        QVERIFY(submit->isEnabled());
        click(submit);
        QVERIFY(child<QLabel>(page, "labelError")->text().isEmpty());

        // A second later the login page shows, filled in.
        QCOMPARE(dialog->stack()->currentWidget(), page);
        QTRY_COMPARE_WITH_TIMEOUT(dialog->stack()->currentWidget(), dialog->loginPage(), 5000);
        Widget_Login *login = dialog->loginPage();
        QCOMPARE(child<QLineEdit>(login, "lineEditAccount")->text(), kPhone);
        QCOMPARE(child<QLineEdit>(login, "lineEditPwd")->text(), kPassword);
        QVERIFY(child<QCheckBox>(login, "checkBoxAuto")->isChecked());

        QTest::keyClick(child<QLineEdit>(login, "lineEditPwd"), Qt::Key_Return);
        QTRY_VERIFY(mainWindow() && mainWindow()->isVisible());
        QVERIFY(m_session.author.uid > 0);
        QVERIFY(!m_session.author.authorName.isEmpty());
        bool nameShown = false;
        for (QLabel *label : mainWindow()->findChildren<QLabel *>())
            nameShown = nameShown || (label->isVisible() && label->text() == m_session.author.authorName);
        QVERIFY(nameShown);
    }

    void wrongPasswordAndInputRules()
    {
        Dialog_LoginMain *dialog = startFresh();
        QVERIFY(dialog);
        Widget_Login *login = dialog->loginPage();
        auto *account = child<QLineEdit>(login, "lineEditAccount");
        auto *password = child<QLineEdit>(login, "lineEditPwd");
        auto *submit = child<QPushButton>(login, "btnLogin");
        auto *error = child<QLabel>(login, "labelError");

        type(account, "13a6b00000001");
        QCOMPARE(account->text(), kPhone); // letters refused
        QTest::keyClicks(account, "9");
        QCOMPARE(account->text(), kPhone); // a twelfth digit refused

        type(password, "1234567");
        QVERIFY(!submit->isEnabled());
        QTest::keyClick(password, Qt::Key_Return);
        QTest::qWait(300);
        QVERIFY(error->text().isEmpty());
        QVERIFY(!mainWindow());

        QTest::keyClicks(password, "8");
        QVERIFY(submit->isEnabled());
        QTest::keyClick(password, Qt::Key_Return);
        TestHttp h(m_server.baseUrl());
        const QString expected =
            h.post("/author/login", {{"phone", kPhone}, {"password", HttpUtil::passwordDigest("12345678")}})
                .msg();
        QVERIFY(!expected.isEmpty());
        QTRY_COMPARE(error->text(), expected);
        QCOMPARE(account->text(), kPhone);
        QCOMPARE(password->text(), QStringLiteral("12345678"));
        QVERIFY(!mainWindow());

        // Registration: the code button wants exactly 11 digits and no countdown.
        click(child<QPushButton>(login, "btnGotoRegister"));
        Widget_Register *page = dialog->registerPage();
        auto *phone = child<QLineEdit>(page, "lineEditAccount");
        auto *getCode = child<CTimerButton>(page, "btnGetCode");
        type(phone, "1360000000");
        QVERIFY(!getCode->isEnabled());
        QTest::keyClicks(phone, "9");
        QVERIFY(getCode->isEnabled());
        click(getCode);
        QVERIFY(!getCode->isEnabled());
        QCOMPARE(getCode->text(), CTimerButton::tr("%1s after").arg(60));
        for (int i = 0; i < 60; ++i)
            getCode->onTick();
        QCOMPARE(getCode->text(), CTimerButton::tr("%1s after").arg(0));
        QVERIFY(!getCode->isEnabled());
        getCode->onTick();
        QVERIFY(getCode->isEnabled());
        QCOMPARE(getCode->text(), CTimerButton::tr("Send Code"));

        // Two different new passwords never reach the server (it would
        // answer about the wrong code instead).
        type(child<QLineEdit>(page, "lineEditCode"), "000000");
        type(child<QLineEdit>(page, "lineEditPwd"), "first-pass");
        type(child<QLineEdit>(page, "lineEditPwdV"), "other-pass");
        click(child<QPushButton>(page, "btnRegister"));
        QCOMPARE(child<QLabel>(page, "labelError")->text(),
                 Widget_CodeForm::tr("The two passwords do not match"));
    }

    void weChatSignsInAnExistingAccount()
    {
        Dialog_LoginMain *dialog = startFresh();
        QVERIFY(dialog);
        click(child<QPushButton>(dialog->loginPage(), "btnWechat"));
        Widget_WeChatLogin *view = dialog->wechatView();
        QVERIFY(view && view->isVisible());
        QVERIFY(view->isPolling());
        const QString firstNonce = view->nonce();
        QCOMPARE(firstNonce.size(), 32);

        // Hiding stops polling; showing again asks with a new nonce.
        click(child<QPushButton>(view, "btnGotoLogin"));
        QVERIFY(!view->isPolling());
        click(child<QPushButton>(dialog->loginPage(), "btnWechat"));
        QVERIFY(view->isPolling());
        QVERIFY(view->nonce() != firstNonce);

        QTRY_VERIFY_WITH_TIMEOUT(
            runScript(view->view(), "document.getElementById('phone') !== null").toBool(), 20000);
        QVERIFY(!runScript(view->view(), "document.body.innerHTML.indexOf('" + kPhone + "') >= 0").toBool());
        runScript(view->view(), QStringLiteral("document.getElementById('phone').value='%1';"
                                               "document.getElementById('getcode').click();")
                                    .arg(kPhone));
        const QString code = smsCodeFor(kPhone);
        runScript(view->view(), QStringLiteral("document.getElementById('code').value='%1';"
                                               "document.getElementById('ok').click();")
                                    .arg(code));
        QTRY_VERIFY_WITH_TIMEOUT(mainWindow() && mainWindow()->isVisible(), 20000);
        TestHttp h(m_server.baseUrl());
        h.setToken(m_session.author.token);
        QCOMPARE(h.get("/author/info").code(), 200);
        QCOMPARE(CUiManager::instance()->loginDialog(), nullptr);
    }

    void newWeChatAccountBindsAPhone()
    {
        Dialog_LoginMain *dialog = startFresh();
        QVERIFY(dialog);
        click(child<QPushButton>(dialog->loginPage(), "btnWechat"));
        Widget_WeChatLogin *view = dialog->wechatView();
        QTRY_VERIFY_WITH_TIMEOUT(
            runScript(view->view(), "document.getElementById('fresh') !== null").toBool(), 20000);
        runScript(view->view(), "document.getElementById('fresh').click();");
        QTRY_VERIFY_WITH_TIMEOUT(dialog->bindView() && dialog->bindView()->isVisible(), 20000);
        QVERIFY(!mainWindow());
        QVERIFY(!child<QPushButton>(dialog, "btn_close_popup")->isVisible());

        Widget_BindWechat *bind = dialog->bindView();
        auto *getCode = child<CTimerButton>(bind, "btnGetCode");
        type(child<QLineEdit>(bind, "lineEditAccount"), "1360000000");
        QVERIFY(!getCode->isEnabled());
        QTest::keyClicks(child<QLineEdit>(bind, "lineEditAccount"), "9");
        click(getCode);
        type(child<QLineEdit>(bind, "lineEditCode"), smsCodeFor("13600000009"));
        click(child<QPushButton>(bind, "btnBind"));
        QTRY_VERIFY_WITH_TIMEOUT(mainWindow() && mainWindow()->isVisible(), 20000);
        QVERIFY(m_session.author.uid > 0);
    }

    void placeholdersAreMuted_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<QColor>("muted");
        QTest::addColumn<QColor>("typed");
        QTest::newRow("light") << int(StyleLight) << QColor("#9E9E9E") << QColor("#333333");
        QTest::newRow("dark") << int(StyleDark) << QColor("#616161") << QColor("#E6E8EC");
    }

    // A hint must not read like typed text: empty fields paint their
    // placeholder in the muted colour, and typing brings the text colour back.
    void placeholdersAreMuted()
    {
        QFETCH(int, style);
        QFETCH(QColor, muted);
        QFETCH(QColor, typed);
        CQssManager::instance()->setStyle(style);
        Dialog_LoginMain *dialog = startFresh();
        QVERIFY(dialog);
        auto *password = child<QLineEdit>(dialog->loginPage(), "lineEditPwd");
        QVERIFY(password->text().isEmpty());
        QCOMPARE(password->palette().color(QPalette::PlaceholderText), muted);
        type(password, QStringLiteral("a"));
        QCOMPARE(password->palette().color(QPalette::Text), typed);
        QTest::keyClick(password, Qt::Key_Backspace);
        QCOMPARE(password->palette().color(QPalette::PlaceholderText), muted);
        CQssManager::instance()->setStyle(StyleLight);
    }

    void screenshots()
    {
        const QString dir = qEnvironmentVariable("QUORVIN_SCREENSHOT_DIR");
        if (dir.isEmpty())
            QSKIP("QUORVIN_SCREENSHOT_DIR not set");
        QTranslator translator;
        QVERIFY(translator.load(":/res/client.qm"));
        QCoreApplication::installTranslator(&translator);
        for (const int style : {StyleLight, StyleDark}) {
            const QString theme = style == StyleLight ? "light" : "dark";
            CQssManager::instance()->setStyle(style);
            Dialog_LoginMain *dialog = startFresh();
            QVERIFY(dialog);
            CQssManager::instance()->setStyle(style);
            QTRY_COMPARE(dialog->banner()->count(), 3);
            type(child<QLineEdit>(dialog->loginPage(), "lineEditAccount"), kPhone);
            saveScreen(dialog, dir + "/login-" + theme + ".png");
            click(child<QPushButton>(dialog->loginPage(), "btnGotoRegister"));
            saveScreen(dialog, dir + "/register-" + theme + ".png");
            dialog->onDealToggle(3);
            QTRY_VERIFY_WITH_TIMEOUT(
                runScript(dialog->wechatView()->view(), "document.getElementById('phone') !== null").toBool(),
                20000);
            saveScreen(dialog, dir + "/wechat-" + theme + ".png");
        }
        QCoreApplication::removeTranslator(&translator);
        CQssManager::instance()->setStyle(StyleLight);
    }
};

QUORVIN_TEST_MAIN(TstLoginXvfb)
#include "tst_login_xvfb.moc"
