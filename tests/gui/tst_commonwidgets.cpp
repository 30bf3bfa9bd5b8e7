// The common widgets on the offscreen platform: the frameless helper's
// edges, moving, resizing and cursors; the message box's buttons and
// results; the toast's colours, width and timing; the two tips and the
// auto-closing popup.
#include "testmain.h"
#include "ui/float_tips.h"
#include "ui/framelesshelper.h"
#include "ui/widget_autoclose.h"
#include "ui/widget_clienttips.h"
#include "ui/widget_tips.h"
#include "ui/ztmessagebox.h"

#include <QLabel>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QTimer>
#include <QTranslator>

class TestCommonWidgets : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void edges_data();
    void edges();
    void dragMovesWidget();
    void cornerDragClampsEachDimension_data();
    void cornerDragClampsEachDimension();
    void cursorsOnlyWhileNormal();

    void standardButtonsInValueOrder();
    void results_data();
    void results();
    void twoChoiceDefault();
    void iconTypes_data();
    void iconTypes();

    void toastColoursAndWidth_data();
    void toastColoursAndWidth();
    void secondToastRestartsWait();
    void tipsCentreAndHide();
    void autoCloseHidesOnOtherWindow();

private:
    // Runs `box` modally and lets `act` do something to it once it shows.
    static int runModal(const std::function<int()> &exec, const std::function<void(ZtMessageBox *)> &act);
    static void sendMouse(QWidget *w, QEvent::Type type, const QPoint &global, Qt::MouseButton button,
                          Qt::MouseButtons buttons);

    QTranslator m_translator;
};

void TestCommonWidgets::initTestCase()
{
    QVERIFY(m_translator.load(":/res/client.qm"));
    QCoreApplication::installTranslator(&m_translator);
}

void TestCommonWidgets::cleanupTestCase()
{
    QCoreApplication::removeTranslator(&m_translator);
}

void TestCommonWidgets::sendMouse(QWidget *w, QEvent::Type type, const QPoint &global, Qt::MouseButton button,
                                  Qt::MouseButtons buttons)
{
    QMouseEvent event(type, w->mapFromGlobal(global), global, button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

void TestCommonWidgets::edges_data()
{
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<QString>("expected"); // l r t b, corners follow from them

    // Frame: x 100..500, y 100..400.
    QTest::newRow("10 inside the left edge") << QPoint(110, 250) << "l";
    QTest::newRow("11 inside the left edge") << QPoint(111, 250) << "";
    QTest::newRow("on the left line") << QPoint(100, 250) << "l";
    QTest::newRow("on x + width") << QPoint(500, 250) << "r";
    QTest::newRow("10 inside the right edge") << QPoint(490, 250) << "r";
    QTest::newRow("11 inside the right edge") << QPoint(489, 250) << "";
    QTest::newRow("top") << QPoint(300, 105) << "t";
    QTest::newRow("bottom") << QPoint(300, 395) << "b";
    QTest::newRow("top-left") << QPoint(105, 105) << "lt";
    QTest::newRow("bottom-right") << QPoint(500, 400) << "rb";
    QTest::newRow("outside") << QPoint(99, 250) << "";
}

void TestCommonWidgets::edges()
{
    QFETCH(QPoint, point);
    QFETCH(QString, expected);
    const FramelessEdges e = FramelessEdges::at(point, QRect(100, 100, 400, 300));
    QCOMPARE(e.left, expected.contains('l'));
    QCOMPARE(e.right, expected.contains('r'));
    QCOMPARE(e.top, expected.contains('t'));
    QCOMPARE(e.bottom, expected.contains('b'));
    QCOMPARE(e.topLeft, e.top && e.left);
    QCOMPARE(e.bottomRight, e.bottom && e.right);
    QCOMPARE(e.topRight, e.top && e.right);
    QCOMPARE(e.bottomLeft, e.bottom && e.left);
    QCOMPARE(e.onEdges, !expected.isEmpty());
}

void TestCommonWidgets::dragMovesWidget()
{
    QWidget w;
    FramelessHelper helper;
    helper.activateOn(&w);
    QVERIFY(w.windowFlags() & Qt::FramelessWindowHint);
    w.setGeometry(100, 100, 400, 300);
    w.show();
    QVERIFY(!helper.rubberBand(&w));

    sendMouse(&w, QEvent::MouseButtonPress, QPoint(300, 250), Qt::LeftButton, Qt::LeftButton);
    sendMouse(&w, QEvent::MouseMove, QPoint(330, 290), Qt::NoButton, Qt::LeftButton);
    sendMouse(&w, QEvent::MouseButtonRelease, QPoint(330, 290), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(w.pos(), QPoint(130, 140));
    QCOMPARE(w.size(), QSize(400, 300));

    // Not movable: the same drag leaves it where it is.
    helper.setWidgetMovable(false);
    sendMouse(&w, QEvent::MouseButtonPress, QPoint(300, 250), Qt::LeftButton, Qt::LeftButton);
    sendMouse(&w, QEvent::MouseMove, QPoint(350, 250), Qt::NoButton, Qt::LeftButton);
    sendMouse(&w, QEvent::MouseButtonRelease, QPoint(350, 250), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(w.pos(), QPoint(130, 140));
}

void TestCommonWidgets::cornerDragClampsEachDimension_data()
{
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QRect>("expected");

    // Frame 100,100 400x300 (right 499, bottom 399), minimum 300x200.
    QTest::newRow("bottom-right: width clamped, height follows")
        << QPoint(498, 398) << QPoint(250, 450) << QRect(100, 100, 400, 351);
    QTest::newRow("bottom-right: height clamped, width follows")
        << QPoint(498, 398) << QPoint(549, 150) << QRect(100, 100, 450, 300);
    QTest::newRow("top-left: width clamped, height follows")
        << QPoint(102, 102) << QPoint(450, 50) << QRect(100, 50, 400, 350);
    QTest::newRow("right edge grows") << QPoint(495, 250) << QPoint(599, 260) << QRect(100, 100, 500, 300);
}

void TestCommonWidgets::cornerDragClampsEachDimension()
{
    QFETCH(QPoint, press);
    QFETCH(QPoint, to);
    QFETCH(QRect, expected);
    QWidget w;
    w.setMinimumSize(300, 200);
    FramelessHelper helper;
    helper.activateOn(&w);
    w.setGeometry(100, 100, 400, 300);
    w.show();

    sendMouse(&w, QEvent::MouseButtonPress, press, Qt::LeftButton, Qt::LeftButton);
    sendMouse(&w, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    sendMouse(&w, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(w.geometry(), expected);
}

void TestCommonWidgets::cursorsOnlyWhileNormal()
{
    QWidget w;
    w.setCursor(Qt::IBeamCursor);
    FramelessHelper helper;
    helper.activateOn(&w);
    w.setGeometry(100, 100, 400, 300);
    w.show();

    const struct
    {
        QPoint at;
        Qt::CursorShape shape;
    } cases[] = {
        {QPoint(102, 250), Qt::SizeHorCursor},   {QPoint(300, 398), Qt::SizeVerCursor},
        {QPoint(102, 102), Qt::SizeFDiagCursor}, {QPoint(498, 102), Qt::SizeBDiagCursor},
        {QPoint(300, 250), Qt::IBeamCursor},
    };
    for (const auto &c : cases) {
        sendMouse(&w, QEvent::MouseMove, c.at, Qt::NoButton, Qt::NoButton);
        QCOMPARE(w.cursor().shape(), c.shape);
    }

    sendMouse(&w, QEvent::MouseMove, QPoint(102, 250), Qt::NoButton, Qt::NoButton);
    QCOMPARE(w.cursor().shape(), Qt::SizeHorCursor);
    w.showMaximized();
    QTRY_VERIFY(w.isMaximized());
    const QPoint edge = w.mapToGlobal(QPoint(2, w.height() / 2));
    sendMouse(&w, QEvent::MouseMove, edge, Qt::NoButton, Qt::NoButton);
    QVERIFY(w.cursor().shape() != Qt::SizeHorCursor);
    const QPoint corner = w.mapToGlobal(QPoint(2, 2));
    sendMouse(&w, QEvent::MouseMove, corner, Qt::NoButton, Qt::NoButton);
    QVERIFY(w.cursor().shape() != Qt::SizeFDiagCursor);
}

int TestCommonWidgets::runModal(const std::function<int()> &exec,
                                const std::function<void(ZtMessageBox *)> &act)
{
    QTimer::singleShot(0, [act] {
        auto *box = qobject_cast<ZtMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        act(box);
    });
    return exec();
}

void TestCommonWidgets::standardButtonsInValueOrder()
{
    QStringList captions;
    QStringList names;
    const int result = runModal(
        [] {
            return ZtMessageBox::question(nullptr, "title", "text", ZtMessageBox::Cancel | ZtMessageBox::Ok,
                                          ZtMessageBox::Cancel);
        },
        [&](ZtMessageBox *box) {
            for (QPushButton *b : box->buttons()) {
                captions << b->text();
                names << b->objectName();
            }
            QVERIFY(box->buttons().at(1)->isDefault());
            QCOMPARE(box->buttons().at(0)->size(), QSize(92, 30));
            box->buttons().at(1)->click();
        });
    QCOMPARE(captions, QStringList({"确定", "取消"}));
    QCOMPARE(names, QStringList({"btnConfirm", "btnCancel"}));
    QCOMPARE(result, int(ZtMessageBox::Cancel));
}

void TestCommonWidgets::results_data()
{
    QTest::addColumn<bool>("standard");
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("expected");

    QTest::newRow("standard button") << true << "click0" << 0x400;
    QTest::newRow("standard second") << true << "click1" << 0x10000;
    QTest::newRow("text button index") << false << "click1" << 1;
    QTest::newRow("escape, standard") << true << "escape" << 512;
    QTest::newRow("escape, two-choice") << false << "escape" << 512;
    QTest::newRow("close button") << false << "close" << 512;
    QTest::newRow("reject") << true << "reject" << -1;
}

void TestCommonWidgets::results()
{
    QFETCH(bool, standard);
    QFETCH(QString, action);
    QFETCH(int, expected);
    auto exec = [standard] {
        if (standard)
            return ZtMessageBox::question(nullptr, "t", "x", ZtMessageBox::Ok | ZtMessageBox::No);
        return ZtMessageBox::question(nullptr, "t", "x", "删除", "保留", 0);
    };
    const int result = runModal(exec, [action](ZtMessageBox *box) {
        if (action == "click0")
            box->buttons().at(0)->click();
        else if (action == "click1")
            box->buttons().at(1)->click();
        else if (action == "escape")
            QTest::keyClick(box, Qt::Key_Escape);
        else if (action == "close")
            box->findChild<QPushButton *>("btn_close_popup")->click();
        else
            box->reject();
    });
    QCOMPARE(result, expected);
}

void TestCommonWidgets::twoChoiceDefault()
{
    runModal([] { return ZtMessageBox::question(nullptr, "t", "x", "否", "取消", 1); },
             [](ZtMessageBox *box) {
                 QVERIFY(!box->buttons().at(0)->isDefault());
                 QVERIFY(box->buttons().at(1)->isDefault());
                 // Captions that read as "No"/"Cancel" get the secondary look.
                 QCOMPARE(box->buttons().at(0)->objectName(), QString("btnCancel"));
                 box->reject();
             });
}

void TestCommonWidgets::iconTypes_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("hasIcon");
    for (int type : {1, 2, 3, 4})
        QTest::addRow("type %d", type) << type << true;
    QTest::newRow("type 0") << 0 << false;
    QTest::newRow("type 5") << 5 << false;
}

void TestCommonWidgets::iconTypes()
{
    QFETCH(int, type);
    QFETCH(bool, hasIcon);
    ZtMessageBox box(type, "t", "x");
    QCOMPARE(!box.iconLabel()->pixmap(Qt::ReturnByValue).isNull(), hasIcon);
}

void TestCommonWidgets::toastColoursAndWidth_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("colour");
    QTest::addColumn<bool>("infoIcon");
    QTest::addColumn<bool>("checked");

    QTest::newRow("error") << 0 << 1 << "#FDEAE8" << false << false;
    QTest::newRow("success") << 1 << 1 << "#CFF4DE" << false << true;
    QTest::newRow("info light") << 2 << 1 << "#D6E2FF" << true << true;
    QTest::newRow("info unchecked light") << 3 << 1 << "#D6E2FF" << true << false;
    QTest::newRow("info dark") << 2 << 2 << "#8FA3D4" << true << true;
    QTest::newRow("unknown type") << 9 << 1 << "#CFF4DE" << false << true;
}

void TestCommonWidgets::toastColoursAndWidth()
{
    QFETCH(int, type);
    QFETCH(int, style);
    QFETCH(QString, colour);
    QFETCH(bool, infoIcon);
    QFETCH(bool, checked);
    QCOMPARE(Widget_ClientTips::backgroundColour(type, style), colour);

    QWidget window;
    window.resize(800, 600);
    window.show();
    Widget_ClientTips tips(&window);
    const QString text = QStringLiteral("章节已保存 saved");
    tips.showTips(text, type, 1000);
    QVERIFY(tips.isVisible());
    QCOMPARE(tips.infoIcon()->isVisibleTo(&tips), infoIcon);
    QCOMPARE(tips.tipsIcon()->isVisibleTo(&tips), !infoIcon);
    QCOMPARE((infoIcon ? tips.infoIcon() : tips.tipsIcon())->isChecked(), checked);
    QFont font("Microsoft Yahei");
    font.setPixelSize(16);
    QCOMPARE(tips.width(), QFontMetrics(font).horizontalAdvance(text) + 86);
    if (style == 1)
        QVERIFY(tips.background()->styleSheet().contains("background:" + colour));
}

void TestCommonWidgets::secondToastRestartsWait()
{
    QWidget window;
    window.show();
    Widget_ClientTips tips(&window);
    QCOMPARE(tips.waitTimer()->interval(), 2000);
    tips.waitTimer()->setInterval(30);
    tips.showTips("first", 1, 2000);
    QTRY_VERIFY(tips.fade()->state() == QAbstractAnimation::Running);
    QTRY_VERIFY(tips.opacity() < 0.99);

    tips.showTips("second", 0, 40);
    QCOMPARE(tips.fade()->state(), QAbstractAnimation::Stopped);
    QCOMPARE(tips.opacity(), 1.0);
    QVERIFY(tips.waitTimer()->isActive());
    QCOMPARE(tips.label()->text(), QString("second"));

    // After the wait and the (short) fade it hides and is whole again.
    QTRY_VERIFY(!tips.isVisible());
    QCOMPARE(tips.opacity(), 1.0);
}

void TestCommonWidgets::tipsCentreAndHide()
{
    QWidget parent;
    parent.resize(600, 400);
    parent.show();
    widget_tips tip(&parent, 80);
    tip.setText("已复制");
    QVERIFY(tip.isVisible());
    QCOMPARE(tip.geometry().center(), parent.rect().center());
    QTest::qWait(40);
    tip.setText("再次复制"); // the newer text keeps the tip for its own delay
    QTest::qWait(60);
    QVERIFY(tip.isVisible());
    QTRY_VERIFY(!tip.isVisible());

    Float_Tips floating;
    floating.setText("字数 1024");
    QCOMPARE(floating.text(), QString("字数 1024"));
}

void TestCommonWidgets::autoCloseHidesOnOtherWindow()
{
    QWidget companion;
    QWidget other;
    Widget_AutoClose popup;
    popup.setCompanion(&companion);
    QVERIFY(popup.windowFlags() & Qt::WindowStaysOnTopHint);
    companion.show();
    popup.show();

    popup.onActiveWindowChanged(&popup);
    popup.onActiveWindowChanged(&companion);
    QVERIFY(popup.isVisible());
    QVERIFY(companion.isVisible());

    popup.onActiveWindowChanged(&other);
    QVERIFY(!popup.isVisible());
    QVERIFY(!companion.isVisible());
}

QUORVIN_TEST_MAIN(TestCommonWidgets)
#include "tst_commonwidgets.moc"
