#include "widget_creation_plane1.h"

#include "creationcontrolitemmodel.h"
#include "db/records.h"

#include <QScreen>

Widget_Creation_Plane1::Widget_Creation_Plane1(QWidget *parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint)
{
    setObjectName("Widget_Creation_Plane1");
    m_frame.build(this, T_ItemData::PanelTools, 6);
    // About 246 x 423 with the shadow margin; without it the same panel inside.
    m_frame.fitRows(this, 206);
}

void Widget_Creation_Plane1::showEvent(QShowEvent *event)
{
    m_frame.model->reloadIcons();
    m_frame.model->syncWithSettings(T_SessionData::instance().user);
    QWidget::showEvent(event);
}

void Widget_Creation_Plane1::showBelow(QWidget *button)
{
    const QRect anchor(button->mapToGlobal(QPoint(0, 0)), button->size());
    const QSize visible = size() - QSize(2 * m_frame.margin, 2 * m_frame.margin);
    QPoint topLeft(anchor.right() + 1 - visible.width(), anchor.bottom() + 1 + 10);
    if (const QScreen *screen = button->screen()) {
        const QRect area = screen->availableGeometry();
        topLeft.setX(qBound(area.left(), topLeft.x(), area.right() + 1 - visible.width()));
    }
    m_frame.moveBackgroundTo(this, topLeft);
    show();
}
