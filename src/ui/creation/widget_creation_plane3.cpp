#include "widget_creation_plane3.h"

#include "creationcontrolitemmodel.h"
#include "db/records.h"
#include "manager/cuimanager.h"

namespace {

constexpr int kWidth = 160;

} // namespace

Widget_Creation_Plane3::Widget_Creation_Plane3(QWidget *parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint)
{
    setObjectName("Widget_Creation_Plane3");
    m_frame.build(this, T_ItemData::PanelFocus, 4);
    m_frame.fitRows(this, kWidth);
    connect(CUiManager::instance(), &CUiManager::sig_Creation_Btn_Press, this,
            &Widget_Creation_Plane3::on_Creation_Btn_Press);
}

void Widget_Creation_Plane3::showFor(QWidget *window)
{
    if (window) {
        const QRect area(window->mapToGlobal(QPoint(0, 0)), window->size());
        const QRect &visible = area;
        const QSize own = size() - QSize(2 * m_frame.margin, 2 * m_frame.margin);
        m_frame.moveBackgroundTo(
            this, QPoint(visible.right() + 1 - 3 - own.width(), visible.bottom() + 1 - 120 - own.height()));
    }
    show();
}

void Widget_Creation_Plane3::showEvent(QShowEvent *event)
{
    m_frame.model->reloadIcons();
    m_frame.model->syncWithSettings(T_SessionData::instance().user);
    QWidget::showEvent(event);
}

void Widget_Creation_Plane3::on_Creation_Btn_Press(T_ItemData *pItem)
{
    if (pItem && pItem->panel == T_ItemData::PanelFocus)
        m_frame.model->markChecked(pItem->code);
}
