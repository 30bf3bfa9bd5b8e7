// The status line and the tool panels on a real X server without a
// compositing manager: every panel draws an opaque frame in the theme's
// colours (never the black of a missing compositor), in both themes.
#include "db/cquorvindb.h"
#include "db/records.h"
#include "mainwindow.h"
#include "manager/cqssmanager.h"
#include "manager/cuimanager.h"
#include "testappdir.h"
#include "testmain.h"
#include "ui/creation/creationcontrolitemmodel.h"
#include "ui/creation/dialog_remuneration.h"
#include "ui/creation/widget_creation.h"
#include "ui/creation/widget_creation_bottom.h"
#include "ui/creation/widget_creation_plane1.h"
#include "ui/creation/widget_creation_plane2.h"
#include "ui/creation/widget_creation_plane2_1.h"
#include "ui/creation/widget_creation_plane3.h"
#include "ui/fonts.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTranslator>
#include <QVBoxLayout>
#include <QX11Info>

namespace {

void hoverRow(QListView *list, int row)
{
    const QPoint pos = list->visualRect(list->model()->index(row, 0)).center();
    QMouseEvent move(QEvent::MouseMove, pos, list->viewport()->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &move);
}

QImage screen()
{
    QApplication::processEvents();
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage();
}

} // namespace

class TstCreationLooksXvfb : public QObject
{
    Q_OBJECT

private:
    TestAppDir m_dir;
    QTranslator m_translator;
    T_Book m_book;

    // The panel's frame shows the theme's popup colour on the screen.
    static void verifyOpaque(const QImage &image, const QRect &frame, bool dark)
    {
        const QColor expected(dark ? "#2C3036" : "#FFFFFF");
        const QColor seen = image.pixelColor(frame.left() + frame.width() / 2, frame.top() + 3);
        QCOMPARE(seen.name(), expected.name());
    }

    // The creation page's status line.
    Widget_Creation_Bottom *statusLine()
    {
        return CUiManager::instance()->mainWindow()->findChild<Widget_Creation_Bottom *>();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(QX11Info::isPlatformX11());
        QVERIFY(!QX11Info::isCompositingManagerRunning());
        substituteFonts();
        QVERIFY(m_translator.load(":/res/client.qm"));
        QCoreApplication::installTranslator(&m_translator);
        QVERIFY(CQuorvinDb::instance()->init());
        CQssManager::instance()->setQssStyle(StyleLight, ":/res/qss/light.qss");
        CQssManager::instance()->setQssStyle(StyleDark, ":/res/qss/dark.qss");
        m_book.localId = 1;
        m_book.bookName = QStringLiteral("长夜书");
        m_book.money = 30;
    }

    void cleanup() { CUiManager::instance()->closeWindows(); }

    void looks_data()
    {
        QTest::addColumn<int>("style");
        QTest::newRow("light") << int(StyleLight);
        QTest::newRow("dark") << int(StyleDark);
    }
    void looks()
    {
        QFETCH(int, style);
        const bool dark = style == StyleDark;
        T_SessionData &session = T_SessionData::instance();
        session.author = TS_Author_Info();
        session.author.uid = 7;
        session.author.authorName = QStringLiteral("林间写字人");
        session.author.style = style;
        session.user = T_User();
        session.user.fontFamily = QStringLiteral("Noto Sans CJK SC");
        session.user.isFocusing = 0;
        session.money = m_book.money;
        session.writingSession = T_WritingSession();
        session.writingSession.currentWordCount = 3528;
        session.writingSession.speed = 2340;
        session.writingSession.writeSeconds = 4271;
        session.writingSession.freeSeconds = 612;

        CUiManager *ui = CUiManager::instance();
        ui->showMain();
        MainWindow *w = ui->mainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        CQssManager::instance()->setStyle(style);
        ui->showCreation(&m_book);
        Widget_Creation *page = ui->creation();
        QVERIFY(page);
        Widget_Creation_Bottom *bottom = statusLine();
        if (!bottom) {
            // Until the editor hosts it: the line at the foot of the page.
            bottom = new Widget_Creation_Bottom(page);
            page->layout()->addWidget(bottom);
        }
        bottom->show();
        bottom->updateStatus(true);
        QTest::qWait(300);
        QImage image = screen();
        QVERIFY(!bottom->writeButton()->isChecked());
        QCOMPARE(bottom->speedLabel()->text(), QStringLiteral("输入速度: 2340字/时"));

        Widget_Creation_Plane1 tools(page);
        QWidget *toolsButton = page->findChild<QPushButton *>("btn_creation_setup1");
        if (!toolsButton) // until the editor's top bar is there
            toolsButton = page->findChild<QWidget *>("Widget_Creation_TopBar");
        QVERIFY(toolsButton);
        tools.showBelow(toolsButton);
        QVERIFY(QTest::qWaitForWindowExposed(&tools));
        QTest::qWait(200);
        image = screen();
        verifyOpaque(image, tools.visibleGeometry(), dark);
        tools.close();

        Widget_Creation_Plane2 format(page);
        format.showFor(page);
        QVERIFY(QTest::qWaitForWindowExposed(&format));
        hoverRow(format.list(), format.model()->findRowByCode(20));
        QVERIFY(format.popout() && format.popout()->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(format.popout()));
        QTest::qWait(200);
        image = screen();
        verifyOpaque(image, format.visibleGeometry(), dark);
        verifyOpaque(image, format.popout()->visibleGeometry(), dark);
        hoverRow(format.list(), format.model()->findRowByCode(21));
        QTest::qWait(200);
        image = screen();
        verifyOpaque(image, format.popout()->visibleGeometry(), dark);
        format.hide();

        Widget_Creation_Plane3 focus(page);
        focus.showFor(page);
        QVERIFY(QTest::qWaitForWindowExposed(&focus));
        QTest::qWait(200);
        image = screen();
        verifyOpaque(image, focus.visibleGeometry(), dark);
        focus.close();

        Dialog_Remuneration money(w);
        money.setRate(m_book.money);
        money.show();
        QVERIFY(QTest::qWaitForWindowExposed(&money));
        money.lineEdit()->setText(QStringLiteral("0.001"));
        QTest::mouseClick(money.confirmButton(), Qt::LeftButton);
        QTest::qWait(200);
        image = screen();
        const QColor corner = image.pixelColor(money.mapToGlobal(QPoint(2, 2)));
        QVERIFY2(corner.lightness() > 20 || dark, qPrintable(corner.name()));
        QVERIFY(corner.name() != QStringLiteral("#000000"));
        money.close();
    }
};

QUORVIN_TEST_MAIN(TstCreationLooksXvfb)
#include "tst_creationlooks_xvfb.moc"
