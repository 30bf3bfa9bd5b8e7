// The creation tool panels on their own: the rows of every panel, clicks
// that send the row's command and close (or keep) the panel, the marks the
// panels keep, the pop-out lists of the format panel, and the font-family
// list of this machine.
#include "db/records.h"
#include "manager/cuimanager.h"
#include "testmain.h"
#include "ui/creation/creationcontrolitemdelegate.h"
#include "ui/creation/creationcontrolitemmodel.h"
#include "ui/creation/widget_creation_plane1.h"
#include "ui/creation/widget_creation_plane2.h"
#include "ui/creation/widget_creation_plane2_1.h"
#include "ui/creation/widget_creation_plane3.h"
#include "ui/fonts.h"

#include <QFontDatabase>
#include <QListView>
#include <QMouseEvent>

namespace {

QPoint rowCentre(QListView *list, int row)
{
    return list->visualRect(list->model()->index(row, 0)).center();
}

void sendMouse(QListView *list, QEvent::Type type, const QPoint &pos)
{
    QMouseEvent event(type, pos, list->viewport()->mapToGlobal(pos), Qt::LeftButton,
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &event);
}

void hoverRow(QListView *list, int row)
{
    sendMouse(list, QEvent::MouseMove, rowCentre(list, row));
}

void clickRow(QListView *list, int row)
{
    const QPoint pos = rowCentre(list, row);
    sendMouse(list, QEvent::MouseButtonPress, pos);
    sendMouse(list, QEvent::MouseButtonRelease, pos);
}

int rowOf(CreationControlItemModel *model, const QString &label)
{
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->item(row)->label == label)
            return row;
    }
    return -1;
}

} // namespace

class TstCreationPanels : public QObject
{
    Q_OBJECT

private:
    QList<int> m_codes; // commands that reached the UI manager's signal
    QWidget m_page;     // stands for the creation page the panels sit on

private slots:
    void initTestCase()
    {
        substituteFonts();
        connect(CUiManager::instance(), &CUiManager::sig_Creation_Btn_Press, this,
                [this](T_ItemData *item) { m_codes << item->code; });
        m_page.resize(1200, 800);
        m_page.move(40, 40);
        m_page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_page));
    }

    void init()
    {
        m_codes.clear();
        T_SessionData::instance().user = T_User();
        T_SessionData::instance().user.isFocusing = 0;
    }

    void rowsOfEveryPanel_data()
    {
        QTest::addColumn<int>("panel");
        QTest::addColumn<QStringList>("labels");
        QTest::addColumn<QList<int>>("codes");
        QTest::newRow("tools") << int(T_ItemData::PanelTools)
                               << QStringList{"导出",     "导入",   "随机取名", "一键排版", "敏感词",
                                              "夜间模式", "小黑屋", "打字音效", "便签"}
                               << QList<int>{2, 3, 4, 5, 6, 7, 8, 9, 10};
        QTest::newRow("format") << int(T_ItemData::PanelFormat) << QStringList{"14号",    "Microsoft Yahei",
                                                                               "粗体",    "斜体",
                                                                               "下划线",  "分割线",
                                                                               "剪贴",    "复制",
                                                                               "粘贴",    "搜索",
                                                                               "文字铺满"}
                                << QList<int>{20, 21, 22, 23, 24, 13, 14, 15, 16, 17, 18};
        QTest::newRow("focus") << int(T_ItemData::PanelFocus) << QStringList{"无", "行聚焦", "段聚焦"}
                               << QList<int>{26, 27, 28};
        QTest::newRow("sizes") << int(T_ItemData::PanelSizeList)
                               << QStringList{"12号", "14号", "16号", "18号", "20号", "22号"}
                               << QList<int>{29, 29, 29, 29, 29, 29};
    }
    void rowsOfEveryPanel()
    {
        QFETCH(int, panel);
        QFETCH(QStringList, labels);
        QFETCH(QList<int>, codes);
        CreationControlItemModel model(panel, T_SessionData::instance().user);
        QCOMPARE(model.rowCount(), labels.size());
        for (int row = 0; row < labels.size(); ++row) {
            const T_ItemData *item = model.item(row);
            QCOMPARE(item->label, labels.at(row));
            QCOMPARE(model.data(model.index(row), Qt::DisplayRole).toString(), labels.at(row));
            QCOMPARE(item->code, codes.at(row));
            QCOMPARE(item->panel, panel);
            // Every row that shows an icon has one in this theme.
            if (panel <= T_ItemData::PanelFormat && item->code != 21)
                QVERIFY2(!item->icon.isNull(), qPrintable(item->label));
        }
        QCOMPARE(model.findRowByCode(12345), -1);
    }

    // Chinese faces carry Latin names here: the list is taken from the
    // font database's writing system and is never empty.
    void familyListIsNeverEmpty()
    {
        const QStringList families = CreationControlItemModel::chineseFontFamilies();
        QVERIFY(!families.isEmpty());
        QVERIFY(families.contains("Noto Sans CJK SC"));
        for (const QString &family : families)
            QVERIFY(QFontDatabase().writingSystems(family).contains(QFontDatabase::SimplifiedChinese));
        T_SessionData::instance().user.fontFamily = "Noto Sans CJK SC";
        CreationControlItemModel model(T_ItemData::PanelFamilyList, T_SessionData::instance().user);
        QCOMPARE(model.rowCount(), families.size());
        const int chosen = rowOf(&model, "Noto Sans CJK SC");
        QVERIFY(model.item(chosen)->checked);
        QCOMPARE(model.item(chosen)->shortcut, QStringLiteral("Noto Sans CJK SC"));
        QCOMPARE(model.item(chosen)->code, 30);
    }

    // One row of each command: the click reaches the editor's signal and
    // closes the panel unless the row keeps it open.
    void everyRowSendsItsCommand_data()
    {
        QTest::addColumn<int>("panel");
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("closes");
        for (int code : {2, 3, 4, 5, 6, 7, 8, 9, 10})
            QTest::addRow("tools %d", code) << int(T_ItemData::PanelTools) << code << true;
        for (int code : {22, 23, 24, 13, 14, 15, 16, 17, 18})
            QTest::addRow("format %d", code) << int(T_ItemData::PanelFormat) << code << true;
        for (int code : {20, 21})
            QTest::addRow("format %d", code) << int(T_ItemData::PanelFormat) << code << false;
        for (int code : {26, 27, 28})
            QTest::addRow("focus %d", code) << int(T_ItemData::PanelFocus) << code << true;
    }
    void everyRowSendsItsCommand()
    {
        QFETCH(int, panel);
        QFETCH(int, code);
        QFETCH(bool, closes);
        QScopedPointer<QWidget> window;
        QListView *list = nullptr;
        CreationControlItemModel *model = nullptr;
        if (panel == T_ItemData::PanelTools) {
            auto *p = new Widget_Creation_Plane1;
            window.reset(p);
            p->showBelow(&m_page);
            list = p->list();
            model = p->model();
        } else if (panel == T_ItemData::PanelFormat) {
            auto *p = new Widget_Creation_Plane2;
            window.reset(p);
            p->showFor(&m_page);
            list = p->list();
            model = p->model();
        } else {
            auto *p = new Widget_Creation_Plane3;
            window.reset(p);
            p->showFor(&m_page);
            list = p->list();
            model = p->model();
        }
        QVERIFY(QTest::qWaitForWindowExposed(window.data()));
        clickRow(list, model->findRowByCode(code));
        QCOMPARE(m_codes, QList<int>{code});
        QCOMPARE(window->isVisible(), !closes);
    }

    void formatPanelKeepsItsMarks()
    {
        Widget_Creation_Plane2 panel;
        panel.showFor(&m_page);
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        CreationControlItemModel *model = panel.model();
        // The size row keeps the panel open.
        clickRow(panel.list(), model->findRowByCode(20));
        QVERIFY(panel.isVisible());
        // Bold closes it and is checked from now on.
        clickRow(panel.list(), model->findRowByCode(22));
        QVERIFY(!panel.isVisible());
        QVERIFY(model->itemByCode(22)->checked);
        // The centred column turns to its second text.
        panel.showFor(&m_page);
        T_SessionData::instance().user.isBlod = 1; // as the editor stores it
        clickRow(panel.list(), model->findRowByCode(18));
        QCOMPARE(model->itemByCode(18)->state, 2);
        QCOMPARE(model->data(model->index(model->findRowByCode(18))).toString(), QStringLiteral("文字居中"));
        QCOMPARE(m_codes, (QList<int>{20, 22, 18}));
    }

    // In focus mode the centred-column row is disabled: a click sends
    // nothing. Leaving focus mode enables it again.
    void focusModeDisablesTheCentredColumn()
    {
        Widget_Creation_Plane2 format;
        Widget_Creation_Plane3 focus;
        format.showFor(&m_page);
        QVERIFY(QTest::qWaitForWindowExposed(&format));
        focus.showFor(&m_page);
        QVERIFY(QTest::qWaitForWindowExposed(&focus));
        QVERIFY(focus.model()->itemByCode(26)->checked);
        clickRow(focus.list(), focus.model()->findRowByCode(28));
        QVERIFY(focus.model()->itemByCode(28)->checked);
        QVERIFY(!focus.model()->itemByCode(26)->checked);
        QVERIFY(!format.model()->itemByCode(18)->enabled);
        // As the editor stores it; the panel shows it when opened again.
        T_SessionData::instance().user.isFocusing = 1;
        T_SessionData::instance().user.isFocusLine = 0;
        m_codes.clear();
        format.showFor(&m_page);
        clickRow(format.list(), format.model()->findRowByCode(18));
        QVERIFY(m_codes.isEmpty());
        QVERIFY(format.isVisible());
        QCOMPARE(CreationControlItemDelegate::textColour(*format.model()->itemByCode(18)), QColor("#999999"));
        // A panel opened while the author is in focus mode shows it so.
        T_SessionData::instance().user.isFocusing = 1;
        T_SessionData::instance().user.isFocusLine = 1;
        Widget_Creation_Plane2 fresh;
        fresh.showFor(&m_page);
        QVERIFY(!fresh.model()->itemByCode(18)->enabled);
        focus.hide();
        focus.showFor(&m_page);
        QVERIFY(focus.model()->itemByCode(27)->checked);
        // Back out of focus mode.
        clickRow(focus.list(), focus.model()->findRowByCode(26));
        QVERIFY(format.model()->itemByCode(18)->enabled);
    }

    void popoutFollowsTheHoveredRow()
    {
        Widget_Creation_Plane2 panel;
        panel.showFor(&m_page);
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        CreationControlItemModel *model = panel.model();
        hoverRow(panel.list(), model->findRowByCode(22));
        QVERIFY(!panel.popout());
        hoverRow(panel.list(), model->findRowByCode(20));
        Widget_Creation_Plane2_1 *popout = panel.popout();
        QVERIFY(popout);
        QTRY_VERIFY(popout->isVisible());
        QCOMPARE(popout->panel(), int(T_ItemData::PanelSizeList));
        // Beside the panel, on its left, level with the size row.
        QVERIFY(popout->visibleGeometry().right() < panel.visibleGeometry().left());
        QVERIFY(popout->visibleGeometry().bottom() > panel.visibleGeometry().top());
        // Hovering the family row swaps the list.
        hoverRow(panel.list(), model->findRowByCode(21));
        QVERIFY(popout->isVisible());
        QCOMPARE(popout->panel(), int(T_ItemData::PanelFamilyList));
        QVERIFY(popout->model()->rowCount() > 0);
        // Another row hides it.
        hoverRow(panel.list(), model->findRowByCode(23));
        QVERIFY(!popout->isVisible());
        // Leaving the pop-out hides it; the same row opens it again.
        hoverRow(panel.list(), model->findRowByCode(20));
        QVERIFY(popout->isVisible());
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(popout, &leave);
        QVERIFY(!popout->isVisible());
        hoverRow(panel.list(), model->findRowByCode(20));
        QVERIFY(popout->isVisible());
        // Hiding the panel takes the pop-out with it.
        panel.hide();
        QVERIFY(!popout->isVisible());
    }

    void choosingASizeRenamesTheRowAndChecksItNextTime()
    {
        // Stands for the editor, which stores the chosen size.
        auto editor =
            connect(CUiManager::instance(), &CUiManager::sig_Creation_Btn_Press, this, [](T_ItemData *item) {
                if (item->code == 29)
                    T_SessionData::instance().user.fontSize = item->shortcut.toInt();
            });
        Widget_Creation_Plane2 panel;
        panel.showFor(&m_page);
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        hoverRow(panel.list(), panel.model()->findRowByCode(20));
        Widget_Creation_Plane2_1 *popout = panel.popout();
        QVERIFY(popout && popout->isVisible());
        QVERIFY(popout->model()->item(rowOf(popout->model(), "14号"))->checked);
        clickRow(popout->list(), rowOf(popout->model(), "22号"));
        QCOMPARE(m_codes, QList<int>{29});
        QVERIFY(!popout->isVisible());
        QCOMPARE(panel.model()->itemByCode(20)->label, QStringLiteral("22号"));
        panel.hide();
        panel.showFor(&m_page);
        QCOMPARE(panel.model()->itemByCode(20)->label, QStringLiteral("22号"));
        hoverRow(panel.list(), panel.model()->findRowByCode(20));
        QVERIFY(popout->isVisible());
        QVERIFY(popout->model()->item(rowOf(popout->model(), "22号"))->checked);
        QVERIFY(!popout->model()->item(rowOf(popout->model(), "14号"))->checked);
        disconnect(editor);
    }

    void toolsPanelShowsThemeAndSoundStates()
    {
        T_SessionData::instance().user.isSound = 0;
        Widget_Creation_Plane1 panel;
        panel.showBelow(&m_page);
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QCOMPARE(panel.model()->itemByCode(9)->state, 2);
        QCOMPARE(panel.model()->itemByCode(7)->state, 1);
        QCOMPARE(panel.model()->data(panel.model()->index(panel.model()->findRowByCode(7))).toString(),
                 QStringLiteral("夜间模式"));
        // Below the button, right edges in line.
        QCOMPARE(panel.visibleGeometry().top(), m_page.mapToGlobal(QPoint(0, m_page.height())).y() + 10);
    }
};

QUORVIN_TEST_MAIN(TstCreationPanels)
#include "tst_creationpanels.moc"
