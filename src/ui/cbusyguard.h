#pragma once

#include <QPointer>
#include <QWidget>
#include <initializer_list>

// Disables the given widgets while a synchronous request waits in its
// nested event loop (the window keeps repainting), so that a second click
// or Return cannot send it again; enables them when it goes out of scope.
// Widgets deleted meanwhile are skipped. Callers re-apply their own
// enabling rules afterwards.
class CBusyGuard
{
public:
    CBusyGuard(std::initializer_list<QWidget *> widgets)
    {
        for (QWidget *w : widgets) {
            if (w && w->isEnabled()) {
                m_widgets.append(w);
                w->setEnabled(false);
            }
        }
    }
    ~CBusyGuard()
    {
        for (const QPointer<QWidget> &w : qAsConst(m_widgets))
            if (w)
                w->setEnabled(true);
    }
    CBusyGuard(const CBusyGuard &) = delete;
    CBusyGuard &operator=(const CBusyGuard &) = delete;

private:
    QList<QPointer<QWidget>> m_widgets;
};
