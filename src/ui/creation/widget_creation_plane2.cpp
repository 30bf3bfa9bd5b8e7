#include "widget_creation_plane2.h"

#include "creationcontrolitemdelegate.h"
#include "creationcontrolitemmodel.h"
#include "db/records.h"
#include "manager/cuimanager.h"
#include "widget_creation_plane2_1.h"

#include <QApplication>
#include <QEvent>
#include <QListView>

namespace {

constexpr int kWidth = 212;
constexpr int kPopoutGap = 6;

} // namespace

Widget_Creation_Plane2::Widget_Creation_Plane2(QWidget *parent) : Widget_AutoClose(parent)
{
    setObjectName("Widget_Creation_Plane2");
    m_frame.build(this, T_ItemData::PanelFormat, 4);
    m_frame.fitRows(this, kWidth);
    connect(m_frame.delegate, &CreationControlItemDelegate::sig_EnterItem, this,
            &Widget_Creation_Plane2::on_EnterItem);
    connect(CUiManager::instance(), &CUiManager::sig_Creation_Btn_Press, this,
            &Widget_Creation_Plane2::on_Creation_Btn_Press);
}

void Widget_Creation_Plane2::showFor(QWidget *window)
{
    if (m_anchor != window) {
        if (m_anchor)
            m_anchor->removeEventFilter(this);
        m_anchor = window;
        if (m_anchor)
            m_anchor->installEventFilter(this);
    }
    place();
    show();
    raise();
    activateWindow();
}

void Widget_Creation_Plane2::place()
{
    if (!m_anchor)
        return;
    const QRect area(m_anchor->mapToGlobal(QPoint(0, 0)), m_anchor->size());
    const QRect &visible = area;
    const QSize own = size() - QSize(2 * m_frame.margin, 2 * m_frame.margin);
    m_frame.moveBackgroundTo(
        this, QPoint(visible.right() + 1 - 3 - own.width(), visible.bottom() + 1 - 76 - own.height()));
}

bool Widget_Creation_Plane2::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_anchor && (event->type() == QEvent::Resize || event->type() == QEvent::Move) &&
        isVisible())
        place();
    return Widget_AutoClose::eventFilter(watched, event);
}

void Widget_Creation_Plane2::syncWithSettings()
{
    m_frame.model->syncWithSettings(T_SessionData::instance().user);
}

void Widget_Creation_Plane2::showEvent(QShowEvent *event)
{
    m_frame.model->reloadIcons();
    syncWithSettings();
    Widget_AutoClose::showEvent(event);
}

void Widget_Creation_Plane2::hideEvent(QHideEvent *event)
{
    if (m_popout)
        m_popout->hide();
    m_hoveredCode = 0;
    Widget_AutoClose::hideEvent(event);
    // Closed by one of its own rows: the keys go back to the editor's window
    // (a window the author activated meanwhile keeps the keys).
    QWidget *active = QApplication::activeWindow();
    if (m_anchor && m_anchor->window()->isVisible() && (!active || active == this || active == m_popout))
        m_anchor->window()->activateWindow();
}

void Widget_Creation_Plane2::on_EnterItem(T_ItemData *pItem)
{
    if (!pItem)
        return;
    emit sig_EnterItem(pItem);
    if (pItem->code == m_hoveredCode)
        return;
    m_hoveredCode = pItem->code;
    if (pItem->code != 20 && pItem->code != 21) {
        if (m_popout)
            m_popout->hide();
        return;
    }
    openPopout(pItem->code);
}

void Widget_Creation_Plane2::openPopout(int code)
{
    if (!m_popout) {
        m_popout = new Widget_Creation_Plane2_1(this);
        m_popout->setCompanion(this);
        setCompanion(m_popout);
        connect(m_popout, &Widget_Creation_Plane2_1::sig_Plane2_1_hide, this,
                &Widget_Creation_Plane2::on_Plane2_1_hide);
    }
    const bool sizes = code == 20;
    const T_ItemData *row = m_frame.model->itemByCode(code);
    m_popout->setPanel(sizes ? T_ItemData::PanelSizeList : T_ItemData::PanelFamilyList,
                       row ? row->label : QString());
    // Beside the panel, its first row level with the hovered row.
    const QRect own = visibleGeometry();
    const QRect rowRect = m_frame.list->visualRect(m_frame.model->index(m_frame.model->findRowByCode(code)));
    const int rowTop = m_frame.list->viewport()->mapToGlobal(rowRect.topLeft()).y();
    const QRect popout = m_popout->visibleGeometry();
    const int firstRowInset =
        m_popout->list()->mapToGlobal(QPoint(0, 0)).y() - popout.top() + m_popout->list()->spacing();
    m_popout->moveBackgroundTo(QPoint(own.left() - kPopoutGap - popout.width(), rowTop - firstRowInset));
    m_popout->show();
    m_popout->raise();
}

void Widget_Creation_Plane2::on_Plane2_1_hide()
{
    if (m_popout)
        m_popout->hide();
    // Hovering the same row again opens the list again.
    m_hoveredCode = 0;
}

void Widget_Creation_Plane2::on_Creation_Btn_Press(T_ItemData *pItem)
{
    if (!pItem)
        return;
    CreationControlItemModel *model = m_frame.model;
    switch (pItem->code) {
    case 18:
        if (T_ItemData *row = model->itemByCode(18); row && row->enabled)
            model->setState(18, row->state == 1 ? 2 : 1);
        break;
    case 22:
    case 23:
    case 24:
        model->toggleChecked(pItem->code);
        break;
    case 26:
        model->setEnabled(18, true);
        break;
    case 27:
    case 28:
        model->setEnabled(18, false);
        break;
    case 29:
    case 30:
        model->setLabel(pItem->code == 29 ? 20 : 21, pItem->label);
        if (m_popout && m_popout->model()->findRowByCode(pItem->code) >= 0)
            m_popout->model()->markCheckedLabel(pItem->label);
        break;
    default:
        break;
    }
}
