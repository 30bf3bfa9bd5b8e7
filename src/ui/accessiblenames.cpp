#include "accessiblenames.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextEdit>

namespace AccessibleNames {

namespace {

const char *const kGivenHere = "accessibleNameGivenHere";

QString shownName(QWidget *widget)
{
    if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
        if (!button->text().isEmpty())
            return QString(); // the reader says the button's own text
        return button->toolTip();
    }
    if (auto *edit = qobject_cast<QLineEdit *>(widget))
        return edit->placeholderText().isEmpty() ? edit->toolTip() : edit->placeholderText();
    if (auto *edit = qobject_cast<QTextEdit *>(widget))
        return edit->placeholderText().isEmpty() ? edit->toolTip() : edit->placeholderText();
    if (auto *edit = qobject_cast<QPlainTextEdit *>(widget))
        return edit->placeholderText().isEmpty() ? edit->toolTip() : edit->placeholderText();
    return widget->toolTip();
}

} // namespace

void install()
{
    static QPointer<Namer> namer;
    if (namer || !qApp)
        return;
    namer = new Namer(qApp);
    qApp->installEventFilter(namer);
}

QString nameOf(QWidget *widget)
{
    QAccessibleInterface *iface = widget ? QAccessible::queryAccessibleInterface(widget) : nullptr;
    return iface ? iface->text(QAccessible::Name) : QString();
}

Namer::Namer(QObject *parent) : QObject(parent) {}

void Namer::name(QWidget *widget)
{
    if (!widget)
        return;
    const bool ours = widget->property(kGivenHere).toBool();
    if (!widget->accessibleName().isEmpty() && !ours)
        return;
    const QString name = shownName(widget);
    if (name.isEmpty() && !ours)
        return;
    widget->setAccessibleName(name);
    widget->setProperty(kGivenHere, true);
}

bool Namer::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if ((type == QEvent::Polish || type == QEvent::ToolTipChange) && watched->isWidgetType())
        name(static_cast<QWidget *>(watched));
    return false;
}

} // namespace AccessibleNames
