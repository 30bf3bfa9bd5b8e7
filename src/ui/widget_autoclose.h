#pragma once

#include <QPointer>
#include <QWidget>

class QWindow;

// A borderless popup that stays on top and hides itself (and its companion
// widget) as soon as another window becomes the active one.
class Widget_AutoClose : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_AutoClose(QWidget *parent = nullptr);

    void setCompanion(QWidget *companion) { m_companion = companion; }
    QWidget *companion() const { return m_companion; }

    // What happens when `active` becomes the active window.
    void onActiveWindowChanged(QWidget *active);

private:
    static QWidget *widgetOf(QWindow *window);

    QPointer<QWidget> m_companion;
};
