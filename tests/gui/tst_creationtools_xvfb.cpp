// The status line, the tool panels and the remuneration rate on the real
// creation page, on a real X server, against the real store and the
// companion server: the speed window and idle time driven tick by tick
// with a controlled clock, the day statistics of each save reaching the
// store and the server, every panel row's command carried out by the
// editor, focus mode, the hot keys keeping the panel marks in step, the
// pop-out lists, and the rate dialog from the status line. With
// QUORVIN_SCREENSHOT_DIR set, the screens as the author sees them.
#include "db/cquorvindb.h"
#include "mainwindow.h"
#include "manager/cjobmanager.h"
#include "manager/cqssmanager.h"
#include "manager/cuimanager.h"
#include "manager/cuserjobmanager.h"
#include "remote/cquorvinhttp.h"
#include "signedinauthor.h"
#include "testappdir.h"
#include "testmain.h"
#include "testserver.h"
#include "ui/creation/creation_textedit.h"
#include "ui/creation/creationclock.h"
#include "ui/creation/creationcontrolitemmodel.h"
#include "ui/creation/dialog_remuneration.h"
#include "ui/creation/dialog_search.h"
#include "ui/creation/widget_creation.h"
#include "ui/creation/widget_creation_bottom.h"
#include "ui/creation/widget_creation_content.h"
#include "ui/creation/widget_creation_plane1.h"
#include "ui/creation/widget_creation_plane2.h"
#include "ui/creation/widget_creation_plane2_1.h"
#include "ui/creation/widget_creation_plane3.h"
#include "ui/creation/widget_creation_top.h"
#include "ui/fonts.h"

#include <QClipboard>
#include <QDate>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSqlQuery>
#include <QTimer>
#include <QTranslator>
#include <QX11Info>

namespace {

const QString kUniqueCode = QStringLiteral("c00d0000000000000000000000000018");
constexpr int kLetterKey = 30; // scan code of A: a counted key

void sendMouse(QListView *list, QEvent::Type type, int row)
{
    const QPoint pos = list->visualRect(list->model()->index(row, 0)).center();
    QMouseEvent event(type, pos, list->viewport()->mapToGlobal(pos), Qt::LeftButton,
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &event);
}

void clickRow(QListView *list, int row)
{
    sendMouse(list, QEvent::MouseButtonPress, row);
    sendMouse(list, QEvent::MouseButtonRelease, row);
}

// Closes the next modal window once it shows; `seen` tells whether one did.
// The watch ends with the returned timer, which the caller owns.
QTimer *dismissNextModal(bool *seen)
{
    *seen = false;
    auto *poll = new QTimer;
    poll->setInterval(50);
    QObject::connect(poll, &QTimer::timeout, [poll, seen] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        *seen = true;
        poll->stop();
        modal->close();
    });
    poll->start();
    return poll;
}

} // namespace

class TstCreationToolsXvfb : public QObject
{
    Q_OBJECT

private:
    SignedInAuthor m_author{QStringLiteral("13700000118"), kUniqueCode};
    int m_now = 1800000000;
    T_SessionData &m_session = T_SessionData::instance();
    T_Book *m_book = nullptr;
    Widget_Creation *m_page = nullptr;

    Widget_Creation_Content *content() const { return m_page->content(); }
    Creation_TextEdit *editor() const { return content()->editor(); }
    Widget_Creation_Bottom *bottom() const { return content()->statusLine(); }

    static QString sqlText(const QString &text)
    {
        QSqlQuery query(QSqlDatabase::database(QStringLiteral("check")));
        query.exec(text);
        return query.next() ? query.value(0).toString() : QStringLiteral("<none>");
    }

    void tick(int seconds = 1)
    {
        for (int i = 0; i < seconds; ++i) {
            ++m_now;
            content()->onCreationTimer();
        }
    }

    // A counted key-down and its character, as the author types it.
    void type(const QString &text)
    {
        for (const QChar c : text) {
            emit CUiManager::instance()->sig_GlobalKeyPress_Win(kLetterKey);
            editor()->insertPlainText(QString(c));
        }
    }

    bool focusEditor()
    {
        m_page->window()->activateWindow();
        editor()->setFocus();
        return QTest::qWaitFor([this] { return editor()->hasFocus() && editor()->isFocused(); }, 5000);
    }

    // A fresh writing session, as at the start of the program.
    void resetSession()
    {
        m_session.writingSession.speed = 0;
        m_session.writingSession.windowTicks = 0;
        m_session.writingSession.windowWords = 0;
        m_session.writingSession.started = false;
        m_session.writingSession.typing = false;
    }

    // A click through the X server, as the author's mouse gives it.
    static void realClick(QWidget *widget)
    {
        const QPoint at = widget->mapToGlobal(widget->rect().center());
        QProcess::execute("xdotool",
                          {"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"});
        QApplication::processEvents();
    }

    QListView *openPanel(int panel, CreationControlItemModel **model)
    {
        // As the author clicks: in the main window, once it has the keys
        // back from a panel closed before.
        if (!QTest::qWaitFor([this] { return QApplication::activeWindow() == m_page->window(); }, 5000))
            m_page->window()->activateWindow();
        switch (panel) {
        case T_ItemData::PanelTools:
            realClick(m_page->top()->setupButton());
            if (!m_page->toolsPanel() || !QTest::qWaitForWindowExposed(m_page->toolsPanel()))
                return nullptr;
            *model = m_page->toolsPanel()->model();
            return m_page->toolsPanel()->list();
        case T_ItemData::PanelFormat:
            realClick(content()->formatButton());
            if (!content()->formatPanel() || !QTest::qWaitForWindowExposed(content()->formatPanel()))
                return nullptr;
            *model = content()->formatPanel()->model();
            return content()->formatPanel()->list();
        default:
            realClick(content()->focusButton());
            if (!content()->focusPanel() || !QTest::qWaitForWindowExposed(content()->focusPanel()))
                return nullptr;
            *model = content()->focusPanel()->model();
            return content()->focusPanel()->list();
        }
    }

    void shoot(const QString &name)
    {
        const QString dir = qEnvironmentVariable("QUORVIN_SCREENSHOT_DIR");
        if (dir.isEmpty())
            return;
        QTest::qWait(250);
        const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
        const QRect around = m_page->window()->frameGeometry().adjusted(-16, -16, 16, 16);
        QVERIFY(screen.copy(around.intersected(screen.rect())).save(dir + "/" + name));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(QX11Info::isPlatformX11());
        m_session.author.style = StyleLight;
        m_session.user.isSound = 0;
        m_session.user.isFocusing = 0;
        m_session.user.fontFamily = QStringLiteral("Noto Sans CJK SC");
        QVERIFY(m_author.start());
        QVERIFY(CUserJobManager::instance()->startDay());
        CreationClock::setSource([this] { return m_now; });

        m_book = SignedInAuthor::onlineBook(QStringLiteral("夜航船"));
        QVERIFY(m_book);
        m_book->money = 3.5;

        m_page = SignedInAuthor::openCreation(m_book);
        QVERIFY(m_page);
        QTRY_COMPARE(content()->chapter(), m_book->chapterList.first());
        // The test drives the writing timer itself.
        content()->creationTimer()->stop();
        QVERIFY(bottom());
        QVERIFY(bottom()->isVisible());
        QTRY_VERIFY(!editor()->isReadOnly());
        QVERIFY(focusEditor());
    }

    void cleanupTestCase()
    {
        CreationClock::setSource({});
        m_author.finish();
    }

    // 50 words in the first 20 seconds give 9000 an hour, 30 in the next
    // (5400 + 9000) / 2 = 7200; the bar counts the first window down.
    void speedWindow()
    {
        resetSession();
        QVERIFY(focusEditor());
        type(QString(50, QChar(0x5B57)));
        QVERIFY(m_session.writingSession.started);
        for (int second = 1; second < 20; ++second) {
            tick();
            QCOMPARE(bottom()->speedLabel()->text(), QStringLiteral("计算速度中:%1秒").arg(20 - second));
        }
        tick();
        QCOMPARE(bottom()->speedLabel()->text(), QStringLiteral("输入速度: 9000字/时"));
        QCOMPARE(m_session.todayStatistics.writeSpeed, 9000);
        type(QString(30, QChar(0x6587)));
        tick(20);
        QCOMPARE(bottom()->speedLabel()->text(), QStringLiteral("输入速度: 7200字/时"));
        QCOMPARE(m_session.todayStatistics.writeSpeed, 9000);
        QCOMPARE(bottom()->wordCountLabel()->text(),
                 QStringLiteral("本章字数: %1").arg(m_book->chapterList.first()->wordCount));
    }

    // 101 words in a window are 18180 an hour: shown, but beyond what a
    // person types, so not the day's best.
    void implausibleSpeedIsNotTheDaysBest()
    {
        resetSession();
        const int best = m_session.todayStatistics.writeSpeed;
        type(QString(101, QChar(0x58A8)));
        tick(20);
        QCOMPARE(m_session.writingSession.speed, 18180);
        QCOMPARE(bottom()->speedLabel()->text(), QStringLiteral("输入速度: 18180字/时"));
        QCOMPARE(m_session.todayStatistics.writeSpeed, best);
    }

    // Typing lights the typing indicator; after the last key idle time runs
    // until it stops at 300 seconds.
    void idleTimeStopsGrowing()
    {
        type(QStringLiteral("夜"));
        tick();
        QVERIFY(m_session.writingSession.typing);
        QVERIFY(!bottom()->writeButton()->isChecked());
        QVERIFY(bottom()->freeButton()->isChecked());
        const int written = m_session.writingSession.writeSeconds;
        QCOMPARE(bottom()->writeTimeLabel()->text(),
                 QStringLiteral("输入时间 %1").arg(Widget_Creation_Bottom::durationText(written)));
        tick(3);
        QVERIFY(!m_session.writingSession.typing);
        QVERIFY(bottom()->writeButton()->isChecked());
        QVERIFY(!bottom()->freeButton()->isChecked());
        // Idle seconds count from the chapter's opening and stop at the cap.
        tick(400);
        QVERIFY2(m_session.writingSession.idleSeconds >= 300 && m_session.writingSession.idleSeconds <= 301,
                 qPrintable(QString::number(m_session.writingSession.idleSeconds)));
        const int capped = m_session.writingSession.freeSeconds;
        tick(100);
        QCOMPARE(m_session.writingSession.freeSeconds, capped);
        QCOMPARE(bottom()->freeTimeLabel()->text(),
                 QStringLiteral("偷闲时间 %1").arg(Widget_Creation_Bottom::durationText(capped)));
    }

    // Each save adds what was written since the last one to today's row
    // once; the day's job carries it to the server, which ends up with the
    // day's totals.
    void eachSaveStoresTheDayOnce()
    {
        QVERIFY(focusEditor());
        const QString today = QDate::currentDate().toString("yyyy-MM-dd");
        const QString row = QStringLiteral("select %1 from tb_statistics where uid = %2 and date = '%3'");
        QVERIFY(content()->saveChapter(true)); // settles what earlier tests wrote
        const int words = sqlText(row.arg("wordCount").arg(m_author.uid()).arg(today)).toInt();
        const int seconds = sqlText(row.arg("writeTime").arg(m_author.uid()).arg(today)).toInt();
        for (int i = 0; i < 4; ++i) {
            type(QStringLiteral("春眠不觉晓，"));
            tick();
        }
        QCOMPARE(m_session.todayStatistics.wordCount, 24);
        QCOMPARE(m_session.todayStatistics.writeTime, 4);
        QVERIFY(content()->saveChapter());
        QCOMPARE(m_session.todayStatistics.wordCount, 0);
        QCOMPARE(sqlText(row.arg("wordCount").arg(m_author.uid()).arg(today)).toInt(), words + 24);
        QCOMPARE(sqlText(row.arg("writeTime").arg(m_author.uid()).arg(today)).toInt(), seconds + 4);
        // Nothing new: nothing stored.
        QVERIFY(!content()->saveChapter());
        QCOMPARE(sqlText(row.arg("wordCount").arg(m_author.uid()).arg(today)).toInt(), words + 24);
        type(QStringLiteral("处处"));
        tick();
        QVERIFY(content()->saveChapter());
        QCOMPARE(sqlText(row.arg("wordCount").arg(m_author.uid()).arg(today)).toInt(), words + 26);
        QVERIFY(sqlText("select count(*) from tb_job where jobType = 33").toInt() <= 1);

        TestHttp http(m_author.server().baseUrl());
        http.setToken(m_author.token());
        const auto serverDay = [&http, &today] {
            const QJsonObject data = http.get("/authorcount/userData").object();
            const QJsonArray dates = data.value("timeData").toArray();
            const QJsonArray words = data.value("wordData").toArray();
            return !dates.isEmpty() && dates.last().toString() == today ? words.last().toInt() : -1;
        };
        QTRY_COMPARE_WITH_TIMEOUT(serverDay(), words + 26, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(sqlText("select count(*) from tb_job where jobType = 33").toInt(), 0,
                                  20000);
    }

    // Every row of every panel: the click reaches the editor, which carries
    // the command out.
    void everyRowReachesTheEditor_data()
    {
        QTest::addColumn<int>("panel");
        QTest::addColumn<int>("code");
        for (int code : {2, 3, 4, 5, 6, 7, 8, 9, 10})
            QTest::addRow("tools %d", code) << int(T_ItemData::PanelTools) << code;
        for (int code : {22, 23, 24, 13, 14, 15, 16, 17, 18, 29, 30})
            QTest::addRow("format %d", code) << int(T_ItemData::PanelFormat) << code;
        for (int code : {27, 28, 26})
            QTest::addRow("focus %d", code) << int(T_ItemData::PanelFocus) << code;
    }
    void everyRowReachesTheEditor()
    {
        QFETCH(int, panel);
        QFETCH(int, code);
        QVERIFY(focusEditor());
        T_User &user = m_session.user;
        const T_User before = user;
        const int style = m_session.author.style;
        editor()->setPlainText(QStringLiteral("第一段\n\n第二段"));
        QClipboard *clipboard = QApplication::clipboard();
        clipboard->setText(QStringLiteral("剪贴板"));
        if (code == 14 || code == 15)
            editor()->selectAll();
        if (code == 4 || code == 6 || code == 8 || code == 10 || code == 17)
            editor()->clearFocus();
        bool modalSeen = false;
        QScopedPointer<QTimer> watch;
        if (code == 2 || code == 3)
            watch.reset(dismissNextModal(&modalSeen));

        CreationControlItemModel *model = nullptr;
        QListView *list = openPanel(panel, &model);
        QVERIFY(list);
        if (code == 29 || code == 30) {
            Widget_Creation_Plane2 *format = content()->formatPanel();
            sendMouse(list, QEvent::MouseMove, model->findRowByCode(code == 29 ? 20 : 21));
            Widget_Creation_Plane2_1 *popout = format->popout();
            QVERIFY(popout && popout->isVisible());
            QVERIFY(QTest::qWaitForWindowExposed(popout));
            CreationControlItemModel *values = popout->model();
            int row = 0;
            if (code == 29) {
                row = values->findRowByCode(29) + 5; // 22号
            } else {
                const QStringList families = CreationControlItemModel::chineseFontFamilies();
                row = families.indexOf(families.last());
            }
            list = popout->list();
            model = values;
            clickRow(list, row);
        } else {
            clickRow(list, model->findRowByCode(code));
        }

        const QString text = editor()->toPlainText();
        switch (code) {
        case 2:
        case 3:
            QTRY_VERIFY(modalSeen);
            break;
        case 4:
        case 6:
        case 8:
        case 10:
            QTRY_VERIFY(editor()->hasFocus());
            break;
        case 17:
            // Find and replace opens over the page; closing it gives the
            // keys back to the editor's window.
            QTRY_VERIFY(content()->searchDialog()->isVisible());
            content()->searchDialog()->reject();
            QVERIFY(!content()->searchDialog()->isVisible());
            break;
        case 5:
            QCOMPARE(text, QStringLiteral("第一段\n第二段"));
            break;
        case 7:
            QCOMPARE(m_session.author.style, style == StyleLight ? int(StyleDark) : int(StyleLight));
            CUiManager::instance()->toggleTheme();
            break;
        case 9:
            QCOMPARE(user.isSound, before.isSound ? 0 : 1);
            user.isSound = 0;
            break;
        case 13:
            QVERIFY(text.contains(QStringLiteral("--------------------------------------")));
            break;
        case 14:
            QCOMPARE(clipboard->text(), QStringLiteral("第一段\n\n第二段"));
            QVERIFY(text.isEmpty());
            break;
        case 15:
            QCOMPARE(clipboard->text(), QStringLiteral("第一段\n\n第二段"));
            QCOMPARE(text, QStringLiteral("第一段\n\n第二段"));
            break;
        case 16:
            QVERIFY(text.contains(QStringLiteral("剪贴板")));
            break;
        case 18:
            QCOMPARE(user.isCenter, before.isCenter ? 0 : 1);
            break;
        case 22:
            QCOMPARE(user.isBlod, before.isBlod ? 0 : 1);
            break;
        case 23:
            QCOMPARE(user.isItalics, before.isItalics ? 0 : 1);
            break;
        case 24:
            QCOMPARE(user.isUnderLine, before.isUnderLine ? 0 : 1);
            break;
        case 26:
            QCOMPARE(user.isFocusing, 0);
            break;
        case 27:
            QCOMPARE(user.isFocusing, 1);
            QCOMPARE(user.isFocusLine, 1);
            break;
        case 28:
            QCOMPARE(user.isFocusing, 1);
            QCOMPARE(user.isFocusLine, 0);
            break;
        case 29:
            QCOMPARE(user.fontSize, 22);
            QCOMPARE(content()->formatPanel()->model()->itemByCode(20)->label, QStringLiteral("22号"));
            break;
        case 30:
            QCOMPARE(user.fontFamily, CreationControlItemModel::chineseFontFamilies().last());
            break;
        default:
            QFAIL("no check for this code");
        }
        for (QWidget *panelWindow : QApplication::topLevelWidgets()) {
            if (qobject_cast<Widget_Creation_Plane1 *>(panelWindow) ||
                qobject_cast<Widget_Creation_Plane2 *>(panelWindow) ||
                qobject_cast<Widget_Creation_Plane2_1 *>(panelWindow) ||
                qobject_cast<Widget_Creation_Plane3 *>(panelWindow))
                panelWindow->hide();
        }
    }

    // In focus mode the centred-column row is disabled and Ctrl+F6 does
    // nothing; hot keys keep the format panel's marks in step.
    void focusModeAndHotKeys()
    {
        QVERIFY(focusEditor());
        T_User &user = m_session.user;
        CreationControlItemModel *focusModel = nullptr;
        QListView *focusList = openPanel(T_ItemData::PanelFocus, &focusModel);
        QVERIFY(focusList);
        clickRow(focusList, focusModel->findRowByCode(27));
        QCOMPARE(user.isFocusing, 1);

        CreationControlItemModel *format = nullptr;
        QListView *formatList = openPanel(T_ItemData::PanelFormat, &format);
        QVERIFY(formatList);
        QVERIFY(!format->itemByCode(18)->enabled);
        const int centre = user.isCenter;
        clickRow(formatList, format->findRowByCode(18));
        QCOMPARE(user.isCenter, centre);
        QKeyEvent ctrlF6(QEvent::KeyPress, Qt::Key_F6, Qt::ControlModifier);
        emit CUiManager::instance()->sig_Creation_HotKey_Press(&ctrlF6);
        QCOMPARE(user.isCenter, centre);

        focusList = openPanel(T_ItemData::PanelFocus, &focusModel);
        clickRow(focusList, focusModel->findRowByCode(26));
        QCOMPARE(user.isFocusing, 0);
        QVERIFY(format->itemByCode(18)->enabled);
        emit CUiManager::instance()->sig_Creation_HotKey_Press(&ctrlF6);
        QCOMPARE(user.isCenter, centre ? 0 : 1);
        QCOMPARE(format->itemByCode(18)->state, user.isCenter ? 1 : 2);
        const bool bold = format->itemByCode(22)->checked;
        QKeyEvent ctrlF1(QEvent::KeyPress, Qt::Key_F1, Qt::ControlModifier);
        emit CUiManager::instance()->sig_Creation_HotKey_Press(&ctrlF1);
        QCOMPARE(format->itemByCode(22)->checked, !bold);
        QCOMPARE(bool(user.isBlod), !bold);
        content()->formatPanel()->hide();
    }

    // The status line's button opens the rate dialog for the open book; the
    // next tick shows the new earnings. Without a book nothing opens.
    void remunerationFromTheStatusLine()
    {
        QVERIFY(focusEditor());
        bool seen = false;
        QTimer poll;
        poll.setInterval(50);
        connect(&poll, &QTimer::timeout, [&seen, &poll] {
            auto *dialog = qobject_cast<Dialog_Remuneration *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            poll.stop();
            seen = true;
            QCOMPARE(dialog->lineEdit()->text(), QStringLiteral("3.50"));
            dialog->lineEdit()->selectAll();
            QTest::keyClicks(dialog->lineEdit(), "4");
            QTest::mouseClick(dialog->confirmButton(), Qt::LeftButton);
        });
        poll.start();
        QTest::mouseClick(bottom()->setMoneyButton(), Qt::LeftButton);
        QVERIFY(seen);
        QCOMPARE(m_book->money, 4.0);
        QCOMPARE(m_session.money, 4.0);
        QCOMPARE(sqlText(QStringLiteral("select money from tb_book where localId = %1").arg(m_book->localId)),
                 QStringLiteral("4"));
        tick();
        QCOMPARE(bottom()->moneyLabel()->text(),
                 QStringLiteral("本章稿费: %1元")
                     .arg(Widget_Creation_Bottom::moneyText(m_session.writingSession.currentWordCount, 4.0)));

        Widget_Creation_Content empty;
        bool opened = false;
        QScopedPointer<QTimer> watch(dismissNextModal(&opened));
        empty.on_OpenSetMoneyDlg();
        QTest::qWait(200);
        QVERIFY(!opened);
    }

    void screenshots()
    {
        if (qEnvironmentVariable("QUORVIN_SCREENSHOT_DIR").isEmpty())
            QSKIP("QUORVIN_SCREENSHOT_DIR not set");
        QTranslator translator;
        QVERIFY(translator.load(":/res/client.qm"));
        QCoreApplication::installTranslator(&translator);
        for (int style : {int(StyleLight), int(StyleDark)}) {
            const QString theme = style == StyleDark ? "dark" : "light";
            if (m_session.author.style != style)
                CUiManager::instance()->toggleTheme();
            content()->recolour();
            m_session.user.isFocusing = 0;
            m_session.user.isCenter = 1;
            m_session.user.isBlod = 0;
            m_session.user.isItalics = 0;
            m_session.user.isUnderLine = 0;
            m_session.user.fontSize = 18;
            m_session.user.fontFamily = QStringLiteral("Noto Sans CJK SC");
            content()->applyFormat();
            QVERIFY(focusEditor());
            editor()->setPlainText(QString());
            resetSession();
            type(QStringLiteral("雨停的时候，镇上的灯一盏一盏亮起来。她把信纸压在砚台下，推开窗，看见河面上漂"
                                "着去年的桂花。"));
            tick(20);
            type(QStringLiteral("远处有人在唱歌。"));
            tick();
            shoot(QStringLiteral("creation-status-%1.png").arg(theme));

            CreationControlItemModel *model = nullptr;
            openPanel(T_ItemData::PanelTools, &model);
            shoot(QStringLiteral("creation-tools-%1.png").arg(theme));
            m_page->toolsPanel()->close();

            QListView *list = openPanel(T_ItemData::PanelFormat, &model);
            sendMouse(list, QEvent::MouseMove, model->findRowByCode(20));
            shoot(QStringLiteral("creation-format-%1.png").arg(theme));
            sendMouse(list, QEvent::MouseMove, model->findRowByCode(21));
            shoot(QStringLiteral("creation-fonts-%1.png").arg(theme));
            content()->formatPanel()->hide();

            openPanel(T_ItemData::PanelFocus, &model);
            shoot(QStringLiteral("creation-focus-%1.png").arg(theme));
            content()->focusPanel()->close();

            Dialog_Remuneration dialog(m_page->window());
            dialog.setRate(m_book->money);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            shoot(QStringLiteral("creation-remuneration-%1.png").arg(theme));
            dialog.close();
        }
        QCoreApplication::removeTranslator(&translator);
    }
};

QUORVIN_TEST_MAIN(TstCreationToolsXvfb)
#include "tst_creationtools_xvfb.moc"
