#include "windowplacement.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QPointer>
#include <QScreen>
#include <QWidget>

namespace WindowPlacement {

QRect centredInside(const QSize &size, const QPoint &centre, const QRect &available)
{
    QRect rect(QPoint(0, 0), size);
    rect.moveCenter(centre);
    if (!available.isValid())
        return rect;
    if (rect.right() > available.right())
        rect.moveRight(available.right());
    if (rect.bottom() > available.bottom())
        rect.moveBottom(available.bottom());
    if (rect.left() < available.left())
        rect.moveLeft(available.left());
    if (rect.top() < available.top())
        rect.moveTop(available.top());
    return rect;
}

QRect availableAt(const QPoint &point)
{
    QScreen *screen = QGuiApplication::screenAt(point);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

namespace {

void settle(QWidget *widget)
{
    widget->ensurePolished();
    if (QLayout *layout = widget->layout())
        layout->activate();
    if (!widget->testAttribute(Qt::WA_Resized))
        widget->adjustSize();
}

} // namespace

void centre(QWidget *widget, QWidget *over)
{
    if (!widget || !over)
        return;
    settle(widget);
    const QPoint centre = over->mapToGlobal(over->rect().center());
    if (!widget->isWindow() && widget->parentWidget()) {
        QRect rect(QPoint(0, 0), widget->size());
        rect.moveCenter(widget->parentWidget()->mapFromGlobal(centre));
        widget->move(rect.topLeft());
        return;
    }
    const QRect available = availableAt(centre);
    // A window taller or wider than the screen is shrunk to it where its
    // layout allows, so that its buttons stay reachable.
    QSize size = widget->size();
    if (available.isValid() && (size.width() > available.width() || size.height() > available.height())) {
        size = size.boundedTo(available.size()).expandedTo(widget->minimumSize());
        widget->resize(size);
    }
    widget->move(centredInside(widget->size(), centre, available).topLeft());
}

DialogPlacer::DialogPlacer(QObject *parent) : QObject(parent) {}

void DialogPlacer::install()
{
    static QPointer<DialogPlacer> placer;
    if (placer || !qApp)
        return;
    placer = new DialogPlacer(qApp);
    qApp->installEventFilter(placer);
}

bool DialogPlacer::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Show || !watched->isWidgetType())
        return false;
    auto *dialog = qobject_cast<QDialog *>(watched);
    if (!dialog || !dialog->isWindow() || !dialog->isModal())
        return false;
    QWidget *parent = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
    if (!parent || !parent->isVisible())
        parent = QApplication::activeWindow() != dialog ? QApplication::activeWindow() : nullptr;
    if (parent)
        centre(dialog, parent);
    else
        centre(dialog, dialog); // no owner: at least keep it on screen
    return false;
}

} // namespace WindowPlacement
