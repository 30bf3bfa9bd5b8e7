// The profile dialog against the companion server, driven like a user on a
// real X display: an unchanged confirm sends nothing, a new nickname, sex
// and head image reach the server and come back on a second application
// folder; windows without a compositor are drawn opaque.
#include "../integration/dbprobe.h"
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
#include "ui/bookshelf/cztheadlabel.h"
#include "ui/bookshelf/dialog_changepwd.h"
#include "ui/bookshelf/dialog_userinfo.h"
#include "ui/bookshelf/widget_bookshelf.h"
#include "ui/framelesshelper.h"
#include "ui/ztmessagebox.h"

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QTranslator>

namespace {

const QString kPhone = QStringLiteral("13700000001");
const QString kPassword = QStringLiteral("profile-pass-1");

// Runs `step` once the next modal window of type T is up.
template <typename T> void whenModal(std::function<void(T *)> step)
{
    auto *poll = new QTimer;
    poll->setInterval(50);
    QObject::connect(poll, &QTimer::timeout, [poll, step] {
        auto *modal = qobject_cast<T *>(QApplication::activeModalWidget());
        if (!modal || !modal->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        step(modal);
    });
    poll->start();
}

// Types `text` into `widget` one key event per character, as a keyboard
// or an input method delivers it (QTest::keyClicks takes ASCII only).
void typeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

int jobCount()
{
    const QStringList rows = dbRows(QStringLiteral("select count(*) from tb_job"));
    return rows.isEmpty() ? -1 : rows.first().toInt();
}

// The colour the X server shows at a point of the screen.
QColor screenPixel(const QPoint &global)
{
    return QApplication::primaryScreen()
        ->grabWindow(0, global.x(), global.y(), 1, 1)
        .toImage()
        .pixelColor(0, 0);
}

} // namespace

class TstProfileXvfb : public QObject
{
    Q_OBJECT

private:
    TestServer m_server;
    QScopedPointer<TestAppDir> m_app;
    T_SessionData &m_session = T_SessionData::instance();

    // A fresh application folder with the author signed in through the
    // login call, as the login page makes it.
    bool signInOnNewFolder()
    {
        CUiManager::instance()->closeWindows();
        m_app.reset(); // the old folder gives the program's paths back first
        m_app.reset(new TestAppDir);
        if (!m_app->isValid() || !CQuorvinDb::instance()->init())
            return false;
        m_session.author = TS_Author_Info();
        m_session.user = T_User();
        CQuorvinHttp::instance()->clearIdentity();
        if (!CQuorvinHttp::instance()->setBaseUrl(m_server.baseUrl()))
            return false;
        TC_Author_Login req;
        req.phone = kPhone;
        req.password = HttpUtil::passwordDigest(kPassword);
        req.autoLogin = true;
        TS_Author_Login res;
        return CJobManager::instance()->authorLogin(req, res) == 200 && res.code == 200 &&
               QTest::qWaitForWindowExposed(CUiManager::instance()->mainWindow());
    }

    QJsonObject serverProfile()
    {
        TestHttp h(m_server.baseUrl());
        h.setToken(m_session.author.token);
        return h.get(QStringLiteral("/author/info")).object();
    }

private slots:
    void initTestCase()
    {
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        CQssManager::instance()->setQssStyle(StyleLight, ":/res/qss/light.qss");
        CQssManager::instance()->setQssStyle(StyleDark, ":/res/qss/dark.qss");
        QVERIFY(m_server.start());
        QString token;
        qint64 uid = 0;
        QVERIFY(m_server.signUp(kPhone, HttpUtil::passwordDigest(kPassword), token, uid));
    }

    void cleanupTestCase()
    {
        CUiManager::instance()->closeWindows();
        m_app.reset();
    }

    void unchangedConfirmSendsNothing()
    {
        QVERIFY(signInOnNewFolder());
        QCOMPARE(m_session.author.sex, QStringLiteral("O"));
        // Offline, anything sent would fail and leave a profile job behind.
        m_server.stop();
        Dialog_UserInfo dialog(CUiManager::instance()->mainWindow());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(!dialog.findChild<QRadioButton *>("radioButtonM")->isChecked());
        QVERIFY(!dialog.findChild<QRadioButton *>("radioButtonW")->isChecked());
        QTest::mouseClick(dialog.findChild<QPushButton *>("btnConfirm"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(jobCount(), 0);
        QVERIFY(m_server.restart());
    }

    void profileRoundTripsThroughTheServer()
    {
        QVERIFY(signInOnNewFolder());
        QTemporaryDir pictures;
        QImage picture(96, 96, QImage::Format_RGB32);
        picture.fill(QColor("#3470FF"));
        const QString pictureFile = pictures.path() + "/head.png";
        QVERIFY(picture.save(pictureFile));

        bool accepted = false;
        whenModal<Dialog_UserInfo>([&](Dialog_UserInfo *dialog) {
            whenModal<QFileDialog>([&](QFileDialog *files) {
                // Types the file's path into the name field and presses Return.
                auto *nameField = files->findChild<QLineEdit *>("fileNameEdit");
                QVERIFY(nameField);
                // (Set at once: typed, the completer's popup would take the Return.)
                nameField->setText(pictureFile);
                QTest::keyClick(nameField, Qt::Key_Return);
            });
            QTest::mouseClick(dialog->findChild<CZtHeadLabel *>("labelHeadImg"), Qt::LeftButton);
            auto *name = dialog->findChild<QLineEdit *>("lineEditName");
            name->selectAll();
            typeText(name, QString::fromUtf8("夜航船"));
            QTest::mouseClick(dialog->findChild<QRadioButton *>("radioButtonW"), Qt::LeftButton);
            QTest::mouseClick(dialog->findChild<QPushButton *>("btnConfirm"), Qt::LeftButton);
            accepted = dialog->result() == QDialog::Accepted;
        });
        CUiManager::instance()->showUserInfo();
        QVERIFY(accepted);
        // The bookshelf shows the new name at once.
        QTRY_COMPARE(CUiManager::instance()->bookshelf()->findChild<QLabel *>("labelName")->text(),
                     QString::fromUtf8("夜航船"));

        const QJsonObject profile = serverProfile();
        QCOMPARE(profile.value("author_name").toString(), QString::fromUtf8("夜航船"));
        QCOMPARE(profile.value("sex").toString(), QStringLiteral("F"));
        QVERIFY(!profile.value("headimg").toString().isEmpty());

        // A second machine: the author's first sign-in there brings them back.
        QVERIFY(signInOnNewFolder());
        QCOMPARE(m_session.author.authorName, QString::fromUtf8("夜航船"));
        QCOMPARE(m_session.author.sex, QStringLiteral("F"));
        const QImage cached(CJobManager::instance()->localHeadImg());
        QCOMPARE(cached.size(), picture.size());
        QCOMPARE(cached.pixelColor(10, 10), QColor("#3470FF"));
    }

    void passwordDialogChecks()
    {
        Dialog_ChangePwd dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto *confirm = dialog.findChild<QPushButton *>("btnConfirm");
        auto *oldPwd = dialog.findChild<QLineEdit *>("lineEdit_oldPwd");
        auto *newPwd = dialog.findChild<QLineEdit *>("lineEdit_newPwd");
        auto *verify = dialog.findChild<QLineEdit *>("lineEdit_verifyPwd");
        QCOMPARE(newPwd->echoMode(), QLineEdit::Password);
        QTest::keyClicks(oldPwd, "1234567");
        QTest::keyClicks(newPwd, "new-pass-1");
        QTest::keyClicks(verify, "new-pass-2");
        QVERIFY(!confirm->isEnabled()); // a 7-character old password
        QTest::keyClicks(oldPwd, "8");
        QVERIFY(confirm->isEnabled());
        QTest::mouseClick(confirm, Qt::LeftButton);
        QVERIFY(dialog.isVisible()); // mismatched: stays open
        verify->clear();
        QTest::keyClicks(verify, "new-pass-1");
        QTest::mouseClick(confirm, Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.oldPassword(), QStringLiteral("12345678"));
        QCOMPARE(dialog.newPassword(), QStringLiteral("new-pass-1"));
    }

    void screenshots()
    {
        const QString dir = qEnvironmentVariable("QUORVIN_SCREENSHOT_DIR");
        if (dir.isEmpty())
            QSKIP("QUORVIN_SCREENSHOT_DIR not set");
        QTranslator translator;
        QVERIFY(translator.load(":/res/client.qm"));
        QCoreApplication::installTranslator(&translator);
        QVERIFY(signInOnNewFolder());
        for (const int style : {StyleLight, StyleDark}) {
            m_session.author.style = style;
            CQssManager::instance()->setStyle(style);
            Dialog_UserInfo dialog;
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QTest::qWait(500);
            const QRect frame = dialog.frameGeometry();
            const QPixmap shot = QApplication::primaryScreen()->grabWindow(0, frame.x(), frame.y(),
                                                                           frame.width(), frame.height());
            QVERIFY(shot.save(dir + (style == StyleLight ? "/profile-light.png" : "/profile-dark.png")));
        }
        m_session.author.style = StyleLight;
        CQssManager::instance()->setStyle(StyleLight);
        QCoreApplication::removeTranslator(&translator);
    }

    // On a plain X server (no compositor) frameless windows are opaque:
    // what the screen shows inside their corners is their own background.
    void framesAreOpaqueWithoutCompositor()
    {
        if (FramelessHelper::canBeTranslucent())
            QSKIP("a compositing manager runs");
        QVERIFY(signInOnNewFolder());
        CQssManager::instance()->setStyle(StyleLight);
        Dialog_UserInfo profile;
        ZtMessageBox box(1, "title", "text");
        const QList<QWidget *> windows{CUiManager::instance()->mainWindow(), &profile, &box};
        for (QWidget *w : windows) {
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w));
            QVERIFY(!w->testAttribute(Qt::WA_TranslucentBackground));
            QTest::qWait(100);
            const QRect frame = w->frameGeometry();
            for (const QPoint &corner :
                 {frame.topLeft() + QPoint(1, 1), frame.bottomRight() - QPoint(1, 1)}) {
                const QColor c = screenPixel(corner);
                QVERIFY2(
                    c.lightness() > 200,
                    qPrintable(QString("%1 at a corner: %2").arg(w->metaObject()->className(), c.name())));
            }
        }
    }
};

QUORVIN_TEST_MAIN(TstProfileXvfb)
#include "tst_profile_xvfb.moc"
