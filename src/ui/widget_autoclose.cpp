#include "widget_autoclose.h"

#include "framelesshelper.h"

#include <QApplication>
#include <QTimer>
#include <QWindow>

Widget_AutoClose::Widget_AutoClose(QWidget *parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName("Widget_AutoClose");
    FramelessHelper::prepareWindow(this);
    // The focus window is the news itself: QApplication::activeWindow() may
    // still name the window that had the focus when this signal arrives.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow *window) {
        if (window) {
            onActiveWindowChanged(widgetOf(window));
            return;
        }
        // No window of ours has the keys: another program took them, or the
        // focus is passing between two of our windows. Look once it settled.
        QTimer::singleShot(0, this, [this] {
            if (!QGuiApplication::focusWindow())
                onActiveWindowChanged(nullptr);
        });
    });
}

QWidget *Widget_AutoClose::widgetOf(QWindow *window)
{
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top->windowHandle() == window)
            return top;
    }
    return nullptr;
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
