#include "widget_autoclose.h"

#include "framelesshelper.h"

#include <QApplication>
#include <QWindow>

Widget_AutoClose::Widget_AutoClose(QWidget *parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName("Widget_AutoClose");
    FramelessHelper::prepareWindow(this);
    connect(qApp, &QGuiApplication::focusWindowChanged, this,
            [this](QWindow *) { onActiveWindowChanged(QApplication::activeWindow()); });
}

void Widget_AutoClose::onActiveWindowChanged(QWidget *active)
{
    if (!isVisible())
        return;
    if (active == this || (m_companion && active == m_companion))
        return;
    if (m_companion)
        m_companion->hide();
    hide();
}
