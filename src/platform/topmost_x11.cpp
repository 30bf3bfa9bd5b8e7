#include "topmost.h"

#include <QWidget>
#include <QWindow>

namespace Platform {

void setTopmost(QWidget *window, bool on)
{
    if (!window)
        return;
    window = window->window();
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on)
        return;
    // Changing the widget's flags re-creates a shown window; the hint is
    // given to the native window directly and recorded on the widget.
    if (QWindow *handle = window->windowHandle()) {
        handle->setFlag(Qt::WindowStaysOnTopHint, on);
        window->overrideWindowFlags(handle->flags());
    } else {
        window->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    }
}

bool isTopmost(const QWidget *window)
{
    return window && window->window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

} // namespace Platform
